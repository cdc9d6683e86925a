// Saving the sprite shown: Save, Save As and what they hand to the writer through the Save
// Options dialog.
#include "FormMain.h"
#include "FormSaveOptions.h"
#include "RecentFiles.h"
#include "sprite/FileUtil.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>

namespace vantrel {

namespace {

const QString FilterTS = "TS/RA2 SHP (*.shp)";
const QString FilterTD = "TD/RA1 SHP (*.shp)";

// The folder of a sprite's file name, or "" when the name has none or it does not exist.
QString OwnFolder(const std::string& fileName)
{
    if (fileName.find_first_of("/\\") == std::string::npos)
        return {};
    const QFileInfo file(QString::fromStdString(fileName));
    return file.dir().exists() ? file.absolutePath() : QString();
}

} // namespace

void TFrmMain::CreateSaveCommands()
{
    SaveDialog = new QFileDialog(this);
    SaveDialog->setObjectName("SaveDialog");
    SaveDialog->setWindowTitle("Save Sprite As");
    SaveDialog->setOption(QFileDialog::DontUseNativeDialog);
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setFileMode(QFileDialog::AnyFile);
    SaveDialog->setNameFilters({FilterTS, FilterTD});
    SaveDialog->setDefaultSuffix("shp");

    connect(SaveButton, &QToolButton::clicked, this, &TFrmMain::SaveButtonClick);
    connect(Save1, &QAction::triggered, this, &TFrmMain::SaveButtonClick);
    connect(SaveAsButton, &QToolButton::clicked, this, &TFrmMain::SaveAs1Click);
    connect(SaveAs1, &QAction::triggered, this, &TFrmMain::SaveAs1Click);
}

TSHPFormat TFrmMain::OwnLayout() const
{
    return CurrentSHP && CurrentSHP->Format == TSHPFormat::TD ? TSHPFormat::TD : TSHPFormat::TS;
}

bool TFrmMain::SaveButtonClick()
{
    if (!CurrentSHP)
        return false;
    return SaveWithOptions(QString::fromStdString(CurrentSHP->FileName), OwnLayout());
}

bool TFrmMain::SaveAs1Click()
{
    if (!CurrentSHP)
        return false;
    const QString folder = OwnFolder(CurrentSHP->FileName);
    if (!folder.isEmpty())
        SaveDialog->setDirectory(folder);
    SaveDialog->selectFile(QString::fromStdString(ExtractFileName(CurrentSHP->FileName)));
    SaveDialog->selectNameFilter(OwnLayout() == TSHPFormat::TD ? FilterTD : FilterTS);
    if (SaveDialog->exec() != QDialog::Accepted || SaveDialog->selectedFiles().isEmpty())
        return false;
    const TSHPFormat layout = SaveDialog->selectedNameFilter() == FilterTD ? TSHPFormat::TD : TSHPFormat::TS;
    return SaveWithOptions(QDir::toNativeSeparators(SaveDialog->selectedFiles().first()), layout);
}

bool TFrmMain::SaveWithOptions(const QString& path, std::optional<TSHPFormat> layout)
{
    if (!CurrentSHP)
        return false;
    const TSHPFormat format = layout.value_or(OwnLayout());
    TFrmSaveOptions& options = *FrmSaveOptions;
    options.FilenameEdit->setText(path);
    options.SetLayout(format);
    options.exec();
    if (!options.Accepted)
        return false;
    const QString target = options.FilenameEdit->text();
    TSHP& sprite = *CurrentSHP;
    sprite.CompressionMode = uint8_t(options.SelectedCompression());
    sprite.ForcedFlags = options.GetForcedFlags();
    try {
        sprite.SaveToFile(target.toStdString(), format);
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
    sprite.Format = format;
    SetModified(false);
    AddRecentFile(target);
    UpdateRecentMenu();
    return true;
}

} // namespace vantrel
