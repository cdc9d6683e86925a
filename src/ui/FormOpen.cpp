#include "FormOpen.h"

#include "Icons.h"
#include "RecentFiles.h"
#include "SHPListModel.h"
#include "ThumbnailDelegate.h"
#include "imaging/Imaging.h"
#include "imaging/Thumbnail.h"
#include "sprite/FolderListing.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileIconProvider>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTextLayout>
#include <QTimer>
#include <QToolButton>

namespace vantrel {

namespace {

// text as it fits in box with font: wrapped at word boundaries, or anywhere in a word longer
// than a line, the last line that fits cut with "…" when more would follow.
QString FitText(const QString& text, const QFont& font, QSize box)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const QFontMetrics metrics(font);
    const int lines = std::max(1, box.height() / metrics.lineSpacing());
    QStringList shown;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        if (shown.size() + 1 == lines) {
            shown << metrics.elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, box.width());
            break;
        }
        shown << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return shown.join('\n');
}

constexpr int ClientWidth = 654;
constexpr int ClientHeight = 430;
constexpr int PreviewTimerInterval = 200;

// Sets a flag for the lifetime of the guard and clears it on every way out, exceptions included.
class TFlagGuard {
public:
    explicit TFlagGuard(bool& flag) : Flag(flag) { Flag = true; }
    ~TFlagGuard() { Flag = false; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& Flag;
};

std::string ToStd(const QString& s) { return s.toStdString(); }
QString FromStd(const std::string& s) { return QString::fromStdString(s); }

// The SHPs folder found by the data-folder lookup, else the home folder.
QString StartFolder()
{
    const std::string shps = FindDataFolder(SpriteFolderName);
    return DirectoryExists(shps) ? FromStd(shps) : QDir::toNativeSeparators(QDir::homePath());
}

// A typed path: "~" stands for the home folder; a relative path is taken from the current folder.
QString ExpandTypedPath(QString text, const QString& currentFolder)
{
    text = text.trimmed();
    if (text == "~" || text.startsWith("~/") || text.startsWith(QString("~") + QDir::separator()))
        text = QDir::homePath() + text.mid(1);
    return FromStd(ResolveFolder(ToStd(text), ToStd(currentFolder)));
}

} // namespace

TFrmOpen::TFrmOpen(QWidget* parent) : QDialog(parent) { FormCreate(); }

TFrmOpen::~TFrmOpen() = default;

QSize TFrmOpen::ThumbnailSize() { return TThumbnailDelegate::PictureRect(QRect(0, 0, 100, 120)).size(); }

// --- creation and layout ---------------------------------------------------------------------

void TFrmOpen::FormCreate()
{
    setObjectName("FrmOpen");
    setWindowTitle("Open Dialog");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    CreateControls();
    CreatePreviewControls();
    resize(ClientWidth, ClientHeight);
    LayoutControls();
    CheckerBG = MakeCheckerBackground(192, 192);
    CheckBGImage->setPixmap(QPixmap::fromImage(CheckerBG));
    FillShellComboBox();
    GoToFolder(StartFolder());
}

