#include "telescope/TelescopeWindows.h"

#include "astro/ComputationOptions.h"
#include "astro/CoordinateText.h"
#include "astro/Frames.h"
#include "chart/ChartWindow.h"
#include "data/Driver.h"
#include "data/ObjectStore.h"
#include "data/SkyObject.h"
#include "output/ObjectInfo.h"
#include "telescope/Alignment.h"
#include "telescope/Link.h"
#include "telescope/Telescope.h"
#include "telescope/TelescopeState.h"

#include <cmath>
#include <cstdio>

namespace {

// Degrees and hours of the dialogs, as the settings file converts them.
constexpr double kFieldRadiansPerDegree = 0.017453292520882225;
constexpr double kRadiansPerHour = 0.26179938781323336;
constexpr double kArcminutesPerRadian = 3437.7467699999997;
constexpr double kArcsecondsPerRadian = 206264.8062;
constexpr long kTenthsPerDegree = 36000;
constexpr int kCloseQuestion = 2707;

// The Display dialog.
constexpr int kFinderBox = 3, kFinderField = 4, kEyepieceBox = 5, kEyepieceField = 6;
constexpr int kCameraBox = 7, kCameraWidthField = 8, kCameraHeightField = 10;

// The Target dialog.
constexpr int kTargetRALabel = 4, kTargetRAField = 5, kTargetDecLabel = 6, kTargetDecField = 7;

// The control window; the alignment window shares the coordinate controls.
constexpr int kScopeRALabel = 3, kScopeRA = 4, kScopeDecLabel = 5, kScopeDec = 6;
constexpr int kNameArea = 8, kAimRALabel = 9, kAimRA = 10, kAimDecLabel = 11, kAimDec = 12;
constexpr int kMagnitude = 14, kSize = 16;
constexpr int kGoToButton = 17, kStopButton = 18, kSyncButton = 19, kCenterButton = 20;
constexpr int kNorthButton = 21, kWestButton = 24, kSlewRadio = 25, kGuideRadio = 28;
constexpr int kArrowPicture = 500, kPressedArrowPicture = 504, kInactiveArrowPicture = 508;
// The alignment window.
constexpr int kInstruction = 1, kAlignNameArea = 3, kAlignScopeRALabel = 5;
constexpr int kAlignScopeDecLabel = 7, kAlignButton = 17;
constexpr int kZeroAltAzInstruction = 2709, kZeroEquatorialInstruction = 2710;
constexpr int kFirstStarInstruction = 2711; // 2712 the second, 2713 aligned

WindowRef gWindow = nullptr;
TargetTexts gTarget;

// J2000.0 angles in the chart's epoch, and back.
void ToChartEpoch(double& ra, double& dec) {
    ConvertFrame(gInstant.frames, kFrameJ2000, kFrameEquatorial, &ra, &dec);
}
void FromChartEpoch(double& ra, double& dec) {
    ConvertFrame(gInstant.frames, kFrameEquatorial, kFrameJ2000, &ra, &dec);
}

// The labelled pair of a J2000.0 position, in the chart's epoch.
void ShowCoordinates(WindowRef w, int raLabel, int raValue, int decLabel, int decValue, double ra,
                     double dec) {
    const double epoch = gComputationOptions.precessionEpoch;
    std::string raText, decText;
    FormatCoordinates(kFrameEquatorial, 0.0, 0.0, kCoordinateLabels, epoch, raText, decText);
    SetItemText(w, raLabel, raText);
    SetItemText(w, decLabel, decText);
    ToChartEpoch(ra, dec);
    FormatCoordinates(kFrameEquatorial, ra, dec, kCoordinateValues, epoch, raText, decText);
    SetItemText(w, raValue, raText);
    SetItemText(w, decValue, decText);
}

bool IsAlignmentWindow(WindowRef w) {
    return WindowHandler(w) == TelescopeAlignmentHandler;
}

// The part of an Object Info line after its label.
std::string AfterLabel(const std::string& line) {
    std::size_t colon = line.find(": ");
    return colon == std::string::npos ? std::string() : line.substr(colon + 2);
}

TargetTexts TextsOf(ObjectID id, SkyObject* object) {
    TargetTexts texts;
    texts.name = ObjectFirstName(object);
    if (const CatalogObject* star = AsCatalog(object)) {
        texts.magnitude = CatalogMagnitudeText(*star);
        if (star->size > 0.0f)
            texts.size = IsDeepSkyType(star->type)
                             ? Printf("%.1f'", star->size * kArcminutesPerRadian)
                             : Printf("%.1f\"", star->size * kArcsecondsPerRadian);
        return texts;
    }
    // A body's magnitude and disc are those its report shows.
    ObjectInfo info;
    if (FillObjectInfoLines(id, info)) {
        texts.magnitude = AfterLabel(info.line(kInfoMagnitudeLine));
        texts.size = AfterLabel(info.line(kInfoSizeLine));
    }
    return texts;
}

void ShowTarget() {
    WindowRef w = TelescopeWindow();
    if (w == nullptr) return;
    const TelescopeState& t = gTelescopeState;
    ShowCoordinates(w, kAimRALabel, kAimRA, kAimDecLabel, kAimDec, t.targetRA, t.targetDec);
    if (IsAlignmentWindow(w)) {
        PaintObjectName(w, kAlignNameArea, gTarget.name);
        return;
    }
    SetItemText(w, kMagnitude, gTarget.magnitude);
    SetItemText(w, kSize, gTarget.size);
    PaintObjectName(w, kNameArea, gTarget.name);
}

void ShowInstruction(WindowRef w) {
    int stage = gAlignmentState.alignStage;
    int text = stage > 0                                       ? kFirstStarInstruction + stage - 1
               : gTelescopeState.mountType == kMountAltAzimuth ? kZeroAltAzInstruction
                                                               : kZeroEquatorialInstruction;
    SetItemText(w, kInstruction, LoadString(text));
}

bool ArrowsActive() {
    int f = gTelescopeState.interface;
    return f == kTelescopeLX200 || f == kTelescopeQEICoordinate;
}

// What each family's window offers: the buttons a mount can't use are greyed.
void SetUpControls(WindowRef w) {
    const int f = gTelescopeState.interface;
    const bool magellan = f == kTelescopeMagellanI || f == kTelescopeMagellanII;
    const bool arrows = ArrowsActive();
    EnableItem(w, kGoToButton, !magellan);
    EnableItem(w, kStopButton, !magellan && f != kTelescopeNexStar);
    EnableItem(w, kSyncButton, arrows || f == kTelescopeUltima2000);
    for (int k = 0; k < 4; ++k) {
        SetItemIcon(w, kNorthButton + k, (arrows ? kArrowPicture : kInactiveArrowPicture) + k);
        EnableItem(w, kNorthButton + k, arrows);
    }
    static const char* const kQEIRates[] = {"16 x", "8 x", "4 x", "2 x"};
    for (int c = kSlewRadio; c <= kGuideRadio; ++c) {
        EnableItem(w, c, arrows);
        if (f == kTelescopeQEICoordinate) SetItemText(w, c, kQEIRates[c - kSlewRadio]);
    }
    CheckRadio(w, kSlewRadio, kGuideRadio, kSlewRadio);
}

// Closing the window closes the link, when the user agrees.
void AskToDisconnect() {
    if (ShowMessage(ButtonsOKCancel, kCloseQuestion) == AnswerOK) TelescopeDisconnect();
}

void PressArrow(WindowRef w, int control, int code) {
    TelescopeState& t = gTelescopeState;
    const int k = control - kNorthButton + 1;
    if (!ArrowsActive()) return;
    if (code == NotifyPressed && TelescopeMove(1, k)) {
        t.pressedArrow = static_cast<std::int16_t>(k);
        SetItemIcon(w, control, kPressedArrowPicture + k - 1);
    } else if (code == NotifyReleased && t.pressedArrow == k) {
        TelescopeMove(0, k);
        t.pressedArrow = 0;
        SetItemIcon(w, control, kArrowPicture + k - 1);
    }
}

} // namespace

