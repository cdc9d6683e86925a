#include "FormResizeCanvas.h"

#include "AnchorGrid.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vantrel {

namespace {

QSpinBox* SideBox(QWidget* parent, const char* name)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(1, MaxCanvasSide);
    box->setSuffix(" px");
    return box;
}

} // namespace

TFrmResizeCanvas::TFrmResizeCanvas(QWidget* parent) : QDialog(parent)
{
    setObjectName("FrmResizeCanvas");
    setWindowTitle("Resize Canvas");
    SizeLabel = new QLabel(this);
    WidthBox = SideBox(this, "WidthBox");
    HeightBox = SideBox(this, "HeightBox");
    AnchorGrid = new TAnchorGrid(this);
    QDialogButtonBox* buttons = MakeOkCancel(this, OkButton, CancelButton);

    auto* form = new QFormLayout;
    form->addRow("Current size:", SizeLabel);
    form->addRow("Width:", WidthBox);
    form->addRow("Height:", HeightBox);
    form->addRow("Anchor:", AnchorGrid);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFrmResizeCanvas::Setup(int width, int height)
{
    SizeLabel->setText(QString("%1 x %2").arg(width).arg(height));
    WidthBox->setValue(width);
    HeightBox->setValue(height);
    WidthBox->setFocus();
    WidthBox->selectAll();
}

} // namespace vantrel
