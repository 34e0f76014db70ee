#include <QApplication>
#include <QMessageBox>

#include "app/Icon.h"
#include "app/Main.h"
#include "app/New.h"
#include "platform/SysUtils.h"

namespace {

// Points a form's global at the form for as long as the form exists.
template <typename Form>
class Published {
public:
    Published(Form *&global, Form &form) : global(global) { global = &form; }
    ~Published() { global = nullptr; }

    Published(const Published &) = delete;
    Published &operator=(const Published &) = delete;

private:
    Form *&global;
};

void ShowException(const Exception &error) {
    QMessageBox::critical(nullptr, QStringLiteral("Ondoria"), error.Message());
}

}  // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QApplication::setWindowIcon(programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("ondoria"));
    // The handlers let nothing through the event loop; this catches what making the windows
    // may throw.
    try {
        TForm1 mainWindow;
        const Published mainWindowPublished(Form1, mainWindow);
        mainWindow.show();
        TForm2 dialog;
        const Published dialogPublished(Form2, dialog);
        QApplication::exec();
    } catch (const Exception &error) {
        ShowException(error);
    } catch (...) {
        ShowException(Exception(QString()));
    }
    return 0;
}
