// The main window: one sprite shown in a zoomable view over a checkerboard or a tiled background
// picture, with frame stepping and animation, the palette view, side colour, shadows,
// luminosity, game and type, and the commands of the tool bar and menus. Its handlers are spread
// over several sources by concern:
//   FormMain.cpp          construction, layout, menus, data-folder lists, caption, enabling
//   FormMainView.cpp      drawing a frame, zoom, background pictures, animation, shadows
//   FormMainPalette.cpp   palette view and overlay, selected colours, side colour
//   FormMainCommands.cpp  open, showing a loaded sprite, game, type, palette, luminosity,
//                         test sprites, dropped files, keyboard shortcuts
//   FormMainSave.cpp      Save, Save As and the Save Options dialog
//   FormMainDebug.cpp     the Debug menu's folder reports
//   FormMainSpriteMap.cpp sprite-map export and import
//   FormMainEdit.cpp      the Edit and View menus: frame operations, canvas changes, undo and
//                         redo, the Frames panel
//   FormMainPictures.cpp  export to and import from every picture format
#pragma once

#include "sprite/SHP.h"

#include <QImage>
#include <QMainWindow>
#include <QSlider>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QActionGroup;
class QButtonGroup;
class QColorDialog;
class QFileDialog;
class QFrame;
class QLabel;
class QMenu;
class QScrollArea;
class QTimer;
class QToolBar;
class QToolButton;

namespace vantrel {

class TColourPanel;
class TEditStep;
class TFramesPanel;
class TFrmColourSwitcher;
class TFrmInsertFrames;
class TFrmResizeCanvas;
class TImageFormat;
class TSpriteHistory;
struct TEditOutcome;
class TFrmExport_SpriteMap;
class TFrmImport_SpriteMap;
class TFrmOpen;
class TFrmSaveOptions;
class TCheckerView;
class TImage;
class TImageComboBox;
class TSpriteView;

// A track bar that never takes keyboard focus: it is worked with the mouse only.
class TSTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TSTrackBar(QWidget* parent = nullptr);

protected:
    // A focus given by a program is handed back at once.
    void focusInEvent(QFocusEvent* event) override;
};

// "Vantrel v" and the version: the application's title; the window title is it after a space.
QString ApplicationTitle();

// The game and type chosen in the open dialog for a file.
struct TOpenChoice {
    int Game = 0;
    int Type = 0;
};

