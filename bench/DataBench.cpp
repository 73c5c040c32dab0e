// The data layer's figures: importing object text files, loading data files,
// finding an object by name in the default database, and walking a
// guide-star-sized database under a small memory limit.
//
// Everything is written into one scratch directory that is removed at the
// end; nothing is shown (the progress box opens offscreen).

#include "data/DatabaseFiles.h"
#include "data/Import.h"
#include "data/Names.h"
#include "data/ObjectStore.h"
#include "data/Search.h"
#include "shell/Platform.h"

#include "bench/BenchRun.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kCreateDirectoryQuestion = 528;
// Plenty, for every benchmark but the walk under a limit.
constexpr std::int64_t kLargeMemoryLimit = std::int64_t{1} << 30;
// The walk's limit: a small fraction of the guide-star database.
constexpr std::int64_t kWalkMemoryLimit = std::int64_t{16} << 20;
constexpr double kBytesPerMegabyte = 1048576.0;

// The synthetic text files: a data file holds at most 16,000 objects, so the
// 100,000 lines are shared among eight files.
constexpr int kImportFiles = 8;
constexpr int kLinesPerImportFile = 12500;
// One full data file of each kind for the load figures.
constexpr int kLoadRecords = kMaxObjectsPerFile;

// The program directory whose database the store holds.
std::string gOpenDirectory;

// SplitMix64: the same made-up data on every machine.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    long below(long n) { return static_cast<long>(next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};


std::string ScratchPath(const std::string& name) {
    return BenchScratch() + "/" + name;
}

// Starts a new, empty database in `programDirectory` (its old one removed).
bool NewDatabase(const std::string& programDirectory, std::int64_t limit) {
    setObjectStoreDefaults();
    std::error_code error;
    fs::remove_all(fs::path(programDirectory) / "Database", error);
    fs::create_directories(programDirectory, error);
    SetProgramDirectory(programDirectory);
    ClearRecordedMessages();
    gOpenDirectory.clear();
    if (!initObjectStore(limit) || !checkDatabaseDirectory() || gObjectStore.indexPath.empty())
        return false;
    gOpenDirectory = programDirectory;
    return true;
}

// Makes the database in `programDirectory` the store's, unless it is already.
bool OpenDatabase(const std::string& programDirectory, std::int64_t limit) {
    if (gOpenDirectory == programDirectory) return true;
    setObjectStoreDefaults();
    gOpenDirectory.clear();
    SetProgramDirectory(programDirectory);
    if (!initObjectStore(limit) || !openDefaultDatabase()) return false;
    gOpenDirectory = programDirectory;
    return true;
}

std::int32_t Fixed(double component) {
    return static_cast<std::int32_t>(std::lround(component * kUnitVectorScale));
}

void RandomDirection(Random& random, std::int32_t position[3]) {
    double z = 2.0 * random.uniform() - 1.0;
    double ra = 2.0 * std::numbers::pi * random.uniform();
    double r = std::sqrt(1.0 - z * z);
    position[0] = Fixed(r * std::cos(ra));
    position[1] = Fixed(r * std::sin(ra));
    position[2] = Fixed(z);
}

// ---------------------------------------------------------------------------
// Import

