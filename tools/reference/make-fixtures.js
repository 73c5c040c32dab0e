// Writes the reference fixtures of Norvane's accuracy tests from
// astronomy-engine (MIT), a full ephemeris with the IAU 2006 precession, the
// IAU 2000B nutation and VSOP87 for the Earth. The tests read the CSV files
// this script writes into tests/data/reference/; they never run Node.
//
//   cd tools/reference && npm install && node make-fixtures.js
//
// Three fixtures:
//
// stars_apparent.csv  Apparent places (true equator and equinox of date, with
//     annual aberration and nutation) of the 50 brightest stars of the
//     program's bright-star catalogue at 10 instants from 1900 to 2100. The
//     input values are the ones the program imports: the J2000 position, the
//     R.A. motion in seconds of time per year and the Dec. motion in
//     arcseconds per year, read from data/catalog/BrightStars.txt.
//     astronomy-engine knows no proper motion, so the script moves each star
//     itself, linearly in R.A. and Dec. as the catalogue gives the motions,
//     to the instant's dynamical time, and defines it there as a fixed star.
//     Stars are placed a million light-years away: the program applies no
//     stellar parallax to a viewer on the Earth (its parallax threshold is
//     1000 AU from the Sun), so the reference leaves it out too.
//
// rise_set.csv  Rising and setting of Sirius and Vega at five sites on a few
//     dates: the first crossing of the geometric horizon (altitude 0 of the
//     star's apparent centre, no refraction) after local midnight of the
//     given local date, found with SearchAltitude, which, unlike
//     SearchRiseSet, adds no refraction and no dip. The program's convention
//     is the same: horizon altitude 0 and no refraction in rise and set.
//     Events closer than 10 minutes to either local midnight are left out,
//     since a day of 24 hours can then hold two or none.
//
// sun.csv  The Sun's geocentric position between 1990 and 2010: astrometric
//     (J2000 equator, no aberration) and apparent (true equator of date, with
//     aberration and nutation), with its distance.
//
// Instants are Universal Time Julian dates; the dynamical time astronomy-engine
// used (its own Delta T) is written beside each.

'use strict';

const fs = require('fs');
const path = require('path');
const Astronomy = require('astronomy-engine');

const root = path.resolve(__dirname, '..', '..');
const catalogPath = path.join(root, 'data', 'catalog', 'BrightStars.txt');
const outputDir = path.join(root, 'tests', 'data', 'reference');

const J2000 = 2451545.0;
const DAYS_PER_JULIAN_YEAR = 365.25;
const STAR_DISTANCE_LIGHT_YEARS = 1.0e6;
const STAR_COUNT = 50;
const EDGE_OF_DAY_MINUTES = 10;
// The version the fixtures were made with, as pinned in package.json.
const ENGINE_VERSION = JSON.parse(
    fs.readFileSync(path.join(__dirname, 'node_modules', 'astronomy-engine', 'package.json'))).version;

// ---------------------------------------------------------------------------
// The catalogue, read as the program's importer reads it.

// "hh mm ss.s" or "+dd mm ss" as a positive number of units.
function sexagesimal(text) {
    const parts = text.trim().replace(/^[+-]/, '').split(/\s+/).map(Number);
    return (parts[0] || 0) + (parts[1] || 0) / 60 + (parts[2] || 0) / 3600;
}

function numberOrNull(text) {
    const t = (text || '').trim();
    if (t === '') return null;
    const v = Number(t);
    return Number.isFinite(v) ? v : null;
}

function readCatalog() {
    const stars = [];
    for (const line of fs.readFileSync(catalogPath, 'latin1').split(/\r?\n/)) {
        if (line === '' || line.startsWith('#')) continue;
        const f = line.split('\t');
        const names = f[11] || '';
        const hr = /(?:^|;\s*)HR(\d+)(?:;|$)/.exec(names);
        if (!hr) continue;
        if (Number(f[1]) !== 2000.0) continue;
        const v = parseFloat(f[6]);
        if (!Number.isFinite(v)) continue;
        const decText = f[3].trim();
        stars.push({
            hr: Number(hr[1]),
            name: names.split(';')[0].trim(),
            raHours: sexagesimal(f[2]),
            decDegrees: (decText.startsWith('-') ? -1 : 1) * sexagesimal(decText),
            raMotion: numberOrNull(f[4]) || 0,   // seconds of time per year
            decMotion: numberOrNull(f[5]) || 0,  // arcseconds per year
            v,
        });
    }
    return stars;
}

