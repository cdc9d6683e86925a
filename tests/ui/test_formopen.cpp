// The open dialog driven through its controls: listing, thumbnails, preview, navigation, results.
#include "sprite/FileUtil.h"
#include "sprite/SHP.h"
#include "ui/FormOpen.h"
#include "ui/Icons.h"
#include "ui/SHPListModel.h"
#include "ui/ThumbnailDelegate.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace vantrel;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

using TFill = std::function<uint8_t(int frame, int x, int y)>;

// A palette file whose entry i holds the 6-bit values (i + seed, 2i + seed, 3i + seed) mod 64.
void WritePalette(const QString& path, int seed)
{
    QByteArray bytes(768, 0);
    for (int i = 0; i < 256; ++i) {
        bytes[3 * i] = char((i + seed) % 64);
        bytes[3 * i + 1] = char((2 * i + seed) % 64);
        bytes[3 * i + 2] = char((3 * i + seed) % 64);
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QColor PaletteColour(int seed, int i)
{
    return QColor(((i + seed) % 64) * 4, ((2 * i + seed) % 64) * 4, ((3 * i + seed) % 64) * 4);
}

int CheckerGrey(int x, int y) { return ((x % 16) / 8 + (y % 16) / 8) % 2 == 0 ? 200 : 250; }

// A translucent black shadow pixel blended over grey g.
int ShadowOver(int g) { return (128 * g + 255) / 256; }

QColor Grey(int g) { return QColor(g, g, g); }

void WriteSprite(const QString& path, int w, int h, int frames, const TFill& fill,
                 TSHPFormat layout = TSHPFormat::TS)
{
    TSHP s;
    s.AddFrames(frames, w, h);
    for (int f = 0; f < frames; ++f)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                s.Frames[size_t(f)].Data[size_t(y * w + x)] = fill(f, x, y);
    for (int f = 0; f < frames; ++f)
        s.UpdateFrameBounds(f);
    s.SaveToFile(path.toStdString(), layout);
}

void WriteSmallSprite(const QString& path) { WriteSprite(path, 8, 8, 1, [](int, int, int) { return 7; }); }

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class OpenDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(App.isValid() && Dir.isValid());
        SetAppFolder(App.path().toStdString());
        for (const char* game : {"TD", "TS", "RA2"})
            QDir(App.path()).mkpath(QString("palette/") + game);
        WritePalette(Pal("TD", "temperat"), 1);
        WritePalette(Pal("TS", "anim"), 2);
        WritePalette(Pal("TS", "unittem"), 3);
        WritePalette(Pal("TS", "cameo"), 4);
        WritePalette(Pal("RA2", "cameo"), 5);
        WritePalette(Pal("RA2", "unittem"), 6);
    }
    void TearDown() override
    {
        Dlg.reset();
        SetAppFolder("");
    }

    QString Pal(const char* game, const char* name) const
    {
        return App.path() + "/palette/" + game + "/" + name + ".pal";
    }
    static QString PaletteName(const char* game, const char* name)
    {
        return QString(game) + QDir::separator() + name + ".pal";
    }
    QString Folder() const { return QDir::toNativeSeparators(Dir.path()); }
    QString Path(const QString& name) const { return Folder() + QDir::separator() + name; }

    void Show()
    {
        if (!Dlg)
            Dlg = std::make_unique<TFrmOpen>();
        Dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Dlg.get()));
    }
    void Open(const QString& folder)
    {
        Show();
        Dlg->GoToFolder(folder);
        Draw();
    }
    // Paints the visible cells, as the screen would, and lets hidden rows leave the layout.
    QImage Draw()
    {
        const QImage image = Dlg->SHPList->viewport()->grab().toImage();
        QCoreApplication::processEvents();
        return image;
    }
    QStringList Captions() const
    {
        QStringList list;
        for (int row = 0; row < Dlg->SHPListModel->ItemCount(); ++row)
            list << Dlg->SHPListModel->Item(row).Caption;
        return list;
    }
    int Row(const QString& caption) const { return int(Captions().indexOf(caption)); }
    QRect Cell(int row) const { return Dlg->SHPList->visualRect(Dlg->SHPListModel->index(row)); }
    void Click(const QString& caption)
    {
        Dlg->SHPList->scrollTo(Dlg->SHPListModel->index(Row(caption)));
        QTest::mouseClick(Dlg->SHPList->viewport(), Qt::LeftButton, {}, Cell(Row(caption)).center());
    }
    void DoubleClick(const QString& caption)
    {
        Click(caption);
        QTest::mouseDClick(Dlg->SHPList->viewport(), Qt::LeftButton, {}, Cell(Row(caption)).center());
    }
    QStringList LabelLines() const { return Dlg->PreviewLabel->text().split('\n'); }
    QColor PreviewCentre() const
    {
        const QImage image = Dlg->PreviewImage->pixmap().toImage();
        return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
    }
    std::vector<int> TickFrames(int ticks)
    {
        std::vector<int> frames;
        for (int i = 0; i < ticks; ++i) {
            Dlg->PreviewTimerTimer();
            frames.push_back(Dlg->PreviewFrame);
        }
        return frames;
    }

    QTemporaryDir App;
    QTemporaryDir Dir;
    std::unique_ptr<TFrmOpen> Dlg;
};

