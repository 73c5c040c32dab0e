#pragma once

// Runs norvane-tool as a script would and collects what it printed.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

// Runs the tool with `arguments` (already quoted for the shell). Each test
// process gets its own file for the error output, since tests run in parallel.
inline ToolRun Tool(const std::string& arguments) {
    std::string errFile =
        testing::TempDir() + "norvane-tool-stderr-" + std::to_string(getpid()) + ".txt";
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
    std::remove(errFile.c_str());
    return run;
}

// A program directory for the commands that read settings: the default
// database the build made and the shipped default settings, whatever a
// default the program saved into the build's own directory may say. Made
// once per test process and removed at its end.
inline const std::string& ShippedProgramDir() {
    static const std::string dir = [] {
        namespace fs = std::filesystem;
        std::string path = testing::TempDir() + "norvane-program-" + std::to_string(getpid());
        std::error_code error;
        fs::remove_all(path, error);
        fs::create_directories(path, error);
        fs::create_directory_symlink(fs::path(NORVANE_PROGRAM_DIR) / "Database",
                                     fs::path(path) / "Database", error);
        fs::copy_file(fs::path(NORVANE_SOURCE_DIR) / "data" / "Norvane.ini",
                      fs::path(path) / "Norvane.ini", error);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(
                testing::TempDir() + "norvane-program-" + std::to_string(getpid()), ignored);
        });
        return path;
    }();
    return dir;
}

// A test with a scratch directory of its own, removed afterwards.
class ScratchDirTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/norvane-tool-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    std::string dir_;
};
