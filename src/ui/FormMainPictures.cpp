// Export to and import from every picture format of the libraries' list, and frames inserted from
// a file of any readable kind.
#include "AnchorGrid.h"
#include "FormInsertFrames.h"
#include "FormMain.h"
#include "UndoCommands.h"
#include "imaging/ImageFormats.h"
#include "sprite/FileUtil.h"
#include "sprite/Palette.h"

#include <QAction>
#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QSpinBox>
#include <QStatusBar>

#include <algorithm>

namespace vantrel {

namespace {

// The formats that read (or write), in the order of their dialog filters.
std::vector<const TImageFormat*> FormatsThat(bool writing)
{
    std::vector<const TImageFormat*> formats;
    for (const TImageFormat* f : ImageFormats())
        if (writing ? f->CanWrite() : f->CanRead())
            formats.push_back(f);
    return formats;
}

QStringList FormatFilters(bool writing) { return QString::fromStdString(DialogFilters(writing)).split(";;"); }

// The format of the filter chosen in a dialog whose filters are extra ones followed by those of
// FormatsThat(writing); null for an extra one.
const TImageFormat* ChosenFormat(const QFileDialog& dialog, bool writing, int extra = 0)
{
    const std::vector<const TImageFormat*> formats = FormatsThat(writing);
    const int k = int(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) - extra;
    return k >= 0 && size_t(k) < formats.size() ? formats[size_t(k)] : nullptr;
}

// The extension of a format's first pattern ("png"), or "".
QString FormatExtension(const TImageFormat& format)
{
    const std::vector<std::string> patterns = format.Patterns();
    if (patterns.empty() || patterns.front().rfind("*.", 0) != 0)
        return {};
    return QString::fromStdString(patterns.front().substr(2));
}

// The filters of the dialog that inserts frames: every file it reads (SHP files by their
// extension, anything else as a picture), SHP sprites, then those of the reading formats.
QStringList InsertFilters()
{
    QStringList shp, all;
    for (const TPalExt& e : PalExtensions)
        shp << QString("*") + e.Ext;
    all = shp;
    for (const TImageFormat* f : FormatsThat(false))
        for (const std::string& p : f->Patterns())
            if (!all.contains(QString::fromStdString(p)))
                all << QString::fromStdString(p);
    return QStringList{"Sprites and pictures (" + all.join(' ') + ")", "SHP sprites (" + shp.join(' ') + ")"} +
           FormatFilters(false);
}
constexpr int InsertExtraFilters = 2;

QString MatchingText(const TMatchStats& stats)
{
    return QString("%1 pixel(s) matched inexactly (largest colour difference %2).")
        .arg(stats.InexactPixels)
        .arg(stats.MaxDistance, 0, 'f', 1);
}

QFileDialog* MakeDialog(QWidget* parent, const char* name, const QString& title, bool writing)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(name);
    dialog->setWindowTitle(title);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(writing ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(writing ? QFileDialog::AnyFile : QFileDialog::ExistingFiles);
    // The files written are named after the chosen one; the question is asked for them instead.
    if (writing)
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setNameFilters(FormatFilters(writing));
    return dialog;
}

QString Native(const std::string& path) { return QDir::toNativeSeparators(QString::fromStdString(path)); }

// A file dialog that reads starts in the folder of the sprite shown the first time it is shown
// for one; later it stays where the user left it.
void StartNearSprite(QFileDialog& dialog, const TSHP* sprite)
{
    if (!sprite || !sprite->HasFile || dialog.property("Started").toBool())
        return;
    const QFileInfo own(QString::fromStdString(sprite->FileName));
    if (own.dir().exists()) {
        dialog.setDirectory(own.absolutePath());
        dialog.setProperty("Started", true);
    }
}

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// The files chosen in a dialog that reads, in number order (frame 2 before frame 10), as native
// paths; a file of a frame sequence stands for the whole sequence, so one is enough.
std::vector<std::string> ChosenFiles(const QFileDialog& dialog, const TImageFormat* format)
{
    QStringList files = dialog.selectedFiles();
    QCollator order;
    order.setNumericMode(true);
    order.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(files.begin(), files.end(), order);
    if (format && format->Id() == "png-frames")
        files = files.mid(0, 1);
    std::vector<std::string> paths;
    for (const QString& f : files)
        paths.push_back(QDir::toNativeSeparators(f).toStdString());
    return paths;
}

// "bang-0000.png" or "13 files, "bang-0000.png" to "bang-0012.png"".
QString FilesText(const std::vector<std::string>& paths)
{
    const auto name = [](const std::string& p) { return QFileInfo(QString::fromStdString(p)).fileName(); };
    if (paths.size() == 1)
        return QString("\"%1\"").arg(name(paths.front()));
    return QString("%1 files, \"%2\" to \"%3\"").arg(paths.size()).arg(name(paths.front()), name(paths.back()));
}

} // namespace

void TFrmMain::CreatePictureCommands()
{
    ExportPicturesDialog = MakeDialog(this, "ExportPicturesDialog", "Export Sprite", true);
    ImportPicturesDialog = MakeDialog(this, "ImportPicturesDialog", "Import Sprite", false);
    InsertDialog = MakeDialog(this, "InsertDialog", "Insert Frames from File", false);
    InsertDialog->setNameFilters(InsertFilters());
    FrmInsertFrames = new TFrmInsertFrames(this);

    // The 8-bit BMP sprite map has its own items, "Sprite Map".
    auto listed = [](const TImageFormat* f) { return f->Id() != "bmp-map"; };
    Export1->addSeparator();
    for (const TImageFormat* f : FormatsThat(true))
        if (listed(f))
            ExportPictureItems.push_back(
                Export1->addAction(Text(f->Name()) + "...", this, [this, f] { ExportPicturesClick(*f); }));
    Import1->addSeparator();
    for (const TImageFormat* f : FormatsThat(false))
        if (listed(f))
            ImportPictureItems.push_back(
                Import1->addAction(Text(f->Name()) + "...", this, [this, f] { ImportPicturesClick(*f); }));
}

void TFrmMain::ExportPicturesClick(const TImageFormat& format)
{
    if (!CurrentSHP)
        return;
    const TSHP& sprite = *CurrentSHP;
    QFileDialog& dialog = *ExportPicturesDialog;
    dialog.selectNameFilter(QString::fromStdString(DialogFilter(format)));
    const QFileInfo own(QString::fromStdString(sprite.FileName));
    if (sprite.HasFile && own.dir().exists())
        dialog.setDirectory(own.absolutePath());
    dialog.selectFile(own.completeBaseName() + "." + FormatExtension(format));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const TImageFormat* chosen = ChosenFormat(dialog, true);
    if (!chosen)
        return;
    QString path = QDir::toNativeSeparators(dialog.selectedFiles().first());
    if (QFileInfo(path).suffix().isEmpty())
        path += "." + FormatExtension(*chosen);

    std::vector<std::string> existing;
    for (const std::string& p : chosen->OutputPaths(sprite, path.toStdString()))
        if (QFileInfo(QString::fromStdString(p)).isFile())
            existing.push_back(p);
    if (existing.size() == 1 && !ConfirmReplace(Native(existing.front())))
        return;
    if (existing.size() > 1) {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationName(),
                        QString("%1 of the files already exist, \"%2\" among them.\nDo you want to replace them?")
                            .arg(existing.size())
                            .arg(Native(existing.front())),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::No);
        if (box.exec() != QMessageBox::Yes)
            return;
    }

