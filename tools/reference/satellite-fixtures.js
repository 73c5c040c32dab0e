// Writes tests/data/reference/satellites.csv: positions of five Earth
// satellites of the default catalogue's element file
// (data/catalog/Satellites.tle) by SGP4/SDP4 as satellite.js (MIT) computes
// them, the standard propagation for two-line elements. The program's own
// model is simpler (a drag-shortened Kepler orbit turning under J2); the
// accuracy test reports how far apart the two come.
//
//   cd tools/reference && npm install && node satellite-fixtures.js
//
// Columns: the satellite's name as in the element file; days after its
// epoch; the instant as a Universal Time Julian date (the element epoch is
// UTC); and the geocentric position in km in SGP4's own frame, TEME (true
// equator, mean equinox of the instant). The test carries TEME to J2000
// itself, with ERFA's IAU 1976/1980 precession and nutation that TEME is
// defined against, so no frame conversion of this script's stands between
// the reference and the comparison.

'use strict';

const fs = require('fs');
const path = require('path');

const root = path.resolve(__dirname, '..', '..');
const elementFile = path.join(root, 'data', 'catalog', 'Satellites.tle');
const output = path.join(root, 'tests', 'data', 'reference', 'satellites.csv');

// A low polar orbit with little drag, a low orbit with strong drag, a
// navigation satellite, a geostationary one and a Molniya orbit.
const chosen = ['TERRA', "FLOCK 2E'-6", 'GSAT0104 (PRN E20)', 'FENGYUN 4A', 'MOLNIYA 1-53'];
const offsets = [0, 0.5, 1, 7]; // days after the epoch

function readElementSets(text) {
  const lines = text.split(/\r\n|\r|\n/);
  const sets = new Map();
  for (let i = 0; i + 2 < lines.length; ++i) {
    if (lines[i + 1].startsWith('1 ') && lines[i + 2].startsWith('2 ')) {
      sets.set(lines[i].trimEnd(), [lines[i + 1], lines[i + 2]]);
      i += 2;
    }
  }
  return sets;
}

async function main() {
  const satellite = await import('satellite.js');
  const sets = readElementSets(fs.readFileSync(elementFile, 'latin1'));
  const version = JSON.parse(fs.readFileSync(
      path.join(__dirname, 'node_modules', 'satellite.js', 'package.json'), 'utf8')).version;
  const rows = [
    `# Positions (TEME, km) of satellites of data/catalog/Satellites.tle at their epoch and ` +
        `later, by SGP4 from satellite.js ${version} (tools/reference/satellite-fixtures.js).`,
    'name,days,jd_utc,x_teme_km,y_teme_km,z_teme_km'];
  for (const name of chosen) {
    const lines = sets.get(name);
    if (!lines) throw new Error(`no element set named ${name}`);
    const satrec = satellite.twoline2satrec(lines[0], lines[1]);
    for (const days of offsets) {
      const state = satellite.sgp4(satrec, days * 1440.0);
      if (!state || !state.position) throw new Error(`SGP4 failed for ${name} at ${days} d`);
      const p = state.position;
      const jd = satrec.jdsatepoch + days;
      rows.push([`"${name}"`, days.toFixed(1), jd.toFixed(8), p.x.toFixed(6), p.y.toFixed(6),
                 p.z.toFixed(6)].join(','));
    }
  }
  fs.writeFileSync(output, rows.join('\n') + '\n');
  console.log(`wrote ${rows.length - 2} rows to ${path.relative(root, output)}`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
