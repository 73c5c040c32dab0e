#include "data/SelectObject.h"

#include "data/ObjectStore.h"
#include "data/Search.h"
#include "data/SkyObject.h"

#include <string>

SearchOptions gSearchOptions;

namespace {

constexpr int kNoMatchString = 512;

// Controls of the dialog.
constexpr int kFindButton = 1;
constexpr int kFindNextButton = 3;
constexpr int kQueryText = 5;
constexpr int kResultText = 7;
constexpr int kCaseSensitiveBox = 8;
constexpr int kExactMatchBox = 9;

constexpr const char* kFindLabel = "&Find";
constexpr const char* kSelectLabel = "&Select";

// The hit shown (0: none) and where Find Next goes on from.
struct SelectState {
    ObjectID foundObject = 0;
    ObjectID lastHit = 0;
};
SelectState gSelect;

ObjectID gSelectedObject = 0;
void (*gObjectShower)(ObjectID) = nullptr;

void ShowHit(WindowRef dialog, ObjectID hit) {
    gSelect.foundObject = gSelect.lastHit = hit;
    SetItemText(dialog, kResultText, DisplayName(getObject(hit)));
    SetItemText(dialog, kFindButton, kSelectLabel);
    EnableItem(dialog, kFindNextButton, true);
}

void ShowNoHit(WindowRef dialog) {
    gSelect.foundObject = 0;
    SetItemText(dialog, kFindButton, kFindLabel);
    EnableItem(dialog, kFindNextButton, false);
}

// A search from the start (Find) or on from the last hit (Find Next).
void Search(WindowRef dialog, bool next) {
    ObjectID id = next ? gSelect.lastHit : 0;
    int result = findObjectByName(GetItemText(dialog, kQueryText), gSearchOptions.caseSensitive,
                                  gSearchOptions.exactMatch, id);
    if (result == kStatusSuccess) {
        ShowHit(dialog, id);
        return;
    }
    Beep();
    // A cancelled Find Next keeps the hit shown; a cancelled Find shows nothing.
    if (result == kStatusCancelled) {
        if (!next) SetItemText(dialog, kResultText, "");
        return;
    }
    ShowNoHit(dialog);
    SetItemText(dialog, kResultText, LoadString(kNoMatchString));
}

} // namespace

long SelectObjectHandler(int event, WindowRef dialog, long a, long b) {
    if (event == Create) {
        gSelect = {};
        SetItemText(dialog, kQueryText, "");
        SetItemText(dialog, kResultText, "");
        ShowNoHit(dialog);
        SetItemValue(dialog, kCaseSensitiveBox, gSearchOptions.caseSensitive);
        SetItemValue(dialog, kExactMatchBox, gSearchOptions.exactMatch);
        CenterOnParent(dialog);
        return 1;
    }
    if (event != ControlNotify) return 1;
    switch (a) {
    case kFindButton:
        if (gSelect.foundObject != 0)
            EndDialogResult(gSelect.foundObject);
        else
            Search(dialog, false);
        break;
    case kFindNextButton:
        if (gSelect.lastHit != 0) Search(dialog, true);
        break;
    case kCancelButton:
        gSelect.foundObject = 0;
        EndDialogResult(0);
        break;
    case kQueryText:
        if (b == NotifyEditChanged && gSelect.foundObject != 0) {
            ShowNoHit(dialog);
            SetItemText(dialog, kResultText, "");
        }
        break;
    case kCaseSensitiveBox:
        gSearchOptions.caseSensitive = GetItemValue(dialog, kCaseSensitiveBox) != 0;
        break;
    case kExactMatchBox:
        gSearchOptions.exactMatch = GetItemValue(dialog, kExactMatchBox) != 0;
        break;
    default:
        break;
    }
    return 1;
}

ObjectID selectObjectDialog() {
    long result = RunDialog(kSelectObjectTemplate, 0, SelectObjectHandler);
    return result > 0 && getObject(static_cast<ObjectID>(result)) != nullptr
               ? static_cast<ObjectID>(result)
               : 0;
}

ObjectID selectedObject() {
    if (gSelectedObject != 0 && getObject(gSelectedObject) == nullptr) gSelectedObject = 0;
    return gSelectedObject;
}

void setSelectedObject(ObjectID id) {
    gSelectedObject = id;
}

void setObjectShower(void (*shower)(ObjectID)) {
    gObjectShower = shower;
}

void showObject(ObjectID id) {
    if (gObjectShower != nullptr) gObjectShower(id);
}

ObjectID findObjectCommand() {
    ObjectID id = selectObjectDialog();
    if (id == 0) return 0;
    setSelectedObject(id);
    showObject(id);
    return id;
}
