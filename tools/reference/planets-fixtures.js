// Writes the reference fixtures of the planet-theory accuracy tests from
// astronomy-engine (MIT). The tests read the CSV files this script writes
// into tests/data/reference/; they never run Node.
//
//   cd tools/reference && npm install && node planets-fixtures.js
//
// planets_apparent.csv  Geocentric apparent R.A. and Dec. (light time and
//     annual aberration, precession and nutation to the true equator and
//     equinox of date) and the distance of the Sun, the Moon, Mercury to
//     Neptune and Pluto at 200 instants spread over 1900 to 2100.
//
// moon_topocentric.csv  The Moon seen from three sites on the Earth's
//     surface (parallax included): apparent R.A. and Dec. of date.
//
// sun_moon_rise_set.csv  The first rising and setting of the Sun and the
//     Moon after local midnight at five sites on 20 local dates: with
//     astronomy-engine's own rule (the upper limb, standard refraction), and
//     for the Sun also the crossing of altitude -0.8333 degrees by its centre
//     with no refraction (the program's horizon altitude set to that).
//
// Instants are Universal Time Julian dates; the dynamical time astronomy-engine
// used is written beside each, so that the tests can compare at the same
// dynamical time whatever their own Delta T.

'use strict';

const fs = require('fs');
const path = require('path');
const Astronomy = require('astronomy-engine');

const root = path.resolve(__dirname, '..', '..');
const outputDir = path.join(root, 'tests', 'data', 'reference');
const J2000 = 2451545.0;

const BODIES = [
    ['Sun', Astronomy.Body.Sun], ['Moon', Astronomy.Body.Moon],
    ['Mercury', Astronomy.Body.Mercury], ['Venus', Astronomy.Body.Venus],
    ['Mars', Astronomy.Body.Mars], ['Jupiter', Astronomy.Body.Jupiter],
    ['Saturn', Astronomy.Body.Saturn], ['Uranus', Astronomy.Body.Uranus],
    ['Neptune', Astronomy.Body.Neptune], ['Pluto', Astronomy.Body.Pluto],
];

// Sites: name, longitude east, latitude north (degrees), height (metres),
// time zone (hours east).
const SITES = [
    ['Greenwich', 0.0, 51.4769, 46.0, 0],
    ['Quito', -78.4678, -0.1807, 2850.0, -5],
    ['Tokyo', 139.6917, 35.6895, 40.0, 9],
    ['Cape Town', 18.4241, -33.9249, 10.0, 2],
    ['Reykjavik', -21.9426, 64.1466, 20.0, 0],
];

function timeOf(jdUT) {
    return Astronomy.MakeTime(jdUT - J2000);
}

function fixed(value, digits) {
    return value.toFixed(digits);
}

function writeCsv(name, header, rows, comments) {
    const lines = comments.map((c) => '# ' + c);
    lines.push(header.join(','));
    for (const row of rows) lines.push(row.join(','));
    fs.writeFileSync(path.join(outputDir, name), lines.join('\n') + '\n');
    console.log(`${name}: ${rows.length} rows`);
}

// 200 instants from 1900 to 2100, spread evenly with a changing time of day.
function instants() {
    const first = 2415020.5;  // 1900 Jan 1
    const last = 2488069.5;   // 2100 Jan 1
    const list = [];
    for (let i = 0; i < 200; ++i) {
        const day = Math.floor(first + (last - first) * i / 199.0);
        list.push(day + 0.5 + ((i * 0.137) % 1.0) - 0.5);
    }
    return list;
}

function apparentOfDate(vector, time) {
    const rotated = Astronomy.RotateVector(Astronomy.Rotation_EQJ_EQD(time), vector);
    const equ = Astronomy.EquatorFromVector(rotated);
    return {ra: equ.ra * 15.0, dec: equ.dec, dist: equ.dist};
}

function planetsFixture() {
    const rows = [];
    for (const jd of instants()) {
        const time = timeOf(jd);
        for (const [name, body] of BODIES) {
            const vector = Astronomy.GeoVector(body, time, true);
            const place = apparentOfDate(vector, time);
            rows.push([name, fixed(jd, 6), fixed(time.tt + J2000, 8), fixed(place.ra, 8),
                       fixed(place.dec, 8), fixed(place.dist, 10)]);
        }
    }
    writeCsv('planets_apparent.csv', ['body', 'jd_ut', 'jd_tt', 'ra_deg', 'dec_deg', 'dist_au'], rows, [
        'Geocentric apparent places from astronomy-engine ' + engineVersion() + ':',
        'light time and aberration, true equator and equinox of date. Written by',
        'tools/reference/planets-fixtures.js.',
    ]);
}

