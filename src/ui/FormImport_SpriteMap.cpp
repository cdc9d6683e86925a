#include "FormImport_SpriteMap.h"

#include "Icons.h"
#include "SpriteView.h"
#include "imaging/Imaging.h"
#include "sprite/FileUtil.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace vantrel {

namespace {

// The number an edit box holds, or previous when its text is not a number.
int EditValue(const QLineEdit* edit, int previous)
{
    bool ok = false;
    const int value = edit->text().toInt(&ok);
    return ok ? value : previous;
}

} // namespace

TFrmImport_SpriteMap::TFrmImport_SpriteMap(QWidget* parent) : QDialog(parent)
{
    setObjectName("FrmImport_SpriteMap");
    setWindowTitle("Import - Sprite Map");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(456, 347);

    GroupBox2 = new QGroupBox(" Preview ", this);
    GroupBox2->setGeometry(8, 8, 161, 137);
    PreviewImg = new TImage(GroupBox2);
    PreviewImg->Center = true;
    PreviewImg->Proportional = true;
    PreviewImg->setGeometry(32, 24, 98, 98);

    GroupBox3 = new QGroupBox(" Full Image ", this);
    GroupBox3->setGeometry(176, 8, 273, 273);
    FullImage = new TImage(GroupBox3);
    FullImage->Center = true;
    FullImage->Proportional = true;
    FullImage->setGeometry(16, 24, 241, 233);

    GroupBox1 = new QGroupBox(" Settings ", this);
    GroupBox1->setGeometry(8, 152, 161, 129);
    Label1 = new QLabel("Frame Size:", GroupBox1);
    Label1->move(16, 24);
    FrameWidth = new QLineEdit("0000", GroupBox1);
    FrameWidth->setGeometry(16, 40, 57, 21);
    Label4 = new QLabel("X", GroupBox1);
    QFont bold = Label4->font();
    bold.setBold(true);
    Label4->setFont(bold);
    Label4->setAlignment(Qt::AlignCenter);
    Label4->setGeometry(72, 40, 16, 21);
    FrameHeight = new QLineEdit("0000", GroupBox1);
    FrameHeight->setGeometry(88, 40, 57, 21);
    Label3 = new QLabel("Frame Count:", GroupBox1);
    Label3->move(16, 72);
    FrameCount = new QLineEdit("0000", GroupBox1);
    FrameCount->setGeometry(16, 88, 57, 21);
    for (QLineEdit* edit : {FrameWidth, FrameHeight, FrameCount})
        connect(edit, &QLineEdit::textChanged, this, &TFrmImport_SpriteMap::FrameWidthChange);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(8, 296, 441, 2);
    ImportButton = new QPushButton(GlyphIcon(TGlyph::Import), "Import", this);
    ImportButton->setGeometry(296, 312, 73, 25);
    CancelButton = new QPushButton(GlyphIcon(TGlyph::Cancel), "Cancel", this);
    CancelButton->setGeometry(376, 312, 73, 25);
    connect(ImportButton, &QPushButton::clicked, this, &TFrmImport_SpriteMap::ImportButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TFrmImport_SpriteMap::CancelButtonClick);

    AnimateTimer = new QTimer(this);
    AnimateTimer->setInterval(200);
    connect(AnimateTimer, &QTimer::timeout, this, &TFrmImport_SpriteMap::AnimateTimerTimer);
}

bool TFrmImport_SpriteMap::LoadSheet(const std::string& path)
{
    TBitmap8 bitmap = LoadSpriteMap(path);
    if (!bitmap.IsIndexed())
        return false;
    SheetBitmap = std::move(bitmap);
    SettingFields = true;
    FullImage->SetPicture(Bitmap8ToImage(*SheetBitmap));
    SheetFrameWidth = SheetBitmap->Width;
    SheetFrameHeight = SheetBitmap->Height;
    SheetFrameCount = 1;
    ParseSheetName(ExtractFileName(path));
    FrameCount->setText(QString::number(SheetFrameCount));
    FrameWidth->setText(QString::number(SheetFrameWidth));
    FrameHeight->setText(QString::number(SheetFrameHeight));
    SettingFields = false;
    ImportButton->setEnabled(SheetFits());
    return true;
}

void TFrmImport_SpriteMap::ParseSheetName(const std::string& fileName)
{
    TSheetLayout layout = SheetLayout();
    vantrel::ParseSheetName(fileName, layout);
    SheetFrameWidth = layout.FrameWidth;
    SheetFrameHeight = layout.FrameHeight;
    SheetFrameCount = layout.FrameCount;
}

TSheetLayout TFrmImport_SpriteMap::SheetLayout() const
{
    return TSheetLayout{SheetFrameWidth, SheetFrameHeight, SheetFrameCount};
}

bool TFrmImport_SpriteMap::SheetFits() const
{
    return SheetBitmap && vantrel::SheetFits(SheetBitmap->Width, SheetBitmap->Height, SheetLayout());
}

void TFrmImport_SpriteMap::FrameWidthChange()
{
    if (SettingFields)
        return;
    SheetFrameWidth = EditValue(FrameWidth, SheetFrameWidth);
    SheetFrameHeight = EditValue(FrameHeight, SheetFrameHeight);
    SheetFrameCount = EditValue(FrameCount, SheetFrameCount);
    ImportButton->setEnabled(SheetFits());
}

void TFrmImport_SpriteMap::AnimateTimerTimer()
{
    if (SheetPreviewFrame >= SheetFrameCount)
        SheetPreviewFrame = 0;
    if (!SheetBitmap || SheetFrameCount < 1 ||
        !SheetCellInside(SheetBitmap->Width, SheetBitmap->Height, SheetLayout(), SheetPreviewFrame)) {
        PreviewImg->SetPicture(QImage());
        return;
    }
    PreviewImg->SetPicture(Bitmap8ToImage(SheetCell(*SheetBitmap, SheetLayout(), SheetPreviewFrame)));
    ++SheetPreviewFrame;
}

void TFrmImport_SpriteMap::ImportButtonClick()
{
    Accepted = true;
    accept();
}

void TFrmImport_SpriteMap::CancelButtonClick() { reject(); }

void TFrmImport_SpriteMap::showEvent(QShowEvent* event)
{
    Accepted = false;
    AnimateTimer->start();
    QDialog::showEvent(event);
}

void TFrmImport_SpriteMap::hideEvent(QHideEvent* event)
{
    AnimateTimer->stop();
    QDialog::hideEvent(event);
}

} // namespace vantrel
