#include "FormSaveOptions.h"

#include "Icons.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace vantrel {

namespace {

const char* const CompressionCaptions[] = {"Auto Compress (Best Size)", "Half Compression (50/50)", "All Compressed",
                                           "No Compression"};

struct TFlagBox {
    const char* Name;
    int Tag;
    int Left;
    int Row;
};

// The boxes in the order of the group, a column of five at each left edge.
const TFlagBox FlagBoxes[] = {
    {"CheckBox1", 1, 8, 0},       {"CheckBox2", 4, 8, 1},       {"CheckBox3", 8, 8, 2},
    {"CheckBox4", 16, 8, 3},      {"CheckBox5", 32, 8, 4},      {"CheckBox6", 64, 88, 0},
    {"CheckBox7", 128, 88, 1},    {"CheckBox8", 256, 88, 2},    {"CheckBox16", 512, 88, 3},
    {"CheckBox15", 1024, 88, 4},  {"CheckBox14", 2048, 176, 0}, {"CheckBox13", 4096, 176, 1},
    {"CheckBox12", 8192, 176, 2}, {"CheckBox11", 16384, 176, 3}, {"CheckBox10", 32768, 176, 4},
};

} // namespace

TFrmSaveOptions::TFrmSaveOptions(QWidget* parent) : QDialog(parent)
{
    setObjectName("FrmSaveOptions");
    setWindowTitle("Save Options");
    setFixedSize(531, 248);

    Label1 = new QLabel("Filename:", this);
    Label1->move(8, 8);
    FilenameEdit = new QLineEdit(this);
    FilenameEdit->setGeometry(8, 24, 433, 21);
    FilenameEdit->setEnabled(false);
    Button1 = new QPushButton("Change", this);
    Button1->setGeometry(448, 24, 75, 21);

    CompressionMode = new QGroupBox(" Compression ", this);
    CompressionMode->setGeometry(8, 56, 185, 129);
    for (int i = 0; i < 4; ++i) {
        CompressionItems[size_t(i)] = new QRadioButton(CompressionCaptions[i], CompressionMode);
        CompressionItems[size_t(i)]->setGeometry(8, 20 + 24 * i, 170, 20);
    }
    CompressionItems[0]->setChecked(true);

    ForceFlagsGroup = new QGroupBox(" Force Flags ", this);
    ForceFlagsGroup->setGeometry(200, 56, 241, 129);
    for (const TFlagBox& flag : FlagBoxes) {
        auto* box = new QCheckBox(QString::number(flag.Tag), ForceFlagsGroup);
        box->setObjectName(flag.Name);
        box->setProperty("Tag", flag.Tag);
        box->setGeometry(flag.Left, 16 + 17 * flag.Row, 72, 17);
        box->setEnabled(flag.Tag != 1);
    }
    ForceFlagLabel = new QLabel("HEX:", ForceFlagsGroup);
    ForceFlagLabel->move(8, 104);
    ForceFlagsGroup->hide();

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(8, 200, 513, 2);

    PngBitBtn1 = new QPushButton(GlyphIcon(TGlyph::Save), "Save", this);
    PngBitBtn1->setGeometry(368, 216, 75, 25);
    PngBitBtn2 = new QPushButton(GlyphIcon(TGlyph::Cancel), "Cancel", this);
    PngBitBtn2->setGeometry(448, 216, 75, 25);
    connect(PngBitBtn1, &QPushButton::clicked, this, [this] {
        Accepted = true;
        accept();
    });
    connect(PngBitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmSaveOptions::showEvent(QShowEvent* event)
{
    Accepted = false;
    QDialog::showEvent(event);
}

} // namespace vantrel
