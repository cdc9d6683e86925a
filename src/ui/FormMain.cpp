#include "FormMain.h"

#include "Version.h"

#include "AnimationSpeeds.h"
#include "DataFolders.h"
#include "FormColourSwitcher.h"
#include "FormExport_SpriteMap.h"
#include "FormImport_SpriteMap.h"
#include "FormOpen.h"
#include "FormSaveOptions.h"
#include "Icons.h"
#include "PaletteView.h"
#include "sprite/SideColours.h"
#include "SpriteView.h"
#include "WidenCombos.h"
#include "imaging/Imaging.h"
#include "sprite/FileUtil.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace vantrel {

namespace {

const QString WindowCaption = " " + ApplicationTitle();
constexpr int HintTime = 5000;
constexpr int LeftPanelWidth = 196;
constexpr int ToolBarHeight = 29;
constexpr QSize ButtonSize(23, 22);
constexpr int StartBackdropSize = 256;
constexpr int PreviewBackdropSize = 96;
constexpr int StatusPanelWidth = 50;

// Keeps every hint of the application on screen for HintTime.
class THintTime : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip)
            if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->toolTipDuration() < 0)
                widget->setToolTipDuration(HintTime);
        return false;
    }
};

struct TOverlayItem {
    const char* Name;
    const char* Caption;
};

const TOverlayItem OverlayItems[] = {
    {"UsedColoursSingleFrame1", "Used Colours (Single Frame)"},
    {"UsedColoursAllFrames1", "Used Colours (All Frames)"},
    {"UnUsedColoursSingleFrame1", "Un-Used Colours (Single Frame)"},
    {"UnUsedColoursAllFrames1", "Un-Used Colours (All Frames)"},
};

// A glyph button of the tool bar or the left panel. hint is shown as a tool-tip only when
// showHint is set; the others keep it as their accessible name.
QToolButton* MakeButton(QWidget* parent, const char* name, TGlyph glyph, const QString& hint, bool showHint,
                        bool toggle = false)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(GlyphIcon(glyph));
    button->setFixedSize(ButtonSize);
    button->setAutoRaise(true);
    button->setCheckable(toggle);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(hint);
    if (showHint)
        button->setToolTip(hint);
    return button;
}

// Menu captions are shown as they stand: "&" is no access key.
QString LiteralCaption(QString caption) { return caption.replace('&', "&&"); }

// Window titles treat "[*]" as a placeholder; a literal one is written twice.
QString LiteralTitle(QString title) { return title.replace("[*]", "[*][*]"); }

void SetGeometry(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(left, top, width, height);
}

// The picture shown at start; a missing or unreadable file gives an empty picture.
QImage LoadStartBackground()
{
    const QString path = BackgroundPath(DefaultBackgroundName);
    if (path.isEmpty())
        return {};
    try {
        return LoadPicture(path.toStdString()).convertToFormat(QImage::Format_ARGB32);
    } catch (const FileError&) {
        return {};
    }
}

} // namespace

QString ApplicationTitle() { return QString("Vantrel v") + VersionText; }

TSTrackBar::TSTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::NoFocus);
    setTickPosition(QSlider::NoTicks);
}

void TSTrackBar::focusInEvent(QFocusEvent* event)
{
    QSlider::focusInEvent(event);
    clearFocus();
}

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("FrmMain");
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setAcceptDrops(true);
    resize(1142, 656);
    qApp->installEventFilter(new THintTime(this));
    setWindowTitle(WindowCaption);
    setWindowIcon(AppIcon());

    AnimateTimer = new QTimer(this);
    AnimateTimer->setInterval(StartInterval);
    ColorDialog = new QColorDialog(this);
    ColorDialog->setOption(QColorDialog::DontUseNativeDialog);

    CreatePopupMenus();
    CreateToolBar();
    CreateMenus();
    UpdateRecentMenu();
    CreateLeftPanel();
    CreateViewArea();
    StatusPanel = new QLabel(this);
    StatusPanel->setFixedWidth(StatusPanelWidth);
    StatusPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusBar()->addWidget(StatusPanel);

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(LeftPanel);
    layout->addWidget(ScrollBox, 1);
    setCentralWidget(central);

    SetEnabledDeep(LeftPanel, false);
    GameButtons = {GameTDButton, GameRA1Button, GameTSButton, GameRA2Button};
    {
        const QSignalBlocker block(TypeBox);
        for (int t = 0; t < SHPTypeCount; ++t)
            TypeBox->addItem(SHPTypeIcon(t), SHPTypeNames[size_t(t)]);
        TypeBox->setCurrentIndex(-1);
    }
    ScanPaletteFolder();
    FillBackgroundMenu();
    BackgroundPicture = LoadStartBackground();
    PaletteOverlay->setGeometry(PaletteImg->geometry());
    SizeViewBackground(StartBackdropSize, StartBackdropSize);
    FrameLabel->setText("000/000");
    DrawPaletteImage();

    ConnectHandlers();
    CreateShortcuts();
    CreateDialogs();
    CreateSaveCommands();
    CreateEditCommands();
    ConnectDebugCommands();
}

