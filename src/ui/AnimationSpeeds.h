// The twelve animation speeds offered by the track bars' context menus.
#pragma once

class QActionGroup;
class QMenu;
class QWidget;

namespace vantrel {

struct TSpeedItem {
    const char* Name;
    const char* Caption;
    int Interval; // milliseconds
};

inline constexpr TSpeedItem SpeedItems[] = {
    {"N1FPS1000ms1", "1 FPS (1000ms)", 1000}, {"N11FPS900ms1", "1.1 FPS (900ms)", 900},
    {"N125FPS800ms1", "1.25 FPS (800ms)", 800}, {"N13FPS700ms1", "1.3 FPS (700ms)", 700},
    {"N14FPS600ms1", "1.6 FPS (600ms)", 600}, {"N16FPS500ms1", "2 FPS (500ms)", 500},
    {"N16FPS400ms1", "2.5 FPS (400ms)", 400}, {"N16FPS300ms1", "3.3 FPS (300ms)", 300},
    {"N16FPS200ms1", "5 FPS (200ms)", 200}, {"N16FPS100ms1", "10 FPS (100ms)", 100},
    {"N16FPS50ms1", "20 FPS (50ms)", 50}, {"N16FPS25ms1", "40 FPS (25ms)", 25},
};
inline constexpr int StartInterval = 200;

// A context menu "AnimatePopupMenu" of the twelve speeds as checkable items in one exclusive group,
// StartInterval checked; each item's data is its interval.
QMenu* MakeSpeedMenu(QWidget* parent, QActionGroup*& group);

} // namespace vantrel
