#include "telescope/TelescopeCommands.h"

#include "astro/TimeScales.h"
#include "astro/Vectors.h"
#include "astro/Viewer.h"
#include "chart/ChartWindow.h"
#include "chart/Projection.h"
#include "chart/Render.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "data/SelectObject.h"
#include "shell/Platform.h"
#include "telescope/Link.h"
#include "telescope/Telescope.h"
#include "telescope/TelescopeState.h"
#include "telescope/TelescopeWindows.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

enum TelescopeItem : int {
    kItemDisplay = 1,
    kItemConnect = 2,
    kItemDisconnect = 3,
    kItemSetLocation = 5,
    kItemSetTime = 6,
    kItemTargetObject = 7,
    kItemTargetCoordinates = 8,
    kItemControlWindow = 10,
    kItemShowFields = 11,
    kItemStayCentered = 12,
    kItemTrackMoving = 13,
};

constexpr int kCloseQuestion = 2707;
constexpr int kConnectionTemplate = 271;
constexpr int kFamilyCombo = 4, kMountTypeCombo = 6, kDeviceCombo = 8, kUpdatesField = 10;
constexpr int kLonStepsLabel = 11, kLonStepsField = 12, kLatStepsLabel = 13, kLatStepsField = 14;
constexpr int kSwappedBox = 15, kEmulateBox = 16;
constexpr int kFirstFamilyString = 2500, kLastFamilyString = 2511;
constexpr int kFirstMountTypeString = 2600, kLastMountTypeString = 2601;
constexpr const char* kLonStepsText = "Azm./R.A. encoder steps:";
constexpr const char* kLatStepsText = "Alt./Dec. encoder steps:";

constexpr int kPollIdleMilliseconds = 10;

void (*gUpdateMenus)() = nullptr;

void RedrawChartWindow() {
    RenderChart();
    if (WindowRef chart = ChartWindow()) InvalidateWindow(chart);
}

void Changed() {
    RedrawChartWindow();
    if (gUpdateMenus != nullptr) gUpdateMenus();
}

// The marker at the position now, XOR-drawn over the chart's picture.
void ToggleMarkerOnPicture() {
    PictureRef picture = ChartPicture();
    if (picture == nullptr) return;
    BeginDrawing(SelectPicture(picture));
    DrawTelescopeMarker();
    EndDrawing();
}

// Stay centred draws the chart afresh around the telescope; otherwise the
// idle pass moves the marker on the picture, and the window shows it.
void Moved(double, double) {
    ShowTelescopePosition();
    if (gTelescopeState.stayCentred)
        RedrawChartWindow();
    else if (WindowRef chart = ChartWindow())
        InvalidateWindow(chart);
}

void Connected() {
    OpenTelescopeWindow();
    Changed();
}
void Disconnected() {
    CloseTelescopeWindow();
    Changed();
}

// An emulated telescope starts where the chart is centred.
void StartPosition(double& ra, double& dec) {
    PictureRef picture = ChartPicture();
    int w = 0, h = 0;
    if (picture != nullptr) PictureSize(picture, &w, &h);
    Vector3 v;
    double r;
    if (w > 0 && UnprojectPoint(w / 2, h / 2, v)) RectangularToSpherical(v, &ra, &dec, &r);
}

bool StayCentredQuery(double* ra, double* dec) {
    const TelescopeState& t = gTelescopeState;
    if (!t.connected || !t.stayCentred) return false;
    *ra = t.position[0];
    *dec = t.position[1];
    return true;
}

// The target is an object's place now; a go-to follows.
void SetTargetObject(ObjectID id) {
    SetTarget(id, 0.0, 0.0);
    if (gTelescopeState.targetObject == id)
        TelescopeGoTo(gTelescopeState.targetRA, gTelescopeState.targetDec);
}

void FillDevices(WindowRef dialog) {
    ListClear(dialog, kDeviceCombo);
    for (const std::string& device : SerialDeviceNames())
        ListAddText(dialog, kDeviceCombo, device);
    SetItemText(dialog, kDeviceCombo, TelescopeDevicePath());
}

