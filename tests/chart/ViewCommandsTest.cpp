// The view commands: field width with the projection switch and the
// automatic magnitude limits, centring on objects, the View menu and its
// submenus, the Field and Center Coordinates dialogs, and the scroll bars.

#include "ChartTestSupport.h"

#include "astro/CoordinateText.h"
#include "chart/Overlays.h"
#include "data/Driver.h"

#include <limits>

namespace {

using namespace chart_test;

constexpr double kDeg = 0.01745329252; // as the view commands convert
constexpr double kPi = 3.14159265358979323846;
constexpr double kFloatInf = std::numeric_limits<float>::infinity();
constexpr double kPole = 1.570796317 / kDeg; // where scrolling stops, in degrees

const std::string kSwitchText =
    "This field of view is too large to be displayed with the current chart projection.  "
    "Switch to a %s projection?";

std::string SwitchText(const char* projection) {
    std::string text = kSwitchText;
    return text.replace(text.find("%s"), 2, projection);
}

int gMenuUpdates = 0;
int gInfoRefreshes = 0;
int gTelescopeClears = 0;
bool gTelescopeStayCentred = false;
ObjectID gSelected = 0;

void CountMenuUpdate() {
    ++gMenuUpdates;
}
void CountInfoRefresh() {
    ++gInfoRefreshes;
}
bool ClearTelescope() {
    ++gTelescopeClears;
    bool was = gTelescopeStayCentred;
    gTelescopeStayCentred = false;
    return was;
}
ObjectID SelectObject() {
    return gSelected;
}

class ViewCommandsTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        gDisplayOptions.showConstellations = false;
        gDisplayOptions.automaticMagnitudeLimits = false;
        gViewer.latitude = 40 * kDeg;
        gViewer.julianDate = 2451545.0 + 1234.5;
        PrepareComputation();
        answer = AnswerOK;
        SetMessageResponder([this](const MessageRecord&) { return answer; });
        ClearRecordedMessages();
        gMenuUpdates = gInfoRefreshes = gTelescopeClears = 0;
        gTelescopeStayCentred = false;
        gSelected = 0;
        setMenuStateUpdater(CountMenuUpdate);
        setInfoRefresher(CountInfoRefresh);
        setTelescopeStayCenteredClearer(ClearTelescope);
        setObjectSelector(SelectObject);
    }
    void TearDown() override {
        setInfoRefresher(nullptr);
        setTelescopeStayCenteredClearer(nullptr);
        setObjectSelector(nullptr);
        ChartTest::TearDown();
    }

    void OpenChartWindow() {
        window = CreateChartWindow();
        ASSERT_NE(window, nullptr);
    }

    // A star at a J2000 position; distance in AU (infinity: unknown).
    static ObjectID AddStar(const char* name, double ra, double dec, float distance = kFloatInf) {
        CatalogObject* star = NewCatalogObject(kTypeSingleStar);
        Vector3 v;
        SphericalToRectangular(ra, dec, 1.0, v);
        for (int i = 0; i < 3; ++i)
            star->position[i] = static_cast<std::int32_t>(v[i] * 1073741824.0);
        star->catalogDistance = distance;
        star->radialVelocity = kFloatInf;
        star->catalogMagnitude = 100;
        star->name = CopyText(name);
        ObjectID id = addObject(star, 0);
        EXPECT_NE(id, 0);
        return id;
    }

    // Azimuth and altitude of a J2000 direction now.
    static void HorizonOf(ObjectID id, double* az, double* alt) {
        SkyObject* object = getObject(id);
        EnsureComputed(object);
        Vector3 v;
        ObjectDirection(object, v);
        TransformVector(gInstant.frames.horizon, v);
        RectangularToSpherical(v, az, alt, nullptr);
    }

    int answer = AnswerOK;
    WindowRef window = nullptr;
};

// ---------------------------------------------------------------------------
// Field width

