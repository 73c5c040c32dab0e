#pragma once

// The common ground of the fuzz harnesses: the offscreen platform with every
// question answered Yes and every dialog OK, and a scratch program directory
// with an empty database holding the Sun and the Earth, set up once per
// process. Each input then runs against that state.

#include "data/DatabaseFiles.h"
#include "data/Import.h"
#include "data/ObjectStore.h"
#include "settings/SettingsFile.h"
#include "shell/Platform.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzz {

inline const std::string& ScratchDirectory() {
    static const std::string dir = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        InitPlatform(0, nullptr);
        SetMessageResponder([](const MessageRecord&) { return AnswerYes; });
        SetDialogResponder(kReadDescriptionTemplate, nullptr, kOKButton);
        char pattern[] = "/tmp/norvane-fuzz-XXXXXX";
        std::string made = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
        SetProgramDirectory(made);
        MakeDirectory(made + "/Database");
        // Kept apart from the string, which is gone by the time this runs.
        static char removeAtExit[sizeof pattern];
        std::snprintf(removeAtExit, sizeof removeAtExit, "%s", made.c_str());
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(removeAtExit, ignored);
        });
        return made;
    }();
    return dir;
}

// An empty database with the two bodies the readers look names up against.
inline void OpenScratchDatabase() {
    const std::string& dir = ScratchDirectory();
    setObjectStoreDefaults();
    initObjectStore(std::int64_t{1} << 28);
    gObjectStore.indexPath = dir + "/Database/Index.nvd";
    gObjectStore.databaseDirectory = dir + "/Database/";
    ObjectID file = customFile();
    for (const char* line :
         {"P1\t2000.0\t0\t0\t0\t0\t0\t0\t2000/1/1.5\t-26.72\t696000\t332946\tSun",
          "P4\t2000.0\t1.000001018\t0.01670863\t0\t102.937348\t0\t357.529109\t2000/1/1.5\t-3.86\t"
          "6378.137\t1\tEarth"}) {
        std::FILE* stream =
            fmemopen(const_cast<char*>(line), std::char_traits<char>::length(line), "r");
        SkyObject* object = nullptr;
        if (stream != nullptr && readTextRecord(stream, &object) == kRecordRead)
            addObject(object, file);
        if (stream != nullptr) std::fclose(stream);
    }
}

// Writes the input to a file of the scratch directory and returns its path.
inline std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::string path = ScratchDirectory() + "/" + name;
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return path;
}

inline void Forget() {
    ClearRecordedMessages();
}

// Every record a reader makes of the input, each freed as it comes.
inline void ReadEveryRecord(const std::uint8_t* data, std::size_t size, RecordReader read) {
    static const bool ready = (OpenScratchDatabase(), true);
    (void)ready;
    std::FILE* stream = std::tmpfile();
    if (stream == nullptr) return;
    if (size > 0) std::fwrite(data, 1, size, stream);
    std::rewind(stream);
    for (int records = 0; records < 10000; ++records) {
        SkyObject* object = nullptr;
        if (read(stream, &object) == kRecordEndOfFile) break;
        FreeObject(object);
    }
    std::fclose(stream);
    Forget();
}

} // namespace fuzz
