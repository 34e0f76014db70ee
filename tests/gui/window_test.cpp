// The main window and the New canvas dialog, driven through their widgets.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <cstring>
#include <memory>

#include "app/Main.h"
#include "app/New.h"
#include "platform/Placement.h"
#include "platform/SysUtils.h"
#include "reference_frame.h"

namespace {

// The phase after n ticks: n additions, each rounded to single precision.
float phaseAfter(int ticks) {
    float value = 0;
    for (int i = 0; i < ticks; ++i) {
        value = float(double(value) + 0.02);
    }
    return value;
}

// The timer's own signal, as the event loop would deliver it, without waiting 1.5 s.
void tick() { QVERIFY(QMetaObject::invokeMethod(Form1->Timer1, "timeout")); }

bool sameAsReference(const QImage &picture, int ticks, float lambda) {
    const std::vector<std::uint8_t> expected = referenceFrame(ticks, lambda);
    for (int y = 0; y < picture.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int grey = expected[std::size_t(y) * 1000 + std::size_t(x)];
            if (row[x] != qRgb(grey, grey, grey)) {
                qWarning("pixel (%d, %d): shown %08x, core %d", x, y, row[x], grey);
                return false;
            }
        }
    }
    return true;
}

QList<QMessageBox *> visibleMessageBoxes() {
    QList<QMessageBox *> boxes;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible()) {
            boxes.append(box);
        }
    }
    return boxes;
}