TEST_F(ViewCommandsTest, TooWideAFieldOffersTheFirstProjectionThatFits) {
    struct Case {
        int from;
        double width; // degrees, or 0 for Zoom Out
        int answer;
        const char* offered; // nullptr: no question
        int projection;
        double result; // the width after
    } cases[] = {{kPlanar, 136, AnswerCancel, "Spherical", kPlanar, 90},
                 {kPlanar, 135, AnswerOK, nullptr, kPlanar, 135}, // exactly 135 still fits
                 {kPlanar, 200, AnswerOK, "Lambert", kLambert, 200},
                 {kPlanar, 300, AnswerOK, "Mercator", kMercator, 300},
                 {kLambert, 0, AnswerOK, "Mercator", kMercator, 360}, // Zoom Out from 270
                 {kMercator, 0, AnswerOK, nullptr, kMercator, 360}};  // takes any width
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " to " + std::to_string(c.width));
        gChartView.projection = static_cast<std::int16_t>(c.from);
        gChartView.fieldWidth = c.width == 0 ? 4.7123889804 : 90 * kDeg;
        ClearRecordedMessages();
        answer = c.answer;
        const int updates = gMenuUpdates;
        if (c.width == 0)
            ViewMenuCommand(259, 11); // Zoom Out, factor 2
        else
            SetFieldWidth(c.width == 135 ? 2.3561944905 : c.width * kDeg);
        ASSERT_EQ(RecordedMessages().size(), c.offered != nullptr ? 1u : 0u);
        if (c.offered != nullptr) {
            EXPECT_EQ(RecordedMessages()[0].number, 522);
            EXPECT_EQ(RecordedMessages()[0].buttons, ButtonsOKCancel);
            EXPECT_EQ(RecordedMessages()[0].text, SwitchText(c.offered));
        }
        EXPECT_EQ(gChartView.projection, c.projection);
        EXPECT_NEAR(gChartView.fieldWidth, std::min(c.result * kDeg, 6.283185307), 1e-9);
        if (c.projection != c.from) {
            EXPECT_GT(gMenuUpdates, updates);
        }
    }
}

