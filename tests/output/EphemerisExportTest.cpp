// The ephemeris file: header and headings written out by hand byte for byte
// (degree 0xB0, micro 0xB5), the rows each range of dates gives, the bad
// inputs, and the Save Ephemeris dialog.

#include "output/EphemerisExport.h"
#include "output/PictureExport.h"

#include "astro/ComputationOptions.h"
#include "astro/Frames.h"
#include "astro/Viewer.h"
#include "data/Driver.h"
#include "data/Ephemeris.h"
#include "data/ObjectStore.h"
#include "data/SkyObject.h"
#include "shell/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include <unistd.h>

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;
constexpr double kJ2000 = 2451545.0;
constexpr double kFixed = 1073741824.0; // 2^30

int gFrame = kFrameHorizon;
int TestFrame() {
    return gFrame;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class EphemerisExport : public testing::Test {
protected:
    void SetUp() override {
        SetMessageResponder([](const MessageRecord&) { return int{AnswerOK}; });
        ClearRecordedMessages();
        ASSERT_TRUE(initObjectStore(std::int64_t{1} << 30));
        fileId = attachFile(newFile("Eph.nvd"));
        setViewerDefaults();
        setComputationOptionsDefaults();
        setDriverDefaults();
        setEphemerisDefaults();
        gComputationOptions.precession = false;
        gComputationOptions.precessionEpoch = kJ2000;
        gViewer.julianDate = kJ2000;
        gFrame = kFrameHorizon;
        setCurrentFrameQuery(TestFrame);
        mars = Add(NewSolarSystemObject(5), "Mars");
        Add(NewSolarSystemObject(kTypeEarth), "Earth");
        CatalogObject* star = NewCatalogObject(kTypeGalaxy);
        const double ra = 101.287 * kDegree, dec = -16.716 * kDegree;
        star->position[0] = static_cast<std::int32_t>(std::cos(dec) * std::cos(ra) * kFixed);
        star->position[1] = static_cast<std::int32_t>(std::cos(dec) * std::sin(ra) * kFixed);
        star->position[2] = static_cast<std::int32_t>(std::sin(dec) * kFixed);
        star->catalogDistance = star->radialVelocity = std::numeric_limits<float>::infinity();
        star->name = CopyText("Galaxy");
        galaxy = addObject(star, fileId);
        dir = testing::TempDir() + "norvane-ephemeris-" + std::to_string(getpid());
        std::filesystem::create_directories(dir);
        path = dir + "/out.eph";
    }
    void TearDown() override {
        setObjectStoreDefaults();
        SetMessageResponder(nullptr);
        ResetPlatform();
        std::filesystem::remove_all(dir);
    }
    template <typename Object> ObjectID Add(Object* object, const char* name) {
        object->name = CopyText(name);
        return addObject(object, fileId);
    }
    // The rows of a file written for the range: the lines after the headings.
    int Rows(ObjectID id, double start, double end, double step) {
        EXPECT_TRUE(WriteEphemerisFile(id, start, end, step, path));
        const std::string text = ReadAll(path);
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "CR LF line ends";
        std::size_t table = text.find("Time:");
        if (table == std::string::npos) return -1;
        int rows = -1;
        for (std::size_t at = table; (at = text.find("\r\n", at)) != std::string::npos; at += 2)
            ++rows;
        return rows;
    }
    ObjectID fileId = 0, mars = 0, galaxy = 0;
    std::string dir, path;
};

TEST_F(EphemerisExport, HeaderAndHeadingsByteForByte) {
    SetViewerSiteName("Mount Wilson");
    gViewer.longitude = -118.06 * kDegree;
    gViewer.latitude = 34.22 * kDegree;
    gViewer.altitude = 1742.0;
    gViewer.timeZone = -8.0 / 24.0;
    gViewer.daylightSavings = true;
    // July: the zone in force is an hour ahead of the standard one.
    EXPECT_EQ(EphemerisHeader(getObject(mars), 2460862.0),
              "Ephemeris for: Mars\n\nViewed from: Mount Wilson\nEast Longitude: -118 03 36\n"
              "North Latitude:  +34 13 12\nAltitude: 1742.0 m\nTime Zone: -7.0 hrs\n\n");
    gViewer.viewerObject = mars;
    EXPECT_EQ(EphemerisHeader(getObject(galaxy), kJ2000),
              "Ephemeris for: Galaxy\n\nViewed from: Mars\n");
    EXPECT_EQ(EphemerisHeadings(5),
              " Date:      Time:   \t R.A. (2000.0):\t Dec. (2000.0):\t Dist(AU):\t      Mag:\t"
              "       Azimuth:\t      Altitude:\tRises:\tSets:\t  Size(\"):\t    Illum:\t"
              "    L0(\xB0):\t    B0(\xB0):\t    PN(\xB0):\n");
    gFrame = kFrameEcliptic;
    EXPECT_EQ(EphemerisHeadings(kTypeGalaxy),
              "Date:       Time:    \t R.A. (2000.0):\t Dec. (2000.0):\t Dist(pc):\t      Mag:\t"
              "  Ecliptic Lon:\t  Ecliptic Lat:\tRises:\tSets:\t   \xB5RA(s):\t  \xB5"
              "Dec(\"):\t  RV(kps):\n");
    EXPECT_EQ(EphemerisHeadings(kTypeSite), "");
}

TEST_F(EphemerisExport, RowsForEachRangeAndTheContextPutBack) {
    const struct {
        ObjectID* id;
        double start, end, step;
        int rows;
    } cases[] = {{&mars, kJ2000, kJ2000, 1.0, 1},
                 {&mars, kJ2000, kJ2000 + 1, 0.5, 3},
                 {&galaxy, kJ2000, kJ2000 + 1, 0.5, 3},
                 {&mars, kJ2000 + 1, kJ2000, 1.0, 0},
                 {&mars, kJ2000, kJ2000 + 364, 10.0, 37}};
    gViewer.julianDate = 2450000.5;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << *c.id << " " << c.end - c.start << " " << c.step);
        EXPECT_EQ(Rows(*c.id, c.start, c.end, c.step), c.rows);
        EXPECT_EQ(gViewer.julianDate, 2450000.5);
    }
    // A star's row: no distance, magnitude or radial velocity known, no motion.
    Rows(galaxy, kJ2000, kJ2000, 1.0);
    const std::string text = ReadAll(path), row = text.substr(text.rfind(":\r\n") + 3);
    EXPECT_TRUE(row.starts_with(
        " 2000/01/01 12:00:00\t    06 45 08.88\t    -16 42 57.6\t       inf\t    327.67\t"))
        << row;
    EXPECT_TRUE(row.ends_with("0\t    +0.000\t      +inf\r\n")) << row;
    // A site has no table: the header alone.
    ObjectID site = Add(NewSiteObject(), "Home");
    EXPECT_EQ(Rows(site, kJ2000, kJ2000 + 5, 1.0), -1);
}

