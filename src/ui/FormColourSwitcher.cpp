#include "FormColourSwitcher.h"

#include "AnimationSpeeds.h"
#include "FormMain.h"
#include "Icons.h"
#include "SpriteView.h"
#include "ThumbnailDelegate.h"
#include "WidenCombos.h"
#include "imaging/Imaging.h"
#include "sprite/SHP.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>

namespace vantrel {

namespace {

constexpr int SlotRole = Qt::UserRole;
constexpr int PaletteGridSize = 192;
constexpr int PaletteCellSize = 12;

QToolButton* MakeGlyphButton(QWidget* parent, TGlyph glyph, const QString& hint, int left, int top)
{
    auto* button = new QToolButton(parent);
    button->setIcon(GlyphIcon(glyph));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(left, top, 23, 22);
    return button;
}

QFrame* MakeSunkenPanel(QWidget* parent, int left, int top, int size)
{
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(left, top, size, size);
    return panel;
}

// Frame i of sprite laid over its shadow, drawn through palette with the side colour off; the
// sprite's palette and side-colour setting are put back at once, even when drawing fails. A null
// image when none results.
QImage RenderWithPalette(TSHP& sprite, const TPalette& palette, int i)
{
    struct TRestore {
        TSHP& Sprite;
        TPalette Palette;
        bool UseSideColour;
        ~TRestore()
        {
            Sprite.SetUseSideColour(UseSideColour);
            Sprite.SetPalette(Palette);
        }
    } restore{sprite, sprite.Palette, sprite.UseSideColour};
    sprite.SetPalette(palette);
    sprite.SetUseSideColour(false);
    QImage image;
    try {
        image = FrameToPNG(sprite, i, true);
    } catch (const std::exception&) {
        // A frame that cannot be drawn (it is reported by the main window) gives no image.
    }
    return image;
}

QString ThreeDigits(int value) { return QString("%1").arg(value, 3, 10, QChar('0')); }

} // namespace

void TSchemeListView::keyboardSearch(const QString& search)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const bool continued = now - LastKeyTime <= QApplication::keyboardInputInterval() && !SearchText.isEmpty();
    LastKeyTime = now;
    SearchText = continued ? SearchText + search : search;
    if (count() == 0 || SearchText.isEmpty())
        return;
    const int start = std::max(currentRow(), 0);
    // A continued search may stay on the current item; a new one looks from the next item on.
    const int first = continued ? start : start + 1;
    for (int n = 0; n < count(); ++n) {
        const int row = (first + n) % count();
        if (!isRowHidden(row) && item(row)->text().startsWith(SearchText, Qt::CaseInsensitive)) {
            setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
            scrollToItem(item(row));
            return;
        }
    }
}

TFrmColourSwitcher::TFrmColourSwitcher(QWidget* parent) : QDialog(parent)
{
    setObjectName("FrmColourSwitcher");
    setWindowTitle("Colour Switcher");
    setFixedSize(656, 510);
    CreateControls();
    CreateAnimationControls();
    CreatePopupMenu();
    ConnectHandlers();
    FormCreate();
}

