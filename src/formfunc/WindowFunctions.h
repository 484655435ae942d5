#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace tallix {

// A top-level window's outer rectangle (its frame included) in screen coordinates.
QRect outerBounds(const QWidget* window);

// Gives the window this outer size; the frame's share comes off the client area.
void setOuterSize(QWidget* window, const QSize& outer);

// Brings a window that lies off every screen's work area back onto the primary screen.
void keepOnScreen(QWidget* window);

} // namespace tallix
