#pragma once

// The settings file: a user's whole set-up (site, time, computation options,
// chart view, display options and colours, animation, telescope options,
// trails and a description) in a text file of "Key=Value" lines, and the
// File menu commands that open and save it.

#include <cstdio>
#include <string>

// The description kept with the settings (at most 32767 bytes).
extern std::string gSettingsDescription;

// Reads a settings file into the program's records; false (after message 257
// or 258) when it can't be read or isn't a settings file. Reading that stops
// early (a cancelled description, an object name not found) still returns
// true with what was read so far applied.
bool readSettingsFile(const std::string& path);

// Writes the whole file to an open stream, CR LF line ends.
void writeSettingsFile(std::FILE* stream, const std::string& title);

// Writes the settings to a file through the program's safe file writer
// (a temporary file renamed into place); false when it couldn't be written.
bool saveSettingsFile(const std::string& path);

// Whether the stream's first line is the settings file's first line; the
// stream position is put back.
bool isSettingsFile(std::FILE* stream);

// Opens a file by its kind: a settings file is read, a database index opened,
// a data file added, a two-line element or object text file imported; then
// recompute and redraw. False when the file couldn't be opened or used.
bool openFileByKind(const std::string& path);

// Every record the settings file holds back to its start-up values (the
// description emptied; the trails are left alone).
void setSettingsDefaults();
// "Norvane.ini" in the program's directory.
std::string defaultSettingsPath();
// Start-up's reading of the default settings: the file when there is one;
// without it the program goes on with its defaults. False only when a file
// that exists couldn't be read.
bool readDefaultSettingsIfPresent();

// The File menu's settings and database commands.
void openSettingsCommand();         // Open > Settings...
void openDefaultSettingsCommand();  // Open > Default Settings
void openDatabaseCommand();         // Open > Database...
// Open > Large Database on CD-ROM: the first large database on a mounted
// disc or stick, in place of the current one; without one, the Open dialog is
// offered.
void openCdromDatabaseCommand();
void saveSettingsCommand();         // Save Settings
void saveSettingsAsCommand();       // Save Settings As...
void saveSettingsAsDefaultCommand();  // Save Settings as Default
// The file Save Settings writes to ("" until one was saved under a name).
const std::string& currentSettingsPath();
