#include "AnchorGrid.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QToolButton>

namespace vantrel {

namespace {

// Arrows pointing to the places, a dot for the centre.
const std::array<const char*, AnchorCount> AnchorGlyphs = {"\u2196", "\u2191", "\u2197", "\u2190", "\u2022",
                                                           "\u2192", "\u2199", "\u2193", "\u2198"};

QString Capitalised(std::string_view name)
{
    QString text = QString::fromLatin1(name.data(), qsizetype(name.size()));
    return text.left(1).toUpper() + text.mid(1);
}

} // namespace

TAnchorGrid::TAnchorGrid(QWidget* parent) : QWidget(parent), Group(new QButtonGroup(this))
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    for (int i = 0; i < AnchorCount; ++i) {
        auto* button = new QToolButton(this);
        const QString name = Capitalised(AnchorName(TAnchor(i)));
        button->setObjectName("Anchor" + QString::number(i));
        button->setText(AnchorGlyphs[size_t(i)]);
        button->setToolTip(name);
        button->setAccessibleName(name);
        button->setCheckable(true);
        button->setFixedSize(26, 26);
        // The chosen place stands out as a selection does.
        button->setStyleSheet("QToolButton:checked { background: palette(highlight); color: palette(highlighted-text); }");
        Group->addButton(button, i);
        layout->addWidget(button, i / 3, i % 3);
        Buttons[size_t(i)] = button;
    }
    SetAnchor(TAnchor::Centre);
}

TAnchor TAnchorGrid::Anchor() const
{
    const int id = Group->checkedId();
    return id >= 0 ? TAnchor(id) : TAnchor::Centre;
}

void TAnchorGrid::SetAnchor(TAnchor anchor) { Buttons[size_t(anchor)]->setChecked(true); }

QDialogButtonBox* MakeOkCancel(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    ok = buttons->button(QDialogButtonBox::Ok);
    cancel = buttons->button(QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace vantrel
