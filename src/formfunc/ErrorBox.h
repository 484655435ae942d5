#pragma once

#include <QString>

#include <exception>
#include <functional>

class QWidget;

namespace tallix {

// The standard error message box: the program's title, an error icon and the message.
void showErrorBox(QWidget* parent, const QString& message);

// The message text an exception carries.
QString messageOf(const std::exception& error);

// Runs a handler and shows any error it raises in the standard error box, then goes on. Every
// handler the event loop or a component runs goes through here: an error must never travel
// through Qt's own code.
void showErrorsOf(QWidget* parent, const std::function<void()>& handler);

// A window's handler as a signal connection runs it: inside showErrorsOf.
template <typename Window> auto errorsShown(Window* window, void (Window::*handler)()) {
    return [window, handler] { showErrorsOf(window, [window, handler] { (window->*handler)(); }); };
}

} // namespace tallix
