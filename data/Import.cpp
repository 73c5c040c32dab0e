#include "data/Import.h"

#include "astro/Orbits.h"
#include "astro/Precession.h"
#include "astro/TimeScales.h"
#include "astro/Vectors.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/Names.h"
#include "data/ObjectStore.h"
#include "data/Satellites.h"
#include "data/Search.h"
#include "shell/Platform.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace {

// Messages.
constexpr int kOutOfMemoryString = 256;
constexpr int kCannotOpenString = 257;
constexpr int kNoSuchObjectString = 523;
constexpr int kKeepReadingString = 524;
constexpr int kCannotAddString = 527;
constexpr int kImportingString = 537;
constexpr int kReadOnlyString = 539;
constexpr int kImportSummaryString = 541;
constexpr int kUtf16String = 542;
constexpr int kNotRegularFileString = 543;
constexpr int kTooManyObjectsString = 544;
constexpr int kObjectsImportedString = 551;
constexpr int kElementSetsImportedString = 552;
constexpr int kOpenTextFileString = 730;
constexpr int kTextFileFilterString = 731;

// Unit conversions of the import format.
constexpr double kRadiansPerHour = 0.2617993878; // pi / 12
constexpr double kTimeSecondsPerYearToRadiansPerDay = 1.991021278111841e-7;
constexpr double kArcsecondsPerYearToRadiansPerDay = 1.3273475187412273e-8;
constexpr double kKilometresPerSecondToAUPerDay = 0.0005775483300664642;
constexpr double kAUPerParsec = 206264.8062;
constexpr double kArcminutesToRadians = 0.00029088820873213997;
constexpr double kKilometresToAU = 6.684587153547039e-9;
constexpr double kEarthMassesToSolarMasses = 3.0034900554444265e-6;
constexpr double kRadiansPerMinuteToPerDay = kMinutesPerDay;
constexpr double kHoursToDays = 1.0 / 24.0;
constexpr double kModifiedJulianDateOffset = 2400000.5;
constexpr double kDefaultEquinoxYear = 2000.0;
constexpr int kStarTypeBase = 50;
constexpr int kDefaultSolarSystemType = kTypeComet;

const float kUnknown = std::numeric_limits<float>::infinity();

// Ranges a line's numbers must lie in to make an object.
constexpr double kMaxEquinoxYear = 10000.0; // either side of year 0
constexpr double kMaxElementAngle = 1.0e6;  // degrees; beyond, single precision is noise
constexpr double kMaxEccentricity = 1.0e3;
constexpr double kMaxSiteAltitude = 1.0e5; // metres
constexpr double kMaxTimeZone = 24.0;      // hours
constexpr long kMaxEpochYear = 100000;
constexpr double kMaxMagnitude = 300.0; // beyond, hundredths don't fit 16 bits
// How many skipped lines a report names one by one.
constexpr std::size_t kProblemsNamed = 5;
const char* const kNotObjectLine = "not an object line";

bool gImportNutation = false;
void (*gFileWrittenHandler)(ObjectID) = nullptr;
// The data file an import is replacing. It stays attached until its successor
// is written, but its objects are on their way out: names are not looked up in it.
ObjectID gFileBeingReplaced = 0;

// The precession matrix from one equinox to J2000, kept while the equinox
// stays the same: every line of a catalogue usually shares one.
struct PrecessionCache {
    double jd = 0.0;
    bool nutation = false;
    bool valid = false;
    Matrix3 matrix;

    const Matrix3& to2000(double fromJD) {
        if (!valid || fromJD != jd || nutation != gImportNutation) {
            PrecessionMatrix(matrix, fromJD, kJ2000, gImportNutation);
            jd = fromJD;
            nutation = gImportNutation;
            valid = true;
        }
        return matrix;
    }
};
PrecessionCache gStarPrecession;
PrecessionCache gLinePrecession;

// What the file being imported has given so far; null between imports.
struct FileTally {
    long lines = 0;
    long imported = 0;
    long skipped = 0;
    bool noted = false; // the record just read has been noted as skipped
    std::vector<std::string> problems;
};
FileTally* gTally = nullptr;
ImportTotals gTotals;
bool gLineTooLong = false;

// ---------------------------------------------------------------------------
// Checking fields before anything is built of them

