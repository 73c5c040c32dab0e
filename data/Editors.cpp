#include "data/Editors.h"

#include "astro/ComputationOptions.h"
#include "astro/Orbits.h"
#include "astro/Precession.h"
#include "astro/TimeScales.h"
#include "astro/Vectors.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/Import.h"
#include "data/ObjectStore.h"
#include "data/SelectObject.h"
#include "data/SkyObject.h"

#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace {

constexpr int kCannotAddString = 527;
constexpr int kDeleteObjectString = 536;
constexpr int kReadOnlyString = 539;

// Unit conversions of the import format (the builders' own figures, so that
// what is shown reads back to what is stored).
constexpr double kRadiansPerHour = 0.2617993878;
constexpr double kTimeSecondsPerYearToRadiansPerDay = 1.991021278111841e-7;
constexpr double kArcsecondsPerYearToRadiansPerDay = 1.3273475187412273e-8;
constexpr double kKilometresPerSecondToAUPerDay = 0.0005775483300664642;
constexpr double kAUPerParsec = 206264.8062;
constexpr double kArcminutesToRadians = 0.00029088820873213997;
constexpr double kKilometresToAU = 6.684587153547039e-9;
constexpr double kEarthMassesToSolarMasses = 3.0034900554444265e-6;
constexpr double kModifiedJulianDateOffset = 2400000.5;
constexpr double kDefaultEquinoxYear = 2000.0;
constexpr int kStarTypeBase = 50;

// Field ranges, as the importer takes them.
constexpr double kMaxYear = 10000.0;
constexpr double kMaxMotion = 1.0e4;
constexpr double kMaxMagnitude = 300.0;
constexpr double kMaxElementAngle = 1.0e6;
constexpr double kMaxEccentricity = 1.0e3;
constexpr double kMaxQuantity = 1.0e30;
// Decimals tried, at most, before a value is written in full.
constexpr int kMostDecimals = 9;

// Editor controls, by template.
constexpr int kNameControl = 4;
constexpr int kStarTypeBox = 6;
constexpr int kPlanetTypeBox = 8;
constexpr int kPlanetOrbitsControl = 6;
// Field number n of a line sits in control kStarControls[n] (0: the Type box).
constexpr int kStarControls[] = {kStarTypeBox, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, kNameControl};
constexpr int kPlanetControls[] = {
    kPlanetTypeBox, 10, 12, 15, 17, 19, 21, 23, 25, 27, 29, 31, kNameControl, kPlanetOrbitsControl};
constexpr int kStarFieldCount = 12;
constexpr int kPlanetFieldCount = 14;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// `value` (in the field's unit) written with at least `decimals` decimals, and
// more where the builder, reading it back and multiplying by `factor`, would
// not arrive at the stored single-precision figure.
std::string ExactText(double value, float stored, double factor, int decimals, bool sign = false) {
    for (int d = decimals; d <= kMostDecimals; ++d) {
        std::string text = Format(sign ? "%+.*f" : "%.*f", d, value);
        if (static_cast<float>(std::strtod(text.c_str(), nullptr) * factor) == stored) return text;
    }
    return Format("%.9g", value);
}

std::string Magnitude(std::int16_t hundredths) {
    return Format("%.2f", hundredths / 100.0);
}

// ---------------------------------------------------------------------------
// An object as its line's fields

std::vector<std::string> NewStarFields() {
    return {"S01",   "2000.0", "00 00 00.00", "+00 00 00.0", "+0.0000", "+0.000",
            "+0.00", "+0.00",  "+0.0",        "1.000",       "0.0",     "New Star"};
}

std::vector<std::string> NewPlanetFields() {
    return {"P11",        "2000.0",   "1.00000000",      "0.00000000", "0.000000", "0.000000",
            "0.000000",   "0.000000", "2000/01/1.50000", "0.00 0.00",  "0.0",      "0.0",
            "New Planet", ""};
}