std::string FieldSizeText(double radians) {
    long tenths = std::lround(radians / kFieldRadiansPerDegree * kTenthsPerDegree);
    return Printf("%hd %02hd %04.1f", static_cast<short>(tenths / kTenthsPerDegree),
                  static_cast<short>(tenths / 600 % 60), static_cast<double>(tenths % 600) / 10.0);
}

double ReadFieldSize(const std::string& text, double previous) {
    long tenths = std::lround(previous / kFieldRadiansPerDegree * kTenthsPerDegree);
    short degrees = static_cast<short>(tenths / kTenthsPerDegree);
    short minutes = static_cast<short>(tenths / 600 % 60);
    double seconds = static_cast<double>(tenths % 600) / 10.0;
    std::sscanf(text.c_str(), "%hd%hd%lf", &degrees, &minutes, &seconds);
    return (degrees + minutes / 60.0 + seconds / 3600.0) * kFieldRadiansPerDegree;
}

long TelescopeDisplayHandler(int event, WindowRef dialog, long a, long b) {
    TelescopeState& t = gTelescopeState;
    struct Field {
        int control;
        double* width;
    };
    const Field fields[] = {{kFinderField, &t.finderFieldWidth},
                            {kEyepieceField, &t.eyepieceFieldWidth},
                            {kCameraWidthField, &t.cameraFieldWidth},
                            {kCameraHeightField, &t.cameraFieldHeight}};
    if (event == Create) {
        SetItemValue(dialog, kFinderBox, t.showFinderField);
        SetItemValue(dialog, kEyepieceBox, t.showEyepieceField);
        SetItemValue(dialog, kCameraBox, t.showCameraField);
        for (const Field& f : fields)
            SetItemText(dialog, f.control, FieldSizeText(*f.width));
        return 1;
    }
    if (event != ControlNotify || b != NotifyClicked) return 1;
    if (a == kOKButton) {
        t.showFinderField = GetItemValue(dialog, kFinderBox) != 0;
        t.showEyepieceField = GetItemValue(dialog, kEyepieceBox) != 0;
        t.showCameraField = GetItemValue(dialog, kCameraBox) != 0;
        for (const Field& f : fields)
            *f.width = ReadFieldSize(GetItemText(dialog, f.control), *f.width);
        EndDialogResult(1);
    }
    if (a == kCancelButton) EndDialogResult(0);
    return 1;
}

