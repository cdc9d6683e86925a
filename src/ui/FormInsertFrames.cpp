#include "FormInsertFrames.h"

#include "AnchorGrid.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vantrel {

TFrmInsertFrames::TFrmInsertFrames(QWidget* parent) : QDialog(parent)
{
    setObjectName("FrmInsertFrames");
    setWindowTitle("Insert Frames");
    SourceLabel = new QLabel(this);
    SourceLabel->setWordWrap(true);
    PositionBox = new QSpinBox(this);
    PositionBox->setObjectName("PositionBox");
    PositionLabel = new QLabel(this);
    PairingLabel = new QLabel(this);
    PairingLabel->setWordWrap(true);
    AnchorGrid = new TAnchorGrid(this);
    QDialogButtonBox* buttons = MakeOkCancel(this, OkButton, CancelButton);
    connect(PositionBox, &QSpinBox::valueChanged, this, &TFrmInsertFrames::ShowPosition);

    auto* form = new QFormLayout;
    form->addRow("Insert:", SourceLabel);
    form->addRow("At position:", PositionBox);
    form->addRow("", PositionLabel);
    form->addRow("", PairingLabel);
    form->addRow("Place frames of\nanother size:", AnchorGrid);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void TFrmInsertFrames::Setup(const QString& source, int places, int position, const QString& shadowNote,
                             bool otherSize)
{
    Places = places;
    SourceLabel->setText(source);
    PositionBox->setRange(0, places);
    PositionBox->setValue(position);
    ShowPosition(PositionBox->value());
    PairingLabel->setText(shadowNote);
    PairingLabel->setVisible(!shadowNote.isEmpty());
    AnchorGrid->setEnabled(otherSize);
    PositionBox->setFocus();
    PositionBox->selectAll();
}

void TFrmInsertFrames::ShowPosition(int position)
{
    PositionLabel->setText(position >= Places ? QString("after the last frame")
                                              : QString("before frame %1").arg(position));
}

} // namespace vantrel
