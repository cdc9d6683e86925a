// vantrel-makeicons FOLDER: draws the application's icon into the icon theme's folders below
// FOLDER: FOLDER/hicolor/NxN/apps/<desktop id>.png for every size the window's icon has.
#include "Version.h"
#include "ui/Icons.h"

#include <QDir>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "Usage: vantrel-makeicons FOLDER\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int size : vantrel::AppIconSizes) {
        const QString folder = root.filePath(QString("hicolor/%1x%1/apps").arg(size));
        const QString path = QDir(folder).filePath(QString(vantrel::DesktopId) + ".png");
        if (!QDir().mkpath(folder) || !vantrel::AppIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "vantrel-makeicons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