void TFrmOpen::CreateControls()
{
    UpFolderButton = new QToolButton(this);
    UpFolderButton->setObjectName("UpFolderButton");
    UpFolderButton->setIcon(GlyphIcon(TGlyph::UpFolder));
    UpFolderButton->setToolTip("Up Directory");
    UpFolderButton->setAutoRaise(true);
    UpFolderButton->setEnabled(false);
    connect(UpFolderButton, &QToolButton::clicked, this, [this] { UpFolderButtonClick(); });

    ShellComboBox = new QComboBox(this);
    ShellComboBox->setObjectName("ShellComboBox");
    ShellComboBox->setEditable(true);
    ShellComboBox->setInsertPolicy(QComboBox::NoInsert);
    ShellComboBox->setCompleter(nullptr);
    ShellComboBox->setMaxVisibleItems(8);
    connect(ShellComboBox, &QComboBox::activated, this, [this](int index) { ShellComboBoxChange(index); });
    connect(ShellComboBox->lineEdit(), &QLineEdit::returnPressed, this, [this] { ShellComboBoxKeyPress(); });

    SHPListModel = new TSHPListModel(this);
    SHPListDelegate = new TThumbnailDelegate(
        [this](QPainter& painter, const QModelIndex& index, const QRect& area) {
            return SHPListItemImageDraw(painter, index, area);
        },
        this);
    SHPList = new QListView(this);
    SHPList->setObjectName("SHPList");
    SHPList->setViewMode(QListView::IconMode);
    SHPList->setMovement(QListView::Static);
    SHPList->setResizeMode(QListView::Adjust);
    SHPList->setFlow(QListView::LeftToRight);
    SHPList->setWrapping(true);
    SHPList->setUniformItemSizes(true);
    SHPList->setSpacing(0);
    SHPList->setGridSize(QSize(TThumbnailDelegate::CellWidth, TThumbnailDelegate::CellHeight));
    SHPList->setSelectionMode(QAbstractItemView::SingleSelection);
    SHPList->setSelectionRectVisible(false);
    SHPList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SHPList->setDragEnabled(false);
    SHPList->viewport()->setMouseTracking(true);
    SHPList->setFocusPolicy(Qt::StrongFocus);
    QPalette listPalette = SHPList->palette();
    listPalette.setColor(QPalette::Base, TThumbnailDelegate::ListBackground);
    SHPList->setPalette(listPalette);
    SHPList->setModel(SHPListModel);
    SHPList->setItemDelegate(SHPListDelegate);
    SHPList->installEventFilter(this);
    SHPList->viewport()->installEventFilter(this);
    connect(SHPList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { SHPListItemSelectionsChanged(); });
    connect(SHPList, &QListView::doubleClicked, this, [this] { SHPListDblClick(); });

    FileNameEdit = new QLineEdit(this);
    FileNameEdit->setObjectName("FileNameEdit");
    FileNameEdit->setReadOnly(true);
    FileNameEdit->setFocusPolicy(Qt::NoFocus);
    connect(FileNameEdit, &QLineEdit::textChanged, this, [this] { FileNameEditChange(); });

    OkButton = new QPushButton("Ok", this);
    OkButton->setObjectName("OkButton");
    OkButton->setAutoDefault(false);
    OkButton->setEnabled(false);
    connect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    CloseButton = new QPushButton("Cancel", this);
    CloseButton->setObjectName("CloseButton");
    CloseButton->setAutoDefault(false);
    connect(CloseButton, &QPushButton::clicked, this, [this] { CloseButtonClick(); });

    PreviewTimer = new QTimer(this);
    PreviewTimer->setObjectName("PreviewTimer");
    PreviewTimer->setInterval(PreviewTimerInterval);
    connect(PreviewTimer, &QTimer::timeout, this, [this] { PreviewTimerTimer(); });
}