TEST_F(ViewCommandsTest, FieldWidthIsClampedToOneArcsecondAndAFullTurn) {
    gChartView.projection = kMollweide;
    const std::pair<double, double> cases[] = {{6.3, 6.283185307},
                                               {1e-7, 4.848136812202333e-6},
                                               {-1.0, 4.848136812202333e-6},
                                               {std::nan(""), 4.848136812202333e-6}};
    for (auto [width, clamped] : cases) {
        SetFieldWidth(width);
        EXPECT_DOUBLE_EQ(gChartView.fieldWidth, clamped) << width;
    }
    ViewMenuCommand(259, 10); // Zoom In from 1" stays at 1"
    EXPECT_DOUBLE_EQ(gChartView.fieldWidth, 4.848136812202333e-6);
    // The fixed fields of items 13 to 26 (360 degrees as written is just
    // over the limit, so it is clamped).
    for (int item = 13; item <= 26; ++item) {
        ViewMenuCommand(259, item);
        EXPECT_DOUBLE_EQ(gChartView.fieldWidth, std::min(kFixedFieldWidths[item - 13], 6.283185307))
            << item;
    }
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(ViewCommandsTest, AutomaticMagnitudeLimits) {
    const std::tuple<double, double, int> steps[] = {
        {2.0, 1.0, 100}, {1.0, 2.0, -100}, {3.0, 2.0, 58},
        {2.0, 3.0, -58}, // 58.496
        {1.0, 1.0, 0},   {0.0, 1.0, 0},    {1.0, std::numeric_limits<double>::infinity(), 0}};
    for (auto [from, to, step] : steps)
        EXPECT_EQ(MagnitudeLimitStep(from, to), step) << from << " to " << to;

    DisplayOptions& o = gDisplayOptions;
    o.automaticMagnitudeLimits = true;
    o.faintestStarMagnitude = 600;
    gChartView.projection = kLambert;
    gChartView.fieldWidth = 90 * kDeg;
    ViewMenuCommand(259, 10); // Zoom In: one halving
    EXPECT_EQ(o.faintestStarMagnitude, 700);
    ViewMenuCommand(259, 18); // 15 degrees from 45: 100 log2(3) = 158.496
    EXPECT_EQ(o.faintestStarMagnitude, 858);
    // A declined projection switch changes nothing, limits included.
    answer = AnswerCancel;
    ViewMenuCommand(259, 13);
    EXPECT_EQ(o.faintestStarMagnitude, 858);
    o.automaticMagnitudeLimits = false;
    ViewMenuCommand(259, 10);
    EXPECT_EQ(o.faintestStarMagnitude, 858) << "off: the limits stay";
}

// ---------------------------------------------------------------------------
// Centring

TEST_F(ViewCommandsTest, CenterOnObjectAndTheHorizonMask) {
    // One star at the zenith of now, one at the nadir.
    ObjectID up = AddStar("Up", 0, 0), down = AddStar("Down", 0, 0);
    for (auto [id, sign] : {std::pair{up, 0.999}, {down, -0.999}}) {
        CatalogObject* star = AsCatalog(getObject(id));
        for (int i = 0; i < 3; ++i)
            star->position[i] =
                static_cast<std::int32_t>(gInstant.frames.horizon[2][i] * sign * 1073741824.0);
        star->computeStamp = 0;
    }
    double az, alt;
    HorizonOf(down, &az, &alt);
    ASSERT_LT(alt, -80 * kDeg);
    PrepareChartFrame(Rect{0, 0, 800, 600}, ChartLegendHeight());

    EXPECT_EQ(CenterOnObject(MakeObjectID(FileID(77), 5)), 0);
    EXPECT_EQ(gChartView.centeredObject, 0);
    gDisplayOptions.showHorizonMask = true;
    gTelescopeStayCentred = true;
    EXPECT_EQ(CenterOnObject(up), 1);
    EXPECT_EQ(gChartView.centeredObject, up);
    EXPECT_FALSE(gTelescopeStayCentred);
    EXPECT_TRUE(RecordedMessages().empty());

    // Below the horizon with the mask on: Cancel, No (centre, keep the mask),
    // Yes (centre, drop the mask); then, the mask off, no question.
    const std::tuple<int, int, ObjectID, bool> answers[] = {{AnswerCancel, 0, up, true},
                                                            {AnswerNo, 1, down, true},
                                                            {AnswerYes, 1, down, false},
                                                            {AnswerYes, 1, down, false}};
    for (auto [reply, result, centred, mask] : answers) {
        SCOPED_TRACE(reply);
        answer = reply;
        gChartView.centeredObject = up;
        EXPECT_EQ(CenterOnObject(down), result);
        EXPECT_EQ(gChartView.centeredObject, centred);
        EXPECT_EQ(gDisplayOptions.showHorizonMask, mask);
    }
    ASSERT_EQ(RecordedMessages().size(), 3u);
    EXPECT_EQ(RecordedMessages()[0].number, 540);
    EXPECT_EQ(RecordedMessages()[0].buttons, ButtonsYesNoCancel);
    EXPECT_EQ(RecordedMessages()[0].text,
              "This object is currently below the horizon.  Since the horizon mask is on, the "
              "object will not be visible.  Do you want to remove the horizon mask now?");
    EXPECT_EQ(CenterOnObject(0), 1);
    EXPECT_EQ(gChartView.centeredObject, 0);
}

TEST_F(ViewCommandsTest, CenterMenusFindTheirObjectOrSaySo) {
    ObjectID vega = AddStar("Vega", 4.87, 0.67);
    AddStar("Marsh", 1.0, 0.2); // the exact name only: "Marsh" is not Mars
    ViewMenuCommand(31, 6);     // Mars
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].number, 523);
    EXPECT_EQ(RecordedMessages()[0].text,
              "There's no object containing the name \"Mars\" in memory!");
    EXPECT_EQ(gChartView.centeredObject, 0);
    ObjectID mars = AddStar("Mars", 1.0, 0.2);
    ViewMenuCommand(31, 6);
    EXPECT_EQ(gChartView.centeredObject, mars);

    // Center Object takes the selector's choice, without a horizon check.
    gDisplayOptions.showHorizonMask = true;
    gSelected = 0;
    ViewMenuCommand(259, 3);
    EXPECT_EQ(gChartView.centeredObject, mars) << "nothing chosen";
    gSelected = vega;
    ViewMenuCommand(259, 3);
    EXPECT_EQ(gChartView.centeredObject, vega);
    EXPECT_EQ(RecordedMessages().size(), 1u);

    // The horizon points: north, east, south, west, zenith, nadir.
    const double expected[6][2] = {{0, 0}, {90, 0}, {180, 0}, {270, 0}, {180, 90}, {180, -90}};
    for (int item = 1; item <= 6; ++item) {
        gChartView.coordinateSystem = kGalactic;
        gTelescopeStayCentred = true;
        ViewMenuCommand(32, item);
        EXPECT_EQ(gChartView.coordinateSystem, kHorizon);
        EXPECT_EQ(gChartView.centeredObject, 0);
        EXPECT_FALSE(gTelescopeStayCentred);
        EXPECT_DOUBLE_EQ(gChartView.centerLongitude, expected[item - 1][0] * kDeg) << item;
        EXPECT_DOUBLE_EQ(gChartView.centerLatitude, expected[item - 1][1] * kDeg) << item;
    }
}

TEST_F(ViewCommandsTest, ProjectionAndCoordinatesMenus) {
    gChartView.fieldWidth = 6.283185307;
    gChartView.projection = kMercator;
    ViewMenuCommand(33, 1); // no width check here
    EXPECT_EQ(gChartView.projection, kPlanar);
    EXPECT_TRUE(RecordedMessages().empty());

    // The centre keeps its place on the sky through a change of system.
    gChartView.coordinateSystem = kHorizon;
    gChartView.centerLongitude = 123 * kDeg;
    gChartView.centerLatitude = 33 * kDeg;
    double lon = gChartView.centerLongitude, lat = gChartView.centerLatitude;
    ConvertFrame(gInstant.frames, kHorizon, kEcliptic, &lon, &lat);
    ViewMenuCommand(34, 2);
    EXPECT_EQ(gChartView.coordinateSystem, kEcliptic);
    EXPECT_NEAR(gChartView.centerLongitude, lon, 1e-12);
    EXPECT_NEAR(gChartView.centerLatitude, lat, 1e-12);
    for (int item : {1, 3, 4})
        ViewMenuCommand(34, item);
    EXPECT_NEAR(gChartView.centerLongitude, 123 * kDeg, 1e-9);
    EXPECT_NEAR(gChartView.centerLatitude, 33 * kDeg, 1e-9);
    EXPECT_EQ(gInfoRefreshes, 4);
}

