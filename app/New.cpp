#include "app/New.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "platform/Fonts.h"
#include "platform/Placement.h"

// Where the dialog first appears, where the screen has room for it there.
constexpr QPoint dialogPosition(516, 231);

TForm2 *Form2 = nullptr;

TForm2::TForm2(QWidget *parent) : QDialog(parent) {
    // A title and nothing else on the frame: Cancel is the way to hide it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setupUi(this);
    useDesignFont(this);
    for (QLabel *label : {Label1, StaticText1, StaticText2}) {
        fitTextToWidth(label);
    }
    setFixedSize(size());
    placeOnScreen(this, dialogPosition);
    // The dialog never keeps the program alive on its own.
    setAttribute(Qt::WA_QuitOnClose, false);

    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
}

void TForm2::Button2Click() { hide(); }

void TForm2::closeEvent(QCloseEvent *event) {
    // A window manager may still offer to close it (Alt+F4); only Cancel hides it.
    if (event->spontaneous()) {
        event->ignore();
    } else {
        QWidget::closeEvent(event);  // QDialog's would count it as Cancel
    }
}

void TForm2::keyPressEvent(QKeyEvent *event) {
    // Passed over QDialog, which hides the dialog on Escape and presses a button on Enter.
    QWidget::keyPressEvent(event);
}
