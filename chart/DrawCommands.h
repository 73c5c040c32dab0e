#pragma once

// The Draw menu (260) with Sky Background (41) and Custom Colors (42), and
// the Symbols & Grids dialog (262).

constexpr int kSymbolsAndGridsTemplate = 262;

int DrawMenuCommand(int menu, int item);
bool DrawMenuHandles(int menu, int item);

// True when closed with OK (the options were read back).
bool RunSymbolsAndGridsDialog();
