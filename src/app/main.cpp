#include "ui/FormMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantrel v1.0.0.0");
    vantrel::TFrmMain main;
    main.show();
    return app.exec();
}