// ---------------------------------------------------------------------------
// Helpers.

function timeOf(jdUT) {
    return Astronomy.MakeTime(jdUT - J2000);
}

function fixed(value, digits) {
    return value.toFixed(digits);
}

// Geocentric R.A. (degrees) and Dec. of a body: J2000 equator, or the true
// equator and equinox of date.
function geocentric(body, time, ofDate, aberration) {
    let vector = Astronomy.GeoVector(body, time, aberration);
    if (ofDate) vector = Astronomy.RotateVector(Astronomy.Rotation_EQJ_EQD(time), vector);
    const equ = Astronomy.EquatorFromVector(vector);
    return {ra: equ.ra * 15.0, dec: equ.dec, dist: equ.dist};
}

// The star's J2000 position carried by its catalogue motions to a dynamical
// Julian date, linearly in R.A. and Dec.
function movedStar(star, jdTT) {
    const years = (jdTT - J2000) / DAYS_PER_JULIAN_YEAR;
    let raHours = star.raHours + (star.raMotion * years) / 3600.0;
    let decDegrees = star.decDegrees + (star.decMotion * years) / 3600.0;
    // A pole crossing folds the declination back and turns the R.A. half round.
    if (decDegrees > 90) {
        decDegrees = 180 - decDegrees;
        raHours += 12;
    } else if (decDegrees < -90) {
        decDegrees = -180 - decDegrees;
        raHours += 12;
    }
    raHours = ((raHours % 24) + 24) % 24;
    return {raHours, decDegrees};
}

function writeCsv(name, header, rows, comments) {
    const lines = comments.map((c) => '# ' + c);
    lines.push(header.join(','));
    for (const row of rows) lines.push(row.join(','));
    fs.writeFileSync(path.join(outputDir, name), lines.join('\n') + '\n');
    console.log(`${name}: ${rows.length} rows`);
}

// ---------------------------------------------------------------------------
// (a) Apparent places of bright stars.

const STAR_INSTANTS = [
    2415020.5,  // 1900 Jan 1, 0h UT
    2424332.75, // 1925 Jul 1, 6h
    2433282.5,  // 1950 Jan 1, 0h
    2442518.25, // 1975 Apr 15, 18h
    2448174.5,  // 1990 Oct 10, 0h
    2451545.0,  // 2000 Jan 1, 12h
    2456099.875, // 2012 Jun 21, 9h
    2462563.5,  // 2030 Mar 3, 0h
    2473712.0,  // 2060 Sep 9, 12h
    2488068.5,  // 2099 Dec 31, 0h
];

function starFixture(stars) {
    const brightest = stars.slice().sort((a, b) => a.v - b.v || a.hr - b.hr).slice(0, STAR_COUNT);
    const rows = [];
    for (const star of brightest) {
        for (const jd of STAR_INSTANTS) {
            const time = timeOf(jd);
            const jdTT = time.tt + J2000;
            const moved = movedStar(star, jdTT);
            Astronomy.DefineStar(Astronomy.Body.Star1, moved.raHours, moved.decDegrees,
                                 STAR_DISTANCE_LIGHT_YEARS);
            const apparent = geocentric(Astronomy.Body.Star1, time, true, true);
            rows.push([star.hr, star.name.replace(/,/g, ' '), fixed(jd, 6), fixed(jdTT, 8),
                       fixed(apparent.ra, 9), fixed(apparent.dec, 9)]);
        }
    }
    writeCsv('stars_apparent.csv', ['hr', 'name', 'jd_ut', 'jd_tt', 'ra_deg', 'dec_deg'], rows, [
        'Apparent places of date (true equator and equinox, annual aberration, nutation),',
        'astronomy-engine ' + ENGINE_VERSION +
            ', from the J2000 positions and motions of data/catalog/BrightStars.txt',
        'moved linearly in R.A. and Dec.; no stellar parallax. Degrees.',
    ]);
}

// ---------------------------------------------------------------------------
// (b) Rising and setting.

const RISE_SET_SITES = [
    {site: 'Greenwich', lon: 0.0, lat: 51.4769, zone: 0},
    {site: 'Tokyo', lon: 139.6917, lat: 35.6895, zone: 9},
    {site: 'Quito', lon: -78.4678, lat: -0.1807, zone: -5},
    {site: 'Sydney', lon: 151.2093, lat: -33.8688, zone: 10},
    {site: 'Reykjavik', lon: -21.9426, lat: 64.1466, zone: 0},
];

