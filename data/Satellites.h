#pragma once

// Artificial Earth satellites from NASA two-line elements: the element
// reader, the placing of a satellite by the SGP4 model the elements are made
// for, and the import of two-line element files.

#include "astro/Sgp4.h"
#include "astro/Vectors.h"
#include "data/SkyObject.h"

#include <cstddef>
#include <cstdio>
#include <string>

// A name line longer than this carries the satellite's size and standard
// magnitude after the name, and the name then is its first 14 characters.
constexpr std::size_t kSatelliteShortNameLine = 36;
constexpr std::size_t kSatelliteNameWidth = 14;

// Builds an Earth satellite (type 14, orbiting the Earth) from the three
// lines of a two-line element set. nullptr when the Earth is not in the store
// (message 523 with "Earth"), when memory runs out (message 256), and when the
// element lines are unreadable: a numeric column holding anything but a
// number, a mean motion of zero or less, an eccentricity outside [0, 1), or
// elements that give no orbit. Columns past the end of a short line count as
// missing (0, or a mean motion of 1 revolution a day).
SkyObject* ParseTwoLineElements(const std::string& nameLine, const std::string& line1,
                                const std::string& line2);

// The mean elements of a pair of element lines, exactly as they are written,
// for the SGP4 model; false when a column can't be read.
bool ReadSgp4Elements(const std::string& line1, const std::string& line2, Sgp4Elements& elements);

// The satellite's geocentric position (AU, J2000 equator and equinox) at the
// dynamical Julian date `time`, the time the computation driver keeps.
// Two-line epochs are in Universal Time; the time is taken back to it with
// the program's Dynamic Time offset. False, with the position left as it was,
// when the model gives none then (decayed, or elements it refuses).
bool SatellitePosition(const SolarSystemObject* object, double time, Vector3& position);
// The same with the model's verdict: kSgp4Ok, or why there is no position.
int SatellitePositionStatus(const SolarSystemObject* object, double time, Vector3& position);

// The SGP4 model of a stored satellite, set up: kSgp4Ok or why it can't be.
int SatelliteModel(const SolarSystemObject* object, Sgp4Model& model);

// Reads the next satellite of a two-line element file: kRecordRead with the
// satellite, kRecordFailed when a satellite could not be built or a name line
// and a first element line are not followed by a second one, kRecordEndOfFile
// at the end. Lines that belong to no satellite are skipped.
int readSatelliteRecord(std::FILE* stream, SkyObject** object);

// Imports a two-line element file into a new data file named after it.
bool importSatelliteFile(const std::string& path);

// Whether a file is imported as two-line elements: its name ends in ".tle"
// or ".TLE" (exactly these two spellings).
bool isSatelliteFileName(const std::string& path);

// File > Import > NASA Satellite File...: chooses a file, imports it, says
// how many element sets came in, then recomputes and redraws everything.
void importSatelliteFileCommand();
