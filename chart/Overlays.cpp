#include "chart/Overlays.h"

#include "astro/ComputationOptions.h"
#include "astro/CoordinateText.h"
#include "astro/Frames.h"
#include "astro/TimeScales.h"
#include "astro/Vectors.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "chart/Labels.h"
#include "chart/Primitives.h"
#include "chart/Projection.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "data/SkyObject.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

constexpr double kFixed30 = 1073741824.0; // 2^30
constexpr double kFixed15 = 32768.0;      // 2^15
constexpr double kHoursPerRadian = 3.819718634;
constexpr double kCompassStep = 0.7853981635; // 45 degrees
constexpr double kKilometresPerAU = 149597870.0;
constexpr double kParsecsPerAU = 4.848136812202333e-6;
constexpr double kMegaparsecsPerAU = 4.848136812202333e-12;
// A grid circle closer than this to a pole (or a meridian this close to a
// full turn) is the pole itself or 0h again, piled up from rounding in the
// interval; half an arcsecond is far below the finest interval (1').
constexpr double kGridMargin = 2.4e-6;
// The finest intervals the Symbols & Grids dialog accepts: one minute of
// right ascension and one arcminute. Finer values (from a hand-edited
// settings file) would take millions of circles.
constexpr double kFinestRAInterval = 0.004363323130220556;
constexpr double kFinestDecInterval = 0.0002908882086813704;
// The legend's texts are kept in buffers of this size (the terminating
// null included).
constexpr std::size_t kLegendTextSize = 32;

const char* const kCompassPoints[8] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};

// ---------------------------------------------------------------------------
// The line cursor

struct LineEnd {
    std::int32_t v[3] = {0, 0, 0};
    ProjectedPoint p;
    std::int32_t altitudeSine = 0;
    bool drawable = false;
};

LineEnd gCursor;

bool InsideArea(const ProjectedPoint& p) {
    return p.x >= gFrame.left && p.x <= gFrame.right && p.y >= gFrame.top && p.y <= gFrame.bottom;
}

LineEnd MakeLineEnd(const std::int32_t v[3]) {
    LineEnd end;
    for (int i = 0; i < 3; ++i)
        end.v[i] = v[i];
    end.p = ProjectDirection(v);
    end.altitudeSine = AltitudeSine(v);
    end.drawable =
        end.p.visible && InsideArea(end.p) &&
        (!gDisplayOptions.showHorizonMask || end.altitudeSine >= gFrame.horizonSineFixed30);
    return end;
}

std::int32_t ToFixed30(double value) {
    double scaled = std::round(value * kFixed30);
    if (scaled > 2147483647.0) return 2147483647;
    if (scaled < -2147483648.0) return -2147483647 - 1;
    return static_cast<std::int32_t>(scaled);
}

// The point of the chord from a to b (2^30 units) at parameter t, as a unit
// direction in 2^30 units.
void ChordPoint(const std::int32_t a[3], const std::int32_t b[3], double t, std::int32_t out[3]) {
    double p[3];
    for (int i = 0; i < 3; ++i)
        p[i] = (a[i] + t * (static_cast<double>(b[i]) - a[i])) / kFixed30;
    double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    if (length <= 0.0) length = 1.0;
    for (int i = 0; i < 3; ++i)
        out[i] = ToFixed30(p[i] / length);
}

// The direction between `below` and `above` (on the chord joining them) at
// which the altitude equals the horizon altitude. The altitude along the
// chord rises or falls monotonically through the crossing (the arc between
// two directions is at most half a turn), so halving the interval finds it.
void HorizonCrossing(const std::int32_t below[3], const std::int32_t above[3],
                     std::int32_t out[3]) {
    auto excess = [&](double t) {
        double p[3];
        for (int i = 0; i < 3; ++i)
            p[i] = below[i] + t * (static_cast<double>(above[i]) - below[i]);
        double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        if (length <= 0.0) return -1.0;
        return (p[0] * gFrame.zenith[0] + p[1] * gFrame.zenith[1] + p[2] * gFrame.zenith[2]) /
                   length -
               gFrame.horizonSine;
    };
    double low = 0.0, high = 1.0;
    for (int i = 0; i < 48; ++i) {
        double middle = 0.5 * (low + high);
        if (excess(middle) < 0.0)
            low = middle;
        else
            high = middle;
    }
    // The upper end of the bracket: the point is on or just above the horizon.
    ChordPoint(below, above, high, out);
}

Point ToPoint(std::int32_t x, std::int32_t y) {
    return Point{x, y};
}

// Draws one piece clipped to the drawing area; false when nothing of it is inside.
bool DrawClipped(double x0, double y0, double x1, double y1, Point& from, Point& to) {
    if (!ClipSegment(x0, y0, x1, y1, gFrame.left, gFrame.top, gFrame.right, gFrame.bottom))
        return false;
    auto pixel = [](double value, int low, int high) {
        long rounded = std::lround(value);
        return static_cast<int>(std::clamp<long>(rounded, low, high));
    };
    from = {pixel(x0, gFrame.left, gFrame.right), pixel(y0, gFrame.top, gFrame.bottom)};
    to = {pixel(x1, gFrame.left, gFrame.right), pixel(y1, gFrame.top, gFrame.bottom)};
    Line(from.x, from.y, to.x, to.y);
    return true;
}

