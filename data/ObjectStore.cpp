// The object store: the table of database files, their objects loaded on
// demand, and the memory limit that drops whole files again.

#include "data/ObjectStore.h"

#include "astro/Viewer.h"
#include "data/DatabaseFiles.h"
#include "shell/Platform.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <numbers>
#include <unistd.h>

ObjectStore gObjectStore;
std::int32_t gDrawGeneration = 0;

namespace {

constexpr int kOutOfMemoryString = 256;
constexpr int kCantOpenString = 257;
constexpr int kCantReadString = 258;
// Memory charged for each slot of a file's object table.
constexpr std::int32_t kSlotCharge = 4;
// The budget never goes below this, however small the machine.
constexpr std::int64_t kMinimumMemoryBudget = 8192000;
// Box angles: 2^30 units per turn.
constexpr double kAngleUnitsPerRadian = 170891318.89899233;

void (*gDatabaseClosedHandler)() = nullptr;
int gTableFailuresForTest = 0;
bool gEnforcing = false;

void ReportOutOfMemory() {
    ShowMessage(ButtonsOK, kOutOfMemoryString);
}

void Charge(DatabaseFile* file, std::int64_t bytes) {
    file->memoryBytes = static_cast<std::int32_t>(file->memoryBytes + bytes);
    gObjectStore.totalMemory += bytes;
}

SkyObject** NewTable(int slots) {
    if (gTableFailuresForTest > 0) {
        --gTableFailuresForTest;
        return nullptr;
    }
    return new (std::nothrow) SkyObject*[static_cast<std::size_t>(slots)]();
}

// Frees a file's objects and table and releases their charge, writing nothing.
void DiscardObjects(DatabaseFile* file) {
    if (file->objects != nullptr) {
        for (int i = 0; i < file->capacity; ++i)
            FreeObject(file->objects[i]);
        delete[] file->objects;
        file->objects = nullptr;
    }
    file->capacity = 0;
    gObjectStore.totalMemory -= file->memoryBytes;
    file->memoryBytes = 0;
    file->loadStamp = 0;
}

void ResetSummary(DatabaseFile* file) {
    file->solarSystemCount = 0;
    file->deepSkyCount = 0;
    file->starCount = 0;
    file->lineCount = 0;
    file->siteCount = 0;
    file->deepSkyFaintest = kFaintestStart;
    file->deepSkyBrightest = kBrightestStart;
    file->starFaintest = kFaintestStart;
    file->starBrightest = kBrightestStart;
    file->greatestDeclination = -kQuarterTurn;
    file->leastDeclination = kQuarterTurn;
    file->greatestRightAscension = 0;
    file->leastRightAscension = kFullTurn;
}

// Reads a file's data file with alerts off (an on-demand load happens in the
// middle of drawing or searching, where a message box would be out of place),
// the file locked so that the memory limit never drops it half read.
int ReadQuietly(ObjectID fileId) {
    bool alerts = MessagesEnabled();
    SetMessagesEnabled(false);
    lockFile(fileId);
    int status = readDataFile(fileId);
    unlockFile(fileId);
    SetMessagesEnabled(alerts);
    return status;
}

// Keeps a file in memory while the limit is enforced on its behalf, so that an
// object just stored is never dropped (and freed) before its id is returned.
void EnforceLimitSparing(ObjectID fileId) {
    lockFile(fileId);
    enforceMemoryLimit();
    unlockFile(fileId);
}

int FirstOccupiedFrom(const DatabaseFile* file, int index) {
    if (file->objects == nullptr) return 0;
    int last = file->highestIndex < file->capacity ? file->highestIndex : file->capacity;
    for (int i = index < 1 ? 1 : index; i <= last; ++i)
        if (file->objects[i - 1] != nullptr) return i;
    return 0;
}

} // namespace

// ---------------------------------------------------------------------------
// Start-up and limits

bool initObjectStore(std::int64_t memoryLimit) {
    setObjectStoreDefaults();
    gObjectStore.files = new (std::nothrow) DatabaseFile*[kMaxFiles]();
    if (gObjectStore.files == nullptr) {
        ReportOutOfMemory();
        return false;
    }
    gObjectStore.memoryLimit = memoryLimit;
    return true;
}

