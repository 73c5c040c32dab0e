#pragma once

// The Telescope menu, the Connection dialog, the telescope's marker on the
// chart and the idle-time polling.

// Menu 263's items.
int TelescopeMenuCommand(int item);
bool TelescopeMenuHandles(int menu, int item);
bool TelescopeMenuItemEnabled(int item);
bool TelescopeMenuItemChecked(int item);

// Ties the link to the chart window (marker, stay centred, the emulated
// telescope's start) and the menus.
void InstallTelescopeHooks(void (*updateMenus)());

// From the idle event: a poll when one is due. True while polling is wanted.
bool TelescopeIdle();

// Draws (or, drawn twice, erases) the marker and its fields on the current
// surface, for the chart's last projection frame.
void DrawTelescopeMarker();

// The Connection dialog (template 271); true on OK.
bool RunTelescopeConnectionDialog();
long TelescopeConnectionHandler(int event, struct WindowRecord* dialog, long a, long b);
