#include "WidenCombos.h"

#include <QAbstractItemView>
#include <QScreen>
#include <QStyle>
#include <QStylePainter>

namespace vantrel {

int TImageComboBox::LastComboRight = 0;

namespace {

constexpr int TextPadding = 8;
constexpr int IconSpacing = 4;

} // namespace

TImageComboBox::TImageComboBox(QWidget* parent) : QComboBox(parent) {}

int TImageComboBox::DropDownWidth() const
{
    const QFontMetrics metrics(view() ? view()->font() : font());
    const bool scrolls = count() > maxVisibleItems();
    const int scrollBar = scrolls ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) : 0;
    int width = this->width();
    for (int i = 0; i < count(); ++i) {
        int item = metrics.horizontalAdvance(itemText(i)) + TextPadding;
        if (!itemIcon(i).isNull())
            item += iconSize().width() + IconSpacing;
        width = std::max(width, item + scrollBar);
    }
    return width;
}

void TImageComboBox::showPopup()
{
    const int width = DropDownWidth();
    LastComboRight = mapToGlobal(QPoint(0, 0)).x() + this->width();
    view()->setMinimumWidth(width);
    QComboBox::showPopup();

    QWidget* list = view()->window();
    if (!list || list == window())
        return;
    const QScreen* screen = this->screen();
    const int screenRight = screen ? screen->geometry().right() + 1 : 0;
    const QRect frame = list->geometry();
    if (screen && frame.right() + 1 >= screenRight && LastComboRight > frame.width())
        list->move(LastComboRight - frame.width() - 1, frame.top());
}

void TImageComboBox::paintEvent(QPaintEvent*)
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    QRect text = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (!option.currentIcon.isNull())
        text.setLeft(text.left() + option.iconSize.width() + IconSpacing);
    const QString whole = option.currentText;
    option.currentText = fontMetrics().elidedText(whole, Qt::ElideRight, text.width());
    const QString hint = option.currentText == whole ? QString() : whole;
    if (toolTip() != hint)
        setToolTip(hint);
    QStylePainter painter(this);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

} // namespace vantrel