void setObjectStoreDefaults() {
    if (gObjectStore.files != nullptr) {
        for (int i = 0; i < kMaxFiles; ++i)
            freeFile(gObjectStore.files[i]);
        delete[] gObjectStore.files;
    }
    gObjectStore = ObjectStore();
    gTableFailuresForTest = 0;
    gEnforcing = false;
}

std::int64_t memoryBudget() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGE_SIZE);
    std::int64_t physical =
        pages > 0 && pageSize > 0 ? static_cast<std::int64_t>(pages) * pageSize : 0;
    int width = 0;
    int height = 0;
    ScreenSize(&width, &height);
    std::int64_t screenImage = static_cast<std::int64_t>(width) * height * ScreenBitsPerPixel() / 8;
    std::int64_t budget = physical / 4 - screenImage;
    return budget < kMinimumMemoryBudget ? kMinimumMemoryBudget : budget;
}

void setMemoryLimit(std::int64_t bytes) {
    gObjectStore.memoryLimit = bytes;
}

void setDatabaseClosedHandler(void (*handler)()) {
    gDatabaseClosedHandler = handler;
}

void setTableAllocationFailuresForTest(int count) {
    gTableFailuresForTest = count;
}

// ---------------------------------------------------------------------------
// Files

ObjectID attachFile(DatabaseFile* file) {
    if (file == nullptr || gObjectStore.files == nullptr) return 0;
    enforceMemoryLimit();
    int number = 0;
    if (file->fileId != 0) {
        number = FileNumber(file->fileId);
        if (number < 1 || number > kMaxFiles || ObjectIndex(file->fileId) != 0) return 0;
        DatabaseFile* occupant = gObjectStore.files[number - 1];
        if (occupant != nullptr && occupant != file) {
            // The record in the way is replaced. Its objects go with it, but
            // only once its changes are on disk and nobody is walking it.
            if (!unloadFile(occupant->fileId)) return 0;
            detachFile(occupant->fileId);
            freeFile(occupant);
        } else if (occupant == file) {
            gObjectStore.totalMemory -= file->memoryBytes; // charged again below
        }
    } else {
        for (int i = 0; i < kMaxFiles && number == 0; ++i)
            if (gObjectStore.files[i] == nullptr) number = i + 1;
        if (number == 0) return 0;
        file->fileId = FileID(number);
    }
    gObjectStore.files[number - 1] = file;
    gObjectStore.totalMemory += file->memoryBytes;
    if (number > gObjectStore.highestFile) gObjectStore.highestFile = number;
    gObjectStore.indexModified = true;
    return file->fileId;
}

DatabaseFile* detachFile(ObjectID fileId) {
    DatabaseFile* file = getFile(fileId);
    if (file == nullptr) return nullptr;
    gObjectStore.files[FileNumber(fileId) - 1] = nullptr;
    gObjectStore.totalMemory -= file->memoryBytes;
    file->fileId = 0;
    while (gObjectStore.highestFile > 0 &&
           gObjectStore.files[gObjectStore.highestFile - 1] == nullptr)
        --gObjectStore.highestFile;
    gObjectStore.indexModified = true;
    return file;
}

DatabaseFile* newFile(const char* name) {
    auto* file = new (std::nothrow) DatabaseFile;
    if (file != nullptr && name != nullptr) {
        file->name = CopyText(name);
        if (!file->name) {
            delete file;
            file = nullptr;
        }
    }
    if (file == nullptr) ReportOutOfMemory();
    return file;
}

void freeFile(DatabaseFile* file) {
    if (file == nullptr) return;
    if (file->objects != nullptr) {
        for (int i = 0; i < file->capacity; ++i)
            FreeObject(file->objects[i]);
        delete[] file->objects;
    }
    delete file;
}

DatabaseFile* getFile(ObjectID id) {
    if (gObjectStore.files == nullptr || id <= 0) return nullptr;
    int number = FileNumber(id);
    if (number < 1 || number > gObjectStore.highestFile) return nullptr;
    return gObjectStore.files[number - 1];
}

ObjectID firstFile() {
    return nextFile(0);
}

