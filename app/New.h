#pragma once

#include <QWidget>

#include "ui_New.h"

// The New canvas dialog: asks for a canvas size that nothing uses yet. Modeless, and built on a
// plain window rather than QDialog, so neither Escape nor Enter closes it or presses a button.
class TForm2 : public QWidget, public Ui::TForm2 {
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);

    void Button2Click();

protected:
    void closeEvent(QCloseEvent *event) override;
};

extern TForm2 *Form2;