// The year of the equinox the fields are referred to: the chart's, to a
// tenth of a year as the field shows it, the position precessed to just that
// instant so that reading the fields back undoes it.
double EditorEpochYear() {
    return std::round(YearFromJulianDate(gComputationOptions.precessionEpoch) * 10.0) / 10.0;
}

std::vector<std::string> CatalogFields(const CatalogObject* star) {
    std::vector<std::string> f(kStarFieldCount);
    const int type = star->type;
    f[0] = Format("S%02d", type - kStarTypeBase);
    Vector3 p, m;
    for (int c = 0; c < 3; ++c) {
        p[c] = star->position[c] / kUnitVectorScale;
        m[c] = star->motion[c] / kUnitVectorScale;
    }
    double year = EditorEpochYear();
    if (year != kDefaultEquinoxYear) {
        // The builder's step backwards: the motion back to the epoch, then
        // the precession from J2000 to its equinox.
        double jd = JulianDateFromYear(year);
        Matrix3 precession;
        PrecessionMatrix(precession, jd, kJ2000, importNutation());
        for (int c = 0; c < 3; ++c)
            p[c] -= m[c] * (kJ2000 - jd);
        UntransformVector(precession, p);
        UntransformVector(precession, m);
    }
    f[1] = Format("%.1f", year);
    double ra = 0.0, dec = 0.0;
    RectangularToSpherical(p, &ra, &dec, nullptr);
    if (ra < 0.0) ra += 2.0 * std::numbers::pi;

    long centiseconds = std::lround(ra / kRadiansPerHour * 360000.0) % (24L * 360000);
    f[2] = Format("%02ld %02ld %05.2f", centiseconds / 360000, centiseconds / 6000 % 60,
                  centiseconds % 6000 / 100.0);
    long tenths = std::lround(std::fabs(dec) / kRadiansPerDegree * 36000.0);
    f[3] = Format("%c%02ld %02ld %04.1f", dec < 0.0 ? '-' : '+', tenths / 36000, tenths / 600 % 60,
                  tenths % 600 / 10.0);

    // The proper motions are the motion's east and north parts; the radial
    // part lies along the position and drops out.
    double east = -std::sin(ra) * m[0] + std::cos(ra) * m[1];
    double north = -std::sin(dec) * std::cos(ra) * m[0] - std::sin(dec) * std::sin(ra) * m[1] +
                   std::cos(dec) * m[2];
    double cosDec = std::cos(dec);
    f[4] = Format("%+.4f", cosDec > 0.0 ? east / cosDec / kTimeSecondsPerYearToRadiansPerDay : 0.0);
    f[5] = Format("%+.3f", north / kArcsecondsPerYearToRadiansPerDay);

    if (star->catalogMagnitude != kNoMagnitude) {
        f[6] = Magnitude(star->catalogMagnitude);
        if ((type == kTypeVariableStar || type == kTypeMultipleVariableStar) &&
            star->variableRange != kNoMagnitude)
            f[6] +=
                "-" +
                Magnitude(static_cast<std::int16_t>(star->catalogMagnitude + star->variableRange));
        if ((type == kTypeMultipleStar || type == kTypeMultipleVariableStar) &&
            star->companionOffset != kNoMagnitude)
            f[6] += "," + Magnitude(static_cast<std::int16_t>(star->catalogMagnitude +
                                                              star->companionOffset));
    }
    if (star->colorIndex != kNoMagnitude) f[7] = Magnitude(star->colorIndex);
    if (std::isfinite(star->radialVelocity))
        f[8] = ExactText(star->radialVelocity / kKilometresPerSecondToAUPerDay,
                         star->radialVelocity, kKilometresPerSecondToAUPerDay, 1, true);
    if (std::isfinite(star->catalogDistance))
        f[9] =
            ExactText(star->catalogDistance / kAUPerParsec, star->catalogDistance, kAUPerParsec, 3);
    double sizeUnit = IsStarType(type) ? kRadiansPerArcsecond : kArcminutesToRadians;
    f[10] = ExactText(star->size / sizeUnit, star->size, sizeUnit, 1);
    f[11] = DisplayName(star);
    return f;
}

