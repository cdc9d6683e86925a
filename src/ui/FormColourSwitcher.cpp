#include "FormColourSwitcher.h"

#include "FormMain.h"
#include "Icons.h"
#include "SpriteView.h"
#include "WidenCombos.h"
#include "sprite/CScheme.h"

#include <QButtonGroup>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace vantrel {

namespace {

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

} // namespace

TFrmColourSwitcher::TFrmColourSwitcher(QWidget* parent) : QDialog(parent)
{
    setObjectName("FrmColourSwitcher");
    setWindowTitle("Colour Switcher");
    setFixedSize(656, 510);

    CategoryCombo = new TImageComboBox(this);
    CategoryCombo->setGeometry(8, 16, 233, 22);
    CategoryCombo->setMaxVisibleItems(8);
    for (const char* category : CategoryNames)
        CategoryCombo->addItem(category);
    CategoryCombo->setCurrentIndex(0);
    SchemeSHPList = new QListWidget(this);
    SchemeSHPList->setGeometry(8, 40, 233, 425);
    SchemeSHPList->setViewMode(QListView::IconMode);
    SchemeSHPList->setGridSize(QSize(100, 120));
    SchemeSHPList->setSelectionMode(QAbstractItemView::SingleSelection);
    SchemeSHPList->setResizeMode(QListView::Adjust);
    SchemeSHPList->setMovement(QListView::Static);

    PalettePanel = MakeSunkenPanel(this, 249, 16, 194);
    PaletteImg = new TImage(PalettePanel);
    PaletteImg->setGeometry(1, 1, 192, 192);
    PalettePanel2 = MakeSunkenPanel(this, 249, 216, 194);
    PaletteImgNew = new TImage(PalettePanel2);
    PaletteImgNew->setGeometry(1, 1, 192, 192);

    PrevPanel = new QFrame(this);
    PrevPanel->setGeometry(456, 16, 190, 394);
    PreviewImage = new TImage(PrevPanel);
    PreviewImage->Center = true;
    PreviewImage->Proportional = true;
    PreviewImage->setGeometry(0, 0, 190, 190);
    PreviewImageNew = new TImage(PrevPanel);
    PreviewImageNew->Center = true;
    PreviewImageNew->Proportional = true;
    PreviewImageNew->setGeometry(0, 200, 190, 190);

    FrameLabel = new QLabel("0/0", this);
    FrameLabel->setAlignment(Qt::AlignCenter);
    FrameLabel->setGeometry(456, 416, 193, 17);

    PlayButton = MakeGlyphButton(this, TGlyph::Play, "Play Animation", 395, 440);
    StopButton = MakeGlyphButton(this, TGlyph::Stop, "Stop Animation", 419, 440);
    for (QToolButton* button : {PlayButton, StopButton})
        button->setCheckable(true);
    auto* playGroup = new QButtonGroup(this);
    playGroup->addButton(PlayButton);
    playGroup->addButton(StopButton);
    PlayButton->setChecked(true);
    PrevFrameButton = MakeGlyphButton(this, TGlyph::PrevFrame, "Go Back a Frame", 454, 440);
    TrackBar = new TSTrackBar(this);
    TrackBar->setGeometry(480, 440, 137, 25);
    TrackBar->setToolTip("Right Click for Settings");
    TrackBar->setRange(0, 0);
    NextFrameButton = MakeGlyphButton(this, TGlyph::NextFrame, "Go Forward a Frame", 623, 440);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(8, 472, 641, 2);
    OkButton = new QPushButton(GlyphIcon(TGlyph::Ok), "Ok", this);
    OkButton->setGeometry(496, 480, 73, 25);
    OkButton->setEnabled(false);
    CancelButton = new QPushButton(GlyphIcon(TGlyph::Cancel), "Cancel", this);
    CancelButton->setGeometry(576, 480, 73, 25);
    connect(OkButton, &QPushButton::clicked, this, [this] {
        Accepted = true;
        accept();
    });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    AnimateTimer = new QTimer(this);
    AnimateTimer->setInterval(200);
}

void TFrmColourSwitcher::showEvent(QShowEvent* event)
{
    Accepted = false;
    QDialog::showEvent(event);
}

} // namespace vantrel
