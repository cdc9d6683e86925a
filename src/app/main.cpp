#include "imaging/StandardFolders.h"
#include "ui/FormMain.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantrel v1.0.0.0");
    vantrel::UseStandardDataFolders();
    vantrel::TFrmMain window;
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
    return app.exec();
}
