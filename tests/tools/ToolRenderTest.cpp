// norvane-tool render on the default database the build made: the picture
// files it writes (their headers read byte by byte, BMP pixels too), the one
// line of counts it prints, and the usage and write errors that leave no file.

#include "tests/tools/ToolRunner.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// 1999 December 31, 21h UT, from 51.5 degrees north on the Greenwich
// meridian: a winter night with the Pleiades near the meridian.
const char* const kNight = "--jd 2451544.375 --site 0,51.5";
// 2000 January 1, noon UT, same place: the Sun some 15 degrees up.
const char* const kNoon = "--jd 2451545.0 --site 0,51.5";
const char* const kWholeSky = "--frame Equatorial --projection Mollweide --field 360 --grid";
// A two-degree field on the Pleiades (M45).
const char* const kPleiades = "--frame Equatorial --center 56.75,24.12 --field 2";

struct Counts {
    long stars = -1, deepSky = -1, bodies = -1;
    int files = -1;
};

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t BigEndian32(const std::vector<unsigned char>& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
           (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}
std::uint32_t LittleEndian32(const std::vector<unsigned char>& b, std::size_t at) {
    return b[at] | (std::uint32_t{b[at + 1]} << 8) | (std::uint32_t{b[at + 2]} << 16) |
           (std::uint32_t{b[at + 3]} << 24);
}
std::uint16_t LittleEndian16(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// A PNG's size from its signature and first (IHDR) chunk; false when the
// bytes don't begin a PNG.
bool PngSize(const std::vector<unsigned char>& b, std::uint32_t* width, std::uint32_t* height) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (b.size() < 33) return false;
    for (int i = 0; i < 8; ++i)
        if (b[i] != kSignature[i]) return false;
    if (BigEndian32(b, 8) != 13 || std::string(b.begin() + 12, b.begin() + 16) != "IHDR")
        return false;
    *width = BigEndian32(b, 16);
    *height = BigEndian32(b, 20);
    return true;
}

// An uncompressed BMP: its header fields and pixels.
struct Bitmap {
    bool ok = false;
    std::uint32_t fileSize = 0, dataOffset = 0, headerSize = 0;
    std::int32_t width = 0, height = 0; // height negative: rows top-down
    int bitsPerPixel = 0;
    std::uint32_t compression = 0;
    std::vector<unsigned char> bytes;

    int Rows() const { return height < 0 ? -height : height; }
    std::size_t Stride() const {
        return (static_cast<std::size_t>(width) * bitsPerPixel / 8 + 3) / 4 * 4;
    }
    // (red, green, blue) of pixel (x, y), y counted from the top.
    std::array<int, 3> At(int x, int y) const {
        int row = height < 0 ? y : Rows() - 1 - y;
        std::size_t at =
            dataOffset + row * Stride() + static_cast<std::size_t>(x) * bitsPerPixel / 8;
        return {bytes[at + 2], bytes[at + 1], bytes[at]};
    }
};

Bitmap ReadBitmap(const std::string& path) {
    Bitmap bmp;
    bmp.bytes = ReadBytes(path);
    const auto& b = bmp.bytes;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return bmp;
    bmp.fileSize = LittleEndian32(b, 2);
    bmp.dataOffset = LittleEndian32(b, 10);
    bmp.headerSize = LittleEndian32(b, 14);
    bmp.width = static_cast<std::int32_t>(LittleEndian32(b, 18));
    bmp.height = static_cast<std::int32_t>(LittleEndian32(b, 22));
    if (LittleEndian16(b, 26) != 1) return bmp; // planes
    bmp.bitsPerPixel = LittleEndian16(b, 28);
    bmp.compression = LittleEndian32(b, 30);
    bmp.ok = true;
    return bmp;
}

std::string ReadText(const std::string& path) {
    std::vector<unsigned char> b = ReadBytes(path);
    return std::string(b.begin(), b.end());
}

// Everything in a directory but "." and "..".
std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(d);
    }
    return names;
}

class ToolRender : public ScratchDirTest {
protected:
    static ToolRun Render(const std::string& arguments) {
        return Tool("--program-dir '" + ShippedProgramDir() + "' render " + arguments);
    }
    // Renders and reads the one line of counts; a failure is recorded.
    Counts RenderCounts(const std::string& arguments) {
        ToolRun run = Render(arguments);
        Counts c;
        EXPECT_EQ(run.status, 0) << arguments << "\n" << run.err;
        EXPECT_EQ(run.err, "") << arguments;
        if (std::sscanf(run.out.c_str(),
                        "%ld stars, %ld deep-sky objects, %ld bodies drawn; %d files loaded",
                        &c.stars, &c.deepSky, &c.bodies, &c.files) != 4) {
            ADD_FAILURE() << "not a line of counts: \"" << run.out << "\"";
            return Counts{};
        }
        char line[160];
        std::snprintf(line, sizeof line,
                      "%ld stars, %ld deep-sky objects, %ld bodies drawn; %d files loaded\n",
                      c.stars, c.deepSky, c.bodies, c.files);
        EXPECT_EQ(run.out, line) << "exactly one line";
        return c;
    }
};

