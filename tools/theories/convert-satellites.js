// Writes astro/theories/SatelliteData.cpp, the coefficient tables of the
// planetary satellites' theories, from
//
//   - the figure files of ../shared/data/satellites beside the repository (or
//     the folder given as the first argument): Sinclair's elements of Phobos
//     and Deimos, the simple element sets of Phoebe, Triton and Charon
//     (Nereid's are fitted by fit-nereid.py), and GUST86 for Miranda to Oberon;
//   - the npm package astronomia (MIT licence): the series of the Galilean
//     moons of Meeus, Astronomical Algorithms ch. 44 (Lieske's E5), picked out
//     of src/jupitermoons.js by pattern, never run as a whole.
//
// Saturn's moons (Meeus ch. 46) have no tables: their formulas are written in
// astro/PlanetarySatellites.cpp. Usage (see README.md):
//
//   cd tools/theories && npm install && node convert-satellites.js
//
// The output is the same byte for byte on every run.

import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const repository = path.resolve(here, '..', '..');
const figures = path.resolve(process.argv[2] ?? path.join(repository, '..', 'shared', 'data', 'satellites'));
const packageDir = path.join(here, 'node_modules', 'astronomia');
const output = path.join(repository, 'astro', 'theories', 'SatelliteData.cpp');
const kmPerAU = 149597870.7;

function fail(message) {
  console.error(`convert-satellites: ${message}`);
  process.exit(1);
}
if (!fs.existsSync(packageDir)) fail(`${packageDir} is missing: run npm install first`);
const readJson = (name) => {
  const file = path.join(figures, name);
  if (!fs.existsSync(file)) fail(`${file} is missing: give the satellites' figure folder as the argument`);
  return JSON.parse(fs.readFileSync(file, 'utf8'));
};
const version = JSON.parse(fs.readFileSync(path.join(packageDir, 'package.json'), 'utf8')).version;
const num = (x) => (Object.is(x, -0) ? '0' : String(x));

// ---- Mean element sets ----------------------------------------------------

const angle = (a) =>
  a === undefined ? '{0, 0, 0, 0, 0}'
    : `{${[a.deg, a.deg_per_day, a.deg_per_year, a.deg_per_year2, a.deg_per_century].map((v) => num(v ?? 0)).join(', ')}}`;
const mars = readJson('mars_sinclair1989.json');
const outer = readJson('outer_simple_elements.json').satellites;
const sets = [];
for (const name of ['Phobos', 'Deimos']) {
  const s = mars.satellites[name];
  const periodic = s.periodic.filter((p) => p.element === 'L' && p.function === 'sin');
  if (periodic.length !== s.periodic.length || periodic.length > 1) fail(`${name}: unexpected periodic terms`);
  sets.push([name, mars.time_argument.epoch_jd, s.a_km / kmPerAU, s.e, s.L, s.P, s.gamma, s.theta, s.N_a, s.J_a,
             periodic.length ? periodic[0].amp_deg : 0, periodic.length ? periodic[0].h : undefined]);
}
{
  const s = outer.Phoebe;
  const obliquity = Number(/obliquity ([\d.]+) deg/.exec(s.frame)?.[1]);
  if (!(obliquity > 23.4 && obliquity < 23.5)) fail('Phoebe: no B1950 obliquity in the frame note');
  sets.push(['Phoebe', s.epoch_jd, s.a_au, s.e, s.lambda, s.varpi, s.i, s.Omega, undefined, {deg: obliquity}, 0]);
}
{
  const s = outer.Triton; // the plane's pole moves: the program builds it
  sets.push(['Triton', s.epoch_jd, s.a_au, s.e, s.L, undefined, s.gamma, s.theta, undefined, undefined, 0]);
}
{
  const s = outer.Charon;
  sets.push(['Charon', s.epoch_jd, s.a_au, s.e, s.l, undefined, s.J, s.N, undefined, undefined, 0]);
}

// ---- Galilean series ---------------------------------------------------------

