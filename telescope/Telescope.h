#pragma once

// The telescope dispatcher: every operation goes to the command set of the
// chosen mount family, or to the emulated telescope. Angles are radians of
// J2000.0; results are 1 for success, 0 for failure (already reported).

// Motion directions and rates.
enum TelescopeDirection : int { kMoveAll = 0, kMoveNorth, kMoveEast, kMoveSouth, kMoveWest };
enum TelescopeRate : int { kRateSlew = 1, kRateFind, kRateCenter, kRateGuide };

int TelescopeConnect();
void TelescopeDisconnect();
int TelescopeGetPosition(double& ra, double& dec);
int TelescopeGoTo(double ra, double dec);
int TelescopeSync(double ra, double dec);
int TelescopeMove(int start, int direction);
int TelescopeSetRate(int rate);
int TelescopeSetSite(double longitude, double latitude, double zone);
int TelescopeSetTime(double julianDateUT, double zone);
// One poll: the emulation advanced, the position read and shown. A failure
// disconnects.
int TelescopePoll();

// Whether the family can do these at all (the control window greys the rest).
bool TelescopeCanGoTo();
bool TelescopeCanSync();
bool TelescopeCanMove();
bool TelescopeCanSetRate();
bool TelescopeIsEncoderBox();

// The settings word of each family ("LX200" ... "QEICoordinate"), 0 for none.
int TelescopeInterfaceNamed(const char* word);

// What the windows do when the link opens and closes and when the telescope
// moves (the old position, J2000.0, is passed). Unset for headless use.
struct TelescopeHooks {
    void (*connected)();
    void (*disconnected)();
    void (*moved)(double oldRA, double oldDec);
    // Where an emulated telescope starts: J2000.0 angles.
    void (*startPosition)(double& ra, double& dec);
};
void SetTelescopeHooks(const TelescopeHooks& hooks);

// The emulated telescope's step for this many milliseconds since the last.
void StepEmulation(long now);
