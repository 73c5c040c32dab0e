#pragma once

// Searching for the dates on which two objects come closest together or
// stand farthest apart, seen from the viewer (angular) or in space
// (physical), and what Computation > Find Configuration remembers between uses.

#include "astro/Types.h"

#include <functional>

struct SkyObject;

struct ConfigurationSearch {
    ObjectID first = 0, second = 0;
    bool maximum = false;  // farthest apart instead of closest together
    bool physical = false; // AU in space instead of degrees on the sky
    double start = 0.0;    // Julian dates; 0: not yet set
    double end = 0.0;
    double step = 1.0; // days
    double cursor = 0.0;
    double foundDate = 0.0, foundSeparation = 0.0;
};
extern ConfigurationSearch gConfiguration;
void setConfigurationDefaults();

struct ConfigurationResult {
    bool found = false;
    bool stopped = false;    // the progress callback said stop
    double date = 0.0;       // the extremum, or where the search stopped
    double separation = 0.0; // radians (angular) or AU (physical)
};

// Called at every date examined with the date and the separation there; a
// false answer stops the search (nothing found, the date where it stopped).
using ConfigurationProgress = std::function<bool(double date, double separation)>;

// From `start` to `end` by `step` days, the first extremum of the separation
// of the two objects, refined by searches of a tenth of the step until the
// step is below 0.001 day. The computation's state is saved and restored
// around it, so that the chart is not disturbed. Objects that don't exist or
// a start after the end find nothing.
ConfigurationResult SearchConfiguration(ObjectID first, ObjectID second, double start, double end,
                                        double step, bool maximum, bool physical,
                                        const ConfigurationProgress& progress = nullptr);

// The separation of the two objects at the computation's present instant.
double ConfigurationSeparation(SkyObject* first, SkyObject* second, bool physical);
