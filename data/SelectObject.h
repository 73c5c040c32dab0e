#pragma once

// Choosing one object: the Select Object dialog over the name search, and
// the object the user last selected (by name here, or by clicking it in the
// chart), which the object commands act on.

#include "astro/Types.h"
#include "shell/Platform.h"

constexpr int kSelectObjectTemplate = 273;

// The search options the dialog shows; kept for the whole run.
struct SearchOptions {
    bool caseSensitive = false;
    bool exactMatch = false;
};
extern SearchOptions gSearchOptions;

// Runs the Select Object dialog: the chosen object, 0 when cancelled.
ObjectID selectObjectDialog();
long SelectObjectHandler(int event, WindowRef dialog, long a, long b);

// The object the user selected last, 0 for none. An id that no longer names
// an object (its file deleted, the database closed) reads as 0.
ObjectID selectedObject();
void setSelectedObject(ObjectID id);

// Shows an object in the Object Info window and brings that window to the
// front. The window lives above the data layer and installs itself here
// (nullptr: nothing is shown).
void setObjectShower(void (*shower)(ObjectID id));
void showObject(ObjectID id);

// Edit > Find Object: the chosen object becomes the selected one and is shown.
// Returns it, or 0 when cancelled.
ObjectID findObjectCommand();
