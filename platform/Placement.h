#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// The top-left corner for a window of frameSize, frame included, wanted at designed: designed
// itself where the whole window fits in available there, otherwise the nearest place where it
// does (available's top-left corner for a window larger than available).
QPoint placeWithin(const QRect &available, QSize frameSize, QPoint designed);

// Moves a window to its designed place, or as near to it as keeps the whole window on the
// available area of the screen there. The window manager's frame is known only once it has
// framed the window, so the place is checked again then.
void placeOnScreen(QWidget *window, QPoint designed);