// The chart-frame Y (toward the left edge) of a direction, 2^30 units.
double ChartY(const std::int32_t v[3]) {
    return gFrame.matrix[1][0] * v[0] + gFrame.matrix[1][1] * v[1] + gFrame.matrix[1][2] * v[2];
}
double ChartX(const std::int32_t v[3]) {
    return gFrame.matrix[0][0] * v[0] + gFrame.matrix[0][1] * v[1] + gFrame.matrix[0][2] * v[2];
}

// Draws a segment between two projected ends by the projection's rules.
void DrawSegment(const LineEnd& a, const LineEnd& b, LineResult& result) {
    if (!a.p.visible || !b.p.visible) return;
    const int projection = gFrame.projection;
    switch (projection) {
    case kPlanar:
        // Behind the tangent plane the central projection turns points over.
        if (a.p.depth < 1 || b.p.depth < 1) return;
        break;
    case kSpherical:
    case kLambert:
        if (a.p.depth <= gFrame.depthLimit || b.p.depth <= gFrame.depthLimit) return;
        break;
    default:
        break;
    }
    Point from, to;
    if (projection == kMercator || projection == kMollweide) {
        // The cylindrical charts cut the sky along the meridian behind their
        // centre; a segment crossing it there would be drawn across the whole
        // chart, so it is drawn as two pieces that end on either edge.
        const bool aLeft = a.p.x < gFrame.centerX, bLeft = b.p.x < gFrame.centerX;
        if (aLeft != bLeft) {
            double ya = ChartY(a.v), yb = ChartY(b.v);
            double t = ya == yb ? 0.5 : ya / (ya - yb);
            t = std::clamp(t, 0.0, 1.0);
            double xa = ChartX(a.v), xb = ChartX(b.v);
            if (xa + t * (xb - xa) < 0.0) {
                std::int32_t seam[3];
                ChordPoint(a.v, b.v, t, seam);
                ProjectedPoint s = ProjectDirection(seam);
                double reach = std::fabs(static_cast<double>(s.x) - gFrame.centerX);
                double seamA = aLeft ? gFrame.centerX - reach : gFrame.centerX + reach;
                double seamB = bLeft ? gFrame.centerX - reach : gFrame.centerX + reach;
                Point p0, p1, p2, p3;
                bool first = DrawClipped(a.p.x, a.p.y, seamA, s.y, p0, p1);
                bool second = DrawClipped(seamB, s.y, b.p.x, b.p.y, p2, p3);
                if (first) result.start = p0, result.end = p1;
                if (second) {
                    if (!first) result.start = p2;
                    result.end = p3;
                }
                if (first || second) result.drawn = true;
                return;
            }
        }
    }
    if (DrawClipped(a.p.x, a.p.y, b.p.x, b.p.y, from, to)) {
        result.drawn = true;
        result.start = from;
        result.end = to;
    }
}

void SetOverlayColor(int slot) {
    if (gDisplayOptions.useColor)
        SetColor(gDisplayOptions.colors[slot], 1, false);
    else
        SetStandardColor(kForeground, 1, false);
}

// A fixed-point (x 32768) copy of a frame matrix, transposed: it carries
// frame coordinates back to J2000.
bool TransposedFixed15(int frame, std::int32_t out[3][3]) {
    const Matrix3* m = FrameMatrix(gInstant.frames, frame);
    if (m == nullptr) return false;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            out[i][j] = static_cast<std::int32_t>((*m)[j][i] * kFixed15);
    return true;
}

std::int32_t ClampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// ---------------------------------------------------------------------------
// Legend texts, loaded once.

enum LegendText : int {
    kTextViewedFrom = 0,
    kTextLocalTime,
    kTextFieldOfView,
    kTextMagnitudes,
    kTextDeepSkyObjects,
    kTextSingleStar,
    kTextMultipleStar,
    kTextVariableStar,
    kTextOpenCluster,
    kTextGlobularCluster,
    kTextDiffuseNebula,
    kTextPlanetaryNebula,
    kTextGalaxy,
    kTextLegendTextCount
};

const std::string& LegendString(int which) {
    static std::string texts[kTextLegendTextCount];
    static bool loaded = false;
    if (!loaded) {
        const int numbers[kTextLegendTextCount] = {2048,
                                                   2049,
                                                   2050,
                                                   2051,
                                                   2052,
                                                   kTypeNameStringBase + kTypeSingleStar,
                                                   kTypeNameStringBase + kTypeMultipleStar,
                                                   kTypeNameStringBase + kTypeVariableStar,
                                                   kTypeNameStringBase + kTypeOpenCluster,
                                                   kTypeNameStringBase + kTypeGlobularCluster,
                                                   kTypeNameStringBase + kTypeDiffuseNebula,
                                                   kTypeNameStringBase + kTypePlanetaryNebula,
                                                   kTypeNameStringBase + kTypeGalaxy};
        for (int i = 0; i < kTextLegendTextCount; ++i) {
            texts[i] = LoadString(numbers[i]);
            // The legend keeps each text in a small fixed buffer.
            if (texts[i].size() > kLegendTextSize - 1) texts[i].resize(kLegendTextSize - 1);
        }
        loaded = true;
    }
    return texts[which];
}