TFrmMain::~TFrmMain()
{
    AnimateTimer->stop();
    CurrentSHP.reset();
}

void TFrmMain::CreatePopupMenus()
{
    SideColPopup = new QMenu(this);
    SideColPopup->setObjectName("SideColPopup");
    auto addSideItem = [this](const QString& name, const QString& caption, int tag) {
        QAction* item = SideColPopup->addAction(caption);
        item->setObjectName(name);
        connect(item, &QAction::triggered, this, [this, tag] { None1Click(tag); });
        return item;
    };
    addSideItem("None1", "None", 0);
    SideColPopup->addSeparator();
    for (int tag = 1; tag <= int(SideColours.size()); ++tag) {
        const TSideColourItem& side = SideColours[size_t(tag - 1)];
        QPixmap swatch(12, 12);
        swatch.fill(QColor(side.Colour.R, side.Colour.G, side.Colour.B));
        QString name = QString(side.Caption).remove(' ') + "1";
        addSideItem(name, side.Caption, tag)->setIcon(QIcon(swatch));
    }
    SideColPopup->addSeparator();
    addSideItem("Custom1", "Custom", 9);

    BGPopupMenu = new QMenu(this);
    BGPopupMenu->setObjectName("BGPopupMenu");

    PalOverPopupMenu = new QMenu(this);
    PalOverPopupMenu->setObjectName("PalOverPopupMenu");
    OverlayModeGroup = new QActionGroup(this);
    for (int tag = 0; tag < 4; ++tag) {
        QAction* item = PalOverPopupMenu->addAction(OverlayItems[tag].Caption);
        item->setObjectName(OverlayItems[tag].Name);
        item->setCheckable(true);
        item->setChecked(tag == 0);
        item->setData(tag);
        OverlayModeGroup->addAction(item);
    }

    AnimatePopupMenu = MakeSpeedMenu(this, AnimateSpeedGroup);
}

