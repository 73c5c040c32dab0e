// One object text file of any content through the record reader: every line
// of every kind is checked and built, or refused, without harm.

#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (fuzz::OpenScratchDatabase(), true);
    (void)ready;
    std::FILE* stream = std::tmpfile();
    if (stream == nullptr) return 0;
    if (size > 0) std::fwrite(data, 1, size, stream);
    std::rewind(stream);
    for (int records = 0; records < 10000; ++records) {
        SkyObject* object = nullptr;
        if (readTextRecord(stream, &object) == kRecordEndOfFile) break;
        FreeObject(object);
    }
    std::fclose(stream);
    fuzz::Forget();
    return 0;
}