int TextWidth(const std::string& text) {
    int width = 0, height = 0;
    TextExtent(text, &width, &height);
    return width;
}

// Whole seconds of an angle in degrees, rounded before splitting so that
// 59.7" carries into the minutes instead of showing as 60.
struct WholeDMS {
    long degrees;
    int minutes;
    int seconds;
};
WholeDMS SplitWholeSeconds(double degrees) {
    double total = std::round(std::fabs(degrees) * 3600.0);
    if (!(total < 1e15)) total = 0.0; // not a number or absurd
    long seconds = static_cast<long>(total);
    return WholeDMS{seconds / 3600, static_cast<int>(seconds / 60 % 60),
                    static_cast<int>(seconds % 60)};
}

// The cache of the legend's line height per chart font.
struct LegendMeasure {
    std::string face;
    int size = 0;
    int style = 0;
    int lineHeight = 0;
};
LegendMeasure gLegendMeasure;

int ChartLineHeight() {
    int width = 0, height = 0;
    TextExtent("A", &width, &height);
    return height;
}

} // namespace

// ---------------------------------------------------------------------------
// The line primitive

bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double left, double top,
                 double right, double bottom) {
    // Liang-Barsky: the parameter range of the segment inside each of the
    // four half-planes, intersected.
    double dx = x1 - x0, dy = y1 - y0;
    double enter = 0.0, leave = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        double r = q[i] / p[i];
        if (p[i] < 0.0) {
            if (r > leave) return false;
            enter = std::max(enter, r);
        } else {
            if (r < enter) return false;
            leave = std::min(leave, r);
        }
    }
    double nx0 = x0 + enter * dx, ny0 = y0 + enter * dy;
    double nx1 = x0 + leave * dx, ny1 = y0 + leave * dy;
    // Ends that were inside stay exactly where they were.
    if (enter > 0.0) x0 = std::clamp(nx0, left, right), y0 = std::clamp(ny0, top, bottom);
    if (leave < 1.0) x1 = std::clamp(nx1, left, right), y1 = std::clamp(ny1, top, bottom);
    return true;
}

void MoveToDirection(const std::int32_t v[3]) {
    gCursor = MakeLineEnd(v);
}

LineResult LineToDirection(const std::int32_t v[3]) {
    LineEnd next = MakeLineEnd(v);
    LineResult result;
    result.startDrawable = gCursor.drawable;
    result.endDrawable = next.drawable;
    result.start = ToPoint(gCursor.p.x, gCursor.p.y);
    result.end = ToPoint(next.p.x, next.p.y);

    LineEnd a = gCursor, b = next;
    bool draw = true;
    if (gDisplayOptions.showHorizonMask) {
        const std::int32_t horizon = gFrame.horizonSineFixed30;
        const bool aBelow = a.altitudeSine < horizon, bBelow = b.altitudeSine < horizon;
        if (aBelow && bBelow) {
            draw = false;
        } else if (aBelow) {
            std::int32_t crossing[3];
            HorizonCrossing(a.v, b.v, crossing);
            a = MakeLineEnd(crossing);
        } else if (bBelow) {
            std::int32_t crossing[3];
            HorizonCrossing(b.v, a.v, crossing);
            b = MakeLineEnd(crossing);
        }
    }
    if (draw) DrawSegment(a, b, result);
    // The cursor keeps the new end as it is, not as it was cut.
    gCursor = next;
    return result;
}

// ---------------------------------------------------------------------------
// Circles, grids and the horizon

namespace {

// The arc of a circle being traced: its vertices as drawn, and whether each
// end is one where a label may go (where the arc leaves the drawing area or
// is cut at the horizon). Kept from circle to circle for their room.
struct Arc {
    std::vector<Point> points;
    bool firstOpen = false, lastOpen = false;
};
Arc gArc, gLeadingArc;
// While the R.A./Dec. grid is drawn: its numbers are read against the chart's
// edge, so they are not moved out along their lines as a circle's name is.
bool gGridNumbers = false;

// The point `distance` pixels from an end of an arc toward its next vertex
// (and on past it, along the same line, when the vertex is nearer).
Point AlongArc(Point end, Point next, int distance) {
    const double dx = next.x - end.x, dy = next.y - end.y, length = std::hypot(dx, dy);
    if (!(length > 0.0)) return end;
    return {end.x + static_cast<int>(std::lround(dx / length * distance)),
            end.y + static_cast<int>(std::lround(dy / length * distance))};
}

// One label for an arc with an open end: with its top-left at the end (its
// first, else its last), or when that place is taken, above or left of it;
// failing those, the same a label's length in along the arc from an open
// end, clear of the edge and of whatever label or compass point sits there;
// failing those (a named circle), beside any vertex of the arc. Every place
// is moved inside the drawing area.
void LabelArc(const Arc& arc, const std::string& label) {
    const std::vector<Point>& points = arc.points;
    const std::size_t n = points.size();
    if (n < 2 || !(arc.firstOpen || arc.lastOpen)) return;
    if (!ChartLabelsActive()) {
        const Point p = arc.firstOpen ? points.front() : points.back();
        PlaceText(label, p.x, p.y);
        return;
    }
    int w = 0, h = 0;
    TextExtent(label, &w, &h);
    auto nearPoint = [&](Point p) {
        const Point places[4] = {{p.x, p.y}, {p.x, p.y - h}, {p.x - w, p.y}, {p.x - w, p.y - h}};
        for (Point at : places) {
            at.x = std::clamp(at.x, gFrame.left + 1, gFrame.right - 1 - w);
            at.y = std::clamp(at.y, gFrame.top + 1, gFrame.bottom - 1 - h);
            if (!ClaimLabel(Rect{at.x, at.y, at.x + w, at.y + h}, label)) continue;
            PlaceText(label, at.x, at.y);
            return true;
        }
        return false;
    };
    if (arc.firstOpen && nearPoint(points.front())) return;
    if (arc.lastOpen && nearPoint(points.back())) return;
    if (arc.firstOpen && nearPoint(AlongArc(points.front(), points[1], w + h))) return;
    if (arc.lastOpen && nearPoint(AlongArc(points.back(), points[n - 2], w + h))) return;
    for (std::size_t i = 1; i + 1 < n && !gGridNumbers; ++i)
        if (nearPoint(points[i])) return;
}

} // namespace

