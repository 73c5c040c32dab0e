#include "chart/ChartWindow.h"

namespace {

// Latitude runs down the vertical bar, longitude along the horizontal one.
constexpr int kLatitudeMinimum = -90, kLatitudeMaximum = 90, kLatitudeStart = 0;
constexpr int kLongitudeMinimum = 1, kLongitudeMaximum = 360, kLongitudeStart = 180;

constexpr int kChartWindowStyle =
    StyleCaption | StyleSystemMenu | StyleSizable | StyleMaximiseBox | StyleMinimiseBox;

} // namespace

// The chart window is the main window.
WindowRef ChartWindow() { return MainWindow(); }

void PlaceScrollBars(WindowRef window) {
    ScrollAreas areas = GetScrollAreas(window);
    MoveItem(window, kVerticalScrollBar, areas.vertical);
    MoveItem(window, kHorizontalScrollBar, areas.horizontal);
}

WindowRef CreateChartWindow() {
    WindowRef window = CreateMainWindow(kChartWindowClass, LoadString(kChartTitleString), 0, 0,
                                        1024, 700, false, kChartWindowStyle, 0, ChartWindowHandler);
    if (window == nullptr) return nullptr;
    SetMainMenu(kChartMenu);
    ScrollAreas areas = GetScrollAreas(window);
    CreateScrollBar(window, kVerticalScrollBar, areas.vertical, true, kLatitudeStart,
                    kLatitudeMinimum, kLatitudeMaximum);
    CreateScrollBar(window, kHorizontalScrollBar, areas.horizontal, true, kLongitudeStart,
                    kLongitudeMinimum, kLongitudeMaximum);
    return window;
}

long ChartWindowHandler(int event, WindowRef window, long, long) {
    switch (event) {
    case Resize:
        PlaceScrollBars(window);
        InvalidateWindow(window);
        break;
    case Paint: {
        // The sky before anything is drawn on it.
        Rect client = GetClientRect(window);
        SetPenBrush(RGBColor{0, 0, 0}, 0, true);
        Rectangle(client.left, client.top, client.right, client.bottom);
        break;
    }
    default:
        break;
    }
    return 1;
}