void TFrmMain::CreateToolBar()
{
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName("ToolBar");
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setFixedHeight(ToolBarHeight);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar);

    NewButton = MakeButton(ToolBar, "NewButton", TGlyph::New, "New", false);
    OpenButton = MakeButton(ToolBar, "OpenButton", TGlyph::Open, "Open", false);
    SaveButton = MakeButton(ToolBar, "SaveButton", TGlyph::Save, "Save", false);
    SaveAsButton = MakeButton(ToolBar, "SaveAsButton", TGlyph::SaveAs, "Save As", false);
    FakeLevelBackgroundButton = MakeButton(ToolBar, "FakeLevelBackgroundButton", TGlyph::Background,
                                           "Draw Background - Right Click for Settings", true, true);
    OriginalSizeButton = MakeButton(ToolBar, "OriginalSizeButton", TGlyph::OriginalSize, "Original Size", true);
    ZoomOutButton = MakeButton(ToolBar, "ZoomOutButton", TGlyph::ZoomOut, "Zoom Out", true);
    ZoomInButton = MakeButton(ToolBar, "ZoomInButton", TGlyph::ZoomIn, "Zoom In", true);
    TransparentShadowsButton = MakeButton(ToolBar, "TransparentShadowsButton", TGlyph::TransparentShadows,
                                          "Transparent Shadows", true, true);
    DrawShadowsButton = MakeButton(ToolBar, "DrawShadowsButton", TGlyph::DrawShadows, "Draw Shadows", true, true);
    PaletteOverlayButton = MakeButton(ToolBar, "PaletteOverlayButton", TGlyph::PaletteOverlay,
                                      "Palette Overlay - Right Click for Settings", true, true);
    ColourSwitchButton = MakeButton(ToolBar, "ColourSwitchButton", TGlyph::ColourSwitch, "Colour Switcher", true);

    const std::initializer_list<std::initializer_list<QToolButton*>> groups = {
        {NewButton, OpenButton, SaveButton, SaveAsButton},
        {FakeLevelBackgroundButton},
        {OriginalSizeButton, ZoomOutButton, ZoomInButton},
        {TransparentShadowsButton, DrawShadowsButton, PaletteOverlayButton},
        {ColourSwitchButton},
    };
    bool first = true;
    for (const auto& group : groups) {
        if (!first)
            ToolBar->addSeparator();
        first = false;
        for (QToolButton* button : group) {
            ToolBar->addWidget(button);
            button->setEnabled(button == OpenButton);
        }
    }
    for (QToolButton* button : {FakeLevelBackgroundButton, PaletteOverlayButton})
        button->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TFrmMain::CreateMenus()
{
    const QList<QIcon>& icons = MainIcons();
    QMenu* file = menuBar()->addMenu("File");
    file->setObjectName("File1");
    New1 = file->addAction(icons[0], "New");
    New1->setEnabled(false);
    Open1 = file->addAction(icons[1], "Open");
    Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    OpenRecent1 = file->addMenu("Open Recent");
    OpenRecent1->setObjectName("OpenRecent1");
    file->addSeparator();
    Save1 = file->addAction(icons[2], "Save");
    Save1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Save1->setEnabled(false);
    SaveAs1 = file->addAction(icons[3], "Save As");
    SaveAs1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    SaveAs1->setEnabled(false);
    file->addSeparator();
    Export1 = file->addMenu(GlyphIcon(TGlyph::Export), "Export");
    SpriteMap1 = Export1->addAction("Sprite Map");
    Export1->menuAction()->setEnabled(false);
    Import1 = file->addMenu(GlyphIcon(TGlyph::Import), "Import");
    SpriteMap2 = Import1->addAction("Sprite Map");
    file->addSeparator();
    Exit1 = file->addAction(GlyphIcon(TGlyph::Exit), "Exit");
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* debug = menuBar()->addMenu("Debug");
    debug->setObjectName("Debug1");
    DebugSHPsFolder1 = debug->addAction("Debug SHPs Folder");
    DebugSHPsFolderIgnoreBoringFrames1 = debug->addAction("Debug SHPs Folder (Ignore Boring Frames)");
    ZeroTest1 = debug->addAction("Zero Test");
    ZeroTest1->setVisible(false);
    debug->addSeparator();
    MakeTestSHP1 = debug->addAction("Make Test SHP (Palette 64x64 Unit)");
    MakeHighFrameTest1 = debug->addAction("Make HighFrame Test");

    Test1 = menuBar()->addMenu("Test");
    Test1->setObjectName("Test1");
}

