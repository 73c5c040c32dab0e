// Opening files by their kind, and the File menu's settings and database
// commands.

#include "settings/Settings.h"

#include "astro/ComputationOptions.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "chart/ViewCommands.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/Import.h"
#include "data/ObjectStore.h"
#include "data/Satellites.h"
#include "settings/SettingsFile.h"
#include "shell/Platform.h"
#include "telescope/TelescopeState.h"
#include "timecontrol/Animation.h"

#include <new>

namespace {

constexpr int kOutOfMemoryMessage = 256;
constexpr int kCannotOpenMessage = 257;
constexpr int kCannotReadMessage = 258;
constexpr int kDataFileRefusedMessage = 538;
constexpr int kNoLargeDatabaseMessage = 550;

constexpr int kOpenSettingsTitle = 700;
constexpr int kOpenSettingsFilter = 701;
constexpr int kOpenDatabaseTitle = 702;
constexpr int kOpenDatabaseFilter = 703;
constexpr int kSaveSettingsTitle = 710;
constexpr int kSaveSettingsFilter = 711;
constexpr const char* kSettingsExtension = ".nvs";
constexpr const char* kDefaultSettingsExtension = ".ini";

// An object text file by its name: ".TXT" or ".txt" at the end, or "TEXT" as
// the (at most four) characters after the first dot of the file's name.
constexpr std::size_t kExtensionLength = 4;

std::string gCurrentSettingsPath;

enum class FileKind { Settings, Index, Data, Other };

bool EndsWith(const std::string& text, const char* suffix) {
    std::string tail = suffix;
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsTextFileName(const std::string& path) {
    if (EndsWith(path, ".TXT") || EndsWith(path, ".txt")) return true;
    std::string title = FileTitle(path);
    std::size_t dot = title.find('.');
    return dot != std::string::npos && title.substr(dot + 1, kExtensionLength) == "TEXT";
}

// The probes read the file's first bytes quietly and put the position back.
FileKind ProbeKind(std::FILE* stream) {
    bool alerts = MessagesEnabled();
    SetMessagesEnabled(false);
    FileKind kind = FileKind::Other;
    if (isSettingsFile(stream))
        kind = FileKind::Settings;
    else if (isIndexFile(stream))
        kind = FileKind::Index;
    else if (isDataFile(stream))
        kind = FileKind::Data;
    SetMessagesEnabled(alerts);
    return kind;
}

long SaveDescriptionHandler(int event, WindowRef dialog, long a, long) {
    auto* text = reinterpret_cast<std::string*>(WindowParameter(dialog));
    if (event == Create) {
        SetItemText(dialog, kDescriptionEditControl, *text);
    } else if (event == ControlNotify && a == kOKButton) {
        *text = BoundedDescription(GetItemText(dialog, kDescriptionEditControl));
        EndDialogResult(1);
    } else if (event == ControlNotify && a == kCancelButton) {
        EndDialogResult(0);
    }
    return 1;
}

} // namespace

void setSettingsDefaults() {
    setViewerDefaults();
    setComputationOptionsDefaults();
    setChartViewDefaults();
    setDisplayOptionsDefaults();
    setAnimationStateDefaults();
    setTelescopeStateDefaults();
    gSettingsDescription.clear();
}

std::string defaultSettingsPath() {
    return AppendPathComponent(ProgramDirectory(), LoadString(kSettingsFileNameString));
}

bool readDefaultSettingsIfPresent() {
    std::string path = defaultSettingsPath();
    // A save of the defaults cut short by a crash leaves its temporary file.
    RemoveStaleTemporaryFiles(StripFileName(path), kDefaultSettingsExtension, false);
    return !FileExists(path) || readSettingsFile(path);
}

bool openFileByKind(const std::string& requested) {
    // A copy: opening a database closes the current one, which clears the
    // path a caller may have handed in (the current index's own).
    const std::string path = requested;
    std::string title = FileTitle(path);
    std::FILE* stream = OpenFile(path, "rb");
    if (stream == nullptr) {
        ShowMessage(ButtonsOK, kCannotOpenMessage, title.c_str());
        return false;
    }
    FileKind kind = ProbeKind(stream);
    CloseFile(stream);

    bool opened = false;
    switch (kind) {
    case FileKind::Settings:
        opened = readSettingsFile(path);
        if (opened) RecomputeAndRedraw(true);
        return opened;
    case FileKind::Index:
        closeDatabase();
        opened = readIndex(path);
        // The old database is gone whether or not the new one could be read.
        RecomputeAndRedraw(true);
        return opened;
    case FileKind::Data:
        ShowMessage(ButtonsOK, kDataFileRefusedMessage, title.c_str());
        return false;
    case FileKind::Other:
        break;
    }
    if (isSatelliteFileName(path)) {
        opened = importSatelliteFile(path);
    } else if (IsTextFileName(path)) {
        opened = importTextFile(path);
    } else {
        ShowMessage(ButtonsOK, kCannotReadMessage, title.c_str());
        return false;
    }
    RecomputeAndRedraw(true);
    return opened;
}

void openSettingsCommand() {
    std::string path = gCurrentSettingsPath;
    if (!OpenFileDialog(kOpenSettingsTitle, kOpenSettingsFilter, path)) return;
    openFileByKind(path);
}

void openDefaultSettingsCommand() {
    readSettingsFile(defaultSettingsPath());
    RecomputeAndRedraw(true);
}

void openDatabaseCommand() {
    std::string path = gObjectStore.indexPath;
    if (!OpenFileDialog(kOpenDatabaseTitle, kOpenDatabaseFilter, path)) return;
    openFileByKind(path);
}

void openCdromDatabaseCommand() {
    const std::string index = findMediaIndex(removableMediaRoots());
    if (!index.empty()) {
        openFileByKind(index);
        return;
    }
    // Media mounted somewhere else can still be reached by hand.
    if (ShowMessage(ButtonsOKCancel, kNoLargeDatabaseMessage) == AnswerOK) openDatabaseCommand();
}

void saveSettingsCommand() {
    if (gCurrentSettingsPath.empty()) {
        saveSettingsAsCommand();
        return;
    }
    saveSettingsFile(gCurrentSettingsPath);
}

void saveSettingsAsCommand() {
    try {
        std::string path = gCurrentSettingsPath;
        if (!SaveFileDialog(kSaveSettingsTitle, kSaveSettingsFilter, path, kSettingsExtension))
            return;
        std::string text = gSettingsDescription;
        if (RunDialog(kSaveDescriptionTemplate, reinterpret_cast<long>(&text),
                      SaveDescriptionHandler) != 1)
            return;
        gSettingsDescription = text;
        // Save Settings goes on writing to a file only once one was written.
        if (saveSettingsFile(path)) gCurrentSettingsPath = path;
    } catch (const std::bad_alloc&) {
        ShowMessage(ButtonsOK, kOutOfMemoryMessage);
    }
    RefreshMenuState();
}

void saveSettingsAsDefaultCommand() {
    // The default file carries no description, so that start-up, which reads
    // it, never stops at the description's dialog.
    std::string description;
    description.swap(gSettingsDescription);
    saveSettingsFile(defaultSettingsPath());
    gSettingsDescription.swap(description);
}

const std::string& currentSettingsPath() {
    return gCurrentSettingsPath;
}
