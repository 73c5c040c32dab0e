#pragma once

// The common ground of the store, file and import tests: a scratch program
// directory with an empty object store, messages recorded and answered from
// queues by message number (OK when none is queued), and file helpers.

#include "data/DatabaseFiles.h"
#include "data/Import.h"
#include "data/ObjectStore.h"
#include "data/Search.h"
#include "data/SkyObject.h"
#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace data_test {

using Messages = std::vector<int>;

inline std::string SourceRoot() {
    std::string file = __FILE__; // <root>/tests/data/DataTestSupport.h
    for (int up = 0; up < 3 && file.rfind('/') != std::string::npos; ++up)
        file.erase(file.rfind('/'));
    return file;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The rows of a fixture in tests/data/reference ("#" lines are its source),
// each with the named columns in the order asked for.
inline std::vector<std::vector<std::string>> Rows(const char* name,
                                                  const std::vector<std::string>& wanted) {
    std::ifstream in(SourceRoot() + "/tests/data/reference/" + name);
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::stringstream stream(line + ",");
        for (std::string field; std::getline(stream, field, ',');)
            fields.push_back(field);
        if (columns.empty()) {
            columns = fields;
            continue;
        }
        rows.emplace_back();
        for (const std::string& column : wanted) {
            const auto at = std::find(columns.begin(), columns.end(), column);
            EXPECT_NE(at, columns.end()) << name << " has no column " << column;
            rows.back().push_back(at == columns.end() ? "" : fields[at - columns.begin()]);
        }
    }
    return rows;
}

inline double Number(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

struct FreeSkyObject {
    void operator()(SkyObject* object) const { FreeObject(object); }
};
using Owned = std::unique_ptr<SkyObject, FreeSkyObject>;

class StoreFixture : public testing::Test {
protected:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0); // for the progress box
        char pattern[] = "/tmp/norvane-data-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        database = dir + "/Database";
        SetProgramDirectory(dir);
        SetMessageResponder([this](const MessageRecord& message) {
            std::deque<int>& queue = answers[message.number];
            if (queue.empty()) return static_cast<int>(AnswerOK);
            int answer = queue.front();
            queue.pop_front();
            return answer;
        });
        ClearRecordedMessages();
        SetMessagesEnabled(true);
        ASSERT_TRUE(initObjectStore(std::int64_t{1} << 30));
    }
    void TearDown() override {
        EndProgress();
        setSearchClock(nullptr);
        setImportNutation(false);
        setImportFileWrittenHandler(nullptr);
        setWriteFailureAfterBytesForTest(-1);
        setRecomputeHandler(nullptr);
        setDatabaseClosedHandler(nullptr);
        setObjectStoreDefaults();
        SetFileDialogResponder(nullptr);
        SetMessageResponder(nullptr);
        SetProgramDirectory("");
        EXPECT_EQ(std::system(("chmod -R u+w '" + dir + "'; rm -rf '" + dir + "'").c_str()), 0);
    }
    // An empty database opened in the program directory.
    void OpenEmpty() {
        mkdir(database.c_str(), 0777);
        gObjectStore.indexPath = In("Index.nvd");
        gObjectStore.databaseDirectory = database + "/";
    }
    static Messages Numbers() {
        Messages numbers;
        for (const MessageRecord& m : RecordedMessages())
            numbers.push_back(m.number);
        return numbers;
    }
    static std::string Text(std::size_t n) {
        return n < RecordedMessages().size() ? RecordedMessages()[n].text : std::string();
    }
    void Answer(int number, int answer) { answers[number].push_back(answer); }
    std::string In(const std::string& name) const { return database + "/" + name; }
    bool OnDisk(const std::string& name) const { return FileExists(In(name)); }
    // A source file beside the database.
    std::string Source(const std::string& name, const std::string& text) const {
        WriteAll(dir + "/" + name, text);
        return dir + "/" + name;
    }

    std::string dir, database;
    std::map<int, std::deque<int>> answers;
};

} // namespace data_test
