#include "formfunc/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

#include <optional>
#include <stdexcept>
#include <utility>

namespace tallix {

namespace {

std::optional<QString> plantedFailure;

} // namespace

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

void plantHandlerFailure(const QString& message) {
    plantedFailure = message;
}

void throwPlantedHandlerFailure() {
    if (std::optional<QString> failure = std::exchange(plantedFailure, std::nullopt))
        throw std::runtime_error(failure->toStdString());
}

} // namespace tallix