void TFrmMain::CreateLeftPanel()
{
    LeftPanel = new QWidget(this);
    LeftPanel->setObjectName("LeftPanel");
    LeftPanel->setFixedWidth(LeftPanelWidth);
    LeftPanel->setMinimumHeight(482);

    FrameLabel = new QLabel("000/000", LeftPanel);
    FrameLabel->setAlignment(Qt::AlignCenter);
    SetGeometry(FrameLabel, 44, 2, 109, 13);

    RadarCol = new TColourPanel(LeftPanel);
    RadarCol->setToolTip("Radar Colour");
    SetGeometry(RadarCol, 174, 5, 17, 17);
    RadarCol->hide();
    SideColPanel = new TColourPanel(LeftPanel);
    SideColPanel->setToolTip("Side Colour");
    SetGeometry(SideColPanel, 174, 24, 17, 17);

    PreviewPanel = new QFrame(LeftPanel);
    PreviewPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    SetGeometry(PreviewPanel, 49, 18, 98, 98);
    PrevBGImage = new TImage(PreviewPanel);
    SetGeometry(PrevBGImage, 1, 1, PreviewBackdropSize, PreviewBackdropSize);
    PrevBGImage->hide();
    PreviewImage = new TImage(PreviewPanel);
    PreviewImage->Center = true;
    PreviewImage->Proportional = true;
    SetGeometry(PreviewImage, 1, 1, PreviewBackdropSize, PreviewBackdropSize);

    PlayButton = MakeButton(LeftPanel, "PlayButton", TGlyph::Play, "Play Animation", true, true);
    PlayButton->move(11, 46);
    StopButton = MakeButton(LeftPanel, "StopButton", TGlyph::Stop, "Stop Animation", true, true);
    StopButton->move(11, 68);
    auto* playGroup = new QButtonGroup(this);
    playGroup->addButton(PlayButton);
    playGroup->addButton(StopButton);
    StopButton->setChecked(true);

    PrevFrameButton = MakeButton(LeftPanel, "PrevFrameButton", TGlyph::PrevFrame, "Go Back a Frame", true);
    PrevFrameButton->move(6, 124);
    TrackBar = new TSTrackBar(LeftPanel);
    TrackBar->setObjectName("TrackBar");
    SetGeometry(TrackBar, 29, 124, LeftPanelWidth - 2 * 29, 25);
    TrackBar->setRange(0, 1);
    TrackBar->setValue(0);
    TrackBar->setSingleStep(1);
    TrackBar->setPageStep(1);
    TrackBar->setContextMenuPolicy(Qt::CustomContextMenu);
    NextFrameButton = MakeButton(LeftPanel, "NextFrameButton", TGlyph::NextFrame, "Go Forward a Frame", true);
    NextFrameButton->move(167, 124);

    PaletteCombo = new TImageComboBox(LeftPanel);
    PaletteCombo->setObjectName("PaletteCombo");
    SetGeometry(PaletteCombo, 2, 152, 192, 22);

    PalettePanel = new QFrame(LeftPanel);
    PalettePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    SetGeometry(PalettePanel, 1, 176, 194, 194);
    PaletteImg = new TImage(PalettePanel);
    SetGeometry(PaletteImg, 1, 1, PaletteGridSize, PaletteGridSize);
    PaletteOverlay = new TImage(PalettePanel);

    LeftColPanel = new TColourPanel(LeftPanel);
    SetGeometry(LeftColPanel, 1, 370, 97, 12);
    RightColPanel = new TColourPanel(LeftPanel);
    SetGeometry(RightColPanel, 98, 370, 97, 12);

    GameTypePanel = new QWidget(LeftPanel);
    SetGeometry(GameTypePanel, 0, 384, 193, 49);
    auto* gameGroup = new QButtonGroup(this);
    const struct {
        QToolButton** Button;
        const char* Name;
        const char* Hint;
        QPoint At;
    } games[] = {
        {&GameTDButton, "GameTDButton", "Tiberian Dawn", {2, 0}},
        {&GameRA1Button, "GameRA1Button", "Red Alert", {26, 0}},
        {&GameTSButton, "GameTSButton", "Tiberian Sun", {2, 24}},
        {&GameRA2Button, "GameRA2Button", "Red Alert 2", {26, 24}},
    };
    for (int g = 0; g < GameCount; ++g) {
        auto* button = new QToolButton(GameTypePanel);
        button->setObjectName(games[g].Name);
        button->setIcon(GameIcon(g));
        button->setFixedSize(ButtonSize);
        button->setAutoRaise(true);
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(games[g].Hint);
        button->move(games[g].At);
        gameGroup->addButton(button, g);
        *games[g].Button = button;
    }
    GameTDButton->setChecked(true);
    TypeBox = new TImageComboBox(GameTypePanel);
    TypeBox->setObjectName("TypeBox");
    SetGeometry(TypeBox, 50, 0, 144, 22);

    Label1 = new QLabel("Luminosity", LeftPanel);
    Label1->move(8, 440);
    AmbientBar = new TSTrackBar(LeftPanel);
    AmbientBar->setObjectName("AmbientBar");
    SetGeometry(AmbientBar, 2, 456, 167, 25);
    AmbientBar->setRange(-50, 50);
    AmbientBar->setValue(0);
    AmbientBar->setSingleStep(1);
    AmbientBar->setPageStep(1);
    AmbientResetButton = MakeButton(LeftPanel, "AmbientResetButton", TGlyph::Reset, "Reset", true);
    AmbientResetButton->move(168, 456);
}

