#pragma once

// New and edited objects: the Edit Star and Edit Planet dialogs, which show
// an object as the fields of its import line and build it again with the
// importer's own builders, so that a typed object and an imported one are the
// same; deleting objects; and the store-and-write step they share.

#include "astro/Types.h"
#include "shell/Platform.h"

#include <string>
#include <vector>

constexpr int kEditStarTemplate = 263;
constexpr int kEditPlanetTemplate = 264;

// The fields of the import line ("S" or "P") that describe an object (12
// for a star or deep-sky object, 14 for a body of the solar system), the
// position referred to the equinox of the computation options; or the
// fields a new object starts with when `object` is null (`newType` says
// which kind).
struct SkyObject;
std::vector<std::string> editorFields(const SkyObject* object, int newType);

// The first field of an "S" or "P" line the builders could not use: -1 when
// all read, else its number, with its name and what it takes.
int refusedEditorField(char kind, const std::vector<std::string>& fields, std::string* name,
                       std::string* wanted);

// Edits an object (id 0: a new one of `newType` in the custom file, made on
// first need). Read-only files are refused (message 539). The object is
// written to its data file when OK is pressed; returns its id, 0 when nothing
// was stored.
ObjectID editObject(ObjectID id, int newType);
// Asks (message 536), removes the object and writes its file at once. A file
// that can't be written gets the object back, as it was. True when removed.
bool deleteObject(ObjectID id);

// Puts a built object into the store (replacing `replacing`, or new in the
// custom file with 0) and writes its data file and the index. When it can't
// be added or written everything is as before (and said so); the object is
// then freed and 0 returned.
ObjectID storeObject(SkyObject* built, ObjectID replacing);

// One object from an import line of kind "S" or "P", stored as the editors'
// OK stores it. Returns its id; 0 with the reason when the line is refused.
ObjectID newObjectFromLine(const std::string& line, std::string& reason);

// The menu commands: File > New > Star / Planet, Edit > Edit Object and
// Delete Object (on the selected object, or one chosen in the Select Object
// dialog when none is).
void newObjectCommand(int type);
void editObjectCommand();
void deleteObjectCommand();
