#pragma once
// The standard error box: every user action runs inside RunGuarded, so that an exception
// ends the action, its message reaches the user and nothing crosses the Qt event loop.

#include <functional>
#include <string>

class QWidget;

namespace vorn::ui {

class IDialogs;

// What the action is working on, for the error box. Actions fill it as they go.
struct TActionContext {
  std::string File;
};

// The text of the error box: the message, followed by the file concerned unless the
// message names it already.
std::string ErrorText(const std::string& message, const std::string& file);

// Runs action; on an exception shows ErrorText in the error box and answers false.
bool RunGuarded(IDialogs& dialogs, QWidget* parent,
                const std::function<void(TActionContext&)>& action);
bool RunGuarded(IDialogs& dialogs, QWidget* parent, const std::function<void()>& action);

// Runs action; on an exception answers the text RunGuarded would show for file, else "".
// For what the user merely looks at, where the error shows in place rather than in a box.
std::string ErrorTextOf(const std::function<void()>& action, const std::string& file);

}  // namespace vorn::ui