class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    // --- state ------------------------------------------------------------------------------------
    std::unique_ptr<TSHP> CurrentSHP;
    int CurrentFrame = 0;
    uint8_t ZoomLevel = 0;
    bool Loading = false;
    int PlayStartFrame = 0;
    bool UserPaletteChosen = false;
    QImage BackgroundPicture;
    std::array<int, 2> SelectedIndices{32, 0};
    // The palette the sprite shown came with (a palette trailer or a sprite map's colours),
    // offered as the first entry of PaletteCombo while it is shown.
    std::optional<TPalette> OwnPalette;
    int OverlayMode = 0;

    // --- the other windows, created once after this one and owned by it --------------------------
    TFrmOpen* FrmOpen = nullptr;
    TFrmSaveOptions* FrmSaveOptions = nullptr;
    TFrmExport_SpriteMap* FrmExport_SpriteMap = nullptr;
    TFrmImport_SpriteMap* FrmImport_SpriteMap = nullptr;
    TFrmColourSwitcher* FrmColourSwitcher = nullptr;

    // --- controls ---------------------------------------------------------------------------------
    QToolBar* ToolBar = nullptr;
    QToolButton* NewButton = nullptr;
    QToolButton* OpenButton = nullptr;
    QToolButton* SaveButton = nullptr;
    QToolButton* SaveAsButton = nullptr;
    QToolButton* FakeLevelBackgroundButton = nullptr;
    QToolButton* OriginalSizeButton = nullptr;
    QToolButton* ZoomOutButton = nullptr;
    QToolButton* ZoomInButton = nullptr;
    QToolButton* TransparentShadowsButton = nullptr;
    QToolButton* DrawShadowsButton = nullptr;
    QToolButton* PaletteOverlayButton = nullptr;
    QToolButton* ColourSwitchButton = nullptr;

    QWidget* LeftPanel = nullptr;
    QLabel* FrameLabel = nullptr;
    TColourPanel* RadarCol = nullptr;
    TColourPanel* SideColPanel = nullptr;
    QFrame* PreviewPanel = nullptr;
    TImage* PrevBGImage = nullptr;
    TImage* PreviewImage = nullptr;
    QToolButton* PlayButton = nullptr;
    QToolButton* StopButton = nullptr;
    QToolButton* PrevFrameButton = nullptr;
    TSTrackBar* TrackBar = nullptr;
    QToolButton* NextFrameButton = nullptr;
    TImageComboBox* PaletteCombo = nullptr;
    QFrame* PalettePanel = nullptr;
    TImage* PaletteImg = nullptr;
    TImage* PaletteOverlay = nullptr;
    TColourPanel* LeftColPanel = nullptr;
    TColourPanel* RightColPanel = nullptr;
    QWidget* GameTypePanel = nullptr;
    QToolButton* GameTDButton = nullptr;
    QToolButton* GameRA1Button = nullptr;
    QToolButton* GameTSButton = nullptr;
    QToolButton* GameRA2Button = nullptr;
    std::array<QToolButton*, 4> GameButtons{};
    TImageComboBox* TypeBox = nullptr;
    QLabel* Label1 = nullptr;
    TSTrackBar* AmbientBar = nullptr;
    QToolButton* AmbientResetButton = nullptr;

    QScrollArea* ScrollBox = nullptr;
    QWidget* ViewArea = nullptr;
    TCheckerView* BackgroundImage = nullptr;
    TSpriteView* SHPImage = nullptr;
    QLabel* StatusPanel = nullptr;

    // Menus and their items.
    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QMenu* OpenRecent1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QMenu* Export1 = nullptr;
    QAction* SpriteMap1 = nullptr;
    QMenu* Import1 = nullptr;
    QAction* SpriteMap2 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* DebugSHPsFolder1 = nullptr;
    QAction* DebugSHPsFolderIgnoreBoringFrames1 = nullptr;
    QAction* ZeroTest1 = nullptr;
    QAction* MakeTestSHP1 = nullptr;
    QAction* MakeHighFrameTest1 = nullptr;
    QMenu* Test1 = nullptr;
    QMenu* SideColPopup = nullptr;
    QMenu* BGPopupMenu = nullptr;
    QMenu* PalOverPopupMenu = nullptr;
    QMenu* AnimatePopupMenu = nullptr;
    QActionGroup* OverlayModeGroup = nullptr;
    QActionGroup* AnimateSpeedGroup = nullptr;

    QTimer* AnimateTimer = nullptr;
    QColorDialog* ColorDialog = nullptr;
    // The file-save dialog of Save As.
    QFileDialog* SaveDialog = nullptr;
    QFileDialog* SavePictureDialog = nullptr;
    QFileDialog* OpenPictureDialog = nullptr;

    // --- editing (FormMainEdit.cpp) -----------------------------------------------------------------
    // The undo history of CurrentSHP; started anew for every sprite shown.
    TSpriteHistory* History = nullptr;
    // A dock beside the view, hidden at start (View > Frames Panel).
    TFramesPanel* FramesPanel = nullptr;
    TFrmResizeCanvas* FrmResizeCanvas = nullptr;
    TFrmInsertFrames* FrmInsertFrames = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* DeleteFrames1 = nullptr;
    QAction* DuplicateFrames1 = nullptr;
    QAction* MoveFramesEarlier1 = nullptr;
    QAction* MoveFramesLater1 = nullptr;
    QAction* ReverseFrames1 = nullptr;
    QAction* InsertFrames1 = nullptr;
    QAction* ResizeCanvas1 = nullptr;
    QAction* CropCanvas1 = nullptr;
    // Operations keep frames paired with their shadow frames (on at start; enabled for sprites
    // that have them).
    QAction* KeepShadowsPaired1 = nullptr;
    // Saving appends the palette in use, the game and the type to the file (checked for a file
    // read with them, so that Save keeps them).
    QAction* SavePaletteInFile1 = nullptr;
    QMenu* View1 = nullptr;
    QAction* FramesPanel1 = nullptr;
    QFileDialog* InsertDialog = nullptr;
    // File > Export and Import through the picture formats (FormMainPictures.cpp): one item per
    // format besides the sprite map's, and their file dialogs.
    std::vector<QAction*> ExportPictureItems;
    std::vector<QAction*> ImportPictureItems;
    QFileDialog* ExportPicturesDialog = nullptr;
    QFileDialog* ImportPicturesDialog = nullptr;

    // --- operations -------------------------------------------------------------------------------
    void UpdateCaption();
    void SetEnabledDeep(QWidget* control, bool state);
    void FillBackgroundMenu();
    void ScanPaletteFolder();
    void SizeViewBackground(int width, int height);

    // Reads path into a new sprite and shows it in place of the one shown; the sprite shown
    // stays when the file cannot be read, is not an SHP or has no frames (the user is told why)
    // or when the user keeps its unsaved changes. choice, when given, is the game and type to
    // show it as.
    bool OpenSHPFile(const QString& path, std::optional<TOpenChoice> choice);

    // --- unsaved changes ---------------------------------------------------------------------------
    // Whether CurrentSHP has changes its file does not hold. SetModified is the one place that
    // records an edit (true) or a save (false); the title's "*" and Save follow it.
    bool IsModified() const;
    void SetModified(bool modified);
    // When CurrentSHP has unsaved changes, asks "Save changes to "NAME"?" (Save, Discard,
    // Cancel); Save goes through Save, or Save As for a sprite without a file. True when the
    // sprite may be replaced or closed: no changes, saved, or discarded.
    bool MayDiscardCurrentSprite();
    // Makes sprite the one shown, destroying the previous one (callers ask first), and sets the
    // window up for it (ShowLoadedSHP).
    void SetCurrentSprite(std::unique_ptr<TSHP> sprite, std::optional<TOpenChoice> choice = std::nullopt);
    // Sets the window up for CurrentSHP, newly loaded, and draws its frame 0. choice, when given,
    // is the game and type to show it as; otherwise those the sprite has are shown.
    void ShowLoadedSHP(std::optional<TOpenChoice> choice = std::nullopt);
    // Opens a file named on the command line (relative to the current folder) as a dropped file
    // is opened.
    void OpenCommandLineFile(const QString& argument);
    // File > Open Recent: the sprites opened or saved last; an entry whose file is gone leaves
    // the list when it fails to open.
    void UpdateRecentMenu();
    void OpenRecentClick(const QString& path);
    void SetZoom(int level);
    void GameOrTypeChanged();
    void SelectPaletteByName(const std::string& name);
    void DrawCurrentFrame(int index);

    void DrawPaletteImage();
    // The palette grid and both colour panels, after the palette in use changed.
    void RefreshPaletteViews();
    // Puts the own-palette entry of CurrentSHP first in PaletteCombo and selects it (a palette
    // kept through game and type changes, as one chosen by hand), or removes the entry of the
    // sprite shown before.
    void ListOwnPalette();
    bool IsOwnPaletteEntry(int index) const;
    void DrawPaletteOverlay();
    void UpdateColourPanels();
    void SelectPaletteIndex(Qt::MouseButton button, int index);
    void SetSideColourState(bool on, uint32_t value);
    // The palette frame CurrentFrame is drawn with (the sprite's own palette when that cannot be
    // had, the grey palette without a sprite).
    TPalette CurrentFramePalette() const;

    // --- handlers ---------------------------------------------------------------------------------
    void Open1Click();
    void Exit1Click();
    void PrevFrameButtonClick();
    void NextFrameButtonClick();
    void TrackBarChange(int position);
    void PlayButtonClick();
    void StopButtonClick();
    void AnimateTimerTimer();
    void N1FPS1000ms1Click(QAction* item);
    void OriginalSizeButtonClick();
    void ZoomOutButtonClick();
    void ZoomInButtonClick();
    void FakeLevelBackgroundButtonClick();
    void BGMenuItemClick(const QString& caption);
    void TransparentShadowsButtonClick();
    void DrawShadowsButtonClick();
    void GameTDButtonClick();
    void TypeBoxChange(int index);
    void PaletteComboChange(int index);
    void AmbientBarChange(int position);
    void AmbientResetButtonClick();
    void SHPImageMouseDown(Qt::MouseButton button, QPoint at);
    void RadarColClick();
    void PaletteOverlayMouseDown(Qt::MouseButton button, QPoint at);
    void PaletteOverlayButtonClick();
    void UsedColoursSingleFrame1Click(QAction* item);
    void SideColPanelMouseDown(Qt::MouseButton button, QPoint at);
    void None1Click(int tag);
    void ColourSwitchButtonClick();
    void MakeTestSHP1Click();
    void MakeHighFrameTest1Click();
    // Sprite maps: the sprite shown exported to an 8-bit BMP whose name carries frame size and
    // count; a new sprite cut from such a picture through the import dialog.
    void SpriteMap1Click();
    void SpriteMap2Click();

    // Saving. Save writes the sprite's own file in the layout it was read in, so that a TD/RA1
    // file stays one; Save As offers both layouts, the sprite's own preselected, and proposes
    // its own file name. Both go through the Save Options dialog and return whether the file was
    // written.
    bool SaveButtonClick();
    bool SaveAs1Click();
    // The layout Save keeps: TD/RA1 for a sprite read from such a file, else TS/RA2.
    TSHPFormat OwnLayout() const;
    // Shows the Save Options dialog for path and layout (the sprite's own when not given); when
    // the user confirms, stores the chosen compression and flags in CurrentSHP and writes it to
    // the dialog's file name in that layout. Returns whether the file was written; a failure is
    // shown to the user and leaves the sprite bound to its old file with its changes unsaved.
    bool SaveWithOptions(const QString& path, std::optional<TSHPFormat> layout = std::nullopt);

    // The Debug menu's reports over the SHPs folder, written beside the program (see WriteReport).
    void DebugSHPsFolder1Click();
    void DebugSHPsFolderIgnoreBoringFrames1Click();
    void ZeroTest1Click();

    // --- editing (FormMainEdit.cpp) -----------------------------------------------------------------
    // The frames the Edit menu's operations act on: those chosen in the Frames panel while it is
    // shown, else the frame shown.
    std::vector<int> ChosenFrames() const;
    bool ShadowPairing() const;
    // Makes a change through edit and adds it to the undo history; false when nothing changed. An
    // EditError (the sprite is unchanged) is shown to the user.
    bool EditSprite(const std::function<std::unique_ptr<TEditStep>(TSHP&)>& edit);
    // After a change was made, undone or redone: the frame to show and the frames to choose, the
    // view, track bar, counter, palette view, Frames panel, title and commands brought up to date.
    void SpriteEdited(const TEditOutcome& outcome);
    // The history's clean state is the sprite's saved state: the title's "*" and Save follow it,
    // Undo and Redo name what they do.
    void HistoryChanged();
    // Editing set up for CurrentSHP, newly shown: a new history and the Frames panel.
    void StartEditing();
    // After each frame drawn: the Frames panel follows the frame shown and the way it is drawn.
    void FrameDrawn();
    void UpdateEditCommands();
    void DeleteFrames1Click();
    void DuplicateFrames1Click();
    void MoveFrames1Click(int by);
    void ReverseFrames1Click();
    void InsertFrames1Click();
    void ResizeCanvas1Click();
    void CropCanvas1Click();
    void SavePaletteInFile1Click(bool save);
    void FramesDropped(int before);

    // --- picture formats (FormMainPictures.cpp) -----------------------------------------------------
    // Writes the sprite shown in a format chosen in the export dialog (format preselected); asks
    // before replacing files and tells in the status bar which files it wrote.
    void ExportPicturesClick(const TImageFormat& format);
    // Reads the files chosen in the import dialog (format preselected) into a new sprite shown in
    // place of the current one, after the question about its unsaved changes.
    void ImportPicturesClick(const TImageFormat& format);

    // Asks whether the existing file path may be replaced.
    bool ConfirmReplace(const QString& path);
    // Messages to the user (a modal message box titled with the application's name).
    void ShowMessage(const QString& text);
    void ShowError(const QString& text);

protected:
    // Closing asks about unsaved changes first; Cancel keeps the window open.
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateToolBar();
    void CreateMenus();
    void CreateLeftPanel();
    void CreateViewArea();
    void CreatePopupMenus();
    void CreateShortcuts();
    void CreateDialogs();
    void CreateSaveCommands();
    void ConnectDebugCommands();
    void RunFolderReport(bool ignoreBoringFrames);
    // Writes a report beside the program, or into the user's data folder when the program's folder
    // cannot be written. Returns how the message names it (the file name beside the program, else
    // the full path), nothing (the user told why) when writing fails.
    std::optional<std::string> WriteReport(const std::string& fileName, const std::string& text);
    void CreatePictureDialogs();
    void CreateEditCommands();
    void CreatePictureCommands();
    void ResizeSpriteView();
    void ConnectHandlers();
    void EnableSpriteCommands();
    void ShowTestSprite(int frameCount);
    void ReportDrawError(const QString& text);
    void UpdateViewAreaSize();
    void SetGameButtons(TSHPGame game);
    bool AnimationRunning() const;
};

} // namespace vantrel