TEST_F(ViewCommandsTest, FieldDialogShowsAndReadsTheView) {
    gChartView.projection = kLambert;
    gChartView.fieldRotation = -12.25 * kDeg;
    gChartView.invertedVertically = true;
    SetDialogResponder(
        258,
        [](WindowRef d) {
            EXPECT_EQ(GetItemText(d, 4), "180 00 00.0");
            EXPECT_EQ(GetItemText(d, 6), "-12.2");
            EXPECT_EQ(GetItemText(d, 8), "2.0");
            EXPECT_EQ(GetItemText(d, 10), "36.0");
            EXPECT_EQ(GetItemValue(d, 12), 0);
            EXPECT_EQ(GetItemValue(d, 13), 1);
            SetItemText(d, 4, "45 30 36");
            SetItemText(d, 6, "12.5");
            SetItemText(d, 8, "three"); // not a number: kept
            SetItemText(d, 10, "0");    // no scroll step at all: refused
            SetItemValue(d, 12, 1);
            SetItemValue(d, 13, 0);
        },
        kOKButton);
    int updates = gMenuUpdates;
    ViewMenuCommand(259, 9);
    EXPECT_DOUBLE_EQ(gChartView.fieldWidth, (45 + 30 / 60.0 + 36 / 3600.0) * kDeg);
    EXPECT_DOUBLE_EQ(gChartView.fieldRotation, 12.5 * kDeg);
    EXPECT_DOUBLE_EQ(gChartView.zoomFactor, 2.0);
    EXPECT_DOUBLE_EQ(gChartView.scrollRate, 36.0);
    EXPECT_TRUE(gChartView.invertedHorizontally);
    EXPECT_FALSE(gChartView.invertedVertically);
    EXPECT_GT(gMenuUpdates, updates);
    EXPECT_TRUE(RecordedMessages().empty());

    // Cancel changes nothing; an empty width keeps the width.
    SetDialogResponder(
        258, [](WindowRef d) { SetItemText(d, 4, "1 00 00"); }, kCancelButton);
    ViewMenuCommand(259, 9);
    EXPECT_DOUBLE_EQ(gChartView.fieldWidth, (45 + 30 / 60.0 + 36 / 3600.0) * kDeg);
    SetDialogResponder(
        258,
        [](WindowRef d) {
            SetItemText(d, 4, "");
            SetItemText(d, 8, "1.5");
            SetItemText(d, 10, "72");
        },
        kOKButton);
    ViewMenuCommand(259, 9);
    EXPECT_DOUBLE_EQ(gChartView.fieldWidth, (45 + 30 / 60.0 + 36 / 3600.0) * kDeg);
    EXPECT_DOUBLE_EQ(gChartView.zoomFactor, 1.5);
    EXPECT_DOUBLE_EQ(gChartView.scrollRate, 72.0);

    // A width the projection can't show asks at once, from the dialog.
    gChartView.projection = kPlanar;
    answer = AnswerCancel;
    SetDialogResponder(
        258, [](WindowRef d) { SetItemText(d, 4, "150"); }, kOKButton);
    ViewMenuCommand(259, 9);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, SwitchText("Spherical"));
    EXPECT_EQ(gChartView.projection, kPlanar);
}

