// Norvane: a planetarium for the desktop.

#include "astro/Report.h"
#include "shell/App.h"
#include "shell/Platform.h"

int main(int argc, char** argv) {
    // Without a display the platform layer explains and exits with status 1.
    InitPlatform(argc, argv);
    SetReportHandler(ShowReportedMessage);
    return RunApplication(HandleAppEvent);
}
