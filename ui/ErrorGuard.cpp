#include "ui/ErrorGuard.h"

#include <exception>

#include "ui/Dialogs.h"

namespace vorn::ui {

std::string ErrorText(const std::string& message, const std::string& file) {
  const std::string text = message.empty() ? std::string("Unknown error.") : message;
  if (file.empty() || text.find(file) != std::string::npos) return text;
  return text + "\n\nFile: " + file;
}

bool RunGuarded(IDialogs& dialogs, QWidget* parent,
                const std::function<void(TActionContext&)>& action) {
  TActionContext context;
  try {
    action(context);
    return true;
  } catch (const std::exception& error) {
    dialogs.ShowError(parent, ErrorText(error.what(), context.File));
  } catch (...) {
    dialogs.ShowError(parent, ErrorText("Unknown error.", context.File));
  }
  return false;
}

bool RunGuarded(IDialogs& dialogs, QWidget* parent, const std::function<void()>& action) {
  return RunGuarded(dialogs, parent, [&](TActionContext&) { action(); });
}

}  // namespace vorn::ui