function moonTopocentricFixture() {
    const rows = [];
    const list = instants().filter((_, i) => i % 10 === 3);
    for (const [name, lon, lat, height] of SITES.slice(0, 3)) {
        const observer = new Astronomy.Observer(lat, lon, height);
        for (const jd of list) {
            const time = timeOf(jd);
            const equ = Astronomy.Equator(Astronomy.Body.Moon, time, observer, true, true);
            rows.push([name, fixed(lon, 4), fixed(lat, 4), fixed(height, 1), fixed(jd, 6),
                       fixed(time.tt + J2000, 8), fixed(equ.ra * 15.0, 8), fixed(equ.dec, 8),
                       fixed(equ.dist, 10)]);
        }
    }
    writeCsv('moon_topocentric.csv',
             ['site', 'lon_deg', 'lat_deg', 'height_m', 'jd_ut', 'jd_tt', 'ra_deg', 'dec_deg',
              'dist_au'],
             rows, [
                 'The Moon seen from sites on the Earth (apparent, of date) from astronomy-engine ' +
                     engineVersion() + '.',
                 'Written by tools/reference/planets-fixtures.js.',
             ]);
}

// 20 local dates through 2026 and 2027.
function riseSetDates() {
    const dates = [];
    for (let i = 0; i < 20; ++i) {
        const month = (i * 7) % 12 + 1;
        const day = 1 + (i * 11) % 28;
        const year = 2026 + (i % 2);
        dates.push([year, month, day]);
    }
    return dates;
}

function julianDayOfDate(year, month, day) {
    return Astronomy.MakeTime(new Date(Date.UTC(year, month - 1, day))).ut + J2000;
}

function eventOrBlank(event) {
    return event ? fixed(event.ut + J2000, 6) : '';
}

function riseSetFixture() {
    const rows = [];
    for (const [site, lon, lat, height, zone] of SITES) {
        const observer = new Astronomy.Observer(lat, lon, height);
        for (const [year, month, day] of riseSetDates()) {
            // Local midnight of the date, as a UT Julian date.
            const midnight = julianDayOfDate(year, month, day) - zone / 24.0;
            const start = timeOf(midnight);
            for (const [name, body] of [['Sun', Astronomy.Body.Sun], ['Moon', Astronomy.Body.Moon]]) {
                const rise = Astronomy.SearchRiseSet(body, observer, +1, start, 1.0);
                const set = Astronomy.SearchRiseSet(body, observer, -1, start, 1.0);
                let centreRise = '', centreSet = '';
                if (name === 'Sun') {
                    centreRise = eventOrBlank(Astronomy.SearchAltitude(body, observer, +1, start, 1.0, -0.8333));
                    centreSet = eventOrBlank(Astronomy.SearchAltitude(body, observer, -1, start, 1.0, -0.8333));
                }
                rows.push([site, fixed(lon, 4), fixed(lat, 4), fixed(height, 1), zone,
                           `${year}/${month}/${day}`, fixed(midnight, 6), name, eventOrBlank(rise),
                           eventOrBlank(set), centreRise, centreSet]);
            }
        }
    }
    writeCsv('sun_moon_rise_set.csv',
             ['site', 'lon_deg', 'lat_deg', 'height_m', 'zone_h', 'local_date', 'midnight_jd_ut',
              'body', 'rise_jd_ut', 'set_jd_ut', 'centre_rise_jd_ut', 'centre_set_jd_ut'],
             rows, [
                 'First rising and setting after local midnight from astronomy-engine ' +
                     engineVersion() + ':',
                 'rise/set by its own rule (upper limb, standard refraction); for the Sun also',
                 'the crossing of altitude -0.8333 deg by the centre (no refraction). Blank: no',
                 'event that day. Written by tools/reference/planets-fixtures.js.',
             ]);
}

function engineVersion() {
    return JSON.parse(fs.readFileSync(
        path.join(__dirname, 'node_modules', 'astronomy-engine', 'package.json'))).version;
}

planetsFixture();
moonTopocentricFixture();
riseSetFixture();
