#pragma once

#include <initializer_list>
#include <string>

// The command router: menu commands by menu and item number to the handler
// of the part of the program that owns them.

using CommandHandler = int (*)(int item);

int RouteCommand(int menu, int item);

// True when a handler acts on this command; menu items without one are greyed.
bool CommandAvailable(int menu, int item);

// Adds a handler for the given items of a menu (tests use it to stand in for
// parts of the program).
void RegisterCommandRoute(int menu, CommandHandler handler, std::initializer_list<int> items);
// Back to the program's own table.
void ResetCommandRoutes();

// A help page with a note in the row of every command no handler acts on
// (rows carry their command's number as <tr id="c25808">): the menus grey
// those items, and the help says so instead of promising what they would do.
std::string MarkUnavailableCommands(const std::string& html);
constexpr const char* kUnavailableNote = "Not available in this build: the menu item is grayed.";

// The About box, modal; also used as the splash (modeless, without its button).
void ShowAboutBox();
long AboutBoxHandler(int event, struct WindowRecord* window, long a, long b);

// File, Edit and Help menu numbers and the items handled here.
constexpr int kFileMenu = 257;
constexpr int kEditMenu = 258;
constexpr int kViewMenu = 259;
constexpr int kDrawMenu = 260;
constexpr int kComputationMenu = 261;
constexpr int kAnimationMenu = 262;
constexpr int kTelescopeMenu = 263;
constexpr int kHelpMenu = 264;
constexpr int kNewMenu = 11;
constexpr int kOpenMenu = 12;
constexpr int kImportMenu = 13;
constexpr int kExportMenu = 14;
constexpr int kCenterPlanetMenu = 31;
constexpr int kCenterHorizonMenu = 32;
constexpr int kProjectionMenu = 33;
constexpr int kCoordinatesMenu = 34;
constexpr int kSkyBackgroundMenu = 41;
constexpr int kCustomColorsMenu = 42;

constexpr int kFileCloseInfoWindow = 3;
constexpr int kFileSaveSettings = 5;
constexpr int kFileSaveSettingsAs = 6;
constexpr int kFileSaveSettingsAsDefault = 7;
constexpr int kFileDeleteDatabaseFile = 11;
constexpr int kFilePrintSetup = 13;
constexpr int kFilePrint = 14;
constexpr int kFileExit = 16;
constexpr int kEditConstellations = 12;
constexpr int kOpenSettings = 1;
constexpr int kOpenDefaultSettings = 2;
constexpr int kOpenDatabase = 4;
constexpr int kOpenDefaultDatabase = 5;
constexpr int kOpenCdromDatabase = 6;
constexpr int kNewStar = 1;
constexpr int kNewPlanet = 2;
constexpr int kEditCopy = 4;
constexpr int kEditFindObject = 8;
constexpr int kEditEditObject = 9;
constexpr int kEditDeleteObject = 10;
constexpr int kImportTextFile = 1;
constexpr int kImportSatelliteFile = 2;
constexpr int kExportEphemeris = 1;
constexpr int kExportMetafile = 2;
constexpr int kExportBitmap = 3;
constexpr int kExportPicture = 4; // PNG, SVG or PDF
constexpr int kComputationRecomputeAll = 9;
constexpr int kHelpContents = 1;
constexpr int kHelpSearch = 2;
constexpr int kHelpHowToUse = 4;
constexpr int kHelpAbout = 6;