TEST_F(ViewCommandsTest, CenterCoordinatesDialogConvertsBetweenSystems) {
    gChartView.coordinateSystem = kHorizon;
    gChartView.centerLongitude = 200 * kDeg;
    gChartView.centerLatitude = 25 * kDeg;
    gChartView.centeredObject = 999;
    gTelescopeStayCentred = true;
    double epoch = gComputationOptions.precessionEpoch;
    SetDialogResponder(
        257,
        [epoch](WindowRef d) {
            EXPECT_EQ(FirstCheckedRadio(d, 4, 7), 7);
            EXPECT_EQ(GetItemText(d, 8), "Azimuth:");
            EXPECT_EQ(GetItemText(d, 10), "Altitude:");
            EXPECT_EQ(GetItemText(d, 9), "200.0000");
            EXPECT_EQ(GetItemText(d, 11), "+25.0000");
            // To equatorial: the fields are converted.
            PressButton(d, 4);
            EXPECT_EQ(FirstCheckedRadio(d, 4, 7), 4);
            double lon = 200 * kDeg, lat = 25 * kDeg;
            ConvertFrame(gInstant.frames, kHorizon, kEquatorial, &lon, &lat);
            std::string lonText, latText, lonLabel, latLabel;
            FormatCoordinates(kEquatorial, lon, lat, kCoordinateValues, epoch, lonText, latText);
            FormatCoordinates(kEquatorial, lon, lat, kCoordinateLabels, epoch, lonLabel, latLabel);
            EXPECT_EQ(GetItemText(d, 8), lonLabel);
            EXPECT_EQ(GetItemText(d, 9), lonText);
            EXPECT_EQ(GetItemText(d, 11), latText);
            // New values in hours and degrees.
            SetItemText(d, 9, "05 30 00");
            SetItemText(d, 11, "-10 15 00");
        },
        kOKButton);
    ViewMenuCommand(259, 4);
    EXPECT_EQ(gChartView.coordinateSystem, kEquatorial);
    EXPECT_DOUBLE_EQ(gChartView.centerLongitude, 5.5 * 0.26179938781323336);
    EXPECT_DOUBLE_EQ(gChartView.centerLatitude, -10.25 * kDeg);
    EXPECT_EQ(gChartView.centeredObject, 0);
    EXPECT_FALSE(gTelescopeStayCentred);

    // Galactic in decimal degrees; a field without a number keeps its value,
    // and a round trip through another system comes back.
    SetDialogResponder(
        257,
        [](WindowRef d) {
            PressButton(d, 6);
            EXPECT_EQ(GetItemText(d, 8), "Galactic Lon:");
            SetItemText(d, 9, "123.25");
            SetItemText(d, 11, "north");
            PressButton(d, 5);
            PressButton(d, 6);
        },
        kOKButton);
    double lon = gChartView.centerLongitude, lat = gChartView.centerLatitude;
    ConvertFrame(gInstant.frames, kEquatorial, kGalactic, &lon, &lat);
    ViewMenuCommand(259, 4);
    EXPECT_EQ(gChartView.coordinateSystem, kGalactic);
    // Four decimals of a degree on the way through the ecliptic fields.
    EXPECT_NEAR(gChartView.centerLongitude, 123.25 * kDeg, 3e-6);
    EXPECT_NEAR(gChartView.centerLatitude, lat, 3e-6);

    // Cancel leaves everything.
    SetDialogResponder(
        257, [](WindowRef d) { PressButton(d, 4); }, kCancelButton);
    ViewMenuCommand(259, 4);
    EXPECT_EQ(gChartView.coordinateSystem, kGalactic);
    EXPECT_NEAR(gChartView.centerLongitude, 123.25 * kDeg, 3e-6);
}

// ---------------------------------------------------------------------------
// Scroll bars

TEST_F(ViewCommandsTest, ScrollBarPositionsFollowTheCentre) {
    OpenChartWindow();
    struct Case {
        int system;
        double lon, lat; // degrees
        long horizontal, vertical;
    } cases[] = {
        {kHorizon, 90, 10.6, 91, -11},      {kHorizon, 0, -10.4, 1, 10},
        {kHorizon, 358.9, 45, 360, -45},    {kEquatorial, 90, 0, 269, 0},
        {kEquatorial, 0, -89.6, 359, 90},   {kGalactic, 358.2, 30.6, 1, -31},
        {kEcliptic, 180.2, -30.6, 179, 31},
    };
    for (const Case& c : cases) {
        gChartView.coordinateSystem = static_cast<std::int16_t>(c.system);
        gChartView.centerLongitude = c.lon * kDeg;
        gChartView.centerLatitude = c.lat * kDeg;
        UpdateScrollBars();
        EXPECT_EQ(GetItemValue(window, kHorizontalScrollBar), c.horizontal)
            << c.system << " " << c.lon;
        EXPECT_EQ(GetItemValue(window, kVerticalScrollBar), c.vertical) << c.lat;
    }
    gDisplayOptions.showChartControls = true;
    UpdateScrollBars();
    EXPECT_TRUE(IsItemVisible(window, kVerticalScrollBar));
    EXPECT_TRUE(IsItemVisible(window, kHorizontalScrollBar));
    gDisplayOptions.showChartControls = false;
    UpdateScrollBars();
    EXPECT_FALSE(IsItemVisible(window, kVerticalScrollBar));
    EXPECT_FALSE(IsItemVisible(window, kHorizontalScrollBar));
}

