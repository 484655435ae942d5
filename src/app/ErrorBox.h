#pragma once

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace tallix {

// The standard error message box: the program's title, an error icon and the message.
void ShowErrorBox(QWidget* parent, const QString& message);

// The message text an exception carries.
QString MessageOf(const std::exception& error);

// Runs a handler and shows any error it raises in the standard error box, then goes on: what a
// handler run by the event loop gets, for handlers the program calls itself.
void ShowErrorsOf(QWidget* parent, const std::function<void()>& handler);

} // namespace tallix
