// Prints the reference figures written into the orbit and physical-ephemeris
// tests (tests/astro/OrbitsTest.cpp, tests/astro/PhysicalTest.cpp), from
// astronomy-engine (MIT). The tests carry the figures themselves and never run
// Node.
//
//   cd tools/reference && npm install && node orbit-physical-figures.js
//
// 1. Osculating elements of the Earth-Moon barycentre at J2000 on the J2000
//    ecliptic (from its heliocentric state, GM of the Sun plus the Earth and
//    Moon), and the heliocentric Earth at five instants around J2000.
// 2. Mars seen from the Earth at two instants: unit direction, the
//    light-time-retarded instant, and the program's Mars rotation model
//    (pole 317.681 - 0.108 T, 52.886 - 0.061 T; W = 176.868 + 350.891983 d)
//    turned into central meridian, sub-viewer latitude and pole position
//    angle by plain vector geometry; beside them astronomy-engine's own model.
// 3. The Moon: geocentric direction, libration of the sub-Earth point and
//    the IAU rotation axis and spin.
// 4. The Galilean satellites: unit directions from Jupiter.
// 5. Phase angle, distances and magnitude from Illumination.
const A = require('astronomy-engine');
const J2000 = 2451545.0;
const deg = Math.PI / 180;
const f = (x, n = 12) => x.toPrecision(n);
const tt = (jd) => A.AstroTime.FromTerrestrialTime(jd - J2000);

// 1. The Earth-Moon barycentre.
{
  const s = A.HelioState(A.Body.EMB, tt(J2000));
  const eps = 84381.448 / 3600 * deg;
  const toEcl = (x, y, z) => [x, Math.cos(eps) * y + Math.sin(eps) * z, -Math.sin(eps) * y + Math.cos(eps) * z];
  const r = toEcl(s.x, s.y, s.z), v = toEcl(s.vx, s.vy, s.vz);
  const GM = 0.00029591220828559115 * (1 + 1 / 328900.56);
  const rl = Math.hypot(...r), v2 = v[0] ** 2 + v[1] ** 2 + v[2] ** 2;
  const h = [r[1] * v[2] - r[2] * v[1], r[2] * v[0] - r[0] * v[2], r[0] * v[1] - r[1] * v[0]];
  const hl = Math.hypot(...h);
  const a = 1 / (2 / rl - v2 / GM);
  const rv = r[0] * v[0] + r[1] * v[1] + r[2] * v[2];
  const evec = [0, 1, 2].map(k => ((v2 - GM / rl) * r[k] - rv * v[k]) / GM);
  const e = Math.hypot(...evec);
  const inc = Math.acos(h[2] / hl);
  let node = Math.atan2(h[0], -h[1]);
  const nvec = [Math.cos(node), Math.sin(node), 0];
  // argument of perihelion, measured in the orbit plane from the node
  const cross = [nvec[1] * evec[2] - nvec[2] * evec[1], nvec[2] * evec[0] - nvec[0] * evec[2], nvec[0] * evec[1] - nvec[1] * evec[0]];
  let w = Math.atan2((cross[0] * h[0] + cross[1] * h[1] + cross[2] * h[2]) / hl, nvec[0] * evec[0] + nvec[1] * evec[1]);
  const cosE = (1 - rl / a) / e, sinE = rv / (e * Math.sqrt(GM * a));
  const E = Math.atan2(sinE, cosE);
  const M = E - e * Math.sin(E);
  const n = Math.sqrt(GM / a ** 3);
  console.log('EMB elements: q', f(a * (1 - e), 17), 'e', f(e, 17), 'i', f(inc, 17), 'w', f(w, 17), 'node', f(node, 17), 'M', f(M, 17), 'n', f(n, 17));
  for (const dt of [-60, -20, 0, 20, 60]) {
    const p = A.HelioVector(A.Body.Earth, tt(J2000 + dt));
    console.log('Earth', dt, f(p.x, 15), f(p.y, 15), f(p.z, 15));
  }
}