void TFrmOpen::CreatePreviewControls()
{
    PreviewPanel = new QFrame(this);
    PreviewPanel->setObjectName("PreviewPanel");
    PreviewPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PreviewPanel->setLineWidth(1);
    CheckBGImage = new QLabel(PreviewPanel);
    CheckBGImage->setObjectName("CheckBGImage");
    CheckBGImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PreviewImage = new QLabel(PreviewPanel);
    PreviewImage->setObjectName("PreviewImage");
    PreviewImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PreviewImage->setAttribute(Qt::WA_TranslucentBackground);
    for (QLabel* image : {CheckBGImage, PreviewImage})
        image->setGeometry(1, 1, PreviewSize, PreviewSize);

    PreviewDetailsPanel = new QWidget(this);
    PreviewDetailsPanel->setObjectName("PreviewDetailsPanel");
    PreviewDetailsPanel->hide();
    PreviewLabel = new QLabel(PreviewDetailsPanel);
    PreviewLabel->setObjectName("PreviewLabel");
    PreviewLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    PreviewLabel->setWordWrap(true);
    PreviewLabel->setGeometry(8, 0, 193, 49);

    GameButtonGroup = new QButtonGroup(this);
    GameButtonGroup->setExclusive(true);
    const std::array<const char*, GameCount> names = {"PrevGameTD", "PrevGameRA1", "PrevGameTS", "PrevGameRA2"};
    for (int game = 0; game < GameCount; ++game) {
        auto* button = new QToolButton(PreviewDetailsPanel);
        button->setObjectName(names[size_t(game)]);
        button->setIcon(GameIcon(game));
        button->setToolTip(GameNames[size_t(game)]);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setGeometry(8 + 24 * game, 56, 23, 22);
        GameButtonGroup->addButton(button, game);
        PreviewGameButtons[size_t(game)] = button;
    }
    PrevGameTD = PreviewGameButtons[0];
    PrevGameRA1 = PreviewGameButtons[1];
    PrevGameTS = PreviewGameButtons[2];
    PrevGameRA2 = PreviewGameButtons[3];
    PrevGameTD->setChecked(true);
    connect(GameButtonGroup, &QButtonGroup::idClicked, this, [this](int game) { PrevGameTDClick(game); });

    PreviewTypeBox = new TImageComboBox(PreviewDetailsPanel);
    PreviewTypeBox->setObjectName("PreviewTypeBox");
    for (int type = 0; type < SHPTypeCount; ++type)
        PreviewTypeBox->addItem(SHPTypeIcon(type), SHPTypeNames[size_t(type)]);
    PreviewTypeBox->setCurrentIndex(-1);
    PreviewTypeBox->setGeometry(8, 80, 193, PreviewTypeBox->sizeHint().height());
    connect(PreviewTypeBox, &QComboBox::currentIndexChanged, this, [this](int index) { PreviewTypeBoxChange(index); });
}

void TFrmOpen::LayoutControls()
{
    const int w = width(), h = height();
    const int right = w - (ClientWidth - 641);
    UpFolderButton->setGeometry(208, 0, 23, 22);
    ShellComboBox->setGeometry(232, 0, std::max(40, right - 232), 22);
    SHPList->setGeometry(208, 24, std::max(40, right - 208), std::max(40, h - 24 - (ClientHeight - 369)));
    PreviewPanel->setGeometry(24, 6, PreviewSize + 2, PreviewSize + 2);
    PreviewDetailsPanel->setGeometry(0, 168, 207, 201);
    FileNameEdit->setGeometry(208, h - 54, std::max(40, w - 208 - (ClientWidth - 537)), 21);
    OkButton->setGeometry(w - 102, h - 54, 82, 21);
    CloseButton->setGeometry(w - 102, h - 30, 81, 21);
}

void TFrmOpen::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    LayoutControls();
}

