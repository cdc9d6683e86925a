// Shared set-up of the window tests: a data folder in a temporary directory with palettes and
// background pictures written by the test, a main window on it, and helpers that answer modal
// dialogs and read pixels of controls.
#pragma once

#include "sprite/SHP.h"
#include "ui/FormMain.h"
#include "ui/FormSaveOptions.h"

#include <QAction>
#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QFileDialog>
#include <QMenu>
#include <QPointer>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::test {

// The colour that entry i of a test palette made with seed holds in memory: each 6-bit file value
// times 4.
TColour24 TestPaletteColour(int seed, int i);
// Writes a 768-byte .pal file whose entries are TestPaletteColour(seed, i).
void WriteTestPalette(const QString& path, int seed);
// Writes a PNG filled with one colour.
void WriteSolidPicture(const QString& path, QColor colour, int width = 10, int height = 10);
// Writes a file of the given bytes (folders created).
void WriteBytes(const QString& path, const std::vector<uint8_t>& bytes);

// The bytes of a TS/RA2 SHP file with raw frames covering the whole canvas, and, when trailer is
// given, the palette trailer carrying game and type bytes.
struct TTrailer {
    TPalette Palette{};
    uint8_t Game = 0;
    uint8_t Type = 0;
};
std::vector<uint8_t> TSFileBytes(int width, int height, const std::vector<std::vector<uint8_t>>& frames,
                                 const TTrailer* trailer = nullptr);

// A sprite of count frames of width x height, all index 0, of the given game and type.
std::unique_ptr<TSHP> BlankSprite(int count, int width, int height, TSHPGame game, TSHPType type);
void SetPixel(TSHP& sprite, int frame, int x, int y, uint8_t index);

// Seeds of the palettes of the data folder.
inline constexpr int SeedTSUnit = 1;
inline constexpr int SeedRA2Unit = 2;
inline constexpr int SeedUser = 3;
inline constexpr int SeedTD = 4;
inline constexpr int SeedRA1 = 5;
inline constexpr int SeedDirect = 6;
inline constexpr int SeedIso = 7;
inline constexpr int SeedMine = 8;
// The colour of the default background picture.
inline const QColor BackgroundColour(200, 200, 200);

// A data folder (palette/ with TD, RA1, TS, RA2 and User sub-folders, Backgrounds/) and a shown
// main window on it.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString DataPath(const QString& relative) const;
    // Creates the window (once the folder is as the test wants it).
    TFrmMain& Window();
    // Shows a sprite as the test-sprite commands do.
    void Show(std::unique_ptr<TSHP> sprite);

    QTemporaryDir Folder;
    std::unique_ptr<TFrmMain> Main;

private:
    // A question about unsaved changes that no step of the test answers within a second fails
    // the test and is answered with Discard, instead of waiting for ever.
    QTimer UnansweredQuestions;
    QWidget* OpenQuestion = nullptr;
    int OpenQuestionTicks = 0;
};

// Answers the modal dialogs a command raises, one step each, in the order they come; a dialog
// that is not the next step's fails the test and is rejected.
class TDialogScript {
public:
    // A file dialog: choose path, or cancel when it is empty. shownWith receives the name the
    // dialog was showing.
    TDialogScript& File(const QString& path, QString* shownWith = nullptr);
    // Any dialog of the given class, worked by action (which must close it).
    template <class D>
    TDialogScript& Dialog(std::function<void(D&)> action)
    {
        Steps.push_back([action](QWidget* modal) {
            auto* dialog = qobject_cast<D*>(modal);
            if (!dialog)
                return false;
            action(*dialog);
            return true;
        });
        return *this;
    }
    // The Save Options dialog: action sets it and closes it (or queues a click that opens another
    // dialog).
    TDialogScript& Options(std::function<void(TFrmSaveOptions&)> action);
    // The Save Options dialog confirmed with the compression item mode.
    TDialogScript& SaveWith(int mode);
    // A message box answered with button; its text is kept in Messages.
    TDialogScript& Message(int button = QMessageBox::Ok);
    // The question about unsaved changes, answered with button.
    TDialogScript& Question(int button);

    // Runs action; every step must have been used by its end.
    void Run(const std::function<void()>& action);

    QStringList Messages;

private:
    std::vector<std::function<bool(QWidget*)>> Steps;
    size_t Next = 0;
    QPointer<QWidget> LastAnswered;
};

// Chooses path in a file dialog and accepts it once the calling step has returned.
void AcceptFile(QFileDialog& dialog, const QString& path);

// Runs action and answers the modal message box it raises; returns the box's text ("" when none
// was shown).
QString CaptureMessage(const std::function<void()>& action);
// Runs action and answers the question about unsaved changes it raises with button (Save,
// Discard or Cancel); returns the question ("" when none was asked).
QString AnswerQuestion(int button, const std::function<void()>& action);
// Runs action and confirms the colour chooser it opens with colour (or cancels it when colour is
// invalid). Returns whether a chooser was shown.
bool AnswerColourDialog(const QColor& colour, const std::function<void()>& action);

// The widget as drawn on screen.
QImage Grab(QWidget* widget);
QColor PixelAt(QWidget* widget, int x, int y);
QColor ToQColor(TColour24 c);
QColor Grey(int g);

} // namespace vantrel::test