TEST_F(ToolRender, WritesAPngOfTheAskedSizeAndCountsWhatItDrew) {
    const std::string out = Path("sky.png");
    Counts whole = RenderCounts(std::string(kNight) + " " + kWholeSky +
                                " --faintest 9 --size 320x200 --out '" + out + "'");
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(PngSize(ReadBytes(out), &width, &height)) << "a PNG signature and IHDR chunk";
    EXPECT_EQ(width, 320u);
    EXPECT_EQ(height, 200u);
    // Half the sky is above the horizon: thousands of stars to magnitude 9,
    // hundreds of deep-sky objects, and a few of the Sun's family (the Sun
    // itself is down).
    EXPECT_GT(whole.stars, 5000);
    EXPECT_GT(whole.deepSky, 50);
    EXPECT_GE(whole.bodies, 1);
    EXPECT_LT(whole.bodies, 200) << "only bodies bright enough are drawn";

    const std::string narrow = Path("m45.png");
    Counts pleiades = RenderCounts(std::string(kNight) + " " + kPleiades +
                                   " --faintest 9 --size 200x150 --out '" + narrow + "'");
    ASSERT_TRUE(PngSize(ReadBytes(narrow), &width, &height));
    EXPECT_EQ(width, 200u);
    EXPECT_EQ(height, 150u);
    // The cluster's six brightest members and M45 itself at least.
    EXPECT_GE(pleiades.stars, 6);
    EXPECT_GE(pleiades.deepSky, 1);
    EXPECT_LT(pleiades.stars, whole.stars);

    // The files a chart of the brightest stars only needs are the ones the
    // database keeps in use; the faint star files are loaded only for their
    // part of the sky.
    Counts bright = RenderCounts(std::string(kNight) + " " + kPleiades + " --size 200x150 --out '" +
                                 narrow + "'");
    EXPECT_GT(bright.files, 0);
    EXPECT_GE(pleiades.files, bright.files);
    EXPECT_LE(pleiades.files, bright.files + 4) << "a few files around the Pleiades";
    EXPECT_GT(whole.files, pleiades.files + 10) << "the whole sky loads most star files";
    EXPECT_LE(bright.stars, pleiades.stars);
}

TEST_F(ToolRender, BmpAndSvgOutputs) {
    const std::string bmpPath = Path("chart.bmp");
    RenderCounts(std::string(kNight) + " --size 123x77 --out '" + bmpPath + "'");
    Bitmap bmp = ReadBitmap(bmpPath);
    ASSERT_TRUE(bmp.ok) << "\"BM\" and one plane";
    EXPECT_EQ(bmp.fileSize, bmp.bytes.size()) << "the size field is the file's size";
    EXPECT_EQ(bmp.width, 123);
    EXPECT_EQ(bmp.Rows(), 77);
    EXPECT_GE(bmp.headerSize, 40u);
    EXPECT_EQ(bmp.compression, 0u);
    ASSERT_TRUE(bmp.bitsPerPixel == 24 || bmp.bitsPerPixel == 32) << bmp.bitsPerPixel;
    EXPECT_GE(bmp.dataOffset, 14u + bmp.headerSize);
    EXPECT_LE(bmp.dataOffset + bmp.Stride() * bmp.Rows(), bmp.bytes.size())
        << "every row of pixels is there";

    const std::string svgPath = Path("chart.svg");
    RenderCounts(std::string(kNight) + " --size 640x400 --out '" + svgPath + "'");
    std::string svg = ReadText(svgPath);
    std::size_t element = svg.find("<svg");
    ASSERT_NE(element, std::string::npos) << svg.substr(0, 200);
    std::size_t end = svg.find('>', element);
    ASSERT_NE(end, std::string::npos);
    std::string tag = svg.substr(element, end - element);
    EXPECT_NE(tag.find("viewBox=\"0 0 640 400\""), std::string::npos) << tag;
    EXPECT_NE(svg.find("</svg>"), std::string::npos) << "a complete document";

    // Letter case of the extension doesn't matter, and a second render
    // replaces the first picture.
    const std::string upper = Path("CHART.PNG");
    RenderCounts(std::string(kNight) + " --size 40x30 --out '" + upper + "'");
    RenderCounts(std::string(kNight) + " --size 60x20 --out '" + upper + "'");
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(PngSize(ReadBytes(upper), &width, &height));
    EXPECT_EQ(width, 60u);
    EXPECT_EQ(height, 20u);
    EXPECT_EQ(Entries(dir_).size(), 3u) << "no temporary files left beside the pictures";
}