const source = fs.readFileSync(path.join(packageDir, 'src', 'jupitermoons.js'), 'utf8');
const symbols = ['l1', 'l2', 'l3', 'l4', 'π1', 'π2', 'π3', 'π4', 'ω1', 'ω2', 'ω3', 'ω4', 'ψ', 'Φλ', 'Gʹ',
                 'G', 'Π', 'L1', 'L2', 'L3', 'L4', 'Σ1', 'Σ2', 'Σ3', 'Σ4'];
const linear = 15; // l1 .. Gʹ are constant + rate t

// The text between start and the next end marker.
function region(start, end) {
  const i = source.indexOf(start);
  const j = source.indexOf(end, i + start.length);
  if (i < 0 || j < 0) fail(`jupitermoons.js: no "${start}" ... "${end}"`);
  return source.slice(i, j);
}

// An argument is linear in the symbols with p = 1 (so in degrees): its
// multipliers are the changes from one symbol set to 1, checked at 2.
function linearForm(expression) {
  const f = new Function(...symbols, 'p', `return ${expression}`);
  const at = (k, v) => f(...symbols.map((_, i) => (i === k ? v : 0)), 1);
  const phase = at(-1, 0);
  const factors = [];
  symbols.forEach((s, k) => {
    const m = at(k, 1) - phase;
    if (Math.abs(at(k, 2) - phase - 2 * m) > 1e-9) fail(`not linear: ${expression}`);
    if (m !== 0) factors.push([k, Number(m.toFixed(6))]);
  });
  if (factors.length > 5) fail(`too many arguments: ${expression}`);
  return [Number(phase.toFixed(6)), factors];
}

// Every "amplitude [* p] * Math.sin|cos(argument)" of a block, in order.
function terms(block, fn) {
  const out = [];
  const re = new RegExp(`(-?\\d+(?:\\.\\d+)?) \\* (?:p \\* )?Math\\.${fn}\\(`, 'g');
  let m;
  while ((m = re.exec(block)) !== null) {
    let depth = 1, i = re.lastIndex;
    for (; depth > 0; ++i) depth += block[i] === '(' ? 1 : block[i] === ')' ? -1 : 0;
    out.push([Number(m[1]), ...linearForm(block.slice(re.lastIndex, i - 1))]);
  }
  return out;
}