ObjectID nextFile(ObjectID id) {
    if (gObjectStore.files == nullptr) return 0;
    int number = id > 0 ? FileNumber(id) : 0;
    for (int n = number + 1; n <= gObjectStore.highestFile; ++n)
        if (gObjectStore.files[n - 1] != nullptr) return FileID(n);
    return 0;
}

int fileCount() {
    int count = 0;
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id))
        ++count;
    return count;
}

long objectCount() {
    long count = 0;
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id))
        count += getFile(id)->highestIndex;
    return count;
}

long solarSystemCount() {
    long count = 0;
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id))
        count += getFile(id)->solarSystemCount;
    return count;
}

void lockFile(ObjectID id) {
    if (DatabaseFile* file = getFile(id)) {
        if (file->lockCount < INT16_MAX) ++file->lockCount;
    }
}

void unlockFile(ObjectID id) {
    if (DatabaseFile* file = getFile(id)) {
        if (file->lockCount > 0) --file->lockCount;
    }
}

bool isModified(const DatabaseFile* file) {
    return file && (file->flags & kFileModified) != 0;
}

void setModified(DatabaseFile* file, bool on) {
    if (file == nullptr) return;
    if (on)
        file->flags |= kFileModified;
    else
        file->flags &= static_cast<std::uint16_t>(~kFileModified);
}

bool isReadOnly(const DatabaseFile* file) {
    return gObjectStore.databaseReadOnly || (file && (file->flags & kFileReadOnly) != 0);
}

void setReadOnly(DatabaseFile* file, bool on) {
    if (file == nullptr) return;
    if (on || gObjectStore.databaseReadOnly)
        file->flags |= kFileReadOnly;
    else
        file->flags &= static_cast<std::uint16_t>(~kFileReadOnly);
}

bool isLoaded(const DatabaseFile* file) {
    return file && file->objects != nullptr;
}

bool allocateObjectTable(DatabaseFile* file) {
    if (file == nullptr) return false;
    if (file->objects != nullptr) return true;
    int slots = file->highestIndex > 0 ? file->highestIndex : kMaxObjectsPerFile;
    file->objects = NewTable(slots);
    if (file->objects == nullptr) {
        ReportOutOfMemory();
        return false;
    }
    file->capacity = static_cast<std::int16_t>(slots);
    file->firstFreeHint = 1;
    Charge(file, static_cast<std::int64_t>(slots) * kSlotCharge);
    return true;
}

ObjectID customFile() {
    if (gObjectStore.files == nullptr) return 0;
    const ObjectID customId = FileID(1);
    if (gObjectStore.files[0] != nullptr) return customId;

    std::string name = LoadString(kCustomFileNameString);
    std::string chosen;
    ObjectID existing = 0;
    if (chooseDataFileName(name, chosen, existing) != kStatusSuccess) return 0;
    if (existing != 0) {
        // Replacing the file that bears the name would drop its objects; the
        // custom file takes the next numbered name instead.
        chosen = numberedDataFileName(name);
        if (chosen.empty()) return 0;
    }

    DatabaseFile* file = newFile(chosen.c_str());
    if (file == nullptr) return 0;
    file->fileId = customId;
    if (attachFile(file) == 0) {
        freeFile(file);
        return 0;
    }
    std::string path = dataFilePath(chosen);
    if (!path.empty() && FileExists(path)) {
        // A data file of this name is on disk but in no index (the index was
        // lost or damaged): it holds the user's own objects, so it is taken
        // back instead of being written over with an empty one.
        int status = loadFile(customId);
        if (status == kStatusSuccess) return customId;
        if (status != kStatusCannotOpen) freeFile(detachFile(customId));
        return 0;
    }
    if (writeDataFile(customId) != kStatusSuccess) {
        freeFile(detachFile(customId));
        return 0;
    }
    return customId;
}

