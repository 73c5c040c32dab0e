// Date and time texts as typed: a finite instant within range, or refused.

#include "astro/TimeScales.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (fuzz::ScratchDirectory(), true);
    (void)ready;
    const std::string text(reinterpret_cast<const char*>(data), size);
    double jd = 2451545.0;
    if (ParseDateTime(text, 0.0, 1, &jd) && !IsSaneJulianDate(jd)) std::abort();
    if (!std::isfinite(jd)) std::abort();
    FormatDateTime(jd, 0.0, 1);
    fuzz::Forget();
    return 0;
}