void DrawCoordinateCircle(int kind, double fixedAngle, double start, double extent, int segments,
                          int frame, const std::string& label) {
    if (segments < 1) return;
    std::int32_t back[3][3];
    if (!TransposedFixed15(frame, back)) return;
    const double step = extent / segments;
    const bool labels = gDisplayOptions.showGridLabels && !label.empty();
    // A full circle whose start is on the chart runs on through its end: its
    // first arc and its last are one, labelled once.
    const bool closed = std::fabs(extent) >= kTwoPi - kGridMargin;
    bool inArc = false, arcLeads = false, leadingHeld = false;
    auto finish = [&] {
        if (arcLeads) {
            std::swap(gArc, gLeadingArc);
            leadingHeld = true;
        } else {
            LabelArc(gArc, label);
        }
        inArc = arcLeads = false;
    };
    // The fixed angle's cosine and sine stay the same along the circle.
    const std::int32_t fixedCos =
        static_cast<std::int32_t>(std::lround(std::cos(fixedAngle) * kFixed15));
    const std::int32_t fixedSin =
        static_cast<std::int32_t>(std::lround(std::sin(fixedAngle) * kFixed15));
    for (int i = 0; i <= segments; ++i) {
        // Each point is turned from the start on its own (rather than
        // rotating the previous one), so that the truncations of the
        // 15-bit arithmetic do not pile up and open the circle.
        const double angle = start + i * step;
        const std::int32_t c = static_cast<std::int32_t>(std::lround(std::cos(angle) * kFixed15));
        const std::int32_t s = static_cast<std::int32_t>(std::lround(std::sin(angle) * kFixed15));
        std::int32_t local[3];
        if (kind == kMeridian) {
            // Latitude `angle` on the meridian at longitude fixedAngle.
            local[0] = (c * fixedCos) >> 15;
            local[1] = (c * fixedSin) >> 15;
            local[2] = s;
        } else {
            // Longitude `angle` on the circle of latitude fixedAngle.
            local[0] = (fixedCos * c) >> 15;
            local[1] = (fixedCos * s) >> 15;
            local[2] = fixedSin;
        }
        std::int32_t v[3];
        for (int r = 0; r < 3; ++r)
            v[r] = ClampToInt32(static_cast<std::int64_t>(back[r][0]) * local[0] +
                                static_cast<std::int64_t>(back[r][1]) * local[1] +
                                static_cast<std::int64_t>(back[r][2]) * local[2]);
        if (i == 0) {
            MoveToDirection(v);
            continue;
        }
        LineResult line = LineToDirection(v);
        if (!labels) continue;
        if (!line.drawn) {
            if (inArc) finish();
            continue;
        }
        if (!inArc || !line.startDrawable) {
            if (inArc) finish();
            gArc.points.clear();
            gArc.points.push_back(line.start);
            gArc.firstOpen = !line.startDrawable;
            arcLeads = closed && i == 1 && line.startDrawable;
            inArc = true;
        }
        gArc.points.push_back(line.end);
        gArc.lastOpen = !line.endDrawable;
        if (gArc.lastOpen) finish();
    }
    if (inArc && leadingHeld) {
        // The leading arc starts where this one ends.
        const std::vector<Point>& rest = gLeadingArc.points;
        gArc.points.insert(gArc.points.end(), rest.begin() + 1, rest.end());
        gArc.lastOpen = gLeadingArc.lastOpen;
        LabelArc(gArc, label);
    } else {
        if (inArc) LabelArc(gArc, label);
        if (leadingHeld) LabelArc(gLeadingArc, label);
    }
}

std::vector<double> GridDeclinations(double interval) {
    std::vector<double> circles;
    // A settings file may hold any interval: nothing is drawn for one that is
    // not positive, and finer ones are held at the finest the dialog takes.
    if (!(interval > 0.0)) return circles;
    interval = std::max(interval, kFinestDecInterval);
    for (int k = 1;; ++k) {
        const double declination = -kHalfPi + k * interval;
        if (declination >= kHalfPi - kGridMargin) break;
        circles.push_back(declination);
    }
    return circles;
}

