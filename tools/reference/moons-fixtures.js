// Writes tests/astro/planetary_moons.csv, the reference offsets of the
// planetary moons from their planets:
//
//   cc -O2 planetary-moons-swe.c -o /tmp/moons-swe -lswe -lm
//   /tmp/moons-swe > /tmp/moons-swe.csv
//   npm install && node moons-fixtures.js /tmp/moons-swe.csv
//
// Rows of reference 0 are the Swiss Ephemeris moon files' (JPL satellite
// ephemerides), printed by planetary-moons-swe.c; rows of reference 1 are a
// second reference for the Galilean moons, astronomy-engine's JupiterMoons
// (Lainey's L1.2 theory) at the same instants. Columns: reference (0 or 1), type code,
// TT Julian date, the planet centre's geocentric astrometric J2000 R.A. and
// Dec. (degrees) and distance (AU), and the moon's offset from it east and
// north on the tangent plane, arc-seconds, also astrometric.

'use strict';

const fs = require('fs');
const path = require('path');
const A = require('astronomy-engine');

const output = path.resolve(__dirname, '..', '..', 'tests', 'astro', 'planetary_moons.csv');
const sweRows = fs.readFileSync(process.argv[2], 'utf8').trim().split('\n');
const arcsec = (180 * 3600) / Math.PI;
const lightDaysPerAU = 0.005775518331436995;

function offsets(p, m) {
  const r = Math.hypot(p.x, p.y, p.z);
  const ra = Math.atan2(p.y, p.x);
  const dec = Math.asin(p.z / r);
  const along = (m.x * p.x + m.y * p.y + m.z * p.z) / r;
  const x = (-m.x * Math.sin(ra) + m.y * Math.cos(ra)) / along;
  const y = (-m.x * Math.sin(dec) * Math.cos(ra) - m.y * Math.sin(dec) * Math.sin(ra) +
             m.z * Math.cos(dec)) / along;
  return [(x * arcsec).toFixed(4), (y * arcsec).toFixed(4)];
}

const lines = ['reference,type,jd_tt,planet_ra_deg,planet_dec_deg,planet_distance_au,east_arcsec,north_arcsec'];
const instants = [];
for (const row of sweRows) {
  lines.push('0,' + row);
  const jd = row.split(',')[1];
  if (!instants.includes(jd)) instants.push(jd);
}
for (const jd of instants) {
  const time = A.AstroTime.FromTerrestrialTime(Number(jd) - 2451545.0);
  const jupiter = A.GeoVector(A.Body.Jupiter, time, false);
  const r = Math.hypot(jupiter.x, jupiter.y, jupiter.z);
  const sky = A.EquatorFromVector(jupiter);
  const retarded = A.AstroTime.FromTerrestrialTime(time.tt - r * lightDaysPerAU);
  const moons = A.JupiterMoons(retarded);
  ['io', 'europa', 'ganymede', 'callisto'].forEach((name, i) => {
    const m = moons[name];
    const g = {x: jupiter.x + m.x, y: jupiter.y + m.y, z: jupiter.z + m.z};
    lines.push([1, 18 + i, jd, (sky.ra * 15).toFixed(9), sky.dec.toFixed(9), r.toFixed(9),
                ...offsets(jupiter, g)].join(','));
  });
}
fs.writeFileSync(output, lines.join('\n') + '\n');
