#pragma once

#include "shell/Platform.h"

// The menus the program addresses by position, kept once the chart window exists.
struct MenuHandles {
    MenuRef file, edit, view, draw, computation, animation, telescope, help;
    MenuRef newMenu, importMenu, exportMenu, centerPlanet, centerHorizon, projection,
        coordinates, skyBackground, customColors;
};

extern MenuHandles gMenuHandles;

void CacheMenuHandles();

// Recomputes every check mark and greyed state from the program's state.
void UpdateMenuState();

// Fewer bits per pixel than this can't show colours, so the colour
// commands are greyed.
constexpr int kMinimumColorDepth = 4;
