#include "FormOpen.h"

namespace vantrel {

TFrmOpen::TFrmOpen(QWidget* parent) : QDialog(parent) { setWindowTitle("Open Dialog"); }

TFrmOpen::~TFrmOpen() = default;

int TFrmOpen::PreviewGame() const { return 0; }

int TFrmOpen::PreviewType() const { return 0; }

} // namespace vantrel
