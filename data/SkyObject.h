#pragma once

// Object records: every object the program knows is a SkyObject with a
// common head and one of four layouts chosen by its type code.

#include "astro/Types.h"

#include <cstdint>
#include <memory>
#include <string>

// Object ids: file number in the high bits, object index in the low 14.
constexpr int kObjectIndexBits = 14;
constexpr ObjectID kObjectIndexMask = 0x3FFF;
constexpr int kMaxFiles = 16000;
constexpr int kMaxObjectsPerFile = 16000;

inline int FileNumber(ObjectID id) { return id >> kObjectIndexBits; }
inline int ObjectIndex(ObjectID id) { return id & kObjectIndexMask; }
inline ObjectID FileID(int fileNumber) { return static_cast<ObjectID>(fileNumber) << kObjectIndexBits; }
inline ObjectID MakeObjectID(ObjectID fileId, int index) { return fileId | index; }

// Fixed-point conventions.
constexpr double kUnitVectorScale = 1073741824.0;  // 2^30: a direction component of 1.0
constexpr std::int16_t kNoMagnitude = 32767;       // magnitudes and colour indices in hundredths

// Type codes.
enum ObjectType : std::uint8_t {
    kTypeSun = 1,
    kTypeMercury = 2,
    kTypeEarth = 4,
    kTypePluto = 10,
    kTypeComet = 11,
    kTypeAsteroid = 12,
    kTypeSpacecraft = 13,
    kTypeEarthSatellite = 14,
    kTypeMoon = 15,
    kTypeCharon = 38,
    kTypeSingleStar = 51,
    kTypeMultipleStar = 52,
    kTypeVariableStar = 53,
    kTypeMultipleVariableStar = 54,
    kTypeGuideStar = 55,
    kTypeGuideNonStar = 56,
    kTypeOpenCluster = 61,
    kTypeGlobularCluster = 62,
    kTypeDiffuseNebula = 63,
    kTypePlanetaryNebula = 64,
    kTypeGalaxy = 65,
    kTypeFigureLine = 91,
    kTypeBoundaryLine = 92,
    kTypeOtherLine = 93,
    kTypeSite = 101,
};

// The display name of a type is string-table entry 1000 + type.
constexpr int kTypeNameStringBase = 1000;

inline bool IsSolarSystemType(int type) { return type >= 1 && type <= 38; }
inline bool IsCatalogType(int type) { return type >= 51 && type <= 65; }
inline bool IsStarType(int type) { return type >= 51 && type <= 56; }
inline bool IsDeepSkyType(int type) { return type >= 61 && type <= 65; }
inline bool IsCompactType(int type) { return type == 55 || type == 56; }
inline bool IsLineType(int type) { return type >= 91 && type <= 93; }
inline bool IsSiteType(int type) { return type == 101; }
// A type code a record may carry (39..50, 57..60 and the like are not).
bool IsKnownType(int type);

// Owned text; absent is a null pointer.
using OwnedText = std::unique_ptr<char[]>;
OwnedText CopyText(const char* text);  // nullptr for nullptr

struct SkyObject {
    std::uint8_t type = 0;
    ObjectID id = 0;  // 0 while the object is not in the store
};

struct SolarSystemObject : SkyObject {
    std::int32_t apparentDirection[3] = {0, 0, 0};  // computed, unit vector x 2^30
    float distance = 0.0f;                           // computed, AU
    std::uint32_t computeStamp = 0;
    std::int16_t magnitude = 0;                      // computed, hundredths
    std::int16_t magnitudeParam1 = kNoMagnitude;     // comets g; asteroids and satellites H
    ObjectID primary = 0;                            // the body it orbits
    double position[3] = {0.0, 0.0, 0.0};            // computed rectangular position, AU
    float physical[3] = {0.0f, 0.0f, 0.0f};          // computed: apparent angular size (radians), ...
    float epoch = 0.0f;                              // of the elements, Julian date - 2400000.5
    // Perihelion distance (AU), eccentricity, inclination, argument of
    // perihelion, longitude of the node, mean anomaly (radians), mean motion,
    // its rate, the drag term (Earth satellites; per Earth radius), the daily
    // rates of the argument of perihelion and of the node, mass (solar
    // masses), radius (AU).
    float elements[13] = {};
    std::int16_t magnitudeParam2 = kNoMagnitude;     // comets k, asteroids G
    OwnedText name;
};

