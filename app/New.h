#pragma once

#include <QDialog>

#include "ui_New.h"

// The New canvas dialog: asks for a canvas size that nothing uses yet. Modeless, owned by the
// main window so that window managers keep it above that window. Unlike other dialogs, neither
// Escape nor Enter closes it or presses a button: Cancel is the one way to hide it.
class TForm2 : public QDialog, public Ui::TForm2 {
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);

    void Button2Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

extern TForm2 *Form2;
