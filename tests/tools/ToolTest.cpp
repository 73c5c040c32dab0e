// norvane-tool as scripts use it: output, error lines and exit status.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

// Runs the tool with `arguments` (already quoted for the shell).
ToolRun Tool(const std::string& arguments) {
    std::string errFile = testing::TempDir() + "norvane-tool-stderr.txt";
    std::string command = std::string(NORVANE_TOOL) + " " + arguments + " 2>" + errFile;
    ToolRun run{-1, {}, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 512> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) run.out += buffer.data();
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (FILE* err = std::fopen(errFile.c_str(), "r")) {
        while (std::fgets(buffer.data(), buffer.size(), err) != nullptr) run.err += buffer.data();
        std::fclose(err);
    }
    return run;
}

TEST(Tool, ConvertsDatesBothWays) {
    ToolRun jd = Tool("jd \"2000/01/01 12:00:00\"");
    EXPECT_EQ(jd.status, 0);
    EXPECT_EQ(jd.out, "2451545.000000\n");

    ToolRun date = Tool("date 2451545.0");
    EXPECT_EQ(date.status, 0);
    EXPECT_EQ(date.out, "2000/01/01 12:00:00\n");

    // Zone and calendar shape the text; the instant stays the same.
    EXPECT_EQ(Tool("--zone 10 jd \"2000/01/01 22:00:00\"").out, "2451545.000000\n");
    EXPECT_EQ(Tool("--zone 10 date 2451545").out, "2000/01/01 22:00:00\n");
    EXPECT_EQ(Tool("--zone -5.5 date 2451545").out, "2000/01/01 06:30:00\n");
    EXPECT_EQ(Tool("--calendar Julian jd \"333/01/27 12:00\"").out, "1842713.000000\n");
    EXPECT_EQ(Tool("--calendar Julian date 1842713").out, "333/01/27 12:00:00\n");
    EXPECT_EQ(Tool("jd 1957/10/04.81").out, "2436116.310000\n");
}

TEST(Tool, ABadDateTextGivesMessage525AndStatus1) {
    ToolRun run = Tool("jd 2000/1");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "The date \"2000/1\" is invalid.  Please enter the date and time as "
              "\"year/month/day hour:min:sec\" or \"year/month/decimal day\".\n");
    // The same check applies to the --date option.
    EXPECT_EQ(Tool("--date nonsense date 2451545").status, 1);
}

TEST(Tool, UsageErrorsGiveOneLineAndStatus2) {
    const char* cases[] = {
        "",                         // no command
        "frobnicate",               // unknown command
        "--bogus date 2451545",     // unknown option
        "date",                     // missing argument
        "date 2451545 extra",       // extra argument
        "date 24515x5",             // not a number
        "date nan",                 // not a finite number
        "--zone date 2451545",      // option without its value
        "--zone 30 date 2451545",   // zone out of range
        "--calendar Islamic date 2451545",
        "--jd abc date 2451545",
        "--program-dir",
    };
    for (const char* arguments : cases) {
        ToolRun run = Tool(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        // Exactly one line on stderr.
        ASSERT_FALSE(run.err.empty()) << arguments;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << arguments << ": " << run.err;
    }
}

TEST(Tool, HelpListsTheCommands) {
    ToolRun run = Tool("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("jd TEXT"), std::string::npos);
    EXPECT_NE(run.out.find("date JD"), std::string::npos);
    EXPECT_NE(run.out.find("--program-dir"), std::string::npos);
}

} // namespace
