#include "chart/Primitives.h"

#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "chart/Projection.h"
#include "data/Driver.h"
#include "data/Names.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

namespace {

// Twilight by the Sun's geometric altitude: the Sun's upper limb at the
// horizon with standard refraction (-0.83 degrees), then the civil, nautical
// and astronomical depressions of 6, 12 and 18 degrees.
constexpr double kDaytimeAltitude = -0.014486232791599999;
constexpr double kCivilTwilightAltitude = -0.10471975512;
constexpr double kNauticalTwilightAltitude = -0.20943951024;
constexpr double kAstronomicalTwilightAltitude = -0.31415926536;

// A radius this large (pixels) is no longer drawn as a disc.
constexpr double kLargestDiscRadius = 16384.0;
// A sky brighter than this (0 black, 1 white) is drawn on with ink no
// brighter than kInkLuminance.
constexpr double kLightSkyLuminance = 0.5;
constexpr double kInkLuminance = 0.3;

StarScale gScale{50, 550, 100};
int gFontExtraStyle = 0;

// ---------------------------------------------------------------------------
// Star symbols

struct Box {
    int left, top, right, bottom;
};

Box PlainStarBox(int x, int y, int s) {
    if (gDisplayOptions.showLargeStars) return {x - s, y - s, x + s, y + s};
    if (s <= 1) return {x, y, x + 1, y + 1};
    int q = s / 4;
    return {x - q - 1, y - q - 1, x - q - 1 + s, y - q - 1 + s};
}

void DrawPlainStar(int x, int y, int s, Box& box) {
    box = PlainStarBox(x, y, s);
    if (!gDisplayOptions.showLargeStars && s <= 1)
        Pixel(x, y);
    else
        Ellipse(box.left, box.top, box.right, box.bottom);
}

// The variable-star symbol: a disc one size smaller inside a hollow ring two
// pixels larger all round. Returns the ring's box.
Box DrawVariableStar(int x, int y, int s) {
    int v = s - 1;
    Box disc;
    if (gDisplayOptions.showLargeStars) {
        disc = {x - v, y - v, x + v, y + v};
    } else {
        int q = v / 4;
        disc = {x - q - 1, y - q - 1, x - q - 1 + v, y - q - 1 + v};
    }
    Ellipse(disc.left, disc.top, disc.right, disc.bottom);
    Box ring{disc.left - 2, disc.top - 2, disc.right + 2, disc.bottom + 2};
    SetFilled(false);
    Ellipse(ring.left, ring.top, ring.right, ring.bottom);
    SetFilled(true);
    return ring;
}

// The companion's stroke: from the box's bottom-right corner through its
// top-left pixel.
void DrawCompanionLine(const Box& box) {
    Line(box.right, box.bottom, box.left, box.top);
}

// Sine of an apparent radius -> pixels, by the projection's radial law.
int DiscRadius(double s) {
    if (!(s < 1.0)) return 0;
    double a;
    switch (gChartView.projection) {
    case kPlanar:
        a = std::tan(std::asin(s));
        break;
    case kSpherical:
        a = s;
        break;
    case kLambert:
        a = std::tan(std::asin(s) / 2.0);
        break;
    default:
        a = std::asin(s);
        break;
    }
    double r = gFrame.scale * a;
    if (!(r < kLargestDiscRadius) || r < 0.0) return 0;
    return static_cast<int>(r);
}

// Visible, the centre within the area widened by the radius, and above the
// horizon altitude when the mask is on.
ProjectedObject ProjectDisc(const std::int32_t direction[3], int radius) {
    ProjectedObject result;
    ProjectedPoint p = ProjectDirection(direction);
    if (!p.visible) return result;
    if (p.x < gFrame.left - radius || p.x > gFrame.right + radius || p.y < gFrame.top - radius ||
        p.y > gFrame.bottom + radius)
        return result;
    if (gDisplayOptions.showHorizonMask && AltitudeSine(direction) < gFrame.horizonSineFixed30)
        return result;
    result.visible = true;
    result.x = p.x;
    result.y = p.y;
    result.radius = radius;
    return result;
}

} // namespace

// ---------------------------------------------------------------------------
// Star sizes and colours

const StarScale& CurrentStarScale() {
    return gScale;
}

void SetStarScale() {
    // A limit that is no limit leaves that end of the scale where it was.
    if (gDisplayOptions.brightestStarMagnitude != kNoLimit)
        gScale.brightest = gDisplayOptions.brightestStarMagnitude;
    if (gDisplayOptions.faintestStarMagnitude != kNoLimit)
        gScale.faintest = gDisplayOptions.faintestStarMagnitude;
    int step = (static_cast<int>(gScale.faintest) - gScale.brightest) / 5;
    gScale.step = static_cast<std::int16_t>(std::clamp(step, 1, 32767));
}

