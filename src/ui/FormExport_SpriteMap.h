// The sprite-map export window: an empty resizable window that nothing shows.
#pragma once

#include <QDialog>

namespace vantrel {

class TFrmExport_SpriteMap : public QDialog {
    Q_OBJECT
public:
    explicit TFrmExport_SpriteMap(QWidget* parent = nullptr);
};

} // namespace vantrel