TEST_F(ToolRender, SkyBackgroundOptionInTheBitmapsPixels) {
    // The default view looks north at 45 degrees; its top-left corner is sky.
    // The Sun's altitude needs the Earth placed, which the orbital elements do.
    auto corner = [&](const std::string& options) {
        const std::string path = Path("sky.bmp");
        RenderCounts(options + " --planets Elements --size 200x160 --out '" + path + "'");
        Bitmap bmp = ReadBitmap(path);
        EXPECT_TRUE(bmp.ok);
        if (!bmp.ok || bmp.bitsPerPixel < 24) return std::array<int, 3>{-1, -1, -1};
        return bmp.At(4, 4);
    };
    EXPECT_EQ(corner(std::string(kNoon) + " --sky Color"), (std::array<int, 3>{127, 255, 255}))
        << "daytime sky";
    EXPECT_EQ(corner(std::string(kNoon)), (std::array<int, 3>{0, 0, 0})) << "Black by default";
    EXPECT_EQ(corner(std::string(kNoon) + " --sky White"), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(corner(std::string(kNight) + " --sky Color"), (std::array<int, 3>{0, 0, 0}))
        << "night sky";
}

TEST_F(ToolRender, UsageErrorsExitTwoWithOneLineAndWriteNothing) {
    const std::string png = " --out '" + Path("x.png") + "'";
    const std::vector<std::string> cases = {
        "",
        " --size 100x100",
        " --out '" + Path("x.jpg") + "'",
        " --out '" + Path("x.png.txt") + "'",
        " --out '" + Path("x") + "'",
        png + " --size 0x10",
        png + " --size 10",
        png + " --size 20000x10",
        png + " --size 10x-4",
        png + " --size 2.5x10",
        png + " --projection Bogus",
        png + " --projection",
        png + " --sky Grey",
        png + " --field 0",
        png + " --field -10",
        png + " --center 1,95",
        png + " --center 1",
        png + " --center 1,2,3",
        png + " --faintest bright",
        png + " extra",
    };
    for (const std::string& arguments : cases) {
        ToolRun run = Render(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        ASSERT_FALSE(run.err.empty()) << arguments;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
        EXPECT_EQ(run.err.rfind("norvane-tool: ", 0), 0u) << run.err;
        EXPECT_TRUE(Entries(dir_).empty()) << arguments << " wrote a file";
    }
}

TEST_F(ToolRender, UnwritableOutputExitsOneAndLeavesNoFile) {
    // A directory standing where the picture should go, for each kind, and
    // a folder that doesn't exist.
    for (const char* name : {"taken.png", "taken.bmp", "taken.svg"}) {
        const std::string path = Path(name);
        ASSERT_EQ(mkdir(path.c_str(), 0777), 0);
        ToolRun run = Render(std::string(kNight) + " --size 64x48 --out '" + path + "'");
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.out, "") << "no counts for a picture not written";
        EXPECT_NE(run.err.find("can't write"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(name), std::string::npos) << "names the file: " << run.err;
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode)) << name;
        EXPECT_TRUE(Entries(path).empty()) << name;
        ASSERT_EQ(rmdir(path.c_str()), 0);
    }
    for (const char* name : {"missing/x.png", "missing/x.svg"}) {
        ToolRun run = Render(std::string(kNight) + " --size 64x48 --out '" + Path(name) + "'");
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("can't write"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(Entries(dir_).empty()) << "no temporary files left behind";
}

TEST_F(ToolRender, PlanetsAreDrawnInEveryMode) {
    // At noon the Sun and, across the whole sky above the horizon, the Moon
    // and several planets, whichever theory places them.
    const std::string out = " --size 320x200 --out '" + Path("p.png") + "'";
    const std::string scene = std::string(kNoon) + " " + kWholeSky;
    Counts elements = RenderCounts(scene + " --planets Elements" + out);
    Counts byDefault = RenderCounts(scene + out);
    Counts vfp = RenderCounts(scene + " --planets VFP" + out);
    Counts vsop87 = RenderCounts(scene + " --planets VSOP87" + out);
    EXPECT_GT(elements.bodies, 1);
    EXPECT_GT(byDefault.bodies, 1);
    EXPECT_EQ(vfp.bodies, byDefault.bodies) << "VFP is the default";
    // The two theories agree to arc-seconds: the same bodies stand above
    // the horizon and are bright enough.
    EXPECT_EQ(vsop87.bodies, vfp.bodies);
    EXPECT_EQ(elements.stars, byDefault.stars) << "the planet mode doesn't move the stars";
}

} // namespace
