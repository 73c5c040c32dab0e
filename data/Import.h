#pragma once

// Import: the program's own tab-separated object text files (and lists of
// them) become new data files of the current database.

#include "data/SkyObject.h"

#include <cstdio>
#include <string>
#include <vector>

// Lines are read whole up to this many characters; a longer line is read to
// its end, kept cut to this length and reported too long.
constexpr std::size_t kMaxImportLineLength = 65536;
// Fields after the 16th stay inside it.
constexpr int kImportFieldCount = 16;
// The name fields and the lines of a list are read up to these lengths.
constexpr std::size_t kImportNameLength = 255;
constexpr std::size_t kFileListLineLength = 254;

// Results of a record reader.
constexpr int kRecordFailed = 0;
constexpr int kRecordRead = 1;
constexpr int kRecordEndOfFile = -5;

using RecordReader = int (*)(std::FILE* stream, SkyObject** object);

// Imports a text file, or a list of text files when its title begins with
// "FileList" (any letter case).
bool importTextFile(const std::string& path);
// File > Import > Norvane Text File...: chooses a file, imports it (a list
// too), says how many objects came in, then recomputes and redraws everything.
void importTextFileCommand();
// What a window import says when everything it read came in: the objects (or,
// for satellites, the element sets) imported from `path` (message 551 or 552).
// Skipped lines, refusals and cancels have said their own piece already.
void reportImport(const std::string& path, bool satellites);
// Imports one source file into a new data file named after it.
bool importFile(const std::string& path, RecordReader readRecord);

// Reads the next record of an object text file: kRecordRead with an object
// (or with none when the record could not be built), kRecordFailed when a
// record failed, kRecordEndOfFile at the end.
int readTextRecord(std::FILE* stream, SkyObject** object);

// Reads one line ending at CR, LF or CR LF. False at the end of the file
// with nothing read. A line longer than kMaxImportLineLength comes back cut,
// with importLineTooLong() true until the next line is read.
bool readImportLine(std::FILE* stream, std::string& line);
bool importLineTooLong();

// What imports have read since resetImportTotals(): lines, objects imported,
// lines and records skipped (with the first few line numbers and reasons).
struct ImportTotals {
    long lines = 0;
    long imported = 0;
    long skipped = 0;
    long refusedFiles = 0; // files refused whole (unreadable, UTF-16, too many objects)
    long cancelledFiles = 0;
    std::vector<std::string> firstProblems;
};
void resetImportTotals();
const ImportTotals& importTotals();
// A record reader's note that the line just read is skipped, and why.
void noteSkippedLine(const std::string& reason);
// A record reader that goes back over lines it read takes them off the count.
void unreadImportLines(long lines);

// Checks the fields of an object line of kind 'S', 'P', 'C' or 'L' before
// anything is built of them: "" when every field the kind requires reads
// and lies in range, otherwise the reason the line can't be an object.
std::string checkObjectFields(char kind, const std::vector<std::string>& fields);
// Splits a line at TABs into kImportFieldCount fields (missing ones empty).
std::vector<std::string> splitImportFields(const std::string& line);

// Builds a star or deep-sky object from the fields of an "S" line (the star
// editor hands over the same fields). nullptr only when out of memory.
SkyObject* buildCatalogObject(const std::vector<std::string>& fields);
// Builds a solar-system body from the fields of a "P" line; nullptr when out
// of memory or when the body it orbits is not found (message 523).
SkyObject* buildSolarSystemObject(const std::vector<std::string>& fields);

// Whether nutation is applied when positions of other equinoxes are carried
// to J2000 (the computation options set it).
void setImportNutation(bool on);
bool importNutation();

// The field readings of the import format, for the editors to refuse what
// the builders could not read: a number within a range (`optional`: or
// nothing); "h m s" or "d m s" up to `limit`; a "year/month/day" epoch; the
// magnitudes of a star of that type ("V", "V,companion", "bright-faint").
bool importNumberField(const std::string& field, double low, double high, bool optional);
bool importSexagesimalField(const std::string& field, double limit, bool signedValue);
bool importEpochField(const std::string& field);
bool importMagnitudeField(const std::string& field, int type);

// The data file the running import is replacing, 0 when none: its objects
// are on their way out, and no new record may refer to them.
ObjectID importFileBeingReplaced();

// Called with each data file an import has written (its file id).
void setImportFileWrittenHandler(void (*handler)(ObjectID fileId));
