#include "chart/DrawCommands.h"

#include "astro/CoordinateText.h"
#include "chart/ChartWindow.h"
#include "chart/DisplayOptions.h"
#include "chart/Render.h"
#include "chart/ViewCommands.h"
#include "shell/Platform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>

namespace {

constexpr int kDrawMenu = 260;
constexpr int kSkyBackgroundMenu = 41;
constexpr int kCustomColorsMenu = 42;

// Draw menu items.
enum DrawItem : int {
    kStarsItem = 1,
    kPlanetsItem = 2,
    kDeepSkyItem = 3,
    kConstellationsItem = 4,
    kLegendItem = 5,
    kLabelsItem = 6,
    kGridLinesItem = 7,
    kHorizonMaskItem = 8,
    kMouseCoordinatesItem = 9,
    kScrollBarsItem = 10,
    kSymbolsAndGridsItem = 12,
    kFainterItem = 13,
    kBrighterItem = 14,
    kAutomaticLimitsItem = 15,
    kUseColorItem = 19,
    kRedScreenItem = 20,
    kChartFontItem = 22,
};

constexpr int kOneMagnitude = 100; // hundredths

// Symbols & Grids controls.
enum SymbolsControl : int {
    kShowStars = 3,
    kShowStarColors = 4,
    kShowLargeStars = 5,
    kShowMultipleStars = 6,
    kShowVariableStars = 7,
    kBrightestStar = 9,
    kFaintestStar = 11,
    kStarLabels = 13,
    kShowPlanets = 14,
    kShowPlanetGrids = 15,
    kPlanetsAsStars = 18,
    kPlanetsAsSymbols = 19,
    kMagnification = 21,
    kFaintestPlanet = 23,
    kPlanetLabels = 25,
    kShowConstellations = 26,
    kShowFigures = 27,
    kShowBoundaries = 28,
    kShowConstellationLabels = 29,
    kShowDeepSky = 30,
    kFirstTypeLimitField = 32, // 32, 34, 36, 38, 40 for types 61 to 65
    kDeepSkyLabels = 42,
    kShowGridLines = 43,
    kShowEquator = 44,
    kShowEcliptic = 45,
    kShowGalacticEquator = 46,
    kShowHorizonLine = 47,
    kShowRADecGrid = 48,
    kRAInterval = 50,
    kDecInterval = 52,
    kSegments = 54,
    kShowGridLabels = 55,
};

constexpr double kRadiansPerHour = 0.26179938781323336;
constexpr double kRadiansPerDegree = 0.01745329252;
// The finest grids: one minute of right ascension, one arcminute of declination.
constexpr double kOneMinuteOfRA = 0.004363323130220556;
constexpr double kOneArcminute = 0.0002908882086813704;
// A meridian is drawn with half the circle's segments, so a circle needs two.
constexpr int kFewestSegments = 2;
constexpr double kDecimalSlack = 1e-6;

void Rerender() {
    RenderChart();
    ShowChart();
    RefreshMenuState();
}

void Toggle(bool& flag) {
    flag = !flag;
}

// ---------------------------------------------------------------------------
// Symbols & Grids dialog

struct CheckField {
    int control;
    bool DisplayOptions::*field;
};

constexpr CheckField kCheckFields[] = {
    {kShowStars, &DisplayOptions::showStars},
    {kShowStarColors, &DisplayOptions::showStarColors},
    {kShowLargeStars, &DisplayOptions::showLargeStars},
    {kShowMultipleStars, &DisplayOptions::showMultipleStars},
    {kShowVariableStars, &DisplayOptions::showVariableStars},
    {kShowPlanets, &DisplayOptions::showPlanets},
    {kShowPlanetGrids, &DisplayOptions::showPlanetGrids},
    {kShowConstellations, &DisplayOptions::showConstellations},
    {kShowFigures, &DisplayOptions::showConstellationFigures},
    {kShowBoundaries, &DisplayOptions::showConstellationBoundaries},
    {kShowConstellationLabels, &DisplayOptions::showConstellationLabels},
    {kShowDeepSky, &DisplayOptions::showDeepSkyObjects},
    {kShowGridLines, &DisplayOptions::showGridLines},
    {kShowEquator, &DisplayOptions::showEquator},
    {kShowEcliptic, &DisplayOptions::showEcliptic},
    {kShowGalacticEquator, &DisplayOptions::showGalacticEquator},
    {kShowHorizonLine, &DisplayOptions::showHorizonLine},
    {kShowRADecGrid, &DisplayOptions::showRADecGrid},
    {kShowGridLabels, &DisplayOptions::showGridLabels},
};

// Limit fields that read back as "no limit" when blank.
struct LimitField {
    int control;
    std::int16_t DisplayOptions::*field;
    const char* name;
};

constexpr LimitField kLimitFields[] = {
    {kStarLabels, &DisplayOptions::faintestStarLabelMagnitude, "star label magnitude"},
    {kFaintestPlanet, &DisplayOptions::faintestPlanetMagnitude, "faintest planet magnitude"},
    {kPlanetLabels, &DisplayOptions::faintestPlanetLabelMagnitude, "planet label magnitude"},
    {kDeepSkyLabels, &DisplayOptions::faintestDeepSkyLabelMagnitude, "deep-sky label magnitude"},
};

constexpr const char* kTypeLimitNames[] = {"open cluster magnitude", "globular cluster magnitude",
                                           "diffuse nebula magnitude", "planetary nebula magnitude",
                                           "galaxy magnitude"};
constexpr double kMagnitudeRange = 30.0; // fainter or brighter than anything charted
constexpr const char* kMagnitudeWanted = "a magnitude from -30 to 30";

int TypeLimitControl(int type) {
    return kFirstTypeLimitField + 2 * (type - 61);
}

std::string MagnitudeText(std::int16_t magnitude) {
    if (magnitude == kNoLimit) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", magnitude / 100.0);
    return text;
}

// A whole unit and sixtieths ("%02hd %02.0f"), the sixtieths carried into the
// unit when they would round to 60.
std::string UnitsAndSixtieths(double units) {
    double whole = std::trunc(units);
    double sixtieths = (units - whole) * 60.0;
    if (sixtieths >= 59.5) {
        whole += 1.0;
        sixtieths = 0.0;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%02hd %02.0f",
                  static_cast<short>(std::clamp(whole, -32768.0, 32767.0)), sixtieths);
    return text;
}

// A magnitude in hundredths, kept inside 16 bits and off the two reserved
// values; a typed "6.3" is 630, not the 629.999... its binary form gives.
std::int16_t Hundredths(double magnitude) {
    double hundredths = magnitude * 100.0;
    hundredths += hundredths >= 0.0 ? kDecimalSlack : -kDecimalSlack;
    return static_cast<std::int16_t>(std::clamp(hundredths, -32767.0, 32766.0));
}

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

// A limit field: blank is "no limit", anything else must be a magnitude.
bool ReadLimit(WindowRef dialog, int control, const char* name, std::int16_t& limit) {
    if (IsBlank(GetItemText(dialog, control))) {
        limit = kNoLimit;
        return true;
    }
    double value = 0.0;
    if (!ReadField(dialog, control, name, 1, -kMagnitudeRange, kMagnitudeRange, kMagnitudeWanted,
                   value))
        return false;
    limit = Hundredths(value);
    return true;
}

// A star limit that can't be read keeps its old value, and the user is told.
void ReadStarLimit(WindowRef dialog, int control, const char* name, std::int16_t& magnitude) {
    std::string text = GetItemText(dialog, control);
    double value = 0.0;
    if (ReadSexagesimal(text, 1, value) && std::abs(value) <= kMagnitudeRange) {
        magnitude = Hundredths(value);
        return;
    }
    std::string kept = "the old value " + MagnitudeText(magnitude) + " is kept";
    ShowMessage(ButtonsOK, kItemReplacedString, name, text.c_str(), kept.c_str());
}

// An interval of units and sixtieths ("%02hd %02.0f"); one that is not
// positive gives way to the smallest interval, and the user is told.
double ReadInterval(WindowRef dialog, int control, const char* name, double unit, double smallest,
                    const char* smallestText) {
    std::string text = GetItemText(dialog, control);
    double value = 0.0;
    if (ReadSexagesimal(text, 2, value) && value > 0.0) return value * unit;
    ShowMessage(ButtonsOK, kItemReplacedString, name, text.c_str(), smallestText);
    return smallest;
}

void FillSymbolsAndGrids(WindowRef dialog) {
    const DisplayOptions& o = gDisplayOptions;
    for (const CheckField& check : kCheckFields)
        SetItemValue(dialog, check.control, o.*check.field ? 1 : 0);
    CheckRadio(dialog, kPlanetsAsStars, kPlanetsAsSymbols,
               o.showPlanetSymbols ? kPlanetsAsSymbols : kPlanetsAsStars);

    SetItemText(dialog, kBrightestStar, MagnitudeText(o.brightestStarMagnitude));
    SetItemText(dialog, kFaintestStar, MagnitudeText(o.faintestStarMagnitude));
    for (const LimitField& limit : kLimitFields)
        SetItemText(dialog, limit.control, MagnitudeText(o.*limit.field));
    for (int type = 61; type <= 65; ++type)
        SetItemText(dialog, TypeLimitControl(type), MagnitudeText(TypeLimit(type)));

    char text[64];
    std::snprintf(text, sizeof text, "%.0f", o.planetMagnification);
    SetItemText(dialog, kMagnification, text);
    SetItemText(dialog, kRAInterval, UnitsAndSixtieths(o.gridRAInterval / kRadiansPerHour));
    SetItemText(dialog, kDecInterval, UnitsAndSixtieths(o.gridDecInterval / kRadiansPerDegree));
    std::snprintf(text, sizeof text, "%hd", o.gridSegmentsPerCircle);
    SetItemText(dialog, kSegments, text);
}

// Reads the dialog back; false, with the field refused and nothing changed,
// when a limit, the magnification or the segments can't be used.
bool ReadSymbolsAndGrids(WindowRef dialog) {
    DisplayOptions& o = gDisplayOptions;
    std::int16_t limits[std::size(kLimitFields)], typeLimits[5];
    for (std::size_t i = 0; i < std::size(kLimitFields); ++i)
        if (!ReadLimit(dialog, kLimitFields[i].control, kLimitFields[i].name, limits[i]))
            return false;
    for (int type = 61; type <= 65; ++type)
        if (!ReadLimit(dialog, TypeLimitControl(type), kTypeLimitNames[type - 61],
                       typeLimits[type - 61]))
            return false;
    // A magnification that is no positive number would turn discs inside out.
    double magnification = 0.0, segments = 0.0;
    if (!ReadField(dialog, kMagnification, "planet magnification", 1, 0.01, 10000.0,
                   "a number from 0.01 to 10000", magnification) ||
        !ReadField(dialog, kSegments, "segments per circle", 1, kFewestSegments, 3600.0,
                   "a whole number from 2 to 3600", segments))
        return false;
    if (segments != std::floor(segments)) {
        RefuseItem(dialog, kSegments, "segments per circle", "a whole number from 2 to 3600");
        return false;
    }

    for (const CheckField& check : kCheckFields)
        o.*check.field = GetItemValue(dialog, check.control) != 0;
    o.showPlanetSymbols = GetItemValue(dialog, kPlanetsAsSymbols) != 0;
    ReadStarLimit(dialog, kBrightestStar, "brightest star magnitude", o.brightestStarMagnitude);
    ReadStarLimit(dialog, kFaintestStar, "faintest star magnitude", o.faintestStarMagnitude);
    for (std::size_t i = 0; i < std::size(kLimitFields); ++i)
        o.*kLimitFields[i].field = limits[i];
    for (int type = 61; type <= 65; ++type)
        SetTypeLimit(type, typeLimits[type - 61]);
    o.planetMagnification = magnification;
    o.gridSegmentsPerCircle = static_cast<std::int16_t>(segments);
    o.gridRAInterval = ReadInterval(dialog, kRAInterval, "R.A. grid interval", kRadiansPerHour,
                                    kOneMinuteOfRA, "one minute of right ascension is used");
    o.gridDecInterval = ReadInterval(dialog, kDecInterval, "Dec. grid interval", kRadiansPerDegree,
                                     kOneArcminute, "one arcminute is used");
    return true;
}

long SymbolsAndGridsHandler(int event, WindowRef dialog, long a, long) {
    switch (event) {
    case Create:
        FillSymbolsAndGrids(dialog);
        break;
    case ControlNotify:
        // Check boxes and the radio pair change themselves when clicked.
        if (a == kOKButton) {
            if (ReadSymbolsAndGrids(dialog)) EndDialogResult(kOKButton);
        } else if (a == kCancelButton) {
            EndDialogResult(kCancelButton);
        }
        break;
    default:
        break;
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Menus

bool HandlesDrawItem(int item) {
    return (item >= kStarsItem && item <= kScrollBarsItem) ||
           (item >= kSymbolsAndGridsItem && item <= kAutomaticLimitsItem) ||
           item == kUseColorItem || item == kRedScreenItem || item == kChartFontItem;
}

bool HandlesColorItem(int item) {
    return item >= 1 && item <= 18 && item != 4 && item != 7 && item != 13;
}

void DrawCommand(int item) {
    DisplayOptions& o = gDisplayOptions;
    switch (item) {
    case kStarsItem:
        Toggle(o.showStars);
        break;
    case kPlanetsItem:
        Toggle(o.showPlanets);
        break;
    case kDeepSkyItem:
        Toggle(o.showDeepSkyObjects);
        break;
    case kConstellationsItem:
        Toggle(o.showConstellations);
        break;
    case kLegendItem:
        Toggle(o.showChartLegend);
        break;
    case kLabelsItem:
        Toggle(o.showObjectLabels);
        break;
    case kGridLinesItem:
        Toggle(o.showGridLines);
        break;
    case kHorizonMaskItem:
        Toggle(o.showHorizonMask);
        break;
    case kMouseCoordinatesItem:
        Toggle(o.showMouseCoordinates);
        ShowChart();
        RefreshMenuState();
        return;
    case kScrollBarsItem:
        Toggle(o.showChartControls);
        RenderChart();
        UpdateScrollBars();
        RefreshMenuState();
        InvalidateWindow(ChartWindow());
        return;
    case kSymbolsAndGridsItem:
        if (RunSymbolsAndGridsDialog()) {
            RenderChart();
            UpdateScrollBars();
            RefreshMenuState();
            InvalidateWindow(ChartWindow());
        }
        return;
    case kFainterItem:
    case kBrighterItem:
        AdjustMagnitudeLimits(item == kFainterItem ? kOneMagnitude : -kOneMagnitude);
        RenderChart();
        ShowChart();
        return;
    case kAutomaticLimitsItem:
        Toggle(o.automaticMagnitudeLimits);
        RefreshMenuState();
        return;
    case kUseColorItem:
        Toggle(o.useColor);
        break;
    case kRedScreenItem:
        Toggle(o.redScreen);
        break;
    case kChartFontItem: {
        std::string face = o.fontFace;
        int size = o.fontSize, style = o.fontStyle;
        if (!ChooseFont(face, size, style)) return;
        o.fontFace = face;
        o.fontSize = size;
        o.fontStyle = style;
        RenderChart();
        ShowChart();
        return;
    }
    default:
        return;
    }
    Rerender();
}

} // namespace

int DrawMenuCommand(int menu, int item) {
    if (!DrawMenuHandles(menu, item)) return 1;
    DisplayOptions& o = gDisplayOptions;
    switch (menu) {
    case kDrawMenu:
        DrawCommand(item);
        break;
    case kSkyBackgroundMenu:
        o.skyBackground = static_cast<std::int16_t>(item);
        Rerender();
        break;
    case kCustomColorsMenu: {
        RGBColor color = o.colors[item];
        if (ChooseColor(color)) {
            o.colors[item] = color;
            RenderChart();
            ShowChart();
        }
        break;
    }
    default:
        break;
    }
    return 1;
}

bool DrawMenuHandles(int menu, int item) {
    switch (menu) {
    case kDrawMenu:
        return HandlesDrawItem(item);
    case kSkyBackgroundMenu:
        return item >= kSkyBlack && item <= kSkyColor;
    case kCustomColorsMenu:
        return HandlesColorItem(item);
    default:
        return false;
    }
}

bool RunSymbolsAndGridsDialog() {
    return RunDialog(kSymbolsAndGridsTemplate, 0, SymbolsAndGridsHandler) == kOKButton;
}
