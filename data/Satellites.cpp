#include "data/Satellites.h"

#include "astro/Orbits.h"
#include "astro/Precession.h"
#include "astro/TimeScales.h"
#include "data/Driver.h"
#include "data/Import.h"
#include "data/ObjectStore.h"
#include "data/Search.h"
#include "shell/Platform.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <strings.h>
#include <system_error>

namespace {

// Messages.
constexpr int kOutOfMemoryString = 256;
constexpr int kNoSuchObjectString = 523;
constexpr int kOpenSatelliteFileString = 732;
constexpr int kSatelliteFileFilterString = 733;

constexpr const char* kEarthName = "Earth";

// Columns of the three lines, counted from 0, with their widths.
struct Column {
    std::size_t start, width;
};
// Name line (only when it is longer than 36 characters).
constexpr Column kLengthColumn = {16, 4};    // metres
constexpr Column kMagnitudeColumn = {30, 4}; // standard magnitude
// Line 1.
constexpr Column kSatelliteNumberColumn = {2, 5};
constexpr Column kEpochYearColumn = {18, 2};
constexpr Column kEpochDayColumn = {20, 12};
constexpr Column kMeanMotionRateColumn = {33, 10};
constexpr Column kSecondTermMantissaColumn = {44, 6};
constexpr Column kSecondTermExponentColumn = {50, 2};
constexpr Column kDragMantissaColumn = {53, 6};
constexpr Column kDragExponentColumn = {59, 2};
// Line 2.
constexpr Column kInclinationColumn = {8, 8};
constexpr Column kNodeColumn = {17, 8};
constexpr Column kEccentricityColumn = {26, 7};
constexpr Column kPerigeeColumn = {34, 8};
constexpr Column kMeanAnomalyColumn = {43, 8};
constexpr Column kMeanMotionColumn = {52, 11};

// Units of the two-line format: revolutions per day (and per day squared and
// cubed) to radians per minute (and per minute squared and cubed).
constexpr double kRevolutionsPerDayToRadiansPerMinute = 0.004363323129861111;
constexpr double kRevolutionsPerDay2ToRadiansPerMinute2 = 3.0300855068479936e-06;
constexpr double kRevolutionsPerDay3ToRadiansPerMinute3 = 2.104226046422218e-09;
constexpr double kPerMinute2ToPerDay2 = 2073600.0;    // 1440^2
constexpr double kPerMinute3ToPerDay3 = 2985984000.0; // 1440^3
// The mantissas of the second-derivative and drag terms have an implied
// decimal point before their five digits, and the eccentricity before its seven.
constexpr double kMantissaScale = 1e-5;
constexpr double kEccentricityScale = 1e-7;
// Half the length in metres, in AU: the radius.
constexpr double kHalfLengthMetresToAU = 3.3422935767735196e-12;
constexpr double kDefaultMeanMotion = 1.0; // revolutions per day, when the column is empty
// Two-digit years below this are of the 2000s, the others of the 1900s.
constexpr long kCenturyPivot = 51;
constexpr double kModifiedJulianDateOffset = 2400000.5;
constexpr double kSecondsPerDay = 86400.0;
// A whole turn to double precision: mean anomalies run through thousands of
// revolutions in a few months.
constexpr double kFullTurn = 6.283185307179586;

// ---------------------------------------------------------------------------
// Columns

enum class ColumnRead { Missing, Number, Bad };

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The text of a column, without the blanks around it: `width` characters
// from its start, fewer where the line ends first. A number is never read on
// into the next column, as scanf would after skipping leading blanks.
std::string_view ColumnText(const std::string& line, Column column) {
    if (column.start >= line.size()) return {};
    std::string_view text(line.data() + column.start,
                          std::min(column.width, line.size() - column.start));
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// An optional sign, digits and, where allowed, one decimal point: the only
// text a numeric column may hold.
bool IsNumberText(std::string_view text, bool fraction) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    int digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.' && fraction && !point)
            point = true;
        else
            return false;
    }
    return digits > 0;
}

// from_chars takes no leading plus sign.
std::string_view WithoutPlus(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    return text;
}

