#include "formfunc/WindowFunctions.h"

#include "env/Functions.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tallix {

QRect outerBounds(const QWidget* window) {
    return window->frameGeometry();
}

void setOuterSize(QWidget* window, const QSize& outer) {
    const QSize frame = window->frameGeometry().size() - window->size();
    window->resize(outer - frame);
}

void keepOnScreen(QWidget* window) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    QList<QRect> workAreas;
    for (const QScreen* screen : QGuiApplication::screens())
        workAreas.append(screen->availableGeometry());
    const QRect bounds = outerBounds(window);
    const QRect kept = keepOnScreen(bounds, workAreas, primary->geometry());
    if (kept.size() != bounds.size())
        setOuterSize(window, kept.size());
    if (kept.topLeft() != bounds.topLeft())
        window->move(kept.topLeft());
}

} // namespace tallix
