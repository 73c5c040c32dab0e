#pragma once

// Overlays: the shared line primitive, coordinate circles, grids, the
// horizon with its compass points, constellation figures and boundaries,
// and the legend band.

#include "shell/Platform.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

void MoveToDirection(const std::int32_t v[3]);
// Draws from the line cursor to v (clipped to the drawing area, the
// projection's valid region and the horizon mask) and makes v the cursor.
struct LineResult {
    bool drawn = false;
    // Pixel positions of both ends: as drawn (clipped, shortened at the
    // horizon) when something was drawn, else as projected.
    Point start, end;
    bool startDrawable = false; // the cursor's end was drawable
    bool endDrawable = false;   // the new end is drawable (not cut at the horizon)
};
LineResult LineToDirection(const std::int32_t v[3]);

enum CircleKind : int { kLatitudeCircle = 0, kMeridian = 1 };
// A circle of constant latitude (kind 0, longitude from start over extent)
// or a meridian (kind 1, latitude from start over extent) of the frame (frame
// code 1 to 4), labelled where it leaves the drawing area when grid labels
// are on (label may be empty).
void DrawCoordinateCircle(int kind, double fixedAngle, double start, double extent, int segments,
                          int frame, const std::string& label);

void DrawGrids();
void DrawHorizon();
// Claims the places of the compass points that this chart's horizon will
// write, as it begins, so that no other label takes them.
void ReserveCompassPoints();
int DrawConstellations();
void DrawLegend(const Rect& rect);
// 4 x the chart font's line height + 1.
int LegendHeight();
// The legend band the chart keeps free: LegendHeight() when the legend is shown, else 0.
int ChartLegendHeight();
// Fills a rectangle with the current sky colour (behind labels and readouts).
void FillWithSkyColor(const Rect& rect);
// Writes text with its top-left at (x, y), moved left and up so it ends
// inside the drawing area.
void PlaceText(const std::string& text, int x, int y);

// Clips the segment (x0, y0)-(x1, y1) to the box, bounds included. False
// when nothing of it lies inside; otherwise the ends are moved onto the box.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double left, double top,
                 double right, double bottom);

// The grid's declination circles for an interval (radians): -90 degrees +
// interval, + 2 x interval, ... short of the north pole (the poles are not
// circles). Nothing for an interval that is not positive; intervals finer
// than one arcminute count as one arcminute.
std::vector<double> GridDeclinations(double interval);
// The grid's meridians: 0, interval, ... short of a full turn. Nothing for an
// interval that is not positive; finer than one minute of time counts as one.
std::vector<double> GridRightAscensions(double interval);

// The texts of the grid labels and of the legend.
// Declination circle label, "+20°" or "-35° 30'" (radians in).
std::string FormatDeclinationLabel(double declination);
// Meridian label, " 3h" or " 1h 30m" (radians in).
std::string FormatRightAscensionLabel(double rightAscension);
// The viewer's distance from the object it views from (AU in): "... Mpc from",
// "... pc from", "... AU from" or "... km from".
std::string FormatViewerDistance(double distance);
// A site longitude or latitude (radians) as degrees, minutes and whole
// seconds followed by the letter for its sign: "12° 30' 00\" E".
std::string FormatSiteAngle(double angle, char positive, char negative);
// The field width (radians) as degrees, minutes and whole seconds.
std::string FormatFieldWidth(double width);
// The local time "hh:mm:ss" and date "year/mm/dd" of a Julian date.
void FormatLocalTime(double jd, double timeZone, std::int16_t calendar, std::string& time,
                     std::string& date);
// The six magnitudes (hundredths) the legend samples, brightest last:
// B + 5s, B + 4s, ..., B with s = (F - B) / 5.
std::array<std::int16_t, 6> LegendMagnitudes(std::int16_t brightest, std::int16_t faintest);
