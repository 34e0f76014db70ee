#include "app/Main.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLayout>
#include <QMessageBox>
#include <QTimer>
#include <cmath>

#include "app/New.h"
#include "platform/Bitmap.h"
#include "platform/Fonts.h"
#include "platform/Placement.h"
#include "platform/SysUtils.h"

// Fixed settings of the animation.
constexpr double phaseStep = 0.02;
constexpr float fallOff = 0;  // 0: amplitude 1 everywhere

std::uint32_t canvasWidth = 1000;
std::uint32_t canvasHeight = 1000;
std::uint32_t sourceX = 10;
std::uint32_t sourceY = 10;
render *renderer = nullptr;
float phase = 0;
sine waveField(canvasWidth, canvasHeight);

namespace {
// Made right after the field it is bound to, and alive until the process ends.
const bool rendererMade = (renderer = new render(&waveField), true);

// Every message about a bad wavelength says what the field accepts.
Exception notANumber(const QString &text) {
    return Exception(
        QStringLiteral("'%1' is not a valid number. Type the wavelength in pixels, with "
                       "'.' as the decimal point (for example 50 or 12.5).")
            .arg(QuotedText(text)));
}

Exception tooLarge(const QString &text) {
    return Exception(QStringLiteral("The wavelength '%1' is too large. Type a wavelength in pixels "
                                    "below 3.4e38 (for example 50 or 12.5).")
                         .arg(QuotedText(text)));
}

Exception zero(const QString &text) {
    return Exception(QStringLiteral("The wavelength '%1' is 0 or too close to 0. Type a wavelength "
                                    "in pixels other than 0 (for example 50 or 12.5).")
                         .arg(QuotedText(text)));
}

}  // namespace

float wavelengthFrom(const QString &text) {
    double value = 0;
    // Too large for double or too large for a float: the user sees one fault either way.
    try {
        value = StrToFloat(text);
    } catch (const EOverflow &) {
        throw tooLarge(text);
    } catch (const EConvertError &) {
        throw notANumber(text);
    }
    // Values from here up round to infinity in single precision.
    constexpr double floatOverflow = 0x1.ffffffp+127;
    if (std::fabs(value) >= floatOverflow) {
        throw tooLarge(text);
    }
    const float lambda = float(value);
    if (lambda == 0) {
        throw zero(text);
    }
    return lambda;
}

QImage frameUpdate(const QString &wavelengthText,
                   const std::function<void(const QString &)> &showPhase) {
    phase = float(double(phase) + phaseStep);
    showPhase(FloatToStr(phase));
    const float lambda = wavelengthFrom(wavelengthText);
    waveField.compute(sourceX, sourceY, lambda, fallOff, phase);
    const std::uint8_t *pixels = renderer->convert();
    const auto [width, height] = renderer->getSize();
    return CreateBitmap(width, height, 1, 32, pixels);
}

// How often the running animation makes a frame.
constexpr int frameIntervalMs = 1500;
// Where the window first appears, where the screen has room for it there.
constexpr QPoint windowPosition(221, 112);

TForm1 *Form1 = nullptr;

TForm1::TForm1(QWidget *parent) : QMainWindow(parent), Timer1(new QTimer(this)) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setupUi(this);
    useDesignFont(this);
    for (QLabel *label : {StaticText1, StaticText2}) {
        fitTextToWidth(label);
    }
    // The window is exactly as large as the central area and the menu bar above it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    placeOnScreen(this, windowPosition);
    ScrollBox1->viewport()->setBackgroundRole(QPalette::Window);
    showPhase(Label1->text());

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(frameIntervalMs);
    // Coarse timers may fire up to 5 % early.
    Timer1->setTimerType(Qt::PreciseTimer);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(New1, &QAction::triggered, this, &TForm1::New1Click);
    connect(Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
}

void TForm1::Button1Click() {
    if (Timer1->isActive()) {
        Timer1->stop();
        Button1->setText(QStringLiteral("Start"));
    } else {
        Timer1->start();
        Button1->setText(QStringLiteral("Stop"));
    }
}

void TForm1::showPhase(const QString &text) {
    Label1->setText(text);
    // The label fits its text, whatever the font's width.
    Label1->adjustSize();
    // Assistive technology reads the label by its name, "Phase", and the value from here.
    Label1->setAccessibleDescription(text);
}

void TForm1::Timer1Timer() {
    const auto showPhase = [this](const QString &text) { this->showPhase(text); };
    // Nothing may leave a handler: an exception thrown through Qt's event loop is undefined.
    try {
        Image1->setPicture(frameUpdate(Edit1->text(), showPhase));
        // The fault the box reports has gone.
        if (errorMessage) {
            errorMessage->hide();
        }
    } catch (...) {
        showError(std::current_exception());
    }
}

void TForm1::showError(std::exception_ptr error) noexcept {
    try {
        QString message;
        try {
            std::rethrow_exception(error);
        } catch (const Exception &e) {
            message = e.Message();
        } catch (const std::bad_alloc &) {
            message = QStringLiteral("Not enough memory to make the next frame.");
        } catch (const std::exception &e) {
            message = QString::fromUtf8(e.what());
        } catch (...) {
            message = QStringLiteral("The next frame could not be made.");
        }
        // One box, reused: a bad wavelength fails again at every tick, and a new box each time
        // would bury the window. It must not take the keyboard from the wavelength field either,
        // since the user is probably typing the correction there.
        if (!errorMessage) {
            errorMessage = new QMessageBox(QMessageBox::Critical, windowTitle(), QString(),
                                           QMessageBox::Ok, this);
            errorMessage->setWindowModality(Qt::NonModal);
            errorMessage->setAttribute(Qt::WA_ShowWithoutActivating);
            // The message quotes what the user typed: it is shown as typed, never read as markup
            // that could load files or images.
            errorMessage->setTextFormat(Qt::PlainText);
        }
        errorMessage->setText(message);
        if (!errorMessage->isVisible()) {
            errorMessage->show();
        }
    } catch (...) {
        // Showing the error failed as well, for want of memory; the next tick tries again.
    }
}

// Ends the event loop at once rather than calling exit() from inside it: main then returns 0 with
// the windows and the application torn down in order, where exit() would run static destructors
// under a live QApplication.
void TForm1::Exit1Click() { QCoreApplication::exit(0); }

void TForm1::New1Click() {
    Form2->show();
    // Shown already, it may lie behind other windows: bring it to the front, with the keyboard.
    Form2->raise();
    Form2->activateWindow();
}

void TForm1::closeEvent(QCloseEvent *event) {
    // The main window's end is the program's end, whatever other window is still shown.
    event->accept();
    QCoreApplication::exit(0);
}