TEST_F(OpenDialog, ListsFoldersFirstThenSHPFilesSortedWithoutRegardToCase)
{
    for (const char* sub : {"zeta", "Alpha", ".hid", "x.shp"})
        QDir(Dir.path()).mkdir(sub);
    for (const char* name : {"b.SHP", "a.shp", ".hidden.shp", "C.tem", "d.Win"})
        WriteSmallSprite(Path(name));
    for (const char* name : {"readme.txt", "x.pal", "shp", "e.shpx"})
        WriteBytes(Path(name), "text");
    Open(Folder());

    EXPECT_EQ(Captions(), QStringList({"..", ".hid", "Alpha", "x.shp", "zeta", ".hidden.shp", "a.shp", "b.SHP",
                                       "C.tem", "d.Win"}));
    EXPECT_EQ(Dlg->CurrentFolder, Folder());
    EXPECT_EQ(Dlg->ShellComboBox->currentText(), Folder());
    EXPECT_TRUE(Dlg->UpFolderButton->isEnabled());

    Dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Dlg.get()));
    Dlg->CloseButton->setFocus();
    QTest::mouseMove(Dlg->SHPList->viewport(), Cell(Row("a.shp")).center());
    EXPECT_TRUE(Dlg->SHPList->hasFocus());
    QTest::keyClicks(Dlg->SHPList, "c.");
    EXPECT_EQ(Dlg->SHPList->currentIndex().row(), Row("C.tem"));
    EXPECT_EQ(Dlg->FileNameEdit->text(), "C.tem");
}

TEST_F(OpenDialog, StartsInTheSHPsFolderBesideTheProgramOrAtHome)
{
    EXPECT_EQ(TFrmOpen().CurrentFolder, QDir::toNativeSeparators(QDir::homePath()));
    QDir(App.path()).mkdir("SHPs");
    EXPECT_EQ(TFrmOpen().CurrentFolder, QDir::toNativeSeparators(App.path() + "/SHPs"));
}

TEST_F(OpenDialog, StartsInTheSHPsFolderOfAnInstalledProgram)
{
    SetAppFolder("");
    SetDataRoots({QDir::toNativeSeparators(App.path() + "/bin").toStdString(),
                  QDir::toNativeSeparators(App.path() + "/share/vantrel").toStdString()});
    QDir(App.path()).mkpath("share/vantrel/SHPs");
    EXPECT_EQ(TFrmOpen().CurrentFolder, QDir::toNativeSeparators(App.path() + "/share/vantrel/SHPs"));
    SetDataRoots({});
}

