#pragma once

#include <QImage>
#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <exception>
#include <functional>

#include "render/render.h"
#include "ui_Main.h"
#include "wave/sine.h"

class QMessageBox;
class QTimer;

// The canvas state the animation runs on. Only the frame update changes any of it, and only
// phase and the contents of the field, the pixels and the picture.
extern std::uint32_t canvasWidth;
extern std::uint32_t canvasHeight;
extern std::uint32_t sourceX;
extern std::uint32_t sourceY;
extern render *renderer;
extern float phase;
extern sine waveField;

// The wavelength a text stands for, rounded to single precision. Raises Exception for a text
// that is not a number, and for 0 or a value too large for a float, which give no picture; the
// message quotes the start of the text and says what the field accepts.
float wavelengthFrom(const QString &text);

// One animation tick: advances the phase, hands its text to showPhase, reads the wavelength from
// wavelengthText, recomputes the field and returns the new frame. The phase is shown before the
// wavelength is read, so a bad text (which raises Exception) still advances the read-out.
QImage frameUpdate(const QString &wavelengthText,
                   const std::function<void(const QString &)> &showPhase);

// The main window: the picture, the Start/Stop button, the wavelength field and the phase
// read-out. All animation state is the canvas state above; the window only shows it.
class TForm1 : public QMainWindow, public Ui::TForm1 {
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);

    QTimer *Timer1;

    void Button1Click();
    void Timer1Timer();
    void Exit1Click();
    void New1Click();

    // The one box that reports frame update errors; null until the first error. It goes away by
    // itself at the next frame.
    QMessageBox *errorBox() const { return errorMessage; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showPhase(const QString &text);
    // Shows what went wrong in the one error box. Throws nothing, whatever fails.
    void showError(std::exception_ptr error) noexcept;

    QMessageBox *errorMessage = nullptr;  // owned by the window, kept for reuse
};

extern TForm1 *Form1;