void TFrmMain::CreateViewArea()
{
    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName("ScrollBox");
    ScrollBox->setWidgetResizable(false);
    ScrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ViewArea = new QWidget;
    ViewArea->resize(0, 0);
    BackgroundImage = new TCheckerView(ViewArea);
    BackgroundImage->setGeometry(0, 0, 0, 0);
    SHPImage = new TSpriteView(ViewArea);
    SHPImage->setObjectName("SHPImage");
    SHPImage->setGeometry(0, 0, 0, 0);
    SHPImage->hide();
    ScrollBox->setWidget(ViewArea);
}

void TFrmMain::ConnectHandlers()
{
    connect(OpenButton, &QToolButton::clicked, this, &TFrmMain::Open1Click);
    connect(Open1, &QAction::triggered, this, &TFrmMain::Open1Click);
    connect(Exit1, &QAction::triggered, this, &TFrmMain::Exit1Click);
    connect(MakeTestSHP1, &QAction::triggered, this, &TFrmMain::MakeTestSHP1Click);
    connect(MakeHighFrameTest1, &QAction::triggered, this, &TFrmMain::MakeHighFrameTest1Click);
    connect(SpriteMap1, &QAction::triggered, this, &TFrmMain::SpriteMap1Click);
    connect(SpriteMap2, &QAction::triggered, this, &TFrmMain::SpriteMap2Click);

    connect(PrevFrameButton, &QToolButton::clicked, this, &TFrmMain::PrevFrameButtonClick);
    connect(NextFrameButton, &QToolButton::clicked, this, &TFrmMain::NextFrameButtonClick);
    connect(TrackBar, &QSlider::valueChanged, this, &TFrmMain::TrackBarChange);
    connect(TrackBar, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { AnimatePopupMenu->popup(TrackBar->mapToGlobal(at)); });
    connect(PlayButton, &QToolButton::clicked, this, &TFrmMain::PlayButtonClick);
    connect(StopButton, &QToolButton::clicked, this, &TFrmMain::StopButtonClick);
    connect(AnimateTimer, &QTimer::timeout, this, &TFrmMain::AnimateTimerTimer);
    connect(AnimateSpeedGroup, &QActionGroup::triggered, this, &TFrmMain::N1FPS1000ms1Click);

    connect(OriginalSizeButton, &QToolButton::clicked, this, &TFrmMain::OriginalSizeButtonClick);
    connect(ZoomOutButton, &QToolButton::clicked, this, &TFrmMain::ZoomOutButtonClick);
    connect(ZoomInButton, &QToolButton::clicked, this, &TFrmMain::ZoomInButtonClick);
    connect(FakeLevelBackgroundButton, &QToolButton::clicked, this, &TFrmMain::FakeLevelBackgroundButtonClick);
    connect(FakeLevelBackgroundButton, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { BGPopupMenu->popup(FakeLevelBackgroundButton->mapToGlobal(at)); });
    connect(TransparentShadowsButton, &QToolButton::clicked, this, &TFrmMain::TransparentShadowsButtonClick);
    connect(DrawShadowsButton, &QToolButton::clicked, this, &TFrmMain::DrawShadowsButtonClick);
    connect(PaletteOverlayButton, &QToolButton::clicked, this, &TFrmMain::PaletteOverlayButtonClick);
    connect(ColourSwitchButton, &QToolButton::clicked, this, &TFrmMain::ColourSwitchButtonClick);
    connect(PaletteOverlayButton, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PalOverPopupMenu->popup(PaletteOverlayButton->mapToGlobal(at)); });
    connect(OverlayModeGroup, &QActionGroup::triggered, this, &TFrmMain::UsedColoursSingleFrame1Click);

    for (QToolButton* button : GameButtons)
        connect(button, &QToolButton::clicked, this, &TFrmMain::GameTDButtonClick);
    connect(TypeBox, &QComboBox::currentIndexChanged, this, &TFrmMain::TypeBoxChange);
    connect(PaletteCombo, &QComboBox::currentIndexChanged, this, &TFrmMain::PaletteComboChange);
    connect(AmbientBar, &QSlider::valueChanged, this, &TFrmMain::AmbientBarChange);
    connect(AmbientResetButton, &QToolButton::clicked, this, &TFrmMain::AmbientResetButtonClick);

    connect(SHPImage, &TSpriteView::MouseDown, this, &TFrmMain::SHPImageMouseDown);
    connect(RadarCol, &TColourPanel::MouseDown, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            RadarColClick();
    });
    connect(PaletteOverlay, &TImage::MouseDown, this, &TFrmMain::PaletteOverlayMouseDown);
    connect(SideColPanel, &TColourPanel::MouseDown, this, &TFrmMain::SideColPanelMouseDown);
}

