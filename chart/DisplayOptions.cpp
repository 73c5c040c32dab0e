#include "chart/DisplayOptions.h"

DisplayOptions gDisplayOptions;

namespace {

constexpr double kDegree = 0.01745329252;
constexpr RGBColor kRed{255, 0, 0};
constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kWhite{255, 255, 255};

} // namespace

void setDisplayOptionsDefaults() {
    DisplayOptions& o = gDisplayOptions;
    o.showStars = true;
    o.showStarColors = true;
    o.showLargeStars = false;
    o.showMultipleStars = false;
    o.showVariableStars = false;
    o.showPlanets = true;
    o.showPlanetSymbols = true;
    o.showPlanetGrids = true;
    o.planetMagnification = 1.0;
    o.showDeepSkyObjects = true;
    o.showConstellations = true;
    o.showConstellationFigures = true;
    o.showConstellationBoundaries = true;
    o.showConstellationLabels = true;
    o.showChartLegend = true;
    o.showObjectLabels = false;
    o.showGridLines = false;
    o.showHorizonMask = true;
    o.showMouseCoordinates = false;
    o.showChartControls = true;
    o.showGridLabels = true;
    o.showEquator = false;
    o.showEcliptic = false;
    o.showGalacticEquator = false;
    o.showHorizonLine = true;
    o.showRADecGrid = true;
    o.gridRAInterval = 15.0 * kDegree;
    o.gridDecInterval = 10.0 * kDegree;
    o.gridSegmentsPerCircle = 72;
    o.brightestStarMagnitude = 50;
    o.faintestStarMagnitude = 550;
    o.faintestStarLabelMagnitude = 350;
    o.faintestPlanetMagnitude = 850;
    o.faintestPlanetLabelMagnitude = 850;
    o.faintestDeepSkyLabelMagnitude = 1050;
    for (std::int16_t& limit : o.typeLimits)
        limit = 0;
    SetTypeLimit(61, 650);
    SetTypeLimit(62, 750);
    SetTypeLimit(63, 950);
    SetTypeLimit(64, 950);
    SetTypeLimit(65, 950);
    o.automaticMagnitudeLimits = true;
    o.useColor = true;
    o.redScreen = false;
    o.skyBackground = kSkyBlack;
    for (RGBColor& c : o.colors)
        c = kBlack;
    o.colors[kStarLabelColor] = {191, 191, 191};
    o.colors[kPlanetLabelColor] = {255, 255, 255};
    o.colors[kDeepSkyColor] = {191, 191, 191};
    o.colors[kFigureColor] = {0, 255, 0};
    o.colors[kBoundaryColor] = {0, 127, 0};
    o.colors[kGridColor] = {191, 191, 191};
    o.colors[kEquatorColor] = {255, 255, 255};
    o.colors[kEclipticColor] = {255, 255, 0};
    o.colors[kGalacticEquatorColor] = {0, 0, 255};
    o.colors[kHorizonColor] = {255, 0, 0};
    o.colors[kDaytimeSkyColor] = {127, 255, 255};
    o.colors[kCivilTwilightColor] = {0, 0, 255};
    o.colors[kNauticalTwilightColor] = {0, 0, 127};
    o.colors[kAstronomicalTwilightColor] = {0, 0, 63};
    o.colors[kNightSkyColor] = {0, 0, 0};
    o.fontFace = "Arial";
    o.fontSize = 14;
    o.fontStyle = 0;
}

std::int16_t TypeLimit(int type) {
    if (type < kFirstTypeLimit || type > kLastTypeLimit) return kNoLimit;
    return gDisplayOptions.typeLimits[type - kFirstTypeLimit];
}

void SetTypeLimit(int type, std::int16_t limit) {
    if (type < kFirstTypeLimit || type > kLastTypeLimit) return;
    gDisplayOptions.typeLimits[type - kFirstTypeLimit] = limit;
}

RGBColor BackgroundColor() {
    if (gDisplayOptions.skyBackground == kSkyWhite) return gDisplayOptions.redScreen ? kRed : kWhite;
    return kBlack;
}

RGBColor ForegroundColor() {
    if (gDisplayOptions.skyBackground == kSkyWhite) return kBlack;
    return gDisplayOptions.redScreen ? kRed : kWhite;
}