TEST_F(OpenDialog, ParentItemAndUpButtonExistBelowTheRootOnly)
{
    Open(QDir::rootPath());
    EXPECT_FALSE(Captions().contains(".."));
    EXPECT_FALSE(Dlg->UpFolderButton->isEnabled());

    QDir(Dir.path()).mkdir("inner");
    Dlg->GoToFolder(Path("inner"));
    EXPECT_EQ(Captions().value(0), "..");
    EXPECT_TRUE(Dlg->UpFolderButton->isEnabled());
    QTest::mouseClick(Dlg->UpFolderButton, Qt::LeftButton);
    EXPECT_EQ(Dlg->CurrentFolder, Folder());
}

TEST_F(OpenDialog, FolderItemsShowFolderPicturesAndAreEnteredByDoubleClick)
{
    QDir(Dir.path()).mkdir("x.shp");
    WriteSmallSprite(Path("x.shp") + QDir::separator() + "inner.shp");
    Open(Folder());
    const QImage cells = Draw();

    // A pixel where the two pictures differ and both are opaque.
    const QImage& folder = FolderPicture();
    const QImage& up = UpFolderPicture();
    QPoint probe(-1, -1);
    for (int y = 0; y < 64 && probe.x() < 0; ++y)
        for (int x = 0; x < 64 && probe.x() < 0; ++x)
            if (qAlpha(folder.pixel(x, y)) == 255 && qAlpha(up.pixel(x, y)) == 255 && folder.pixel(x, y) != up.pixel(x, y))
                probe = QPoint(x, y);
    ASSERT_GE(probe.x(), 0);
    const QPoint offset((TFrmOpen::ThumbnailSize().width() - 64) / 2, (TFrmOpen::ThumbnailSize().height() - 64) / 2);
    auto pictureAt = [&](const QString& caption) {
        return cells.pixel(TThumbnailDelegate::PictureRect(Cell(Row(caption))).topLeft() + offset + probe);
    };
    EXPECT_EQ(pictureAt("x.shp"), folder.pixel(probe));
    EXPECT_EQ(pictureAt(".."), up.pixel(probe));

    DoubleClick("x.shp");
    EXPECT_EQ(Dlg->CurrentFolder, Path("x.shp"));
    EXPECT_EQ(Captions(), QStringList({"..", "inner.shp"}));
    DoubleClick("..");
    EXPECT_EQ(Dlg->CurrentFolder, Folder());
}

TEST_F(OpenDialog, ThumbnailIsTheFirstFrameOverItsShadowOnTheCheckerboard)
{
    // A TS building: frame 0 paints its top-left quarter, its shadow frame the bottom half.
    WriteSprite(Path("gacnst.shp"), 24, 24, 2, [](int f, int x, int y) -> uint8_t {
        if (f == 0)
            return x < 12 && y < 12 ? 5 : 0;
        return y >= 12 ? 1 : 0;
    });
    Open(Folder());
    const QImage cells = Draw();
    const QRect cell = Cell(Row("gacnst.shp"));
    const QRect area = TThumbnailDelegate::PictureRect(cell);
    const int left = (area.width() - 24) / 2, top = (area.height() - 24) / 2;
    auto at = [&](int x, int y) { return cells.pixelColor(area.left() + x, area.top() + y); };

    EXPECT_EQ(at(left + 2, top + 2), PaletteColour(3, 5));                       // frame pixel
    EXPECT_EQ(at(left + 20, top + 2), Grey(CheckerGrey(left + 20, top + 2)));  // transparent
    EXPECT_EQ(at(left + 2, top + 20), Grey(ShadowOver(CheckerGrey(left + 2, top + 20))));
    EXPECT_EQ(at(left + 17, top + 22), Grey(ShadowOver(CheckerGrey(left + 17, top + 22))));
    EXPECT_EQ(at(0, 0), Grey(200));                                              // checkerboard
    EXPECT_EQ(cells.pixelColor(TThumbnailDelegate::PictureFrame(cell).topLeft()), QColor(73, 73, 73));
    EXPECT_EQ(cells.pixelColor(cell.topLeft() + QPoint(2, 2)), QColor(233, 233, 233));

    Click("gacnst.shp");
    const QImage selected = Draw();
    const QColor red = selected.pixelColor(cell.topLeft() + QPoint(2, 2));
    EXPECT_TRUE(red == QColor(102, 0, 0) || red == QColor(119, 0, 0)) << red.name().toStdString();
    EXPECT_EQ(selected.pixelColor(area.left() + left + 2, area.top() + top + 2), PaletteColour(3, 5));
}

