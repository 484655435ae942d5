#include "formfunc/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

namespace tallix {

void showErrorBox(QWidget* parent, const QString& message) {
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), message);
}

QString messageOf(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

void showErrorsOf(QWidget* parent, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        showErrorBox(parent, messageOf(error));
    }
}

} // namespace tallix
