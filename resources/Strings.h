#pragma once

#include <cstddef>

// The program's string table: every message, label and file name the program
// shows or writes, addressed by number. Texts are 8-bit Windows-1252 (the degree
// sign is the byte 0xB0).

struct StringEntry {
    int number;
    const char* text;
};

// The text of string `number`, or nullptr when the table has no such entry.
const char* StringText(int number);

// The whole table, sorted by number.
const StringEntry* StringTable(std::size_t* count);
