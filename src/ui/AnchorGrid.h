// The choice of an anchor: nine buttons in a 3 x 3 grid, one for each place where a canvas keeps
// its frames when it is resized (and where frames of another size are placed when inserted); and
// the Ok and Cancel buttons of the dialogs that show it.
#pragma once

#include "sprite/FrameEdit.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QDialog;
class QDialogButtonBox;
class QPushButton;
class QToolButton;

namespace vantrel {

class TAnchorGrid : public QWidget {
    Q_OBJECT
public:
    explicit TAnchorGrid(QWidget* parent = nullptr);

    // Button i stands for TAnchor(i): top-left, top, top-right, left, centre, ...
    std::array<QToolButton*, AnchorCount> Buttons{};

    TAnchor Anchor() const;
    void SetAnchor(TAnchor anchor);

private:
    QButtonGroup* Group = nullptr;
};

// Ok and Cancel buttons that accept and reject dialog.
QDialogButtonBox* MakeOkCancel(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel);

} // namespace vantrel
