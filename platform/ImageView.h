#pragma once

#include <QImage>
#include <QWidget>

// Shows one picture at its own size, one image pixel to one screen pixel. The widget takes the
// size of every picture it is given, so a scroll area around it scrolls over the whole picture.
// It holds exactly one picture: setting a new one releases the previous one.
class ImageView : public QWidget {
    Q_OBJECT

public:
    explicit ImageView(QWidget *parent = nullptr);

    void setPicture(QImage picture);
    const QImage &picture() const { return current; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage current;
};