// An "S" line as a star catalogue converter writes it: type, equinox,
// R.A., Dec., proper motions, magnitude (with a companion or a range for
// multiple and variable stars), B-V, radial velocity, distance, size, names.
std::string StarLine(Random& random, long serial) {
    int kind = 1 + static_cast<int>(random.below(10) == 0 ? 1 + random.below(3) : 0);
    double ra = 24.0 * random.uniform();
    double dec = std::asin(2.0 * random.uniform() - 1.0) * 180.0 / std::numbers::pi;
    double adec = std::fabs(dec);
    double magnitude = 4.0 + 7.0 * random.uniform();
    char magnitudes[32];
    if (kind == 2)
        std::snprintf(magnitudes, sizeof magnitudes, "%.2f,%.1f", magnitude,
                      magnitude + 3.0 * random.uniform());
    else if (kind == 3)
        std::snprintf(magnitudes, sizeof magnitudes, "%.2f-%.2f", magnitude,
                      magnitude + random.uniform());
    else if (kind == 4)
        std::snprintf(magnitudes, sizeof magnitudes, "%.2f-%.2f,%.1f", magnitude,
                      magnitude + random.uniform(), magnitude + 2.0);
    else
        std::snprintf(magnitudes, sizeof magnitudes, "%.2f", magnitude);
    char names[96];
    long hd = 1 + (serial * 7919) % 359000;
    long sao = 1 + (serial * 104729) % 258000;
    if (serial % 10 == 0)
        std::snprintf(names, sizeof names, "HD%ld; SAO%ld; BD%c%02d %ld", hd, sao,
                      dec < 0 ? '-' : '+', static_cast<int>(adec), 1 + serial % 4000);
    else
        std::snprintf(names, sizeof names, "HD%ld; SAO%ld", hd, sao);
    char line[320];
    std::snprintf(line, sizeof line,
                  "S%d\t2000.0\t%02d %02d %06.3f\t%c%02d %02d %05.2f\t%.6f\t%.3f\t%s\t%.2f\t%.1f\t"
                  "%.1f\t\t%s\r\n",
                  kind, static_cast<int>(ra), static_cast<int>(ra * 60.0) % 60,
                  std::fmod(ra * 3600.0, 60.0), dec < 0 ? '-' : '+', static_cast<int>(adec),
                  static_cast<int>(adec * 60.0) % 60, std::fmod(adec * 3600.0, 60.0),
                  0.01 * (random.uniform() - 0.5), 0.2 * (random.uniform() - 0.5), magnitudes,
                  2.0 * random.uniform() - 0.3, 60.0 * (random.uniform() - 0.5),
                  10.0 + 490.0 * random.uniform(), names);
    return line;
}

const std::vector<std::string>& ImportSources() {
    static std::vector<std::string> paths;
    if (!paths.empty()) return paths;
    fs::create_directories(ScratchPath("import-source"));
    Random random(1);
    long serial = 0;
    for (int f = 0; f < kImportFiles; ++f) {
        std::string path = ScratchPath("import-source/Stars" + std::to_string(f + 1) + ".txt");
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) break;
        std::fputs("# Synthetic stars for the import figures.\r\n", file);
        for (int i = 0; i < kLinesPerImportFile; ++i)
            std::fputs(StarLine(random, ++serial).c_str(), file);
        std::fclose(file);
        paths.push_back(path);
    }
    return paths;
}

// 100,000 "S" lines into eight new data files, as importTextFile does it for
// each file of a list (the data files are written, synced and unloaded).
void BM_ImportStarLines(benchmark::State& state) {
    const std::vector<std::string>& sources = ImportSources();
    if (static_cast<int>(sources.size()) != kImportFiles) {
        state.SkipWithError("can't write the synthetic text files");
        return;
    }
    const std::string directory = ScratchPath("import");
    long imported = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!NewDatabase(directory, kLargeMemoryLimit)) {
            state.SkipWithError("can't create the database");
            break;
        }
        state.ResumeTiming();
        for (const std::string& path : sources)
            importFile(path, readTextRecord);
        state.PauseTiming();
        imported = objectCount();
        state.ResumeTiming();
    }
    if (imported != static_cast<long>(kImportFiles) * kLinesPerImportFile)
        state.SkipWithError("not every line was imported");
    state.SetItemsProcessed(state.iterations() * kImportFiles * kLinesPerImportFile);
}
BENCHMARK(BM_ImportStarLines)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// ---------------------------------------------------------------------------
// Loading

struct LoadDatabase {
    bool ready = false;
    ObjectID guideFile = 0;
    ObjectID catalogFile = 0;
};

CatalogObject* CompactStar(Random& random, long serial) {
    CatalogObject* star =
        NewCatalogObject(random.below(30) == 0 ? kTypeGuideNonStar : kTypeGuideStar);
    if (star == nullptr) return nullptr;
    RandomDirection(random, star->position);
    star->catalogMagnitude = static_cast<std::int16_t>(900 + random.below(600));
    star->identifiers.reset(new std::uint32_t[1]);
    star->identifiers[0] =
        static_cast<std::uint32_t>(kCatalogGSC) * kCatalogCodeUnit +
        static_cast<std::uint32_t>((1 + serial / 9999) * 10000 + 1 + serial % 9999);
    star->identifierCount = 1;
    return star;
}