std::string Trimmed(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A field that is one finite number and nothing else.
bool WholeNumber(const std::string& field, double* value) {
    std::string text = Trimmed(field);
    if (text.empty()) return false;
    char* stop = nullptr;
    double v = std::strtod(text.c_str(), &stop);
    if (stop != text.c_str() + text.size() || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

bool NumberWithin(const std::string& field, double low, double high) {
    double v;
    return WholeNumber(field, &v) && v >= low && v <= high;
}

// Empty, or a number within the range.
bool OptionalWithin(const std::string& field, double low, double high) {
    return Trimmed(field).empty() || NumberWithin(field, low, high);
}

// "h m s" or "d m s": one to three numbers, whole ones before the last,
// minutes and seconds below 60, the whole no more than `limit`.
bool SexagesimalWithin(const std::string& field, double limit, bool signedValue) {
    std::string text = Trimmed(field);
    if (text.empty()) return false;
    if (text[0] == '-' || text[0] == '+') {
        if (!signedValue)
            return text[0] == '+' ? SexagesimalWithin(text.substr(1), limit, false) : false;
        text = text.substr(1);
    }
    double parts[3] = {0.0, 0.0, 0.0};
    int count = 0;
    const char* at = text.c_str();
    while (*at != '\0') {
        if (count == 3) return false;
        char* stop = nullptr;
        double v = std::strtod(at, &stop);
        if (stop == at || !std::isfinite(v) || v < 0.0) return false;
        parts[count++] = v;
        at = stop;
        while (*at == ' ' || *at == '\t')
            ++at;
    }
    // A catalogue that rounds its seconds may write 60 for the next minute.
    if (parts[1] > 60.0 || parts[2] > 60.0) return false;
    return parts[0] + parts[1] / 60.0 + parts[2] / 3600.0 <= limit;
}

// "year/month/day" with a decimal day, as an element epoch is written.
bool EpochDate(const std::string& field) {
    std::string text = Trimmed(field);
    long year = 0;
    int month = 0, used = 0;
    double day = 0.0;
    if (std::sscanf(text.c_str(), "%ld/%d/%lf%n", &year, &month, &day, &used) != 3) return false;
    return static_cast<std::size_t>(used) == text.size() && std::labs(year) <= kMaxEpochYear &&
           month >= 1 && month <= 12 && std::isfinite(day) && day >= 0.0 && day < 33.0;
}

// Field 0: the kind letter, then nothing or a whole number (the type).
bool KindFieldReads(const std::string& field0) {
    std::string rest = Trimmed(field0.substr(1));
    if (rest.empty()) return true;
    std::size_t start = rest[0] == '-' || rest[0] == '+' ? 1 : 0;
    if (start == rest.size()) return false;
    for (std::size_t i = start; i < rest.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(rest[i]))) return false;
    return true;
}

// scanf's "%lf" on one field: false when nothing could be read.
// Reads a number as scanf's "%lf" would (leading blanks skipped, reading
// stops at the first character that can't belong to it); strtod does the
// same without scanf's cost, which dominated large imports.
bool ReadDoubleAt(const char* text, const char** end, double* value) {
    char* stop = nullptr;
    double v = std::strtod(text, &stop);
    if (stop == text) return false;
    if (end != nullptr) *end = stop;
    *value = v;
    return true;
}

bool ReadDouble(const std::string& field, double* value) {
    double v;
    if (!ReadDoubleAt(field.c_str(), nullptr, &v) || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

// scanf's "%hd": an optionally signed decimal integer after blanks.
bool ReadShortAt(const char* text, const char** end, short* value) {
    char* stop = nullptr;
    errno = 0;
    long v = std::strtol(text, &stop, 10);
    if (stop == text) return false;
    *end = stop;
    *value = static_cast<short>(v);
    return true;
}

double DoubleOr(const std::string& field, double fallback) {
    double value;
    return ReadDouble(field, &value) ? value : fallback;
}

// Decimal years (Julian years from J2000) to a Julian date.
double EquinoxJulianDate(double year) {
    return JulianDateFromYear(year);
}

// "h m s" or "d m s" with scanf's rules: whatever was read counts, the rest is 0.
double ReadSexagesimal(const std::string& field) {
    // As "%hd%hd%lf": whatever was read counts, the rest is 0.
    short whole = 0, minutes = 0;
    double seconds = 0.0;
    const char* at = field.c_str();
    if (!ReadShortAt(at, &at, &whole)) return 0.0;
    if (ReadShortAt(at, &at, &minutes)) {
        if (!ReadDoubleAt(at, &at, &seconds) || !std::isfinite(seconds)) seconds = 0.0;
    } else {
        minutes = 0;
    }
    double value = std::abs(static_cast<double>(whole)) +
                   std::abs(static_cast<double>(minutes)) / 60.0 + std::fabs(seconds) / 3600.0;
    return value;
}

bool FieldIsSouthern(const std::string& field) {
    std::size_t first = field.find_first_not_of(" ");
    return first != std::string::npos && field[first] == '-';
}

// Hundredths of a magnitude, truncated. A decimal such as 4.35 is held in
// binary a hair below its value (434.99999... hundredths), and so is a
// difference such as 6.3 - 6.2; plain truncation would lose the last digit
// written. The allowance is far above that rounding error and far below any
// digit a catalogue gives.
constexpr double kHundredthsAllowance = 1e-6;

std::int16_t Hundredths(double magnitude) {
    double value = magnitude * 100.0;
    if (!(value > -32768.0 && value < 32767.0)) return kNoMagnitude;
    return static_cast<std::int16_t>(value + std::copysign(kHundredthsAllowance, value));
}

// Magnitude fields: "V", "V,companion", "bright-faint", "bright-faint,companion".
struct Magnitudes {
    double v = NAN, faintest = NAN, companion = NAN;
};

Magnitudes ReadMagnitudes(const std::string& field, int type) {
    Magnitudes m;
    std::string text = field;
    std::string companionText;
    if (type == kTypeMultipleStar || type == kTypeMultipleVariableStar) {
        std::size_t comma = text.find(',');
        if (comma != std::string::npos) {
            companionText = text.substr(comma + 1);
            text = text.substr(0, comma);
        }
    }
    std::string faintText;
    if (type == kTypeVariableStar || type == kTypeMultipleVariableStar) {
        // The separator is the first "-" after the first number, so a
        // negative brightest magnitude still reads.
        std::size_t start = text.find_first_not_of(" ");
        std::size_t dash =
            start == std::string::npos ? std::string::npos : text.find('-', start + 1);
        if (dash != std::string::npos) {
            faintText = text.substr(dash + 1);
            text = text.substr(0, dash);
        }
    }
    double value;
    if (ReadDouble(text, &value)) m.v = value;
    if (!faintText.empty() && ReadDouble(faintText, &value)) m.faintest = value;
    if (!companionText.empty() && ReadDouble(companionText, &value)) m.companion = value;
    return m;
}

std::int32_t ToFixed(double component) {
    double scaled = component * kUnitVectorScale;
    if (scaled >= 2147483647.0) return 2147483647;
    if (scaled <= -2147483648.0) return -2147483647 - 1;
    return static_cast<std::int32_t>(scaled);
}

// The space motion is kept per day in steps of 2^-30 (0.07" a year):
// rounding to the nearest step rather than cutting toward zero halves what a
// century of motion can drift from the catalogue's figures.
std::int32_t ToFixedRounded(double component) {
    return ToFixed(std::nearbyint(component * kUnitVectorScale) / kUnitVectorScale);
}

std::string Clip(const std::string& text, std::size_t length) {
    return text.size() > length ? text.substr(0, length) : text;
}

// An object found by its exact name, ignoring letter case, or 0. Objects of a
// file being replaced do not count: a line or an orbit joined to one of them
// would point at nothing once the replacement is in place.
ObjectID FindByExactName(const std::string& name) {
    ObjectID id = 0;
    while (findObjectByName(name, false, true, id) == kStatusSuccess) {
        if (gFileBeingReplaced == 0 || FileNumber(id) != FileNumber(gFileBeingReplaced)) return id;
    }
    return 0;
}

int TypeAfterLetter(const std::string& field0, int fallback) {
    short value = 0;
    if (field0.size() < 2 || std::sscanf(field0.c_str() + 1, "%hd", &value) != 1) return fallback;
    return value;
}

SkyObject* BuildFigureLine(const std::vector<std::string>& fields) {
    ObjectID ends[2];
    for (int k = 0; k < 2; ++k) {
        std::string name = Clip(fields[1 + k], kImportNameLength);
        ends[k] = FindByExactName(name);
        if (ends[k] == 0) {
            ShowMessage(ButtonsOK, kNoSuchObjectString, name.c_str());
            return nullptr;
        }
    }
    LineObject* line = NewLineObject(kTypeFigureLine);
    if (line == nullptr) {
        ShowMessage(ButtonsOK, kOutOfMemoryString);
        return nullptr;
    }
    for (int k = 0; k < 2; ++k) {
        line->endpointObjects[k] = ends[k];
        if (SkyObject* end = getObject(ends[k])) ApparentDirection(end, line->endpointPositions[k]);
    }
    if (!fields[3].empty()) line->label = CopyText(Clip(fields[3], kImportNameLength).c_str());
    return line;
}

SkyObject* BuildBoundaryLine(const std::vector<std::string>& fields) {
    LineObject* line = NewLineObject(kTypeBoundaryLine);
    if (line == nullptr) {
        ShowMessage(ButtonsOK, kOutOfMemoryString);
        return nullptr;
    }
    double jd = EquinoxJulianDate(DoubleOr(fields[1], kDefaultEquinoxYear));
    for (int k = 0; k < 2; ++k) {
        double ra = DoubleOr(fields[2 + 2 * k], 0.0) * kRadiansPerHour;
        double dec = DoubleOr(fields[3 + 2 * k], 0.0) * kRadiansPerDegree;
        Vector3 v;
        SphericalToRectangular(ra, dec, 1.0, v);
        if (jd != kJ2000) TransformVector(gLinePrecession.to2000(jd), v);
        for (int c = 0; c < 3; ++c)
            line->endpointPositions[k][c] = ToFixed(v[c]);
    }
    return line;
}

SkyObject* BuildSite(const std::vector<std::string>& fields) {
    SiteObject* site = NewSiteObject();
    if (site == nullptr) {
        ShowMessage(ButtonsOK, kOutOfMemoryString);
        return nullptr;
    }
    site->longitude = static_cast<float>(DoubleOr(fields[1], 0.0) * kRadiansPerDegree);
    site->latitude = static_cast<float>(DoubleOr(fields[2], 0.0) * kRadiansPerDegree);
    site->altitude = static_cast<float>(DoubleOr(fields[3], 0.0));
    site->timeZone = static_cast<float>(DoubleOr(fields[4], 0.0) * kHoursToDays);
    site->name = CopyText(Clip(fields[5], kImportNameLength).c_str());
    return site;
}

// Passes over a UTF-8 byte-order mark; false for a UTF-16 text, which no
// line of this format can be read from.
bool SkipByteOrderMark(std::FILE* stream) {
    unsigned char mark[3] = {0, 0, 0};
    std::size_t got = std::fread(mark, 1, sizeof mark, stream);
    if (got >= 2 && ((mark[0] == 0xFF && mark[1] == 0xFE) || (mark[0] == 0xFE && mark[1] == 0xFF)))
        return false;
    if (!(got == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF))
        std::fseek(stream, 0, SEEK_SET);
    return true;
}

// Opens a source file for reading past its byte-order mark, or says why it
// can't be read (naming it `shown` where it can't be opened) and counts it as
// refused. A device or a FIFO may never end, a directory is no text, and
// UTF-16 holds no line of these formats.
std::FILE* OpenSource(const std::string& path, const std::string& shown) {
    const std::string title = FileTitle(path);
    int refusal = 0;
    std::FILE* source = nullptr;
    if ((FileExists(path) || DirectoryExists(path)) && !IsRegularFile(path)) {
        refusal = kNotRegularFileString;
    } else if ((source = OpenFile(path, "rb")) == nullptr) {
        refusal = kCannotOpenString;
    } else if (!SkipByteOrderMark(source)) {
        CloseFile(source);
        source = nullptr;
        refusal = kUtf16String;
    }
    if (source == nullptr) {
        ShowMessage(ButtonsOK, refusal, (refusal == kCannotOpenString ? shown : title).c_str());
        ++gTotals.refusedFiles;
    }
    return source;
}

// Removes a file the import created from the store. Nothing of it is on the
// disk (its data file is only written once the import has succeeded), so a
// data file bearing its name belongs to someone else and stays: the file being
// replaced, or one the index has lost track of.
void DiscardImportFile(ObjectID fileId) {
    unlockFile(fileId);
    freeFile(detachFile(fileId));
}

// References between the objects of a file that is about to change its
// number: ids naming the file `from` are made to name `to`.
void RenumberReferences(DatabaseFile* file, ObjectID from, ObjectID to) {
    if (file == nullptr || file->objects == nullptr) return;
    auto renumber = [&](ObjectID& id) {
        if (id != 0 && FileNumber(id) == FileNumber(from)) id = MakeObjectID(to, ObjectIndex(id));
    };
    for (int i = 0; i < file->capacity; ++i) {
        SkyObject* object = file->objects[i];
        if (LineObject* line = AsLine(object)) {
            renumber(line->endpointObjects[0]);
            renumber(line->endpointObjects[1]);
        } else if (SolarSystemObject* body = AsSolarSystem(object)) {
            renumber(body->primary);
        }
    }
}

} // namespace

void setImportNutation(bool on) {
    gImportNutation = on;
}

bool importNutation() {
    return gImportNutation;
}

bool importNumberField(const std::string& field, double low, double high, bool optional) {
    return optional ? OptionalWithin(field, low, high) : NumberWithin(field, low, high);
}

bool importSexagesimalField(const std::string& field, double limit, bool signedValue) {
    return SexagesimalWithin(field, limit, signedValue);
}

bool importEpochField(const std::string& field) {
    return EpochDate(field);
}

bool importMagnitudeField(const std::string& field, int type) {
    // Every piece the reader splits off has to be a number; a piece it would
    // silently drop ("6.2-x") is refused rather than stored as unknown.
    std::string text = field;
    std::string pieces[3];
    if (type == kTypeMultipleStar || type == kTypeMultipleVariableStar) {
        std::size_t comma = text.find(',');
        if (comma != std::string::npos) {
            pieces[2] = text.substr(comma + 1);
            text = text.substr(0, comma);
            if (Trimmed(pieces[2]).empty()) return false;
        }
    }
    if (type == kTypeVariableStar || type == kTypeMultipleVariableStar) {
        std::size_t start = text.find_first_not_of(" ");
        std::size_t dash =
            start == std::string::npos ? std::string::npos : text.find('-', start + 1);
        if (dash != std::string::npos) {
            pieces[1] = text.substr(dash + 1);
            text = text.substr(0, dash);
            if (Trimmed(pieces[1]).empty()) return false;
        }
    }
    pieces[0] = text;
    if (Trimmed(pieces[0]).empty()) return Trimmed(field).empty();
    for (const std::string& piece : pieces)
        if (!OptionalWithin(piece, -kMaxMagnitude, kMaxMagnitude)) return false;
    return true;
}

void setImportFileWrittenHandler(void (*handler)(ObjectID)) {
    gFileWrittenHandler = handler;
}

ObjectID importFileBeingReplaced() {
    return gFileBeingReplaced;
}

bool readImportLine(std::FILE* stream, std::string& line) {
    // Character by character without the stream's lock: the program has one
    // thread, and catalogues run to hundreds of thousands of lines.
    line.clear();
    gLineTooLong = false;
    int c = getc_unlocked(stream);
    if (c == EOF) return false;
    while (c != EOF) {
        if (c == '\n') break;
        if (c == '\r') {
            int next = getc_unlocked(stream);
            if (next != '\n' && next != EOF) std::ungetc(next, stream);
            break;
        }
        if (line.size() < kMaxImportLineLength)
            line.push_back(static_cast<char>(c));
        else
            gLineTooLong = true;
        c = getc_unlocked(stream);
    }
    if (gTally != nullptr) ++gTally->lines;
    return true;
}

bool importLineTooLong() {
    return gLineTooLong;
}

void importTextFileCommand() {
    std::string path;
    if (!OpenFileDialog(kOpenTextFileString, kTextFileFilterString, path)) return;
    resetImportTotals();
    if (importTextFile(path)) reportImport(path, false);
    RecomputeAndRedraw(true);
}

void reportImport(const std::string& path, bool satellites) {
    const ImportTotals& t = gTotals;
    if (t.imported == 0 || t.skipped > 0 || t.refusedFiles > 0 || t.cancelledFiles > 0) return;
    ShowMessage(ButtonsOK, satellites ? kElementSetsImportedString : kObjectsImportedString,
                t.imported, FileTitle(path).c_str());
}

void resetImportTotals() {
    gTotals = ImportTotals();
}

const ImportTotals& importTotals() {
    return gTotals;
}

void noteSkippedLine(const std::string& reason) {
    if (gTally == nullptr) return;
    ++gTally->skipped;
    gTally->noted = true;
    if (gTally->problems.size() < kProblemsNamed)
        gTally->problems.push_back(std::to_string(gTally->lines) + ": " + reason);
}

void unreadImportLines(long lines) {
    if (gTally != nullptr) gTally->lines -= lines;
}

std::string checkObjectFields(char kind, const std::vector<std::string>& f) {
    if (f.size() < static_cast<std::size_t>(kImportFieldCount) || f[0].empty() ||
        !KindFieldReads(f[0]))
        return kNotObjectLine;
    switch (kind) {
    case 'S':
        if (!OptionalWithin(f[1], -kMaxEquinoxYear, kMaxEquinoxYear))
            return "equinox unreadable or out of range";
        if (!SexagesimalWithin(f[2], 24.0, false)) return "right ascension missing or out of range";
        if (!SexagesimalWithin(f[3], 90.0, true)) return "declination missing or out of range";
        return {};
    case 'P':
        if (!OptionalWithin(f[1], -kMaxEquinoxYear, kMaxEquinoxYear))
            return "equinox unreadable or out of range";
        {
            double a, e;
            if (!WholeNumber(f[2], &a) || !WholeNumber(f[3], &e) || e < 0.0 || e > kMaxEccentricity)
                return "orbit size or eccentricity missing or out of range";
        }
        for (int k = 4; k <= 7; ++k)
            if (!NumberWithin(f[static_cast<std::size_t>(k)], -kMaxElementAngle, kMaxElementAngle))
                return "orbital angle missing or out of range";
        if (!EpochDate(f[8])) return "epoch of the elements missing or unreadable";
        return {};
    case 'C':
        if (f[0].size() >= 2 && f[0][1] == '1') {
            if (Trimmed(f[1]).empty() || Trimmed(f[2]).empty())
                return "chart line without the names of both ends";
            return {};
        }
        if (f[0].size() >= 2 && f[0][1] == '2') {
            if (!OptionalWithin(f[1], -kMaxEquinoxYear, kMaxEquinoxYear))
                return "equinox unreadable or out of range";
            if (!NumberWithin(f[2], 0.0, 24.0) || !NumberWithin(f[4], 0.0, 24.0) ||
                !NumberWithin(f[3], -90.0, 90.0) || !NumberWithin(f[5], -90.0, 90.0))
                return "boundary point missing or out of range";
            return {};
        }
        return "unknown kind of chart line";
    case 'L':
        if (!NumberWithin(f[1], -360.0, 360.0) || !NumberWithin(f[2], -90.0, 90.0))
            return "site longitude or latitude missing or out of range";
        if (!OptionalWithin(f[3], -kMaxSiteAltitude, kMaxSiteAltitude) ||
            !OptionalWithin(f[4], -kMaxTimeZone, kMaxTimeZone))
            return "site altitude or time zone out of range";
        if (Trimmed(f[5]).empty()) return "site without a name";
        return {};
    }
    return kNotObjectLine;
}

std::vector<std::string> splitImportFields(const std::string& line) {
    std::vector<std::string> fields(kImportFieldCount);
    std::size_t start = 0;
    for (int f = 0; f < kImportFieldCount; ++f) {
        if (start > line.size()) break;
        std::size_t tab = f + 1 < kImportFieldCount ? line.find('\t', start) : std::string::npos;
        if (tab == std::string::npos) {
            fields[f] = line.substr(start);
            break;
        }
        fields[f] = line.substr(start, tab - start);
        start = tab + 1;
    }
    return fields;
}

SkyObject* buildCatalogObject(const std::vector<std::string>& input) {
    // Lines come split into every field; a shorter list (from an editor) is
    // filled up with empty ones.
    std::vector<std::string> padded;
    if (input.size() < static_cast<std::size_t>(kImportFieldCount)) {
        padded = input;
        padded.resize(kImportFieldCount);
    }
    const std::vector<std::string>& fields = padded.empty() ? input : padded;
    int type = kStarTypeBase + TypeAfterLetter(fields[0], 1);
    // 57 to 60 lie inside the range but are no type at all.
    if (!IsCatalogType(type) || !IsKnownType(type)) type = kTypeSingleStar;
    CatalogObject* object = NewCatalogObject(type);
    if (object == nullptr) {
        ShowMessage(ButtonsOK, kOutOfMemoryString);
        return nullptr;
    }

    double epochYear = DoubleOr(fields[1], kDefaultEquinoxYear);
    double ra = ReadSexagesimal(fields[2]) * kRadiansPerHour;
    double dec = ReadSexagesimal(fields[3]) * kRadiansPerDegree;
    if (FieldIsSouthern(fields[3])) dec = -dec;
    double muRA = DoubleOr(fields[4], 0.0) * kTimeSecondsPerYearToRadiansPerDay;
    double muDec = DoubleOr(fields[5], 0.0) * kArcsecondsPerYearToRadiansPerDay;
    Magnitudes magnitudes = ReadMagnitudes(fields[6], type);
    double colour = NAN, velocity = NAN, distance = NAN, value;
    if (ReadDouble(fields[7], &value)) colour = value;
    if (ReadDouble(fields[8], &value)) velocity = value * kKilometresPerSecondToAUPerDay;
    if (ReadDouble(fields[9], &value)) distance = value * kAUPerParsec;
    double size = DoubleOr(fields[10], 0.0) *
                  (IsStarType(type) ? kRadiansPerArcsecond : kArcminutesToRadians);

    // The radial motion, as a fraction of the distance per day.
    double radial = 0.0;
    if (!std::isnan(velocity) && !std::isnan(distance) && distance != 0.0)
        radial = velocity / distance;

    Vector3 position, motion;
    SphericalToRectangularMotion(ra, dec, 1.0, muRA, muDec, radial, position, motion);
    if (epochYear != kDefaultEquinoxYear) {
        double jd = EquinoxJulianDate(epochYear);
        const Matrix3& m = gStarPrecession.to2000(jd);
        TransformVector(m, position);
        TransformVector(m, motion);
        for (int c = 0; c < 3; ++c)
            position[c] += motion[c] * (kJ2000 - jd);
    }
    for (int c = 0; c < 3; ++c) {
        object->position[c] = ToFixed(position[c]);
        object->motion[c] = ToFixedRounded(motion[c]);
    }
    object->catalogDistance = std::isnan(distance) ? kUnknown : static_cast<float>(distance);
    object->radialVelocity = std::isnan(velocity) ? kUnknown : static_cast<float>(velocity);
    if (!std::isnan(magnitudes.v)) {
        object->catalogMagnitude = Hundredths(magnitudes.v);
        if (!std::isnan(magnitudes.faintest))
            object->variableRange = Hundredths(magnitudes.faintest - magnitudes.v);
        if (!std::isnan(magnitudes.companion))
            object->companionOffset = Hundredths(magnitudes.companion - magnitudes.v);
    }
    object->colorIndex = std::isnan(colour) ? kNoMagnitude : Hundredths(colour);
    object->size = static_cast<float>(size);
    std::string names = Clip(fields[11], kImportNameLength);
    if (!names.empty() && !setObjectNames(object, names)) {
        ShowMessage(ButtonsOK, kOutOfMemoryString);
        FreeObject(object);
        return nullptr;
    }
    return object;
}

SkyObject* buildSolarSystemObject(const std::vector<std::string>& input) {
    std::vector<std::string> fields = input;
    fields.resize(kImportFieldCount);
    int type = TypeAfterLetter(fields[0], kDefaultSolarSystemType);
    if (!IsSolarSystemType(type)) type = kDefaultSolarSystemType;

    ObjectID primary = 0;
    std::string primaryName = Clip(fields[13], kImportNameLength);
    if (!primaryName.empty()) {
        primary = FindByExactName(primaryName);
        if (primary == 0) {
            ShowMessage(ButtonsOK, kNoSuchObjectString, primaryName.c_str());
            return nullptr;
        }
    }

    double equinoxYear = DoubleOr(fields[1], kDefaultEquinoxYear);
    double a = DoubleOr(fields[2], 1.0);
    double e = DoubleOr(fields[3], 0.0);
    double q;
    if (a < 0.0)
        q = -a;
    else if (e < 1.0)
        q = a * (1.0 - e);
    else
        q = a * (e - 1.0);
    double inclination = DoubleOr(fields[4], 0.0) * kRadiansPerDegree;
    double perihelion = DoubleOr(fields[5], 0.0) * kRadiansPerDegree;
    double node = DoubleOr(fields[6], 0.0) * kRadiansPerDegree;
    double meanAnomaly = DoubleOr(fields[7], 0.0) * kRadiansPerDegree;
    long year = 2000;
    short month = 1;
    double day = 1.5;
    {
        long y;
        short m;
        double d;
        int n = std::sscanf(fields[8].c_str(), "%ld/%hd/%lf", &y, &m, &d);
        if (n >= 1) year = y;
        if (n >= 2) month = m;
        if (n >= 3 && std::isfinite(d)) day = d;
    }
    double epochJD = JulianDateFromCalendar(static_cast<std::int32_t>(year), month, day, 0, 0, 0.0,
                                            0.0, kCalendarGregorian);
    double param1 = NAN, param2 = NAN;
    std::sscanf(fields[9].c_str(), "%lf%lf", &param1, &param2);
    double radius = DoubleOr(fields[10], 0.0) * kKilometresToAU;
    double mass = DoubleOr(fields[11], 0.0) * kEarthMassesToSolarMasses;

    if (equinoxYear != kDefaultEquinoxYear && type != kTypeEarthSatellite)
        PrecessElementsToJ2000(EquinoxJulianDate(equinoxYear), &inclination, &node, &perihelion);

    SolarSystemObject* body = NewSolarSystemObject(type);
    if (body == nullptr) {
        ShowMessage(ButtonsOK, kOutOfMemoryString);
        return nullptr;
    }
    body->primary = primary;
    body->epoch = static_cast<float>(epochJD - kModifiedJulianDateOffset);
    float* el = body->elements;
    el[kPerihelionDistance] = static_cast<float>(q);
    el[kEccentricity] = static_cast<float>(e);
    el[kInclination] = static_cast<float>(inclination);
    el[kArgumentOfPerihelion] = static_cast<float>(perihelion);
    el[kAscendingNode] = static_cast<float>(node);
    el[kMeanAnomaly] = static_cast<float>(meanAnomaly);
    el[kMass] = static_cast<float>(mass);
    el[kRadius] = static_cast<float>(radius);
    if (type == kTypeEarthSatellite) {
        // From the semi-major axis in AU, as two-line elements give it.
        double semiMajor = e < 1.0 ? q / (1.0 - e) : q;
        double n0 =
            semiMajor > 0.0 ? kSatelliteKe / std::pow(semiMajor * kEarthRadiiPerAU, 1.5) : 0.0;
        if (n0 > 0.0) {
            SatelliteMotion motion = SatelliteSecularMotion(n0, e, inclination);
            el[kPerihelionDistance] =
                static_cast<float>((1.0 - e) * motion.semiMajorAxis * kEarthRadiusAU);
            el[kNodeRate] = static_cast<float>(motion.nodeRate * kRadiansPerMinuteToPerDay);
            el[kPerihelionRate] =
                static_cast<float>(motion.perigeeRate * kRadiansPerMinuteToPerDay);
        }
        el[kMeanMotion] = static_cast<float>(n0 * kRadiansPerMinuteToPerDay);
    } else {
        double gm = kGaussianGM;
        if (primary != 0) {
            const SolarSystemObject* centre = AsSolarSystem(getObject(primary));
            double primaryMass = centre != nullptr ? centre->elements[kMass] : 0.0;
            gm = kGaussianGM * (primaryMass + mass);
        }
        el[kMeanMotion] = static_cast<float>(MeanMotion(gm, q, e));
    }
    body->magnitudeParam1 = std::isnan(param1) ? kNoMagnitude : Hundredths(param1);
    body->magnitudeParam2 = std::isnan(param2) ? kNoMagnitude : Hundredths(param2);
    std::string name = Clip(fields[12], kImportNameLength);
    if (!name.empty()) body->name = CopyText(name.c_str());
    return body;
}

int readTextRecord(std::FILE* stream, SkyObject** object) {
    *object = nullptr;
    std::string line;
    for (;;) {
        if (!readImportLine(stream, line)) return kRecordEndOfFile;
        if (importLineTooLong()) {
            noteSkippedLine("line longer than " + std::to_string(kMaxImportLineLength) +
                            " characters");
            continue;
        }
        // Blank lines and "#" notes separate and describe; they are no records.
        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[0] == '#') continue;
        char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
        if (kind != 'S' && kind != 'P' && kind != 'C' && kind != 'L') {
            noteSkippedLine(kNotObjectLine);
            continue;
        }
        std::vector<std::string> fields = splitImportFields(line);
        std::string reason = checkObjectFields(kind, fields);
        if (reason == kNotObjectLine) {
            noteSkippedLine(reason);
            continue;
        }
        if (!reason.empty()) {
            noteSkippedLine(reason);
            return kRecordFailed;
        }
        switch (kind) {
        case 'S':
            *object = buildCatalogObject(fields);
            break;
        case 'P':
            *object = buildSolarSystemObject(fields);
            break;
        case 'L':
            *object = BuildSite(fields);
            break;
        case 'C':
            *object = fields[0][1] == '1' ? BuildFigureLine(fields) : BuildBoundaryLine(fields);
            break;
        }
        if (*object == nullptr && (kind == 'P' || kind == 'C'))
            noteSkippedLine("an object it names is not in the database");
        return *object != nullptr ? kRecordRead : kRecordFailed;
    }
}

bool importFile(const std::string& path, RecordReader readRecord) {
    std::string title = FileTitle(path);
    if (gObjectStore.databaseReadOnly) {
        ShowMessage(ButtonsOK, kReadOnlyString);
        return false;
    }
    std::FILE* source = OpenSource(path, path);
    if (source == nullptr) return false;
    std::string name;
    ObjectID replaced = 0;
    if (chooseDataFileName(title, name, replaced) != kStatusSuccess) {
        CloseFile(source);
        return false;
    }
    // A source named like the index, or like a file the index does not list,
    // must not write over it: it gets a numbered name as other clashes do.
    if (replaced == 0 && dataFileNameTaken(name)) {
        name = numberedDataFileName(title);
        if (name.empty()) {
            CloseFile(source);
            return false;
        }
    }
    // A file being replaced stays in the database, untouched, until its
    // successor has been written in full: a cancelled or failed import must
    // not cost the user the objects they had.
    DatabaseFile* file = newFile(name.c_str());
    ObjectID fileId = file != nullptr ? attachFile(file) : 0;
    if (fileId == 0) {
        if (file != nullptr) freeFile(file);
        ShowMessage(ButtonsOK, kOutOfMemoryString);
        CloseFile(source);
        return false;
    }
    // The new file counts as loaded from the start. A name lookup walks every
    // file and loads those that are not, and loading this one would read into
    // it the data file of the same name that it is about to replace.
    if (!allocateObjectTable(file)) {
        freeFile(detachFile(fileId));
        CloseFile(source);
        return false;
    }
    lockFile(fileId);
    gFileBeingReplaced = replaced;

    std::fseek(source, 0, SEEK_END);
    long length = std::ftell(source);
    std::fseek(source, 0, SEEK_SET);
    SkipByteOrderMark(source);
    BeginProgress(true, 1);
    ProgressStage(FormatMessage(kImportingString, title.c_str()), 0, length > 0 ? length : 1);

    FileTally tally;
    gTally = &tally;
    bool cancelled = false;
    bool full = false;
    for (;;) {
        SkyObject* object = nullptr;
        tally.noted = false;
        int result = readRecord(source, &object);
        if (result == kRecordEndOfFile) break;
        if (result == kRecordRead && object != nullptr) {
            if (addObject(object, fileId) != 0) {
                ++tally.imported;
            } else {
                const std::string shown = DisplayName(object);
                FreeObject(object);
                const DatabaseFile* filling = getFile(fileId);
                // One data file holds so many objects; the rest would be
                // dropped, so the whole file is refused below.
                if (filling != nullptr && filling->highestIndex >= kMaxObjectsPerFile) {
                    full = true;
                    break;
                }
                ShowMessage(ButtonsOK, kCannotAddString, shown.c_str());
                noteSkippedLine("the object could not be added");
                result = kRecordFailed;
            }
        }
        if (result != kRecordRead) {
            if (!tally.noted) noteSkippedLine("not a complete record");
            // A Yes/No question: anything but Yes stops.
            if (ShowMessage(ButtonsYesNoCancel, kKeepReadingString, path.c_str()) != AnswerYes)
                break;
        }
        if (ProgressUpdate(std::ftell(source)) == 0) {
            cancelled = true;
            break;
        }
    }
    gTally = nullptr;
    EndProgress();
    CloseFile(source);
    gFileBeingReplaced = 0;
    gTotals.lines += tally.lines;
    gTotals.skipped += tally.skipped;
    for (const std::string& problem : tally.problems)
        if (gTotals.firstProblems.size() < kProblemsNamed)
            gTotals.firstProblems.push_back(title + " line " + problem);

    if (full) {
        DiscardImportFile(fileId);
        ShowMessage(ButtonsOK, kTooManyObjectsString, title.c_str(),
                    static_cast<long>(kMaxObjectsPerFile));
        ++gTotals.refusedFiles;
        return false;
    }
    // Lines passed over are said, with the first few and why; so is a file
    // that gave nothing at all.
    if (!cancelled && (tally.skipped > 0 || tally.imported == 0)) {
        std::string details;
        for (const std::string& problem : tally.problems)
            details += "\nLine " + problem;
        if (tally.skipped > static_cast<long>(tally.problems.size())) details += "\n...";
        ShowMessage(ButtonsOK, kImportSummaryString, tally.lines, title.c_str(), tally.imported,
                    tally.skipped, details.c_str());
    }

    DatabaseFile* imported = getFile(fileId);
    bool anything = imported != nullptr && imported->highestIndex > 0;
    if (cancelled) ++gTotals.cancelledFiles;
    if (cancelled || !anything) {
        DiscardImportFile(fileId);
        return true;
    }
    // A replacement will take the old file's number, so that the ids other
    // files keep of its objects (the stars a constellation line joins, the
    // planet a moon orbits) still name the same objects; its own objects'
    // references to each other are written with that number already.
    if (replaced != 0) RenumberReferences(imported, fileId, replaced);
    const bool indexWasModified = gObjectStore.indexModified;
    if (writeDataFile(fileId) != kStatusSuccess) {
        DiscardImportFile(fileId);
        return false;
    }
    if (replaced != 0) {
        // The new data file now stands where the old one was; drop the old
        // record without writing it back over the new file.
        if (DatabaseFile* old = detachFile(replaced)) {
            old->flags &= static_cast<std::uint16_t>(~kFileModified);
            freeFile(old);
        }
    }
    unlockFile(fileId);
    unloadFile(fileId);
    if (replaced != 0 && FileNumber(replaced) != FileNumber(fileId)) {
        if (DatabaseFile* moved = detachFile(fileId)) {
            moved->fileId = replaced;
            ObjectID at = attachFile(moved);
            if (at == 0) {
                moved->fileId = 0;
                at = attachFile(moved);
            }
            fileId = at;
        }
    }
    // The index learns of the new file at once: a data file it does not list
    // can never be found. When the index can't be written (writeIndex has
    // said so), a new data file is taken away again, leaving the database as
    // it was; a replacement keeps its name, so the index still lists it.
    if (!gObjectStore.indexPath.empty() && !writeIndex(gObjectStore.indexPath)) {
        if (replaced == 0 && fileId != 0) {
            deleteDataFile(name);
            freeFile(detachFile(fileId));
            gObjectStore.indexModified = indexWasModified;
        }
        return false;
    }
    gTotals.imported += tally.imported;
    if (gFileWrittenHandler != nullptr && fileId != 0) gFileWrittenHandler(fileId);
    return true;
}

bool importTextFile(const std::string& path) {
    std::string title = FileTitle(path);
    bool isList = title.size() >= 8 && strncasecmp(title.c_str(), "FileList", 8) == 0;
    if (!isList) return importFile(path, readTextRecord);

    std::FILE* list = OpenSource(path, title);
    if (list == nullptr) return false;
    std::string directory = StripFileName(path);
    std::string line;
    bool ok = true;
    while (readImportLine(list, line)) {
        line = Clip(line, kFileListLineLength);
        std::size_t end = line.find_last_not_of(" \t");
        if (end == std::string::npos) continue;
        line.resize(end + 1);
        // A list may name two-line element files too; they are read as such.
        RecordReader reader = isSatelliteFileName(line) ? readSatelliteRecord : readTextRecord;
        if (!importFile(directory + line, reader)) {
            ok = false;
            if (ShowMessage(ButtonsOKCancel, kKeepReadingString, title.c_str()) != AnswerOK) break;
        }
    }
    CloseFile(list);
    return ok;
}
