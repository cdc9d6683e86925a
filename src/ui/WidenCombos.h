// Image combo boxes (items with icons) whose drop-down list is wide enough for the longest item
// and, when widened, does not run off the right edge of the screen; a chosen item too long for the
// box itself is shown cut with "…" and whole in the box's tooltip. Plain combo boxes keep the
// toolkit's behaviour.
#pragma once

#include <QComboBox>

namespace vantrel {

class TImageComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TImageComboBox(QWidget* parent = nullptr);

    // The width the list drops down with: the box's own width or, when larger, the widest item
    // (its text + 8, plus the room its icon takes) plus the scroll bar's width when there are
    // more items than visible lines.
    int DropDownWidth() const;

    void showPopup() override;

    // Screen x of the right edge of the combo box widened last (0 before the first).
    static int LastComboRight;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vantrel
