#include "AnimationSpeeds.h"

#include <QActionGroup>
#include <QMenu>

namespace vantrel {

QMenu* MakeSpeedMenu(QWidget* parent, QActionGroup*& group)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName("AnimatePopupMenu");
    group = new QActionGroup(parent);
    for (const TSpeedItem& speed : SpeedItems) {
        QAction* item = menu->addAction(speed.Caption);
        item->setObjectName(speed.Name);
        item->setCheckable(true);
        item->setChecked(speed.Interval == StartInterval);
        item->setData(speed.Interval);
        group->addAction(item);
    }
    return menu;
}

} // namespace vantrel
