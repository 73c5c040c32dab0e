#pragma once

// What the chart shows and how: layers, symbols, magnitude limits, colours
// and the chart font. One program-wide record; the Draw menu, the Symbols &
// Grids dialog and the settings file edit it.

#include "shell/Platform.h"

#include <cstdint>
#include <string>

// A magnitude limit that is no limit (shown as an empty field).
constexpr std::int16_t kNoLimit = 32767;

enum SkyBackground : std::int16_t {
    kSkyBlack = 1,
    kSkyWhite = 2,
    kSkyColor = 3,
};

// Colour slots, numbered as the items of the Custom Colors menu (4, 7 and 13
// are separators; their slots are never used).
enum ColorSlot : int {
    kStarLabelColor = 1,
    kPlanetLabelColor = 2,
    kDeepSkyColor = 3,
    kFigureColor = 5,
    kBoundaryColor = 6,
    kGridColor = 8,
    kEquatorColor = 9,
    kEclipticColor = 10,
    kGalacticEquatorColor = 11,
    kHorizonColor = 12,
    kDaytimeSkyColor = 14,
    kCivilTwilightColor = 15,
    kNauticalTwilightColor = 16,
    kAstronomicalTwilightColor = 17,
    kNightSkyColor = 18,
};
constexpr int kColorSlots = 19;  // slot 0 unused, 1 to 18

constexpr int kFirstTypeLimit = 51;
constexpr int kLastTypeLimit = 65;

struct DisplayOptions {
    bool showStars;
    bool showStarColors;
    bool showLargeStars;
    bool showMultipleStars;
    bool showVariableStars;
    bool showPlanets;
    bool showPlanetSymbols;  // false: small bodies drawn as stars
    bool showPlanetGrids;
    double planetMagnification;
    bool showDeepSkyObjects;
    bool showConstellations;
    bool showConstellationFigures;
    bool showConstellationBoundaries;
    bool showConstellationLabels;
    bool showChartLegend;
    bool showObjectLabels;
    bool showGridLines;
    bool showHorizonMask;
    bool showMouseCoordinates;
    bool showChartControls;
    bool showGridLabels;
    bool showEquator;
    bool showEcliptic;
    bool showGalacticEquator;
    bool showHorizonLine;
    bool showRADecGrid;
    double gridRAInterval;   // radians
    double gridDecInterval;  // radians
    std::int16_t gridSegmentsPerCircle;
    // Magnitudes in hundredths; kNoLimit for none.
    std::int16_t brightestStarMagnitude;
    std::int16_t faintestStarMagnitude;
    std::int16_t faintestStarLabelMagnitude;
    std::int16_t faintestPlanetMagnitude;
    std::int16_t faintestPlanetLabelMagnitude;
    std::int16_t faintestDeepSkyLabelMagnitude;
    std::int16_t typeLimits[kLastTypeLimit - kFirstTypeLimit + 1];  // by type code 51 to 65
    bool automaticMagnitudeLimits;
    bool useColor;
    bool redScreen;
    std::int16_t skyBackground;
    RGBColor colors[kColorSlots];
    std::string fontFace;
    int fontSize;
    int fontStyle;
};

extern DisplayOptions gDisplayOptions;

void setDisplayOptionsDefaults();

// The magnitude limit of a type (51 to 65); any other type reads kNoLimit
// and is not written.
std::int16_t TypeLimit(int type);
void SetTypeLimit(int type, std::int16_t limit);

// The standard colours: background black (white with a white sky, red when
// that sky is on a red screen); foreground white (black on a white sky, red
// on a red screen otherwise).
RGBColor BackgroundColor();
RGBColor ForegroundColor();
