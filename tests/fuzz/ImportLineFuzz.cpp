// One object text file of any content through the record reader: every line
// of every kind is checked and built, or refused, without harm.

#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ReadEveryRecord(data, size, readTextRecord);
    return 0;
}
