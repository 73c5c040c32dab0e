// Two-line element files of any content through the satellite reader.

#include "data/Satellites.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ReadEveryRecord(data, size, readSatelliteRecord);
    return 0;
}