void TFrmColourSwitcher::CreateControls()
{
    CategoryCombo = new TImageComboBox(this);
    CategoryCombo->setObjectName("CategoryCombo");
    CategoryCombo->setGeometry(8, 16, 233, 22);
    CategoryCombo->setMaxVisibleItems(8);

    SchemeSHPListDelegate = new TThumbnailDelegate(
        [this](QPainter& painter, const QModelIndex& index, const QRect& area) {
            return SchemeSHPListItemImageDraw(painter, index, area);
        },
        this);
    SchemeSHPList = new TSchemeListView(this);
    SchemeSHPList->setObjectName("SchemeSHPList");
    SchemeSHPList->setGeometry(8, 40, 233, 425);
    SchemeSHPList->setViewMode(QListView::IconMode);
    SchemeSHPList->setMovement(QListView::Static);
    SchemeSHPList->setResizeMode(QListView::Adjust);
    SchemeSHPList->setFlow(QListView::LeftToRight);
    SchemeSHPList->setWrapping(true);
    SchemeSHPList->setUniformItemSizes(true);
    SchemeSHPList->setSpacing(0);
    SchemeSHPList->setGridSize(QSize(TThumbnailDelegate::CellWidth, TThumbnailDelegate::CellHeight));
    SchemeSHPList->setSelectionMode(QAbstractItemView::SingleSelection);
    SchemeSHPList->setSelectionRectVisible(false);
    SchemeSHPList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SchemeSHPList->setDragEnabled(false);
    QPalette listPalette = SchemeSHPList->palette();
    listPalette.setColor(QPalette::Base, TThumbnailDelegate::ListBackground);
    SchemeSHPList->setPalette(listPalette);
    SchemeSHPList->setItemDelegate(SchemeSHPListDelegate);

    PalettePanel = MakeSunkenPanel(this, 249, 16, 194);
    PaletteImg = new TImage(PalettePanel);
    PaletteImg->setGeometry(1, 1, PaletteGridSize, PaletteGridSize);
    PalettePanel2 = MakeSunkenPanel(this, 249, 216, 194);
    PaletteImgNew = new TImage(PalettePanel2);
    PaletteImgNew->setGeometry(1, 1, PaletteGridSize, PaletteGridSize);

    PrevPanel = new QFrame(this);
    PrevPanel->setGeometry(456, 16, 190, 394);
    PreviewImage = new TImage(PrevPanel);
    PreviewImageNew = new TImage(PrevPanel);
    for (TImage* image : {PreviewImage, PreviewImageNew}) {
        image->Center = true;
        image->Proportional = true;
        image->Stretch = true;
    }
    PreviewImage->setGeometry(0, 0, 190, 190);
    PreviewImageNew->setGeometry(0, 200, 190, 190);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(8, 472, 641, 2);
    OkButton = new QPushButton(GlyphIcon(TGlyph::Ok), "Ok", this);
    OkButton->setGeometry(496, 480, 73, 25);
    OkButton->setEnabled(false);
    CancelButton = new QPushButton(GlyphIcon(TGlyph::Cancel), "Cancel", this);
    CancelButton->setGeometry(576, 480, 73, 25);
}

void TFrmColourSwitcher::CreateAnimationControls()
{
    FrameLabel = new QLabel("0/0", this);
    FrameLabel->setAlignment(Qt::AlignCenter);
    FrameLabel->setGeometry(456, 416, 193, 17);

    PlayButton = MakeGlyphButton(this, TGlyph::Play, "Play Animation", 395, 440);
    StopButton = MakeGlyphButton(this, TGlyph::Stop, "Stop Animation", 419, 440);
    auto* playGroup = new QButtonGroup(this);
    for (QToolButton* button : {PlayButton, StopButton}) {
        button->setCheckable(true);
        playGroup->addButton(button);
    }
    PlayButton->setChecked(true);
    PrevFrameButton = MakeGlyphButton(this, TGlyph::PrevFrame, "Go Back a Frame", 454, 440);
    TrackBar = new TSTrackBar(this);
    TrackBar->setGeometry(480, 440, 137, 25);
    TrackBar->setToolTip("Right Click for Settings");
    TrackBar->setRange(0, 0);
    TrackBar->setContextMenuPolicy(Qt::CustomContextMenu);
    NextFrameButton = MakeGlyphButton(this, TGlyph::NextFrame, "Go Forward a Frame", 623, 440);

    AnimateTimer = new QTimer(this);
    AnimateTimer->setInterval(StartInterval);
}

void TFrmColourSwitcher::CreatePopupMenu()
{
    AnimatePopupMenu = MakeSpeedMenu(this, AnimateSpeedGroup);
}

void TFrmColourSwitcher::ConnectHandlers()
{
    connect(CategoryCombo, &QComboBox::currentIndexChanged, this, &TFrmColourSwitcher::CategoryComboChange);
    connect(SchemeSHPList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { SchemeSHPListItemSelectionsChanged(); });
    connect(TrackBar, &QSlider::valueChanged, this, [this] { TrackBarChange(); });
    connect(TrackBar, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { AnimatePopupMenu->popup(TrackBar->mapToGlobal(at)); });
    connect(PrevFrameButton, &QToolButton::clicked, this, &TFrmColourSwitcher::PrevFrameButtonClick);
    connect(NextFrameButton, &QToolButton::clicked, this, &TFrmColourSwitcher::NextFrameButtonClick);
    connect(PlayButton, &QToolButton::clicked, this, &TFrmColourSwitcher::PlayButtonClick);
    connect(StopButton, &QToolButton::clicked, this, &TFrmColourSwitcher::PlayButtonClick);
    connect(AnimateTimer, &QTimer::timeout, this, &TFrmColourSwitcher::AnimateTimerTimer);
    connect(AnimateSpeedGroup, &QActionGroup::triggered, this, &TFrmColourSwitcher::N1FPS1000ms1Click);
    connect(OkButton, &QPushButton::clicked, this, &TFrmColourSwitcher::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TFrmColourSwitcher::CancelButtonClick);
}