void addToSummary(DatabaseFile* file, const SkyObject* object) {
    if (file == nullptr || object == nullptr) return;
    if (IsSolarSystemType(object->type)) {
        ++file->solarSystemCount;
    } else if (IsLineType(object->type)) {
        ++file->lineCount;
    } else if (IsSiteType(object->type)) {
        ++file->siteCount;
    } else if (const CatalogObject* catalog = AsCatalog(object)) {
        std::int16_t magnitude = catalog->catalogMagnitude;
        std::int16_t* faintest = &file->starFaintest;
        std::int16_t* brightest = &file->starBrightest;
        if (IsDeepSkyType(object->type)) {
            ++file->deepSkyCount;
            faintest = &file->deepSkyFaintest;
            brightest = &file->deepSkyBrightest;
        } else {
            ++file->starCount;
        }
        if (magnitude > *faintest) *faintest = magnitude;
        if (magnitude < *brightest) *brightest = magnitude;

        double x = catalog->position[0] / kUnitVectorScale;
        double y = catalog->position[1] / kUnitVectorScale;
        double z = catalog->position[2] / kUnitVectorScale;
        double rightAscension = std::atan2(y, x);
        if (rightAscension < 0.0) rightAscension += 2.0 * std::numbers::pi;
        if (rightAscension >= 2.0 * std::numbers::pi) rightAscension = 0.0;
        // atan2 rather than asin: a stored vector a little longer than 1 must
        // not give no declination at all.
        double declination = std::atan2(z, std::hypot(x, y));
        auto ra = static_cast<std::int32_t>(rightAscension * kAngleUnitsPerRadian);
        auto dec = static_cast<std::int32_t>(declination * kAngleUnitsPerRadian);
        if (dec > file->greatestDeclination) file->greatestDeclination = dec;
        if (dec < file->leastDeclination) file->leastDeclination = dec;
        if (ra > file->greatestRightAscension) file->greatestRightAscension = ra;
        if (ra < file->leastRightAscension) file->leastRightAscension = ra;
    }
}

void recomputeSummary(DatabaseFile* file) {
    if (file == nullptr) return;
    if (!isLoaded(file) && file->fileId != 0 && file->highestIndex > 0) {
        // A failed load may have dropped the file altogether; it is not touched again.
        if (loadFile(file->fileId) != kStatusSuccess) return;
    }
    ResetSummary(file);
    if (!isLoaded(file)) return;
    for (int i = FirstOccupiedFrom(file, 1); i != 0; i = FirstOccupiedFrom(file, i + 1))
        addToSummary(file, file->objects[i - 1]);
}

// ---------------------------------------------------------------------------
// Objects

SkyObject* getObject(ObjectID id) {
    DatabaseFile* file = getFile(id);
    int index = ObjectIndex(id);
    if (file == nullptr || index == 0 || index > file->highestIndex) return nullptr;
    if (!isLoaded(file)) {
        if (loadFile(id) != kStatusSuccess) return nullptr;
        file = getFile(id);
        if (file == nullptr || index > file->highestIndex) return nullptr;
    }
    if (index > file->capacity) return nullptr;
    return file->objects[index - 1];
}

ObjectID addObject(SkyObject* object, ObjectID id) {
    if (object == nullptr) return 0;
    if (id == 0) {
        id = customFile();
        if (id == 0) return 0;
    }
    DatabaseFile* file = getFile(id);
    if (file == nullptr) return 0;
    const ObjectID fileId = file->fileId;
    int index = ObjectIndex(id);

    if (!isLoaded(file)) {
        // A file with objects on disk is read before anything is added, or
        // writing it later would keep only the new object. (While it is being
        // read its table already exists, so loading never comes back here.)
        if (file->highestIndex > 0) {
            if (loadFile(fileId) != kStatusSuccess) return 0;
            file = getFile(fileId);
            if (file == nullptr) return 0;
        }
        if (!allocateObjectTable(file)) return 0;
    }

    if (index >= 1 && index <= file->highestIndex) {
        // Replacement: the slot keeps its number; loading comes this way.
        if (index > file->capacity) return 0;
        SkyObject*& slot = file->objects[index - 1];
        if (slot != object) {
            if (slot != nullptr) {
                Charge(file, -ChargedSize(slot));
                FreeObject(slot);
            }
            slot = object;
            Charge(file, ChargedSize(object));
        }
        SetObjectID(object, id);
        EnforceLimitSparing(fileId);
        return id;
    }

    // A new object takes the first free slot, reusing the numbers of removed ones.
    index = 0;
    for (int i = std::max<int>(1, file->firstFreeHint); i <= file->capacity && index == 0; ++i)
        if (file->objects[i - 1] == nullptr) index = i;
    if (index == 0 && file->capacity < kMaxObjectsPerFile) {
        SkyObject** grown = NewTable(kMaxObjectsPerFile);
        if (grown == nullptr) {
            ReportOutOfMemory();
            return 0;
        }
        std::memcpy(grown, file->objects, sizeof(SkyObject*) * file->capacity);
        delete[] file->objects;
        file->objects = grown;
        Charge(file, static_cast<std::int64_t>(kMaxObjectsPerFile - file->capacity) * kSlotCharge);
        index = file->capacity + 1;
        file->capacity = kMaxObjectsPerFile;
    }
    if (index == 0) return 0;

    file->objects[index - 1] = object;
    file->firstFreeHint = static_cast<std::int16_t>(index + 1);
    if (index > file->highestIndex) file->highestIndex = static_cast<std::int16_t>(index);
    addToSummary(file, object);
    setModified(file, true);
    gObjectStore.indexModified = true;
    Charge(file, ChargedSize(object));
    id = MakeObjectID(fileId, index);
    SetObjectID(object, id);
    EnforceLimitSparing(fileId);
    return id;
}

