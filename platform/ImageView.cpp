#include "platform/ImageView.h"

#include <QAccessibleWidget>
#include <QPaintEvent>
#include <QPainter>

namespace {

// Assistive technology is told that the widget is a picture, not an empty area.
class AccessibleImageView : public QAccessibleWidget {
public:
    explicit AccessibleImageView(QWidget *view) : QAccessibleWidget(view, QAccessible::Graphic) {}
};

QAccessibleInterface *accessibleImageView(const QString &className, QObject *object) {
    if (className == QLatin1String("ImageView") && object != nullptr && object->isWidgetType()) {
        return new AccessibleImageView(static_cast<QWidget *>(object));
    }
    return nullptr;
}

}  // namespace

ImageView::ImageView(QWidget *parent) : QWidget(parent) {
    static const bool accessible = (QAccessible::installFactory(accessibleImageView), true);
    (void)accessible;
}

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
