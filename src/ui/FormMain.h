#pragma once

#include <QMainWindow>

namespace vantrel {

class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr);
};

} // namespace vantrel