CatalogObject* FullStar(Random& random, long serial) {
    CatalogObject* star = NewCatalogObject(kTypeSingleStar + static_cast<int>(random.below(4)));
    if (star == nullptr) return nullptr;
    RandomDirection(random, star->position);
    for (std::int32_t& m : star->motion)
        m = static_cast<std::int32_t>(random.below(2001) - 1000);
    star->catalogDistance = static_cast<float>(1e6 + 1e8 * random.uniform());
    star->radialVelocity = static_cast<float>(1e-3 * (random.uniform() - 0.5));
    star->catalogMagnitude = static_cast<std::int16_t>(random.below(900));
    star->colorIndex = static_cast<std::int16_t>(random.below(200) - 30);
    star->size = static_cast<float>(1e-5 * random.uniform());
    char text[128];
    if (serial % 5 == 0)
        std::snprintf(text, sizeof text, "Star %ld; HR%ld; HD%ld; SAO%ld", serial,
                      1 + serial % 9000, 1 + serial * 13 % 359000, 1 + serial * 7 % 258000);
    else
        std::snprintf(text, sizeof text, "HD%ld; SAO%ld; BD+%02ld %ld", 1 + serial * 13 % 359000,
                      1 + serial * 7 % 258000, serial % 90, 1 + serial % 4000);
    setObjectNames(star, text);
    return star;
}

ObjectID WriteLoadFile(const char* name, CatalogObject* (*make)(Random&, long)) {
    DatabaseFile* file = newFile(name);
    ObjectID fileId = file != nullptr ? attachFile(file) : 0;
    if (fileId == 0) return 0;
    Random random(2);
    for (long i = 0; i < kLoadRecords; ++i) {
        if (addObject(make(random, i), fileId) == 0) return 0;
    }
    if (writeDataFile(fileId) != kStatusSuccess || !unloadFile(fileId)) return 0;
    return fileId;
}

LoadDatabase& Loadable() {
    static LoadDatabase database;
    if (database.ready) return database;
    if (!NewDatabase(ScratchPath("load"), kLargeMemoryLimit)) return database;
    database.guideFile = WriteLoadFile("Guide.nvd", CompactStar);
    database.catalogFile = WriteLoadFile("Catalog.nvd", FullStar);
    database.ready =
        database.guideFile != 0 && database.catalogFile != 0 && writeIndex(gObjectStore.indexPath);
    return database;
}