std::vector<std::string> SolarSystemFields(const SolarSystemObject* body) {
    std::vector<std::string> f(kPlanetFieldCount);
    const float* el = body->elements;
    f[0] = Format("P%02d", body->type);
    // Elements are shown referred to the J2000 equinox they are kept in.
    f[1] = Format("%.1f", kDefaultEquinoxYear);
    const float e = el[kEccentricity];
    const float q = el[kPerihelionDistance];
    f[11] =
        ExactText(el[kMass] / kEarthMassesToSolarMasses, el[kMass], kEarthMassesToSolarMasses, 1);
    if (body->type == kTypeEarthSatellite) {
        // The builder derives the perigee from the mean motion of the
        // semi-major axis it is given; that axis is the mean motion's.
        f[3] = ExactText(e, e, 1.0, 8);
        double n0 = el[kMeanMotion] / kMinutesPerDay;
        double a = n0 > 0.0 ? std::pow(kSatelliteKe / n0, 2.0 / 3.0) / kEarthRadiiPerAU : 0.0;
        f[2] = Format("%.15f", a);
    } else {
        // The mean motion is worked out from the texts as read, not from the
        // stored figures: of the texts that give the stored eccentricity and
        // perihelion distance, the ones that give its mean motion too.
        double gm = kGaussianGM;
        if (const SolarSystemObject* centre = AsSolarSystem(getObject(body->primary)))
            gm = kGaussianGM * (centre->elements[kMass] +
                                std::strtod(f[11].c_str(), nullptr) * kEarthMassesToSolarMasses);
        const double step = 1e-8;
        bool found = false;
        for (double t = std::floor(e / step - 4) * step; t <= e + 4 * step && !found; t += step) {
            std::string eText = Format("%.8f", t);
            const double eRead = std::strtod(eText.c_str(), nullptr);
            if (static_cast<float>(eRead) != e) continue;
            for (int d = 8; d <= kMostDecimals + 3 && !found; ++d) {
                std::string aText =
                    eRead < 1.0 ? Format("%.*f", d, q / (1.0 - eRead)) : Format("-%.*f", d, q);
                double aRead = std::strtod(aText.c_str(), nullptr);
                double qRead = aRead < 0.0 ? -aRead : aRead * (1.0 - eRead);
                if (static_cast<float>(qRead) != q) continue;
                if (f[2].empty()) f[2] = aText, f[3] = eText;
                if (static_cast<float>(MeanMotion(gm, qRead, eRead)) == el[kMeanMotion])
                    f[2] = aText, f[3] = eText, found = true;
            }
        }
        if (f[2].empty()) f[3] = ExactText(e, e, 1.0, 8), f[2] = Format("-%.15f", q);
    }
    const int angles[] = {kInclination, kArgumentOfPerihelion, kAscendingNode, kMeanAnomaly};
    for (int k = 0; k < 4; ++k)
        f[4 + k] =
            ExactText(el[angles[k]] / kRadiansPerDegree, el[angles[k]], kRadiansPerDegree, 6);

    CalendarDateTime date =
        CalendarFromJulianDate(body->epoch + kModifiedJulianDateOffset, 0.0, kCalendarGregorian);
    const double day = date.day; // with the fraction of the day
    for (int d = 5; d <= kMostDecimals; ++d) {
        f[8] = Format("%ld/%02d/%0*.*f", static_cast<long>(date.year), date.month, d + 3, d, day);
        double jd = JulianDateFromCalendar(date.year, date.month,
                                           std::strtod(f[8].c_str() + f[8].rfind('/') + 1, nullptr),
                                           0, 0, 0.0, 0.0, kCalendarGregorian);
        if (static_cast<float>(jd - kModifiedJulianDateOffset) == body->epoch) break;
    }

    bool first = body->magnitudeParam1 != kNoMagnitude,
         second = body->magnitudeParam2 != kNoMagnitude;
    if (first && second)
        f[9] = Magnitude(body->magnitudeParam1) + " " + Magnitude(body->magnitudeParam2);
    else if (first)
        f[9] = Magnitude(body->magnitudeParam1);
    f[10] = ExactText(el[kRadius] / kKilometresToAU, el[kRadius], kKilometresToAU, 1);
    f[11] =
        ExactText(el[kMass] / kEarthMassesToSolarMasses, el[kMass], kEarthMassesToSolarMasses, 1);
    f[12] = DisplayName(body);
    if (body->primary != 0) f[13] = DisplayName(getObject(body->primary));
    return f;
}

