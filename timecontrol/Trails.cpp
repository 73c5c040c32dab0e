#include "timecontrol/Trails.h"

#include "astro/Frames.h"
#include "astro/TimeScales.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "chart/Labels.h"
#include "chart/Overlays.h"
#include "chart/Primitives.h"
#include "chart/Projection.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "shell/Platform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

TrailTable gTrailTable = {};

namespace {

constexpr double kJ2000 = 2451545.0;
constexpr int kAborted = -8;
// Ticks reach this far above and below a point; a date's label starts this
// far right of and below it.
constexpr int kTickHalfLength = 2;
constexpr int kDateOffset = 3;

bool ValidSlot(int slot) {
    return slot > 0 && slot < kTrailSlots;
}

// The position a body's trail is kept relative to: its primary's, so that a
// satellite's trail loops around its planet. False for a body without one.
bool PrimaryPosition(SkyObject* object, Vector3& position) {
    const auto* body =
        IsSolarSystemType(object->type) ? static_cast<SolarSystemObject*>(object) : nullptr;
    SkyObject* primary = body != nullptr ? getObject(BodyPrimary(body)) : nullptr;
    if (primary == nullptr) return false;
    EnsureComputed(primary);
    return ObjectHeliocentricPosition(primary, position, nullptr);
}

const Matrix3* ChartFrameMatrix() {
    return FrameMatrix(gInstant.frames, gChartView.coordinateSystem);
}

// The J2000 direction at which a recorded point is drawn, now; false when it
// has none (a position in space that was never known).
bool PointDirection(const Trail& trail, const TrailPoint& point, bool havePrimary,
                    const Vector3& primary, std::int32_t fixed[3]) {
    Vector3 v = {point.x, point.y, point.z};
    if (trail.type == kTrailInSpace) {
        // Seen from where the viewer is now, not from where it was.
        if (havePrimary) VectorAdd(v, primary, v);
        VectorSubtract(v, gInstant.viewerPosition, v);
        const double length = VectorLength(v);
        if (!std::isfinite(length) || !(length > 0.0)) return false;
        for (double& c : v)
            c /= length;
    } else if (trail.type == kTrailInCurrentCoordinates) {
        if (const Matrix3* m = ChartFrameMatrix()) UntransformVector(*m, v);
    }
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(v[i])) return false;
        fixed[i] = static_cast<std::int32_t>(
            std::lround(std::clamp(v[i], -1.0, 1.0) * static_cast<double>(kUnitFixed30)));
    }
    return true;
}

// A tick mark and a date label at a drawn point, on the positions they fall to.
void MarkPoint(const Trail& trail, const TrailPoint& point, int i, const std::int32_t fixed[3]) {
    const bool tick =
        trail.ticksInterval > 0 && i % trail.ticksInterval == trail.recorded % trail.ticksInterval;
    const bool date =
        trail.datesInterval > 0 && i % trail.datesInterval == trail.recorded % trail.datesInterval;
    if ((!tick && !date) || !PointInChart(fixed)) return;
    const ProjectedPoint p = ProjectDirection(fixed);
    if (tick) {
        MoveTo(p.x, p.y - kTickHalfLength);
        LineTo(p.x, p.y + kTickHalfLength + 1);
    }
    // Dates crowd where the object turns back: one that would overprint
    // another label moves round its tick or is left out.
    if (date) PlaceLabelAround(TrailDateText(point.time).c_str(), p.x, p.y, kDateOffset, true);
}

void DrawTrail(int slot) {
    Trail& trail = *gTrailTable.slots[slot];
    SkyObject* object = getObject(trail.object);
    if (object == nullptr) {
        DeleteTrail(slot);
        return;
    }
    EnsureComputed(object);
    const DisplayOptions& o = gDisplayOptions;
    if (o.useColor)
        SetColor(o.colors[IsSolarSystemType(object->type) ? kPlanetLabelColor : kStarLabelColor], 1,
                 false);
    else
        SetStandardColor(kForeground, 1, false);

    Vector3 primary = {0.0, 0.0, 0.0};
    const bool havePrimary = trail.type == kTrailInSpace && PrimaryPosition(object, primary);
    bool penDown = false;
    const double distance = ObjectDistance(object);
    if (distance > 0.0) {
        // The path leads from where the object is drawn now.
        Vector3 d;
        ObjectDirection(object, d);
        TrailPoint now = {static_cast<float>(d[0]), static_cast<float>(d[1]),
                          static_cast<float>(d[2]), 0.0f};
        Trail sky = trail;
        sky.type = kTrailInSky;
        std::int32_t fixed[3];
        if (PointDirection(sky, now, false, primary, fixed)) {
            MoveToDirection(fixed);
            penDown = true;
        }
    }
    const std::int32_t n = TrailPointCount(&trail);
    for (std::int32_t i = 0; i < n; ++i) {
        std::int32_t fixed[3];
        if (!PointDirection(trail, trail.points[i], havePrimary, primary, fixed)) {
            penDown = false;
            continue;
        }
        if (penDown)
            LineToDirection(fixed);
        else
            MoveToDirection(fixed);
        penDown = true;
        MarkPoint(trail, trail.points[i], i, fixed);
    }
}

} // namespace