void TFrmOpen::FillShellComboBox()
{
    const QString shown = ShellComboBox->currentText();
    QStringList places;
    auto add = [&places](const QString& path) {
        const QString folder = FromStd(ResolveFolder(ToStd(QDir::toNativeSeparators(path))));
        if (!folder.isEmpty() && !places.contains(folder) && DirectoryExists(ToStd(folder)))
            places.append(folder);
    };
    add(QStandardPaths::writableLocation(QStandardPaths::HomeLocation));
    add(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    add(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    add(FromStd(FindDataFolder(SpriteFolderName)));
    if (const QString last = LastOpenFolder(); !last.isEmpty())
        add(last);
    add(QDir::rootPath());
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady())
            add(volume.rootPath());

    const QFileIconProvider icons;
    const QString home = FromStd(ResolveFolder(ToStd(QDir::toNativeSeparators(QDir::homePath()))));
    ShellComboBox->blockSignals(true);
    ShellComboBox->clear();
    for (const QString& place : places) {
        QIcon icon = icons.icon(IsFileSystemRoot(ToStd(place)) ? QAbstractFileIconProvider::Drive
                                                                : QAbstractFileIconProvider::Folder);
        if (place == home)
            icon = icons.icon(QAbstractFileIconProvider::Computer);
        ShellComboBox->addItem(icon, place, place);
    }
    ShellComboBox->setCurrentIndex(ShellComboBox->findData(shown));
    ShellComboBox->setEditText(shown);
    ShellComboBox->blockSignals(false);
}

// --- showing and closing -----------------------------------------------------------------------

void TFrmOpen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFrmOpen::FormShow()
{
    Accepted = false;
    FillShellComboBox();
    CurrentFolder.clear();
    ListFolder();
    SelectedFile.clear();
    FileNameEdit->clear();
    FileNameEditChange();
}

void TFrmOpen::FormClose() { PreviewTimer->stop(); }

void TFrmOpen::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TFrmOpen::hideEvent(QHideEvent* event)
{
    FormClose();
    QDialog::hideEvent(event);
}

void TFrmOpen::OkButtonClick()
{
    SetLastOpenFolder(CurrentFolder);
    Accepted = true;
    accept();
}

void TFrmOpen::CloseButtonClick() { reject(); }

void TFrmOpen::FileNameEditChange() { OkButton->setEnabled(!FileNameEdit->text().isEmpty()); }

// --- results -------------------------------------------------------------------------------------

int TFrmOpen::PreviewGame() const
{
    for (int game = 0; game < GameCount; ++game)
        if (PreviewGameButtons[size_t(game)]->isChecked())
            return game;
    return 0;
}

int TFrmOpen::PreviewType() const { return std::max(0, PreviewTypeBox->currentIndex()); }

// --- the folder listing --------------------------------------------------------------------------

void TFrmOpen::GoToFolder(const QString& path)
{
    const QString folder = FromStd(ResolveFolder(ToStd(path)));
    if (folder.isEmpty()) {
        EmptyList();
        return;
    }
    ShownFolder = folder;
    ListFolder();
}

void TFrmOpen::EmptyList()
{
    ShownFolder.clear();
    CurrentFolder.clear();
    SHPListModel->Clear();
    UpFolderButton->setEnabled(false);
    ShowNoFile();
}

void TFrmOpen::ListFolder()
{
    const QString folder = ShownFolder;
    if (folder.isEmpty()) {
        EmptyList();
        return;
    }
    if (folder == CurrentFolder)
        return;
    CurrentFolder = folder;
    ShellComboBox->setCurrentIndex(ShellComboBox->findData(folder));
    ShellComboBox->setEditText(folder);
    UpFolderButton->setEnabled(false);
    SHPList->setUpdatesEnabled(false);
    const std::vector<TDirEntry> entries = CollectEntries(ToStd(folder));
    SHPListModel->SetEntries(entries);
    for (const TDirEntry& e : entries)
        if (e.IsFolder && e.Name == "..")
            UpFolderButton->setEnabled(true);
    SHPList->doItemsLayout();
    SHPList->scrollToTop();
    SHPList->setUpdatesEnabled(true);
    ShowNoFile();
}

QString TFrmOpen::ItemPath(int row) const
{
    return FromStd(AddTrailingBackslash(ToStd(CurrentFolder))) + SHPListModel->Item(row).Caption;
}

bool TFrmOpen::SHPListItemImageDraw(QPainter& painter, const QModelIndex& index, const QRect& area)
{
    const int row = index.row();
    if (row < 0 || row >= SHPListModel->ItemCount())
        return true;
    const TListItem& item = SHPListModel->Item(row);
    if (item.IsFolder) {
        const QImage& picture = item.Caption == ".." ? UpFolderPicture() : FolderPicture();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(FitRect(area, picture.size()), picture);
        return true;
    }
    TThumbnailSlot* slot = SHPListModel->Thumbnail(row);
    if (!slot)
        return true;
    if (!slot->Made) {
        if (!ProbeListedFile(ToStd(ItemPath(row)))) {
            SHPList->setRowHidden(row, true);
            return false;
        }
        MakeThumbnail(row);
    }
    painter.drawImage(area.topLeft(), slot->Image);
    return true;
}

void TFrmOpen::MakeThumbnail(int row)
{
    TThumbnailSlot* slot = SHPListModel->Thumbnail(row);
    if (!slot)
        return;
    if (!ThumbnailSHP) {
        ThumbnailSHP = std::make_unique<TSHP>();
        ThumbnailSHP->OneFrameLoad = true;
    }
    QImage picture;
    try {
        picture = RenderThumbnail(*ThumbnailSHP, ToStd(ItemPath(row)));
    } catch (const std::exception&) {
        picture = QImage(); // an unreadable file keeps an empty cell
    }
    slot->Image = ComposeThumbnail(picture, ThumbnailSize());
    slot->Made = true;
}

// --- navigation ----------------------------------------------------------------------------------

int TFrmOpen::SelectedRow() const
{
    const QModelIndexList rows = SHPList->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TFrmOpen::SHPListDblClick()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    if (SHPListModel->IsFileItem(row)) {
        if (!SelectedFile.isEmpty())
            OkButtonClick();
        return;
    }
    const QString path = ItemPath(row) + QDir::separator();
    if (DirectoryExists(ToStd(path)))
        GoToFolder(path);
}

void TFrmOpen::UpFolderButtonClick()
{
    const QString path = FromStd(AddTrailingBackslash(ToStd(CurrentFolder))) + ".." + QDir::separator();
    if (!CurrentFolder.isEmpty() && DirectoryExists(ToStd(path)))
        GoToFolder(path);
}

void TFrmOpen::ShellComboBoxChange(int index)
{
    if (index >= 0)
        GoToFolder(ShellComboBox->itemData(index).toString());
}

void TFrmOpen::ShellComboBoxKeyPress()
{
    const QString folder = ExpandTypedPath(ShellComboBox->currentText(), CurrentFolder);
    if (DirectoryExists(ToStd(folder)))
        GoToFolder(folder);
}

bool TFrmOpen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == SHPList->viewport() && event->type() == QEvent::MouseMove && !SHPList->hasFocus())
        SHPList->setFocus(Qt::MouseFocusReason);
    if (watched == SHPList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            SHPListDblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// --- the preview ---------------------------------------------------------------------------------

void TFrmOpen::SHPListItemSelectionsChanged()
{
    const int row = SelectedRow();
    if (!SHPListModel->IsFileItem(row)) {
        ShowNoFile();
        return;
    }
    const TThumbnailSlot* slot = SHPListModel->Thumbnail(row);
    if (SHPList->isRowHidden(row) || (slot && !slot->Made && !ProbeListedFile(ToStd(ItemPath(row))))) {
        SHPList->setRowHidden(row, true);
        SHPList->selectionModel()->clearSelection();
        ShowNoFile();
        return;
    }
    LoadPreview(row);
}

void TFrmOpen::LoadPreview(int row)
{
    PreviewTimer->stop();
    {
        TFlagGuard guard(UpdatingPreview);
        PreviewSHP = std::make_unique<TSHP>();
        SelectedFile = ItemPath(row);
        FileNameEdit->setText(SHPListModel->Item(row).Caption);
        try {
            PreviewSHP->LoadFromFile(ToStd(SelectedFile));
            PreviewSHP->SetTransparentShadows(true);
            if (!PreviewSHP->CustomPalette)
                PreviewSHP->LoadDefaultPalette(PaletteFolder());
        } catch (const std::exception& e) {
            ShowPreviewError(QString::fromUtf8(e.what()));
            return;
        }
        SetPreviewControlsEnabled(true);
        const int game = int(PreviewSHP->Game);
        if (game < GameCount) {
            PreviewGameButtons[size_t(game)]->setChecked(true);
        } else {
            GameButtonGroup->setExclusive(false);
            for (QToolButton* button : PreviewGameButtons)
                button->setChecked(false);
            GameButtonGroup->setExclusive(true);
        }
        const int type = int(PreviewSHP->SHPType);
        PreviewTypeBox->setCurrentIndex(type < SHPTypeCount ? type : -1);
        UpdatePreviewLabel();
    }
    PreviewDetailsPanel->show();
    PreviewFrame = 0;
    ShowPreviewFrame();
    if (PreviewSHP->FrameCount() > 0)
        PreviewTimer->start();
    else
        PreviewTimer->stop();
}

// A file that cannot be read at selection: the reason is shown in the preview label, and no file
// is chosen, so Ok stays disabled.
void TFrmOpen::ShowPreviewError(const QString& message)
{
    PreviewTimer->stop();
    PreviewSHP.reset();
    SelectedFile.clear();
    FileNameEdit->clear();
    PreviewImage->clear();
    SetPreviewControlsEnabled(false);
    ShowPreviewMessage(message);
    PreviewDetailsPanel->show();
}

// The label names the file without its folder, the one the list shows, and fits the rest into
// its box; the whole message is its tooltip.
void TFrmOpen::ShowPreviewMessage(const QString& message)
{
    const QString folder = FromStd(AddTrailingBackslash(ToStd(CurrentFolder)));
    const QString text = QString(message).replace(folder, QString());
    PreviewLabel->setText(FitText(text, PreviewLabel->font(), PreviewLabel->size()));
    PreviewLabel->setToolTip(message);
}

void TFrmOpen::SetPreviewControlsEnabled(bool on)
{
    for (QToolButton* button : PreviewGameButtons)
        button->setEnabled(on);
    PreviewTypeBox->setEnabled(on);
}

void TFrmOpen::ShowNoFile()
{
    FileNameEdit->clear();
    SelectedFile.clear();
    PreviewTimer->stop();
    PreviewImage->clear();
    PreviewDetailsPanel->hide();
}

void TFrmOpen::UpdatePreviewLabel()
{
    if (!PreviewSHP)
        return;
    PreviewLabel->setText(QString("%1x%2\n%3 Frame(s)\n%4")
                              .arg(PreviewSHP->Width)
                              .arg(PreviewSHP->Height)
                              .arg(PreviewSHP->FrameCount())
                              .arg(FromStd(PreviewSHP->PaletteName)));
    PreviewLabel->setToolTip(QString());
}

void TFrmOpen::ShowPreviewFrame()
{
    if (!PreviewSHP || PreviewSHP->FrameCount() == 0) {
        PreviewImage->clear();
        return;
    }
    try {
        const QImage frame = FrameToPNG(*PreviewSHP, PreviewFrame, true);
        if (frame.isNull())
            PreviewImage->clear();
        else
            PreviewImage->setPixmap(QPixmap::fromImage(ComposePreview(frame, QSize(PreviewSize, PreviewSize))));
    } catch (const std::exception& e) {
        PreviewImage->clear();
        ShowPreviewMessage(QString::fromUtf8(e.what()));
    }
    PreviewImage->update();
}

void TFrmOpen::PreviewTimerTimer()
{
    if (!PreviewSHP || PreviewSHP->FrameCount() == 0) {
        PreviewTimer->stop();
        return;
    }
    const int n = PreviewSHP->FrameCount();
    const int limit = PreviewSHP->HasShadowFrames() ? n / 2 : n;
    if (++PreviewFrame >= limit)
        PreviewFrame = 0;
    ShowPreviewFrame();
}

void TFrmOpen::PrevGameTDClick(int game)
{
    if (UpdatingPreview || !PreviewSHP)
        return;
    (void)game;
    PreviewSHP->Game = TSHPGame(PreviewGame());
    ReloadPreviewPalette();
}

void TFrmOpen::PreviewTypeBoxChange(int index)
{
    if (UpdatingPreview || index < 0 || !PreviewSHP)
        return;
    PreviewSHP->SetSHPType(TSHPType(index));
    ReloadPreviewPalette();
    if (PreviewTypeBox->hasFocus())
        PreviewTypeBox->clearFocus();
}

void TFrmOpen::ReloadPreviewPalette()
{
    if (!PreviewSHP)
        return;
    try {
        PreviewSHP->LoadDefaultPalette(PaletteFolder());
    } catch (const std::exception& e) {
        ShowPreviewMessage(QString::fromUtf8(e.what()));
        return;
    }
    UpdatePreviewLabel();
}

} // namespace vantrel
