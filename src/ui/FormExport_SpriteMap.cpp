#include "FormExport_SpriteMap.h"

namespace vantrel {

TFrmExport_SpriteMap::TFrmExport_SpriteMap(QWidget* parent) : QDialog(parent)
{
    setObjectName("FrmExport_SpriteMap");
    setWindowTitle("Export - Sprite Map");
    resize(712, 508);
}

} // namespace vantrel