TEST_F(ViewCommandsTest, ScrollingStepsWrapAndStopShortOfThePoles) {
    OpenChartWindow();
    ChartView& v = gChartView;
    v.fieldWidth = 36 * kDeg; // one arrow step: 1 degree at 36 per field; a page half the field
    struct Case {
        int system, bar, action;
        double from, to; // degrees of longitude or latitude
    } cases[] = {
        {kEquatorial, kHorizontalScrollBar, ScrollLineUp, 100, 101}, // line left
        {kHorizon, kHorizontalScrollBar, ScrollLineUp, 100, 99},     // the other way
        {kHorizon, kHorizontalScrollBar, ScrollPageDown, 100, 118},
        {kEquatorial, kHorizontalScrollBar, ScrollLineUp, 359.5, 0.5}, // wraps into [0, 360)
        {kEquatorial, kHorizontalScrollBar, ScrollLineDown, 0.5, 359.5},
        {kEquatorial, kHorizontalScrollBar, 8, 10, 10}, // no scroll action
        {kEquatorial, 3, ScrollLineUp, 10, 10},         // no scroll bar
        {kEquatorial, kVerticalScrollBar, ScrollPageUp, 80, kPole},
        {kEquatorial, kVerticalScrollBar, ScrollPageDown, -80, -kPole},
        {kEquatorial, kVerticalScrollBar, ScrollLineDown, -89.5, -kPole}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.system) + " " + std::to_string(c.action) + " from " +
                     std::to_string(c.from));
        v.coordinateSystem = static_cast<std::int16_t>(c.system);
        double& value = c.bar == kVerticalScrollBar ? v.centerLatitude : v.centerLongitude;
        value = c.from * kDeg;
        HandleScroll(c.bar, c.action);
        EXPECT_NEAR(value, c.to * kDeg, 1e-9);
    }
    EXPECT_EQ(GetItemValue(window, kVerticalScrollBar), 90) << "after rendering, the centre";
    // The thumb: 360 - position degrees (Horizon: position - 1); latitude
    // the negated position.
    const std::tuple<int, int, int, int, double> thumbs[] = {
        {kEquatorial, kHorizontalScrollBar, ScrollThumbReleased, 100, 260},
        {kHorizon, kHorizontalScrollBar, ScrollThumbTracking, 100, 99},
        {kHorizon, kHorizontalScrollBar, ScrollThumbTracking, 1, 0},
        {kEquatorial, kVerticalScrollBar, ScrollThumbReleased, -30, 30}};
    for (auto [system, bar, action, position, degrees] : thumbs) {
        v.coordinateSystem = static_cast<std::int16_t>(system);
        SetItemValue(window, bar, position);
        HandleScroll(bar, action);
        EXPECT_DOUBLE_EQ(bar == kVerticalScrollBar ? v.centerLatitude : v.centerLongitude,
                         degrees * kDeg)
            << position;
    }
}

TEST_F(ViewCommandsTest, ScrollingDropsTheCentredObjectAndTheTelescopeMode) {
    OpenChartWindow();
    ObjectID star = AddStar("Deneb", 5.4, 0.79);
    gChartView.centeredObject = star;
    gTelescopeStayCentred = true;
    int updates = gMenuUpdates;
    HandleScroll(kVerticalScrollBar, ScrollLineUp);
    EXPECT_EQ(gChartView.centeredObject, 0);
    EXPECT_FALSE(gTelescopeStayCentred);
    EXPECT_GT(gMenuUpdates, updates); // the telescope was on
    // Shift without a centred object is a plain scroll.
    double lat = gChartView.centerLatitude;
    ScrollChart(kVerticalScrollBar, ScrollLineUp, true);
    EXPECT_NEAR(gChartView.centerLatitude, lat + gChartView.fieldWidth / 36, 1e-12);
    EXPECT_EQ(gViewer.viewerObject, 0);
}

TEST_F(ViewCommandsTest, ShiftScrollOrbitsTheCentredObject) {
    OpenChartWindow();
    ObjectID star = AddStar("Near", 1.0, 0.3, 2.0e5f);
    gChartView.coordinateSystem = kEquatorial;
    gChartView.centeredObject = star;
    PrepareChartFrame(Rect{0, 0, 800, 600}, ChartLegendHeight());
    double lon = gChartView.centerLongitude, lat = gChartView.centerLatitude;
    EXPECT_NEAR(lon, 1.0, 1e-3);
    double distance = ObjectDistance(getObject(star));
    ASSERT_TRUE(std::isfinite(distance));
    Matrix3 equatorial;
    CopyMatrix(gInstant.frames.equatorial, equatorial);

    ScrollChart(kHorizontalScrollBar, ScrollLineUp, true); // half a turn per 36 steps
    EXPECT_EQ(gChartView.centeredObject, star);
    EXPECT_EQ(gViewer.viewerObject, star);
    Vector3 offset{gViewer.viewerObjectOffset[0], gViewer.viewerObjectOffset[1],
                   gViewer.viewerObjectOffset[2]};
    EXPECT_NEAR(VectorLength(offset), distance, distance * 1e-9);
    // The object is seen from there in the new centre direction.
    Vector3 seen{-offset[0], -offset[1], -offset[2]};
    TransformVector(equatorial, seen);
    double seenLon, seenLat;
    RectangularToSpherical(seen, &seenLon, &seenLat, nullptr);
    EXPECT_NEAR(seenLon, lon + 3.141592654 / 36, 1e-9);
    EXPECT_NEAR(seenLat, lat, 1e-9);

    // An object without a distance can't be orbited: the view stays.
    setViewerDefaults();
    PrepareComputation();
    ObjectID far = AddStar("Far", 2.0, -0.3);
    gChartView.centeredObject = far;
    ScrollChart(kVerticalScrollBar, ScrollLineDown, true);
    EXPECT_EQ(gChartView.centeredObject, far);
    EXPECT_EQ(gViewer.viewerObject, 0);
}

