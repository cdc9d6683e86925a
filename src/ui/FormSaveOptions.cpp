#include "FormSaveOptions.h"

#include "Icons.h"
#include "sprite/FileUtil.h"
#include "sprite/Types.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

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
const TFlagBox FlagBoxLayout[] = {
    {"CheckBox1", 1, 8, 0},       {"CheckBox2", 4, 8, 1},       {"CheckBox3", 8, 8, 2},
    {"CheckBox4", 16, 8, 3},      {"CheckBox5", 32, 8, 4},      {"CheckBox6", 64, 88, 0},
    {"CheckBox7", 128, 88, 1},    {"CheckBox8", 256, 88, 2},    {"CheckBox16", 512, 88, 3},
    {"CheckBox15", 1024, 88, 4},  {"CheckBox14", 2048, 176, 0}, {"CheckBox13", 4096, 176, 1},
    {"CheckBox12", 8192, 176, 2}, {"CheckBox11", 16384, 176, 3}, {"CheckBox10", 32768, 176, 4},
};

QString Hex4(unsigned value) { return QString::number(value, 16).toUpper().rightJustified(4, '0'); }

} // namespace

QString ForceFlagText(int compressionMode, uint16_t forcedFlags)
{
    const unsigned plain = forcedFlags;
    const unsigned compressed = plain + 2;
    switch (compressionMode) {
    case 0:
        return "HEX: " + Hex4(plain) + " or " + Hex4(compressed);
    case 1:
        return "HEX: " + Hex4(plain) + " / " + Hex4(compressed);
    case 2:
        return "HEX: " + Hex4(compressed);
    default:
        return "HEX: " + Hex4(plain);
    }
}

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
    for (int i = 0; i < CompressionModeCount; ++i) {
        CompressionItems[size_t(i)] = new QRadioButton(CompressionCaptions[i], CompressionMode);
        CompressionItems[size_t(i)]->setGeometry(8, 20 + 24 * i, 170, 20);
        connect(CompressionItems[size_t(i)], &QRadioButton::clicked, this, &TFrmSaveOptions::CompressionModeClick);
    }
    CompressionItems[0]->setChecked(true);
    FitCompressionItems();

    LayoutLabel = new QLabel(this);
    LayoutLabel->setObjectName("LayoutLabel");
    const int layoutLeft = CompressionMode->geometry().right() + 8;
    LayoutLabel->setGeometry(layoutLeft, 62, width() - 8 - layoutLeft, 60);
    LayoutLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LayoutLabel->setWordWrap(true);

    ForceFlagsGroup = new QGroupBox(" Force Flags ", this);
    ForceFlagsGroup->setGeometry(200, 56, 241, 129);
    for (const TFlagBox& flag : FlagBoxLayout) {
        auto* box = new QCheckBox(QString::number(flag.Tag), ForceFlagsGroup);
        box->setObjectName(flag.Name);
        box->setProperty("Tag", flag.Tag);
        box->setGeometry(flag.Left, 16 + 17 * flag.Row, 72, 17);
        box->setEnabled(flag.Tag != 1);
        connect(box, &QCheckBox::clicked, this, &TFrmSaveOptions::CheckBox1Click);
    }
    ForceFlagLabel = new QLabel("HEX:", ForceFlagsGroup);
    ForceFlagLabel->move(8, 104);
    ForceFlagLabel->resize(225, 17);
    ForceFlagsGroup->hide();
    CollectFlagBoxes();

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(8, 200, 513, 2);

    PngBitBtn1 = new QPushButton(GlyphIcon(TGlyph::Save), "Save", this);
    PngBitBtn1->setGeometry(368, 216, 75, 25);
    PngBitBtn2 = new QPushButton(GlyphIcon(TGlyph::Cancel), "Cancel", this);
    PngBitBtn2->setGeometry(448, 216, 75, 25);
    connect(PngBitBtn1, &QPushButton::clicked, this, &TFrmSaveOptions::PngBitBtn1Click);
    connect(PngBitBtn2, &QPushButton::clicked, this, &TFrmSaveOptions::PngBitBtn2Click);
    connect(Button1, &QPushButton::clicked, this, &TFrmSaveOptions::Button1Click);

    ChangeDialog = new QFileDialog(this);
    ChangeDialog->setObjectName("ChangeDialog");
    ChangeDialog->setWindowTitle("Save Sprite To");
    ChangeDialog->setOption(QFileDialog::DontUseNativeDialog);
    ChangeDialog->setAcceptMode(QFileDialog::AcceptSave);
    ChangeDialog->setFileMode(QFileDialog::AnyFile);
    ChangeDialog->setDefaultSuffix("shp");
    ChangeDialog->setDirectory(QString::fromStdString(AppFolder()));
    SetLayout(TSHPFormat::TS);
}

