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
#include <numbers>
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

// Units of the two-line format: revolutions per day (and per day squared) to
// radians per minute (and per minute squared).
constexpr double kRevolutionsPerDayToRadiansPerMinute = 0.004363323129861111;
constexpr double kRevolutionsPerDay2ToRadiansPerMinute2 = 3.0300855068479936e-06;
constexpr double kPerMinute2ToPerDay2 = 2073600.0; // 1440^2
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
constexpr double kKmPerAU = 149597870.7;
// The model takes the lines' numbers in exact units. The record's customary
// conversions are a few parts in 10^11 short, which after years of
// revolutions moves a satellite by metres.
constexpr double kExactRadiansPerDegree = std::numbers::pi / 180.0;
constexpr double kExactTurnsPerDayToRadiansPerMinute = 2.0 * std::numbers::pi / kMinutesPerDay;

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
// From the model's frame to J2000

// TEME, the model's frame, has the true equator of the instant and its mean
// equinox: the equation of the equinoxes turns it onto the true equinox,
// and undoing nutation and precession brings it to J2000. Kept while the
// instant stays the same: every satellite of a chart shares it.
struct TemeCache {
    bool valid = false;
    double jd = 0.0;
    Matrix3 matrix;
};
TemeCache gTeme;

const Matrix3& TemeToJ2000(double jde) {
    if (!gTeme.valid || gTeme.jd != jde) {
        Matrix3 toTrue;
        PrecessionMatrix(toTrue, kJ2000, jde, true);
        double deltaPsi = 0.0, deltaEpsilon = 0.0;
        Nutation(jde, &deltaPsi, &deltaEpsilon);
        const double equinoxes = deltaPsi * std::cos(MeanObliquity(jde) + deltaEpsilon);
        const double c = std::cos(equinoxes), s = std::sin(equinoxes);
        const Matrix3 onTrueEquinox = {{c, -s, 0.0}, {s, c, 0.0}, {0.0, 0.0, 1.0}};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                gTeme.matrix[i][j] = toTrue[0][i] * onTrueEquinox[0][j] +
                                     toTrue[1][i] * onTrueEquinox[1][j] +
                                     toTrue[2][i] * onTrueEquinox[2][j];
        gTeme.jd = jde;
        gTeme.valid = true;
    }
    return gTeme.matrix;
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

// The numbers of the two element lines, in the units of the format.
struct ElementColumns {
    long year = 0, secondExponent = 0, dragExponent = 0;
    double day = 0.0, meanMotionRate = 0.0, secondMantissa = 0.0, dragMantissa = 0.0;
    double inclination = 0.0, node = 0.0, eccentricity = 0.0, perigee = 0.0, meanAnomaly = 0.0;
    double revolutionsPerDay = kDefaultMeanMotion;
};

bool ReadColumns(const std::string& line1, const std::string& line2, ElementColumns& c) {
    // Both element lines name the same satellite (a catalogue number, or
    // its newer form with a letter in front).
    std::string_view number = ColumnText(line1, kSatelliteNumberColumn);
    if (number.empty() || number != ColumnText(line2, kSatelliteNumberColumn)) return false;
    ElementReader read;
    read.needInteger(line1, kEpochYearColumn, &c.year);
    read.needReal(line1, kEpochDayColumn, &c.day);
    read.real(line1, kMeanMotionRateColumn, &c.meanMotionRate);
    read.real(line1, kSecondTermMantissaColumn, &c.secondMantissa);
    read.integer(line1, kSecondTermExponentColumn, &c.secondExponent);
    read.real(line1, kDragMantissaColumn, &c.dragMantissa);
    read.integer(line1, kDragExponentColumn, &c.dragExponent);
    read.needReal(line2, kInclinationColumn, &c.inclination);
    read.needReal(line2, kNodeColumn, &c.node);
    read.needReal(line2, kEccentricityColumn, &c.eccentricity);
    read.needReal(line2, kPerigeeColumn, &c.perigee);
    read.needReal(line2, kMeanAnomalyColumn, &c.meanAnomaly);
    read.needReal(line2, kMeanMotionColumn, &c.revolutionsPerDay);
    return read.ok();
}

// The epoch of the lines, a Julian date of Universal Time.
double EpochOf(const ElementColumns& c) {
    const long fullYear = c.year < kCenturyPivot ? 2000 + c.year : 1900 + c.year;
    return JulianDateFromCalendar(static_cast<std::int32_t>(fullYear), 1, c.day, 0, 0, 0.0, 0.0,
                                  kCalendarGregorian);
}

Sgp4Elements ModelElements(const ElementColumns& c) {
    Sgp4Elements el;
    el.epoch = EpochOf(c);
    el.meanMotion = c.revolutionsPerDay * kExactTurnsPerDayToRadiansPerMinute;
    el.eccentricity = c.eccentricity * kEccentricityScale;
    el.inclination = c.inclination * kExactRadiansPerDegree;
    el.node = c.node * kExactRadiansPerDegree;
    el.perigee = c.perigee * kExactRadiansPerDegree;
    el.meanAnomaly = c.meanAnomaly * kExactRadiansPerDegree;
    el.bstar =
        c.dragMantissa * kMantissaScale * std::pow(10.0, static_cast<double>(c.dragExponent));
    return el;
}

} // namespace