TEST_F(OpenDialog, OnlyTheCellsDrawnGetThumbnails)
{
    for (int i = 0; i < 60; ++i)
        WriteSmallSprite(Path(QString("f%1.shp").arg(i, 2, 10, QChar('0'))));
    Open(Folder());
    const int first = Dlg->SHPListModel->MadeThumbnailCount();
    EXPECT_GT(first, 0);
    EXPECT_LT(first, 30);
    Dlg->SHPList->scrollToBottom();
    Draw();
    EXPECT_GT(Dlg->SHPListModel->MadeThumbnailCount(), first);
    EXPECT_TRUE(Dlg->SHPListModel->Thumbnail(Row("f59.shp"))->Made);
}

TEST_F(OpenDialog, FilesThatFailTheProbeOrVanishAreHiddenWhenDrawn)
{
    WriteSmallSprite(Path("good.shp"));
    WriteBytes(Path("bad.shp"), QByteArray("not a sprite at all, just some words"));
    WriteSmallSprite(Path("gone.shp"));
    WriteSmallSprite(Path("gone2.shp"));
#ifndef _WIN32
    ASSERT_EQ(mkfifo(Path("pipe.shp").toLocal8Bit().constData(), 0600), 0);
#endif
    Show();
    Dlg->GoToFolder(Folder());
    QFile::remove(Path("gone.shp"));
    Draw();
    for (const char* hidden : {"bad.shp", "gone.shp"})
        EXPECT_TRUE(Dlg->SHPList->isRowHidden(Row(hidden))) << hidden;
#ifndef _WIN32
    EXPECT_TRUE(Dlg->SHPList->isRowHidden(Row("pipe.shp")));
#endif
    EXPECT_FALSE(Dlg->SHPList->isRowHidden(Row("good.shp")));

    // A file that vanished before its cell was ever drawn cannot be selected either.
    Dlg->GoToFolder(Path("..") );
    Dlg->GoToFolder(Folder());
    QFile::remove(Path("gone2.shp"));
    Dlg->SHPList->selectionModel()->select(Dlg->SHPListModel->index(Row("gone2.shp")),
                                           QItemSelectionModel::ClearAndSelect);
    EXPECT_TRUE(Dlg->SHPList->isRowHidden(Row("gone2.shp")));
    EXPECT_TRUE(Dlg->SHPList->selectionModel()->selectedIndexes().isEmpty());
    EXPECT_FALSE(Dlg->OkButton->isEnabled());
    EXPECT_TRUE(Dlg->PreviewDetailsPanel->isHidden());
}

TEST_F(OpenDialog, FileUnreadableAtSelectionShowsTheErrorAndTheControlsRecover)
{
    WriteSprite(Path("good.shp"), 24, 24, 1, [](int, int, int) { return 5; });
    WriteSmallSprite(Path("lost.shp"));
    Open(Folder());
    QFile::remove(Path("lost.shp"));
    Click("lost.shp");
    EXPECT_TRUE(Dlg->PreviewLabel->text().contains("lost.shp")) << Dlg->PreviewLabel->text().toStdString();
    // The message fits the label; the whole of it, folder included, is the label's tooltip.
    const QRect needed = Dlg->PreviewLabel->fontMetrics().boundingRect(QRect(QPoint(0, 0), Dlg->PreviewLabel->size()),
                                                                       Qt::AlignHCenter, Dlg->PreviewLabel->text());
    EXPECT_LE(needed.height(), Dlg->PreviewLabel->height());
    EXPECT_LE(needed.width(), Dlg->PreviewLabel->width());
    EXPECT_TRUE(Dlg->PreviewLabel->toolTip().contains(QDir::toNativeSeparators(Path("lost.shp"))));
    EXPECT_TRUE(Dlg->PreviewDetailsPanel->isVisible());
    EXPECT_FALSE(Dlg->OkButton->isEnabled());
    EXPECT_TRUE(Dlg->SelectedFile.isEmpty());
    EXPECT_FALSE(Dlg->UpdatingPreview);
    EXPECT_FALSE(Dlg->PreviewTimer->isActive());

    Click("good.shp");
    EXPECT_TRUE(Dlg->OkButton->isEnabled());
    EXPECT_EQ(LabelLines().value(0), "24x24");
    QTest::mouseClick(Dlg->PrevGameRA2, Qt::LeftButton);
    EXPECT_EQ(Dlg->PreviewSHP->Game, TSHPGame::RA2);
    EXPECT_EQ(LabelLines().value(2), ""); // RA2\anim.pal is missing: the fallback palette has no name
    QTest::mouseClick(Dlg->PrevGameTS, Qt::LeftButton);
    EXPECT_EQ(LabelLines().value(2), PaletteName("TS", "anim"));
}

