// The database on disk: the record codec, the index and data files, the
// database directory, and the File menu's database commands.

#include "data/DatabaseFiles.h"

#include "shell/Platform.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Messages, string-table entries.
constexpr int kOutOfMemoryString = 256;
constexpr int kCantOpenString = 257;
constexpr int kCantReadString = 258;
constexpr int kCantWriteString = 259;
constexpr int kCantAddString = 527;
constexpr int kSameFileNumberString = 546;
constexpr int kNoDirectoryString = 528;
constexpr int kCantCreateDirectoryString = 529;
constexpr int kCantOpenForWritingString = 530;
constexpr int kReplaceFileString = 531;
constexpr int kCantDeleteString = 533;
constexpr int kNotInDatabaseString = 534;
constexpr int kConfirmDeleteString = 535;
constexpr int kDeleteDialogTitleString = 750;
constexpr int kDataFileFilterString = 751;

// Source names are cut to this length before a data-file name is made of them.
constexpr std::size_t kMaxSourceNameLength = 255;
// Numbered names run from base1 to base99.
constexpr int kMaxNameNumber = 99;

// The large database's index on removable media, letter case ignored.
constexpr const char* kMediaIndexPattern =
    "[Dd][Aa][Tt][Aa][Bb][Aa][Ss][Ee]/[Ii][Nn][Dd][Ee][Xx].[Nn][Vv][Dd]";
const char* const kDefaultMediaRoots[] = {"/media/*/*", "/run/media/*/*", "/mnt/*"};

void (*gRecomputeHandler)() = nullptr;
std::vector<std::string> gMediaRoots;
long gWriteFailureAfterBytes = -1;

bool IsSeparator(char c) {
    return c == '\\' || c == '/' || c == ':';
}

// The components of a name relative to the database directory. Empty
// components and "." are passed over; a ".." would lead out of the database
// (an index is input like any other file) and refuses the whole name.
bool SplitName(const std::string& name, std::vector<std::string>& parts) {
    parts.clear();
    std::string part;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsSeparator(name[i])) {
            part += name[i];
            continue;
        }
        if (part == "..") return false;
        if (!part.empty() && part != ".") parts.push_back(part);
        part.clear();
    }
    return !parts.empty();
}

// Data-file names compare without regard to ASCII letter case, and all three
// separators count as one.
bool SameDataFileName(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return false;
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (IsSeparator(*a) && IsSeparator(*b)) continue;
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b)))
            return false;
    }
    return *a == *b;
}

ObjectID AttachedFileNamed(const std::string& name) {
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id))
        if (SameDataFileName(getFile(id)->name.get(), name.c_str())) return id;
    return 0;
}

