#pragma once

// The drawing primitives every chart layer shares: colours, star sizes and
// colours, the star and deep-sky symbols, labels in the chart font, the sky
// colour, and the projection of an object with its apparent size.

#include "data/SkyObject.h"
#include "shell/Platform.h"

#include <cstdint>
#include <string>

// Set at every drawing from the brightest and faintest star limits.
struct StarScale {
    std::int16_t brightest; // hundredths
    std::int16_t faintest;
    std::int16_t step; // at least 1
};
const StarScale& CurrentStarScale();
void SetStarScale();
// Symbol size 1 to 6 of a star of magnitude m (hundredths).
int StarSize(std::int16_t magnitude);

// Visible position and radius (pixels) of an object under the display
// options, or visible = false.
struct ProjectedObject {
    bool visible = false;
    int x = 0, y = 0;
    int radius = 0;
};
ProjectedObject ProjectObject(const SkyObject* object);

enum StandardColorKind : int { kForeground = 0, kBackground = 1 };
// Select pen, brush and text colour (pen width 0: no outline; not filled: a
// hollow brush).
// On a light sky (see SetSkyColor) every colour set here that would not stand
// out is darkened, its hue kept as a tint, so that white stars, yellow labels
// and green lines stay readable on a white or daylight chart.
void SetStandardColor(StandardColorKind which, int penWidth, bool filled);
void SetColor(RGBColor color, int penWidth, bool filled);
// Fills with the sky's own colour (no outline), and notes whether the sky is
// light for the colours set after it.
void SetSkyColor(RGBColor sky);
// The colour SetColor draws `color` with over the sky last set.
RGBColor InkColor(RGBColor color);

// Colour of a star by its B-V index (hundredths; 32767 none and -32768
// unknown both give white).
RGBColor StarColor(std::int16_t colorIndex);

// Star symbols at (x, y) of size s (1 to 6) in the current colour.
enum StarSymbol : int {
    kPlainStar = 0,
    kMultipleStar = 1,
    kVariableStar = 2,
    kMultipleVariableStar = 3
};
void DrawStarSymbol(StarSymbol symbol, int x, int y, int size);
// Deep-sky symbols (types 61 to 65) of projected radius r, hollow.
void DrawDeepSkySymbol(int type, int x, int y, int radius);

// The label rule: the object's name, else its first catalogue designation;
// drawn at (x + d + 3, y - d - 3) with d from the type and radius, in the
// current text colour (the caller chooses it).
void DrawObjectLabel(const SkyObject* object, int x, int y, int radius);
// Its two halves: the text (empty: no label) and d + 3, how far the label
// keeps off the object's centre each way.
std::string ObjectLabelText(const SkyObject* object);
int ObjectLabelGap(const SkyObject* object, int radius);
// Label text with its bottom at y ('$' + letter: Greek, a digit after it a
// superscript). length 0: up to the first ';' or the end.
void DrawLabel(const char* text, int length, int x, int y);
// The size DrawLabel's text covers in the current font: its width, and its
// height above the bottom (a raised digit included).
void LabelExtent(const char* text, int length, int* width, int* height);

// The sky colour slot for the Sun's altitude (night unless on the Earth).
int SkyColorSlot();
// The colour the sky is filled with: the slot's colour when colours are used
// and the sky background is Color, else the background colour.
RGBColor SkyFillColor();

// The chart font of the display options, selected into the current surface,
// with extra style bits (bold, italic) added. DrawLabel returns to the font
// last selected here after a Greek letter.
void SelectChartFont(int extraStyle = 0);
