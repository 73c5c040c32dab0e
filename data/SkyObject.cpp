// Object records: creation, release, the memory each is charged with, and the
// few questions every kind answers in its own way.

#include "data/SkyObject.h"

#include "data/Names.h"

#include <cstring>
#include <limits>
#include <new>

namespace {

// What the store charges for each layout, in bytes: the sizes the records had
// when the memory budget was first tuned, kept so that a database needs the
// same budget whatever the compiler's padding.
constexpr std::int32_t kSolarSystemCharge = 132;
constexpr std::int32_t kCatalogCharge = 82;
constexpr std::int32_t kIdentifierCharge = 4;
constexpr std::int32_t kLineCharge = 46;
constexpr std::int32_t kSiteCharge = 26;

std::int32_t TextCharge(const OwnedText& text) {
    return text ? static_cast<std::int32_t>(std::strlen(text.get())) + 1 : 0;
}

std::string TextOrEmpty(const OwnedText& text) {
    return text ? std::string(text.get()) : std::string();
}

} // namespace

bool IsKnownType(int type) {
    return IsSolarSystemType(type) || IsStarType(type) || IsDeepSkyType(type) || IsLineType(type) ||
           IsSiteType(type);
}

OwnedText CopyText(const char* text) {
    if (text == nullptr) return nullptr;
    std::size_t length = std::strlen(text);
    OwnedText copy(new (std::nothrow) char[length + 1]);
    if (copy) std::memcpy(copy.get(), text, length + 1);
    return copy;
}

CatalogObject::CatalogObject()
    : catalogDistance(std::numeric_limits<float>::infinity()),
      radialVelocity(std::numeric_limits<float>::infinity()) {}

SolarSystemObject* NewSolarSystemObject(int type) {
    if (!IsSolarSystemType(type)) return nullptr;
    auto* object = new (std::nothrow) SolarSystemObject;
    if (object != nullptr) object->type = static_cast<std::uint8_t>(type);
    return object;
}

CatalogObject* NewCatalogObject(int type) {
    if (!IsCatalogType(type) || !IsKnownType(type)) return nullptr;
    auto* object = new (std::nothrow) CatalogObject;
    if (object != nullptr) object->type = static_cast<std::uint8_t>(type);
    return object;
}

LineObject* NewLineObject(int type) {
    if (!IsLineType(type)) return nullptr;
    auto* object = new (std::nothrow) LineObject;
    if (object != nullptr) object->type = static_cast<std::uint8_t>(type);
    return object;
}

SiteObject* NewSiteObject() {
    auto* object = new (std::nothrow) SiteObject;
    if (object != nullptr) object->type = kTypeSite;
    return object;
}

SkyObject* NewObject(int type) {
    if (IsSolarSystemType(type)) return NewSolarSystemObject(type);
    if (IsCatalogType(type)) return NewCatalogObject(type);
    if (IsLineType(type)) return NewLineObject(type);
    if (IsSiteType(type)) return NewSiteObject();
    return nullptr;
}

void FreeObject(SkyObject* object) {
    if (object == nullptr) return;
    // The layouts share no virtual destructor, so each is deleted as what it is.
    if (auto* body = AsSolarSystem(object)) {
        delete body;
    } else if (auto* catalog = AsCatalog(object)) {
        delete catalog;
    } else if (auto* line = AsLine(object)) {
        delete line;
    } else if (auto* site = AsSite(object)) {
        delete site;
    } else {
        delete object;
    }
}

std::int32_t ChargedSize(const SkyObject* object) {
    if (const auto* body = AsSolarSystem(object))
        return kSolarSystemCharge + TextCharge(body->name);
    if (const auto* catalog = AsCatalog(object)) {
        int count = catalog->identifiers ? catalog->identifierCount : 0;
        if (count < 0) count = 0;
        return kCatalogCharge + kIdentifierCharge * count + TextCharge(catalog->name);
    }
    if (AsLine(object) != nullptr) return kLineCharge;
    if (const auto* site = AsSite(object)) return kSiteCharge + TextCharge(site->name);
    return 0;
}

void SetObjectID(SkyObject* object, ObjectID id) {
    if (object != nullptr) object->id = id;
}

std::string DisplayName(const SkyObject* object) {
    if (const auto* catalog = AsCatalog(object)) {
        if (catalog->name) return catalog->name.get();
        if (catalog->identifiers && catalog->identifierCount > 0) {
            int count = catalog->identifierCount > kMaxIdentifiers ? kMaxIdentifiers
                                                                   : catalog->identifierCount;
            return buildIdentifierName(catalog->identifiers.get(), count);
        }
        return {};
    }
    if (const auto* body = AsSolarSystem(object)) return TextOrEmpty(body->name);
    if (const auto* site = AsSite(object)) return TextOrEmpty(site->name);
    return {};
}

bool ApparentDirection(const SkyObject* object, std::int32_t direction[3]) {
    const std::int32_t* source = nullptr;
    if (const auto* body = AsSolarSystem(object)) {
        source = body->apparentDirection;
    } else if (const auto* catalog = AsCatalog(object)) {
        source = catalog->apparentDirection;
    } else if (const auto* line = AsLine(object)) {
        source = line->endpointPositions[0];
    }
    if (source == nullptr) return false;
    for (int i = 0; i < 3; ++i)
        direction[i] = source[i];
    return true;
}
