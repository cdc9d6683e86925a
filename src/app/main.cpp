// vantrel [FILE]: the main window, which opens FILE once it has started.
#include "Version.h"
#include "imaging/StandardFolders.h"
#include "ui/FormMain.h"
#include "ui/Icons.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

void DescribeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription("Vantrel views and edits the SHP sprite files of Tiberian Dawn, Red Alert, "
                                     "Tiberian Sun and Red Alert 2.");
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions); // as Qt's own -platform
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("FILE", "An SHP file to open once the window has started.", "[FILE]");
}

QStringList ArgumentList(int argc, char** argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

// Answers --help and --version without a window, so without a display. Everything else is read
// once the application has taken its own options (-platform NAME ...) from the command line.
bool AnswerWithoutWindow(int argc, char** argv)
{
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.parse(ArgumentList(argc, argv)); // unknown options may be Qt's own
    const bool help = parser.isSet("help") || parser.isSet("help-all");
    if (!help && !parser.isSet("version"))
        return false;
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName("vantrel");
    QCoreApplication::setApplicationVersion(vantrel::VersionText);
    if (help)
        parser.showHelp(); // prints and exits
    parser.showVersion();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (AnswerWithoutWindow(argc, argv))
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName("vantrel");
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.process(app); // ends the program on an unknown option
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "vantrel: only one FILE can be opened (see vantrel --help)\n");
        return 1;
    }
    QApplication::setApplicationName(vantrel::ApplicationTitle()); // the title of the message boxes
    QApplication::setApplicationVersion(vantrel::VersionText);
    QGuiApplication::setDesktopFileName(vantrel::DesktopId);
    QApplication::setWindowIcon(vantrel::AppIcon());
    vantrel::UseStandardDataFolders();

    vantrel::TFrmMain window;
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
    if (!parser.positionalArguments().isEmpty()) {
        const QString file = parser.positionalArguments().first();
        QTimer::singleShot(0, &window, [&window, file] { window.OpenCommandLineFile(file); });
    }
    return app.exec();
}
