#include "timecontrol/Trails.h"

#include <algorithm>
#include <new>

TrailTable gTrailTable = {};

namespace {

bool ValidSlot(int slot) {
    return slot > 0 && slot < kTrailSlots;
}

} // namespace

int CreateTrail(ObjectID object, std::int32_t type, std::int32_t maxPoints,
                std::int32_t ticksInterval, std::int32_t datesInterval) {
    if (maxPoints < 1) return 0;
    // One trail per object: a new one replaces the old.
    if (int old = FindTrail(object)) DeleteTrail(old);
    int slot = 1;
    while (slot < kTrailSlots && gTrailTable.slots[slot] != nullptr)
        ++slot;
    if (slot == kTrailSlots) return 0;
    Trail* trail = new (std::nothrow) Trail{};
    if (trail == nullptr) return 0;
    trail->points = new (std::nothrow) TrailPoint[static_cast<std::size_t>(maxPoints)];
    if (trail->points == nullptr) {
        delete trail;
        return 0;
    }
    trail->object = object;
    trail->type = type;
    trail->ticksInterval = ticksInterval;
    trail->datesInterval = datesInterval;
    trail->maxPoints = maxPoints;
    trail->recorded = 0;
    gTrailTable.slots[slot] = trail;
    ++gTrailTable.count;
    return slot;
}

void DeleteTrail(int slot) {
    if (!ValidSlot(slot) || gTrailTable.slots[slot] == nullptr) return;
    delete[] gTrailTable.slots[slot]->points;
    delete gTrailTable.slots[slot];
    gTrailTable.slots[slot] = nullptr;
    --gTrailTable.count;
}

int FindTrail(ObjectID object) {
    for (int slot = FirstTrail(); slot != 0; slot = NextTrail(slot))
        if (gTrailTable.slots[slot]->object == object) return slot;
    return 0;
}

Trail* GetTrail(int slot) {
    return ValidSlot(slot) ? gTrailTable.slots[slot] : nullptr;
}

int FirstTrail() {
    return NextTrail(0);
}

int NextTrail(int slot) {
    for (int next = std::max(slot, 0) + 1; next < kTrailSlots; ++next)
        if (gTrailTable.slots[next] != nullptr) return next;
    return 0;
}

void ResetAllTrails() {
    for (int slot = FirstTrail(); slot != 0; slot = NextTrail(slot))
        gTrailTable.slots[slot]->recorded = 0;
}

void DeleteAllTrails() {
    for (int slot = 1; slot < kTrailSlots; ++slot)
        DeleteTrail(slot);
}

std::int32_t TrailPointCount(const Trail* trail) {
    return trail == nullptr ? 0 : std::min(trail->recorded, trail->maxPoints);
}
