// Printing to a PDF file: one page per copy, the question about colour only
// when it matters, the chart's colours put back, Cancel in the abort box.

#include "output/Printing.h"

#include "chart/ChartView.h"
#include "chart/DisplayOptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <unistd.h>

namespace {

TEST(Printing, OnePdfPagePerCopyAndTheChartsColoursPutBack) {
    InitPlatform(0, nullptr);
    setChartViewDefaults();
    setDisplayOptionsDefaults();
    const std::string pdf =
        testing::TempDir() + "norvane-print-" + std::to_string(getpid()) + ".pdf";
    int copies = 1, asked = 0;
    SetMessageResponder([&](const MessageRecord& m) {
        asked += m.number == 521;
        return int{AnswerYes};
    });
    SetPrintDialogResponder([&](std::string& file, int& count) {
        file = pdf;
        count = copies;
        return true;
    });
    const struct {
        bool color;
        std::int16_t sky;
        int copies, abortAfter, asked, pages;
    } cases[] = {{true, kSkyBlack, 1, 0, 1, 1},
                 {false, kSkyWhite, 2, 0, 0, 2},
                 // Cancel in the abort box during the first copy: no more pages.
                 {false, kSkyColor, 3, 1, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copies);
        std::filesystem::remove(pdf);
        gDisplayOptions.useColor = c.color;
        gDisplayOptions.skyBackground = c.sky;
        copies = c.copies;
        asked = 0;
        SetPrintAbortForTest(c.abortAfter);
        printChartCommand();
        EXPECT_EQ(asked, c.asked);
        EXPECT_TRUE(gDisplayOptions.useColor == c.color && gDisplayOptions.skyBackground == c.sky);
        std::stringstream text;
        text << std::ifstream(pdf, std::ios::binary).rdbuf();
        const std::string bytes = text.str();
        const std::regex page("/Type\\s*/Page[^s]");
        EXPECT_EQ(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), {}),
                  c.pages);
        EXPECT_TRUE(bytes.starts_with("%PDF-"));
    }
    SetPrintAbortForTest(0);
    SetPrintDialogResponder(nullptr);
    SetMessageResponder(nullptr);
    std::filesystem::remove(pdf);
    ResetPlatform();
}

} // namespace
