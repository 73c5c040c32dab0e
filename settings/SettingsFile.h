#pragma once

// The settings file's lines and the Description dialogs, shared by the
// reader, the File menu commands and their tests.

#include <cstddef>
#include <cstdio>
#include <string>

// A line longer than this is read as several lines.
constexpr std::size_t kMaxSettingsLineLength = 255;
// The description holds at most this many bytes.
constexpr std::size_t kMaxDescriptionLength = 32767;

// The Description dialogs: shown with the description of a file being read,
// and asked for when settings are saved under a new name. Each has the
// description's edit box, OK and Cancel.
constexpr int kReadDescriptionTemplate = 268;
constexpr int kSaveDescriptionTemplate = 269;
constexpr int kDescriptionEditControl = 3;

struct SettingsLine {
    std::string text;    // at most kMaxSettingsLineLength characters, up to a NUL
    bool endedWithBreak; // false for a piece of a longer line and for a last line without one
};

// Reads one line ended by CR, LF or CR LF, or the next 255 characters of a
// longer one. False at the end of the file with nothing read.
bool ReadSettingsLine(std::FILE* stream, SettingsLine& line);

// Key: everything before the first "="; value: everything after it. A line
// without "=" is all key.
void SplitValueLine(const std::string& line, std::string& key, std::string& value);

// The text cut to the description's size.
std::string BoundedDescription(const std::string& text);
