#pragma once

// What the object store holds, by file: for tests that import or attach
// data files and look at the outcome.

#include "data/DatabaseFiles.h"
#include "data/Names.h"
#include "data/ObjectStore.h"
#include "data/SkyObject.h"

#include <string>
#include <strings.h>
#include <vector>

// The attached file of this name (letter case ignored), or 0.
inline ObjectID Attached(const std::string& name) {
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id)) {
        const DatabaseFile* file = getFile(id);
        if (file->name && strcasecmp(file->name.get(), name.c_str()) == 0) return id;
    }
    return 0;
}

// The names of the attached files, in the file table's order.
inline std::vector<std::string> AttachedNames() {
    std::vector<std::string> names;
    for (ObjectID id = firstFile(); id != 0; id = nextFile(id))
        names.push_back(getFile(id)->name ? getFile(id)->name.get() : "");
    return names;
}

// The display names of a file's objects, slot by slot.
inline std::vector<std::string> NamesIn(ObjectID fileId) {
    std::vector<std::string> names;
    for (ObjectID id = firstObjectInFile(fileId); id != 0; id = nextObjectInFile(id))
        names.push_back(DisplayName(getObject(id)));
    return names;
}
