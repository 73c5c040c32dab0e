// make-guide-database: writes a synthetic database the size of a guide-star
// catalogue (two million faint stars and more) into a program directory, so
// that the object store's load-on-demand and memory limit can be measured on
// a database far larger than the limit. The stars are made up: uniform over
// the sky, magnitudes growing more numerous towards the faint end, one GSC
// designation each. Each data file covers one cell of the sky, as the guide
// star catalogue's regions do, and the index lists every file with its
// summary. Everything is written by the program's own writers.
//
//   make-guide-database DIRECTORY [--stars N] [--files N] [--seed N]
//
// DIRECTORY (created when missing) receives Database/Index.nvd,
// Database/Custom.nvd and the data files under Database/GSC/. An existing
// database there is refused.

#include "data/DatabaseFiles.h"
#include "data/Names.h"
#include "data/ObjectStore.h"
#include "shell/Platform.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kCreateDirectoryQuestion = 528;

constexpr long kDefaultStars = 2000000;
constexpr long kDefaultFiles = 300;
constexpr std::uint64_t kDefaultSeed = 20260101;

// Declination bands of 7.5 degrees, each cut into cells along right
// ascension so that every cell holds about the same number of stars.
constexpr int kBands = 24;
constexpr double kBandHeightDegrees = 180.0 / kBands;

// Magnitudes from 6 to 15, the count per magnitude growing by 10^0.3 each:
// roughly the slope of star counts at these magnitudes.
constexpr double kBrightestMagnitude = 6.0;
constexpr double kMagnitudeSpan = 9.0;
constexpr double kCountSlope = 0.3;
// One object in this many is a non-stellar object (type 56).
constexpr std::uint64_t kNonStarEvery = 30;

// GSC numbers run to 9999 within a region; a cell with more stars takes a
// second region number. GSC regions end at 9537.
constexpr long kGscNumbersPerRegion = 9999;
constexpr long kGscRegionUnit = 10000;
constexpr long kLastGscRegion = 9537;
constexpr int kRegionsPerCell = 2;

// The store's own memory limit while writing: every file is unloaded once
// written, so this only has to hold one.
constexpr std::int64_t kWritingMemoryLimit = std::int64_t{256} << 20;

const char* kUsage = "Usage: make-guide-database DIRECTORY [--stars N] [--files N] [--seed N]\n"
                     "\n"
                     "Writes a synthetic guide-star database (compact star records, one data file\n"
                     "per sky cell, and the index) into DIRECTORY/Database.\n"
                     "  --stars N   number of stars (default 2000000)\n"
                     "  --files N   about this many data files (default 300)\n"
                     "  --seed N    seed of the made-up sky (default 20260101)\n";

// SplitMix64: the same sky on every machine and library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

private:
    std::uint64_t state_;
};

struct Cell {
    double declinationLow; // degrees
    double declinationHigh;
    double rightAscensionLow; // degrees
    double rightAscensionHigh;
    long stars;
    std::string name;
};

bool ParseCount(const char* text, long& value) {
    char* end = nullptr;
    long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed <= 0) return false;
    value = parsed;
    return true;
}

// The cells, with the stars shared out by area. Each band gets enough cells
// that none needs more than a data file can hold.
bool PlanCells(long stars, long files, std::vector<Cell>& cells) {
    const double target = static_cast<double>(stars) / static_cast<double>(files);
    long assigned = 0;
    for (int band = 0; band < kBands; ++band) {
        double low = -90.0 + band * kBandHeightDegrees;
        double high = low + kBandHeightDegrees;
        double fraction =
            (std::sin(high * std::numbers::pi / 180.0) - std::sin(low * std::numbers::pi / 180.0)) /
            2.0;
        long bandStars = band + 1 == kBands ? stars - assigned
                                            : std::lround(fraction * static_cast<double>(stars));
        assigned += bandStars;
        long count = std::max(1L, std::lround(static_cast<double>(bandStars) / target));
        while ((bandStars + count - 1) / count > kMaxObjectsPerFile)
            ++count;
        char bandName[16];
        std::snprintf(bandName, sizeof bandName, "%c%02d", low < 0.0 ? 'S' : 'N',
                      static_cast<int>(std::fabs(low < 0.0 ? high : low)));
        for (long c = 0; c < count; ++c) {
            Cell cell;
            cell.declinationLow = low;
            cell.declinationHigh = high;
            cell.rightAscensionLow = 360.0 * static_cast<double>(c) / static_cast<double>(count);
            cell.rightAscensionHigh =
                360.0 * static_cast<double>(c + 1) / static_cast<double>(count);
            cell.stars = bandStars / count + (c < bandStars % count ? 1 : 0);
            char name[64];
            std::snprintf(name, sizeof name, "GSC\\%s\\R%03ld.nvd", bandName, c + 1);
            cell.name = name;
            cells.push_back(cell);
        }
    }
    return static_cast<long>(cells.size()) * kRegionsPerCell <= kLastGscRegion &&
           static_cast<long>(cells.size()) < kMaxFiles;
}

std::int32_t Fixed(double component) {
    return static_cast<std::int32_t>(std::lround(component * kUnitVectorScale));
}