bool RunTelescopeDisplayDialog() {
    return RunDialog(kTelescopeDisplayTemplate, 0, TelescopeDisplayHandler) == 1;
}

long TelescopeTargetHandler(int event, WindowRef dialog, long a, long b) {
    const TelescopeState& t = gTelescopeState;
    if (event == Create) {
        ShowCoordinates(dialog, kTargetRALabel, kTargetRAField, kTargetDecLabel, kTargetDecField,
                        t.targetRA, t.targetDec);
        return 1;
    }
    if (event != ControlNotify || b != NotifyClicked) return 1;
    if (a == kOKButton) {
        double ra = ParseSexagesimal(GetItemText(dialog, kTargetRAField)) * kRadiansPerHour;
        double dec =
            ParseSexagesimal(GetItemText(dialog, kTargetDecField)) * kFieldRadiansPerDegree;
        FromChartEpoch(ra, dec);
        SetTarget(0, ra, dec);
        EndDialogResult(1);
    }
    if (a == kCancelButton) EndDialogResult(0);
    return 1;
}

bool RunTelescopeTargetDialog() {
    if (RunDialog(kTelescopeTargetTemplate, 0, TelescopeTargetHandler) != 1) return false;
    TelescopeGoTo(gTelescopeState.targetRA, gTelescopeState.targetDec);
    return true;
}

void SetTarget(ObjectID id, double ra, double dec) {
    TelescopeState& t = gTelescopeState;
    SkyObject* object = id != 0 ? getObject(id) : nullptr;
    gTarget = TargetTexts{};
    if (object != nullptr) {
        EnsureComputed(object);
        Vector3 v;
        ObjectDirection(object, v);
        double r;
        RectangularToSpherical(v, &ra, &dec, &r);
        gTarget = TextsOf(id, object);
    }
    t.targetObject = object != nullptr ? id : 0;
    t.targetRA = ra;
    t.targetDec = dec;
    ShowTarget();
}

