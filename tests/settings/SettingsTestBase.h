#pragma once

// A clean program state for settings tests: every record at its start-up
// values, a scratch program directory with an empty database, a few named
// objects, messages answered and recorded, and the Description dialog of a
// file being read answered with OK.

#include "astro/ComputationOptions.h"
#include "astro/Viewer.h"
#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"
#include "data/DatabaseFiles.h"
#include "data/Driver.h"
#include "data/Names.h"
#include "data/ObjectStore.h"
#include "data/SkyObject.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "shell/Platform.h"
#include "telescope/TelescopeState.h"
#include "timecontrol/Animation.h"
#include "timecontrol/Trails.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace settings_test {

constexpr std::int64_t kPlentyOfMemory = std::int64_t{1} << 30;
// Degrees in a settings file become radians with this factor.
constexpr double kFileDegree = 0.017453292520882225;
constexpr const char* kCRLF = "\r\n";

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Lines joined with CR LF, each one ended.
inline std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + kCRLF;
    return text;
}

// What writeSettingsFile writes for the current state.
inline std::string Written() {
    std::FILE* stream = std::tmpfile();
    if (stream == nullptr) return {};
    writeSettingsFile(stream, "test");
    std::string text;
    long size = std::ftell(stream);
    std::rewind(stream);
    text.resize(static_cast<std::size_t>(size));
    if (size > 0 && std::fread(text.data(), 1, text.size(), stream) != text.size()) text.clear();
    std::fclose(stream);
    return text;
}

class SettingsTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/norvane-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        SetProgramDirectory(dir);
        SetMessagesEnabled(true);
        SetMessageResponder([](const MessageRecord&) { return int{AnswerOK}; });
        ResetRecords();
        ASSERT_TRUE(initObjectStore(kPlentyOfMemory));
        ASSERT_TRUE(checkDatabaseDirectory()); // asks to create it: OK
        customId = customFile();
        ASSERT_NE(customId, 0);
        mars = AddBody(5, "Mars");
        sirius = AddCatalog(kTypeSingleStar, "Sirius");
        vega = AddCatalog(kTypeSingleStar, "Vega");
        descriptionShown.clear();
        descriptionDialogs = 0;
        AnswerReadDescription(kOKButton);
        ClearRecordedMessages();
    }

    void TearDown() override {
        ClearDialogResponders();
        SetFileDialogResponder(nullptr);
        DeleteAllTrails();
        setObjectStoreDefaults();
        SetMessageResponder(nullptr);
        SetProgramDirectory("");
        gSettingsDescription.clear();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    static void ResetRecords() {
        setViewerDefaults();
        setComputationOptionsDefaults();
        setDriverDefaults();
        setChartViewDefaults();
        setDisplayOptionsDefaults();
        setAnimationStateDefaults();
        setTelescopeStateDefaults();
        DeleteAllTrails();
        gSettingsDescription.clear();
    }

    // The Description dialog of a file being read: records what it showed,
    // optionally replaces the text, then presses `button`.
    void AnswerReadDescription(int button, const char* replacement = nullptr) {
        std::string replace = replacement != nullptr ? replacement : "";
        bool replaces = replacement != nullptr;
        SetDialogResponder(
            kReadDescriptionTemplate,
            [this, replace, replaces](WindowRef dialog) {
                ++descriptionDialogs;
                descriptionShown = GetItemText(dialog, kDescriptionEditControl);
                if (replaces) SetItemText(dialog, kDescriptionEditControl, replace);
            },
            button);
    }

    ObjectID AddBody(int type, const char* name) {
        SolarSystemObject* body = NewSolarSystemObject(type);
        EXPECT_NE(body, nullptr);
        body->name = CopyText(name);
        ObjectID id = addObject(body, customId);
        EXPECT_NE(id, 0);
        return id;
    }

    ObjectID AddCatalog(int type, const char* names) {
        CatalogObject* object = NewCatalogObject(type);
        EXPECT_NE(object, nullptr);
        EXPECT_TRUE(setObjectNames(object, names));
        ObjectID id = addObject(object, customId);
        EXPECT_NE(id, 0);
        return id;
    }

    std::string PathOf(const std::string& name) const { return dir + "/" + name; }

    // Writes `bytes` to a scratch file and reads it as a settings file.
    bool ReadText(const std::string& bytes, const std::string& name = "test.nvs") {
        std::string path = PathOf(name);
        WriteAll(path, bytes);
        return readSettingsFile(path);
    }

    // A file with one settings section holding these value lines.
    static std::string SettingsFileWith(std::initializer_list<std::string> lines) {
        std::string text = Lines({"<NorvaneSettingsFile>", "FileVersion=3.1.1", "", "<Settings>"});
        for (const std::string& line : lines)
            text += line + kCRLF;
        return text + Lines({"</Settings>", "", "</NorvaneSettingsFile>"});
    }

    static std::vector<int> MessageNumbers() {
        std::vector<int> numbers;
        for (const MessageRecord& m : RecordedMessages())
            numbers.push_back(m.number);
        return numbers;
    }

    std::string dir;
    ObjectID customId = 0;
    ObjectID mars = 0, sirius = 0, vega = 0;
    std::string descriptionShown;
    int descriptionDialogs = 0;
};

} // namespace settings_test