TEST_F(OpenDialog, PreviewAnimationStopsBeforeTheShadowHalf)
{
    WriteSprite(Path("unit.shp"), 50, 40, 16, [](int f, int x, int) -> uint8_t { return f < 8 ? 9 : (x < 5 ? 1 : 0); });
    WriteSprite(Path("td.shp"), 40, 30, 10, [](int f, int x, int) -> uint8_t { return x == f ? 3 : 0; },
                TSHPFormat::TD);
    WriteSprite(Path("cameo.shp"), 60, 48, 2, [](int f, int, int) -> uint8_t { return uint8_t(f + 1); });
    Open(Folder());

    Click("unit.shp");
    EXPECT_EQ(Dlg->PreviewTimer->interval(), 200);
    EXPECT_TRUE(Dlg->PreviewTimer->isActive());
    Dlg->PreviewTypeBox->setCurrentIndex(int(TSHPType::Unit));
    EXPECT_EQ(Dlg->PreviewSHP->SHPType, TSHPType::Unit);
    EXPECT_EQ(TickFrames(9), std::vector<int>({1, 2, 3, 4, 5, 6, 7, 0, 1}));
    // The animation keeps no render caches of the frames it showed, shadow frames included.
    for (const TSHPFrame& frame : Dlg->PreviewSHP->Frames)
        EXPECT_FALSE(frame.RGBCache || frame.AlphaCache);

    Click("td.shp");
    EXPECT_EQ(Dlg->PreviewFrame, 0);
    EXPECT_EQ(TickFrames(11), std::vector<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1}));

    Click("cameo.shp");
    EXPECT_TRUE(Dlg->PrevGameRA2->isChecked());
    EXPECT_EQ(Dlg->PreviewTypeBox->currentIndex(), int(TSHPType::Cameo));
    EXPECT_EQ(LabelLines(), QStringList({"60x48", "2 Frame(s)", PaletteName("RA2", "cameo")}));
    EXPECT_EQ(TickFrames(3), std::vector<int>({1, 0, 1}));
}