// The source name without its extension: the last "." after the first
// character and after the last separator starts the extension.
std::string BaseName(const std::string& sourceName) {
    std::string base = sourceName.substr(0, kMaxSourceNameLength);
    for (std::size_t i = base.size(); i-- > 1;) {
        if (IsSeparator(base[i])) break;
        if (base[i] == '.') {
            base.resize(i);
            break;
        }
    }
    return base;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// ---------------------------------------------------------------------------
// Byte order

template <typename T> T Reversed(T value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    std::reverse(bytes, bytes + sizeof(T));
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

// A double from a file held as a float; out of range gives infinity rather
// than the undefined conversion.
float NarrowToFloat(double value) {
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX)
        return value > 0 ? std::numeric_limits<float>::infinity()
                         : -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

// ---------------------------------------------------------------------------
// Reading

// A bounded cursor over one record's bytes: every read is checked against the
// record's length, and a short record only clears `ok`.
class RecordReader {
public:
    RecordReader(const unsigned char* bytes, std::size_t size, bool swap)
        : bytes_(bytes), size_(size), swap_(swap) {}

    template <typename T> T get() {
        T value{};
        if (!ok || size_ - position_ < sizeof(T)) {
            ok = false;
            return value;
        }
        std::memcpy(&value, bytes_ + position_, sizeof(T));
        position_ += sizeof(T);
        return swap_ ? Reversed(value) : value;
    }

    // A text ends at a NUL inside the record; an empty text is an absent one.
    // `outOfMemory` is set when the copy could not be made.
    OwnedText text(bool& outOfMemory) {
        if (!ok) return nullptr;
        const void* end = std::memchr(bytes_ + position_, 0, size_ - position_);
        if (end == nullptr) {
            ok = false;
            return nullptr;
        }
        const char* start = reinterpret_cast<const char*>(bytes_ + position_);
        position_ = static_cast<const unsigned char*>(end) - bytes_ + 1;
        if (*start == '\0') return nullptr;
        OwnedText copy = CopyText(start);
        if (!copy) outOfMemory = true;
        return copy;
    }

    bool ok = true;

private:
    const unsigned char* bytes_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool swap_;
};

struct Header {
    bool swap = false;
    std::int32_t kind = 0;
    std::int32_t version = 0;
    std::int32_t count = 0;
};

// Reads the 256-byte header. The mark is read as it lies: 1 means the file is
// in this machine's order, 1 reversed means every later value is swapped;
// anything else is not one of our files.
bool ReadHeader(std::FILE* file, Header& header) {
    unsigned char bytes[kDatabaseHeaderSize];
    if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return false;
    std::int32_t mark = 0;
    std::memcpy(&mark, bytes, 4);
    if (mark == kByteOrderMark)
        header.swap = false;
    else if (mark == Reversed(kByteOrderMark))
        header.swap = true;
    else
        return false;
    RecordReader reader(bytes + 4, 12, header.swap);
    header.kind = reader.get<std::int32_t>();
    header.version = reader.get<std::int32_t>();
    header.count = reader.get<std::int32_t>();
    return true;
}

bool HeaderAccepted(const Header& header, std::int32_t kind) {
    return header.kind == kind && header.version == kDatabaseFormatVersion && header.count >= 0 &&
           header.count <= kMaxObjectsPerFile;
}

// Reads one length-prefixed record into `buffer` (of `capacity` bytes).
bool ReadRecord(std::FILE* file, bool swap, unsigned char* buffer, int capacity, int& length) {
    std::int16_t count = 0;
    if (std::fread(&count, 1, sizeof count, file) != sizeof count) return false;
    if (swap) count = Reversed(count);
    if (count < 0 || count > capacity) return false;
    length = count;
    return std::fread(buffer, 1, static_cast<std::size_t>(count), file) ==
           static_cast<std::size_t>(count);
}

template <typename T, std::size_t N> void GetArray(RecordReader& reader, T (&values)[N]) {
    for (T& value : values)
        value = reader.get<T>();
}

// Reads one slot of a data file: 1 with the object (none for an empty slot),
// kStatusReadError or kStatusOutOfMemory.
int ReadObject(std::FILE* file, bool swap, SkyObject** result) {
    *result = nullptr;
    unsigned char type = 0;
    if (std::fread(&type, 1, 1, file) != 1) return kStatusReadError;
    if (type == 0) return kStatusSuccess;
    if (!IsKnownType(type)) return kStatusReadError;

    unsigned char buffer[kObjectRecordBufferSize];
    int length = 0;
    if (IsCompactType(type)) {
        length = kCompactRecordSize;
        if (std::fread(buffer, 1, kCompactRecordSize, file) != kCompactRecordSize)
            return kStatusReadError;
    } else if (!ReadRecord(file, swap, buffer, kObjectRecordBufferSize, length)) {
        return kStatusReadError;
    }
    RecordReader reader(buffer, static_cast<std::size_t>(length), swap);

    SkyObject* object = NewObject(type);
    if (object == nullptr) {
        ShowMessage(ButtonsOK, kOutOfMemoryString);
        return kStatusOutOfMemory;
    }
    bool outOfMemory = false;
    if (auto* body = AsSolarSystem(object)) {
        body->primary = reader.get<std::int32_t>();
        body->epoch = NarrowToFloat(reader.get<double>());
        GetArray(reader, body->elements);
        body->magnitudeParam1 = reader.get<std::int16_t>();
        body->magnitudeParam2 = reader.get<std::int16_t>();
        body->name = reader.text(outOfMemory);
    } else if (auto* catalog = AsCatalog(object)) {
        GetArray(reader, catalog->position);
        if (IsCompactType(type)) {
            catalog->catalogMagnitude = reader.get<std::int16_t>();
            std::uint32_t identifier = reader.get<std::uint32_t>();
            catalog->identifiers.reset(new (std::nothrow) std::uint32_t[1]);
            if (catalog->identifiers) {
                catalog->identifiers[0] = identifier;
                catalog->identifierCount = 1;
            } else {
                outOfMemory = true;
            }
        } else {
            GetArray(reader, catalog->motion);
            catalog->catalogDistance = reader.get<float>();
            catalog->radialVelocity = reader.get<float>();
            catalog->catalogMagnitude = reader.get<std::int16_t>();
            catalog->colorIndex = reader.get<std::int16_t>();
            catalog->companionOffset = reader.get<std::int16_t>();
            catalog->variableRange = reader.get<std::int16_t>();
            catalog->size = reader.get<float>();
            int count = reader.get<std::uint8_t>();
            if (count > kMaxIdentifiers) reader.ok = false;
            if (reader.ok && count > 0) {
                catalog->identifiers.reset(new (std::nothrow) std::uint32_t[count]);
                if (!catalog->identifiers) outOfMemory = true;
                for (int i = 0; i < count && !outOfMemory; ++i)
                    catalog->identifiers[i] = reader.get<std::uint32_t>();
                if (!outOfMemory) catalog->identifierCount = static_cast<std::int8_t>(count);
            }
            catalog->name = reader.text(outOfMemory);
        }
    } else if (auto* line = AsLine(object)) {
        GetArray(reader, line->endpointObjects);
        GetArray(reader, line->endpointPositions[0]);
        GetArray(reader, line->endpointPositions[1]);
        line->label = reader.text(outOfMemory);
    } else if (auto* site = AsSite(object)) {
        site->longitude = reader.get<float>();
        site->latitude = reader.get<float>();
        site->altitude = reader.get<float>();
        site->timeZone = reader.get<float>();
        site->name = reader.text(outOfMemory);
    }
    if (outOfMemory) {
        FreeObject(object);
        ShowMessage(ButtonsOK, kOutOfMemoryString);
        return kStatusOutOfMemory;
    }
    if (!reader.ok) {
        FreeObject(object);
        return kStatusReadError;
    }
    *result = object;
    return kStatusSuccess;
}

// ---------------------------------------------------------------------------
// Writing

class Writer {
public:
    explicit Writer(std::FILE* file) : file_(file) {}

    void bytes(const void* data, std::size_t size) {
        if (!ok) return;
        if (gWriteFailureAfterBytes >= 0 &&
            written_ + static_cast<long>(size) > gWriteFailureAfterBytes) {
            std::fwrite(data, 1, static_cast<std::size_t>(gWriteFailureAfterBytes - written_),
                        file_);
            ok = false;
            return;
        }
        if (std::fwrite(data, 1, size, file_) != size) ok = false;
        written_ += static_cast<long>(size);
    }

    template <typename T> void put(T value) { bytes(&value, sizeof value); }

    bool ok = true;

private:
    std::FILE* file_;
    long written_ = 0;
};

void WriteHeader(Writer& writer, std::int32_t kind, std::int32_t count) {
    unsigned char bytes[kDatabaseHeaderSize] = {};
    const std::int32_t values[4] = {kByteOrderMark, kind, kDatabaseFormatVersion, count};
    std::memcpy(bytes, values, sizeof values);
    writer.bytes(bytes, sizeof bytes);
}

// One record's payload, built before its length is known.
class Payload {
public:
    template <typename T> void put(T value) {
        if (size_ + sizeof(T) > sizeof bytes_) {
            overflow = true;
            return;
        }
        std::memcpy(bytes_ + size_, &value, sizeof(T));
        size_ += sizeof(T);
    }

    template <typename T, std::size_t N> void putArray(const T (&values)[N]) {
        for (const T& value : values)
            put(value);
    }

    // A text and its NUL. With `mayCut` a text too long for the record is cut
    // to fit (a name is only shown); otherwise the record overflows.
    void text(const char* text, bool mayCut) {
        std::size_t length = text != nullptr ? std::strlen(text) : 0;
        std::size_t room = size_ < limit_ ? limit_ - size_ - 1 : 0;
        if (length > room) {
            if (!mayCut || size_ >= limit_) {
                overflow = true;
                return;
            }
            length = room;
        }
        if (length > 0) std::memcpy(bytes_ + size_, text, length);
        size_ += length;
        bytes_[size_++] = '\0';
    }

    void setLimit(std::size_t limit) { limit_ = std::min(limit, sizeof bytes_); }

    void writeTo(Writer& writer, bool lengthPrefix) const {
        if (lengthPrefix) writer.put(static_cast<std::int16_t>(size_));
        writer.bytes(bytes_, size_);
    }

    bool overflow = false;

private:
    unsigned char bytes_[kObjectRecordBufferSize] = {};
    std::size_t size_ = 0;
    std::size_t limit_ = kObjectRecordBufferSize;
};

// Writes a slot's type byte and body; false for an object no file can hold.
bool WriteObject(Writer& writer, const SkyObject* object) {
    Payload payload;
    bool lengthPrefix = true;
    if (const auto* body = AsSolarSystem(object)) {
        payload.put(body->primary);
        payload.put(static_cast<double>(body->epoch));
        payload.putArray(body->elements);
        payload.put(body->magnitudeParam1);
        payload.put(body->magnitudeParam2);
        payload.text(body->name.get(), true);
    } else if (const auto* catalog = AsCatalog(object)) {
        if (!IsKnownType(object->type)) return false;
        int count = catalog->identifiers ? catalog->identifierCount : 0;
        count = std::clamp(count, 0, kMaxIdentifiers);
        payload.putArray(catalog->position);
        if (IsCompactType(object->type)) {
            lengthPrefix = false;
            payload.put(catalog->catalogMagnitude);
            payload.put(count > 0 ? catalog->identifiers[0] : std::uint32_t{0});
        } else {
            payload.putArray(catalog->motion);
            payload.put(catalog->catalogDistance);
            payload.put(catalog->radialVelocity);
            payload.put(catalog->catalogMagnitude);
            payload.put(catalog->colorIndex);
            payload.put(catalog->companionOffset);
            payload.put(catalog->variableRange);
            payload.put(catalog->size);
            payload.put(static_cast<std::uint8_t>(count));
            for (int i = 0; i < count; ++i)
                payload.put(catalog->identifiers[i]);
            payload.text(catalog->name.get(), true);
        }
    } else if (const auto* line = AsLine(object)) {
        payload.putArray(line->endpointObjects);
        payload.putArray(line->endpointPositions[0]);
        payload.putArray(line->endpointPositions[1]);
        payload.text(line->label.get(), true);
    } else if (const auto* site = AsSite(object)) {
        payload.put(site->longitude);
        payload.put(site->latitude);
        payload.put(site->altitude);
        payload.put(site->timeZone);
        payload.text(site->name.get(), true);
    } else {
        return false;
    }
    if (payload.overflow) return false;
    writer.put(object->type);
    payload.writeTo(writer, lengthPrefix);
    return true;
}

// ---------------------------------------------------------------------------
// Finding files

// Restores the current directory when a command ends, however it ends.
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper() : previous_(GetCurrentDirectory()) {}
    ~CurrentDirectoryKeeper() {
        if (!previous_.empty()) SetCurrentDirectory(previous_);
    }
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

private:
    std::string previous_;
};

bool ProbeHeader(std::FILE* stream, std::int32_t kind) {
    if (stream == nullptr) return false;
    bool alerts = MessagesEnabled();
    SetMessagesEnabled(false);
    long position = std::ftell(stream);
    Header header;
    bool accepted = ReadHeader(stream, header) && HeaderAccepted(header, kind);
    std::clearerr(stream);
    if (position >= 0) std::fseek(stream, position, SEEK_SET);
    SetMessagesEnabled(alerts);
    return accepted;
}

} // namespace

