#include <QApplication>
#include <QMessageBox>

#include "app/Main.h"
#include "app/New.h"
#include "platform/SysUtils.h"

namespace {

void ShowException(const QString &message) {
    QMessageBox::critical(nullptr, QStringLiteral("Ondoria"), message);
}

}  // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("ondoria"));
    try {
        TForm1 mainWindow;
        Form1 = &mainWindow;
        mainWindow.show();
        TForm2 dialog;
        Form2 = &dialog;
        application.exec();
        Form2 = nullptr;
        Form1 = nullptr;
    } catch (const Exception &error) {
        Form2 = nullptr;
        Form1 = nullptr;
        ShowException(error.Message());
    } catch (...) {
        Form2 = nullptr;
        Form1 = nullptr;
        ShowException(QString());
    }
    return 0;
}