    std::vector<std::string> written;
    try {
        written = chosen->Write(sprite, path.toStdString());
    } catch (const std::bad_alloc&) {
        ShowError("There is not enough memory to export this sprite.");
        return;
    } catch (const std::exception& e) {
        ShowError(QString("Unable to export to \"%1\".\n%2").arg(path, QString::fromStdString(e.what())));
        return;
    }
    if (written.size() == 1)
        statusBar()->showMessage(QString("Written to \"%1\"").arg(Native(written.front())));
    else if (!written.empty())
        statusBar()->showMessage(QString("%1 files written, \"%2\" to \"%3\"")
                                     .arg(written.size())
                                     .arg(Native(written.front()), Native(written.back())));
}

void TFrmMain::ImportPicturesClick(const TImageFormat& format)
{
    QFileDialog& dialog = *ImportPicturesDialog;
    StartNearSprite(dialog, CurrentSHP.get());
    dialog.selectNameFilter(QString::fromStdString(DialogFilter(format)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const TImageFormat* chosen = ChosenFormat(dialog, false);
    const std::vector<std::string> paths = ChosenFiles(dialog, chosen);

    TFrameReadOptions options;
    options.Game = CurrentSHP && IsValidGame(CurrentSHP->Game) ? CurrentSHP->Game : TSHPGame::TS;
    options.TrueColourPalette = DefaultPaletteOf(options.Game, TSHPType::Unit, PaletteFolder());
    TFramesRead read;
    try {
        read = ReadFrameFiles(paths, chosen, options);
    } catch (const std::bad_alloc&) {
        ShowError(QString("There is not enough memory to read \"%1\".").arg(Native(paths.front())));
        return;
    } catch (const NoPaletteError& e) {
        ShowError(QString("%1.\nThe palette folder \"%2\" has no palette for %3.")
                      .arg(QString::fromStdString(e.what()), Native(PaletteFolder()), Text(GameName(options.Game))));
        return;
    } catch (const std::exception& e) {
        ShowError(QString("Unable to import \"%1\".\n%2").arg(Native(paths.front()), QString::fromStdString(e.what())));
        return;
    }
    if (!MayDiscardCurrentSprite())
        return;
    SetCurrentSprite(std::move(read.Sprite));
    if (read.Matching.InexactPixels > 0)
        ShowMessage(MatchingText(read.Matching));
}

void TFrmMain::InsertFrames1Click()
{
    if (!CurrentSHP)
        return;
    StartNearSprite(*InsertDialog, CurrentSHP.get());
    if (InsertDialog->exec() != QDialog::Accepted || InsertDialog->selectedFiles().isEmpty())
        return;
    const TImageFormat* format = ChosenFormat(*InsertDialog, false, InsertExtraFilters);
    const std::vector<std::string> paths = ChosenFiles(*InsertDialog, format);
    TSHP& sprite = *CurrentSHP;
    TMatchStats stats;
    TFrameSource source;
    try {
        source = ReadInsertSources(paths, format, sprite, stats);
    } catch (const std::bad_alloc&) {
        ShowError(QString("There is not enough memory to read %1.").arg(FilesText(paths)));
        return;
    } catch (const std::exception& e) {
        ShowError(QString("Unable to insert frames from %1.\n%2").arg(FilesText(paths), QString::fromStdString(e.what())));
        return;
    }

    const std::vector<int> chosen = ChosenFrames();
    const bool paired = ShadowPairing() && CanPairShadows(sprite);
    const int places = paired ? sprite.FrameCount() / 2 : sprite.FrameCount();
    const int after = (paired ? chosen.back() % places : chosen.back()) + 1;
    QString shadowNote;
    if (paired)
        shadowNote = source.ShadowHalf && source.Frames.size() % 2 == 0
                         ? "The file's shadow frames go to the shadow half."
                         : "Each frame gets an empty shadow frame in the shadow half.";
    const QString what = QString("%1 frame(s) of %2 x %3 from %4")
                             .arg(source.Frames.size())
                             .arg(source.Width)
                             .arg(source.Height)
                             .arg(FilesText(paths));
    FrmInsertFrames->Setup(what, places, std::min(after, places), shadowNote,
                           source.Width != sprite.Width || source.Height != sprite.Height);
    if (FrmInsertFrames->exec() != QDialog::Accepted)
        return;
    const int position = FrmInsertFrames->PositionBox->value();
    const TAnchor anchor = FrmInsertFrames->AnchorGrid->Anchor();
    const bool inserted =
        EditSprite([&](TSHP& s) { return MakeInsertFrames(s, source, position, anchor, chosen, ShadowPairing()); });
    if (inserted && stats.InexactPixels > 0)
        ShowMessage(MatchingText(stats));
}

} // namespace vantrel