// ---------------------------------------------------------------------------
// Settings and hooks

void setRecomputeHandler(void (*handler)()) {
    gRecomputeHandler = handler;
}

void setRemovableMediaRoots(const std::vector<std::string>& patterns) {
    gMediaRoots = patterns;
}

std::vector<std::string> removableMediaRoots() {
    if (!gMediaRoots.empty()) return gMediaRoots;
    return {std::begin(kDefaultMediaRoots), std::end(kDefaultMediaRoots)};
}

std::string findMediaIndex(const std::vector<std::string>& roots) {
    for (const std::string& root : roots)
        for (const std::string& path : MatchingPaths(AppendPathComponent(root, kMediaIndexPattern)))
            if (FileExists(path)) return path;
    return {};
}

void setWriteFailureAfterBytesForTest(long bytes) {
    gWriteFailureAfterBytes = bytes;
}

// ---------------------------------------------------------------------------
// Names and paths

std::string dataFilePath(const std::string& name) {
    std::vector<std::string> parts;
    if (gObjectStore.databaseDirectory.empty() || !SplitName(name, parts)) return {};
    std::string path = gObjectStore.databaseDirectory;
    for (const std::string& part : parts)
        path = AppendPathComponent(path, part);
    return path;
}

bool dataFileNameTaken(const std::string& candidate) {
    if (SameDataFileName(candidate.c_str(), LoadString(kIndexFileNameString).c_str())) return true;
    if (!gObjectStore.indexPath.empty() &&
        SameDataFileName(candidate.c_str(), FileTitle(gObjectStore.indexPath).c_str()))
        return true;
    std::string path = dataFilePath(candidate);
    return !path.empty() && (FileExists(path) || DirectoryExists(path));
}

