// Writes tests/data/reference/vfp_positions.csv, the reference of the accuracy
// tests of Norvane's low-precision planet theory (VFP), from astronomy-engine
// (MIT): VSOP87 for the planets, its own models of the Moon and Pluto.
//
//   cd tools/reference && npm install && node vfp-fixtures.js
//
// For each of 120 instants of Dynamical Time spread evenly (a golden-ratio
// sequence) over 1900-2100, the geometric positions, without light time or
// aberration, in AU on the axes of the J2000 mean equator (astronomy-engine's
// EQJ): heliocentric for Mercury to Pluto and the Earth, geocentric for the
// Moon. The geocentric Sun is the negated Earth. Rows are
//
//   jde,type,x,y,z
//
// with the program's object type codes (2 Mercury .. 10 Pluto, 4 Earth, 15 Moon).

'use strict';

const fs = require('fs');
const path = require('path');
const Astronomy = require('astronomy-engine');

const root = path.resolve(__dirname, '..', '..');
const output = path.join(root, 'tests', 'data', 'reference', 'vfp_positions.csv');

const J2000 = 2451545.0;
const JD_1900 = 2415020.5;
const JD_2100 = 2488069.5;
const INSTANTS = 120;
const GOLDEN = (Math.sqrt(5) - 1) / 2;
const ENGINE_VERSION = JSON.parse(
    fs.readFileSync(path.join(__dirname, 'node_modules', 'astronomy-engine', 'package.json'))).version;

const BODIES = [
    [2, Astronomy.Body.Mercury],
    [3, Astronomy.Body.Venus],
    [4, Astronomy.Body.Earth],
    [5, Astronomy.Body.Mars],
    [6, Astronomy.Body.Jupiter],
    [7, Astronomy.Body.Saturn],
    [8, Astronomy.Body.Uranus],
    [9, Astronomy.Body.Neptune],
    [10, Astronomy.Body.Pluto],
];
const MOON = 15;

function fixed(x) {
    return x.toFixed(12);
}

const lines = [
    `# Geometric positions (AU, J2000 equator) from astronomy-engine ${ENGINE_VERSION}: ` +
        'heliocentric planets and Earth, geocentric Moon; jde is Dynamical Time',
    'jde,type,x,y,z',
];
for (let i = 0; i < INSTANTS; ++i) {
    const fraction = (0.5 + i * GOLDEN) % 1.0;
    // Whole minutes keep the instants exact in the text.
    const jde = Math.round((JD_1900 + (JD_2100 - JD_1900) * fraction) * 1440) / 1440;
    const time = Astronomy.AstroTime.FromTerrestrialTime(jde - J2000);
    for (const [type, body] of BODIES) {
        const v = Astronomy.HelioVector(body, time);
        lines.push([jde.toFixed(6), type, fixed(v.x), fixed(v.y), fixed(v.z)].join(','));
    }
    const moon = Astronomy.GeoMoon(time);
    lines.push([jde.toFixed(6), MOON, fixed(moon.x), fixed(moon.y), fixed(moon.z)].join(','));
}
fs.writeFileSync(output, lines.join('\n') + '\n');
console.log(`wrote ${lines.length - 2} rows to ${path.relative(root, output)}`);
