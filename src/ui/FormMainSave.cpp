// Saving the sprite shown: Save, Save As and what they hand to the writer through the Save
// Options dialog.
#include "FormMain.h"
#include "FormSaveOptions.h"
#include "RecentFiles.h"
#include "sprite/FileUtil.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QToolButton>

namespace vantrel {

void TFrmMain::CreateSaveCommands()
{
    SaveDialog = new QFileDialog(this);
    SaveDialog->setObjectName("SaveDialog");
    SaveDialog->setOption(QFileDialog::DontUseNativeDialog);
    // The Save Options dialog that follows names the file and asks for confirmation.
    SaveDialog->setOption(QFileDialog::DontConfirmOverwrite);
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setFileMode(QFileDialog::AnyFile);
    SaveDialog->setNameFilter("TS/RA2 SHP (*.shp)");
    SaveDialog->setDefaultSuffix("shp");

    connect(SaveButton, &QToolButton::clicked, this, &TFrmMain::SaveButtonClick);
    connect(Save1, &QAction::triggered, this, &TFrmMain::SaveButtonClick);
    connect(SaveAsButton, &QToolButton::clicked, this, &TFrmMain::SaveAs1Click);
    connect(SaveAs1, &QAction::triggered, this, &TFrmMain::SaveAs1Click);
}

void TFrmMain::SaveButtonClick()
{
    if (!CurrentSHP)
        return;
    SaveWithOptions(QString::fromStdString(CurrentSHP->FileName));
}

void TFrmMain::SaveAs1Click()
{
    if (!CurrentSHP)
        return;
    if (FileExists(CurrentSHP->FileName))
        SaveDialog->selectFile(QString::fromStdString(CurrentSHP->FileName));
    if (SaveDialog->exec() != QDialog::Accepted || SaveDialog->selectedFiles().isEmpty())
        return;
    SaveWithOptions(QDir::toNativeSeparators(SaveDialog->selectedFiles().first()));
}

bool TFrmMain::SaveWithOptions(const QString& path)
{
    if (!CurrentSHP)
        return false;
    TFrmSaveOptions& options = *FrmSaveOptions;
    options.FilenameEdit->setText(path);
    options.exec();
    if (!options.Accepted)
        return false;
    const QString target = options.FilenameEdit->text();
    TSHP& sprite = *CurrentSHP;
    sprite.CompressionMode = uint8_t(options.SelectedCompression());
    sprite.ForcedFlags = options.GetForcedFlags();
    try {
        sprite.SaveToFile(target.toStdString());
    } catch (const AssertionError& e) {
        ShowError(QString::fromStdString(e.what()));
        return false;
    } catch (const FileError& e) { // names the file and the system's reason
        ShowError(QString::fromStdString(e.what()));
        return false;
    } catch (const std::exception& e) {
        ShowError(QString("Unable to save \"%1\".\n%2").arg(target, QString::fromStdString(e.what())));
        return false;
    }
    sprite.Format = TSHPFormat::TS;
    UpdateCaption();
    AddRecentFile(target);
    UpdateRecentMenu();
    return true;
}

} // namespace vantrel