void LoadFileRepeatedly(benchmark::State& state, ObjectID LoadDatabase::*which) {
    LoadDatabase& database = Loadable();
    if (!database.ready) {
        state.SkipWithError("can't write the data files");
        return;
    }
    if (!OpenDatabase(ScratchPath("load"), kLargeMemoryLimit)) {
        state.SkipWithError("can't open the database");
        return;
    }
    const ObjectID fileId = database.*which;
    for (auto _ : state) {
        state.PauseTiming();
        unloadFile(fileId);
        state.ResumeTiming();
        if (loadFile(fileId) != kStatusSuccess) {
            state.SkipWithError("load failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kLoadRecords);
}

// 16,000 compact 18-byte records (types 55 and 56).
void BM_LoadGuideStarFile(benchmark::State& state) {
    LoadFileRepeatedly(state, &LoadDatabase::guideFile);
}
BENCHMARK(BM_LoadGuideStarFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// 16,000 full catalogue records with three or four designations, a fifth
// with a name text.
void BM_LoadCatalogFile(benchmark::State& state) {
    LoadFileRepeatedly(state, &LoadDatabase::catalogFile);
}
BENCHMARK(BM_LoadCatalogFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---------------------------------------------------------------------------
// Finding by name in the default database

struct Catalogue {
    bool tried = false;
    bool ready = false;
    double importSeconds = 0.0;
    std::string lastNamed;       // display name of the last object with a name text
    std::string lastIdentified;  // display name of the last object named by designations only
    std::string lastDesignation; // the last designation of that object
};

Catalogue gCatalogue;

// Walks the whole store once so that every file is in memory.
void NoteQueries() {
    for (ObjectID id = firstObject(); id != 0; id = nextObject(id)) {
        const SkyObject* object = getObject(id);
        const CatalogObject* catalog = AsCatalog(object);
        std::string name = DisplayName(object);
        if (name.empty()) continue;
        if (catalog != nullptr && !catalog->name) {
            gCatalogue.lastIdentified = name;
            std::size_t separator = name.rfind("; ");
            gCatalogue.lastDesignation =
                separator == std::string::npos ? name : name.substr(separator + 2);
        } else {
            gCatalogue.lastNamed = name;
        }
    }
}

bool OpenCatalogue() {
    if (!gCatalogue.tried) {
        gCatalogue.tried = true;
        const std::string directory = ScratchPath("catalog");
        if (!NewDatabase(directory, kLargeMemoryLimit)) return false;
        auto start = std::chrono::steady_clock::now();
        bool imported = importTextFile(NORVANE_SOURCE_DIR "/data/catalog/FileList.txt");
        gCatalogue.importSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        gCatalogue.ready = imported && writeIndex(gObjectStore.indexPath);
    }
    if (!gCatalogue.ready || !OpenDatabase(ScratchPath("catalog"), kLargeMemoryLimit)) return false;
    if (gCatalogue.lastNamed.empty()) NoteQueries();
    return true;
}

// The default catalogue through its file list, with the figure lines' name
// look-ups; once only (the find figures below use the result).
void BM_ImportDefaultCatalogue(benchmark::State& state) {
    for (auto _ : state) {
        if (!OpenCatalogue()) {
            state.SkipWithError("can't import data/catalog");
            break;
        }
    }
    state.counters["seconds"] = gCatalogue.importSeconds;
    state.counters["objects"] = static_cast<double>(objectCount());
}
BENCHMARK(BM_ImportDefaultCatalogue)->Unit(benchmark::kMillisecond)->Iterations(1);

enum QueryKind : int {
    kLastNamedExact,
    kLastIdentifiedExact,
    kLastDesignationExact,
    kMissExact,
    kMissExactCaseSensitive,
    kLastNamedWords,
    kMissWords,
};

void BM_FindObjectByName(benchmark::State& state) {
    if (!OpenCatalogue()) {
        state.SkipWithError("can't import data/catalog");
        return;
    }
    std::string query = "No Such Object Anywhere";
    bool exact = true;
    bool caseSensitive = false;
    switch (state.range(0)) {
    case kLastNamedExact:
        query = gCatalogue.lastNamed;
        break;
    case kLastIdentifiedExact:
        query = gCatalogue.lastIdentified;
        break;
    case kLastDesignationExact:
        query = gCatalogue.lastDesignation;
        break;
    case kMissExactCaseSensitive:
        caseSensitive = true;
        break;
    case kLastNamedWords:
        query = gCatalogue.lastNamed.substr(0, gCatalogue.lastNamed.find(';'));
        exact = false;
        break;
    case kMissWords:
        query = "no such object";
        exact = false;
        break;
    default:
        break;
    }
    // Whatever the store still has to load is loaded before the timing.
    ObjectID hit = 0;
    int result = findObjectByName(query, caseSensitive, exact, hit);
    for (auto _ : state) {
        hit = 0;
        result = findObjectByName(query, caseSensitive, exact, hit);
        benchmark::DoNotOptimize(hit);
    }
    state.SetLabel("\"" + query + "\"" + (exact ? " exact" : " words") +
                   (caseSensitive ? " case" : "") +
                   (result == kStatusSuccess ? " found #" + std::to_string(hit) : " not found"));
    state.counters["objects"] = static_cast<double>(objectCount());
}
BENCHMARK(BM_FindObjectByName)
    ->DenseRange(kLastNamedExact, kMissWords)
    ->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------
// Walking a guide-star-sized database under a 16 MB limit

struct GuideDatabase {
    bool tried = false;
    bool ready = false;
    double writeSeconds = 0.0;
};

GuideDatabase gGuide;

bool OpenGuideDatabase() {
    const std::string directory = ScratchPath("guide");
    if (!gGuide.tried) {
        gGuide.tried = true;
        std::error_code error;
        fs::remove_all(directory, error);
        std::string command = std::string("'") + NORVANE_GUIDE_TOOL + "' '" + directory + "' > '" +
                              ScratchPath("guide.log") + "'";
        auto start = std::chrono::steady_clock::now();
        gGuide.ready = std::system(command.c_str()) == 0;
        gGuide.writeSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    return gGuide.ready && OpenDatabase(directory, kWalkMemoryLimit);
}

// What one walk saw of the store's loading.
struct WalkRecord {
    long objects = 0;
    long loads = 0;
    long unattributed = 0;   // loads whose file was gone again by the next step
    long reloaded = 0;       // loads of a file this walk had loaded already
    long backToBack = 0;     // loads of the file loaded just before
    long overLimitLoads = 0; // loads after which the total charged exceeded the limit
    std::int64_t peak = 0;
};

WalkRecord Walk() {
    WalkRecord record;
    std::vector<int> loads(static_cast<std::size_t>(kMaxFiles) + 1, 0);
    int lastLoaded = 0;
    std::int32_t seen = gObjectStore.loadCounter;
    std::int64_t magnitudes = 0;
    for (ObjectID id = firstObject(); id != 0; id = nextObject(id)) {
        const CatalogObject* star = AsCatalog(getObject(id));
        if (star != nullptr) magnitudes += star->catalogMagnitude;
        ++record.objects;
        record.peak = std::max(record.peak, gObjectStore.totalMemory);
        if (gObjectStore.loadCounter == seen) continue;

        long count = gObjectStore.loadCounter - seen;
        record.loads += count;
        if (gObjectStore.totalMemory > gObjectStore.memoryLimit) ++record.overLimitLoads;
        // The files loaded since the last step carry the stamps after `seen`.
        long attributed = 0;
        for (ObjectID fileId = firstFile(); fileId != 0; fileId = nextFile(fileId)) {
            const DatabaseFile* file = getFile(fileId);
            if (file->loadStamp <= seen) continue;
            int number = FileNumber(fileId);
            if (loads[static_cast<std::size_t>(number)]++ > 0) ++record.reloaded;
            if (number == lastLoaded) ++record.backToBack;
            lastLoaded = number;
            ++attributed;
        }
        record.unattributed += count - attributed;
        seen = gObjectStore.loadCounter;
    }
    benchmark::DoNotOptimize(magnitudes);
    return record;
}

// Every object of about 300 files of about 6,600 compact stars (2,000,000 in
// all) under a 16 MiB limit. Arg 0: each walk starts with nothing loaded;
// arg 1: each walk starts with what the last one left in memory.
void BM_WalkGuideDatabase(benchmark::State& state) {
    if (!OpenGuideDatabase()) {
        state.SkipWithError("can't write or open the guide-star database");
        return;
    }
    const bool cold = state.range(0) == 0;
    WalkRecord total;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            unloadAll();
            state.ResumeTiming();
        }
        WalkRecord walk = Walk();
        total.objects += walk.objects;
        total.loads += walk.loads;
        total.unattributed += walk.unattributed;
        total.reloaded += walk.reloaded;
        total.backToBack += walk.backToBack;
        total.overLimitLoads += walk.overLimitLoads;
        total.peak = std::max(total.peak, walk.peak);
    }
    const double walks = static_cast<double>(state.iterations());
    state.SetItemsProcessed(total.objects);
    state.counters["files"] = fileCount();
    state.counters["objects/walk"] = static_cast<double>(total.objects) / walks;
    state.counters["loads/walk"] = static_cast<double>(total.loads) / walks;
    state.counters["reloads"] = static_cast<double>(total.reloaded);
    state.counters["backToBack"] = static_cast<double>(total.backToBack);
    state.counters["unattributed"] = static_cast<double>(total.unattributed);
    state.counters["overLimit"] = static_cast<double>(total.overLimitLoads);
    state.counters["peakMiB"] = static_cast<double>(total.peak) / kBytesPerMegabyte;
    state.counters["limitMiB"] = static_cast<double>(kWalkMemoryLimit) / kBytesPerMegabyte;
    state.counters["writeSeconds"] = gGuide.writeSeconds;
}
BENCHMARK(BM_WalkGuideDatabase)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();


} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks("bench_data", argc, argv, {kCreateDirectoryQuestion});
}