// 2. Mars.
function sub(u, raDeg, decDeg) {
  const a = raDeg * deg, d = decDeg * deg;
  const P = [Math.cos(d) * Math.cos(a), Math.cos(d) * Math.sin(a), Math.sin(d)];
  const Q = [-Math.sin(a), Math.cos(a), 0];
  const Y = [P[1] * Q[2] - P[2] * Q[1], P[2] * Q[0] - P[0] * Q[2], P[0] * Q[1] - P[1] * Q[0]];
  const v = u.map(x => -x);
  const lam = Math.atan2(v[0] * Y[0] + v[1] * Y[1] + v[2] * Y[2], v[0] * Q[0] + v[1] * Q[1]);
  const beta = Math.asin(v[0] * P[0] + v[1] * P[1] + v[2] * P[2]);
  // position angle of the pole at the body's place
  const ra = Math.atan2(u[1], u[0]), dec = Math.asin(u[2]);
  const pa = Math.atan2(Math.cos(d) * Math.sin(a - ra), Math.sin(d) * Math.cos(dec) - Math.cos(d) * Math.sin(dec) * Math.cos(a - ra));
  return { lam: lam / deg, beta: beta / deg, pa: ((pa / deg) + 360) % 360 };
}
const mod360 = x => ((x % 360) + 360) % 360;
for (const jd of [2452878.5, 2460462.5]) {
  const g = A.GeoVector(A.Body.Mars, tt(jd), false);
  const D = Math.hypot(g.x, g.y, g.z);
  const u = [g.x / D, g.y / D, g.z / D];
  const t = jd - D * 0.005775518;
  const d = t - J2000, T = d / 36525;
  const s = sub(u, 317.681 - 0.108 * T, 52.886 - 0.061 * T);
  const W = mod360(176.868 + 350.891983 * d);
  const ax = A.RotationAxis(A.Body.Mars, tt(t));
  const s2 = sub(u, ax.ra * 15, ax.dec);
  console.log('Mars', jd, 'u', u.map(x => f(x, 15)).join(' '), 't', f(t, 15), 'CM', f(mod360(W - s.lam), 10), 'beta', f(s.beta, 10), 'PA', f(s.pa, 10),
              'ae CM', f(mod360(ax.spin - s2.lam), 8), 'ae beta', f(s2.beta, 8), 'ae PA', f(s2.pa, 8));
}

// 3. The Moon.
for (const jd of [2451545.0, 2455000.5, 2458850.25, 2460000.75, 2461234.5]) {
  const m = A.GeoMoon(tt(jd));
  const D = Math.hypot(m.x, m.y, m.z);
  const lib = A.Libration(tt(jd));
  const ax = A.RotationAxis(A.Body.Moon, tt(jd));
  console.log('Moon', jd, m.x / D, m.y / D, m.z / D, 'elon', f(lib.elon, 8), 'elat', f(lib.elat, 8), 'axis', f(ax.ra * 15, 10), f(ax.dec, 10), f(ax.spin, 10));
}

// 4. The Galilean satellites.
for (const jd of [2451545.0, 2457000.5, 2460500.5]) {
  const jm = A.JupiterMoons(tt(jd));
  for (const k of ['io', 'europa', 'ganymede', 'callisto']) {
    const s = jm[k];
    const D = Math.hypot(s.x, s.y, s.z);
    console.log('Jmoon', jd, k, s.x / D, s.y / D, s.z / D);
  }
}

// 5. Magnitudes.
for (const [body, jd] of [['Saturn', 2452640.5], ['Saturn', 2457918.5], ['Saturn', 2460500.5], ['Mercury', 2460400.5], ['Venus', 2460800.5], ['Mars', 2460700.5], ['Jupiter', 2460650.5], ['Moon', 2461385.0373485717], ['Moon', 2461389.0373486504], ['Moon', 2461394.5373487594]]) {
  const il = A.Illumination(A.Body[body], tt(jd));
  console.log('Illum', body, jd, 'phase', f(il.phase_angle, 12), 'r', f(il.helio_dist, 12), 'delta', f(il.geo_dist, 12), 'mag', f(il.mag, 8), 'tilt', il.ring_tilt);
}
