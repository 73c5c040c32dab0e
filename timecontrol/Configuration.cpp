#include "timecontrol/Configuration.h"

#include "astro/Vectors.h"
#include "astro/Viewer.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"

#include <cmath>

ConfigurationSearch gConfiguration;

void setConfigurationDefaults() {
    gConfiguration = ConfigurationSearch{};
}

namespace {

// The refinement stops once the step is below this (days).
constexpr double kFinestStep = 0.001;

ConfigurationResult Search(SkyObject* first, SkyObject* second, double start, double end,
                           double step, bool maximum, bool physical,
                           const ConfigurationProgress& progress) {
    ConfigurationResult result;
    double date = start;
    // Separations, older to newer; a slot counts once it holds a positive value.
    double s2 = 0.0, s1 = 0.0, s0 = 0.0;
    while (true) {
        gViewer.julianDate = date;
        PrepareComputation();
        ForceCompute(first);
        ForceCompute(second);
        s2 = s1;
        s1 = s0;
        s0 = ConfigurationSeparation(first, second, physical);
        if (s2 > 0.0 && s1 > 0.0 && (maximum ? (s0 < s1 && s1 > s2) : (s0 > s1 && s1 < s2))) break;
        if (progress && !progress(date, s0)) {
            result.stopped = true;
            result.date = date;
            return result;
        }
        date += step;
        if (date > end) {
            result.date = date;
            return result;
        }
    }
    // s1, one step back, is the extremum to within a step either way.
    if (step >= kFinestStep) {
        ConfigurationResult finer = Search(first, second, date - 2.0 * step, date, step / 10.0,
                                           maximum, physical, progress);
        // Should the finer pass miss it (a rounding at its ends), the coarse
        // extremum stands.
        if (finer.found || finer.stopped) return finer;
    }
    result.found = true;
    result.date = date - step;
    result.separation = s1;
    return result;
}

} // namespace

double ConfigurationSeparation(SkyObject* first, SkyObject* second, bool physical) {
    Vector3 a, b;
    if (physical) {
        double distance = 0.0;
        if (!ObjectHeliocentricPosition(first, a, &distance) ||
            !ObjectHeliocentricPosition(second, b, &distance))
            return 0.0;
        Vector3 d{a[0] - b[0], a[1] - b[1], a[2] - b[2]};
        return VectorLength(d);
    }
    // The angle from the sine and the cosine together. The arc cosine of the
    // dot product alone magnifies the directions' last bit (2^-30) some five
    // hundred times at a tenth of a degree, enough to move a conjunction's
    // minimum by half an hour.
    ObjectDirection(first, a);
    ObjectDirection(second, b);
    Vector3 cross;
    CrossProduct(a, b, cross);
    const double separation = std::atan2(VectorLength(cross), DotProduct(a, b));
    return std::isfinite(separation) ? separation : 0.0;
}

ConfigurationResult SearchConfiguration(ObjectID first, ObjectID second, double start, double end,
                                        double step, bool maximum, bool physical,
                                        const ConfigurationProgress& progress) {
    ConfigurationResult result;
    result.date = start;
    SkyObject* a = getObject(first);
    SkyObject* b = getObject(second);
    if (a == nullptr || b == nullptr || !(start <= end) || !(step > 0.0)) return result;
    ComputationContext context;
    SaveContext(context);
    result = Search(a, b, start, end, step, maximum, physical, progress);
    RestoreContext(context);
    return result;
}