void TFrmMain::CreateShortcuts()
{
    auto clickWhenEnabled = [this](QKeySequence keys, QToolButton* button) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    };
    clickWhenEnabled(QKeySequence(Qt::Key_Left), PrevFrameButton);
    clickWhenEnabled(QKeySequence(Qt::Key_Right), NextFrameButton);
    clickWhenEnabled(QKeySequence(Qt::CTRL | Qt::Key_Equal), ZoomInButton);
    clickWhenEnabled(QKeySequence(Qt::CTRL | Qt::Key_Plus), ZoomInButton);
    clickWhenEnabled(QKeySequence(Qt::CTRL | Qt::Key_Minus), ZoomOutButton);
    clickWhenEnabled(QKeySequence(Qt::CTRL | Qt::Key_0), OriginalSizeButton);
    auto* playStop = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(playStop, &QShortcut::activated, this, [this] {
        QToolButton* button = AnimationRunning() ? StopButton : PlayButton;
        if (button->isEnabled())
            button->click();
    });
}

void TFrmMain::CreateDialogs()
{
    FrmOpen = new TFrmOpen(this);
    FrmSaveOptions = new TFrmSaveOptions(this);
    FrmExport_SpriteMap = new TFrmExport_SpriteMap(this);
    FrmImport_SpriteMap = new TFrmImport_SpriteMap(this);
    CreatePictureDialogs();
    FrmColourSwitcher = new TFrmColourSwitcher(this);
}

void TFrmMain::UpdateCaption()
{
    QString text = WindowCaption;
    if (CurrentSHP) {
        text += " [" + QString::fromStdString(ExtractFileName(CurrentSHP->FileName));
        if (IsModified())
            text += "*";
        text += QString("] %1x%2").arg(CurrentSHP->Width).arg(CurrentSHP->Height);
    }
    if (windowTitle() != LiteralTitle(text))
        setWindowTitle(LiteralTitle(text));
    const bool canSave = IsModified() && CurrentSHP->HasFile;
    SaveButton->setEnabled(canSave);
    Save1->setEnabled(canSave);
}

void TFrmMain::SetEnabledDeep(QWidget* control, bool state)
{
    for (QWidget* child : control->findChildren<QWidget*>())
        child->setEnabled(state);
    control->setEnabled(state);
}

void TFrmMain::FillBackgroundMenu()
{
    BGPopupMenu->clear();
    const QList<QIcon>& icons = MainIcons();
    for (const QString& name : ListBackgroundNames(BackgroundFolders())) {
        QAction* item = BGPopupMenu->addAction(icons[BackgroundIconIndex(name)], LiteralCaption(name));
        item->setData(name);
        connect(item, &QAction::triggered, this, [this, name] { BGMenuItemClick(name); });
    }
}

void TFrmMain::ScanPaletteFolder()
{
    const QSignalBlocker block(PaletteCombo);
    PaletteCombo->setUpdatesEnabled(false);
    PaletteCombo->clear();
    const QList<QIcon>& icons = MainIcons();
    for (const QString& caption : ListPaletteFiles(PaletteFolders())) {
        const int icon = PaletteIconIndex(caption);
        PaletteCombo->addItem(icon >= 0 ? icons[icon] : QIcon(), caption);
    }
    PaletteCombo->setCurrentIndex(-1);
    PaletteCombo->setUpdatesEnabled(true);
}

void TFrmMain::SizeViewBackground(int width, int height)
{
    if (BackgroundImage->size() != QSize(width, height)) {
        BackgroundImage->resize(width, height);
        UpdateViewAreaSize();
    }
    if (PrevBGImage->isHidden()) {
        const int size = (PreviewBackdropSize / 16 + 2) * 16;
        PrevBGImage->SetPicture(MakeCheckerBackground(size, size));
        PrevBGImage->show();
        PreviewImage->raise();
    }
}

void TFrmMain::UpdateViewAreaSize()
{
    QSize size = BackgroundImage->size();
    if (!SHPImage->isHidden())
        size = size.expandedTo(SHPImage->size());
    ViewArea->resize(size);
}

void TFrmMain::Exit1Click() { close(); }

} // namespace vantrel