// A column read as "%<width>lf".
ColumnRead ReadReal(const std::string& line, Column column, double* value) {
    std::string_view text = ColumnText(line, column);
    if (text.empty()) return ColumnRead::Missing;
    if (!IsNumberText(text, true)) return ColumnRead::Bad;
    text = WithoutPlus(text);
    double v = 0.0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return ColumnRead::Bad;
    *value = v;
    return ColumnRead::Number;
}

// A column read as "%<width>ld" or "%<width>d".
ColumnRead ReadInteger(const std::string& line, Column column, long* value) {
    std::string_view text = ColumnText(line, column);
    if (text.empty()) return ColumnRead::Missing;
    if (!IsNumberText(text, false)) return ColumnRead::Bad;
    text = WithoutPlus(text);
    long v = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size()) return ColumnRead::Bad;
    *value = v;
    return ColumnRead::Number;
}

// Reads the columns of the element lines, each into its variable (left as
// it was when the column is empty); false at the first one that holds
// something other than a number. The columns the orbit can't do without
// (need...) fail when empty too.
class ElementReader {
public:
    void real(const std::string& line, Column column, double* value) {
        Take(ReadReal(line, column, value), false);
    }
    void integer(const std::string& line, Column column, long* value) {
        Take(ReadInteger(line, column, value), false);
    }
    void needReal(const std::string& line, Column column, double* value) {
        Take(ReadReal(line, column, value), true);
    }
    void needInteger(const std::string& line, Column column, long* value) {
        Take(ReadInteger(line, column, value), true);
    }
    bool ok() const { return ok_; }

private:
    void Take(ColumnRead read, bool required) {
        ok_ = ok_ && (read == ColumnRead::Number || (!required && read == ColumnRead::Missing));
    }
    bool ok_ = true;
};

std::int16_t MagnitudeHundredths(double magnitude) {
    // A four-character magnitude has at most two decimals: rounding gives
    // them exactly, where truncation would lose one to binary rounding (2.3
    // is held as 2.2999...).
    double value = std::nearbyint(magnitude * 100.0);
    if (!(value > -32768.0 && value < 32767.0)) return kNoMagnitude;
    return static_cast<std::int16_t>(value);
}

double TurnRemainder(double angle) {
    return std::fmod(angle, kFullTurn);
}

// ---------------------------------------------------------------------------
// The Earth

// The Earth found last. A file of satellites refers every one of them to it,
// and a name search for each of hundreds would walk the store hundreds of
// times; the cached id is checked before it is used again.
ObjectID gEarthId = 0;

bool IsUsableEarth(ObjectID id) {
    if (id == 0) return false;
    // The file an import is replacing is on its way out; nothing new may
    // point into it.
    ObjectID replaced = importFileBeingReplaced();
    if (replaced != 0 && FileNumber(id) == FileNumber(replaced)) return false;
    const SkyObject* object = getObject(id);
    return object != nullptr && object->type == kTypeEarth;
}