int chooseDataFileName(const std::string& sourceName, std::string& name, ObjectID& existingFileId) {
    std::string candidate = BaseName(sourceName) + kDataFileExtension;
    ObjectID match = AttachedFileNamed(candidate);
    if (match == 0) {
        name = candidate;
        existingFileId = 0;
        return kStatusSuccess;
    }
    int answer = ShowMessage(ButtonsYesNoCancel, kReplaceFileString, candidate.c_str());
    if (answer == AnswerYes) {
        name = candidate;
        existingFileId = match;
        return kStatusSuccess;
    }
    if (answer != AnswerNo) return kStatusCancelled;
    std::string numbered = numberedDataFileName(sourceName);
    if (numbered.empty()) return kStatusCancelled;
    name = numbered;
    existingFileId = 0;
    return kStatusSuccess;
}

std::string numberedDataFileName(const std::string& sourceName) {
    std::string base = BaseName(sourceName);
    for (int n = 1; n <= kMaxNameNumber; ++n) {
        std::string candidate = base + std::to_string(n) + kDataFileExtension;
        if (AttachedFileNamed(candidate) == 0 && !dataFileNameTaken(candidate)) return candidate;
    }
    return {};
}

bool deleteDataFile(const std::string& name) {
    std::string path = dataFilePath(name);
    if (path.empty() || !DeleteFile(path)) return false;
    const std::string top = WithoutTrailingSlash(gObjectStore.databaseDirectory);
    for (;;) {
        std::size_t slash = path.rfind('/');
        if (slash == std::string::npos) break;
        path.resize(slash);
        // Never the database directory, nor anything above it.
        if (path.size() <= top.size() || SamePath(path, top)) break;
        if (!RemoveDirectory(path)) break;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Index

bool readIndex(const std::string& path) {
    const std::string title = FileTitle(path);
    std::FILE* file = OpenFile(path, "rb");
    if (file == nullptr) {
        ShowMessage(ButtonsOK, kCantOpenString, title.c_str());
        return false;
    }
    Header header;
    if (!ReadHeader(file, header) || !HeaderAccepted(header, kIndexFileKind)) {
        CloseFile(file);
        ShowMessage(ButtonsOK, kCantReadString, title.c_str());
        return false;
    }

    bool complete = true;
    std::vector<DatabaseFile*> renumbered;
    std::vector<ObjectID> listed;
    unsigned char buffer[kIndexRecordBufferSize];
    for (std::int32_t i = 0; i < header.count && complete; ++i) {
        int length = 0;
        if (!ReadRecord(file, header.swap, buffer, kIndexRecordBufferSize, length)) {
            ShowMessage(ButtonsOK, kCantReadString, title.c_str());
            complete = false;
            break;
        }
        RecordReader reader(buffer, static_cast<std::size_t>(length), header.swap);
        ObjectID fileId = reader.get<std::int32_t>();
        std::int32_t highestIndex = reader.get<std::int32_t>();
        std::int16_t counts[9];
        GetArray(reader, counts);
        std::int32_t box[4];
        GetArray(reader, box);
        bool outOfMemory = false;
        OwnedText name = reader.text(outOfMemory);
        std::vector<std::string> parts;
        if (outOfMemory) {
            ShowMessage(ButtonsOK, kOutOfMemoryString);
            complete = false;
            break;
        }
        if (!reader.ok || highestIndex < 0 || highestIndex > kMaxObjectsPerFile || !name ||
            !SplitName(name.get(), parts)) {
            ShowMessage(ButtonsOK, kCantReadString, title.c_str());
            complete = false;
            break;
        }
        DatabaseFile* record = newFile(name.get());
        if (record == nullptr) {
            complete = false;
            break;
        }
        record->fileId = fileId;
        record->highestIndex = static_cast<std::int16_t>(highestIndex);
        record->solarSystemCount = counts[0];
        record->deepSkyCount = counts[1];
        record->starCount = counts[2];
        record->lineCount = counts[3];
        record->siteCount = counts[4];
        record->deepSkyFaintest = counts[5];
        record->deepSkyBrightest = counts[6];
        record->starFaintest = counts[7];
        record->starBrightest = counts[8];
        record->greatestDeclination = box[0];
        record->leastDeclination = box[1];
        record->greatestRightAscension = box[2];
        record->leastRightAscension = box[3];
        // A number listed twice would make one file replace the other; the
        // later one is given a free number once every listed one is placed.
        if (std::find(listed.begin(), listed.end(), fileId) != listed.end()) {
            renumbered.push_back(record);
            continue;
        }
        listed.push_back(fileId);
        if (attachFile(record) == 0) {
            ShowMessage(ButtonsOK, kCantAddString, title.c_str());
            freeFile(record);
            complete = false;
        }
    }
    CloseFile(file);
    for (DatabaseFile* record : renumbered) {
        ShowMessage(ButtonsOK, kSameFileNumberString, title.c_str(), record->name.get());
        record->fileId = 0;
        if (attachFile(record) == 0) {
            ShowMessage(ButtonsOK, kCantAddString, record->name.get());
            freeFile(record);
            complete = false;
        }
    }

    bool readOnly = IsReadOnly(path);
    if (!complete) {
        // The files read so far stay attached and must stay loadable, but the
        // damaged index is not made current: it would be written over with
        // only part of its list when the database is closed.
        if (gObjectStore.indexPath.empty()) {
            gObjectStore.databaseDirectory = StripFileName(path);
            gObjectStore.databaseReadOnly = readOnly;
        }
        return false;
    }
    gObjectStore.indexModified = false;
    gObjectStore.indexPath = path;
    gObjectStore.databaseDirectory = StripFileName(path);
    gObjectStore.databaseReadOnly = readOnly;
    // A replacement cut short by a crash leaves its temporary file beside the
    // index or a data file; nothing else ever opens it.
    if (!readOnly)
        RemoveStaleTemporaryFiles(gObjectStore.databaseDirectory, kDataFileExtension, true);
    return true;
}

bool writeIndex(const std::string& path) {
    const std::string title = FileTitle(path);
    std::FILE* file = OpenFile(path, "wb");
    if (file == nullptr) {
        ShowMessage(ButtonsOK, kCantOpenForWritingString, title.c_str());
        return false;
    }
    Writer writer(file);
    WriteHeader(writer, kIndexFileKind, fileCount());
    for (ObjectID id = firstFile(); id != 0 && writer.ok; id = nextFile(id)) {
        const DatabaseFile* record = getFile(id);
        Payload payload;
        payload.setLimit(kIndexRecordBufferSize);
        payload.put(record->fileId);
        payload.put(static_cast<std::int32_t>(record->highestIndex));
        for (std::int16_t value :
             {record->solarSystemCount, record->deepSkyCount, record->starCount, record->lineCount,
              record->siteCount, record->deepSkyFaintest, record->deepSkyBrightest,
              record->starFaintest, record->starBrightest})
            payload.put(value);
        for (std::int32_t value : {record->greatestDeclination, record->leastDeclination,
                                   record->greatestRightAscension, record->leastRightAscension})
            payload.put(value);
        // A cut name would point at a file that does not exist; a record the
        // reader would refuse is not written at all.
        payload.text(record->name.get(), false);
        if (payload.overflow) writer.ok = false;
        payload.writeTo(writer, true);
    }
    if (!writer.ok) {
        AbandonFile(file);
        ShowMessage(ButtonsOK, kCantWriteString, title.c_str());
        return false;
    }
    if (!CloseFile(file)) {
        ShowMessage(ButtonsOK, kCantWriteString, title.c_str());
        return false;
    }
    gObjectStore.indexModified = false;
    gObjectStore.indexPath = path;
    gObjectStore.databaseDirectory = StripFileName(path);
    return true;
}

// ---------------------------------------------------------------------------
// Data files

int writeDataFile(ObjectID fileId, const char* name) {
    DatabaseFile* record = getFile(fileId);
    if (record == nullptr) return kStatusNotFound;
    fileId = record->fileId;
    const bool ownName = name == nullptr || SameDataFileName(name, record->name.get());
    std::string target = name != nullptr ? name : (record->name ? record->name.get() : "");
    if (target.empty()) return kStatusCannotOpenForWriting;
    std::vector<std::string> parts;
    if (gObjectStore.databaseDirectory.empty() || !SplitName(target, parts)) {
        ShowMessage(ButtonsOK, kCantOpenForWritingString, target.c_str());
        return kStatusCannotOpenForWriting;
    }
    if (!isLoaded(record) && record->highestIndex > 0) {
        // Its objects are on disk only; writing now would empty every slot.
        int status = loadFile(fileId);
        if (status != kStatusSuccess) return status;
        record = getFile(fileId);
        if (record == nullptr) return kStatusCannotOpen;
    }

    std::string path = gObjectStore.databaseDirectory;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        path = AppendPathComponent(path, parts[i]);
        if (!DirectoryExists(path) && !MakeDirectory(path)) {
            ShowMessage(ButtonsOK, kCantCreateDirectoryString, parts[i].c_str());
            return kStatusCannotOpenForWriting;
        }
    }
    path = AppendPathComponent(path, parts.back());
    std::FILE* file = OpenFile(path, "wb");
    if (file == nullptr) {
        ShowMessage(ButtonsOK, kCantOpenForWritingString, target.c_str());
        return kStatusCannotOpenForWriting;
    }

    Writer writer(file);
    WriteHeader(writer, kDataFileKind, record->highestIndex);
    for (int index = 1; index <= record->highestIndex && writer.ok; ++index) {
        const SkyObject* object =
            isLoaded(record) && index <= record->capacity ? record->objects[index - 1] : nullptr;
        if (object == nullptr)
            writer.put(std::uint8_t{0});
        else if (!WriteObject(writer, object))
            writer.ok = false;
    }
    if (!writer.ok) {
        AbandonFile(file);
        ShowMessage(ButtonsOK, kCantWriteString, target.c_str());
        return kStatusWriteError;
    }
    if (!CloseFile(file)) {
        ShowMessage(ButtonsOK, kCantWriteString, target.c_str());
        return kStatusWriteError;
    }
    // A copy under another name leaves the file's own data file as old as it
    // was, so the file stays modified then.
    if (ownName) setModified(record, false);
    return kStatusSuccess;
}

int readDataFile(ObjectID fileId) {
    DatabaseFile* record = getFile(fileId);
    if (record == nullptr) return kStatusNotFound;
    if (isLoaded(record)) return kStatusSuccess;
    fileId = record->fileId;
    const std::string name = record->name ? record->name.get() : "";
    const std::string path = dataFilePath(name);
    std::FILE* file = path.empty() ? nullptr : OpenFile(path, "rb");
    if (file == nullptr) {
        ShowMessage(ButtonsOK, kCantOpenString, FileTitle(path.empty() ? name : path).c_str());
        return kStatusCannotOpen;
    }
    setReadOnly(record, IsReadOnly(path));
    const std::string title = FileTitle(path);

    Header header;
    if (!ReadHeader(file, header) || !HeaderAccepted(header, kDataFileKind)) {
        CloseFile(file);
        ShowMessage(ButtonsOK, kCantReadString, title.c_str());
        return kStatusReadError;
    }
    // The data file knows how many slots it holds better than the index does.
    const std::int16_t listedCount = record->highestIndex;
    record->highestIndex = static_cast<std::int16_t>(header.count);
    int status = allocateObjectTable(record) ? kStatusSuccess : kStatusOutOfMemory;
    for (int index = 1; index <= header.count && status == kStatusSuccess; ++index) {
        SkyObject* object = nullptr;
        status = ReadObject(file, header.swap, &object);
        if (status == kStatusReadError) ShowMessage(ButtonsOK, kCantReadString, title.c_str());
        if (status != kStatusSuccess || object == nullptr) continue;
        if (addObject(object, MakeObjectID(fileId, index)) == 0) {
            ShowMessage(ButtonsOK, kCantAddString, DisplayName(object).c_str());
            FreeObject(object);
            status = kStatusOutOfMemory;
        }
    }
    CloseFile(file);
    if (status != kStatusSuccess) record->highestIndex = listedCount;
    return status;
}

// ---------------------------------------------------------------------------
// The database directory and the File menu's commands

bool checkDatabaseDirectory() {
    const std::string directory =
        AppendPathComponent(ProgramDirectory(), LoadString(kDatabaseDirectoryString));
    if (DirectoryExists(directory)) return true;
    if (ShowMessage(ButtonsOKCancel, kNoDirectoryString, directory.c_str()) != AnswerOK)
        return false;
    if (!MakeDirectory(directory)) {
        ShowMessage(ButtonsOK, kCantCreateDirectoryString, directory.c_str());
        return false;
    }
    gObjectStore.indexPath = AppendPathComponent(directory, LoadString(kIndexFileNameString));
    gObjectStore.databaseDirectory = StripFileName(gObjectStore.indexPath);
    customFile();
    writeIndex(gObjectStore.indexPath);
    return true;
}

bool openDefaultDatabase() {
    const std::string path = AppendPathComponent(
        AppendPathComponent(ProgramDirectory(), LoadString(kDatabaseDirectoryString)),
        LoadString(kIndexFileNameString));
    if (FileExists(path)) closeDatabase();
    return readIndex(path);
}

void deleteDatabaseFileCommand() {
    CurrentDirectoryKeeper keeper;
    const std::string directory = gObjectStore.databaseDirectory;
    if (!directory.empty()) SetCurrentDirectory(directory);
    std::string chosen = directory;
    if (!OpenFileDialog(kDeleteDialogTitleString, kDataFileFilterString, chosen)) return;
    if (!chosen.empty() && chosen.front() != '/' && !directory.empty())
        chosen = AppendPathComponent(directory, chosen);
    const std::string title = FileTitle(chosen);

    ObjectID found = 0;
    for (ObjectID id = firstFile(); id != 0 && found == 0; id = nextFile(id)) {
        const DatabaseFile* record = getFile(id);
        std::string path = dataFilePath(record->name ? record->name.get() : "");
        if (!path.empty() && SamePath(path, chosen)) found = id;
    }
    if (found == 0) {
        bool isIndex = !gObjectStore.indexPath.empty() && SamePath(chosen, gObjectStore.indexPath);
        ShowMessage(ButtonsOK, isIndex ? kCantDeleteString : kNotInDatabaseString, title.c_str());
        return;
    }
    DatabaseFile* record = getFile(found);
    const std::string name = record->name ? record->name.get() : "";
    // A read-only database (or file) is the user's to keep as it is.
    if (isReadOnly(record)) {
        ShowMessage(ButtonsOK, kCantDeleteString, name.c_str());
        return;
    }
    if (ShowMessage(ButtonsOKCancel, kConfirmDeleteString, title.c_str()) != AnswerOK) return;
    if (!deleteDataFile(name)) {
        ShowMessage(ButtonsOK, kCantDeleteString, name.c_str());
        return;
    }
    freeFile(detachFile(found));
    if (!gObjectStore.indexPath.empty()) writeIndex(gObjectStore.indexPath);
    if (gRecomputeHandler != nullptr) gRecomputeHandler();
}

// ---------------------------------------------------------------------------
// Probes

bool isIndexFile(std::FILE* stream) {
    return ProbeHeader(stream, kIndexFileKind);
}
bool isDataFile(std::FILE* stream) {
    return ProbeHeader(stream, kDataFileKind);
}
