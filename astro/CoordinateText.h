#pragma once

// The text forms of angles: sexagesimal splitting, signed degrees, minutes and
// seconds, and the coordinate texts of the four sky frames. Texts are 8-bit
// Windows-1252; the degree sign is the byte 0xB0.

#include <cstdint>
#include <string>

constexpr char kDegreeSign = '\xB0';

// A value split into sign, whole units, minutes and seconds (degrees or hours).
struct Sexagesimal {
    char sign; // '+' or '-'
    std::int16_t units;
    std::int16_t minutes;
    double seconds;
};

// Splits |value| into whole units, minutes and seconds, truncating each.
// Magnitudes beyond the 16-bit range are held at 32767; a value that is not a
// number splits as zero.
Sexagesimal SplitSexagesimal(double value);

// As SplitSexagesimal after a quarter of one display step (0.25 / stepsPerUnit)
// is added to the magnitude, so that the truncated fields agree with a display
// that rounds. No step is added when stepsPerUnit is not positive.
Sexagesimal SplitRounded(double value, double stepsPerUnit);

// Degrees as sign, degrees, minutes and seconds to a tenth: "+12 34 56.7", or in
// `format`, which takes a char, two shorts and a double in that order.
std::string FormatSignedDMS(double degrees, const char* format = nullptr);

// Reads units, minutes and seconds ("-12 30 00", "5 15", "7") with the scan
// format "%hd%hd%lf" or `format` (two shorts and a double). Missing fields count
// as 0; the result is negative when the text starts with '-' (after blanks), so
// that "-0 30" is -0.5.
double ParseSexagesimal(const std::string& text, const char* format = nullptr);

// Strictly reads what a user typed in a field: one to `most` (1 to 3) numbers
// separated by blanks and nothing else, as units, minutes and seconds (minutes
// and seconds from 0 to below 60, whole units when minutes follow). A leading
// '-' makes the whole value negative. False for any other text.
bool ReadSexagesimal(const std::string& text, int most, double& value);

// Styles of FormatCoordinates.
constexpr int kCoordinateLabels = 0;         // "R.A. (2000.0):"
constexpr int kCoordinateValues = 1;         // "05 34 31.94"
constexpr int kCoordinateLabelledValues = 2; // "R.A. (2000.0): 05h 34m 31.94s"

// The two coordinate texts of a direction in a frame (frame codes of Frames.h),
// lon and lat in radians. Equatorial texts show the precession epoch (a Julian
// date) as a decimal year. An unknown frame or style gives empty texts.
void FormatCoordinates(int frame, double lon, double lat, int style, double epoch,
                       std::string& lonText, std::string& latText);
