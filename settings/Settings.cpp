#include "settings/Settings.h"

#include "astro/ComputationOptions.h"
#include "astro/TimeScales.h"
#include "astro/Vectors.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "data/ObjectStore.h"
#include "data/Search.h"
#include "data/SkyObject.h"
#include "settings/SettingsFile.h"
#include "shell/Platform.h"
#include "telescope/TelescopeState.h"
#include "timecontrol/Animation.h"
#include "timecontrol/Trails.h"

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

std::string gSettingsDescription;

namespace {

// Whether the file being read has shown its end tag.
bool gSawFileEnd = false;

constexpr int kOutOfMemoryMessage = 256;
constexpr int kCannotOpenMessage = 257;
constexpr int kCannotReadMessage = 258;
constexpr int kCannotWriteMessage = 259;
constexpr int kNoSuchObjectMessage = 523;
constexpr int kCannotOpenForWritingMessage = 530;
constexpr int kTruncatedMessage = 545;
constexpr int kOutOfRangeMessage = 547;

// A trail holds at most this many positions: a day of animation steps a
// second apart, far beyond any trail drawn, and a bound on the memory a file
// can ask for.
constexpr std::int32_t kMaxTrailPoints = 100000;

constexpr const char* kFileTag = "<NorvaneSettingsFile>";
constexpr const char* kFileEndTag = "</NorvaneSettingsFile>";
constexpr const char* kVersionKey = "FileVersion";
constexpr const char* kVersion = "3.1.1";
constexpr const char* kDescriptionTag = "<Description>";
constexpr const char* kDescriptionEndTag = "</Description>";
constexpr const char* kSettingsTag = "<Settings>";
constexpr const char* kSettingsEndTag = "</Settings>";
constexpr const char* kEndOfSettings = "EndOfSettings";
constexpr const char* kTrailTag = "<Trail>";
constexpr const char* kTrailEndTag = "</Trail>";
constexpr const char* kLineEnd = "\r\n";

// A written value line is cut to this many characters.
constexpr std::size_t kWrittenLineLength = 256;
// The chart font's face name holds this many characters, a style word as many.
constexpr std::size_t kFaceNameLength = 31;
constexpr std::size_t kStyleWordLength = 31;

// Unit conversions between the file and the records. Degrees come in with
// the settings factor and go out with the program's own, as they always have.
constexpr double kReadRadiansPerDegree = kSettingsRadiansPerDegree;
constexpr double kWriteDegreesPerRadian = kDegreesPerRadian;
constexpr double kDaysPerHour = 0.041666666666666664;
constexpr double kHoursPerDay = 24.0;
constexpr double kDaysPerYear = 365.25;
constexpr double kMagnitudeUnit = 0.01; // hundredths to magnitudes
constexpr double kHundredthsPerMagnitude = 100.0;

// ---------------------------------------------------------------------------
// The key table

enum class Kind : std::uint8_t {
    Object,   // an ObjectID by display name
    Offset,   // three reals
    SiteName, // the viewer's 48-byte site name
    Text,     // a std::string as it stands
    Real,
    Flag, // bool
    Integer,
    Keyword,
    Magnitude,       // hundredths
    MagnitudeOrNone, // hundredths, kNoLimit written empty
    Color,
    Font,                // the chart font of DisplayOptions
    PlanetPerturbations, // the old flag in front of PlanetComputation
};

enum class Width : std::uint8_t { None, U8, I16, I32 };

enum class Convert : std::uint8_t {
    None,
    Angle,       // radians held, degrees written
    TimeZone,    // days held, hours written
    Years,       // days held, years of 365.25 days written
    DecimalYear, // a Julian date held, a decimal year written
};

struct Keyword {
    const char* word;
    int value;
};

struct KeyEntry {
    const char* key;
    Kind kind;
    void* field;
    const char* format = nullptr;
    Width width = Width::None;
    Convert convert = Convert::None;
    const Keyword* words = nullptr;
    int wordCount = 0;
};

constexpr Keyword kCalendarWords[] = {
    {"Julian", 0}, {"Gregorian", 1}, {"Islamic", 2}, {"Indian", 3}};
constexpr Keyword kPlanetWords[] = {{"Elements", 1}, {"VFP", 2}, {"VSOP87", 3}};
constexpr Keyword kProjectionWords[] = {
    {"Planar", 1}, {"Spherical", 2}, {"Lambert", 3}, {"Mercator", 4}, {"Mollweide", 5}};
constexpr Keyword kCoordinateWords[] = {
    {"Equatorial", 1}, {"Ecliptic", 2}, {"Galactic", 3}, {"Horizon", 4}};
constexpr Keyword kSkyWords[] = {{"Black", 1}, {"White", 2}, {"Color", 3}};
constexpr Keyword kAnimationWords[] = {{"Off", 1}, {"Backward", 2}, {"Forward", 3}};
constexpr Keyword kTelescopeWords[] = {
    {"LX200", 1},      {"MagellanI", 2},  {"MagellanII", 3},  {"Autostar", 4},
    {"Ultima2000", 5}, {"NexStar", 6},    {"AstroMaster", 7}, {"SkyWizard", 8},
    {"NGCMax", 9},     {"SkyVector", 10}, {"BBox", 11},       {"QEICoordinate", 12}};
constexpr Keyword kTrailWords[] = {{"InSpace", kTrailInSpace},
                                   {"InSky", kTrailInSky},
                                   {"InCurrentCoordinates", kTrailInCurrentCoordinates}};

// The style words of the chart font, by bit 1, 2, 4, ... 128.
constexpr const char* kFontStyleWords[] = {"Bold",   "Italic",    "Underline", "Outline",
                                           "Shadow", "Condensed", "Extended",  "Strikeout"};

KeyEntry Flag(const char* key, bool* field) {
    return {key, Kind::Flag, field, "%d"};
}

KeyEntry Real(const char* key, double* field, const char* format, Convert convert = Convert::None) {
    return {key, Kind::Real, field, format, Width::None, convert};
}

KeyEntry Angle(const char* key, double* field, const char* format) {
    return Real(key, field, format, Convert::Angle);
}

KeyEntry Integer(const char* key, std::int16_t* field, const char* format) {
    return {key, Kind::Integer, field, format, Width::I16};
}

KeyEntry Integer(const char* key, std::int32_t* field, const char* format) {
    return {key, Kind::Integer, field, format, Width::I32};
}

template <std::size_t N>
KeyEntry Words(const char* key, std::int16_t* field, const Keyword (&words)[N]) {
    return {key,        Kind::Keyword, field, nullptr,
            Width::I16, Convert::None, words, static_cast<int>(N)};
}

template <std::size_t N>
KeyEntry Words(const char* key, std::uint8_t* field, const Keyword (&words)[N]) {
    return {key,       Kind::Keyword, field, nullptr,
            Width::U8, Convert::None, words, static_cast<int>(N)};
}

KeyEntry Magnitude(const char* key, std::int16_t* field, bool orNone) {
    return {key, orNone ? Kind::MagnitudeOrNone : Kind::Magnitude, field};
}

KeyEntry TypeMagnitude(const char* key, int type) {
    return Magnitude(key, &gDisplayOptions.typeLimits[type - kFirstTypeLimit], true);
}

KeyEntry Color(const char* key, int slot) {
    return {key, Kind::Color, &gDisplayOptions.colors[slot]};
}

// Every key, in the order written.
const std::vector<KeyEntry>& KeyTable() {
    static const std::vector<KeyEntry> table = [] {
        Viewer& v = gViewer;
        ComputationOptions& c = gComputationOptions;
        ChartView& view = gChartView;
        DisplayOptions& d = gDisplayOptions;
        AnimationState& a = gAnimationState;
        TelescopeState& t = gTelescopeState;
        return std::vector<KeyEntry>{
            {"ViewerObject", Kind::Object, &v.viewerObject},
            {"ViewerObjectOffset", Kind::Offset, v.viewerObjectOffset, "%+.9E,%+.9E,%+.9E"},
            {"ViewerSiteName", Kind::SiteName, v.siteName},
            Angle("ViewerLongitude", &v.longitude, "%+011.6f"),
            Angle("ViewerLatitude", &v.latitude, "%+010.6f"),
            Real("ViewerAltitude", &v.altitude, "%.1f"),
            Real("TimeZone", &v.timeZone, "%+.1f", Convert::TimeZone),
            Real("JulianDate", &v.julianDate, "%.6f"),
            Words("CalendarSystem", &v.calendar, kCalendarWords),
            Flag("DynamicTime", &v.dynamicTime),
            Flag("DaylightSavingsTime", &v.daylightSavings),
            Flag("StarParallax", &c.starParallax),
            Flag("StarMotion", &c.starMotion),
            Real("StarParallaxThreshold", &c.starParallaxThreshold, "%.1f"),
            Real("StarMotionThreshold", &c.starMotionThreshold, "%.1f", Convert::Years),
            {"PlanetPerturbations", Kind::PlanetPerturbations, &c.planetComputation, "%d"},
            Words("PlanetComputation", &c.planetComputation, kPlanetWords),
            Flag("PlanetLightTime", &c.planetLightTime),
            Real("PrecessionEpoch", &c.precessionEpoch, "%.1f", Convert::DecimalYear),
            Flag("Precession", &c.precession),
            Flag("Nutation", &c.nutation),
            Flag("Aberration", &c.aberration),
            Flag("Refraction", &c.refraction),
            Flag("PreciseRiseSetTimes", &c.preciseRiseSet),
            Angle("HorizonAltitude", &c.horizonAltitude, "%.3f"),
            Words("ChartProjection", &view.projection, kProjectionWords),
            Words("ChartCoordinateSystem", &view.coordinateSystem, kCoordinateWords),
            {"CenteredObject", Kind::Object, &view.centeredObject},
            Angle("ChartCenterLongitude", &view.centerLongitude, "%.6f"),
            Angle("ChartCenterLatitude", &view.centerLatitude, "%+.6f"),
            Angle("ChartFieldRotation", &view.fieldRotation, "%+.6f"),
            Angle("ChartFieldWidth", &view.fieldWidth, "%.6f"),
            Flag("ChartInvertedHorizontally", &view.invertedHorizontally),
            Flag("ChartInvertedVertically", &view.invertedVertically),
            Flag("ShowStars", &d.showStars),
            Flag("ShowStarColors", &d.showStarColors),
            Flag("ShowLargeStars", &d.showLargeStars),
            Flag("ShowMultipleStars", &d.showMultipleStars),
            Flag("ShowVariableStars", &d.showVariableStars),
            Flag("ShowPlanets", &d.showPlanets),
            Flag("ShowPlanetSymbols", &d.showPlanetSymbols),
            Flag("ShowPlanetGrids", &d.showPlanetGrids),
            Real("PlanetMagnification", &d.planetMagnification, "%.6f"),
            Flag("ShowDeepSkyObjects", &d.showDeepSkyObjects),
            Flag("ShowConstellations", &d.showConstellations),
            Flag("ShowConstellationFigures", &d.showConstellationFigures),
            Flag("ShowConstellationBoundaries", &d.showConstellationBoundaries),
            Flag("ShowConstellationLabels", &d.showConstellationLabels),
            Flag("ShowObjectLabels", &d.showObjectLabels),
            Flag("ShowChartLegend", &d.showChartLegend),
            Flag("ShowChartControls", &d.showChartControls),
            Real("ChartScrollRate", &view.scrollRate, "%.3f"),
            Real("ChartZoomFactor", &view.zoomFactor, "%.3f"),
            Flag("ShowGridLines", &d.showGridLines),
            Flag("ShowGridLabels", &d.showGridLabels),
            Flag("ShowEcliptic", &d.showEcliptic),
            Flag("ShowEquator", &d.showEquator),
            Flag("ShowGalacticEquator", &d.showGalacticEquator),
            Flag("ShowHorizonLine", &d.showHorizonLine),
            Flag("ShowHorizonMask", &d.showHorizonMask),
            Flag("ShowRADecGrid", &d.showRADecGrid),
            Angle("GridRAInterval", &d.gridRAInterval, "%.6f"),
            Angle("GridDecInterval", &d.gridDecInterval, "%.6f"),
            Magnitude("BrightestStarMagnitude", &d.brightestStarMagnitude, false),
            Magnitude("FaintestStarMagnitude", &d.faintestStarMagnitude, false),
            Magnitude("FaintestStarLabelMagnitude", &d.faintestStarLabelMagnitude, true),
            Magnitude("FaintestPlanetLabelMagnitude", &d.faintestPlanetLabelMagnitude, true),
            Magnitude("FaintestDeepSkyLabelMagnitude", &d.faintestDeepSkyLabelMagnitude, true),
            TypeMagnitude("FaintestOpenClusterMagnitude", 61),
            TypeMagnitude("FaintestGlobularClusterMagnitude", 62),
            TypeMagnitude("FaintestDiffuseNebulaMagnitude", 63),
            TypeMagnitude("FaintestPlanetaryNebulaMagnitude", 64),
            TypeMagnitude("FaintestGalaxyMagnitude", 65),
            Flag("AutomaticMagnitudeLimits", &d.automaticMagnitudeLimits),
            Flag("ShowColors", &d.useColor),
            Flag("RedScreen", &d.redScreen),
            Words("SkyBackground", &d.skyBackground, kSkyWords),
            Color("StarColor", kStarLabelColor),
            Color("PlanetColor", kPlanetLabelColor),
            Color("DeepSkyObjectColor", kDeepSkyColor),
            Color("ConstellationsColor", kFigureColor),
            Color("ConstellationBoundariesColor", kBoundaryColor),
            Color("RADecGridColor", kGridColor),
            Color("EquatorColor", kEquatorColor),
            Color("EclipticColor", kEclipticColor),
            Color("GalacticEquatorColor", kGalacticEquatorColor),
            Color("HorizonColor", kHorizonColor),
            Color("DaytimeSkyColor", kDaytimeSkyColor),
            Color("CivilTwilightSkyColor", kCivilTwilightColor),
            Color("NauticalTwilightSkyColor", kNauticalTwilightColor),
            Color("AstronomicalTwilightSkyColor", kAstronomicalTwilightColor),
            Color("NightSkyColor", kNightSkyColor),
            {"ChartWindowsFont", Kind::Font, &d},
            Words("AnimationState", &a.mode, kAnimationWords),
            Real("AnimationTimeStep", &a.timeStep, "%.6f"),
            Words("TelescopeInterface", &t.interface, kTelescopeWords),
            Flag("TelescopeEmulated", &t.emulated),
            Integer("TelescopeConnectionPort", &t.port, "%d"),
            // The serial device's path; readers that don't know the key pass it by.
            {"TelescopeDevice", Kind::Text, &t.device},
            Integer("TelescopeUpdatesPerSec", &t.updatesPerSec, "%d"),
            Integer("TelescopeLonEncoderSteps", &t.lonEncoderSteps, "%+d"),
            Integer("TelescopeLatEncoderSteps", &t.latEncoderSteps, "%+d"),
            Integer("TelescopeEncodersSwapped", &t.encodersSwapped, "%d"),
            Flag("ShowTelescopeFinderField", &t.showFinderField),
            Flag("ShowTelescopeEyepieceField", &t.showEyepieceField),
            Flag("ShowTelescopeCameraField", &t.showCameraField),
            Angle("TelescopeFinderFieldWidth", &t.finderFieldWidth, "%.6f"),
            Angle("TelescopeEyepeiceFieldWidth", &t.eyepieceFieldWidth, "%.6f"),
            Angle("TelescopeCameraFieldWidth", &t.cameraFieldWidth, "%.6f"),
            Angle("TelescopeCameraFieldHeight", &t.cameraFieldHeight, "%.6f"),
        };
    }();
    return table;
}

// ---------------------------------------------------------------------------
// Numbers in values

// A decimal real as strtod reads it; a text that holds no number, or one too
// large for a double, reads as 0 (a NaN or an infinity would poison every
// computation that met it), and the latter sets *notFinite.
double ParseReal(const std::string& text, bool* notFinite = nullptr) {
    const char* start = text.c_str();
    char* stop = nullptr;
    double value = std::strtod(start, &stop);
    if (stop == start) return 0.0;
    if (!std::isfinite(value)) {
        if (notFinite != nullptr) *notFinite = true;
        return 0.0;
    }
    return value;
}

// A decimal integer as strtoll reads it (leading blanks and a sign allowed,
// digits up to the first other character); 0 when there is none. Values
// beyond the 64-bit range stop at its ends.
long long ParseInteger(const char* text, const char** end = nullptr) {
    char* stop = nullptr;
    long long value = std::strtoll(text, &stop, 10);
    if (end != nullptr) *end = stop;
    return stop == text ? 0 : value;
}

long long ParseInteger(const std::string& text) {
    return ParseInteger(text.c_str());
}

// A real into a 16-bit count, truncated toward zero, held within the range.
std::int16_t TruncateTo16(double value) {
    if (!(value > INT16_MIN)) return INT16_MIN;
    if (!(value < INT16_MAX)) return INT16_MAX;
    return static_cast<std::int16_t>(value);
}

bool IsBlank(const std::string& text) {
    for (unsigned char c : text)
        if (c != ' ' && c != '\t') return false;
    return true;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    char small[128];
    int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string text;
    if (length < 0) {
        va_end(again);
        return text;
    }
    if (static_cast<std::size_t>(length) < sizeof small) {
        text.assign(small, static_cast<std::size_t>(length));
    } else {
        // A real of 1e300 written "%.6f" needs some 310 characters.
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(again);
    return text;
}

// ---------------------------------------------------------------------------
// Converting one value

double ToFile(double value, Convert convert) {
    switch (convert) {
    case Convert::Angle:
        return value * kWriteDegreesPerRadian;
    case Convert::TimeZone:
        return value * kHoursPerDay;
    case Convert::Years:
        return value / kDaysPerYear;
    case Convert::DecimalYear:
        return YearFromJulianDate(value);
    case Convert::None:
        break;
    }
    return value;
}

double FromFile(double value, Convert convert) {
    switch (convert) {
    case Convert::Angle:
        value *= kReadRadiansPerDegree;
        break;
    case Convert::TimeZone:
        value *= kDaysPerHour;
        break;
    case Convert::Years:
        value *= kDaysPerYear;
        break;
    case Convert::DecimalYear:
        value = JulianDateFromYear(value);
        break;
    case Convert::None:
        break;
    }
    // A number near the largest double can overflow on the way in: the
    // caller refuses what is not finite.
    return value;
}

long long ReadWidth(const void* field, Width width) {
    switch (width) {
    case Width::U8:
        return *static_cast<const std::uint8_t*>(field);
    case Width::I16:
        return *static_cast<const std::int16_t*>(field);
    case Width::I32:
        return *static_cast<const std::int32_t*>(field);
    case Width::None:
        break;
    }
    return 0;
}

// Stores a value in a field of the given width, keeping its low bits as a
// narrower integer keeps them.
void WriteWidth(void* field, Width width, long long value) {
    switch (width) {
    case Width::U8:
        *static_cast<std::uint8_t*>(field) = static_cast<std::uint8_t>(value);
        break;
    case Width::I16:
        *static_cast<std::int16_t*>(field) = static_cast<std::int16_t>(value);
        break;
    case Width::I32:
        *static_cast<std::int32_t*>(field) = static_cast<std::int32_t>(value);
        break;
    case Width::None:
        break;
    }
}

const char* WordFor(const Keyword* words, int count, long long value) {
    for (int i = 0; i < count; ++i)
        if (words[i].value == value) return words[i].word;
    return nullptr;
}

const Keyword* KeywordNamed(const Keyword* words, int count, const std::string& word) {
    for (int i = 0; i < count; ++i)
        if (word == words[i].word) return &words[i];
    return nullptr;
}

std::string ObjectName(ObjectID id) {
    if (id == 0) return {};
    SkyObject* object = getObject(id);
    return object != nullptr ? DisplayName(object) : std::string();
}

std::string FontValue(const DisplayOptions& d) {
    std::string text = Format("%s,%hd", d.fontFace.c_str(), static_cast<short>(d.fontSize));
    for (int bit = 0; bit < 8; ++bit)
        if (d.fontStyle & (1 << bit)) {
            text += ',';
            text += kFontStyleWords[bit];
        }
    return text;
}

void ReadFont(const std::string& value, DisplayOptions& d) {
    std::size_t comma = value.find(',');
    d.fontFace = value.substr(0, std::min(comma, kFaceNameLength));
    if (comma == std::string::npos) {
        d.fontSize = 0;
        d.fontStyle = 0;
        return;
    }
    d.fontSize = static_cast<std::int16_t>(ParseInteger(value.c_str() + comma + 1));
    int style = 0;
    std::size_t start = comma + 1;
    while (start <= value.size()) {
        std::size_t next = value.find(',', start);
        std::size_t length = (next == std::string::npos ? value.size() : next) - start;
        std::string word = value.substr(start, std::min(length, kStyleWordLength));
        for (int bit = 0; bit < 8; ++bit)
            if (word == kFontStyleWords[bit]) style |= 1 << bit;
        if (next == std::string::npos) break;
        start = next + 1;
    }
    d.fontStyle = style;
}

// The text after "Key=" for one entry, or false when the entry writes no line.
bool EntryValue(const KeyEntry& e, std::string& value) {
    switch (e.kind) {
    case Kind::Object:
        value = ObjectName(*static_cast<const ObjectID*>(e.field));
        return true;
    case Kind::Offset: {
        const double* v = static_cast<const double*>(e.field);
        value = Format(e.format, v[0], v[1], v[2]);
        return true;
    }
    case Kind::SiteName: {
        const char* name = static_cast<const char*>(e.field);
        value.assign(name, strnlen(name, sizeof gViewer.siteName));
        return true;
    }
    case Kind::Text:
        // Written only when set, so that files of older versions keep every byte.
        value = *static_cast<const std::string*>(e.field);
        return !value.empty();
    case Kind::Real:
        value = Format(e.format, ToFile(*static_cast<const double*>(e.field), e.convert));
        return true;
    case Kind::Flag:
        value = Format("%d", *static_cast<const bool*>(e.field) ? 1 : 0);
        return true;
    case Kind::Integer:
        value = Format(e.format, static_cast<int>(ReadWidth(e.field, e.width)));
        return true;
    case Kind::Keyword: {
        const char* word = WordFor(e.words, e.wordCount, ReadWidth(e.field, e.width));
        if (word == nullptr) return false;
        value = word;
        return true;
    }
    case Kind::Magnitude:
    case Kind::MagnitudeOrNone: {
        std::int16_t hundredths = *static_cast<const std::int16_t*>(e.field);
        if (e.kind == Kind::MagnitudeOrNone && hundredths == kNoLimit)
            value.clear();
        else
            value = Format("%+.2f", hundredths * kMagnitudeUnit);
        return true;
    }
    case Kind::Color: {
        const RGBColor& c = *static_cast<const RGBColor*>(e.field);
        value = Format("%03d,%03d,%03d", c.red, c.green, c.blue);
        return true;
    }
    case Kind::Font:
        value = FontValue(*static_cast<const DisplayOptions*>(e.field));
        return true;
    case Kind::PlanetPerturbations: {
        // Readers that know only the old flag take 1 for the perturbed
        // theories and 0 for the orbital elements.
        std::uint8_t mode = *static_cast<const std::uint8_t*>(e.field);
        value = Format(e.format, mode == kPlanetsVFP || mode == kPlanetsVSOP87);
        return true;
    }
    }
    return false;
}

// Looks an object up by its exact name, letter case ignored. 523 names a
// name that matches nothing; a cancelled search ends without a word.
int FindNamedObject(const std::string& name, ObjectID& id) {
    id = 0;
    int result = findObjectByName(name, false, true, id);
    if (result == kStatusNotFound) ShowMessage(ButtonsOK, kNoSuchObjectMessage, name.c_str());
    return result;
}

// Applies one value line to its entry; anything but success ends the section.
int ApplyEntry(const KeyEntry& e, const std::string& value) {
    // A file that names the port by its number alone means that port: a path
    // kept from before gives way (a "TelescopeDevice" line, written after it,
    // sets the path again).
    if (e.field == &gTelescopeState.port) gTelescopeState.device.clear();
    switch (e.kind) {
    case Kind::Object: {
        // A name that matches nothing is reported and its key keeps its value;
        // the rest of the file is read on (one renamed object must not cost
        // the user every setting after it).
        ObjectID id = 0;
        if (!value.empty()) {
            int result = FindNamedObject(value, id);
            if (result == kStatusCancelled) return result;
            if (result != kStatusSuccess) break;
        }
        *static_cast<ObjectID*>(e.field) = id;
        break;
    }
    case Kind::Offset: {
        double* v = static_cast<double*>(e.field);
        double read[3] = {0.0, 0.0, 0.0};
        // "%lf,%lf,%lf": each number must follow its comma directly.
        const char* p = value.c_str();
        for (int i = 0; i < 3; ++i) {
            if (i > 0) {
                if (*p != ',') break;
                ++p;
            }
            char* stop = nullptr;
            double x = std::strtod(p, &stop);
            if (stop == p) break;
            read[i] = std::isfinite(x) ? x : 0.0;
            p = stop;
        }
        for (int i = 0; i < 3; ++i)
            v[i] = read[i];
        break;
    }
    case Kind::SiteName:
        SetViewerSiteName(value.c_str());
        break;
    case Kind::Text:
        *static_cast<std::string*>(e.field) = value;
        break;
    case Kind::Real: {
        // A number that is not finite, or an instant beyond any calendar the
        // program keeps, is refused: the field keeps its value.
        bool notFinite = false;
        double converted = FromFile(ParseReal(value, &notFinite), e.convert);
        bool refused = notFinite || !std::isfinite(converted) ||
                       (e.field == &gViewer.julianDate && !IsSaneJulianDate(converted));
        if (refused) {
            ShowMessage(ButtonsOK, kOutOfRangeMessage, value.c_str(), e.key);
            break;
        }
        *static_cast<double*>(e.field) = converted;
        break;
    }
    case Kind::Flag:
        // Kept as an 8-bit value: any value whose low byte is not zero is on.
        *static_cast<bool*>(e.field) = static_cast<std::uint8_t>(ParseInteger(value)) != 0;
        break;
    case Kind::Integer:
        WriteWidth(e.field, e.width, ParseInteger(value));
        break;
    case Kind::Keyword:
        if (const Keyword* k = KeywordNamed(e.words, e.wordCount, value))
            WriteWidth(e.field, e.width, k->value);
        break;
    case Kind::Magnitude:
    case Kind::MagnitudeOrNone:
        if (e.kind == Kind::MagnitudeOrNone && IsBlank(value))
            *static_cast<std::int16_t*>(e.field) = kNoLimit;
        else
            *static_cast<std::int16_t*>(e.field) =
                TruncateTo16(ParseReal(value) * kHundredthsPerMagnitude);
        break;
    case Kind::Color: {
        int components[3] = {0, 0, 0};
        const char* p = value.c_str();
        for (int i = 0; i < 3; ++i) {
            if (i > 0) {
                if (*p != ',') break;
                ++p;
            }
            const char* stop = nullptr;
            long long x = ParseInteger(p, &stop);
            if (stop == p) break;
            components[i] = static_cast<int>(static_cast<std::uint8_t>(x));
            p = stop;
        }
        *static_cast<RGBColor*>(e.field) = {static_cast<std::uint8_t>(components[0]),
                                            static_cast<std::uint8_t>(components[1]),
                                            static_cast<std::uint8_t>(components[2])};
        break;
    }
    case Kind::Font:
        ReadFont(value, *static_cast<DisplayOptions*>(e.field));
        break;
    case Kind::PlanetPerturbations:
        *static_cast<std::uint8_t*>(e.field) =
            ParseInteger(value) != 0 ? kPlanetsVFP : kPlanetsElements;
        break;
    }
    return kStatusSuccess;
}

const KeyEntry* EntryNamed(const std::string& key) {
    for (const KeyEntry& e : KeyTable())
        if (key == e.key) return &e;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Writing

void PutLine(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputs(kLineEnd, stream);
}

void PutValueLine(std::FILE* stream, const std::string& key, const std::string& value) {
    std::string line = key + '=' + value;
    if (line.size() > kWrittenLineLength) line.resize(kWrittenLineLength);
    PutLine(stream, line);
}

void PutTrail(std::FILE* stream, const Trail& trail) {
    PutLine(stream, kTrailTag);
    if (trail.object != 0 && getObject(trail.object) != nullptr)
        PutValueLine(stream, "TrailObject", ObjectName(trail.object));
    if (const char* word = WordFor(kTrailWords, 3, trail.type))
        PutValueLine(stream, "TrailType", word);
    PutValueLine(stream, "TrailPoints", Format("%ld", static_cast<long>(trail.maxPoints)));
    PutValueLine(stream, "TrailTicksInterval",
                 Format("%ld", static_cast<long>(trail.ticksInterval)));
    PutValueLine(stream, "TrailDatesInterval",
                 Format("%ld", static_cast<long>(trail.datesInterval)));
    PutLine(stream, kTrailEndTag);
    PutLine(stream, "");
}

// ---------------------------------------------------------------------------
// Reading

std::string KeyOf(const std::string& line) {
    return line.substr(0, line.find('='));
}

// A trail block after its "<Trail>" line.
int ReadTrailBlock(std::FILE* stream) {
    std::string name, pointsText;
    bool pointsOutOfRange = false;
    std::int32_t type = 0, points = 0, ticks = 0, dates = 0;
    SettingsLine line;
    for (;;) {
        if (!ReadSettingsLine(stream, line)) return kStatusReadError;
        std::string key, value;
        SplitValueLine(line.text, key, value);
        if (key == kTrailEndTag) break;
        if (key == "TrailObject") {
            name = value;
        } else if (key == "TrailType") {
            if (const Keyword* k = KeywordNamed(kTrailWords, 3, value)) type = k->value;
        } else if (key == "TrailPoints") {
            long long read = ParseInteger(value);
            pointsText = value;
            pointsOutOfRange = read < 0 || read > kMaxTrailPoints;
            points = pointsOutOfRange ? 0 : static_cast<std::int32_t>(read);
        } else if (key == "TrailTicksInterval") {
            ticks = static_cast<std::int32_t>(ParseInteger(value));
        } else if (key == "TrailDatesInterval") {
            dates = static_cast<std::int32_t>(ParseInteger(value));
        }
    }
    // A trail whose object is not found, or that asks for more positions than
    // a trail may hold, is reported and passed over; reading goes on.
    if (pointsOutOfRange) {
        ShowMessage(ButtonsOK, kOutOfRangeMessage, pointsText.c_str(), "TrailPoints");
        return kStatusSuccess;
    }
    ObjectID id = 0;
    int result = FindNamedObject(name, id);
    if (result == kStatusCancelled) return result;
    if (result != kStatusSuccess) return kStatusSuccess;
    // A trail that can't be made (no slot, no memory) is passed over.
    CreateTrail(id, type, points, ticks, dates);
    return kStatusSuccess;
}

// The settings section after its "<Settings>" line. Files the program writes
// have no "EndOfSettings": the section runs to the end of the file, and the
// trail blocks after "</Settings>" are read on the way.
int ReadSettingsSection(std::FILE* stream) {
    SettingsLine line;
    std::string key, value;
    while (ReadSettingsLine(stream, line)) {
        SplitValueLine(line.text, key, value);
        if (key == kTrailTag) {
            int result = ReadTrailBlock(stream);
            if (result != kStatusSuccess) return result;
            continue;
        }
        if (key == kEndOfSettings) return kStatusSuccess;
        if (key == kFileEndTag) {
            gSawFileEnd = true;
            return kStatusSuccess;
        }
        if (const KeyEntry* entry = EntryNamed(key)) {
            int result = ApplyEntry(*entry, value);
            if (result != kStatusSuccess) return result;
        }
    }
    return kStatusReadError;
}

struct DescriptionEdit {
    std::string text;
};

long ReadDescriptionHandler(int event, WindowRef dialog, long a, long) {
    auto* edit = reinterpret_cast<DescriptionEdit*>(WindowParameter(dialog));
    if (event == Create) {
        SetItemText(dialog, kDescriptionEditControl, edit->text);
    } else if (event == ControlNotify && a == kOKButton) {
        edit->text = BoundedDescription(GetItemText(dialog, kDescriptionEditControl));
        EndDialogResult(1);
    } else if (event == ControlNotify && a == kCancelButton) {
        EndDialogResult(0);
    }
    return 1;
}

// The description after its "<Description>" line, then its dialog; false
// when the user cancels the dialog.
bool ReadDescription(std::FILE* stream) {
    std::string text;
    SettingsLine line;
    while (ReadSettingsLine(stream, line)) {
        if (line.text == kDescriptionEndTag) break;
        if (text.size() < kMaxDescriptionLength) {
            text += line.text;
            if (line.endedWithBreak) text += kLineEnd;
            if (text.size() > kMaxDescriptionLength) text.resize(kMaxDescriptionLength);
        }
    }
    gSettingsDescription = text;
    DescriptionEdit edit{gSettingsDescription};
    if (RunDialog(kReadDescriptionTemplate, reinterpret_cast<long>(&edit),
                  ReadDescriptionHandler) != 1)
        return false;
    gSettingsDescription = edit.text;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// Lines

bool ReadSettingsLine(std::FILE* stream, SettingsLine& line) {
    line.text.clear();
    line.endedWithBreak = false;
    std::size_t count = 0;
    bool stopped = false; // a NUL ends the line's text as it ends a C string
    int c = 0;
    while (count < kMaxSettingsLineLength) {
        c = std::getc(stream);
        if (c == EOF) return count > 0;
        if (c == '\r' || c == '\n') {
            if (c == '\r') {
                int next = std::getc(stream);
                if (next != '\n' && next != EOF) std::ungetc(next, stream);
            }
            line.endedWithBreak = true;
            return true;
        }
        ++count;
        if (c == '\0') stopped = true;
        if (!stopped) line.text += static_cast<char>(c);
    }
    // A full line: a break right after it still belongs to it.
    c = std::getc(stream);
    if (c == '\r') {
        int next = std::getc(stream);
        if (next != '\n' && next != EOF) std::ungetc(next, stream);
        line.endedWithBreak = true;
    } else if (c == '\n') {
        line.endedWithBreak = true;
    } else if (c != EOF) {
        std::ungetc(c, stream);
    }
    return true;
}

void SplitValueLine(const std::string& line, std::string& key, std::string& value) {
    std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
        key = line;
        value.clear();
    } else {
        key = line.substr(0, equals);
        value = line.substr(equals + 1);
    }
}

std::string BoundedDescription(const std::string& text) {
    return text.size() > kMaxDescriptionLength ? text.substr(0, kMaxDescriptionLength) : text;
}

// ---------------------------------------------------------------------------
// The file

bool isSettingsFile(std::FILE* stream) {
    long position = std::ftell(stream);
    SettingsLine line;
    bool settings = ReadSettingsLine(stream, line) && KeyOf(line.text) == kFileTag;
    std::clearerr(stream);
    if (position >= 0) std::fseek(stream, position, SEEK_SET);
    return settings;
}

bool readSettingsFile(const std::string& path) {
    std::string title = FileTitle(path);
    std::FILE* stream = OpenFile(path, "rb");
    if (stream == nullptr) {
        ShowMessage(ButtonsOK, kCannotOpenMessage, title.c_str());
        return false;
    }
    try {
        SettingsLine line;
        if (!ReadSettingsLine(stream, line) || line.text != kFileTag) {
            CloseFile(stream);
            ShowMessage(ButtonsOK, kCannotReadMessage, title.c_str());
            return false;
        }
        ReadSettingsLine(stream, line); // the version: every version reads alike

        // Trails belong to the settings as a whole: the file's replace them all.
        DeleteAllTrails();
        gSawFileEnd = false;
        bool stopped = false; // the user cancelled, or a block could not be read
        while (!gSawFileEnd && ReadSettingsLine(stream, line)) {
            std::string key = KeyOf(line.text);
            if (key == kFileEndTag) {
                gSawFileEnd = true;
            } else if (key == kDescriptionTag) {
                if (!ReadDescription(stream)) {
                    stopped = true;
                    break;
                }
            } else if (key == kSettingsTag) {
                if (ReadSettingsSection(stream) == kStatusCancelled) {
                    stopped = true;
                    break;
                }
            } else if (key == kTrailTag) {
                if (ReadTrailBlock(stream) == kStatusCancelled) {
                    stopped = true;
                    break;
                }
            }
        }
        // A file cut short (a full disk, a copy broken off) is used as far as
        // it goes, and the user is told.
        if (!stopped && !gSawFileEnd) ShowMessage(ButtonsOK, kTruncatedMessage, title.c_str());
    } catch (const std::bad_alloc&) {
        ShowMessage(ButtonsOK, kOutOfMemoryMessage);
    }
    CloseFile(stream);
    return true;
}

void writeSettingsFile(std::FILE* stream, const std::string& /*title*/) {
    PutLine(stream, kFileTag);
    PutValueLine(stream, kVersionKey, kVersion);
    PutLine(stream, "");

    if (!gSettingsDescription.empty()) {
        PutLine(stream, kDescriptionTag);
        const std::string& text = gSettingsDescription;
        std::fwrite(text.data(), 1, text.size(), stream);
        if (text.size() < 2 || text.compare(text.size() - 2, 2, kLineEnd) != 0)
            std::fputs(kLineEnd, stream);
        PutLine(stream, kDescriptionEndTag);
        PutLine(stream, "");
    }

    PutLine(stream, kSettingsTag);
    std::string value;
    for (const KeyEntry& e : KeyTable())
        if (EntryValue(e, value)) PutValueLine(stream, e.key, value);
    PutLine(stream, kSettingsEndTag);
    PutLine(stream, "");

    for (int slot = FirstTrail(); slot != 0; slot = NextTrail(slot))
        PutTrail(stream, *GetTrail(slot));

    PutLine(stream, kFileEndTag);
}

bool saveSettingsFile(const std::string& path) {
    std::string title = FileTitle(path);
    std::FILE* stream = OpenFile(path, "wb");
    if (stream == nullptr) {
        ShowMessage(ButtonsOK, kCannotOpenForWritingMessage, title.c_str());
        return false;
    }
    try {
        writeSettingsFile(stream, title);
    } catch (const std::bad_alloc&) {
        AbandonFile(stream);
        ShowMessage(ButtonsOK, kOutOfMemoryMessage);
        return false;
    }
    // A full disk shows here or when the file is flushed; either way the
    // file that was there stays as it was.
    bool written = std::ferror(stream) == 0;
    if (!written)
        AbandonFile(stream);
    else
        written = CloseFile(stream);
    if (!written) ShowMessage(ButtonsOK, kCannotWriteMessage, title.c_str());
    return written;
}
