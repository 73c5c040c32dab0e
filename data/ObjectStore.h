#pragma once

// The object store: every object in memory, grouped by the database file it
// belongs to, loaded on demand and unloaded under a memory limit.

#include "data/SkyObject.h"

#include <cstdint>
#include <string>

// Status results of the data layer.
enum DataStatus : int {
    kStatusSuccess = 1,
    kStatusOutOfMemory = -2,
    kStatusCannotOpen = -3,
    kStatusCannotOpenForWriting = -4,
    kStatusReadError = -5,
    kStatusWriteError = -6,
    kStatusNotFound = -7,
    kStatusCancelled = -8,
};

// DatabaseFile::flags
constexpr std::uint16_t kFileModified = 4;
constexpr std::uint16_t kFileReadOnly = 8;

// Start values of a file's summary.
constexpr std::int16_t kFaintestStart = -32768;
constexpr std::int16_t kBrightestStart = 32767;
constexpr std::int32_t kQuarterTurn = 0x10000000; // 90 degrees in 2^30 units per turn
constexpr std::int32_t kFullTurn = 0x40000000;

struct DatabaseFile {
    OwnedText name;                // relative to the database directory; "\", "/" or ":" separate
    SkyObject** objects = nullptr; // capacity slots (slot i-1 holds index i); null while unloaded
    std::int32_t memoryBytes = 0;  // charged: 4 bytes per slot plus the loaded objects
    std::int32_t lastDrawGeneration = 0;
    std::int32_t loadStamp = 0; // the store's load counter when last loaded; 0 unloaded
    std::uint16_t flags = 0;
    std::int16_t lockCount = 0;
    // Why its data file could not be loaded in this run (a data-layer status),
    // 0 when it could or has not been tried. Such a file stays in the index as
    // it was and is tried again in the next run, but not again in this one.
    std::int16_t loadFailure = 0;
    ObjectID fileId = 0; // number << 14; 0 while not attached
    std::int16_t capacity = 0;
    std::int16_t highestIndex = 0; // the object count as written to disk
    // Every slot below this one is occupied (kept in memory only, so that
    // filling a file takes linear time).
    std::int16_t firstFreeHint = 1;
    // Summary: counts by kind.
    std::int16_t solarSystemCount = 0;
    std::int16_t deepSkyCount = 0;
    std::int16_t starCount = 0;
    std::int16_t lineCount = 0;
    std::int16_t siteCount = 0;
    // Summary: magnitude ranges, hundredths.
    std::int16_t deepSkyFaintest = kFaintestStart;
    std::int16_t deepSkyBrightest = kBrightestStart;
    std::int16_t starFaintest = kFaintestStart;
    std::int16_t starBrightest = kBrightestStart;
    // Summary: box of catalogue objects' J2000 positions, 2^30 units per turn.
    std::int32_t greatestDeclination = -kQuarterTurn;
    std::int32_t leastDeclination = kQuarterTurn;
    std::int32_t greatestRightAscension = 0;
    std::int32_t leastRightAscension = kFullTurn;
};

struct ObjectStore {
    DatabaseFile** files = nullptr; // kMaxFiles slots, by file number - 1
    int highestFile = 0;
    // Charged memory and its limit. Kept in 64 bits: a quarter of a modern
    // machine's memory does not fit in 32.
    std::int64_t totalMemory = 0;
    std::int64_t memoryLimit = 0;
    std::int32_t loadCounter = 0;
    std::string indexPath;         // empty when no database is open
    std::string databaseDirectory; // indexPath without its last component
    bool indexModified = false;
    bool databaseReadOnly = false;
};

extern ObjectStore gObjectStore;

// Allocates the file table (false when out of memory) and sets the limit.
bool initObjectStore(std::int64_t memoryLimit);
// Frees everything without writing anything (tests start clean with this).
void setObjectStoreDefaults();
// A quarter of the machine's memory less one screen image, at least 8,192,000 bytes.
std::int64_t memoryBudget();
void setMemoryLimit(std::int64_t bytes);

// The chart's drawing generation: the chart advances it at every drawing and
// stamps the files it draws from; stale files are the first unloaded.
extern std::int32_t gDrawGeneration;

// Called by closeDatabase once every old id is invalid, so that the parts of
// the program that hold ids (trails, the Object Info window, the chart's
// centred object) can forget them.
void setDatabaseClosedHandler(void (*handler)());

// Files.
ObjectID attachFile(DatabaseFile* file);
DatabaseFile* detachFile(ObjectID fileId);
DatabaseFile* newFile(const char* name);
void freeFile(DatabaseFile* file);
DatabaseFile* getFile(ObjectID id);
ObjectID firstFile();
ObjectID nextFile(ObjectID id);
int fileCount();
long objectCount();
long solarSystemCount();
void lockFile(ObjectID id);
void unlockFile(ObjectID id);
bool isModified(const DatabaseFile* file);
void setModified(DatabaseFile* file, bool on);
bool isReadOnly(const DatabaseFile* file);
void setReadOnly(DatabaseFile* file, bool on);
bool isLoaded(const DatabaseFile* file);
// Gives an unloaded file its object table: highestIndex slots, or
// kMaxObjectsPerFile while it has none, charged at 4 bytes a slot. False (after
// message 256) when out of memory.
bool allocateObjectTable(DatabaseFile* file);
ObjectID customFile();
// Resets a file's summary and adds every object in it again.
void recomputeSummary(DatabaseFile* file);
// Adds one object to a file's summary.
void addToSummary(DatabaseFile* file, const SkyObject* object);

// Objects.
SkyObject* getObject(ObjectID id);
ObjectID addObject(SkyObject* object, ObjectID id);
SkyObject* removeObject(ObjectID id);
ObjectID firstObjectInFile(ObjectID fileId);
ObjectID nextObjectInFile(ObjectID id);
ObjectID firstObject();
ObjectID nextObject(ObjectID id);

// Loading and unloading.
int loadFile(ObjectID fileId);
bool unloadFile(ObjectID fileId);
void unloadAll();
void enforceMemoryLimit();

// Test hook: the next `count` object tables fail to allocate, as if memory had
// run out.
void setTableAllocationFailuresForTest(int count);

// Writes the index and every modified file, then frees everything.
void closeDatabase();