// The widgets that Tab visits, in order, starting from first.
QList<QWidget *> tabChain(QWidget *first) {
    QList<QWidget *> chain;
    QWidget *widget = first;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled()) {
            chain.append(widget);
        }
        widget = widget->nextInFocusChain();
    } while (widget != first);
    return chain;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        phase = 0;
        mainWindow = std::make_unique<TForm1>();
        Form1 = mainWindow.get();
        Form1->show();
        dialog = std::make_unique<TForm2>(mainWindow.get());
        Form2 = dialog.get();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
    }

    void cleanup() {
        Form2 = nullptr;
        dialog.reset();
        Form1 = nullptr;
        mainWindow.reset();
    }

    void startState() {
        QVERIFY(Form1->Image1->picture().isNull());
        QCOMPARE(Form1->Label1->text(), QStringLiteral("Label1"));
        QCOMPARE(Form1->Edit1->text(), QStringLiteral("50"));
        QCOMPARE(Form1->Button1->text(), QStringLiteral("Start"));
        QVERIFY(!Form1->Timer1->isActive());
        QCOMPARE(Form1->Timer1->interval(), 1500);
        QCOMPARE(Form1->Timer1->timerType(), Qt::PreciseTimer);
        QCOMPARE(Form1->windowTitle(), QStringLiteral("Ondoria"));
        QVERIFY(Form1->Edit1->validator() == nullptr);
        QVERIFY(Form1->findChildren<QStatusBar *>().isEmpty());
        QVERIFY(Form1->findChildren<QToolBar *>().isEmpty());
        QCOMPARE(Form1->ScrollBox1->frameShape(), QFrame::NoFrame);
        QCOMPARE(Form1->Image1->cursor().shape(), Qt::CrossCursor);
        QCOMPARE(Form1->Image1->parentWidget(), Form1->ScrollBox1->viewport());
        QVERIFY(!Form2->isVisible());
        QCOMPARE(Form2->windowTitle(), QStringLiteral("New canvas"));
        QVERIFY(Form2->Edit1->text().isEmpty());
        QVERIFY(Form2->Edit2->text().isEmpty());
        QVERIFY(Form1->errorBox() == nullptr);
    }

    void menu() {
        QCOMPARE(Form1->MainMenu1->actions(), QList<QAction *>{Form1->File1->menuAction()});
        QCOMPARE(Form1->File1->title(), QStringLiteral("&File"));
        const QList<QAction *> items = Form1->File1->actions();
        QCOMPARE(items, (QList<QAction *>{Form1->New1, Form1->Save1, Form1->N1, Form1->Exit1}));
        QCOMPARE(Form1->New1->text(), QStringLiteral("&New..."));
        QCOMPARE(Form1->Save1->text(), QStringLiteral("&Save"));
        QVERIFY(Form1->N1->isSeparator());
        QCOMPARE(Form1->Exit1->text(), QStringLiteral("E&xit"));

        // Save does nothing: no window, no frame, no phase.
        const QWidgetList before = QApplication::topLevelWidgets();
        Form1->Save1->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::topLevelWidgets(), before);
        QVERIFY(Form1->Image1->picture().isNull());
        QCOMPARE(phase, 0.0f);
    }

    // The labels keep their designed sizes; whatever face stands in for the designed font, the
    // whole text must show.
    void labelsShowTheirWholeText() {
        const QList<QLabel *> labels = {Form1->Label1, Form1->StaticText1, Form1->StaticText2,
                                        Form2->Label1, Form2->StaticText1, Form2->StaticText2};
        for (QLabel *label : labels) {
            const int needed = label->fontMetrics().horizontalAdvance(label->text());
            QVERIFY2(needed <= label->contentsRect().width(),
                     qPrintable(QStringLiteral("%1 of %2 needs %3 px, has %4")
                                    .arg(label->objectName(), label->window()->objectName())
                                    .arg(needed)
                                    .arg(label->contentsRect().width())));
        }
        const QRect dialogLabel = Form2->Label1->geometry();
        QVERIFY(Form2->rect().contains(dialogLabel));
    }

    void geometry_data() {
        QTest::addColumn<bool>("inDialog");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("expected");
        const struct {
            bool inDialog;
            const char *name;
            QRect expected;
        } cases[] = {
            {false, "Button1", {8, 520, 89, 25}},   {false, "StaticText1", {128, 520, 40, 17}},
            {false, "Edit1", {168, 520, 41, 21}},   {false, "ScrollBox1", {8, 8, 505, 497}},
            {false, "Image1", {0, 0, 265, 241}},    {false, "StaticText2", {224, 520, 37, 17}},
            {true, "Label1", {8, 8, 188, 13}},      {true, "Edit1", {48, 32, 41, 21}},
            {true, "Edit2", {48, 56, 41, 21}},      {true, "Button1", {40, 88, 49, 25}},
            {true, "Button2", {96, 88, 65, 25}},    {true, "StaticText1", {8, 32, 32, 17}},
            {true, "StaticText2", {8, 56, 38, 17}},
        };
        for (const auto &c : cases) {
            QTest::addRow("%s.%s", c.inDialog ? "Form2" : "Form1", c.name)
                << c.inDialog << QString::fromLatin1(c.name) << c.expected;
        }
    }

    void geometry() {
        QFETCH(bool, inDialog);
        QFETCH(QString, name);
        QFETCH(QRect, expected);
        QWidget *form = inDialog ? static_cast<QWidget *>(Form2) : Form1;
        auto *widget = form->findChild<QWidget *>(name);
        QVERIFY(widget != nullptr);
        QCOMPARE(widget->geometry(), expected);
    }

    void windows() {
        // The client area below the menu bar, fixed, and the window where it was placed.
        QCOMPARE(Form1->centralWidget()->size(), QSize(523, 555));
        QCOMPARE(Form1->centralWidget()->y(), Form1->MainMenu1->height());
        QCOMPARE(Form1->size(), QSize(523, 555 + Form1->MainMenu1->height()));
        QCOMPARE(Form1->minimumSize(), Form1->maximumSize());
        QCOMPARE(Form1->pos(), QPoint(221, 112));
        QVERIFY(!(Form1->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(Form1->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(Form1->windowFlags() & Qt::WindowSystemMenuHint);
        QCOMPARE(Form1->Label1->pos(), QPoint(264, 520));

        QCOMPARE(Form2->size(), QSize(203, 121));
        QCOMPARE(Form2->minimumSize(), Form2->maximumSize());
        QCOMPARE(Form2->pos(), QPoint(516, 231));
        const Qt::WindowFlags buttons = Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                        Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
        QVERIFY(!(Form2->windowFlags() & buttons));
        QVERIFY(Form2->isWindow());
        QVERIFY(!Form2->testAttribute(Qt::WA_QuitOnClose));
        // A dialog of the main window's, so window managers keep it above that window.
        QVERIFY(qobject_cast<QDialog *>(Form2) != nullptr);
        QCOMPARE(Form2->parentWidget(), Form1);
        QVERIFY(!Form2->isModal());

        QCOMPARE(tabChain(Form1->Button1),
                 (QList<QWidget *>{Form1->Button1, Form1->Edit1, Form1->ScrollBox1}));
        QCOMPARE(tabChain(Form2->Edit1),
                 (QList<QWidget *>{Form2->Edit1, Form2->Edit2, Form2->Button1, Form2->Button2}));
    }

    void startStop() {
        QTest::mouseClick(Form1->Button1, Qt::LeftButton);
        QCOMPARE(Form1->Button1->text(), QStringLiteral("Stop"));
        QVERIFY(Form1->Timer1->isActive());
        QTest::mouseClick(Form1->Button1, Qt::LeftButton);
        QCOMPARE(Form1->Button1->text(), QStringLiteral("Start"));
        QVERIFY(!Form1->Timer1->isActive());
        QCoreApplication::processEvents();
        QVERIFY(Form1->Image1->picture().isNull());
        QCOMPARE(Form1->Label1->text(), QStringLiteral("Label1"));
        QCOMPARE(phase, 0.0f);
    }

    void tickShowsFrame() {
        tick();
        const QImage &picture = Form1->Image1->picture();
        QCOMPARE(picture.size(), QSize(1000, 1000));
        QCOMPARE(picture.format(), QImage::Format_RGB32);
        QVERIFY(sameAsReference(picture, 1, 50));
        QCOMPARE(Form1->Label1->text(), FloatToStr(phaseAfter(1)));
        QCOMPARE(Form1->Label1->text(), QStringLiteral("0.0199999995529652"));
        // The label grew to its text; the image took the picture's size, so the area scrolls.
        QVERIFY(Form1->Label1->width() >= Form1->Label1->sizeHint().width());
        QCOMPARE(Form1->Label1->pos(), QPoint(264, 520));
        QCOMPARE(Form1->Image1->geometry(), QRect(0, 0, 1000, 1000));
        QVERIFY(Form1->ScrollBox1->horizontalScrollBar()->maximum() > 0);
        QVERIFY(Form1->ScrollBox1->verticalScrollBar()->maximum() > 0);

        // Shown unscaled, from the top-left corner; scrolled to the end, the bottom-right
        // corner of the picture fills the area.
        QWidget *viewport = Form1->ScrollBox1->viewport();
        const auto shown = [viewport] {
            return viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        QCOMPARE(shown(), picture.copy(QRect(QPoint(0, 0), viewport->size())));
        Form1->ScrollBox1->horizontalScrollBar()->setValue(1000);
        Form1->ScrollBox1->verticalScrollBar()->setValue(1000);
        const QPoint end(1000 - viewport->width(), 1000 - viewport->height());
        QCOMPARE(shown(), picture.copy(QRect(end, viewport->size())));
    }

    void wavelengthChangeTakesEffect() {
        tick();
        Form1->Edit1->setText(QStringLiteral("20.5"));
        tick();
        QVERIFY(sameAsReference(Form1->Image1->picture(), 2, 20.5f));
    }

    void badWavelength_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("letters") << QStringLiteral("abc");
        QTest::newRow("trailing garbage") << QStringLiteral("50px");
        QTest::newRow("comma") << QStringLiteral("50,5");
        QTest::newRow("zero") << QStringLiteral("0");
    }

    void badWavelength() {
        QFETCH(QString, text);
        QTest::mouseClick(Form1->Button1, Qt::LeftButton);
        tick();
        const qint64 goodFrame = Form1->Image1->picture().cacheKey();

        Form1->Edit1->setText(text);
        tick();
        QCOMPARE(Form1->Image1->picture().cacheKey(), goodFrame);
        QCOMPARE(Form1->Label1->text(), FloatToStr(phaseAfter(2)));
        QCOMPARE(visibleMessageBoxes(), QList<QMessageBox *>{Form1->errorBox()});
        QVERIFY(Form1->errorBox()->text().contains(text));
        // Whether it leaves the keyboard to the wavelength field is checked under a real X
        // server: the offscreen platform activates every window it shows.
        QVERIFY(!Form1->errorBox()->isModal());

        // The next tick fails again: the same box carries the new message.
        Form1->Edit1->setText(text + QStringLiteral("x"));
        tick();
        QCOMPARE(visibleMessageBoxes(), QList<QMessageBox *>{Form1->errorBox()});
        QVERIFY(Form1->errorBox()->text().contains(text + QStringLiteral("x")));
        QCOMPARE(Form1->Label1->text(), FloatToStr(phaseAfter(3)));
        QCOMPARE(Form1->Image1->picture().cacheKey(), goodFrame);
        QVERIFY(Form1->Timer1->isActive());

        // Dismissed, it comes back at the next error.
        Form1->errorBox()->accept();
        tick();
        QCOMPARE(visibleMessageBoxes(), QList<QMessageBox *>{Form1->errorBox()});
        // A good text gives frames again, and the box goes away by itself.
        Form1->Edit1->setText(QStringLiteral("50"));
        tick();
        QVERIFY(sameAsReference(Form1->Image1->picture(), 5, 50));
        QVERIFY(visibleMessageBoxes().isEmpty());
        // The next error brings it back.
        Form1->Edit1->setText(text);
        tick();
        QCOMPARE(visibleMessageBoxes(), QList<QMessageBox *>{Form1->errorBox()});
    }

    // Text that would be markup, or is long enough to make a huge box, is shown as a short
    // plain quote, in one box on the screen, and loads nothing.
    void hostileWavelength_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("bold") << QStringLiteral("<b>x</b>");
        // An image of 400 by 400 pixels: read as markup, the box would grow to hold it.
        QTest::newRow("image") << QStringLiteral("<img src=\"p.png\">");
        QTest::newRow("long") << QString(10000, QLatin1Char('x'));
        QTest::newRow("long words") << QStringLiteral("abc ").repeated(12000);
        QTest::newRow("lines") << QStringLiteral("x\n").repeated(40);
    }

    void hostileWavelength() {
        QFETCH(QString, text);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QImage big(400, 400, QImage::Format_RGB32);
        big.fill(Qt::red);
        QVERIFY(big.save(folder.filePath(QStringLiteral("p.png"))));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));

        Form1->Edit1->setText(text);
        tick();
        tick();
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(visibleMessageBoxes(), QList<QMessageBox *>{Form1->errorBox()});
        QMessageBox *box = Form1->errorBox();
        QCOMPARE(Form1->Label1->text(), FloatToStr(phaseAfter(2)));
        QVERIFY2(box->text().startsWith(QLatin1Char('\'') + QuotedText(text) + QLatin1Char('\'')),
                 qPrintable(box->text()));
        // Shown as it stands: the label's text is the message itself, characters and all.
        auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label != nullptr);
        QVERIFY2(label->sizeHint().height() < 100,
                 qPrintable(QStringLiteral("%1 px tall").arg(label->sizeHint().height())));
        const QRect screen = box->screen()->availableGeometry();
        QVERIFY2(screen.contains(box->frameGeometry()),
                 qPrintable(QStringLiteral("box at %1,%2, %3 by %4")
                                .arg(box->frameGeometry().x())
                                .arg(box->frameGeometry().y())
                                .arg(box->frameGeometry().width())
                                .arg(box->frameGeometry().height())));
    }

    void stopAndStartCarryThePhaseOn() {
        QTest::mouseClick(Form1->Button1, Qt::LeftButton);
        tick();
        tick();
        QTest::mouseClick(Form1->Button1, Qt::LeftButton);
        QCOMPARE(Form1->Label1->text(), FloatToStr(phaseAfter(2)));
        QTest::mouseClick(Form1->Button1, Qt::LeftButton);
        tick();
        QCOMPARE(Form1->Label1->text(), FloatToStr(phaseAfter(3)));
        QVERIFY(sameAsReference(Form1->Image1->picture(), 3, 50));
    }

    void runningTimerDeliversFrames() {
        // The real timer, made fast: the handler is connected to it.
        QTest::mouseClick(Form1->Button1, Qt::LeftButton);
        Form1->Timer1->setInterval(1);
        QTRY_VERIFY(!Form1->Image1->picture().isNull());
        // With the dialog shown the animation goes on.
        Form1->New1->trigger();
        QVERIFY(Form2->isVisible());
        const float shownAt = phase;
        QTRY_VERIFY(phase > shownAt);
        QVERIFY(Form1->isEnabled());
        QTest::mouseClick(Form1->Button1, Qt::LeftButton);
        QVERIFY(!Form1->Timer1->isActive());
    }

    void newCanvasDialog() {
        Form1->New1->trigger();
        Form1->New1->trigger();
        QVERIFY(Form2->isVisible());
        int shownDialogs = 0;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            shownDialogs += qobject_cast<TForm2 *>(widget) && widget->isVisible();
        }
        QCOMPARE(shownDialogs, 1);
        QVERIFY(QTest::qWaitForWindowExposed(Form2));

        QTest::keyClicks(Form2->Edit1, QStringLiteral("640"));
        QTest::keyClicks(Form2->Edit2, QStringLiteral("480"));
        // Escape and Enter trigger nothing, wherever the keyboard is: neither closes the dialog
        // nor presses a button.
        const QSignalSpy okPressed(Form2->Button1, &QPushButton::clicked);
        const QSignalSpy cancelPressed(Form2->Button2, &QPushButton::clicked);
        for (QWidget *target : std::initializer_list<QWidget *>{
                 Form2->Edit1, Form2->Edit2, Form2->Button1, Form2->Button2, Form2}) {
            target->setFocus();
            for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
                QTest::keyClick(target, key);
                QTest::keyClick(target, key, Qt::KeypadModifier);
            }
        }
        QCOMPARE(okPressed.count(), 0);
        QCOMPARE(cancelPressed.count(), 0);
        QVERIFY(Form2->isVisible());
        QTest::mouseClick(Form2->Button1, Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(Form2->isVisible());
        QVERIFY(Form1->Image1->picture().isNull());

        // Shown already, New... brings it forward with the keyboard.
        Form1->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), Form1);
        Form1->New1->trigger();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(Form2));

        QTest::mouseClick(Form2->Button2, Qt::LeftButton);
        QVERIFY(!Form2->isVisible());
        Form1->New1->trigger();
        QVERIFY(Form2->isVisible());
        QCOMPARE(Form2->Edit1->text(), QStringLiteral("640"));
        QCOMPARE(Form2->Edit2->text(), QStringLiteral("480"));
    }

    void placement_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QPoint>("designed");
        QTest::addColumn<QPoint>("expected");
        const QRect screen(0, 0, 1024, 768);
        const QSize window(525, 600);
        // 1366 by 768 at 125 %: the window at its designed place runs off the bottom.
        const QRect scaled(0, 0, 1092, 614);
        QTest::newRow("fits") << screen << window << QPoint(221, 112) << QPoint(221, 112);
        QTest::newRow("just fits")
            << QRect(0, 0, 746, 712) << window << QPoint(221, 112) << QPoint(221, 112);
        QTest::newRow("too low") << scaled << window << QPoint(221, 112) << QPoint(221, 14);
        QTest::newRow("too far right")
            << QRect(0, 0, 700, 768) << window << QPoint(221, 112) << QPoint(175, 112);
        QTest::newRow("panel at the top")
            << QRect(0, 30, 1024, 600) << window << QPoint(221, 12) << QPoint(221, 30);
        QTest::newRow("second screen") << QRect(1024, 0, 800, 600) << QSize(200, 150)
                                       << QPoint(1700, 500) << QPoint(1624, 450);
        QTest::newRow("larger than the screen")
            << QRect(0, 0, 400, 300) << window << QPoint(221, 112) << QPoint(0, 0);
    }

    void placement() {
        QFETCH(QRect, available);
        QFETCH(QSize, frame);
        QFETCH(QPoint, designed);
        QFETCH(QPoint, expected);
        QCOMPARE(placeWithin(available, frame, designed), expected);
    }

    void closingMainWindowEndsTheLoop() {
        Form1->New1->trigger();
        QTimer::singleShot(0, Form1, [] { Form1->close(); });
        QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
    }

    void exitEndsTheLoop() {
        QTest::mouseClick(Form1->Button1, Qt::LeftButton);
        Form1->Timer1->setInterval(1);
        Form1->New1->trigger();
        QTimer::singleShot(20, Form1, [] { Form1->Exit1->trigger(); });
        QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
    }

private:
    std::unique_ptr<TForm1> mainWindow;
    std::unique_ptr<TForm2> dialog;
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
