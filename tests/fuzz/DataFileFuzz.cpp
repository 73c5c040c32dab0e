// Data files of any content: loaded whole or refused whole, the store left as
// it was.

#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (fuzz::OpenScratchDatabase(), true);
    (void)ready;
    fuzz::WriteInput("Database/Fuzz.nvd", data, size);
    DatabaseFile* record = newFile("Fuzz.nvd");
    ObjectID id = record != nullptr ? attachFile(record) : 0;
    if (id != 0) {
        if (loadFile(id) == kStatusSuccess)
            for (ObjectID object = firstObjectInFile(id); object != 0;
                 object = nextObjectInFile(object))
                getObject(object);
        DatabaseFile* file = getFile(id);
        if (file != nullptr) file->flags = 0; // never written back
        freeFile(detachFile(id));
    }
    fuzz::Forget();
    return 0;
}