SkyObject* removeObject(ObjectID id) {
    SkyObject* object = getObject(id);
    DatabaseFile* file = getFile(id);
    if (object == nullptr || file == nullptr) return nullptr;
    int index = ObjectIndex(id);
    file->objects[index - 1] = nullptr;
    if (index < file->firstFreeHint) file->firstFreeHint = static_cast<std::int16_t>(index);
    SetObjectID(object, 0);
    if (index == file->highestIndex) {
        while (file->highestIndex > 0 && file->objects[file->highestIndex - 1] == nullptr)
            --file->highestIndex;
    }
    Charge(file, -ChargedSize(object));
    recomputeSummary(file);
    setModified(file, true);
    gObjectStore.indexModified = true;
    return object;
}

ObjectID firstObjectInFile(ObjectID fileId) {
    DatabaseFile* file = getFile(fileId);
    if (file == nullptr) return 0;
    return nextObjectInFile(file->fileId);
}

ObjectID nextObjectInFile(ObjectID id) {
    DatabaseFile* file = getFile(id);
    if (file == nullptr) return 0;
    const ObjectID fileId = file->fileId;
    if (loadFile(fileId) != kStatusSuccess) return 0;
    file = getFile(fileId);
    if (file == nullptr) return 0;
    int index = FirstOccupiedFrom(file, ObjectIndex(id) + 1);
    return index == 0 ? 0 : MakeObjectID(fileId, index);
}

ObjectID firstObject() {
    for (ObjectID fileId = firstFile(); fileId != 0; fileId = nextFile(fileId))
        if (ObjectID id = firstObjectInFile(fileId)) return id;
    return 0;
}

ObjectID nextObject(ObjectID id) {
    if (ObjectID next = nextObjectInFile(id)) return next;
    for (ObjectID fileId = nextFile(id); fileId != 0; fileId = nextFile(fileId))
        if (ObjectID first = firstObjectInFile(fileId)) return first;
    return 0;
}

// ---------------------------------------------------------------------------
// Loading and unloading