// ---------------------------------------------------------------------------
// The chart window's handler: dragging and double-clicking move the centre,
// the arrow keys scroll, 't' times redraws; Shift+A and Shift+Z slide the
// viewpoint along the line of sight to a centred object.

class ChartWindowTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        gChartView.coordinateSystem = kEquatorial;
        gChartView.projection = kLambert;
        gChartView.centerLongitude = 1.0;
        gChartView.centerLatitude = 0.2;
        gChartView.fieldWidth = 90.0 * kDegree;
        gViewer.julianDate = kEpoch2000;
        PrepareComputation();
        window = CreateChartWindow();
        ASSERT_NE(window, nullptr);
        RenderChart();
    }
    // The chart-frame longitude and latitude of the sky under a pixel.
    static bool SkyAt(int x, int y, double* lon, double* lat) {
        Vector3 v;
        if (!UnprojectPoint(x, y, v)) return false;
        TransformVector(*FrameMatrix(gInstant.frames, gChartView.coordinateSystem), v);
        RectangularToSpherical(v, lon, lat, nullptr);
        return true;
    }
    void Send(int event, long a, long b = 0) { SendWindowEvent(window, event, a, b); }

    WindowRef window = nullptr;
};

TEST_F(ChartWindowTest, DraggingPansAndPutsTheDetailsBackOnRelease) {
    const DisplayOptions before = gDisplayOptions;
    int x = gFrame.centerX, y = gFrame.centerY;
    // Dragging 40 pixels right and 10 down brings the sky that was 40 left
    // and 10 up of the centre to the centre.
    double lon = 0.0, lat = 0.0;
    ASSERT_TRUE(SkyAt(x - 40, y - 10, &lon, &lat));

    Send(MouseDown, x, y);
    EXPECT_TRUE(DragInProgress());
    EXPECT_FALSE(gDisplayOptions.showConstellationBoundaries) << "lighter while dragging";
    EXPECT_FALSE(gDisplayOptions.showConstellationLabels);
    EXPECT_FALSE(gDisplayOptions.showObjectLabels);
    EXPECT_EQ(gDisplayOptions.faintestStarMagnitude, before.faintestStarMagnitude - 100);
    Send(MouseDrag, x + 40, y + 10);
    EXPECT_NEAR(gChartView.centerLongitude, lon, 1e-9);
    EXPECT_NEAR(gChartView.centerLatitude, lat, 1e-9);
    // The next step is measured from where the mouse was last.
    double lon2 = 0.0, lat2 = 0.0;
    ASSERT_TRUE(SkyAt(gFrame.centerX - 5, gFrame.centerY, &lon2, &lat2));
    Send(MouseDrag, x + 45, y + 10);
    EXPECT_NEAR(gChartView.centerLongitude, lon2, 1e-9);
    EXPECT_NEAR(gChartView.centerLatitude, lat2, 1e-9);
    Send(MouseUp, x + 45, y + 10);

    EXPECT_FALSE(DragInProgress());
    auto details = [](const DisplayOptions& o) {
        return std::tuple(o.showConstellationBoundaries, o.showConstellationLabels,
                          o.showObjectLabels, o.faintestStarMagnitude, o.brightestStarMagnitude,
                          o.faintestDeepSkyLabelMagnitude);
    };
    EXPECT_EQ(details(gDisplayOptions), details(before));
    Send(MouseUp, 0, 0);
    EXPECT_EQ(details(gDisplayOptions), details(before)) << "a release without a press";
}