int CreateTrail(ObjectID object, std::int32_t type, std::int32_t maxPoints,
                std::int32_t ticksInterval, std::int32_t datesInterval) {
    if (maxPoints < 1) return 0;
    // One trail per object: a new one replaces the old.
    if (int old = FindTrail(object)) DeleteTrail(old);
    int slot = 1;
    while (slot < kTrailSlots && gTrailTable.slots[slot] != nullptr)
        ++slot;
    if (slot == kTrailSlots) return 0;
    Trail* trail = new (std::nothrow) Trail{};
    if (trail == nullptr) return 0;
    trail->points = new (std::nothrow) TrailPoint[static_cast<std::size_t>(maxPoints)];
    if (trail->points == nullptr) {
        delete trail;
        return 0;
    }
    trail->object = object;
    trail->type = type;
    trail->ticksInterval = ticksInterval;
    trail->datesInterval = datesInterval;
    trail->maxPoints = maxPoints;
    trail->recorded = 0;
    gTrailTable.slots[slot] = trail;
    ++gTrailTable.count;
    return slot;
}

void DeleteTrail(int slot) {
    if (!ValidSlot(slot) || gTrailTable.slots[slot] == nullptr) return;
    delete[] gTrailTable.slots[slot]->points;
    delete gTrailTable.slots[slot];
    gTrailTable.slots[slot] = nullptr;
    --gTrailTable.count;
}

int FindTrail(ObjectID object) {
    for (int slot = FirstTrail(); slot != 0; slot = NextTrail(slot))
        if (gTrailTable.slots[slot]->object == object) return slot;
    return 0;
}

Trail* GetTrail(int slot) {
    return ValidSlot(slot) ? gTrailTable.slots[slot] : nullptr;
}

int FirstTrail() {
    return NextTrail(0);
}

int NextTrail(int slot) {
    for (int next = std::max(slot, 0) + 1; next < kTrailSlots; ++next)
        if (gTrailTable.slots[next] != nullptr) return next;
    return 0;
}

void ResetAllTrails() {
    for (int slot = FirstTrail(); slot != 0; slot = NextTrail(slot))
        gTrailTable.slots[slot]->recorded = 0;
}

void DeleteAllTrails() {
    for (int slot = 1; slot < kTrailSlots; ++slot)
        DeleteTrail(slot);
}

std::int32_t TrailPointCount(const Trail* trail) {
    return trail == nullptr ? 0 : std::min(trail->recorded, trail->maxPoints);
}

void RecordTrailPoint(int slot) {
    Trail* trail = GetTrail(slot);
    if (trail == nullptr) return;
    SkyObject* object = getObject(trail->object);
    if (object == nullptr) {
        DeleteTrail(slot);
        return;
    }
    EnsureComputed(object);
    Vector3 v = {0.0, 0.0, 0.0};
    if (trail->type == kTrailInSpace) {
        // A position never known is kept as such and leaves a gap in the path.
        if (!ObjectHeliocentricPosition(object, v, nullptr))
            v[0] = v[1] = v[2] = std::numeric_limits<double>::infinity();
        Vector3 primary;
        if (PrimaryPosition(object, primary)) VectorSubtract(v, primary, v);
    } else {
        ObjectDirection(object, v);
        if (trail->type == kTrailInCurrentCoordinates)
            if (const Matrix3* m = ChartFrameMatrix()) TransformVector(*m, v);
    }
    if (trail->recorded < INT32_MAX) ++trail->recorded;
    const std::int32_t kept = TrailPointCount(trail);
    std::memmove(trail->points + 1, trail->points,
                 static_cast<std::size_t>(kept - 1) * sizeof(TrailPoint));
    trail->points[0] = {static_cast<float>(v[0]), static_cast<float>(v[1]),
                        static_cast<float>(v[2]), static_cast<float>(gViewer.julianDate - kJ2000)};
}

int DrawTrails() {
    for (int slot = FirstTrail(); slot != 0; slot = NextTrail(slot)) {
        if (IsKeyDown(VKEscape)) return kAborted;
        DrawTrail(slot);
    }
    return 1;
}

std::string TrailDateText(float time) {
    const double jd = static_cast<double>(time) + kJ2000;
    const CalendarDateTime t = CalendarFromJulianDate(
        jd, EffectiveTimeZone(jd, gViewer.timeZone, gViewer.daylightSavings), gViewer.calendar);
    char text[48];
    std::snprintf(text, sizeof text, "%4ld/%02hd/%02.0f", static_cast<long>(t.year), t.month,
                  std::floor(t.day));
    return text;
}