std::vector<double> GridRightAscensions(double interval) {
    std::vector<double> meridians;
    if (!(interval > 0.0)) return meridians;
    interval = std::max(interval, kFinestRAInterval);
    for (int k = 0;; ++k) {
        const double rightAscension = k * interval;
        if (rightAscension >= kTwoPi - kGridMargin) break;
        meridians.push_back(rightAscension);
    }
    return meridians;
}

void DrawGrids() {
    const DisplayOptions& o = gDisplayOptions;
    if (!o.showGridLines) return;
    const int segments = o.gridSegmentsPerCircle;
    if (o.showRADecGrid) {
        gGridNumbers = true;
        SetOverlayColor(kGridColor);
        for (double declination : GridDeclinations(o.gridDecInterval))
            DrawCoordinateCircle(kLatitudeCircle, declination, 0.0, kTwoPi, segments,
                                 kFrameEquatorial, FormatDeclinationLabel(declination));
        for (double rightAscension : GridRightAscensions(o.gridRAInterval))
            DrawCoordinateCircle(kMeridian, rightAscension, -kHalfPi, kPi, segments / 2,
                                 kFrameEquatorial, FormatRightAscensionLabel(rightAscension));
        gGridNumbers = false;
    }
    if (o.showEquator) {
        SetOverlayColor(kEquatorColor);
        DrawCoordinateCircle(kLatitudeCircle, 0.0, 0.0, kTwoPi, segments, kFrameEquatorial,
                             "Equator");
    }
    if (o.showEcliptic) {
        SetOverlayColor(kEclipticColor);
        DrawCoordinateCircle(kLatitudeCircle, 0.0, 0.0, kTwoPi, segments, kFrameEcliptic,
                             "Ecliptic");
    }
    if (o.showGalacticEquator) {
        SetOverlayColor(kGalacticEquatorColor);
        DrawCoordinateCircle(kLatitudeCircle, 0.0, 0.0, kTwoPi, segments, kFrameGalactic,
                             "Galactic Equator");
    }
    if (o.showHorizonLine) DrawHorizon();
}

namespace {

// The box of compass point k (0 north, 2 east, ...) centred on its place on
// the horizon, moved inside the drawing area while a chart is drawn; false
// when the place is off the chart.
bool CompassBox(int k, Rect& box) {
    const double altitude = gComputationOptions.horizonAltitude;
    const Matrix3& m = gInstant.frames.horizon;
    // The compass point in the horizon frame (x north, y east), then back to
    // J2000 with the transpose.
    const double azimuth = k * kCompassStep;
    const double local[3] = {std::cos(altitude) * std::cos(azimuth),
                             std::cos(altitude) * std::sin(azimuth), std::sin(altitude)};
    std::int32_t v[3];
    for (int r = 0; r < 3; ++r)
        v[r] = ToFixed30(m[0][r] * local[0] + m[1][r] * local[1] + m[2][r] * local[2]);
    // The horizon is on the mask's edge (see DrawHorizon).
    DisplayOptions& o = gDisplayOptions;
    const bool mask = o.showHorizonMask;
    o.showHorizonMask = false;
    const bool inChart = PointInChart(v);
    o.showHorizonMask = mask;
    if (!inChart) return false;
    const ProjectedPoint p = ProjectDirection(v);
    int w = 0, h = 0;
    TextExtent(kCompassPoints[k], &w, &h);
    int left = p.x - w / 2, top = p.y - h / 2;
    if (ChartLabelsActive()) {
        left = std::clamp(left, gFrame.left + 1, gFrame.right - 1 - w);
        top = std::clamp(top, gFrame.top + 1, gFrame.bottom - 1 - h);
    }
    box = Rect{left, top, left + w, top + h};
    return true;
}

} // namespace

void ReserveCompassPoints() {
    const DisplayOptions& o = gDisplayOptions;
    if (!o.showHorizonLine || !o.showGridLabels || !(o.showGridLines || o.showHorizonMask)) return;
    // The four cardinal points before the four between them.
    for (int k : {0, 2, 4, 6, 1, 3, 5, 7}) {
        Rect box;
        if (CompassBox(k, box)) ClaimLabel(box, kCompassPoints[k]);
    }
}

void DrawHorizon() {
    DisplayOptions& o = gDisplayOptions;
    const double altitude = gComputationOptions.horizonAltitude;
    // The horizon lies exactly on the mask's edge: with the mask on, half of
    // its points would be rounded below it.
    const bool mask = o.showHorizonMask;
    o.showHorizonMask = false;
    SetOverlayColor(kHorizonColor);
    DrawCoordinateCircle(kLatitudeCircle, altitude, 0.0, kTwoPi, o.gridSegmentsPerCircle,
                         kFrameHorizon, "Horizon");
    if (o.showGridLabels) {
        for (int k = 0; k < 8; ++k) {
            Rect box;
            if (!CompassBox(k, box) || !ClaimLabel(box, kCompassPoints[k])) continue;
            FillWithSkyColor(Rect{box.left - 1, box.top - 1, box.right, box.bottom});
            SetOverlayColor(kHorizonColor);
            Text(box.left, box.top, kCompassPoints[k]);
        }
    }
    o.showHorizonMask = mask;
}

// ---------------------------------------------------------------------------
// Constellations