// ---------------------------------------------------------------------------
// Checking the fields

enum class Check {
    Number,
    OptionalNumber,
    RightAscension,
    Declination,
    Date,
    Magnitudes,
    Parameters
};

struct FieldRule {
    int field;
    Check check;
    double low, high;
    const char* name;
    const char* wanted;
};

// clang-format off
const FieldRule kStarRules[] = {
    {1, Check::OptionalNumber, -kMaxYear, kMaxYear, "precession epoch", "a year from -10000 to 10000"},
    {2, Check::RightAscension, 0, 24, "right ascension", "hours, minutes and seconds from 0 to 24h"},
    {3, Check::Declination, 0, 90, "declination", "degrees, minutes and seconds from -90 to +90"},
    {4, Check::OptionalNumber, -kMaxMotion, kMaxMotion, "motion in right ascension", "seconds of time per year"},
    {5, Check::OptionalNumber, -kMaxMotion, kMaxMotion, "motion in declination", "arcseconds per year"},
    {6, Check::Magnitudes, 0, 0, "magnitude", "a magnitude (a variable star's as brightest-faintest, a multiple star's companion after a comma)"},
    {7, Check::OptionalNumber, -kMaxMagnitude, kMaxMagnitude, "color index", "a number of magnitudes"},
    {8, Check::OptionalNumber, -kMaxQuantity, kMaxQuantity, "radial velocity", "kilometres per second"},
    {9, Check::OptionalNumber, 0, kMaxQuantity, "distance", "parsecs, not negative"},
    {10, Check::OptionalNumber, 0, kMaxQuantity, "size", "a size or separation, not negative"},
};
const FieldRule kPlanetRules[] = {
    {1, Check::OptionalNumber, -kMaxYear, kMaxYear, "precession epoch", "a year from -10000 to 10000"},
    {2, Check::Number, -kMaxQuantity, kMaxQuantity, "semimajor axis", "AU (negative: the perihelion distance)"},
    {3, Check::Number, 0, kMaxEccentricity, "eccentricity", "a number from 0 to 1000"},
    {4, Check::Number, -kMaxElementAngle, kMaxElementAngle, "inclination", "degrees"},
    {5, Check::Number, -kMaxElementAngle, kMaxElementAngle, "argument of perihelion", "degrees"},
    {6, Check::Number, -kMaxElementAngle, kMaxElementAngle, "longitude of the ascending node", "degrees"},
    {7, Check::Number, -kMaxElementAngle, kMaxElementAngle, "mean anomaly", "degrees"},
    {8, Check::Date, 0, 0, "epoch", "a date as year/month/day with a decimal day"},
    {9, Check::Parameters, 0, 0, "magnitude parameters", "two numbers separated by a blank"},
    {10, Check::OptionalNumber, 0, kMaxQuantity, "radius", "kilometres, not negative"},
    {11, Check::OptionalNumber, 0, kMaxQuantity, "mass", "Earth masses, not negative"},
};
// clang-format on

