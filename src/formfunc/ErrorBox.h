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

// Makes the next handler that errorsShown runs throw an error with `message` in its stead, once:
// how a test plants a failing command on a path (menu, button, shortcut) and sees where its
// error ends. The program never plants one.
void plantHandlerFailure(const QString& message);
// Throws the planted failure, if there is one.
void throwPlantedHandlerFailure();

// A window's handler as a signal connection runs it: inside showErrorsOf.
template <typename Window> auto errorsShown(Window* window, void (Window::*handler)()) {
    return [window, handler] {
        showErrorsOf(window, [window, handler] {
            throwPlantedHandlerFailure();
            (window->*handler)();
        });
    };
}

} // namespace tallix
