// Image combo boxes drop down lists wide enough for their longest item.
#include "UiTestSupport.h"

#include "ui/FormColourSwitcher.h"
#include "ui/FormMain.h"
#include "ui/FormOpen.h"
#include "ui/Icons.h"
#include "ui/WidenCombos.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QScreen>
#include <QStyle>

namespace vantrel::test {

namespace {

int TextWidth(const QComboBox& combo, const QString& text)
{
    return QFontMetrics(combo.view()->font()).horizontalAdvance(text);
}

} // namespace

TEST(WidenCombos, NarrowTypeBoxDropsDownWideEnoughForItsLongestItem)
{
    TImageComboBox combo;
    for (int t = 0; t < SHPTypeCount; ++t)
        combo.addItem(SHPTypeIcon(t), SHPTypeNames[size_t(t)]);
    combo.resize(60, 22);
    const int expected = TextWidth(combo, "Building (IsoTemperate)") + 8 + combo.iconSize().width() + 4;
    EXPECT_EQ(combo.DropDownWidth(), expected);
    combo.show();
    combo.showPopup();
    EXPECT_GE(combo.view()->width(), expected);
    combo.hidePopup();
}

// A chosen item too long for the box is shown cut, and whole in the box's tooltip.
TEST(WidenCombos, ItemTooLongForTheBoxIsElidedWithATooltip)
{
    TImageComboBox combo;
    for (int t = 0; t < SHPTypeCount; ++t)
        combo.addItem(SHPTypeIcon(t), SHPTypeNames[size_t(t)]);
    combo.resize(80, 22);
    combo.setCurrentIndex(int(TSHPType::BuildingIsoTemperate));
    combo.grab();
    EXPECT_EQ(combo.toolTip(), "Building (IsoTemperate)");
    combo.setCurrentIndex(int(TSHPType::Unit));
    combo.grab();
    EXPECT_TRUE(combo.toolTip().isEmpty());
}

TEST(WidenCombos, ShortItemsKeepTheBoxWidth)
{
    TImageComboBox combo;
    combo.addItem("a");
    combo.addItem("bb");
    combo.resize(150, 22);
    EXPECT_EQ(combo.DropDownWidth(), 150);
}

TEST(WidenCombos, MoreItemsThanLinesAddTheScrollBar)
{
    TImageComboBox combo;
    combo.setMaxVisibleItems(8);
    const QString longest = "a rather long palette name.pal";
    for (int i = 0; i < 8; ++i)
        combo.addItem(i == 3 ? longest : QString("p%1").arg(i));
    combo.resize(20, 22);
    const int eight = combo.DropDownWidth();
    EXPECT_EQ(eight, TextWidth(combo, longest) + 8);
    combo.addItem("p9");
    EXPECT_EQ(combo.DropDownWidth(), eight + combo.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &combo));
}

TEST(WidenCombos, ListNearTheRightScreenEdgeIsAlignedWithTheBox)
{
    TImageComboBox combo;
    combo.addItem(QString("x").repeated(80));
    combo.resize(50, 22);
    const QRect screen = combo.screen()->geometry();
    combo.move(screen.right() - 60, 100);
    combo.show();
    combo.showPopup();
    const int comboRight = combo.mapToGlobal(QPoint(0, 0)).x() + combo.width();
    EXPECT_EQ(TImageComboBox::LastComboRight, comboRight);
    const QRect list = combo.view()->window()->geometry();
    EXPECT_EQ(list.left(), comboRight - list.width() - 1);
    combo.hidePopup();
}

using WidenedControls = MainWindowTest;

TEST_F(WidenedControls, OnlyTheImageComboBoxesOfTheWindowsWiden)
{
    TFrmMain& main = Window();
    EXPECT_NE(qobject_cast<TImageComboBox*>(main.TypeBox), nullptr);
    EXPECT_NE(qobject_cast<TImageComboBox*>(main.PaletteCombo), nullptr);
    EXPECT_NE(qobject_cast<TImageComboBox*>(main.FrmOpen->PreviewTypeBox), nullptr);
    EXPECT_NE(qobject_cast<TImageComboBox*>(main.FrmColourSwitcher->CategoryCombo), nullptr);
    EXPECT_EQ(qobject_cast<TImageComboBox*>(main.FrmOpen->ShellComboBox), nullptr);
}

} // namespace vantrel::test
