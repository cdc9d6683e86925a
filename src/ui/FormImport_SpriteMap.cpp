#include "FormImport_SpriteMap.h"

#include "Icons.h"
#include "SpriteView.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace vantrel {

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

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(8, 296, 441, 2);
    ImportButton = new QPushButton(GlyphIcon(TGlyph::Import), "Import", this);
    ImportButton->setGeometry(296, 312, 73, 25);
    CancelButton = new QPushButton(GlyphIcon(TGlyph::Cancel), "Cancel", this);
    CancelButton->setGeometry(376, 312, 73, 25);
    connect(ImportButton, &QPushButton::clicked, this, [this] {
        Accepted = true;
        accept();
    });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    AnimateTimer = new QTimer(this);
    AnimateTimer->setInterval(200);
}

void TFrmImport_SpriteMap::showEvent(QShowEvent* event)
{
    Accepted = false;
    QDialog::showEvent(event);
}

} // namespace vantrel