int StarSize(std::int16_t magnitude) {
    if (magnitude > gScale.faintest) return 1;
    if (magnitude < gScale.brightest) return 6;
    int size = (gScale.faintest - magnitude) / gScale.step + 1;
    // A range narrower than five steps of one hundredth would otherwise give
    // a star at the brightest limit a bigger symbol than one beyond it.
    return std::min(size, 6);
}

RGBColor StarColor(std::int16_t c) {
    auto byte = [](int v) { return static_cast<std::uint8_t>(v); };
    if (c == kNoMagnitude || c == -32768) return {255, 255, 255};
    if (c < -50) return {127, 127, 255};
    if (c < -25) return {127, byte(127 + (c + 50) * 128 / 25), 255};
    if (c < 0) return {byte(127 + (c + 25) * 128 / 25), 255, 255};
    if (c < 100) return {255, 255, byte(127 + (100 - c) * 128 / 100)};
    if (c < 200) return {255, byte(127 + (200 - c) * 128 / 100), 127};
    return {255, 127, 127};
}

// ---------------------------------------------------------------------------
// Projection of objects

ProjectedObject ProjectObject(const SkyObject* object) {
    const DisplayOptions& o = gDisplayOptions;
    if (object == nullptr) return {};
    const int type = object->type;
    if (IsStarType(type)) {
        const auto* star = static_cast<const CatalogObject*>(object);
        if (!o.showStars || star->magnitude > o.faintestStarMagnitude) return {};
        return ProjectDisc(star->apparentDirection, 0);
    }
    if (IsDeepSkyType(type)) {
        const auto* deep = static_cast<const CatalogObject*>(object);
        if (!o.showDeepSkyObjects || deep->magnitude > TypeLimit(type)) return {};
        double s = deep->size * 0.5;
        int radius = s > 0.0 ? DiscRadius(s) : 0; // not a number: a point
        return ProjectDisc(deep->apparentDirection, radius);
    }
    if (IsSolarSystemType(type)) {
        const auto* body = static_cast<const SolarSystemObject*>(object);
        if (!o.showPlanets) return {};
        if (body->magnitude > o.faintestPlanetMagnitude) return {};
        double d = body->distance;
        double bodyRadius = body->elements[kRadius] * o.planetMagnification;
        int radius = 0;
        if (std::isfinite(d) && d > bodyRadius && bodyRadius > 0.0)
            radius = DiscRadius(bodyRadius / d);
        return ProjectDisc(body->apparentDirection, radius);
    }
    return {};
}

// ---------------------------------------------------------------------------
// Colours

namespace {

bool gLightSky = false;

double Luminance(RGBColor c) {
    return (0.299 * c.red + 0.587 * c.green + 0.114 * c.blue) / 255.0;
}

} // namespace

void SetStandardColor(StandardColorKind which, int penWidth, bool filled) {
    if (which == kBackground)
        SetPenBrush(BackgroundColor(), penWidth, filled);
    else
        SetColor(ForegroundColor(), penWidth, filled);
}

void SetColor(RGBColor color, int penWidth, bool filled) {
    SetPenBrush(InkColor(color), penWidth, filled);
}

void SetSkyColor(RGBColor sky) {
    gLightSky = Luminance(sky) > kLightSkyLuminance;
    SetPenBrush(sky, 0, true);
}

RGBColor InkColor(RGBColor color) {
    const double luminance = Luminance(color);
    if (!gLightSky || luminance <= kInkLuminance) return color;
    auto darker = [k = kInkLuminance / luminance](std::uint8_t v) {
        return static_cast<std::uint8_t>(v * k);
    };
    return {darker(color.red), darker(color.green), darker(color.blue)};
}

int SkyColorSlot() {
    if (gViewer.viewerObject != 0) return kNightSkyColor;
    const double h = gInstant.sunAltitude;
    if (h > kDaytimeAltitude) return kDaytimeSkyColor;
    if (h > kCivilTwilightAltitude) return kCivilTwilightColor;
    if (h > kNauticalTwilightAltitude) return kNauticalTwilightColor;
    if (h > kAstronomicalTwilightAltitude) return kAstronomicalTwilightColor;
    return kNightSkyColor;
}

RGBColor SkyFillColor() {
    const DisplayOptions& o = gDisplayOptions;
    if (o.useColor && o.skyBackground == kSkyColor) return o.colors[SkyColorSlot()];
    return BackgroundColor();
}

// ---------------------------------------------------------------------------
// Symbols

