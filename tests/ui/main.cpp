// The UI tests need a QApplication; they run on the offscreen platform unless told otherwise.
// Settings and the user's data folder go to a temporary folder, never to the real home.
#include "ui/FormMain.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, home.filePath(name).toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setApplicationName(vantrel::ApplicationTitle());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