const argumentRates = symbols.slice(0, linear).map((s) => {
  const m = new RegExp(`(?:const|let) ${s} = (\\d+\\.\\d+) \\* p ([+-]) (\\d+\\.\\d+) \\* p \\* t\\n`).exec(source);
  if (!m) fail(`jupitermoons.js: no linear argument ${s}`);
  return [Number(m[1]), Number(m[2] + m[3])];
});
const latitudeBlocks = region('const B = [', '    R = [').split('Math.atan(').slice(1);
const radiusBlock = region('    R = [', '// p. 311');
const radiusScales = [...radiusBlock.matchAll(/(\d+\.\d+) \* \(1 \+/g)].map((m) => Number(m[1]));
const radiusBlocks = radiusBlock.split(/\d+\.\d+ \* \(1 \+/).slice(1);
if (latitudeBlocks.length !== 4 || radiusBlocks.length !== 4) fail('jupitermoons.js: not four moons');
const galilean = [];
const series = [];
for (let k = 0; k < 4; ++k) {
  const longitude = terms(region(`const Σ${k + 1} = `, k < 3 ? `const Σ${k + 2} = ` : 'const L1 ='), 'sin');
  const latitude = terms(latitudeBlocks[k], 'sin');
  const radius = terms(radiusBlocks[k], 'cos');
  const first = galilean.length;
  galilean.push(...longitude, ...latitude, ...radius);
  series.push([first, longitude.length, first + longitude.length, latitude.length,
               first + longitude.length + latitude.length, radius.length, radiusScales[k]]);
}
// Telling rows of Meeus' Table 44 series: Io's great inequality and
// Callisto's equation of the centre.
if (galilean[0][0] !== 0.47259 || galilean[series[3][0]][0] !== 0.84287 || series[0][1] !== 21)
  fail('jupitermoons.js: the series are not those of Meeus ch. 44');

// ---- GUST86 --------------------------------------------------------------------

const gust = readJson('uranus_gust86.json');
const gustTerms = [];
const gustSatellites = [];
for (const name of ['Miranda', 'Ariel', 'Umbriel', 'Titania', 'Oberon']) {
  const s = gust.satellites[name];
  const add = (list) => {
    const first = gustTerms.length;
    gustTerms.push(...list.map((t) => [t.amp, t.phase_rad, t.freq_rad_per_day]));
    return [first, list.length];
  };
  gustSatellites.push([name, s.gm_au3_per_day2, s.n.const_rad_per_day, s.lambda.const_rad,
                       s.lambda.rate_rad_per_day, ...add(s.n.cos_terms), ...add(s.lambda.sin_terms),
                       ...add(s.z_k_h.terms), ...add(s.zeta_q_p.terms)]);
}

// ---- Output --------------------------------------------------------------------

const lines = [
  '// Generated by tools/theories/convert-satellites.js from the satellite theories\' figure files',
  `// and astronomia ${version} (MIT licence). Do not edit. To regenerate, from the repository root:`,
  '//   cd tools/theories && npm install && node convert-satellites.js',
  '',
  '#include "astro/theories/TheoryData.h"',
  '',
  '// clang-format off',
  '',
  '// epoch, a (AU), e; mean longitude, pericentre, inclination, node, plane node, plane',
  '// inclination; periodic amplitude and argument.',
  'const SatelliteElementSet kSatelliteElementSets[kSatelliteElementSetCount] = {',
];
for (const [name, epoch, a, e, ...rest] of sets) {
  const angles = rest.slice(0, 6).map(angle).join(', ');
  lines.push(`    // ${name}`, `    {${num(epoch)}, ${num(a)}, ${num(e)}, ${angles}, ${num(rest[6])}, ${angle(rest[7])}},`);
}
lines.push('};', '', '// Meeus ch. 44: degrees, and degrees per day from JD 2443000.5.',
           'const double kGalileanArguments[kGalileanLinearArguments][2] = {');
argumentRates.forEach(([a, b], i) => lines.push(`    {${num(a)}, ${num(b)}}, // ${symbols[i]}`));
lines.push('};', '', 'const GalileanSeries kGalileanSeries[4] = {');
for (const s of series) lines.push(`    {${s.map(num).join(', ')}},`);
lines.push('};', '', '// amplitude, phase (degrees), (argument, multiplier) ...', 'const GalileanTerm kGalileanTerms[] = {');
galilean.forEach(([amp, phase, factors], i) => {
  const slots = [...factors.map(([k, m]) => `{${k}, ${num(m)}}`)];
  while (slots.length < 5) slots.push('{-1, 0}');
  const start = series.findIndex((s) => s[0] === i || s[2] === i || s[4] === i);
  if (start >= 0) lines.push(`    // ${['Io', 'Europa', 'Ganymede', 'Callisto'][start]}, ${['longitude', 'latitude', 'radius'][[series[start][0], series[start][2], series[start][4]].indexOf(i)]}`);
  lines.push(`    {${num(amp)}, ${num(phase)}, {${slots.join(', ')}}},`);
});
lines.push('};', '', '// G M (AU^3/day^2); mean motion, mean longitude and its rate; the first and count of the',
           '// mean motion, mean longitude, eccentricity and inclination series.',
           'const Gust86Satellite kGust86Satellites[5] = {');
for (const [name, ...rest] of gustSatellites) lines.push(`    {${rest.map(num).join(', ')}}, // ${name}`);
lines.push('};', '', '// amplitude, phase (radians), frequency (radians per day)', 'const Gust86Term kGust86Terms[] = {');
for (const t of gustTerms) lines.push(`    {${t.map(num).join(', ')}},`);
lines.push('};', '');
fs.writeFileSync(output, lines.join('\n'));
console.log(`wrote ${path.relative(repository, output)}: ${galilean.length} Galilean and ${gustTerms.length} GUST86 terms`);
