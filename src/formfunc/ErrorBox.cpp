#include "formfunc/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

namespace tallix {

void ShowErrorBox(QWidget* parent, const QString& message) {
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), message);
}

QString MessageOf(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

void ShowErrorsOf(QWidget* parent, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowErrorBox(parent, MessageOf(error));
    }
}

} // namespace tallix