bool ReadSgp4Elements(const std::string& line1, const std::string& line2, Sgp4Elements& elements) {
    ElementColumns c;
    if (!ReadColumns(line1, line2, c)) return false;
    elements = ModelElements(c);
    return true;
}

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

    ElementColumns c;
    if (!ReadColumns(line1, line2, c)) return nullptr;

    // The record is made with the customary conversions, the model with exact ones.
    const Sgp4Elements model = ModelElements(c);
    const double n0 = c.revolutionsPerDay * kRevolutionsPerDayToRadiansPerMinute;
    const double e = model.eccentricity;
    // No orbit has a mean motion of zero or less, and a two-line orbit is an
    // ellipse.
    if (!(n0 > 0.0) || !(e >= 0.0 && e < 1.0)) return nullptr;
    const double i = c.inclination * kRadiansPerDegree;
    const SatelliteMotion motion = SatelliteSecularMotion(n0, e, i);
    if (!(motion.semiMajorAxis > 0.0) || !std::isfinite(motion.semiMajorAxis) ||
        !std::isfinite(motion.nodeRate) || !std::isfinite(motion.perigeeRate))
        return nullptr;
    const double epoch = model.epoch - kModifiedJulianDateOffset;
    if (!std::isfinite(epoch)) return nullptr;

    // Everything per day, as the record keeps it.
    const double n = n0 * kMinutesPerDay;
    const double nDot =
        c.meanMotionRate * kRevolutionsPerDay2ToRadiansPerMinute2 * kPerMinute2ToPerDay2;
    const double nodeRate = motion.nodeRate * kMinutesPerDay;
    const double perigeeRate = motion.perigeeRate * kMinutesPerDay;

    // The record holds the epoch in single precision, a few minutes' grain
    // at present dates, in which a low satellite covers a thousand kilometres
    // or more. The mean elements are carried from the epoch of the lines to
    // the one the record can hold at SGP4's own secular rates, with the drag
    // that the mean motion's rate tells: so the model, set up again from the
    // record, runs on as it would have from the lines.
    const float storedEpoch = static_cast<float>(epoch);
    const double shift = static_cast<double>(storedEpoch) - epoch;
    double anomalyRate = n, nodeRateSgp4 = nodeRate, perigeeRateSgp4 = perigeeRate;
    Sgp4Model sgp4;
    if (Sgp4Init(model, sgp4) == kSgp4Ok) {
        anomalyRate = sgp4.mdot * kMinutesPerDay;
        nodeRateSgp4 = sgp4.nodedot * kMinutesPerDay;
        perigeeRateSgp4 = sgp4.argpdot * kMinutesPerDay;
    }

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
        static_cast<float>(ReduceAngle(c.node * kRadiansPerDegree + nodeRateSgp4 * shift));
    el[kArgumentOfPerihelion] =
        static_cast<float>(ReduceAngle(c.perigee * kRadiansPerDegree + perigeeRateSgp4 * shift));
    el[kMeanAnomaly] = static_cast<float>(ReduceAngle(c.meanAnomaly * kRadiansPerDegree +
                                                      anomalyRate * shift + nDot * shift * shift));
    el[kMeanMotion] = static_cast<float>(n + 2.0 * nDot * shift);
    el[kMeanMotionRate] = static_cast<float>(nDot);
    el[kDragTerm] = static_cast<float>(model.bstar);
    el[kPerihelionRate] = static_cast<float>(perigeeRate);
    el[kNodeRate] = static_cast<float>(nodeRate);
    el[kMass] = 0.0f;
    el[kRadius] = haveLength ? static_cast<float>(length * kHalfLengthMetresToAU) : 0.0f;
    body->magnitudeParam1 = haveMagnitude ? MagnitudeHundredths(magnitude) : kNoMagnitude;
    body->magnitudeParam2 = kNoMagnitude;
    if (!name.empty()) body->name = CopyText(name.c_str());
    return body;
}

int SatelliteModel(const SolarSystemObject* object, Sgp4Model& model) {
    const float* el = object->elements;
    Sgp4Elements elements;
    elements.epoch = static_cast<double>(object->epoch) + kModifiedJulianDateOffset;
    elements.meanMotion = el[kMeanMotion] / kMinutesPerDay;
    elements.eccentricity = el[kEccentricity];
    elements.inclination = el[kInclination];
    elements.node = el[kAscendingNode];
    elements.perigee = el[kArgumentOfPerihelion];
    elements.meanAnomaly = el[kMeanAnomaly];
    elements.bstar = el[kDragTerm];
    return Sgp4Init(elements, model);
}

int SatellitePositionStatus(const SolarSystemObject* object, double time, Vector3& position) {
    if (object == nullptr) return kSgp4MeanMotion;
    Sgp4Model model;
    int status = SatelliteModel(object, model);
    if (status != kSgp4Ok) return status;
    const double minutes = (UniversalTime(time) - model.el.epoch) * kMinutesPerDay;
    Vector3 p, v;
    status = Sgp4Propagate(model, minutes, p, v);
    if (status != kSgp4Ok) return status;
    TransformVector(TemeToJ2000(time), p);
    for (double& x : p)
        x /= kKmPerAU;
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2]))
        return kSgp4SemiLatusRectum;
    CopyVector(p, position);
    return kSgp4Ok;
}

bool SatellitePosition(const SolarSystemObject* object, double time, Vector3& position) {
    return SatellitePositionStatus(object, time, position) == kSgp4Ok;
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