void ShowStepLabels(WindowRef dialog, bool swapped) {
    SetItemText(dialog, kLonStepsLabel, swapped ? kLatStepsText : kLonStepsText);
    SetItemText(dialog, kLatStepsLabel, swapped ? kLonStepsText : kLatStepsText);
}

} // namespace

void InstallTelescopeHooks(void (*updateMenus)()) {
    gUpdateMenus = updateMenus;
    SetTelescopeHooks({Connected, Disconnected, Moved, StartPosition});
    setTelescopeCenterQuery(StayCentredQuery);
    setTelescopeLayer(DrawTelescopeMarker);
}

bool TelescopeIdle() {
    TelescopeState& t = gTelescopeState;
    if (!t.connected || t.updatesPerSec <= 0) return false;
    if (LinkTicks() - static_cast<long>(t.lastPollTicks) > 1000 / t.updatesPerSec) {
        double before[2] = {t.position[0], t.position[1]};
        if (!TelescopePoll()) return false;
        if (before[0] != t.position[0] || before[1] != t.position[1]) {
            // Erase at the old place, draw at the new one.
            double now[2] = {t.position[0], t.position[1]};
            if (!t.stayCentred) {
                t.position[0] = before[0];
                t.position[1] = before[1];
                ToggleMarkerOnPicture();
                t.position[0] = now[0];
                t.position[1] = now[1];
                ToggleMarkerOnPicture();
            }
        }
    }
    return t.connected;
}

void DrawTelescopeMarker() {
    const TelescopeState& t = gTelescopeState;
    if (!t.connected || !t.showFields) return;
    Matrix3 frame;
    // Latitude first, then longitude: the telescope's own frame, whose +X
    // axis is where it points.
    RotationMatrix(frame, {{1, t.position[1]}, {2, t.position[0]}});
    auto project = [&](double dLon, double dLat) {
        Vector3 v;
        SphericalToRectangular(dLon, dLat, 1.0, v);
        TransformVector(frame, v);
        return ProjectVector(v);
    };
    ProjectedPoint centre = project(0.0, 0.0);
    if (!centre.visible) return;
    SetXorMode(true);
    SetPenBrush(RGBColor{255, 255, 255}, 1, false);
    auto circle = [&](double width) {
        ProjectedPoint edge = project(0.0, width / 2);
        if (!edge.visible) return;
        int r = static_cast<int>(std::lround(std::hypot(edge.x - centre.x, edge.y - centre.y)));
        if (r < 2) r = 2;
        Ellipse(centre.x - r, centre.y - r, centre.x + r, centre.y + r);
    };
    if (t.showFinderField) circle(t.finderFieldWidth);
    if (t.showEyepieceField) circle(t.eyepieceFieldWidth);
    if (t.showCameraField) {
        const double w = t.cameraFieldWidth / 2, h = t.cameraFieldHeight / 2;
        const double corners[5][2] = {{w, h}, {w, -h}, {-w, -h}, {-w, h}, {w, h}};
        ProjectedPoint p[5];
        bool all = true;
        for (int i = 0; i < 5; ++i)
            all = (p[i] = project(corners[i][0], corners[i][1])).visible && all;
        if (all)
            for (int i = 0; i < 4; ++i)
                Line(p[i].x, p[i].y, p[i + 1].x, p[i + 1].y);
    }
    SetXorMode(false);
}