TEST_F(ChartWindowTest, DoubleClickRecentresOnTheSkyOnly) {
    double lon = 0.0, lat = 0.0;
    ASSERT_TRUE(SkyAt(120, 90, &lon, &lat));
    gChartView.centeredObject = 77; // a centred object is let go
    Send(DoubleClick, 120, 90);
    EXPECT_NEAR(gChartView.centerLongitude, lon, 1e-9);
    EXPECT_NEAR(gChartView.centerLatitude, lat, 1e-9);
    EXPECT_EQ(gChartView.centeredObject, 0);

    // Outside the disc of a Spherical chart there is no sky to centre on.
    gChartView.projection = kSpherical;
    gChartView.fieldWidth = 170.0 * kDegree;
    RenderChart();
    const ChartView view = gChartView;
    Vector3 v;
    ASSERT_FALSE(UnprojectPoint(gFrame.left, gFrame.top, v));
    Send(DoubleClick, gFrame.left, gFrame.top);
    EXPECT_EQ(gChartView.centerLongitude, view.centerLongitude);
    EXPECT_EQ(gChartView.centerLatitude, view.centerLatitude);
    // Nor beyond the drag's reach: a press there leaves the centre too.
    Send(MouseDown, gFrame.left + 1, gFrame.top + 1);
    Send(MouseDrag, gFrame.left + 30, gFrame.top + 1);
    Send(MouseUp, gFrame.left + 30, gFrame.top + 1);
    EXPECT_FALSE(std::isnan(gChartView.centerLongitude));
}

TEST_F(ChartWindowTest, ArrowKeysScrollLikeTheBarsArrows) {
    const double step = gChartView.fieldWidth / gChartView.scrollRate;
    const double lon = gChartView.centerLongitude, lat = gChartView.centerLatitude;
    Send(KeyDown, VKLeft);
    EXPECT_NEAR(gChartView.centerLongitude, lon + step, 1e-12) << "east is left on the sky";
    Send(KeyDown, VKUp);
    EXPECT_NEAR(gChartView.centerLatitude, lat + step, 1e-12);
    gChartView.coordinateSystem = kHorizon; // the horizontal arrows run the other way
    Send(KeyDown, VKLeft);
    EXPECT_NEAR(gChartView.centerLongitude, lon, 1e-12);
}

TEST_F(ChartWindowTest, TypingTTwiceReportsTheRedrawsBetween) {
    ClearRecordedMessages();
    Send(KeyDown, 0, 't');
    EXPECT_TRUE(RecordedMessages().empty());
    for (int i = 0; i < 3; ++i)
        Send(Resize, 800, 600); // each resize renders the chart
    Send(KeyDown, 0, 't');
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].number, 269);
    const std::string& text = RecordedMessages()[0].text;
    EXPECT_EQ(text.rfind("The total elapsed time for 3 window redrawings was ", 0), 0u) << text;
    EXPECT_NE(text.find("frames per second"), std::string::npos);
    EXPECT_EQ(RedrawCount(), 0) << "timing stopped";
    messages -= 1; // the report is the one message this case expects
}

TEST_F(ChartWindowTest, ShiftAAndZSlideTheViewpointAlongTheLineOfSight) {
    AddLine(kSunLine);
    AddLine(kEarthLine);
    // A spacecraft 2 AU from the Sun, seen from the Earth.
    Orbit orbit{2.0};
    orbit.meanAnomaly = 1.0;
    SolarSystemObject* craft = AddBody(kTypeSpacecraft, orbit);
    PrepareComputation();
    EnsureComputed(craft);
    double distance = craft->distance;
    ASSERT_TRUE(std::isfinite(distance));
    Vector3 u;
    ObjectDirection(craft, u);

    // Without Shift the letters do nothing; with nothing centred neither
    // does the slide.
    gChartView.centeredObject = craft->id;
    Send(KeyDown, 0, 'A');
    EXPECT_EQ(gViewer.viewerObject, 0);
    gChartView.centeredObject = 0;
    EXPECT_FALSE(SlideViewpoint(true));
    EXPECT_EQ(gViewer.viewerObject, 0);

    gChartView.centeredObject = craft->id;
    double f = std::min(3.141592654 / gChartView.scrollRate, 0.5);
    ASSERT_TRUE(SlideViewpoint(true));
    ASSERT_EQ(gViewer.viewerObject, craft->id);
    double closer = distance * (1.0 - f);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(gViewer.viewerObjectOffset[i], -closer * u[i], 1e-7 * distance) << i;
    // Seen from the new viewpoint the craft is that far, in the same direction.
    EnsureComputed(craft);
    EXPECT_NEAR(craft->distance, closer, 1e-6 * distance);
    Vector3 seen;
    ObjectDirection(craft, seen);
    EXPECT_NEAR(DotProduct(seen, u), 1.0, 1e-8);

    ASSERT_TRUE(SlideViewpoint(false));
    EnsureComputed(craft);
    EXPECT_NEAR(craft->distance, closer * (1.0 + f), 1e-6 * distance);
}

} // namespace