namespace {

// What the endpoint directions of object lines were last refreshed against:
// the data generation and both computation stamps. Any change means an
// endpoint object may have moved.
struct EndpointEpoch {
    std::uint32_t dataGeneration = 0;
    std::uint32_t fixedStamp = 0;
    std::uint32_t solarStamp = 0;
    std::uint32_t count = 0;
};
EndpointEpoch gEndpointEpoch;

std::uint32_t CurrentEndpointEpoch() {
    EndpointEpoch& e = gEndpointEpoch;
    if (e.count == 0 || e.dataGeneration != DataGeneration() ||
        e.fixedStamp != gInstant.fixedStamp || e.solarStamp != gInstant.solarStamp) {
        e.dataGeneration = DataGeneration();
        e.fixedStamp = gInstant.fixedStamp;
        e.solarStamp = gInstant.solarStamp;
        // 0 is never used: a new line starts with stamp 0 and must refresh.
        if (++e.count == 0) e.count = 1;
    }
    return e.count;
}

// Copies the endpoint objects' directions into the line; false when one of
// them is gone (the line is then not drawn).
bool RefreshEndpoints(LineObject* line, std::uint32_t epoch) {
    if (line->endpointObjects[0] == 0 && line->endpointObjects[1] == 0) return true;
    if (line->computeStamp == epoch) return true;
    for (int k = 0; k < 2; ++k) {
        const ObjectID id = line->endpointObjects[k];
        if (id == 0) continue;
        // Each endpoint is finished before the next is looked up: loading the
        // second one's file may unload the first one's.
        SkyObject* end = getObject(id);
        if (end == nullptr) return false;
        EnsureComputed(end);
        if (!ApparentDirection(end, line->endpointPositions[k])) return false;
        if (DatabaseFile* file = getFile(id)) file->lastDrawGeneration = gDrawGeneration;
    }
    line->computeStamp = epoch;
    return true;
}

// A constellation's name goes beside the vertex where its labelled line
// starts. Zoomed in, that vertex is often off the chart: the name then goes
// beside the next vertex of the constellation's figure (the lines that
// follow, up to the next labelled one) that is on the chart and has room,
// and failing all of them in the middle of the first piece of the figure
// drawn across the chart.
struct PendingName {
    const char* text = nullptr; // the name still to be written, or nothing
    bool haveStretch = false;
    Point stretch;
};

constexpr int kNameGap = 3;

bool NameAt(PendingName& name, Point at) {
    if (name.text == nullptr || !PlaceLabelAround(name.text, at.x, at.y, kNameGap, true))
        return false;
    name.text = nullptr;
    return true;
}

void FinishName(PendingName& name) {
    if (name.haveStretch) NameAt(name, name.stretch);
    name = PendingName{};
}

void DrawFileLines(ObjectID fileId, std::uint32_t epoch) {
    const DisplayOptions& o = gDisplayOptions;
    SelectChartFont(FontItalic);
    int currentType = 0;
    bool havePrevious = false;
    std::int32_t previous[3] = {0, 0, 0};
    PendingName name;
    for (ObjectID id = firstObjectInFile(fileId); id != 0; id = nextObjectInFile(id)) {
        DatabaseFile* file = getFile(fileId);
        if (file == nullptr || !isLoaded(file)) break;
        LineObject* line = AsLine(getObject(id));
        const bool wanted =
            line != nullptr && ((line->type == kTypeFigureLine && o.showConstellationFigures) ||
                                (line->type == kTypeBoundaryLine && o.showConstellationBoundaries));
        if (!wanted || !RefreshEndpoints(line, epoch)) {
            havePrevious = false;
            continue;
        }
        const bool labelled = o.showConstellationLabels && line->label && line->label[0] != '\0';
        // A name belongs to the lines of its own kind up to the next name.
        if (labelled || line->type != currentType) FinishName(name);
        if (labelled) name.text = line->label.get();
        if (line->type != currentType) {
            currentType = line->type;
            SetOverlayColor(currentType == kTypeFigureLine ? kFigureColor : kBoundaryColor);
            havePrevious = false;
        }
        const std::int32_t* first = line->endpointPositions[0];
        const std::int32_t* second = line->endpointPositions[1];
        if (!havePrevious || std::memcmp(first, previous, sizeof previous) != 0)
            MoveToDirection(first);
        LineResult drawn = LineToDirection(second);
        std::memcpy(previous, second, sizeof previous);
        havePrevious = true;
        if (name.text == nullptr) continue;
        if (drawn.startDrawable && NameAt(name, drawn.start)) continue;
        if (drawn.drawn && drawn.endDrawable && NameAt(name, drawn.end)) continue;
        if (drawn.drawn && !name.haveStretch) {
            name.stretch = {(drawn.start.x + drawn.end.x) / 2, (drawn.start.y + drawn.end.y) / 2};
            name.haveStretch = true;
        }
    }
    FinishName(name);
    SelectChartFont();
}

} // namespace