long TelescopeConnectionHandler(int event, WindowRef dialog, long a, long b) {
    TelescopeState& t = gTelescopeState;
    if (event == Create) {
        ListFillFromStrings(dialog, kFamilyCombo, kFirstFamilyString, kLastFamilyString);
        SetItemValue(dialog, kFamilyCombo, t.interface);
        ListFillFromStrings(dialog, kMountTypeCombo, kFirstMountTypeString, kLastMountTypeString);
        SetItemValue(dialog, kMountTypeCombo, t.mountType);
        FillDevices(dialog);
        SetItemText(dialog, kUpdatesField, Printf("%hd", t.updatesPerSec));
        SetItemText(dialog, kLonStepsField, Printf("%+ld", static_cast<long>(t.lonEncoderSteps)));
        SetItemText(dialog, kLatStepsField, Printf("%+ld", static_cast<long>(t.latEncoderSteps)));
        SetItemValue(dialog, kSwappedBox, t.encodersSwapped != 0);
        SetItemValue(dialog, kEmulateBox, t.emulated);
        ShowStepLabels(dialog, t.encodersSwapped != 0);
        return 1;
    }
    if (event != ControlNotify || b != NotifyClicked) return 1;
    if (a == kSwappedBox) ShowStepLabels(dialog, GetItemValue(dialog, kSwappedBox) != 0);
    if (a == kOKButton) {
        t.interface = static_cast<std::int16_t>(GetItemValue(dialog, kFamilyCombo));
        t.mountType = static_cast<std::int16_t>(GetItemValue(dialog, kMountTypeCombo));
        t.device = GetItemText(dialog, kDeviceCombo);
        t.updatesPerSec =
            static_cast<std::int16_t>(std::atoi(GetItemText(dialog, kUpdatesField).c_str()));
        t.lonEncoderSteps = std::atoi(GetItemText(dialog, kLonStepsField).c_str());
        t.latEncoderSteps = std::atoi(GetItemText(dialog, kLatStepsField).c_str());
        t.encodersSwapped = GetItemValue(dialog, kSwappedBox) != 0;
        t.emulated = GetItemValue(dialog, kEmulateBox) != 0;
        EndDialogResult(1);
    }
    if (a == kCancelButton) EndDialogResult(0);
    return 1;
}

bool RunTelescopeConnectionDialog() {
    return RunDialog(kConnectionTemplate, 0, TelescopeConnectionHandler) == 1;
}

bool TelescopeMenuHandles(int, int item) {
    return item == kItemDisplay || item == kItemTargetCoordinates || item == kItemControlWindow ||
           item == kItemConnect || item == kItemDisconnect || item == kItemSetLocation ||
           item == kItemSetTime || item == kItemTargetObject || item == kItemShowFields ||
           item == kItemStayCentered || item == kItemTrackMoving;
}

bool TelescopeMenuItemEnabled(int item) {
    return item < kItemDisconnect || gTelescopeState.connected;
}

bool TelescopeMenuItemChecked(int item) {
    const TelescopeState& t = gTelescopeState;
    WindowRef window = TelescopeWindow();
    return (item == kItemControlWindow && window != nullptr && IsWindowVisible(window)) ||
           (item == kItemShowFields && t.showFields) ||
           (item == kItemStayCentered && t.stayCentred) ||
           (item == kItemTrackMoving && t.trackMovingTargets);
}

int TelescopeMenuCommand(int item) {
    TelescopeState& t = gTelescopeState;
    switch (item) {
    case kItemDisplay:
        if (RunTelescopeDisplayDialog()) Changed();
        break;
    case kItemConnect:
        if (RunTelescopeConnectionDialog()) {
            // Polls come from idle time, which a quiet program stops.
            if (TelescopeConnect() && IdleInterval() < 0) SetIdleInterval(kPollIdleMilliseconds);
            Changed();
        }
        break;
    case kItemDisconnect:
        if (ShowMessage(ButtonsOKCancel, kCloseQuestion) == AnswerOK) TelescopeDisconnect();
        break;
    case kItemSetLocation:
        TelescopeSetSite(gViewer.longitude, gViewer.latitude, ViewerEffectiveTimeZone());
        break;
    case kItemSetTime: {
        double now = CurrentUniversalJulianDate();
        TelescopeSetTime(now, EffectiveTimeZone(now, gViewer.timeZone, gViewer.daylightSavings));
        break;
    }
    case kItemTargetObject:
        if (ObjectID id = selectObjectDialog()) SetTargetObject(id);
        break;
    case kItemTargetCoordinates:
        RunTelescopeTargetDialog();
        break;
    case kItemControlWindow:
        ToggleTelescopeWindow();
        if (gUpdateMenus != nullptr) gUpdateMenus();
        break;
    case kItemShowFields:
        t.showFields = !t.showFields;
        Changed();
        break;
    case kItemStayCentered:
        t.stayCentred = !t.stayCentred;
        Changed();
        break;
    case kItemTrackMoving:
        t.trackMovingTargets = !t.trackMovingTargets;
        if (t.trackMovingTargets) RefreshTarget();
        Changed();
        break;
    default:
        break;
    }
    return 1;
}