void TFrmColourSwitcher::FormCreate()
{
    const QSignalBlocker block(CategoryCombo);
    for (const char* category : CategoryNames)
        CategoryCombo->addItem(category);
    CategoryCombo->setCurrentIndex(0);
}

void TFrmColourSwitcher::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFrmColourSwitcher::FormShow()
{
    Accepted = false;
    OkButton->setEnabled(false);
    UsedColours = Sprite ? Sprite->GetUsedColours(-1) : std::array<uint8_t, 256>{};
    const int frames = Sprite ? Sprite->FrameCount() : 0;
    const int last = Sprite && Sprite->HasShadowFrames() ? frames / 2 - 1 : frames - 1;
    TrackUpdating = true;
    TrackBar->setRange(0, std::max(last, 0));
    TrackBar->setValue(0);
    TrackUpdating = false;
    UpdateFrameLabel();
    // Pictures of the sprite shown last time are not left beside another sprite.
    for (TImage* image : {PaletteImg, PaletteImgNew, PreviewImage, PreviewImageNew})
        image->SetPicture({});
    ShowNoScheme();
    if (SchemeCount == 0)
        LoadLibrary();
    FreeSchemeThumbnails();
    SchemeThumbnails.assign(size_t(SchemeCount), std::nullopt);
    FillSchemeList();
    for (int row = 0; row < SchemeSHPList->count(); ++row) {
        if (!SchemeSHPList->isRowHidden(row)) {
            SchemeSHPList->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
            break;
        }
    }
    RunAnimationAsChosen();
}

void TFrmColourSwitcher::LoadLibrary()
{
    try {
        LoadSchemeLibrary();
    } catch (const std::exception& e) {
        QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), QString::fromStdString(e.what()),
                        QMessageBox::Ok, this);
        box.exec();
    }
}

void TFrmColourSwitcher::FillSchemeList()
{
    SchemeSHPList->setUpdatesEnabled(false);
    SchemeSHPList->clear();
    const int category = CategoryCombo->currentIndex();
    for (int i = 0; i < SchemeCount; ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(Schemes[size_t(i)].Name), SchemeSHPList);
        item->setData(SlotRole, i);
        SchemeSHPList->setRowHidden(i, !SchemeVisible(i, category, UsedColours));
    }
    SchemeSHPList->doItemsLayout();
    SchemeSHPList->scrollToTop();
    SchemeSHPList->setUpdatesEnabled(true);
}

void TFrmColourSwitcher::FreeSchemeThumbnails() { SchemeThumbnails.clear(); }

int TFrmColourSwitcher::ItemSlot(int row) const
{
    const QListWidgetItem* item = SchemeSHPList->item(row);
    return item ? item->data(SlotRole).toInt() : -1;
}

void TFrmColourSwitcher::CategoryComboChange(int index)
{
    SchemeSHPList->setUpdatesEnabled(false);
    for (int row = 0; row < SchemeSHPList->count(); ++row)
        SchemeSHPList->setRowHidden(row, !SchemeVisible(ItemSlot(row), index, UsedColours));
    SchemeSHPList->setUpdatesEnabled(true);
    // A scheme the list no longer shows cannot be the one Ok applies.
    const QModelIndexList selected = SchemeSHPList->selectionModel()->selectedIndexes();
    if (!selected.isEmpty() && SchemeSHPList->isRowHidden(selected.first().row()))
        SchemeSHPList->clearSelection();
}

bool TFrmColourSwitcher::SchemeSHPListItemImageDraw(QPainter& painter, const QModelIndex& index, const QRect& area)
{
    const int slot = index.data(SlotRole).toInt();
    if (slot < 0 || size_t(slot) >= SchemeThumbnails.size() || !Sprite)
        return true;
    std::optional<QImage>& thumbnail = SchemeThumbnails[size_t(slot)];
    if (!thumbnail)
        thumbnail = RenderWithPalette(*Sprite, RecolourPalette(Sprite->Palette, Schemes[size_t(slot)]), 0);
    if (!thumbnail->isNull())
        painter.drawImage(FitRect(area, thumbnail->size()), *thumbnail);
    return true;
}

