// Settings files of any content: read as far as they go, never past a buffer,
// never leaving a value that is not finite.

#include "settings/Settings.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (fuzz::OpenScratchDatabase(), true);
    (void)ready;
    setSettingsDefaults();
    readSettingsFile(fuzz::WriteInput("Fuzz.nvs", data, size));
    std::FILE* out = std::tmpfile();
    if (out != nullptr) {
        writeSettingsFile(out, "Fuzz.nvs");
        std::fclose(out);
    }
    fuzz::Forget();
    return 0;
}