void TFrmSaveOptions::SetLayout(TSHPFormat layout)
{
    CurrentLayout = layout == TSHPFormat::TD ? TSHPFormat::TD : TSHPFormat::TS;
    const bool td = CurrentLayout == TSHPFormat::TD;
    LayoutLabel->setText(td ? "Written as a TD/RA1 SHP file (Tiberian Dawn, Red Alert).\n"
                              "The compression choice applies to TS/RA2 files only."
                            : "Written as a TS/RA2 SHP file (Tiberian Sun, Red Alert 2).");
    CompressionMode->setEnabled(!td);
    ChangeDialog->setNameFilter(td ? "TD/RA1 SHP (*.shp)" : "TS/RA2 SHP (*.shp)");
}

// The compression group grows to the width of its longest caption in the font of the desktop.
void TFrmSaveOptions::FitCompressionItems()
{
    int itemWidth = 170;
    for (QRadioButton* item : CompressionItems)
        itemWidth = std::max(itemWidth, item->sizeHint().width());
    for (QRadioButton* item : CompressionItems)
        item->resize(itemWidth, item->height());
    CompressionMode->resize(std::max(185, itemWidth + 16), CompressionMode->height());
}

// The boxes placed directly in the flag group, in their order; the layout above has 15.
void TFrmSaveOptions::CollectFlagBoxes()
{
    const QList<QCheckBox*> boxes = ForceFlagsGroup->findChildren<QCheckBox*>(Qt::FindDirectChildrenOnly);
    if (boxes.size() != FlagBoxCount)
        throw AssertionError(MsgFlagBoxCount);
    for (int i = 0; i < FlagBoxCount; ++i)
        FlagBoxes[size_t(i)] = boxes[i];
}

void TFrmSaveOptions::showEvent(QShowEvent* event)
{
    Accepted = false;
    QDialog::showEvent(event);
}

int TFrmSaveOptions::SelectedCompression() const
{
    for (int i = 0; i < CompressionModeCount; ++i)
        if (CompressionItems[size_t(i)]->isChecked())
            return i;
    return 0;
}

void TFrmSaveOptions::SetSelectedCompression(int mode)
{
    if (mode >= 0 && mode < CompressionModeCount)
        CompressionItems[size_t(mode)]->setChecked(true);
}

uint16_t TFrmSaveOptions::GetForcedFlags() const
{
    unsigned flags = 0;
    for (const QCheckBox* box : FlagBoxes)
        if (box->isChecked())
            flags |= box->property("Tag").toUInt();
    return uint16_t(flags);
}

void TFrmSaveOptions::Button1Click()
{
    ChangeDialog->selectFile(FilenameEdit->text());
    if (ChangeDialog->exec() != QDialog::Accepted || ChangeDialog->selectedFiles().isEmpty())
        return;
    FilenameEdit->setText(QDir::toNativeSeparators(ChangeDialog->selectedFiles().first()));
}

void TFrmSaveOptions::CompressionModeClick() { UpdateForceFlagLabel(); }

void TFrmSaveOptions::CheckBox1Click() { UpdateForceFlagLabel(); }

void TFrmSaveOptions::UpdateForceFlagLabel()
{
    ForceFlagLabel->setText(ForceFlagText(SelectedCompression(), GetForcedFlags()));
}

void TFrmSaveOptions::PngBitBtn1Click()
{
    Accepted = true;
    accept();
}

void TFrmSaveOptions::PngBitBtn2Click() { reject(); }

} // namespace vantrel