ObjectID FindEarth() {
    if (IsUsableEarth(gEarthId)) {
        const SolarSystemObject* earth = AsSolarSystem(getObject(gEarthId));
        if (earth != nullptr && earth->name && strcasecmp(earth->name.get(), kEarthName) == 0)
            return gEarthId;
    }
    gEarthId = 0;
    ObjectID id = 0;
    while (findObjectByName(kEarthName, false, true, id) == kStatusSuccess) {
        if (IsUsableEarth(id)) {
            gEarthId = id;
            return id;
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------
// The secular model

// The position in the frame of the elements (the equator and equinox of the
// date) dt days after the epoch.
bool SecularPosition(const SolarSystemObject* body, double dt, Vector3& position) {
    const float* el = body->elements;
    const double n = el[kMeanMotion];
    const double nDot = el[kMeanMotionRate];
    double q = el[kPerihelionDistance];
    double e = el[kEccentricity];
    // Drag: the mean motion is n + 2 nDot dt, and the semi-major axis follows
    // it by Kepler's third law, the perigee height staying until the orbit
    // has come down to a circle. Once the mean motion would have reached zero
    // or below (a decayed orbit, or a time far before the epoch) the orbit
    // keeps its elements; so does one that is not an ellipse.
    const double denominator = n + 2.0 * nDot * dt;
    const double f = denominator != 0.0 ? n / denominator : 0.0;
    if (f > 0.0 && std::isfinite(f) && e >= 0.0 && e < 1.0) {
        double a = q / (1.0 - e) * std::cbrt(f * f);
        if (q < a) {
            e = 1.0 - q / a;
        } else {
            q = a;
            e = 0.0;
        }
    }
    double perigee = TurnRemainder(el[kArgumentOfPerihelion] + el[kPerihelionRate] * dt);
    double node = TurnRemainder(el[kAscendingNode] + el[kNodeRate] * dt);
    double meanAnomaly = TurnRemainder(el[kMeanAnomaly] + n * dt + nDot * dt * dt);
    return OrbitPosition(q, e, el[kInclination], perigee, node, meanAnomaly, position);
}

// The precession from the equator and equinox of the instant to J2000,
// kept while the instant stays the same: every satellite of a chart shares it.
struct PrecessionCache {
    bool valid = false;
    double jd = 0.0;
    Matrix3 matrix;
};
PrecessionCache gPrecession;

const Matrix3& PrecessionToJ2000(double jde) {
    if (!gPrecession.valid || gPrecession.jd != jde) {
        PrecessionMatrix(gPrecession.matrix, jde, kJ2000, false);
        gPrecession.jd = jde;
        gPrecession.valid = true;
    }
    return gPrecession.matrix;
}

// The Universal Time of a dynamical Julian date: the inverse of the
// program's own step from one to the other, so that a time set on the clock
// comes back as it was set.
double UniversalTime(double jde) {
    double ut = jde - DeltaT(jde) / kSecondsPerDay;
    return jde - DeltaT(ut) / kSecondsPerDay;
}

bool StartsWith(const std::string& line, char c) {
    return !line.empty() && line[0] == c;
}

bool IsNameLine(const std::string& line) {
    for (char c : line)
        if (!IsBlank(c)) return true;
    return false;
}

// A first element line as the format writes it: "1" and a blank. Stricter
// than the window's test, so that a name that happens to begin with a "1"
// is not taken for an element line whose partner is missing.
bool LooksLikeFirstElementLine(const std::string& line) {
    return line.size() >= 2 && line[0] == '1' && line[1] == ' ';
}

} // namespace

SkyObject* ParseTwoLineElements(const std::string& nameLine, const std::string& line1,
                                const std::string& line2) {
    const ObjectID earth = FindEarth();
    if (earth == 0) {
        ShowMessage(ButtonsOK, kNoSuchObjectString, kEarthName);
        return nullptr;
    }

    // The name line: a long one carries the size and the magnitude too.
    std::string name = nameLine;
    double length = 0.0, magnitude = 0.0;
    bool haveLength = false, haveMagnitude = false;
    if (nameLine.size() > kSatelliteShortNameLine) {
        haveLength =
            ReadReal(nameLine, kLengthColumn, &length) == ColumnRead::Number && length >= 0.0;
        haveMagnitude = ReadReal(nameLine, kMagnitudeColumn, &magnitude) == ColumnRead::Number;
        if (haveMagnitude && name.size() > kSatelliteNameWidth) name.resize(kSatelliteNameWidth);
    }
    // Element files pad their names with blanks; a name is found by its text.
    while (!name.empty() && IsBlank(name.back()))
        name.pop_back();
    if (name.size() > kImportNameLength) name.resize(kImportNameLength);

    long year = 0, secondExponent = 0, dragExponent = 0;
    double day = 0.0, meanMotionRate = 0.0, secondMantissa = 0.0, dragMantissa = 0.0;
    double inclination = 0.0, node = 0.0, eccentricity = 0.0, perigee = 0.0, meanAnomaly = 0.0;
    double revolutionsPerDay = kDefaultMeanMotion;
    // Both element lines name the same satellite (a catalogue number, or
    // its newer form with a letter in front).
    std::string_view number = ColumnText(line1, kSatelliteNumberColumn);
    if (number.empty() || number != ColumnText(line2, kSatelliteNumberColumn)) return nullptr;
    ElementReader read;
    read.needInteger(line1, kEpochYearColumn, &year);
    read.needReal(line1, kEpochDayColumn, &day);
    read.real(line1, kMeanMotionRateColumn, &meanMotionRate);
    read.real(line1, kSecondTermMantissaColumn, &secondMantissa);
    read.integer(line1, kSecondTermExponentColumn, &secondExponent);
    // The drag term belongs to a fuller theory than this one: it is checked
    // with the rest of the line but not kept.
    read.real(line1, kDragMantissaColumn, &dragMantissa);
    read.integer(line1, kDragExponentColumn, &dragExponent);
    read.needReal(line2, kInclinationColumn, &inclination);
    read.needReal(line2, kNodeColumn, &node);
    read.needReal(line2, kEccentricityColumn, &eccentricity);
    read.needReal(line2, kPerigeeColumn, &perigee);
    read.needReal(line2, kMeanAnomalyColumn, &meanAnomaly);
    read.needReal(line2, kMeanMotionColumn, &revolutionsPerDay);
    if (!read.ok()) return nullptr;

    const double n0 = revolutionsPerDay * kRevolutionsPerDayToRadiansPerMinute;
    const double e = eccentricity * kEccentricityScale;
    // No orbit has a mean motion of zero or less, and a two-line orbit is an
    // ellipse.
    if (!(n0 > 0.0) || !(e >= 0.0 && e < 1.0)) return nullptr;
    const double i = inclination * kRadiansPerDegree;
    const SatelliteMotion motion = SatelliteSecularMotion(n0, e, i);
    if (!(motion.semiMajorAxis > 0.0) || !std::isfinite(motion.semiMajorAxis) ||
        !std::isfinite(motion.nodeRate) || !std::isfinite(motion.perigeeRate))
        return nullptr;

    const long fullYear = year < kCenturyPivot ? 2000 + year : 1900 + year;
    const double epoch = JulianDateFromCalendar(static_cast<std::int32_t>(fullYear), 1, day, 0, 0,
                                                0.0, 0.0, kCalendarGregorian) -
                         kModifiedJulianDateOffset;
    if (!std::isfinite(epoch)) return nullptr;

    // Everything per day, as the record keeps it.
    const double n = n0 * kMinutesPerDay;
    const double nDot =
        meanMotionRate * kRevolutionsPerDay2ToRadiansPerMinute2 * kPerMinute2ToPerDay2;
    const double secondTerm = secondMantissa * kMantissaScale *
                              std::pow(10.0, static_cast<double>(secondExponent)) *
                              kRevolutionsPerDay3ToRadiansPerMinute3 * kPerMinute3ToPerDay3;
    const double nodeRate = motion.nodeRate * kMinutesPerDay;
    const double perigeeRate = motion.perigeeRate * kMinutesPerDay;

    // The record holds the epoch in single precision, a few minutes' grain
    // at present dates, in which a low satellite covers a thousand kilometres
    // or more. The elements are carried by the model itself from the epoch of
    // the line to the one the record can hold.
    const float storedEpoch = static_cast<float>(epoch);
    const double shift = static_cast<double>(storedEpoch) - epoch;

    SolarSystemObject* body = NewSolarSystemObject(kTypeEarthSatellite);
    if (body == nullptr) {
        ShowMessage(ButtonsOK, kOutOfMemoryString);
        return nullptr;
    }
    body->primary = earth;
    body->epoch = storedEpoch;
    float* el = body->elements;
    el[kPerihelionDistance] = static_cast<float>((1.0 - e) * motion.semiMajorAxis * kEarthRadiusAU);
    el[kEccentricity] = static_cast<float>(e);
    el[kInclination] = static_cast<float>(i);
    el[kAscendingNode] =
        static_cast<float>(ReduceAngle(node * kRadiansPerDegree + nodeRate * shift));
    el[kArgumentOfPerihelion] =
        static_cast<float>(ReduceAngle(perigee * kRadiansPerDegree + perigeeRate * shift));
    el[kMeanAnomaly] = static_cast<float>(
        ReduceAngle(meanAnomaly * kRadiansPerDegree + n * shift + nDot * shift * shift));
    el[kMeanMotion] = static_cast<float>(n + 2.0 * nDot * shift);
    el[kMeanMotionRate] = static_cast<float>(nDot);
    el[kMeanMotionSecondTerm] = static_cast<float>(secondTerm);
    el[kPerihelionRate] = static_cast<float>(perigeeRate);
    el[kNodeRate] = static_cast<float>(nodeRate);
    el[kMass] = 0.0f;
    el[kRadius] = haveLength ? static_cast<float>(length * kHalfLengthMetresToAU) : 0.0f;
    body->magnitudeParam1 = haveMagnitude ? MagnitudeHundredths(magnitude) : kNoMagnitude;
    body->magnitudeParam2 = kNoMagnitude;
    if (!name.empty()) body->name = CopyText(name.c_str());

    // Placed once at its epoch: elements that the record's precision turned
    // into an orbit with no solution are refused here rather than left to
    // vanish from the chart.
    Vector3 check;
    if (!SecularPosition(body, 0.0, check)) {
        FreeObject(body);
        return nullptr;
    }
    return body;
}

bool SatellitePosition(const SolarSystemObject* object, double time, Vector3& position) {
    if (object == nullptr) return false;
    const double epoch = static_cast<double>(object->epoch) + kModifiedJulianDateOffset;
    Vector3 p;
    if (!SecularPosition(object, UniversalTime(time) - epoch, p)) return false;
    TransformVector(PrecessionToJ2000(time), p);
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return false;
    CopyVector(p, position);
    return true;
}

int readSatelliteRecord(std::FILE* stream, SkyObject** object) {
    *object = nullptr;
    // The last three lines read and where each began.
    std::string window[3];
    long starts[3] = {0, 0, 0};
    int count = 0;
    std::string line;
    for (;;) {
        const long start = std::ftell(stream);
        if (!readImportLine(stream, line)) {
            // A name and a first element line at the very end: a file cut short.
            if (count >= 2 && IsNameLine(window[count - 2]) &&
                LooksLikeFirstElementLine(window[count - 1])) {
                noteSkippedLine("the file ends before the second element line");
                return kRecordFailed;
            }
            return kRecordEndOfFile;
        }
        if (count == 3) {
            window[0].swap(window[1]);
            window[1].swap(window[2]);
            starts[0] = starts[1];
            starts[1] = starts[2];
            count = 2;
        }
        window[count].swap(line);
        starts[count] = start;
        ++count;
        if (count < 3 || !IsNameLine(window[0]) || !StartsWith(window[1], '1')) continue;
        if (StartsWith(window[2], '2')) {
            *object = ParseTwoLineElements(window[0], window[1], window[2]);
            if (*object == nullptr) noteSkippedLine("element set incomplete or out of range");
            return *object != nullptr ? kRecordRead : kRecordFailed;
        }
        if (LooksLikeFirstElementLine(window[1])) {
            // The second element line is missing. The satellite is reported
            // as failed, and reading goes on from the first element line,
            // so that the lines after it are seen just as they would be
            // without the failure.
            noteSkippedLine("second element line missing");
            if (starts[1] >= 0) {
                std::fseek(stream, starts[1], SEEK_SET);
                unreadImportLines(2);
            }
            return kRecordFailed;
        }
    }
}

bool importSatelliteFile(const std::string& path) {
    return importFile(path, readSatelliteRecord);
}

bool isSatelliteFileName(const std::string& path) {
    const std::size_t n = path.size();
    if (n < 4) return false;
    const char* suffix = path.c_str() + n - 4;
    return std::strcmp(suffix, ".tle") == 0 || std::strcmp(suffix, ".TLE") == 0;
}

void importSatelliteFileCommand() {
    std::string path;
    if (!OpenFileDialog(kOpenSatelliteFileString, kSatelliteFileFilterString, path)) return;
    resetImportTotals();
    if (importSatelliteFile(path)) reportImport(path, true);
    RecomputeAndRedraw(true);
}