TEST_F(OpenDialog, GameAndTypeChoicesReloadThePaletteOfThePreview)
{
    WriteSprite(Path("tdanim.shp"), 40, 30, 1, [](int, int, int) { return 5; }, TSHPFormat::TD);
    Open(Folder());
    Click("tdanim.shp");
    EXPECT_TRUE(Dlg->PrevGameTD->isChecked());
    EXPECT_EQ(LabelLines(), QStringList({"40x30", "1 Frame(s)", PaletteName("TD", "temperat")}));
    EXPECT_EQ(PreviewCentre(), PaletteColour(1, 5));

    QTest::mouseClick(Dlg->PrevGameTS, Qt::LeftButton);
    EXPECT_EQ(Dlg->PreviewGame(), 2);
    EXPECT_EQ(LabelLines().value(2), PaletteName("TS", "anim"));
    EXPECT_EQ(Dlg->PreviewTypeBox->currentIndex(), int(TSHPType::Animation));
    EXPECT_EQ(PreviewCentre(), PaletteColour(1, 5)); // the new colours come with the next frame
    Dlg->PreviewTimerTimer();
    EXPECT_EQ(PreviewCentre(), PaletteColour(2, 5));

    Dlg->PreviewTypeBox->setFocus();
    Dlg->PreviewTypeBox->setCurrentIndex(int(TSHPType::Cameo));
    EXPECT_EQ(LabelLines().value(2), PaletteName("TS", "cameo"));
    EXPECT_FALSE(Dlg->PreviewTypeBox->hasFocus());
    Dlg->PreviewTimerTimer();
    EXPECT_EQ(PreviewCentre(), PaletteColour(4, 5));

    // A type whose iso palette is missing: frame 3 cannot be drawn, the dialog carries on.
    WriteSprite(Path("iso.shp"), 48, 48, 8, [](int, int, int) { return 5; });
    Dlg->GoToFolder(Path("..")); // list afresh
    Dlg->GoToFolder(Folder());
    Click("iso.shp");
    Dlg->PreviewTypeBox->setCurrentIndex(int(TSHPType::BuildingIsoSnow));
    for (int i = 0; i < 8; ++i)
        Dlg->PreviewTimerTimer();
    EXPECT_TRUE(Dlg->PreviewLabel->text().contains("isosno")) << Dlg->PreviewLabel->text().toStdString();
    EXPECT_TRUE(Dlg->isVisible());
    Dlg->PreviewTypeBox->setCurrentIndex(int(TSHPType::Unit));
    EXPECT_EQ(LabelLines().value(0), "48x48");
}

TEST_F(OpenDialog, OkAndDoubleClickHandBackTheFileGameAndType)
{
    WriteSprite(Path("e1.shp"), 40, 30, 10, [](int, int x, int) -> uint8_t { return x < 4 ? 7 : 0; }, TSHPFormat::TD);
    WriteSmallSprite(Path("other.shp"));
    Open(Folder());
    EXPECT_FALSE(Dlg->OkButton->isEnabled());
    Click("e1.shp");
    EXPECT_TRUE(Dlg->OkButton->isEnabled());
    EXPECT_EQ(Dlg->FileNameEdit->text(), "e1.shp");
    QTest::mouseClick(Dlg->PrevGameRA2, Qt::LeftButton);
    Dlg->PreviewTypeBox->setCurrentIndex(int(TSHPType::Unit));
    QTest::mouseClick(Dlg->OkButton, Qt::LeftButton);
    EXPECT_TRUE(Dlg->Accepted);
    EXPECT_FALSE(Dlg->isVisible());
    EXPECT_FALSE(Dlg->PreviewTimer->isActive());
    EXPECT_EQ(Dlg->SelectedFile, Path("e1.shp"));
    EXPECT_EQ(Dlg->PreviewGame(), 3);
    EXPECT_EQ(Dlg->PreviewType(), int(TSHPType::Unit));

    // Shown again: the folder is listed afresh and nothing is chosen.
    WriteSmallSprite(Path("new.shp"));
    Show();
    EXPECT_FALSE(Dlg->Accepted);
    EXPECT_FALSE(Dlg->OkButton->isEnabled());
    EXPECT_TRUE(Dlg->FileNameEdit->text().isEmpty());
    EXPECT_TRUE(Dlg->SelectedFile.isEmpty());
    EXPECT_TRUE(Dlg->SHPList->selectionModel()->selectedIndexes().isEmpty());
    EXPECT_TRUE(Captions().contains("new.shp"));
    ASSERT_NE(Dlg->SHPListModel->Thumbnail(Row("new.shp")), nullptr);

    Draw();
    DoubleClick("other.shp");
    EXPECT_TRUE(Dlg->Accepted);
    EXPECT_EQ(Dlg->SelectedFile, Path("other.shp"));
    EXPECT_FALSE(Dlg->isVisible());

    Show();
    Click("other.shp");
    QTest::mouseClick(Dlg->CloseButton, Qt::LeftButton);
    EXPECT_FALSE(Dlg->Accepted);
    EXPECT_FALSE(Dlg->isVisible());
}