const TargetTexts& CurrentTargetTexts() {
    return gTarget;
}

void RefreshTarget() {
    const TelescopeState& t = gTelescopeState;
    if (!t.connected) return;
    if (t.targetObject == 0) {
        // The epoch of the chart may have changed.
        ShowTarget();
        ShowTelescopePosition();
        return;
    }
    SetTarget(t.targetObject, 0.0, 0.0);
    if (t.trackMovingTargets) TelescopeGoTo(t.targetRA, t.targetDec);
    ShowTelescopePosition();
}

void TargetChosenObject(ObjectID object) {
    if (gTelescopeState.connected) SetTarget(object, 0.0, 0.0);
}

void TargetChosenPoint(const Vector3& direction) {
    if (!gTelescopeState.connected) return;
    double ra = 0.0, dec = 0.0, r;
    RectangularToSpherical(direction, &ra, &dec, &r);
    SetTarget(0, ra, dec);
}

WindowRef TelescopeWindow() {
    if (!WindowExists(gWindow)) gWindow = nullptr;
    return gWindow;
}

void OpenTelescopeWindow() {
    CloseTelescopeWindow();
    const bool box = TelescopeIsEncoderBox();
    gWindow = CreateDialogWindow(box ? kTelescopeAlignmentTemplate : kTelescopeControlTemplate, 0,
                                 box ? TelescopeAlignmentHandler : TelescopeControlHandler);
    if (gWindow == nullptr) return;
    ShowTarget();
    ShowTelescopePosition();
    PlaceAtTopRight(gWindow);
    ShowWindow(gWindow);
}

void CloseTelescopeWindow() {
    if (WindowRef w = TelescopeWindow()) DestroyWindow(w);
    gWindow = nullptr;
}

void ToggleTelescopeWindow() {
    WindowRef w = TelescopeWindow();
    if (w == nullptr) return;
    if (IsWindowVisible(w))
        HideWindow(w);
    else
        ShowWindow(w);
}

void ShowTelescopePosition() {
    WindowRef w = TelescopeWindow();
    if (w == nullptr) return;
    const TelescopeState& t = gTelescopeState;
    const bool box = IsAlignmentWindow(w);
    ShowCoordinates(w, box ? kAlignScopeRALabel : kScopeRALabel, kScopeRA,
                    box ? kAlignScopeDecLabel : kScopeDecLabel, kScopeDec, t.position[0],
                    t.position[1]);
}

long TelescopeControlHandler(int event, WindowRef w, long a, long b) {
    TelescopeState& t = gTelescopeState;
    if (event == Create) {
        SetUpControls(w);
        return 1;
    }
    if (event == CloseRequest) {
        AskToDisconnect();
        return 1;
    }
    if (event != ControlNotify) return 1;
    if (a >= kNorthButton && a <= kWestButton) {
        PressArrow(w, static_cast<int>(a), static_cast<int>(b));
        return 1;
    }
    if (b != NotifyClicked) return 1;
    switch (a) {
    case kGoToButton:
        TelescopeGoTo(t.targetRA, t.targetDec);
        break;
    case kStopButton:
        TelescopeMove(0, kMoveAll);
        break;
    case kSyncButton:
        TelescopeSync(t.targetRA, t.targetDec);
        break;
    case kCenterButton: {
        Vector3 v;
        SphericalToRectangular(t.position[0], t.position[1], 1.0, v);
        CenterChartOn(v);
        break;
    }
    default:
        if (a >= kSlewRadio && a <= kGuideRadio)
            TelescopeSetRate(kRateSlew + static_cast<int>(a) - kSlewRadio);
        break;
    }
    return 1;
}

long TelescopeAlignmentHandler(int event, WindowRef w, long a, long b) {
    if (event == Create) {
        ShowInstruction(w);
        return 1;
    }
    if (event == CloseRequest) {
        AskToDisconnect();
        return 1;
    }
    if (event == ControlNotify && a == kAlignButton && b == NotifyClicked) {
        TelescopeSync(gTelescopeState.targetRA, gTelescopeState.targetDec);
        ShowInstruction(w);
    }
    return 1;
}
