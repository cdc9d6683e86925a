#include "UiTestSupport.h"

#include "sprite/FileUtil.h"
#include "ui/FormSaveOptions.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QRadioButton>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace vantrel::test {

TColour24 TestPaletteColour(int seed, int i)
{
    return MakeColour(uint8_t(((i + seed) & 63) * 4), uint8_t(((i * 2 + seed) & 63) * 4),
                      uint8_t(((i * 3 + seed * 5) & 63) * 4));
}

void WriteTestPalette(const QString& path, int seed)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 256; ++i) {
        const TColour24 c = TestPaletteColour(seed, i);
        bytes.push_back(c.R / 4);
        bytes.push_back(c.G / 4);
        bytes.push_back(c.B / 4);
    }
    WriteBytes(path, bytes);
}

void WriteSolidPicture(const QString& path, QColor colour, int width, int height)
{
    QDir().mkpath(QFileInfo(path).path());
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(colour);
    ASSERT_TRUE(picture.save(path, "PNG"));
}

void WriteBytes(const QString& path, const std::vector<uint8_t>& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

std::vector<uint8_t> TSFileBytes(int width, int height, const std::vector<std::vector<uint8_t>>& frames,
                                 const TTrailer* trailer)
{
    std::vector<uint8_t> out;
    auto put16 = [&out](int v) {
        out.push_back(uint8_t(v & 0xFF));
        out.push_back(uint8_t((v >> 8) & 0xFF));
    };
    auto put32 = [&](uint32_t v) {
        put16(int(v & 0xFFFF));
        put16(int(v >> 16));
    };
    put16(0);
    put16(width);
    put16(height);
    put16(int(frames.size()));
    uint32_t offset = uint32_t(8 + 24 * frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        put16(0);
        put16(0);
        put16(width);
        put16(height);
        put16(0);
        put16(0);
        put32(0);
        put32(0);
        put32(offset);
        offset += uint32_t(width * height);
    }
    for (const auto& frame : frames)
        out.insert(out.end(), frame.begin(), frame.end());
    if (trailer) {
        for (const TColour24& c : trailer->Palette) {
            out.push_back(c.B);
            out.push_back(c.G);
            out.push_back(c.R);
        }
        out.push_back(trailer->Game);
        out.push_back(trailer->Type);
        out.insert(out.end(), {0, 0, 0, 'E', 'X', 'T', 'R', 'A'});
    }
    return out;
}

std::unique_ptr<TSHP> BlankSprite(int count, int width, int height, TSHPGame game, TSHPType type)
{
    auto sprite = std::make_unique<TSHP>();
    sprite->Game = game;
    sprite->SetSHPType(type);
    sprite->AddFrames(count, width, height);
    return sprite;
}

void SetPixel(TSHP& sprite, int frame, int x, int y, uint8_t index)
{
    TSHPFrame& f = sprite.GetFrame(frame);
    f.Data[size_t(y * sprite.Width + x)] = index;
    f.Dirty = true;
}

void MainWindowTest::SetUp()
{
    ASSERT_TRUE(Folder.isValid());
    WriteTestPalette(DataPath("palette/TS/unittem.pal"), SeedTSUnit);
    WriteBytes(DataPath("palette/TS/readme.txt"), {'h', 'i'});
    WriteTestPalette(DataPath("palette/RA2/unittem.pal"), SeedRA2Unit);
    WriteTestPalette(DataPath("palette/TD/temperat.pal"), SeedTD);
    WriteTestPalette(DataPath("palette/RA1/temperat.PAL"), SeedRA1);
    WriteTestPalette(DataPath("palette/User/a.pal"), SeedUser);
    WriteTestPalette(DataPath("palette/User/sub/mine.pal"), SeedMine);
    WriteTestPalette(DataPath("palette/direct.pal"), SeedDirect);
    WriteSolidPicture(DataPath("Backgrounds/TS-Temperate.png"), BackgroundColour);
    WriteSolidPicture(DataPath("Backgrounds/RA2-Desert.png"), QColor(10, 20, 30));
    WriteSolidPicture(DataPath("Backgrounds/td-lower.png"), QColor(40, 50, 60));
    WriteSolidPicture(DataPath("Backgrounds/RAx.png"), QColor(70, 80, 90));
    WriteSolidPicture(DataPath("Backgrounds/RA1-Snow.png"), QColor(100, 110, 120));
    WriteBytes(DataPath("Backgrounds/notes.txt"), {'x'});
    SetAppFolder(QDir::toNativeSeparators(Folder.path()).toStdString());
    UnansweredQuestions.setInterval(20);
    QObject::connect(&UnansweredQuestions, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->text().startsWith("Save changes to")) {
            OpenQuestion = nullptr;
            return;
        }
        if (box != OpenQuestion) {
            OpenQuestion = box;
            OpenQuestionTicks = 0;
        } else if (++OpenQuestionTicks == 50) {
            ADD_FAILURE() << "unanswered question: " << box->text().toStdString();
            box->button(QMessageBox::Discard)->click();
        }
    });
    UnansweredQuestions.start();
}