void DrawStarSymbol(StarSymbol symbol, int x, int y, int size) {
    Box box;
    switch (symbol) {
    case kPlainStar:
        DrawPlainStar(x, y, size, box);
        break;
    case kMultipleStar:
        DrawPlainStar(x, y, size, box);
        DrawCompanionLine(box);
        break;
    case kVariableStar:
        DrawVariableStar(x, y, size);
        break;
    case kMultipleVariableStar:
        DrawCompanionLine(DrawVariableStar(x, y, size));
        break;
    }
}

void DrawDeepSkySymbol(int type, int x, int y, int radius) {
    int r = std::max(radius, type == kTypeDiffuseNebula ? 4 : 3);
    SetFilled(false);
    switch (type) {
    case kTypeOpenCluster:
        Ellipse(x - r, y - r, x + r + 1, y + r + 1);
        break;
    case kTypeGlobularCluster:
        Ellipse(x - r, y - r, x + r + 1, y + r + 1);
        Line(x, y - r, x, y + r);
        Line(x - r, y, x + r, y);
        break;
    case kTypeDiffuseNebula: {
        const Point diamond[4] = {{x, y - r}, {x + r, y}, {x, y + r}, {x - r, y}};
        Polygon(diamond, 4);
        break;
    }
    case kTypePlanetaryNebula:
        Ellipse(x - r, y - r, x + r + 1, y + r + 1);
        Line(x, y - r, x, y - 2 * r);
        Line(x - r, y, x - 2 * r, y);
        Line(x + r, y, x + 2 * r, y);
        Line(x, y + r, x, y + 2 * r);
        break;
    case kTypeGalaxy: {
        int half = r / 2;
        Ellipse(x - r, y - half - 1, x + r + 1, y + half + 2);
        break;
    }
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Labels

std::string ObjectLabelText(const SkyObject* object) {
    if (object == nullptr) return {};
    if (const CatalogObject* catalog = AsCatalog(object)) {
        if (catalog->name) return catalog->name.get();
        if (catalog->identifiers && catalog->identifierCount > 0)
            return formatIdentifier(catalog->identifiers[0]);
        return {};
    }
    return DisplayName(object);
}

int ObjectLabelGap(const SkyObject* object, int radius) {
    int d = IsStarType(object->type) ? 0 : radius;
    if (object->type == kTypeDiffuseNebula)
        d = radius * 7 / 10;
    else if (object->type == kTypeGalaxy)
        d = radius * 2 / 3;
    if (d > 0) d = d * 7 / 10;
    return d + 3;
}

void DrawObjectLabel(const SkyObject* object, int x, int y, int radius) {
    if (object == nullptr) return;
    const std::string text = ObjectLabelText(object);
    if (text.empty()) return;
    const int gap = ObjectLabelGap(object, radius);
    DrawLabel(text.c_str(), 0, x + gap, y - gap);
}

namespace {

// Writes (draw) or only measures a label with its bottom at y; returns its
// width, and in *rise how far above y its highest piece reaches.
int LayOutLabel(const char* text, int length, int x, int y, bool draw, int* rise) {
    *rise = 0;
    if (text == nullptr) return 0;
    std::size_t n = std::strlen(text);
    if (length > 0)
        n = std::min(n, static_cast<std::size_t>(length));
    else if (const char* semicolon = std::strchr(text, ';'))
        n = static_cast<std::size_t>(semicolon - text);
    if (n == 0) return 0;

    const int start = x;
    const char* p = text;
    const char* end = text + n;
    int width = 0, height = 0;
    auto piece = [&](const std::string& s, int raise) {
        TextExtent(s, &width, &height);
        if (draw) Text(x, y - height - raise, s);
        *rise = std::max(*rise, height + raise);
        x += width;
    };
    if (*p == '$') {
        ++p;
        if (p < end) {
            // The Greek letter, in the symbol font at the chart font's size and style.
            const DisplayOptions& o = gDisplayOptions;
            SelectFont("Symbol", o.fontSize, o.fontStyle | gFontExtraStyle);
            piece(std::string(1, *p++), 0);
            SelectChartFont(gFontExtraStyle);
            if (p < end && std::isdigit(static_cast<unsigned char>(*p))) {
                TextExtent(std::string(1, *p), &width, &height);
                piece(std::string(1, *p++), height / 2);
            }
        }
    }
    if (p < end) piece(std::string(p, end), 0);
    return x - start;
}

} // namespace

void DrawLabel(const char* text, int length, int x, int y) {
    int rise = 0;
    LayOutLabel(text, length, x, y, true, &rise);
}

void LabelExtent(const char* text, int length, int* width, int* height) {
    *width = LayOutLabel(text, length, 0, 0, false, height);
}

void SelectChartFont(int extraStyle) {
    gFontExtraStyle = extraStyle;
    SelectFont(gDisplayOptions.fontFace, gDisplayOptions.fontSize,
               gDisplayOptions.fontStyle | extraStyle);
}
