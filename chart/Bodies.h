#pragma once

// Solar-system bodies on the chart: the list sorted farthest first, and each
// body as an icon, a dot, a star symbol or a disc with its phase, limb,
// surface grid and (Saturn) rings.

#include "data/SkyObject.h"
#include "shell/Platform.h"

#include <vector>

// The body layer of DrawChart; returns the number of bodies drawn.
long DrawSolarSystemBodies();

// Forgets the sorted list (rebuilt at the next drawing).
void InvalidateBodyList();

// A body's colour by type.
RGBColor BodyColor(int type);

// Draws one body at (x, y) with projected radius r (pixels).
void DrawBody(SolarSystemObject* body, int x, int y, int radius);

// The listed bodies, farthest first, rebuilt first when the data generation or
// the store's count of solar-system objects moved since the last build. Empty
// (after the out-of-memory message) when the list could not be allocated.
const std::vector<ObjectID>& BodyList();

// Test hook: the next `count` builds of the list fail as if memory had run out.
void SetBodyListFailuresForTest(int count);
