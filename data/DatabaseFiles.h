#pragma once

// The database on disk: a directory holding one index file and the data files
// it lists. Both kinds are binary, begin with a 256-byte header whose first
// value is the byte-order mark 1, and are read in either byte order.

#include "data/ObjectStore.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Header values.
constexpr std::int32_t kByteOrderMark = 1;
constexpr std::int32_t kIndexFileKind = 1;
constexpr std::int32_t kDataFileKind = 2;
constexpr std::int32_t kDatabaseFormatVersion = 3000;
constexpr int kDatabaseHeaderSize = 256;

// Largest payload of a length-prefixed record a reader accepts.
constexpr int kObjectRecordBufferSize = 1024;
constexpr int kIndexRecordBufferSize = 512;
// A guide-star catalogue record has no length prefix and always this size.
constexpr int kCompactRecordSize = 18;

// Fixed names, string-table entries.
constexpr int kSettingsFileNameString = 301;  // "Norvane.ini"
constexpr int kDatabaseDirectoryString = 302; // "Database"
constexpr int kIndexFileNameString = 303;     // "Index.nvd"
constexpr int kCustomFileNameString = 304;    // "Custom.nvd"

// Extension of the data files the program names.
constexpr const char* kDataFileExtension = ".nvd";

// Start-up: finds the "Database" directory beside the program, or offers to
// create it with an empty custom file and index. False when the program has to
// end without one.
bool checkDatabaseDirectory();

// Reads an index and attaches its data files. On success the index becomes the
// current one. A damaged index leaves the files read so far attached (and
// loadable) but is never made current, so it is not written over.
bool readIndex(const std::string& path);
// Writes the index of the current store to `path`, which becomes current.
bool writeIndex(const std::string& path);

// Writes one file's objects to its data file (or to `name`, relative to the
// database directory, when given). A status result.
int writeDataFile(ObjectID fileId, const char* name = nullptr);
// Reads a file's data file into the store; the loader behind loadFile.
int readDataFile(ObjectID fileId);

// The full path of a data file from its name relative to the database
// directory ("\", "/" or ":" separate components). Empty text for a name that
// would leave the database directory or names no file.
std::string dataFilePath(const std::string& name);

// Chooses the name of a new data file from the name of the file it is made
// from. Returns 1 with the name, and with the id of an attached file to be
// replaced or 0; kStatusCancelled when the user cancels or no name is free.
int chooseDataFileName(const std::string& sourceName, std::string& name, ObjectID& existingFileId);

// The first of "<base>1.nvd" to "<base>99.nvd" (base: the source name without
// its extension) that no attached file bears, or empty text when all are taken.
// Whether a name no new data file may take although no attached file has it:
// the index, or anything already on the disk under that name (a data file
// the index has lost track of is still the user's).
bool dataFileNameTaken(const std::string& name);
std::string numberedDataFileName(const std::string& sourceName);

// Deletes a data file and the directories above it that it leaves empty, never
// the database directory itself.
bool deleteDataFile(const std::string& name);

// Menu commands. The opener returns true when an index was read; the caller
// recomputes and redraws.
bool openDefaultDatabase();
void deleteDatabaseFileCommand();

// Header probes: read the header at the stream's position without a word to
// the user and put the position back.
bool isIndexFile(std::FILE* stream);
bool isDataFile(std::FILE* stream);

// What deleting a data file calls once the store has changed, so that the chart
// and the reports follow. Does nothing until the computation driver sets it.
void setRecomputeHandler(void (*handler)());

// The index of the large read-only database on a disc or stick: the first
// "Database/Index.nvd" (each name in any letter case) on the mount points that
// the glob patterns `roots` match, tried in their order; "" when none has one.
std::string findMediaIndex(const std::vector<std::string>& roots);
// The mount points of removable media: /media/*/*, /run/media/*/* and /mnt/*,
// unless a test set others (an empty list restores these).
std::vector<std::string> removableMediaRoots();
void setRemovableMediaRoots(const std::vector<std::string>& patterns);

// Test hook: every database file written from now on fails once this many
// bytes have been written (a full disk). Negative turns it off.
void setWriteFailureAfterBytesForTest(long bytes);
