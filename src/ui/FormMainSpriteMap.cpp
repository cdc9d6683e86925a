// Sprite maps: exporting the sprite shown to an 8-bit BMP picture and building a new sprite from
// one through the import dialog.
#include "FormImport_SpriteMap.h"
#include "FormMain.h"
#include "sprite/SpriteSheet.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStatusBar>

#include <new>

namespace vantrel {

namespace {

// The file a picture dialog was accepted with, or "" when it was cancelled.
QString ChosenFile(QFileDialog* dialog)
{
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog->selectedFiles().first());
}

} // namespace

bool TFrmMain::ConfirmReplace(const QString& path)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(),
                    QString("\"%1\" already exists.\nDo you want to replace it?").arg(path),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void TFrmMain::CreatePictureDialogs()
{
    SavePictureDialog = new QFileDialog(this);
    SavePictureDialog->setObjectName("SavePictureDialog");
    SavePictureDialog->setWindowTitle("Export Sprite Map");
    SavePictureDialog->setAcceptMode(QFileDialog::AcceptSave);
    SavePictureDialog->setNameFilter("Bitmaps (*.bmp)");
    SavePictureDialog->setDefaultSuffix("bmp");
    // The picture is written under the chosen name with its extension replaced by the frame
    // size and count, so the question about replacing a file is asked for that name instead.
    SavePictureDialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);

    OpenPictureDialog = new QFileDialog(this);
    OpenPictureDialog->setObjectName("OpenPictureDialog");
    OpenPictureDialog->setWindowTitle("Import Sprite Map");
    OpenPictureDialog->setAcceptMode(QFileDialog::AcceptOpen);
    OpenPictureDialog->setFileMode(QFileDialog::ExistingFile);
    OpenPictureDialog->setNameFilter("8-Bit Bitmaps (*.bmp)");
    OpenPictureDialog->setDefaultSuffix("bmp");
    OpenPictureDialog->setOptions(QFileDialog::DontUseNativeDialog);
}

void TFrmMain::SpriteMap1Click()
{
    if (!CurrentSHP)
        return;
    const QString path = ChosenFile(SavePictureDialog);
    if (path.isEmpty())
        return;
    const QFileInfo target(QString::fromStdString(SheetExportPath(*CurrentSHP, path.toStdString())));
    if (target.exists() && !target.isDir() && !ConfirmReplace(QDir::toNativeSeparators(target.filePath())))
        return;
    try {
        const std::string written = SaveSpriteSheet(*CurrentSHP, path.toStdString());
        statusBar()->showMessage(QString("Sprite map written to \"%1\"").arg(QString::fromStdString(written)));
    } catch (const std::bad_alloc&) {
        ShowError("There is not enough memory for the sprite map of this sprite.");
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
    }
}

void TFrmMain::SpriteMap2Click()
{
    const QString path = ChosenFile(OpenPictureDialog);
    if (path.isEmpty())
        return;
    TFrmImport_SpriteMap& dialog = *FrmImport_SpriteMap;
    try {
        if (!dialog.LoadSheet(path.toStdString())) {
            ShowMessage(MsgNot8Bit);
            return;
        }
    } catch (const std::bad_alloc&) {
        ShowError(QString("There is not enough memory to read \"%1\".").arg(path));
        return;
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    dialog.exec();
    if (!dialog.Accepted || !MayDiscardCurrentSprite())
        return;
    std::unique_ptr<TSHP> sprite;
    try {
        sprite = ImportSpriteSheet(*dialog.SheetBitmap, dialog.SheetLayout(), path.toStdString());
    } catch (const std::bad_alloc&) {
        ShowError(QString("There is not enough memory for %1 frames of %2 x %3.")
                      .arg(dialog.SheetFrameCount)
                      .arg(dialog.SheetFrameWidth)
                      .arg(dialog.SheetFrameHeight));
        return;
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    SetCurrentSprite(std::move(sprite));
}

} // namespace vantrel