TEST_F(EphemerisExport, BadInputWritesNothing) {
    std::ofstream(path) << "old";
    FreeObject(removeObject(galaxy));
    EXPECT_FALSE(WriteEphemerisFile(galaxy, kJ2000, kJ2000, 1.0, path));
    EXPECT_EQ(RecordedMessages().back().number, 513);
    EXPECT_FALSE(WriteEphemerisFile(mars, kJ2000, kJ2000 + 1, 0.0, path)) << "a step of 0";
    EXPECT_FALSE(WriteEphemerisFile(mars, kJ2000, kJ2000, 1.0, dir + "/none/x.eph"));
    EXPECT_EQ(RecordedMessages().back().text,
              "Norvane can't open the file \"x.eph\"!  It may be missing or in use by another "
              "program.");
    EXPECT_EQ(ReadAll(path), "old");
    // A chart picture that can't be written says so too.
    EXPECT_FALSE(SaveChartPicture(dir + "/none/chart.wmf"));
    EXPECT_EQ(RecordedMessages().back().number, 257);
}

// The dialog refuses a step that would never reach the end and stays open;
// a vanished object is forgotten and Save As greyed.
TEST_F(EphemerisExport, DialogReadsItsFieldsAndWritesTheFile) {
    gEphemerisRequest.object = mars;
    std::string shown[3];
    SetFileDialogResponder([&](int title, std::string& chosen) {
        chosen = path;
        return title == 740;
    });
    SetDialogResponder(
        kSaveEphemerisTemplate,
        [&](WindowRef d) {
            shown[0] = GetItemText(d, 4) + "|" + GetItemText(d, 7) + "|" + GetItemText(d, 11);
            SetItemText(d, 11, "0");
            SendWindowEvent(d, ControlNotify, 1, NotifyClicked);
            shown[1] = std::to_string(RecordedMessages().back().number) +
                       (ModalDialog() == d ? " open" : " closed");
            SetItemText(d, 7, "2000/01/01 12:00:00");
            SetItemText(d, 9, "2000/01/02 12:00:00");
            SetItemText(d, 11, "0.5");
        },
        kEphemerisSaveButton);
    exportEphemerisCommand();
    EXPECT_EQ(shown[0], "Mars|2000/01/01 12:00:00|1.0000");
    EXPECT_EQ(shown[1], "548 open");
    const std::string text = ReadAll(path);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12);
    FreeObject(removeObject(mars));
    SetDialogResponder(
        kSaveEphemerisTemplate,
        [&](WindowRef d) { shown[2] = GetItemText(d, 4) + (IsItemEnabled(d, 1) ? "" : " grey"); },
        kEphemerisCancelButton);
    exportEphemerisCommand();
    EXPECT_EQ(shown[2], "Object not selected! grey");
    EXPECT_EQ(gEphemerisRequest.object, 0);
    SetFileDialogResponder(nullptr);
    ClearDialogResponders();
}

} // namespace
