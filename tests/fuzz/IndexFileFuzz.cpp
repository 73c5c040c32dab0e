// Index files of any content: read or refused, nothing written.

#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::WriteInput("Database/Index.nvd", data, size);
    setObjectStoreDefaults();
    initObjectStore(std::int64_t{1} << 28);
    readIndex(path);
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id))
        getFile(id)->flags = 0;
    setObjectStoreDefaults();
    fuzz::Forget();
    return 0;
}