bool Passes(const FieldRule& rule, const std::string& text, int type) {
    switch (rule.check) {
    case Check::Number:
        return importNumberField(text, rule.low, rule.high, false);
    case Check::OptionalNumber:
        return importNumberField(text, rule.low, rule.high, true);
    case Check::RightAscension:
        return importSexagesimalField(text, rule.high, false);
    case Check::Declination:
        return importSexagesimalField(text, rule.high, true);
    case Check::Date:
        return importEpochField(text);
    case Check::Magnitudes:
        return importMagnitudeField(text, type);
    case Check::Parameters: {
        // None, one or two numbers.
        char* at = const_cast<char*>(text.c_str());
        for (int n = 0; n < 2; ++n) {
            char* stop = nullptr;
            double v = std::strtod(at, &stop);
            if (stop == at) break;
            if (!std::isfinite(v) || std::fabs(v) > kMaxMagnitude) return false;
            at = stop;
        }
        while (*at == ' ' || *at == '\t')
            ++at;
        return *at == '\0';
    }
    }
    return false;
}

int TypeOfKindField(const std::string& field0, int fallback) {
    int value = 0;
    return field0.size() >= 2 && std::sscanf(field0.c_str() + 1, "%d", &value) == 1 ? value
                                                                                    : fallback;
}

// ---------------------------------------------------------------------------
// The dialogs

struct EditorState {
    ObjectID editedObject = 0;
    int type = 0;
    bool star = true;
    std::vector<int> types; // the Type box's entries
    ObjectID stored = 0;
};

const int* Controls(const EditorState& s) {
    return s.star ? kStarControls : kPlanetControls;
}

void FillEditor(WindowRef dialog, EditorState& s) {
    const int first = s.star ? kTypeSingleStar : kTypeSun;
    const int last = s.star ? kTypeGalaxy : kTypeCharon;
    const int box = Controls(s)[0];
    ListClear(dialog, box);
    int chosen = 1;
    for (int type = first; type <= last; ++type) {
        std::string name = LoadString(kTypeNameStringBase + type);
        if (name.empty()) continue;
        ListAddText(dialog, box, name);
        s.types.push_back(type);
        if (type == s.type) chosen = static_cast<int>(s.types.size());
    }
    SetItemValue(dialog, box, chosen);
    std::vector<std::string> fields = editorFields(getObject(s.editedObject), s.type);
    for (std::size_t n = 1; n < fields.size(); ++n)
        SetItemText(dialog, Controls(s)[n], fields[n]);
}

// OK: every field read and checked, the object built and stored; any field
// that can't be used is named and the dialog stays as typed.
void AcceptEditor(WindowRef dialog, EditorState& s) {
    const int count = s.star ? kStarFieldCount : kPlanetFieldCount;
    std::vector<std::string> fields(count);
    long chosen = GetItemValue(dialog, Controls(s)[0]);
    int type =
        chosen >= 1 && chosen <= static_cast<long>(s.types.size()) ? s.types[chosen - 1] : s.type;
    fields[0] = Format(s.star ? "S%02d" : "P%02d", s.star ? type - kStarTypeBase : type);
    for (int n = 1; n < count; ++n)
        fields[n] = GetItemText(dialog, Controls(s)[n]);

    for (int control : {kNameControl, kPlanetOrbitsControl}) {
        if ((s.star && control != kNameControl) || ItemTextInCodePage(dialog, control)) continue;
        RefuseItem(dialog, control, control == kNameControl ? "name" : "name of the body it orbits",
                   "letters of Western European text (Windows-1252) only");
        return;
    }
    std::string name, wanted;
    int bad = refusedEditorField(s.star ? 'S' : 'P', fields, &name, &wanted);
    if (bad > 0) {
        RefuseItem(dialog, Controls(s)[bad], name, wanted);
        return;
    }
    fields.resize(kImportFieldCount);
    SkyObject* built = s.star ? buildCatalogObject(fields) : buildSolarSystemObject(fields);
    if (built == nullptr) return; // said why (memory, or the body it orbits)
    ObjectID id = storeObject(built, s.editedObject);
    if (id == 0) return; // said why; the dialog keeps what was typed
    s.stored = id;
    EndDialogResult(1);
}

