#pragma once

#include <cstddef>

// The menu bar and accelerator table resources. A command number is
// menu number x 100 + item, items counted from 1 with separators included.

struct MenuItemDef {
    const char* label;  // with '&' before the mnemonic letter; nullptr for a separator
    int submenu;        // menu number of the pop-up this item opens, 0 for a command
    int radioGroup;     // items of one menu with the same non-zero group show a radio mark
};

struct MenuDef {
    int number;         // 257..264 for the menu bar, 11..42 for pop-ups
    const char* title;  // label on the menu bar or of the pop-up item
    const MenuItemDef* items;
    int count;
};

struct AcceleratorDef {
    const char* key;  // key in portable text form: "Ctrl+O", "Alt+Backspace", "Shift+Del", "PgUp", "F3"
    int command;      // menu x 100 + item
};

// The menus of menu bar `bar` (256) from left to right; *count receives their number.
const int* MenuBarMenus(int bar, std::size_t* count);

// A menu or pop-up by number, or nullptr.
const MenuDef* FindMenu(int number);

// The accelerator table `table` (256); *count receives the number of entries.
const AcceleratorDef* AcceleratorTable(int table, std::size_t* count);
