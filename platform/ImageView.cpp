#include "platform/ImageView.h"

#include <QPaintEvent>
#include <QPainter>

ImageView::ImageView(QWidget *parent) : QWidget(parent) {}

void ImageView::setPicture(QImage picture) {
    current = std::move(picture);
    if (!current.isNull()) {
        resize(current.size());
    }
    update();
}

// Without a picture it keeps the size it was laid out with.
QSize ImageView::sizeHint() const { return current.isNull() ? size() : current.size(); }

void ImageView::paintEvent(QPaintEvent *event) {
    if (current.isNull()) {
        return;
    }
    // Centred when the widget is larger than its picture; at its own size the offset is 0.
    const QPoint origin((width() - current.width()) / 2, (height() - current.height()) / 2);
    QPainter painter(this);
    const QRect target = event->rect().intersected(QRect(origin, current.size()));
    painter.drawImage(target.topLeft(), current, target.translated(-origin));
}