void TFrmColourSwitcher::SchemeSHPListItemSelectionsChanged()
{
    const QModelIndexList selected = SchemeSHPList->selectionModel()->selectedIndexes();
    const int slot = selected.isEmpty() ? -1 : selected.first().data(SlotRole).toInt();
    if (!Sprite || slot < 0 || slot >= SchemeCount || SchemeSHPList->isRowHidden(selected.first().row())) {
        ShowNoScheme();
        return;
    }
    const TCScheme& scheme = Schemes[size_t(slot)];
    OldPalette = Sprite->Palette;
    NewPalette = RecolourPalette(OldPalette, scheme);
    DrawPaletteChanges(PaletteImg, OldPalette, scheme.Map);
    DrawPaletteChanges(PaletteImgNew, NewPalette, scheme.Map);
    RunAnimationAsChosen();
    OkButton->setEnabled(true);
    SelectedScheme = scheme;
    ShowPreviews();
}

void TFrmColourSwitcher::ShowNoScheme()
{
    OkButton->setEnabled(false);
    if (!Sprite)
        return;
    OldPalette = NewPalette = Sprite->Palette;
    std::array<uint8_t, 256> unchanged{};
    for (int i = 0; i < 256; ++i)
        unchanged[size_t(i)] = uint8_t(i);
    DrawPaletteChanges(PaletteImg, OldPalette, unchanged);
    DrawPaletteChanges(PaletteImgNew, NewPalette, unchanged);
    ShowPreviews();
}

void TFrmColourSwitcher::DrawPaletteChanges(TImage* image, const TPalette& palette,
                                            const std::array<uint8_t, 256>& map)
{
    QImage grid(PaletteGridSize, PaletteGridSize, QImage::Format_RGB32);
    QPainter painter(&grid);
    for (int i = 0; i < 256; ++i) {
        const QRect cell((i / 16) * PaletteCellSize, (i % 16) * PaletteCellSize, PaletteCellSize, PaletteCellSize);
        const TColour24 colour = palette[size_t(i)];
        if (map[size_t(i)] != i && UsedColours[size_t(i)])
            painter.fillRect(cell, QColor(colour.R, colour.G, colour.B));
        else
            painter.drawImage(cell.topLeft(), GetCheckerCell());
    }
    painter.end();
    image->SetPicture(grid);
}

void TFrmColourSwitcher::ShowPreviews()
{
    ShowPreview(PreviewImage, OldPalette);
    ShowPreview(PreviewImageNew, NewPalette);
}

void TFrmColourSwitcher::ShowPreview(TImage* image, const TPalette& palette)
{
    if (!Sprite)
        return;
    const QImage picture = RenderWithPalette(*Sprite, palette, TrackBar->value());
    if (!picture.isNull())
        image->SetPicture(picture);
}

void TFrmColourSwitcher::UpdateFrameLabel()
{
    FrameLabel->setText(ThreeDigits(TrackBar->value()) + "/" + ThreeDigits(TrackBar->maximum()));
}

void TFrmColourSwitcher::TrackBarChange()
{
    if (TrackUpdating)
        return;
    ShowPreviews();
    UpdateFrameLabel();
}

void TFrmColourSwitcher::SetTrackPosition(int position)
{
    TrackUpdating = true;
    TrackBar->setValue(position);
    TrackUpdating = false;
    TrackBarChange();
}

void TFrmColourSwitcher::PrevFrameButtonClick()
{
    const int p = TrackBar->value() - 1;
    SetTrackPosition(p < 0 ? TrackBar->maximum() : p);
}

void TFrmColourSwitcher::NextFrameButtonClick()
{
    const int p = TrackBar->value() + 1;
    SetTrackPosition(p > TrackBar->maximum() ? 0 : p);
}

void TFrmColourSwitcher::AnimateTimerTimer() { NextFrameButtonClick(); }

void TFrmColourSwitcher::PlayButtonClick() { RunAnimationAsChosen(); }

void TFrmColourSwitcher::RunAnimationAsChosen()
{
    if (PlayButton->isChecked()) {
        if (!AnimateTimer->isActive())
            AnimateTimer->start();
    } else {
        AnimateTimer->stop();
    }
}

void TFrmColourSwitcher::N1FPS1000ms1Click(QAction* item)
{
    item->setChecked(true);
    AnimateTimer->setInterval(item->data().toInt());
}

void TFrmColourSwitcher::OkButtonClick()
{
    Accepted = true;
    accept();
}

void TFrmColourSwitcher::CancelButtonClick() { reject(); }

void TFrmColourSwitcher::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TFrmColourSwitcher::FormClose() { AnimateTimer->stop(); }

} // namespace vantrel