// Local dates, each as the Julian date of its local midnight in the site's zone.
const RISE_SET_DATES = [
    {year: 1995, month: 3, day: 21},
    {year: 2000, month: 1, day: 1},
    {year: 2010, month: 7, day: 15},
    {year: 2024, month: 11, day: 2},
];

function julianDateOfCivilDate(year, month, day) {
    return Date.UTC(year, month - 1, day) / 86400000.0 + 2440587.5;
}

function riseSetFixture(stars) {
    const chosen = ['Sirius', 'Vega'].map((name) => stars.find((s) => s.name === name));
    const rows = [];
    for (const star of chosen) {
        for (const site of RISE_SET_SITES) {
            const observer = new Astronomy.Observer(site.lat, site.lon, 0);
            for (const date of RISE_SET_DATES) {
                const midnight =
                    julianDateOfCivilDate(date.year, date.month, date.day) - site.zone / 24.0;
                const start = timeOf(midnight);
                const moved = movedStar(star, start.tt + J2000);
                Astronomy.DefineStar(Astronomy.Body.Star1, moved.raHours, moved.decDegrees,
                                     STAR_DISTANCE_LIGHT_YEARS);
                const events = [+1, -1].map((direction) => {
                    const t = Astronomy.SearchAltitude(Astronomy.Body.Star1, observer, direction,
                                                       start, 1.0, 0.0);
                    return t === null ? null : t.ut + J2000;
                });
                const edge = EDGE_OF_DAY_MINUTES / 1440.0;
                const nearEdge = events.some((jd) => jd !== null &&
                                             (jd - midnight < edge || midnight + 1 - jd < edge));
                if (nearEdge) continue;
                // Neither event: the star stays above or below the horizon all day.
                let kind = 'events';
                if (events[0] === null && events[1] === null) {
                    const hor = Astronomy.Horizon(start, observer, moved.raHours, moved.decDegrees);
                    kind = hor.altitude > 0 ? 'never_sets' : 'never_rises';
                } else if (events[0] === null || events[1] === null) {
                    continue;  // one event only in this day: no clear pair to compare
                }
                rows.push([star.name, site.site, fixed(site.lon, 4), fixed(site.lat, 4), site.zone,
                           `${date.year}-${String(date.month).padStart(2, '0')}-` +
                               String(date.day).padStart(2, '0'),
                           fixed(midnight, 6), kind,
                           events[0] === null ? '' : fixed(events[0], 6),
                           events[1] === null ? '' : fixed(events[1], 6)]);
            }
        }
    }
    writeCsv('rise_set.csv',
             ['star', 'site', 'lon_deg', 'lat_deg', 'zone_hours', 'local_date', 'midnight_jd_ut',
              'kind', 'rise_jd_ut', 'set_jd_ut'],
             rows, [
                 'First rising and setting after local midnight: apparent centre of the star at',
                 'altitude 0, no refraction (SearchAltitude), astronomy-engine ' +
                     ENGINE_VERSION + '. Universal Time.',
             ]);
}

// ---------------------------------------------------------------------------
// (c) The Sun.

function sunFixture() {
    const rows = [];
    // One instant a year from 1990 to 2010, wandering through the seasons and
    // the hours so that no two fall on the same part of the orbit.
    for (let k = 0; k <= 20; ++k) {
        const jd = julianDateOfCivilDate(1990 + k, 1, 1) + ((k * 37) % 365) + ((k * 5) % 24) / 24.0;
        const time = timeOf(jd);
        const astrometric = geocentric(Astronomy.Body.Sun, time, false, false);
        const apparent = geocentric(Astronomy.Body.Sun, time, true, true);
        rows.push([fixed(jd, 6), fixed(time.tt + J2000, 8), fixed(astrometric.ra, 9),
                   fixed(astrometric.dec, 9), fixed(apparent.ra, 9), fixed(apparent.dec, 9),
                   fixed(astrometric.dist, 9)]);
    }
    writeCsv('sun.csv',
             ['jd_ut', 'jd_tt', 'astrometric_ra_deg', 'astrometric_dec_deg', 'apparent_ra_deg',
              'apparent_dec_deg', 'distance_au'],
             rows, [
                 'The geocentric Sun, astronomy-engine ' +
                     ENGINE_VERSION + ':',
                 'astrometric = J2000 equator, no aberration; apparent = true equator and equinox',
                 'of date with aberration and nutation. Degrees and AU.',
             ]);
}

fs.mkdirSync(outputDir, {recursive: true});
const stars = readCatalog();
starFixture(stars);
riseSetFixture(stars);
sunFixture();
