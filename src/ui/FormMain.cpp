#include "FormMain.h"

namespace vantrel {

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent) { setWindowTitle(" Vantrel v1.0.0.0"); }

} // namespace vantrel
