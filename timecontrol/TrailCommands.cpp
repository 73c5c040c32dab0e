// The Edit Object Trail dialog and the commands that create and remove
// trails: Animation > Trail For..., Reset and Delete All Trails, and the
// Object Info window's Trail buttons.

#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "data/SkyObject.h"
#include "shell/Platform.h"
#include "timecontrol/Trails.h"

#include <cstdio>
#include <limits>

namespace {
// 100 positions, a tick at each, no dates, against the stars.
constexpr TrailDefaults kStartDefaults = {kTrailInSky, 100, 1, 0};
} // namespace

TrailDefaults gTrailDefaults = kStartDefaults;

namespace {

constexpr int kNameControl = 4;
constexpr int kCapacityControl = 6;
constexpr int kTicksCheckbox = 8;
constexpr int kTicksField = 9;
constexpr int kDatesCheckbox = 11;
constexpr int kDatesField = 12;
constexpr int kFirstTypeRadio = 14; // 14, 15, 16: trail types 1, 2, 3
constexpr int kLastTypeRadio = 16;
constexpr int kNoObjectString = 513;

ObjectID (*gChooser)() = nullptr;

std::string Number(long value) {
    char text[24];
    std::snprintf(text, sizeof text, "%ld", value);
    return text;
}

// A field read with "%ld" as the dialog reads it; false when it holds no number.
bool ReadNumber(WindowRef dialog, int control, long* value) {
    return std::sscanf(GetItemText(dialog, control).c_str(), "%ld", value) == 1;
}

void ShowInterval(WindowRef dialog, int checkbox, int field, std::int32_t interval) {
    SetItemValue(dialog, checkbox, interval >= 1 ? 1 : 0);
    SetItemText(dialog, field, interval >= 1 ? Number(interval) : std::string());
}

std::int32_t ReadInterval(WindowRef dialog, int checkbox, int field) {
    long value = 0;
    if (GetItemValue(dialog, checkbox) == 0 || !ReadNumber(dialog, field, &value)) return 0;
    return value > 0 && value <= std::numeric_limits<std::int32_t>::max()
               ? static_cast<std::int32_t>(value)
               : 0;
}

long TrailDialogHandler(int event, WindowRef dialog, long a, long b) {
    const auto object = static_cast<ObjectID>(WindowParameter(dialog));
    if (event == Create) {
        const SkyObject* o = getObject(object);
        SetItemText(dialog, kNameControl,
                    o != nullptr ? DisplayName(o) : LoadString(kNoObjectString));
        const TrailDefaults& d = gTrailDefaults;
        SetItemText(dialog, kCapacityControl, Number(d.maxPoints));
        CheckRadio(dialog, kFirstTypeRadio, kLastTypeRadio,
                   kFirstTypeRadio +
                       (d.type >= kTrailInSpace && d.type <= kTrailInCurrentCoordinates
                            ? d.type - kTrailInSpace
                            : kTrailInSky - kTrailInSpace));
        ShowInterval(dialog, kTicksCheckbox, kTicksField, d.ticksInterval);
        ShowInterval(dialog, kDatesCheckbox, kDatesField, d.datesInterval);
    } else if (event == ControlNotify) {
        // Typing an interval means wanting it.
        if (b == NotifyEditChanged && (a == kTicksField || a == kDatesField))
            SetItemValue(dialog, a == kTicksField ? kTicksCheckbox : kDatesCheckbox, 1);
        if (a == kCancelButton) EndDialogResult(0);
        if (a != kOKButton) return 1;
        long capacity = 0;
        if (!ReadNumber(dialog, kCapacityControl, &capacity) || capacity < 1 ||
            capacity > std::numeric_limits<std::int32_t>::max()) {
            RefuseItem(dialog, kCapacityControl, "number of positions",
                       "a whole number of 1 or more");
            return 1;
        }
        const int radio = FirstCheckedRadio(dialog, kFirstTypeRadio, kLastTypeRadio);
        TrailDefaults& d = gTrailDefaults;
        d.type = radio != 0 ? radio - kFirstTypeRadio + kTrailInSpace : kTrailInSky;
        d.maxPoints = static_cast<std::int32_t>(capacity);
        d.ticksInterval = ReadInterval(dialog, kTicksCheckbox, kTicksField);
        d.datesInterval = ReadInterval(dialog, kDatesCheckbox, kDatesField);
        EndDialogResult(1);
    } else if (event == CloseRequest) {
        EndDialogResult(0);
    }
    return 1;
}

} // namespace

void setTrailDefaults() {
    gTrailDefaults = kStartDefaults;
}

int EditObjectTrail(ObjectID object) {
    if (RunDialog(kTrailTemplate, object, TrailDialogHandler) != 1 || getObject(object) == nullptr)
        return 0;
    const TrailDefaults& d = gTrailDefaults;
    return CreateTrail(object, d.type, d.maxPoints, d.ticksInterval, d.datesInterval);
}

bool HasTrail(ObjectID object) {
    return object != 0 && FindTrail(object) != 0;
}

bool ToggleTrail(ObjectID object) {
    if (HasTrail(object))
        DeleteTrail(FindTrail(object));
    else
        EditObjectTrail(object);
    RecomputeAndRedraw(false);
    return HasTrail(object);
}

void setTrailObjectChooser(ObjectID (*chooser)()) {
    gChooser = chooser;
}

bool TrailForAvailable() {
    return gChooser != nullptr;
}

void TrailForCommand() {
    if (gChooser == nullptr) return;
    if (ObjectID object = gChooser(); object != 0 && EditObjectTrail(object) != 0)
        RecomputeAndRedraw(false);
}