TEST_F(OpenDialog, TypedPathsAndPlacesNavigateOnlyToExistingFolders)
{
    QDir(Dir.path()).mkdir("sub");
    WriteSmallSprite(Path("a.shp"));
    Open(Folder());
    QLineEdit* edit = Dlg->ShellComboBox->lineEdit();
    edit->setText(Path("nothere"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Dlg->CurrentFolder, Folder());
    EXPECT_EQ(Captions(), QStringList({"..", "sub", "a.shp"}));
    EXPECT_TRUE(Dlg->isVisible());

    edit->setText("sub");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Dlg->CurrentFolder, Path("sub"));

    const int root = Dlg->ShellComboBox->findData(QDir::toNativeSeparators(QDir::rootPath()));
    ASSERT_GE(root, 0);
    Dlg->ShellComboBoxChange(root);
    EXPECT_EQ(Dlg->CurrentFolder, QDir::toNativeSeparators(QDir::rootPath()));

    // A location without a file-system path empties the list; the folder before it lists again.
    Dlg->GoToFolder(Folder());
    Dlg->GoToFolder(QString());
    EXPECT_EQ(Dlg->SHPListModel->ItemCount(), 0);
    EXPECT_FALSE(Dlg->UpFolderButton->isEnabled());
    Dlg->GoToFolder(Folder());
    EXPECT_EQ(Captions(), QStringList({"..", "sub", "a.shp"}));
}

TEST_F(OpenDialog, SelectingAFolderClearsThePreview)
{
    QDir(Dir.path()).mkdir("sub");
    WriteSmallSprite(Path("a.shp"));
    Open(Folder());
    Click("a.shp");
    EXPECT_TRUE(Dlg->PreviewDetailsPanel->isVisible());
    EXPECT_FALSE(Dlg->PreviewImage->pixmap().isNull());
    Click("sub");
    EXPECT_TRUE(Dlg->PreviewDetailsPanel->isHidden());
    EXPECT_TRUE(Dlg->FileNameEdit->text().isEmpty());
    EXPECT_FALSE(Dlg->OkButton->isEnabled());
    EXPECT_FALSE(Dlg->PreviewTimer->isActive());
    EXPECT_TRUE(Dlg->PreviewImage->pixmap().isNull());
}

} // namespace

namespace {

// Every real sprite of the corpus is listed, gets a thumbnail and previews with the canvas size
// and frame count its manifest records; the foreign files are hidden.
TEST_F(OpenDialog, RealSpritesListPreviewAndForeignFilesHide)
{
    const QString corpus = VANTREL_CORPUS_DIR;
    QFile manifest(corpus + "/MANIFEST.tsv");
    if (!manifest.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no corpus";
    QMap<QString, QString> expected; // file -> label's first two lines
    for (const QByteArray& line : manifest.readAll().split('\n')) {
        const QList<QByteArray> cols = line.split('\t');
        if (cols.size() > 8 && cols[0] != "file")
            expected[QString(cols[0])] = QString("%1x%2\n%3 Frame(s)").arg(QString(cols[6]), QString(cols[7]), QString(cols[8]));
    }
    for (const char* sub : {"td", "ts"}) {
        Open(QDir::toNativeSeparators(corpus + "/" + sub));
        for (int row = 1; row < Dlg->SHPListModel->ItemCount(); ++row) {
            const QString name = Dlg->SHPListModel->Item(row).Caption;
            Dlg->SHPList->scrollTo(Dlg->SHPListModel->index(row));
            Draw();
            EXPECT_FALSE(Dlg->SHPList->isRowHidden(row)) << name.toStdString();
            EXPECT_TRUE(Dlg->SHPListModel->Thumbnail(row)->Made) << name.toStdString();
            Click(name);
            const QStringList lines = LabelLines();
            EXPECT_EQ(lines.mid(0, 2).join('\n'), expected.value(QString(sub) + "/" + name)) << name.toStdString();
            Dlg->PreviewTimerTimer();
        }
    }
    Open(QDir::toNativeSeparators(corpus + "/odd"));
    EXPECT_TRUE(Dlg->SHPList->isRowHidden(Row("ora-d2k-2010_mouse_dune2fmt.shp")));
}

} // namespace