void MainWindowTest::TearDown()
{
    Main.reset();
    SetAppFolder("");
}

QString MainWindowTest::DataPath(const QString& relative) const { return Folder.filePath(relative); }

TFrmMain& MainWindowTest::Window()
{
    if (!Main) {
        Main = std::make_unique<TFrmMain>();
        Main->show();
        Main->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Main.get()));
    }
    return *Main;
}

void MainWindowTest::Show(std::unique_ptr<TSHP> sprite)
{
    TFrmMain& main = Window();
    main.CurrentSHP = std::move(sprite);
    main.ShowLoadedSHP();
}

TDialogScript& TDialogScript::File(const QString& path, QString* shownWith)
{
    Steps.push_back([path, shownWith](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return false;
        if (shownWith)
            *shownWith = dialog->selectedFiles().value(0);
        if (path.isEmpty())
            dialog->reject();
        else
            AcceptFile(*dialog, path);
        return true;
    });
    return *this;
}

void AcceptFile(QFileDialog& dialog, const QString& path)
{
    // The dialog leaves a name typed into a focused name box as it is.
    if (QWidget* focused = dialog.focusWidget())
        focused->clearFocus();
    dialog.selectFile(path);
    // QFileDialog's own accept, which may ask before replacing a file, once this step is done.
    QMetaObject::invokeMethod(&dialog, [&dialog] { static_cast<QDialog&>(dialog).accept(); }, Qt::QueuedConnection);
}

TDialogScript& TDialogScript::Options(std::function<void(TFrmSaveOptions&)> action)
{
    return Dialog<TFrmSaveOptions>(std::move(action));
}

TDialogScript& TDialogScript::SaveWith(int mode)
{
    return Options([mode](TFrmSaveOptions& d) {
        if (d.CompressionMode->isEnabled())
            d.CompressionItems[size_t(mode)]->click();
        d.PngBitBtn1->click();
    });
}

TDialogScript& TDialogScript::Message(int button)
{
    Steps.push_back([this, button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box || !box->button(QMessageBox::StandardButton(button)))
            return false;
        Messages << box->text();
        box->button(QMessageBox::StandardButton(button))->click();
        return true;
    });
    return *this;
}

TDialogScript& TDialogScript::Question(int button)
{
    Steps.push_back([this, button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box || !box->text().startsWith("Save changes to"))
            return false;
        Messages << box->text();
        box->button(QMessageBox::StandardButton(button))->click();
        return true;
    });
    return *this;
}

void TDialogScript::Run(const std::function<void()>& action)
{
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (modal == LastAnswered)
            return; // still closing
        if (Next < Steps.size() && Steps[Next](modal)) {
            ++Next;
            LastAnswered = modal;
            return;
        }
        ADD_FAILURE() << "unexpected dialog " << modal->metaObject()->className() << " "
                      << modal->windowTitle().toStdString();
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            ADD_FAILURE() << box->text().toStdString();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    });
    timer.start();
    action();
    timer.stop();
    EXPECT_EQ(Next, Steps.size()) << "dialogs left unanswered";
}

QString CaptureMessage(const std::function<void()>& action)
{
    QString text;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    timer.start();
    action();
    timer.stop();
    return text;
}

QString AnswerQuestion(int button, const std::function<void()>& action)
{
    QString text;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&text, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->text().startsWith("Save changes to") && text.isEmpty()) {
            text = box->text();
            box->button(QMessageBox::StandardButton(button))->click();
        }
    });
    timer.start();
    action();
    timer.stop();
    return text;
}

bool AnswerColourDialog(const QColor& colour, const std::function<void()>& action)
{
    bool shown = false;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
            shown = true;
            if (colour.isValid()) {
                dialog->setCurrentColor(colour);
                dialog->accept();
            } else {
                dialog->reject();
            }
        }
    });
    timer.start();
    action();
    timer.stop();
    return shown;
}

QImage Grab(QWidget* widget) { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

QColor PixelAt(QWidget* widget, int x, int y) { return Grab(widget).pixelColor(x, y); }

QColor ToQColor(TColour24 c) { return QColor(c.R, c.G, c.B); }

QColor Grey(int g) { return QColor(g, g, g); }

} // namespace vantrel::test
