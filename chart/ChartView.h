#pragma once

#include "astro/Types.h"

#include <cstdint>

// Which part of the sky the chart shows and how.

enum CoordinateSystem : std::int16_t {
    kEquatorial = 1,
    kEcliptic = 2,
    kGalactic = 3,
    kHorizon = 4,
};

enum Projection : std::int16_t {
    kPlanar = 1,
    kSpherical = 2,
    kLambert = 3,
    kMercator = 4,
    kMollweide = 5,
};

struct ChartView {
    std::int16_t coordinateSystem;
    std::int16_t projection;
    ObjectID centeredObject;
    double centerLongitude;  // radians, in coordinateSystem
    double centerLatitude;   // radians
    double fieldRotation;    // radians
    double fieldWidth;       // radians, 1 arcsecond to 360 degrees
    bool invertedHorizontally;
    bool invertedVertically;
    double zoomFactor;
    double scrollRate;  // a scroll-bar arrow step is 1/scrollRate of the field width
};

extern ChartView gChartView;

void setChartViewDefaults();

// Field limits in radians: one arcsecond and a full turn.
constexpr double kMinimumFieldWidth = 4.848136812202333e-6;
constexpr double kMaximumFieldWidth = 6.283185307;

// The fixed fields of the View menu, items 13 to 26: 360, 270, 180, 90, 45,
// 15, 5 and 1 degrees, then 1/2, 1/6, 1/20, 1/60, 1/120 and 1/360 of a degree.
constexpr int kFirstFixedFieldItem = 13;
constexpr int kFixedFieldCount = 14;
constexpr double kFixedFieldWidths[kFixedFieldCount] = {
    6.2831853072,          4.7123889804,           3.1415926536,           1.5707963268,
    0.7853981634,          0.2617993878,           0.0872664626,           0.01745329252,
    0.00872664626,         0.0029088820866666667,  0.000872664626,         0.0002908882086666667,
    0.00014544410433333334, 4.848136811111111e-5,
};

// A fixed field is checked in the menu while the field is within one
// arcsecond of it.
constexpr double kFieldCheckTolerance = 4.848136812202333e-6;

// The widest field each projection can show: Planar, Spherical, Lambert.
constexpr double kPlanarFieldLimit = 2.3561944905;
constexpr double kSphericalFieldLimit = 3.141592664;
constexpr double kLambertFieldLimit = 4.712388981;
