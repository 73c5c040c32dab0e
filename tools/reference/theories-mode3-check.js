// Prints the reference values read by tests/astro/TheoriesTest.cpp: the rows
// of the CSV fixtures tests/astro/theories_engine.csv (1) and
// tests/astro/theories_astronomia.csv (2), and the figures written into the
// test itself (3):
//
//  1. astronomy-engine (its own truncation of VSOP87, a numerical Pluto, a
//     fuller lunar theory): geometric heliocentric J2000 equatorial vectors of
//     Mercury to Pluto and the Earth, and the geocentric Moon, at 21 instants
//     of Terrestrial Time from 1900 to 2100;
//  2. astronomia (the same published coefficients the program's tables are
//     converted from): VSOP87B L, B, R, the truncated lunar series and Meeus'
//     Pluto, to check the conversion and the evaluation to rounding;
//  3. astronomia's full VSOP87D Venus of Meeus' example 32.a, on the ecliptic
//     of the date.
//
// Needs astronomy-engine here (npm install in tools/reference) and astronomia
// in tools/theories (npm install there):
//
//   node tools/reference/theories-mode3-check.js > /tmp/theories-reference.txt

'use strict';

const path = require('node:path');
const { pathToFileURL } = require('node:url');
const Astronomy = require('astronomy-engine');

// astronomia is an ES module package: its files are loaded by path.
const astronomiaDir = path.resolve(__dirname, '..', 'theories', 'node_modules', 'astronomia');
const load = async (relative) => (await import(pathToFileURL(path.join(astronomiaDir, relative)).href)).default;

async function main() {
const planetposition = await load('src/planetposition.js');
const moonposition = await load('src/moonposition.js');
const pluto = await load('src/pluto.js');

const J2000 = 2451545.0;
// 21 instants, 1900 January to 2100 December, spaced unevenly so that no
// period of a planet lines up with the step.
const instants = Array.from({ length: 21 }, (_, k) => 2415020.5 + k * 3669.75 + (k % 3) * 0.375);
const plutoFirst = 2409542.5;
const plutoEnd = 2488069.5;

const bodies = [
  [2, 'Mercury', 'mercury'], [3, 'Venus', 'venus'], [4, 'Earth', 'earth'], [5, 'Mars', 'mars'],
  [6, 'Jupiter', 'jupiter'], [7, 'Saturn', 'saturn'], [8, 'Uranus', 'uranus'], [9, 'Neptune', 'neptune'],
];

const f = (x, digits) => x.toFixed(digits);
const timeOf = (jde) => Astronomy.AstroTime.FromTerrestrialTime(jde - J2000);

console.log('# theories_engine.csv: AU, J2000 equatorial (the Moon geocentric)');
console.log('jde,type,x,y,z');
for (const jde of instants) {
  const time = timeOf(jde);
  for (const [type, name] of bodies) {
    const v = Astronomy.HelioVector(Astronomy.Body[name], time);
    console.log(`${f(jde, 3)},${type},${f(v.x,12)},${f(v.y,12)},${f(v.z,12)}`);
  }
  if (jde >= plutoFirst && jde < plutoEnd) {
    const v = Astronomy.HelioVector(Astronomy.Body.Pluto, time);
    console.log(`${f(jde, 3)},10,${f(v.x,12)},${f(v.y,12)},${f(v.z,12)}`);
  }
  const m = Astronomy.GeoMoon(time);
  console.log(`${f(jde, 3)},15,${f(m.x,15)},${f(m.y,15)},${f(m.z,15)}`);
}

console.log('# theories_astronomia.csv: radians, AU (the Moon: km)');
console.log('jde,type,longitude,latitude,radius');
const data = {};
for (const [, , file] of bodies) data[file] = new planetposition.Planet(await load(`data/vsop87B${file}.js`));
for (const jde of instants.filter((_, k) => k % 4 === 0)) {
  for (const [type, , file] of bodies) {
    const p = data[file].position2000(jde);
    console.log(`${f(jde, 3)},${type},${p.lon.toPrecision(17)},${p.lat.toPrecision(17)},${p.range.toPrecision(17)}`);
  }
  if (jde >= plutoFirst && jde < plutoEnd) {
    const p = pluto.heliocentric(jde);
    console.log(`${f(jde, 3)},10,${p.lon.toPrecision(17)},${p.lat.toPrecision(17)},${p.range.toPrecision(17)}`);
  }
  const m = moonposition.position(jde);
  console.log(`${f(jde, 3)},15,${m.lon.toPrecision(17)},${m.lat.toPrecision(17)},${m.range.toPrecision(17)}`);
}

console.log('# astronomia, full VSOP87D: Venus on the mean ecliptic and equinox of 1992 December 20.0 TD, degrees and AU');
const venusD = new planetposition.Planet(await load('data/vsop87Dvenus.js')).position(2448976.5);
console.log(`    ${(venusD.lon * 180 / Math.PI).toFixed(9)}, ${(venusD.lat * 180 / Math.PI).toFixed(9)}, ${venusD.range.toFixed(10)}`);

}

main();
