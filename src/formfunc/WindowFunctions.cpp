#include "formfunc/WindowFunctions.h"

#include "env/Functions.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QRect OuterBounds(const QWidget* window) {
    return window->frameGeometry();
}

void SetOuterSize(QWidget* window, const QSize& outer) {
    const QSize frame = window->frameGeometry().size() - window->size();
    window->resize(outer - frame);
}

void KeepOnScreen(QWidget* window) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    QList<QRect> workAreas;
    for (const QScreen* screen : QGuiApplication::screens())
        workAreas.append(screen->availableGeometry());
    const QRect bounds = OuterBounds(window);
    const QRect kept = KeepOnScreen(bounds, workAreas, primary->geometry());
    if (kept.size() != bounds.size())
        SetOuterSize(window, kept.size());
    if (kept.topLeft() != bounds.topLeft())
        window->move(kept.topLeft());
}