long EditorHandler(int event, WindowRef dialog, long a, long) {
    auto* s = reinterpret_cast<EditorState*>(WindowParameter(dialog));
    if (event == Create) {
        FillEditor(dialog, *s);
        CenterOnParent(dialog);
    } else if (event == ControlNotify && a == kOKButton) {
        AcceptEditor(dialog, *s);
    } else if (event == ControlNotify && a == kCancelButton) {
        EndDialogResult(0);
    }
    return 1;
}

// Back into its own slot, as it was: the slot keeps its number even when it
// had been the file's last.
void PutBack(SkyObject* object, ObjectID id) {
    DatabaseFile* file = getFile(id);
    if (file == nullptr) return;
    if (ObjectIndex(id) > file->highestIndex)
        file->highestIndex = static_cast<std::int16_t>(ObjectIndex(id));
    addObject(object, id);
    recomputeSummary(file);
}

bool RefusedAsReadOnly(const DatabaseFile* file) {
    if (!isReadOnly(file)) return false;
    ShowMessage(ButtonsOK, kReadOnlyString);
    return true;
}

ObjectID ChooseObject() {
    ObjectID id = selectedObject();
    return id != 0 ? id : selectObjectDialog();
}

} // namespace

std::vector<std::string> editorFields(const SkyObject* object, int newType) {
    if (const CatalogObject* star = AsCatalog(object)) return CatalogFields(star);
    if (const SolarSystemObject* body = AsSolarSystem(object)) return SolarSystemFields(body);
    std::vector<std::string> f = IsSolarSystemType(newType) ? NewPlanetFields() : NewStarFields();
    f[0] = IsSolarSystemType(newType)
               ? Format("P%02d", newType)
               : Format("S%02d", IsCatalogType(newType) ? newType - kStarTypeBase : 1);
    return f;
}

int refusedEditorField(char kind, const std::vector<std::string>& fields, std::string* name,
                       std::string* wanted) {
    const bool star = kind == 'S';
    const int type = star ? kStarTypeBase + TypeOfKindField(fields[0], 1)
                          : TypeOfKindField(fields[0], kTypeComet);
    for (const FieldRule& rule :
         star ? std::vector<FieldRule>(std::begin(kStarRules), std::end(kStarRules))
              : std::vector<FieldRule>(std::begin(kPlanetRules), std::end(kPlanetRules))) {
        const std::string text =
            rule.field < static_cast<int>(fields.size()) ? fields[rule.field] : "";
        if (Passes(rule, text, type)) continue;
        *name = rule.name;
        *wanted = rule.wanted;
        return rule.field;
    }
    return -1;
}

ObjectID storeObject(SkyObject* built, ObjectID replacing) {
    ObjectID fileId = replacing != 0 ? FileID(FileNumber(replacing)) : customFile();
    DatabaseFile* file = getFile(fileId);
    if (file == nullptr || (replacing != 0 && getObject(replacing) == nullptr) ||
        RefusedAsReadOnly(file)) {
        if (file == nullptr || !isReadOnly(file))
            ShowMessage(ButtonsOK, kCannotAddString, DisplayName(built).c_str());
        FreeObject(built);
        return 0;
    }
    lockFile(fileId);
    const bool wasModified = isModified(file);
    const bool indexWasModified = gObjectStore.indexModified;
    SkyObject* old = replacing != 0 ? removeObject(replacing) : nullptr;
    ObjectID id = 0;
    if (old != nullptr) {
        PutBack(built, replacing);
        if (getObject(replacing) == built) id = replacing;
    } else {
        id = addObject(built, fileId);
    }
    bool stored = id != 0;
    if (!stored) {
        ShowMessage(ButtonsOK, kCannotAddString, DisplayName(built).c_str());
    } else {
        recomputeSummary(file);
        stored = writeDataFile(fileId) == kStatusSuccess; // says why when not
        if (!stored) removeObject(id);
    }
    if (!stored) {
        FreeObject(built);
        if (old != nullptr) PutBack(old, replacing);
        recomputeSummary(file);
        setModified(file, wasModified);
        gObjectStore.indexModified = indexWasModified;
        unlockFile(fileId);
        return 0;
    }
    FreeObject(old);
    if (!gObjectStore.indexPath.empty()) writeIndex(gObjectStore.indexPath);
    unlockFile(fileId);
    return id;
}