int DrawConstellations() {
    const std::uint32_t epoch = CurrentEndpointEpoch();
    for (ObjectID fileId = firstFile(); fileId != 0; fileId = nextFile(fileId)) {
        DatabaseFile* file = getFile(fileId);
        if (file == nullptr || file->lineCount <= 0) continue;
        if (loadFile(fileId) != kStatusSuccess) continue;
        lockFile(fileId);
        DrawFileLines(fileId, epoch);
        unlockFile(fileId);
        if (DatabaseFile* drawn = getFile(fileId)) drawn->lastDrawGeneration = gDrawGeneration;
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Labels and the legend

void FillWithSkyColor(const Rect& rect) {
    SetSkyColor(SkyFillColor());
    Rectangle(rect.left, rect.top, rect.right, rect.bottom);
}

void PlaceText(const std::string& text, int x, int y) {
    int w = 0, h = 0;
    TextExtent(text, &w, &h);
    if (x > gFrame.right - w) x = gFrame.right - w;
    if (y > gFrame.bottom - h) y = gFrame.bottom - h;
    Text(x, y, text);
}

std::string FormatDeclinationLabel(double declination) {
    double degrees = std::fabs(declination) * kDegreesPerRadian;
    double whole = std::trunc(degrees);
    double minutes = (degrees - whole) * 60.0;
    if (minutes >= 59.5) {
        minutes = 0.0;
        whole += 1.0;
    }
    const bool showMinutes = minutes >= 0.5;
    // A circle a rounding error south of the equator is the equator.
    const char sign = declination < 0.0 && (whole > 0.0 || showMinutes) ? '-' : '+';
    const short wholeDegrees = static_cast<short>(whole);
    char text[32];
    if (showMinutes)
        std::snprintf(text, sizeof text, "%c%02hd%c %02.0f'", sign, wholeDegrees, kDegreeSign,
                      minutes);
    else
        std::snprintf(text, sizeof text, "%c%02hd%c", sign, wholeDegrees, kDegreeSign);
    return text;
}

std::string FormatRightAscensionLabel(double rightAscension) {
    double hours = rightAscension * kHoursPerRadian;
    double whole = std::trunc(hours);
    double minutes = (hours - whole) * 60.0;
    if (minutes >= 59.5) {
        minutes = 0.0;
        whole += 1.0;
    }
    if (whole >= 24.0) whole -= 24.0;
    const short wholeHours = static_cast<short>(whole);
    char text[32];
    if (minutes >= 0.5)
        std::snprintf(text, sizeof text, "%2hdh %02.0fm", wholeHours, minutes);
    else
        std::snprintf(text, sizeof text, "%2hdh", wholeHours);
    return text;
}

std::string FormatViewerDistance(double distance) {
    char text[64];
    if (distance >= 1e10)
        std::snprintf(text, sizeof text, "%.2f Mpc from", distance * kMegaparsecsPerAU);
    else if (distance >= 10000.0)
        std::snprintf(text, sizeof text, "%.2f pc from", distance * kParsecsPerAU);
    else if (distance >= 0.1)
        std::snprintf(text, sizeof text, "%.5f AU from", distance);
    else
        std::snprintf(text, sizeof text, "%.0f km from", distance * kKilometresPerAU);
    return text;
}

std::string FormatSiteAngle(double angle, char positive, char negative) {
    const WholeDMS dms = SplitWholeSeconds(angle * kDegreesPerRadian);
    char text[64];
    std::snprintf(text, sizeof text, "%hd%c %02hd' %02.0f\" %c", static_cast<short>(dms.degrees),
                  kDegreeSign, static_cast<short>(dms.minutes), static_cast<double>(dms.seconds),
                  angle >= 0.0 ? positive : negative);
    return text;
}

std::string FormatFieldWidth(double width) {
    const WholeDMS dms = SplitWholeSeconds(width * kDegreesPerRadian);
    char text[64];
    std::snprintf(text, sizeof text, "%d%c %02hd' %02.0f\"", static_cast<int>(dms.degrees),
                  kDegreeSign, static_cast<short>(dms.minutes), static_cast<double>(dms.seconds));
    return text;
}

void FormatLocalTime(double jd, double timeZone, std::int16_t calendar, std::string& time,
                     std::string& date) {
    // The one date-and-time text of the program (which never shows 60
    // seconds), split into its date and its time.
    const std::string text = FormatDateTime(jd, timeZone, calendar);
    const std::size_t blank = text.find(' ');
    date = text.substr(0, blank);
    time = blank == std::string::npos ? std::string() : text.substr(blank + 1);
}

std::array<std::int16_t, 6> LegendMagnitudes(std::int16_t brightest, std::int16_t faintest) {
    const int step = (faintest - brightest) / 5;
    std::array<std::int16_t, 6> samples{};
    for (int i = 0; i < 6; ++i)
        samples[i] = static_cast<std::int16_t>(brightest + (5 - i) * step);
    return samples;
}

int LegendHeight() {
    const DisplayOptions& o = gDisplayOptions;
    LegendMeasure& m = gLegendMeasure;
    if (m.lineHeight == 0 || m.face != o.fontFace || m.size != o.fontSize ||
        m.style != o.fontStyle) {
        // Measured on a scratch picture, so that the font of whatever surface
        // is being drawn on stays as it is.
        PictureRef scratch = CreatePicture(1, 1);
        if (scratch == nullptr) return 0;
        BeginDrawing(SelectPicture(scratch));
        SelectChartFont();
        m.lineHeight = ChartLineHeight();
        EndDrawing();
        DeletePicture(scratch);
        m.face = o.fontFace;
        m.size = o.fontSize;
        m.style = o.fontStyle;
    }
    return 4 * m.lineHeight + 1;
}

int ChartLegendHeight() {
    return gDisplayOptions.showChartLegend ? LegendHeight() : 0;
}

namespace {

// One legend column: its first row in bold, the others plain; returns the
// width of its widest text.
int LegendColumn(int x, const int rows[4], const std::string texts[4]) {
    int widest = 0;
    for (int i = 0; i < 4; ++i) {
        if (texts[i].empty()) continue;
        SelectChartFont(i == 0 ? FontBold : 0);
        widest = std::max(widest, TextWidth(texts[i]));
        Text(x, rows[i], texts[i]);
    }
    SelectChartFont();
    return widest;
}

} // namespace

void DrawLegend(const Rect& rect) {
    const DisplayOptions& o = gDisplayOptions;
    SelectChartFont();
    const int h = ChartLineHeight();
    const int top = rect.bottom - 4 * h - 1;
    // The legend sits on the sky's colour, its text in the ink that suits it.
    SetSkyColor(SkyFillColor());
    Rectangle(rect.left, top, rect.right, rect.bottom);
    SetStandardColor(kForeground, 1, false);
    Rectangle(rect.left, top, rect.right, rect.bottom);
    int rows[4];
    for (int i = 0; i < 4; ++i)
        rows[i] = top + 1 + i * h;

    SetStandardColor(kForeground, 1, true);
    int x = rect.left + 3;

    // Where the sky is seen from.
    {
        std::string texts[4] = {LegendString(kTextViewedFrom)};
        std::string objectName;
        SkyObject* viewer = gViewer.viewerObject != 0 ? getObject(gViewer.viewerObject) : nullptr;
        if (viewer != nullptr) {
            texts[1] = FormatViewerDistance(VectorLength(gViewer.viewerObjectOffset));
            objectName = DisplayName(viewer);
        } else {
            texts[1] = gViewer.siteName;
            texts[2] = FormatSiteAngle(gViewer.longitude, 'E', 'W');
            texts[3] = FormatSiteAngle(gViewer.latitude, 'N', 'S');
        }
        int widest = LegendColumn(x, rows, texts);
        if (!objectName.empty()) {
            DrawLabel(objectName.c_str(), 0, x, rows[2] + h);
            widest = std::max(widest, TextWidth(objectName));
        }
        x += widest + 10;
    }
    // When.
    {
        std::string texts[4] = {LegendString(kTextLocalTime)};
        FormatLocalTime(gViewer.julianDate, ViewerEffectiveTimeZone(), gViewer.calendar, texts[1],
                        texts[2]);
        char jd[48];
        std::snprintf(jd, sizeof jd, "JD %.2f", gViewer.julianDate);
        texts[3] = jd;
        x += LegendColumn(x, rows, texts) + 10;
    }
    // What part of the sky.
    {
        std::string texts[4] = {LegendString(kTextFieldOfView),
                                FormatFieldWidth(gChartView.fieldWidth)};
        FormatCoordinates(gChartView.coordinateSystem, gChartView.centerLongitude,
                          gChartView.centerLatitude, kCoordinateLabelledValues,
                          gComputationOptions.precessionEpoch, texts[2], texts[3]);
        x += LegendColumn(x, rows, texts) + 10;
    }
    // Star symbols by magnitude.
    {
        std::string texts[4] = {LegendString(kTextMagnitudes), LegendString(kTextSingleStar),
                                LegendString(kTextMultipleStar), LegendString(kTextVariableStar)};
        x += LegendColumn(x, rows, texts) + 10;
        const StarScale& scale = CurrentStarScale();
        const std::array<std::int16_t, 6> samples =
            LegendMagnitudes(scale.brightest, scale.faintest);
        const StarSymbol symbols[3] = {kPlainStar, kMultipleStar, kVariableStar};
        for (std::int16_t magnitude : samples) {
            char text[16];
            std::snprintf(text, sizeof text, "%.1f", magnitude / 100.0);
            SelectChartFont(FontBold);
            const int w = TextWidth(text);
            Text(x, rows[0], text);
            const int size = StarSize(magnitude);
            for (int i = 0; i < 3; ++i)
                DrawStarSymbol(symbols[i], x + w / 2, rows[i + 1] + h / 2, size);
            x += w + 5;
        }
        SelectChartFont();
        x += 5;
    }
    // Deep-sky symbols.
    if (o.showDeepSkyObjects) {
        SelectChartFont(FontBold);
        Text(x, rows[0], LegendString(kTextDeepSkyObjects));
        SelectChartFont();
        for (int type = kTypeOpenCluster; type <= kTypeGalaxy; ++type) {
            const std::string name =
                LegendString(kTextOpenCluster + type - kTypeOpenCluster).substr(0, 4);
            const int w = TextWidth(name);
            Text(x, rows[1], name);
            DrawDeepSkySymbol(type, x + w / 2, rows[2] + h / 2, 0);
            x += w + 5;
        }
    }
    SetStandardColor(kForeground, 1, false);
    Rectangle(rect.left, top, rect.right, rect.bottom);
    SelectChartFont();
}