CatalogObject* MakeStar(Random& random, const Cell& cell, long cellNumber, long index) {
    const bool nonStar = random.next() % kNonStarEvery == 0;
    CatalogObject* star = NewCatalogObject(nonStar ? kTypeGuideNonStar : kTypeGuideStar);
    if (star == nullptr) return nullptr;
    star->identifiers.reset(new (std::nothrow) std::uint32_t[1]);
    if (!star->identifiers) {
        FreeObject(star);
        return nullptr;
    }

    // Uniform within the cell: right ascension uniform, sine of declination uniform.
    constexpr double kRadians = std::numbers::pi / 180.0;
    double ra = (cell.rightAscensionLow +
                 random.uniform() * (cell.rightAscensionHigh - cell.rightAscensionLow)) *
                kRadians;
    double sinLow = std::sin(cell.declinationLow * kRadians);
    double sinHigh = std::sin(cell.declinationHigh * kRadians);
    double sinDec = sinLow + random.uniform() * (sinHigh - sinLow);
    double cosDec = std::sqrt(std::max(0.0, 1.0 - sinDec * sinDec));
    star->position[0] = Fixed(cosDec * std::cos(ra));
    star->position[1] = Fixed(cosDec * std::sin(ra));
    star->position[2] = Fixed(sinDec);

    double counts = std::pow(10.0, kCountSlope * kMagnitudeSpan) - 1.0;
    double magnitude =
        kBrightestMagnitude + std::log10(1.0 + random.uniform() * counts) / kCountSlope;
    star->catalogMagnitude = static_cast<std::int16_t>(std::lround(magnitude * 100.0));

    long region = cellNumber * kRegionsPerCell + (index - 1) / kGscNumbersPerRegion + 1;
    long number = (index - 1) % kGscNumbersPerRegion + 1;
    star->identifiers[0] = static_cast<std::uint32_t>(kCatalogGSC) * kCatalogCodeUnit +
                           static_cast<std::uint32_t>(region * kGscRegionUnit + number);
    star->identifierCount = 1;
    return star;
}

// Builds one cell's file in the store, writes it and drops its objects again.
bool WriteCell(Random& random, const Cell& cell, long cellNumber) {
    DatabaseFile* file = newFile(cell.name.c_str());
    if (file == nullptr) return false;
    ObjectID fileId = attachFile(file);
    if (fileId == 0) {
        freeFile(file);
        std::fprintf(stderr, "make-guide-database: no room for %s\n", cell.name.c_str());
        return false;
    }
    for (long i = 1; i <= cell.stars; ++i) {
        CatalogObject* star = MakeStar(random, cell, cellNumber, i);
        if (star == nullptr || addObject(star, fileId) == 0) {
            FreeObject(star);
            std::fprintf(stderr, "make-guide-database: can't add star %ld to %s\n", i,
                         cell.name.c_str());
            return false;
        }
    }
    if (writeDataFile(fileId) != kStatusSuccess) return false;
    return unloadFile(fileId);
}

int AnswerMessage(const MessageRecord& message) {
    if (message.number == kCreateDirectoryQuestion) return AnswerOK;
    std::fprintf(stderr, "make-guide-database: %s\n", message.text.c_str());
    return AnswerCancel;
}

} // namespace

int main(int argc, char** argv) {
    std::string directory;
    long stars = kDefaultStars;
    long files = kDefaultFiles;
    long seed = static_cast<long>(kDefaultSeed);
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        bool takesValue = std::strcmp(arg, "--stars") == 0 || std::strcmp(arg, "--files") == 0 ||
                          std::strcmp(arg, "--seed") == 0;
        if (std::strcmp(arg, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (takesValue) {
            long value = 0;
            if (i + 1 >= argc || !ParseCount(argv[i + 1], value)) {
                std::fputs(kUsage, stderr);
                return kExitUsage;
            }
            ++i;
            if (std::strcmp(arg, "--stars") == 0) stars = value;
            if (std::strcmp(arg, "--files") == 0) files = value;
            if (std::strcmp(arg, "--seed") == 0) seed = value;
        } else if (arg[0] == '-' || !directory.empty()) {
            std::fputs(kUsage, stderr);
            return kExitUsage;
        } else {
            directory = arg;
        }
    }
    if (directory.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }

    std::vector<Cell> cells;
    if (!PlanCells(stars, files, cells)) {
        std::fprintf(stderr,
                     "make-guide-database: %ld stars need more files than a database "
                     "holds; ask for fewer stars\n",
                     stars);
        return kExitUsage;
    }

    // Nothing is shown; the platform still wants a display of some kind.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    InitPlatform(0, nullptr);
    SetMessageResponder(AnswerMessage);
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        std::fprintf(stderr, "make-guide-database: can't create %s: %s\n", directory.c_str(),
                     error.message().c_str());
        return kExitFailure;
    }
    SetProgramDirectory(directory);
    const std::string database =
        AppendPathComponent(ProgramDirectory(), LoadString(kDatabaseDirectoryString));
    if (DirectoryExists(database)) {
        std::fprintf(stderr, "make-guide-database: %s already exists\n", database.c_str());
        return kExitFailure;
    }
    if (!initObjectStore(kWritingMemoryLimit) || !checkDatabaseDirectory()) return kExitFailure;

    auto start = std::chrono::steady_clock::now();
    Random random(static_cast<std::uint64_t>(seed));
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (!WriteCell(random, cells[c], static_cast<long>(c))) return kExitFailure;
    }
    if (!writeIndex(gObjectStore.indexPath)) return kExitFailure;
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%ld stars in %zu data files written to %s in %.1f s\n", stars, cells.size(),
                database.c_str(), seconds);
    setObjectStoreDefaults();
    return 0;
}
