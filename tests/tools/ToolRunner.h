#pragma once

// Runs norvane-tool as a script would and collects what it printed.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
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
