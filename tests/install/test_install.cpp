// The build installed into a temporary prefix as `cmake --install build --prefix P` does, and
// what a user of the installed programs meets: the programs find their data in P/share/vantrel
// from any folder, the desktop files pass the platform's validators, the thumbnailer entry makes
// thumbnails, and the window answers --version without a display. Every program runs with HOME
// and the XDG folders in a temporary folder.
#include "Version.h"
#include "cli/Commands.h"
#include "imaging/Imaging.h"
#include "sprite/SHP.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct TRun {
    int Status = -1;
    QString Out;
    QString Err;
};

const QString AppId = VANTREL_APP_ID;
const QStringList Samples = {"ts-tank.shp", "td-tank.shp", "ra2-cameo.shp"};

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Prefix = std::make_unique<QTemporaryDir>();
        Home = std::make_unique<QTemporaryDir>();
        Elsewhere = std::make_unique<QTemporaryDir>();
        QProcess install;
        install.start(VANTREL_CMAKE, {"--install", VANTREL_BUILD_DIR, "--prefix", Prefix->path()});
        InstallLog = install.waitForFinished(300000) && install.exitStatus() == QProcess::NormalExit
                         ? install.exitCode() == 0 ? QString() : QString(install.readAllStandardError())
                         : "cmake --install did not finish";
    }
    static void TearDownTestSuite()
    {
        Prefix.reset();
        Home.reset();
        Elsewhere.reset();
    }
    void SetUp() override { ASSERT_TRUE(InstallLog.isEmpty()) << InstallLog.toStdString(); }

    static QString P(const QString& relative) { return QDir(Prefix->path()).filePath(relative); }
    static QString Sample(const QString& name) { return P("share/vantrel/SHPs/" + name); }

    // An environment with no display, HOME and the XDG folders in an empty temporary folder, and
    // P/bin first on PATH.
    static QProcessEnvironment UserEnvironment()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        const QDir home(Home->path());
        env.insert("HOME", home.path());
        env.insert("XDG_DATA_HOME", home.filePath(".local/share"));
        env.insert("XDG_CONFIG_HOME", home.filePath(".config"));
        env.insert("XDG_DATA_DIRS", home.filePath("system-data"));
        env.insert("PATH", P("bin") + ":" + env.value("PATH"));
        return env;
    }

    // Runs a program, found on the PATH of UserEnvironment, in a folder that has nothing to do with
    // the prefix.
    static TRun Run(const QString& name, const QStringList& args, const QString& folder = Elsewhere->path())
    {
        const QProcessEnvironment env = UserEnvironment();
        const QString program = QStandardPaths::findExecutable(name, env.value("PATH").split(':'));
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(folder);
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(program, args);
        TRun run;
        if (!process.waitForStarted(30000) || !process.waitForFinished(120000)) {
            run.Err = name + " did not run: " + process.errorString();
            return run;
        }
        run.Status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        run.Out = process.readAllStandardOutput();
        run.Err = process.readAllStandardError();
        return run;
    }

    static QString Text(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    static inline std::unique_ptr<QTemporaryDir> Prefix, Home, Elsewhere;
    static inline QString InstallLog;
};

// The value of key in the first group of a desktop-entry style file.
QString EntryValue(const QString& text, const QString& key)
{
    const QRegularExpression line("^" + QRegularExpression::escape(key) + "=(.*)$", QRegularExpression::MultilineOption);
    return line.match(text).captured(1);
}

} // namespace

