#pragma once

// The projection frame: the chart view turned, before each drawing, into a
// matrix with fixed-point copies, a pixel rectangle and a scale, and the
// forward and inverse projections between J2000 directions and pixels.
//
// Directions come as unit vectors in the J2000 equatorial frame, either as
// doubles or as three signed 32-bit components scaled by 2^30.

#include "astro/Vectors.h"
#include "shell/Platform.h"

#include <cstdint>

constexpr std::int32_t kUnitFixed30 = 1073741824; // 1.0 as 2^30
constexpr std::int32_t kUnitFixed15 = 32768;      // 1.0 as 2^15

struct ProjectionFrame {
    // J2000 -> chart coordinates: X toward the centre (depth), Y toward the
    // left edge, Z toward the top edge.
    Matrix3 matrix;
    std::int32_t matrixFixed15[3][3]; // x 32768, truncated
    std::int32_t matrixFixed30[3][3]; // x 2^30, truncated
    // The local zenith (J2000) and sin(horizon altitude), with fixed-point copies.
    Vector3 zenith;
    std::int32_t zenithFixed15[3];
    std::int32_t zenithFixed30[3];
    double horizonSine;
    std::int32_t horizonSineFixed15;
    std::int32_t horizonSineFixed30;
    // The drawing area (the legend band excluded) and its centre, pixels.
    std::int16_t left, top, right, bottom;
    std::int16_t centerX, centerY;
    std::int32_t scale;             // pixels per projected unit, truncated
    double inverseScale;            // projected units per pixel
    std::int32_t inverseScaleFixed; // inverseScale x 2^30, truncated
    std::int32_t depthLimit;        // 2^30 units
    std::int16_t projection;        // the projection the frame was prepared for
    std::int16_t coordinateSystem;  // the frame code the matrix starts from
    // inverseScale x 2^30 untruncated: the divisor of the high-magnification
    // path, where the truncated copy would be only a few units.
    double fixedUnitsPerPixel;
};

extern ProjectionFrame gFrame;

// From this many pixels per projected unit on (fields of a degree or two and
// less), directions are turned into chart coordinates in double precision.
constexpr std::int32_t kHighMagnificationScale = 32768;

// Depth limits, 2^30 units: just in front of the centre's plane for Planar
// and Spherical, nearly the antipode for Lambert, everything for the
// cylindrical projections.
constexpr std::int32_t kPlanarDepthLimit = -1073741;
constexpr std::int32_t kLambertDepthLimit = -1063004405;
constexpr std::int32_t kWholeSphereDepthLimit = -1073741824;

// The telescope's stay-centred mode, installed by the telescope code: while
// it answers true with the mount's J2000 right ascension and declination
// (radians), every drawing centres the chart there. nullptr: no telescope.
using TelescopeCenterQuery = bool (*)(double* rightAscension, double* declination);
void setTelescopeCenterQuery(TelescopeCenterQuery query);

// Rebuilds gFrame from gChartView, the computation driver's instant and the
// display options for the drawing area `rect`, less a legend band of
// `legendHeight` pixels along its bottom (0 when no legend is shown).
void PrepareChartFrame(const Rect& rect, int legendHeight);

struct ProjectedPoint {
    std::int32_t x = 0, y = 0; // pixels
    std::int32_t depth = 0;    // X, 2^30 units
    bool visible = false;      // not the zero vector and depth >= depthLimit
};

ProjectedPoint ProjectDirection(const std::int32_t v[3]);
// The same for a direction given as doubles (scaled to 2^30 and truncated).
ProjectedPoint ProjectVector(const Vector3& v);

// Visible, inside the drawing area (bounds included) and, with the horizon
// mask on, not below the horizon altitude.
bool PointInChart(const std::int32_t v[3]);

// sin(altitude) of a direction, 2^30 units, from the x 32768 zenith copy.
std::int32_t AltitudeSine(const std::int32_t v[3]);

// The J2000 unit vector under a pixel; false off the sky (outside the
// Spherical disc or the Mollweide ellipse).
bool UnprojectPoint(int x, int y, Vector3& direction);
