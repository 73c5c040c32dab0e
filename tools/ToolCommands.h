#pragma once

// norvane-tool's commands that work on a database.

#include <string>
#include <vector>

struct ToolDatabaseOptions {
    std::string programDir;  // empty: the tool's own directory
    bool replace = false;    // replace data files of the same name instead of renaming
    bool exact = false;      // find: the whole name, not words within it
    bool caseSensitive = false;
    bool all = false;        // find: every match, not only the first
};

int ToolImport(const ToolDatabaseOptions& options, const std::vector<std::string>& files);
int ToolFind(const ToolDatabaseOptions& options, const std::string& query);
int ToolFiles(const ToolDatabaseOptions& options);
int ToolStats(const ToolDatabaseOptions& options);