// Indices into SolarSystemObject::elements.
enum ElementIndex : int {
    kPerihelionDistance = 0,
    kEccentricity = 1,
    kInclination = 2,
    kArgumentOfPerihelion = 3,
    kAscendingNode = 4,
    kMeanAnomaly = 5,
    kMeanMotion = 6,
    kMeanMotionRate = 7,
    // Earth satellites: the two-line drag term B*, which SGP4 needs. It has
    // the place of the second derivative of the mean motion, which no model
    // of ours uses (SGP4 sets leave it zero), so records keep their layout.
    kDragTerm = 8,
    kPerihelionRate = 9,
    kNodeRate = 10,
    kMass = 11,
    kRadius = 12,
};

// A star or deep-sky object.
struct CatalogObject : SkyObject {
    std::uint32_t computeStamp = 0;
    std::int32_t apparentDirection[3] = {0, 0, 0};  // computed
    float distance = 0.0f;                           // computed, AU
    std::int16_t magnitude = 0;                      // computed, hundredths
    std::int32_t position[3] = {0, 0, 0};            // J2000 mean position, unit vector x 2^30
    std::int32_t motion[3] = {0, 0, 0};              // change of position per day, same scale
    float catalogDistance;                           // AU; +infinity unknown
    float radialVelocity;                            // AU per day; +infinity unknown
    std::int16_t catalogMagnitude = kNoMagnitude;    // V, hundredths
    std::int16_t colorIndex = kNoMagnitude;          // B-V, hundredths
    std::int16_t companionOffset = kNoMagnitude;     // companion's magnitude minus ours
    std::int16_t variableRange = kNoMagnitude;       // faintest magnitude minus ours
    float size = 0.0f;                               // radians
    std::int8_t identifierCount = 0;                 // 0 to 8
    std::unique_ptr<std::uint32_t[]> identifiers;    // packed catalogue identifiers
    OwnedText name;

    CatalogObject();
};

constexpr int kMaxIdentifiers = 8;

struct LineObject : SkyObject {
    std::uint32_t computeStamp = 0;
    ObjectID endpointObjects[2] = {0, 0};
    std::int32_t endpointPositions[2][3] = {{0, 0, 0}, {0, 0, 0}};
    OwnedText label;
};

struct SiteObject : SkyObject {
    float longitude = 0.0f;  // radians, east positive
    float latitude = 0.0f;   // radians
    float altitude = 0.0f;   // metres
    float timeZone = 0.0f;   // days
    OwnedText name;
};

// New records of the layout a type code calls for, or nullptr when out of
// memory or the type is unknown. The type is set; everything else is at its
// start value.
SkyObject* NewObject(int type);
SolarSystemObject* NewSolarSystemObject(int type);
CatalogObject* NewCatalogObject(int type);
LineObject* NewLineObject(int type);
SiteObject* NewSiteObject();

// Generic operations, by kind.
void FreeObject(SkyObject* object);
std::int32_t ChargedSize(const SkyObject* object);
void SetObjectID(SkyObject* object, ObjectID id);
// Catalogue objects: the name, else the identifiers' display form, else empty;
// solar-system bodies and sites: the name; lines: empty.
std::string DisplayName(const SkyObject* object);
// The direction in which the object is seen, or false when it has none (sites).
bool ApparentDirection(const SkyObject* object, std::int32_t direction[3]);

inline SolarSystemObject* AsSolarSystem(SkyObject* o) {
    return o && IsSolarSystemType(o->type) ? static_cast<SolarSystemObject*>(o) : nullptr;
}
inline CatalogObject* AsCatalog(SkyObject* o) {
    return o && IsCatalogType(o->type) ? static_cast<CatalogObject*>(o) : nullptr;
}
inline LineObject* AsLine(SkyObject* o) {
    return o && IsLineType(o->type) ? static_cast<LineObject*>(o) : nullptr;
}
inline SiteObject* AsSite(SkyObject* o) {
    return o && IsSiteType(o->type) ? static_cast<SiteObject*>(o) : nullptr;
}
inline const SolarSystemObject* AsSolarSystem(const SkyObject* o) {
    return o && IsSolarSystemType(o->type) ? static_cast<const SolarSystemObject*>(o) : nullptr;
}
inline const CatalogObject* AsCatalog(const SkyObject* o) {
    return o && IsCatalogType(o->type) ? static_cast<const CatalogObject*>(o) : nullptr;
}
inline const LineObject* AsLine(const SkyObject* o) {
    return o && IsLineType(o->type) ? static_cast<const LineObject*>(o) : nullptr;
}
inline const SiteObject* AsSite(const SkyObject* o) {
    return o && IsSiteType(o->type) ? static_cast<const SiteObject*>(o) : nullptr;
}
