#include "platform/Placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

QPoint placeWithin(const QRect &available, QSize frameSize, QPoint designed) {
    const auto fit = [](int wanted, int length, int start, int room) {
        return std::max(start, std::min(wanted, start + room - length));
    };
    return {fit(designed.x(), frameSize.width(), available.x(), available.width()),
            fit(designed.y(), frameSize.height(), available.y(), available.height())};
}

namespace {

QRect availableAround(const QWidget *window, QPoint designed) {
    const QScreen *screen = QGuiApplication::screenAt(designed);
    if (screen == nullptr) {
        screen = window->screen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect(designed, window->size());
}

QPoint placeFor(const QWidget *window, QPoint designed) {
    return placeWithin(availableAround(window, designed), window->frameGeometry().size(), designed);
}

// Places the window once more when it first moves with a frame around it, which is when the
// window manager has framed it; after that the window is the user's to move.
class FramedPlacement : public QObject {
public:
    FramedPlacement(QWidget *window, QPoint designed) : QObject(window), designed(designed) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override {
        auto *window = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Move && window->frameGeometry().size() != window->size()) {
            window->removeEventFilter(this);
            if (const QPoint where = placeFor(window, designed); where != window->pos()) {
                window->move(where);
            }
            deleteLater();
        }
        return false;
    }

private:
    QPoint designed;
};

}  // namespace

void placeOnScreen(QWidget *window, QPoint designed) {
    window->move(placeFor(window, designed));
    new FramedPlacement(window, designed);
}
