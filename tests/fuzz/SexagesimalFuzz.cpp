// Angle texts as typed ("h m s", "d m s"): a number or zero, never a crash.

#include "astro/CoordinateText.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ParseSexagesimal(text);
    ParseSexagesimal(text, "%hd%hd%lf");
    return 0;
}