ObjectID editObject(ObjectID id, int newType) {
    if (id == 0 && gObjectStore.databaseReadOnly) {
        ShowMessage(ButtonsOK, kReadOnlyString);
        return 0;
    }
    const ObjectID fileId = id != 0 ? FileID(FileNumber(id)) : customFile();
    if (fileId == 0 || loadFile(fileId) != kStatusSuccess) return 0;
    if (RefusedAsReadOnly(getFile(fileId))) return 0;
    const SkyObject* object = id != 0 ? getObject(id) : nullptr;
    if (id != 0 && object == nullptr) return 0;

    EditorState state;
    state.editedObject = id;
    state.type = object != nullptr ? object->type : newType;
    state.star = IsCatalogType(state.type);
    if (!state.star && !IsSolarSystemType(state.type)) return 0;
    lockFile(fileId);
    RunDialog(state.star ? kEditStarTemplate : kEditPlanetTemplate, reinterpret_cast<long>(&state),
              EditorHandler);
    unlockFile(fileId);
    if (state.stored == 0) return 0;
    RecomputeAndRedraw(true);
    setSelectedObject(state.stored);
    showObject(state.stored);
    return state.stored;
}

bool deleteObject(ObjectID id) {
    SkyObject* object = getObject(id);
    DatabaseFile* file = getFile(id);
    if (object == nullptr || file == nullptr || RefusedAsReadOnly(file)) return false;
    if (ShowMessage(ButtonsOKCancel, kDeleteObjectString, DisplayName(object).c_str()) != AnswerOK)
        return false;
    const ObjectID fileId = file->fileId;
    const bool wasModified = isModified(file);
    const bool indexWasModified = gObjectStore.indexModified;
    lockFile(fileId);
    SkyObject* removed = removeObject(id);
    if (writeDataFile(fileId) != kStatusSuccess) {
        PutBack(removed, id);
        setModified(file, wasModified);
        gObjectStore.indexModified = indexWasModified;
        unlockFile(fileId);
        return false;
    }
    FreeObject(removed);
    if (!gObjectStore.indexPath.empty()) writeIndex(gObjectStore.indexPath);
    unlockFile(fileId);
    if (selectedObject() == id) setSelectedObject(0);
    RecomputeAndRedraw(true);
    return true;
}

ObjectID newObjectFromLine(const std::string& line, std::string& reason) {
    std::vector<std::string> fields = splitImportFields(line);
    const char kind =
        static_cast<char>(std::toupper(static_cast<unsigned char>(line.empty() ? ' ' : line[0])));
    if (kind != 'S' && kind != 'P') {
        reason =
            "only lines of kind S (star or deep-sky object) and P (solar-system body) make objects";
        return 0;
    }
    reason = checkObjectFields(kind, fields);
    if (!reason.empty()) return 0;
    std::string name, wanted;
    if (refusedEditorField(kind, fields, &name, &wanted) > 0) {
        reason = "the " + name + " can't be used: it takes " + wanted;
        return 0;
    }
    if (gObjectStore.databaseReadOnly) {
        reason = LoadString(kReadOnlyString);
        return 0;
    }
    SkyObject* built = kind == 'S' ? buildCatalogObject(fields) : buildSolarSystemObject(fields);
    ObjectID id = built != nullptr ? storeObject(built, 0) : 0;
    if (id == 0 && reason.empty())
        reason = "the object could not be stored (see the message above)";
    return id;
}

void newObjectCommand(int type) {
    editObject(0, type);
}

void editObjectCommand() {
    if (ObjectID id = ChooseObject()) editObject(id, 0);
}

void deleteObjectCommand() {
    if (ObjectID id = ChooseObject()) deleteObject(id);
}