TEST_F(Installed, ProgramsDataIconsAndDesktopFilesGoWhereTheDesktopLooks)
{
    QStringList files = {"bin/vantrel",
                         "bin/vantrel-cli",
                         "share/vantrel/palette/TS/unittem.pal",
                         "share/vantrel/palette/TD/temperat.pal",
                         "share/vantrel/Backgrounds/TS-Temperate.png",
                         "share/vantrel/cscheme/default.bcs",
                         "share/applications/" + AppId + ".desktop",
                         "share/metainfo/" + AppId + ".metainfo.xml",
                         "share/mime/packages/" + AppId + ".xml",
                         "share/thumbnailers/vantrel.thumbnailer",
                         "share/man/man1/vantrel.1",
                         "share/man/man1/vantrel-cli.1"};
    for (const QString& sample : Samples)
        files << "share/vantrel/SHPs/" + sample;
    for (const QString& file : files)
        EXPECT_TRUE(QFile::exists(P(file))) << file.toStdString();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage icon(P(QString("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId)));
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_TRUE(icon.hasAlphaChannel()) << size;
    }
    // The manual page of the tool has a section for every command.
    const QString page = Text(P("share/man/man1/vantrel-cli.1"));
    EXPECT_TRUE(page.startsWith(".TH VANTREL\\-CLI 1"));
    for (const vantrel::cli::TCommand& command : vantrel::cli::CommandTable())
        EXPECT_TRUE(page.contains(".SS " + QString(command.Name).replace("-", "\\-") + "\n")) << command.Name;
    EXPECT_TRUE(Text(P("share/man/man1/vantrel.1")).contains(QString("Vantrel ") + vantrel::VersionText));
}

TEST_F(Installed, CliFromAnotherFolderDrawsASampleWithItsDefaultPaletteFromShare)
{
    const TRun run = Run(P("bin/vantrel-cli"), {"render", Sample("ts-tank.shp"), "-o", "tank.png"});
    ASSERT_EQ(run.Status, 0) << run.Err.toStdString();
    const QImage drawn = QImage(QDir(Elsewhere->path()).filePath("tank.png")).convertToFormat(QImage::Format_ARGB32);

    vantrel::TSHP sprite;
    sprite.LoadFromFile(Sample("ts-tank.shp").toStdString());
    sprite.LoadDefaultPalette(P("share/vantrel/palette/").toStdString());
    EXPECT_EQ(sprite.PaletteName, "TS/unittem.pal");
    EXPECT_EQ(drawn, vantrel::FrameToPNG(sprite, 0, false).convertToFormat(QImage::Format_ARGB32));

    // The same program without the prefix's data beside it finds no palette.
    QTemporaryDir bare;
    ASSERT_TRUE(QDir(bare.path()).mkdir("bin"));
    ASSERT_TRUE(QFile::copy(P("bin/vantrel-cli"), bare.filePath("bin/vantrel-cli")));
    const TRun alone = Run(bare.filePath("bin/vantrel-cli"), {"render", Sample("ts-tank.shp"), "-o", "bare.png"});
    EXPECT_EQ(alone.Status, 2);
    EXPECT_TRUE(alone.Err.contains("No palette for")) << alone.Err.toStdString();
}

TEST_F(Installed, DesktopEntryMetadataAndFileTypePassTheValidators)
{
    const QString desktop = P("share/applications/" + AppId + ".desktop");
    TRun run = Run("desktop-file-validate", {desktop});
    EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out + run.Err, "");
    run = Run("appstreamcli", {"validate", "--no-net", P("share/metainfo/" + AppId + ".metainfo.xml")});
    EXPECT_EQ(run.Status, 0) << run.Out.toStdString() << run.Err.toStdString();

    // The MIME package builds a database that knows the type the entries name.
    QTemporaryDir mime;
    ASSERT_TRUE(QDir(mime.path()).mkdir("packages"));
    ASSERT_TRUE(QFile::copy(P("share/mime/packages/" + AppId + ".xml"), mime.filePath("packages/vantrel.xml")));
    run = Run("update-mime-database", {mime.path()});
    EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
    EXPECT_TRUE(QFile::exists(mime.filePath("image/x-shp-sprite.xml")));
    EXPECT_TRUE(Text(mime.filePath("globs2")).contains("image/x-shp-sprite:*.shp"));

    const QString entry = Text(desktop);
    EXPECT_EQ(EntryValue(entry, "MimeType"), "image/x-shp-sprite;");
    EXPECT_EQ(EntryValue(entry, "Icon"), AppId);
    EXPECT_EQ(EntryValue(entry, "Exec"), "vantrel %f");
    EXPECT_EQ(EntryValue(Text(P("share/thumbnailers/vantrel.thumbnailer")), "MimeType"), "image/x-shp-sprite;");
}

TEST_F(Installed, ThumbnailerEntryWritesAThumbnailOfASampleAndNothingForText)
{
    const QString exec = EntryValue(Text(P("share/thumbnailers/vantrel.thumbnailer")), "Exec");
    ASSERT_TRUE(exec.startsWith("vantrel-cli thumbnail ")) << exec.toStdString();
    auto thumbnail = [&](const QString& input, const QString& output, int size) {
        QStringList args = exec.split(' ');
        const QString program = args.takeFirst();
        for (QString& arg : args)
            arg.replace("%i", input).replace("%o", output).replace("%s", QString::number(size));
        return Run(program, args);
    };
    const QString out = QDir(Elsewhere->path()).filePath("t.png");
    for (const QString& sample : Samples) {
        for (int size : {128, 24}) {
            QFile::remove(out);
            const TRun run = thumbnail(Sample(sample), out, size);
            ASSERT_EQ(run.Status, 0) << sample.toStdString() << run.Err.toStdString();
            const QImage image = QImage(out).convertToFormat(QImage::Format_ARGB32);
            EXPECT_EQ(image.size(), QSize(size, size)) << sample.toStdString();
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
            int opaque = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    opaque += qAlpha(image.pixel(x, y)) == 255;
            EXPECT_GT(opaque, size / 4) << sample.toStdString();
        }
    }
    QFile::remove(out);
    const QString text = QDir(Elsewhere->path()).filePath("notes.shp");
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("These are notes, not a sprite.\n");
    }
    const TRun refused = thumbnail(text, out, 128);
    EXPECT_NE(refused.Status, 0);
    EXPECT_FALSE(QFile::exists(out));
    // The text file among the samples, named like a sprite, is refused too.
    ASSERT_TRUE(QFile::exists(Sample("readme.shp")));
    EXPECT_NE(thumbnail(Sample("readme.shp"), out, 64).Status, 0);
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(Installed, WindowAnswersVersionAndHelpWithoutADisplay)
{
    TRun run = Run(P("bin/vantrel"), {"--version"});
    EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, QString("vantrel ") + vantrel::VersionText + "\n");
    run = Run(P("bin/vantrel"), {"--help"});
    EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.contains("[options] [FILE]")) << run.Out.toStdString();
    run = Run(P("bin/vantrel-cli"), {"--version"});
    EXPECT_EQ(run.Out, QString("vantrel-cli ") + vantrel::VersionText + "\n");
    // Nothing was written into the home folder by any of the programs.
    EXPECT_TRUE(QDir(Home->path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}
