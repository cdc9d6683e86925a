// The SHP open dialog: a folder's sub-folders and SHP files as thumbnails, an animated preview of
// the selected file, and the game and type under which it is shown.
#pragma once

#include "WidenCombos.h"
#include "sprite/SHP.h"

#include <QDialog>
#include <QImage>
#include <QString>
#include <array>
#include <memory>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPainter;
class QPushButton;
class QTimer;
class QToolButton;

namespace vantrel {

class TSHPListModel;
class TThumbnailDelegate;

class TFrmOpen : public QDialog {
    Q_OBJECT
public:
    explicit TFrmOpen(QWidget* parent = nullptr);
    ~TFrmOpen() override;

    // Results, read after the dialog closes.
    bool Accepted = false;
    QString SelectedFile;
    int PreviewGame() const;
    int PreviewType() const;

    // Controls.
    QToolButton* UpFolderButton = nullptr;
    QComboBox* ShellComboBox = nullptr;
    QListView* SHPList = nullptr;
    TSHPListModel* SHPListModel = nullptr;
    TThumbnailDelegate* SHPListDelegate = nullptr;
    QFrame* PreviewPanel = nullptr;
    QLabel* CheckBGImage = nullptr;
    QLabel* PreviewImage = nullptr;
    QWidget* PreviewDetailsPanel = nullptr;
    QLabel* PreviewLabel = nullptr;
    QToolButton* PrevGameTD = nullptr;
    QToolButton* PrevGameRA1 = nullptr;
    QToolButton* PrevGameTS = nullptr;
    QToolButton* PrevGameRA2 = nullptr;
    TImageComboBox* PreviewTypeBox = nullptr;
    QLineEdit* FileNameEdit = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QTimer* PreviewTimer = nullptr;

    // State beside the controls.
    QString CurrentFolder;             // the folder the list shows; empty forces the next listing
    std::unique_ptr<TSHP> PreviewSHP;  // the selected file, loaded whole
    int PreviewFrame = 0;
    bool UpdatingPreview = false;
    const QImage& CheckerBackground() const { return CheckerBG; }
    // The size of the picture area of every list cell and of the preview.
    static QSize ThumbnailSize();
    static constexpr int PreviewSize = 158;

    // Operations.
    void GoToFolder(const QString& path);
    void ListFolder();
    void MakeThumbnail(int row);
    void ShowPreviewFrame();
    void UpdatePreviewLabel();
    void ReloadPreviewPalette();
    // The path of a list item: the current folder, a separator and the caption.
    QString ItemPath(int row) const;
    // The places offered by ShellComboBox.
    void FillShellComboBox();

    // Event handlers.
    bool SHPListItemImageDraw(QPainter& painter, const QModelIndex& index, const QRect& area);
    void SHPListItemSelectionsChanged();
    void SHPListDblClick();
    void FileNameEditChange();
    void OkButtonClick();
    void CloseButtonClick();
    void UpFolderButtonClick();
    void ShellComboBoxChange(int index);
    void ShellComboBoxKeyPress();
    void PreviewTypeBoxChange(int index);
    void PrevGameTDClick(int game);
    void PreviewTimerTimer();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void CreateControls();
    void CreatePreviewControls();
    void LayoutControls();
    void EmptyList();
    void ShowNoFile();
    void LoadPreview(int row);
    void ShowPreviewError(const QString& message);
    void ShowPreviewMessage(const QString& message);
    void SetPreviewControlsEnabled(bool on);
    int SelectedRow() const;

    QString ShownFolder; // the folder chosen last, listed by ListFolder
    std::unique_ptr<TSHP> ThumbnailSHP;
    QImage CheckerBG;
    std::array<QToolButton*, GameCount> PreviewGameButtons{};
    QButtonGroup* GameButtonGroup = nullptr;
};

} // namespace vantrel
