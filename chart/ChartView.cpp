#include "chart/ChartView.h"

ChartView gChartView;

void setChartViewDefaults() {
    gChartView.coordinateSystem = kHorizon;
    gChartView.projection = kLambert;
    gChartView.centeredObject = 0;
    gChartView.centerLongitude = 0.0;
    gChartView.centerLatitude = 0.7853981634;  // 45 degrees
    gChartView.fieldRotation = 0.0;
    gChartView.fieldWidth = 3.1415926536;  // 180 degrees
    gChartView.invertedHorizontally = false;
    gChartView.invertedVertically = false;
    gChartView.zoomFactor = 2.0;
    gChartView.scrollRate = 36.0;
}
