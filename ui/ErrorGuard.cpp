#include "ui/ErrorGuard.h"

#include <exception>

#include "core/VornLut.h"
#include "ui/Dialogs.h"

namespace vorn::ui {

std::string ErrorText(const std::string& message, const std::string& file) {
  return BoxText({message.empty() ? ReportUnknownError().Message : message, file, 0});
}

bool RunGuarded(IDialogs& dialogs, QWidget* parent,
                const std::function<void(TActionContext&)>& action) {
  TActionContext context;
  try {
    action(context);
    return true;
  } catch (const std::exception& error) {
    dialogs.ShowError(parent, BoxText(ReportError(error, context.File)));
  } catch (...) {
    dialogs.ShowError(parent, BoxText(ReportUnknownError(context.File)));
  }
  return false;
}

bool RunGuarded(IDialogs& dialogs, QWidget* parent, const std::function<void()>& action) {
  return RunGuarded(dialogs, parent, [&](TActionContext&) { action(); });
}

std::string ErrorTextOf(const std::function<void()>& action, const std::string& file) {
  try {
    action();
    return {};
  } catch (const std::exception& error) {
    return BoxText(ReportError(error, file));
  } catch (...) {
    return BoxText(ReportUnknownError(file));
  }
}

}  // namespace vorn::ui