int loadFile(ObjectID fileId) {
    DatabaseFile* file = getFile(fileId);
    if (file == nullptr) return kStatusNotFound;
    if (isLoaded(file)) return kStatusSuccess;
    if (file->loadFailure != 0) return file->loadFailure;
    fileId = file->fileId;
    const std::int16_t listedCount = file->highestIndex;

    int status = ReadQuietly(fileId);
    if (status == kStatusOutOfMemory) {
        DiscardObjects(file);
        unloadAll();
        status = ReadQuietly(fileId);
    }
    if (status == kStatusSuccess) {
        file->loadStamp = ++gObjectStore.loadCounter;
        if (file->highestIndex != listedCount) {
            // The data file holds a different number of slots from what the
            // index said; the data file is right, and the index's record is
            // corrected. Only in memory: reading is no reason to write the
            // user's index, and the next change that writes it writes this too.
            recomputeSummary(file);
        }
        // Placing the objects kept the total within the limit, but a file
        // without objects only brought its table, which nothing has paid for.
        EnforceLimitSparing(fileId);
        return kStatusSuccess;
    }
    DiscardObjects(file);
    // A data file that is missing, unreadable or damaged is the user's to
    // mend (a medium not mounted, a file moved away for a moment): its record
    // stays in the database and in the index exactly as it was, and it is
    // reported once and passed over for the rest of the run, rather than read
    // again at every object of every drawing. A file being filled by an
    // import is held locked and has no data file until it is written.
    if ((status == kStatusCannotOpen || status == kStatusReadError) && file->lockCount == 0) {
        file->loadFailure = static_cast<std::int16_t>(status);
        const std::string name = file->name ? file->name.get() : "";
        std::string path = dataFilePath(name);
        ShowMessage(ButtonsOK, status == kStatusCannotOpen ? kCantOpenString : kCantReadString,
                    FileTitle(path.empty() ? name : path).c_str());
    }
    return status;
}

bool unloadFile(ObjectID fileId) {
    DatabaseFile* file = getFile(fileId);
    if (file == nullptr || file->lockCount > 0) return false;
    if (!isLoaded(file)) return true;
    if (isModified(file)) {
        if (isReadOnly(file)) {
            setModified(file, false);
        } else if (writeDataFile(file->fileId) != kStatusSuccess) {
            // Dropping the objects now would lose the changes for good; they
            // stay in memory and are written at the next chance.
            return false;
        }
    }
    DiscardObjects(file);
    return true;
}

void unloadAll() {
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id))
        unloadFile(id);
}

void enforceMemoryLimit() {
    if (gEnforcing || gObjectStore.files == nullptr) return;
    if (gObjectStore.totalMemory <= gObjectStore.memoryLimit) return;
    gEnforcing = true;
    // Files the chart has not drawn from in the last two drawings go first.
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id)) {
        DatabaseFile* file = getFile(id);
        if (isLoaded(file) && gDrawGeneration - file->lastDrawGeneration > 1) unloadFile(id);
    }
    // Then the most recently loaded, working back towards the oldest.
    std::int64_t bound = static_cast<std::int64_t>(gObjectStore.loadCounter) + 1;
    while (gObjectStore.totalMemory > gObjectStore.memoryLimit) {
        ObjectID chosen = 0;
        std::int32_t chosenStamp = 0;
        for (ObjectID id = firstFile(); id != 0; id = nextFile(id)) {
            const DatabaseFile* file = getFile(id);
            if (file->loadStamp > 0 && file->loadStamp < bound && file->loadStamp > chosenStamp) {
                chosen = id;
                chosenStamp = file->loadStamp;
            }
        }
        if (chosen == 0) break;
        unloadFile(chosen);
        bound = chosenStamp;
    }
    gEnforcing = false;
}

// ---------------------------------------------------------------------------
// Closing

void closeDatabase() {
    // A read-only database (the large one on removable media) is never
    // written back, whatever was changed in memory.
    if (!gObjectStore.indexPath.empty() && gObjectStore.indexModified &&
        !gObjectStore.databaseReadOnly)
        writeIndex(gObjectStore.indexPath);
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id)) {
        DatabaseFile* file = getFile(id);
        if (isModified(file) && !isReadOnly(file)) writeDataFile(id);
    }
    if (gObjectStore.files != nullptr) {
        for (int i = 0; i < kMaxFiles; ++i) {
            freeFile(gObjectStore.files[i]);
            gObjectStore.files[i] = nullptr;
        }
    }
    gObjectStore.highestFile = 0;
    gObjectStore.totalMemory = 0;
    gObjectStore.indexPath.clear();
    gObjectStore.databaseDirectory.clear();
    gObjectStore.indexModified = false;
    gObjectStore.databaseReadOnly = false;

    // No old id means anything any more.
    gViewer.viewerObject = 0;
    for (double& component : gViewer.viewerObjectOffset)
        component = 0.0;
    if (gDatabaseClosedHandler != nullptr) gDatabaseClosedHandler();
}
