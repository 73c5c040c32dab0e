#!/usr/bin/python3
"""Fits the term tables of Norvane's low-precision planet theory (VFP).

The theory has the shape of Van Flandern and Pulkkinen's low-precision
formulae (1979): for each body eight fundamental arguments a + b t
(revolutions, t in days from J2000), and for longitude, latitude and radius a
short series of records

    amplitude * T^power * sin or cos(sum of multiplier_k * argument_k)

with T = 1 + t/36525, Julian centuries from 1900.0. Longitude is the body's
mean-longitude argument plus the series (arcseconds), latitude the series
(arcseconds), radius the series times 1e-5 (AU; Earth radii for the Moon).
The positions are referred to the ecliptic and mean equinox of the date.

This script chooses the argument combinations of every series and fits their
amplitudes by linear least squares to precise positions over 1800-2200:

- the planets and the Earth (whose negation is the geocentric Sun): VSOP87B
  (Bretagnon and Francou 1988), heliocentric, ecliptic and equinox J2000;
- the Moon: the truncated ELP-2000/82 series of Meeus, Astronomical
  Algorithms ch. 47, geocentric, ecliptic and mean equinox of date;
- Pluto: Meeus' series, Astronomical Algorithms ch. 37, heliocentric, J2000,
  fitted over the span the series holds, 1885-2099.

The J2000 positions are carried to the ecliptic of the date exactly as the
program carries the results back: the IAU 1976 precession (Lieske 1977) and
the mean obliquity of the program, so that the fit residuals are the errors
of the program's own results against the precise theories.

The coefficients are read from the npm package astronomia (MIT), which carries
the published tables: data/vsop87B<planet>.js, the lunar term lists of
src/moonposition.js and Pluto's of src/pluto.js. The polynomials of the lunar
arguments and Pluto's constants are Meeus' published figures, written below.

The choice of combinations is a greedy forward selection (orthogonal least
squares) from a pool of candidates built from each body's own slots: the
harmonics of its mean anomaly (equation of the centre), the even multiples of
its argument of latitude (reduction to the ecliptic), and the combinations of
its anomaly with those of the bodies whose arguments occupy its other slots
(their perturbations), with powers of T for the slow changes. A few rows are
fixed before the selection starts (the telling rows named in VFP.md).

Usage (Debian's python3 with python3-numpy; astronomia 4.2.0 installed with
`npm install` in tools/theories):

    /usr/bin/python3 tools/theories/fit-vfp.py [--astronomia DIR] [--output FILE]

It writes astro/theories/VfpTables.cpp and prints the residual tables
(markdown) that tools/theories/VFP.md quotes.
"""

import argparse
import json
import math
import os
import re
import sys

import numpy as np

# ---------------------------------------------------------------------------
# The program's constants, written as the program writes them.

TWO_PI = 6.283185307              # the program's 2 pi
RAD_PER_ARCSEC = 4.848136812202333e-6
RAD_PER_DEG = 0.01745329252
J2000 = 2451545.0
INV_CENTURY = 2.7378507871321012e-5
EARTH_RADIUS_AU = 4.2635232707524516e-05
AU_KM = 149597870.0
EARTH_RADIUS_KM = EARTH_RADIUS_AU * AU_KM
OBLIQUITY_J2000_DEG = 23.4392911  # of the VSOP87 and Meeus J2000 ecliptic

JD_1800 = 2378496.5               # 1800 January 1.0
JD_2200 = 2524593.5               # 2200 January 1.0
JD_1885 = 2409542.5               # 1885 January 1.0
JD_2099 = 2487704.5               # 2099 December 31.0 (end of Meeus' Pluto)
JD_1900 = 2415020.5
JD_2100 = 2488069.5

# ---------------------------------------------------------------------------
# The fundamental arguments of each body (revolutions, revolutions per day),
# slots 0..7, and the slot of the mean-longitude argument. The same numbers
# are in astro/Vfp.cpp.

MOON_L = (0.606434, 0.03660110129)
MOON_NODE = (0.347343, -0.00014709391)
SUN_L = (0.779072, 0.00273790931)
SUN_M = (0.993126, 0.0027377785)
VENUS_L = (0.505498, 0.00445046867)
VENUS_M = (0.140023, 0.00445036173)
MARS_M = (0.053856, 0.00145561327)
JUPITER_M = (0.056531, 0.00023080893)
SATURN_M = (0.882987, 0.00009294371)
URANUS_L = (0.870169, 0.00003269438)
URANUS_M = (0.400589, 0.00003269438)
NEPTUNE_M = (0.725368, 0.00001672092)
NONE = (0.0, 0.0)

BODIES = {
    'Sun': dict(args=[MOON_L, MOON_NODE, SUN_L, SUN_M, VENUS_M, MARS_M, JUPITER_M, NONE],
                argL=2, counts=(12, 1, 3)),
    'Moon': dict(args=[MOON_L, (0.374897, 0.03629164709), (0.259091, 0.0367481952),
                       (0.827362, 0.03386319198), MOON_NODE, SUN_L, SUN_M, VENUS_L],
                 argL=0, counts=(55, 38, 30)),
    'Mercury': dict(args=[MOON_L, MOON_NODE, SUN_L, SUN_M, (0.700695, 0.011367714),
                          (0.485541, 0.01136759566), (0.566441, 0.01136762384), VENUS_M],
                    argL=4, counts=(15, 11, 5)),
    'Venus': dict(args=[MOON_L, MOON_NODE, SUN_L, SUN_M, VENUS_L, VENUS_M,
                        (0.292498, 0.00445040017), MARS_M],
                  argL=4, counts=(6, 3, 2)),
    'Mars': dict(args=[MOON_NODE, SUN_L, SUN_M, VENUS_M, (0.987353, 0.00145575328), MARS_M,
                       (0.849694, 0.00145569465), JUPITER_M],
                 argL=4, counts=(23, 4, 4)),
    'Jupiter': dict(args=[MOON_NODE, SUN_L, SUN_M, (0.089608, 0.00023080893), JUPITER_M,
                          SATURN_M, URANUS_M, NONE],
                    argL=3, counts=(54, 12, 18)),
    'Saturn': dict(args=[MOON_NODE, SUN_L, SUN_M, JUPITER_M, (0.133295, 0.00009294371),
                         SATURN_M, (0.821218, 0.00009294371), URANUS_M],
                   argL=4, counts=(78, 28, 25)),
    'Uranus': dict(args=[JUPITER_M, SATURN_M, URANUS_L, URANUS_M, (0.664614, 0.00003265562),
                         NEPTUNE_M, NONE, NONE],
                   argL=2, counts=(38, 3, 13)),
    'Neptune': dict(args=[JUPITER_M, SATURN_M, URANUS_L, URANUS_M, (0.846912, 0.00001672092),
                          NEPTUNE_M, (0.480856, 0.00001663715), NONE],
                    argL=4, counts=(14, 4, 8)),
    'Pluto': dict(args=[(0.663854, 0.00001115482), (0.04102, 0.00001104864),
                        (0.357355, 0.00001104864), SUN_L, NONE, NONE, NONE, NONE],
                  argL=0, counts=(12, 10, 6)),
}
BODY_ORDER = ['Sun', 'Moon', 'Mercury', 'Venus', 'Mars', 'Jupiter', 'Saturn', 'Uranus',
              'Neptune', 'Pluto']

# Per body: the slots of its own mean anomaly and argument of latitude, and of
# the anomalies of the bodies that perturb it (or, for the Sun, whose pull
# moves the Earth). None where a body has no such slot.
STRUCTURE = {
    'Sun': dict(M=3, F=None, perturbers=[4, 5, 6]),
    'Mercury': dict(M=5, F=6, perturbers=[7, 3]),
    'Venus': dict(M=5, F=6, perturbers=[3, 7]),
    'Mars': dict(M=5, F=6, perturbers=[3, 2, 7]),
    'Jupiter': dict(M=4, F=3, perturbers=[5, 6, 2]),
    'Saturn': dict(M=5, F=6, perturbers=[3, 7]),
    'Uranus': dict(M=3, F=4, perturbers=[0, 1, 5]),
    'Neptune': dict(M=5, F=6, perturbers=[0, 1, 3]),
    'Pluto': dict(M=1, F=2, perturbers=[]),
}

SINE, COSINE = 1, 0


def fundamental_arguments(body, jde):
    """The eight arguments (radians), as the program computes them."""
    t = jde - J2000
    return np.array([TWO_PI * np.fmod(a + b * t, 1.0) for a, b in BODIES[body]['args']])


def centuries_1900(jde):
    return 1.0 + (jde - J2000) / 36525.0


# ---------------------------------------------------------------------------
# Reading the published coefficients from astronomia.

def read_vsop87b(directory, planet):
    with open(os.path.join(directory, 'data', 'vsop87B%s.js' % planet)) as f:
        text = f.read()
    text = text[text.index('{'):text.rindex('}') + 1]
    text = re.sub(r'^(\s*)(\w+):', r'\1"\2":', text, flags=re.M)
    data = json.loads(text)
    series = {}
    for coordinate in 'LBR':
        series[coordinate] = [np.array(data[coordinate][str(p)], dtype=float)
                              for p in range(6) if str(p) in data[coordinate]]
    return series


def read_moon_tables(directory):
    with open(os.path.join(directory, 'src', 'moonposition.js')) as f:
        text = f.read()

    def table(name, width):
        start = text.index('const %s = [' % name)
        end = text.index(']\n  return', start)
        rows = re.findall(r'\[([-\d,\s]+)\]', text[start:end])
        rows = [[int(v) for v in row.split(',')] for row in rows]
        assert all(len(r) == width for r in rows)
        return np.array(rows, dtype=float)

    return table('ta', 6), table('tb', 5)


def read_pluto_table(directory):
    with open(os.path.join(directory, 'src', 'pluto.js')) as f:
        text = f.read()
    rows = re.findall(r'new Pt\(([^)]*)\)', text)
    rows = [[float(v) for v in row.split(',')] for row in rows if row.strip()[0] != 'i']
    assert all(len(r) == 9 for r in rows) and len(rows) == 43
    return np.array(rows)


# ---------------------------------------------------------------------------
# The precise positions.

def vsop87b(series, jde):
    """Heliocentric L, B (radians), R (AU), ecliptic and equinox J2000."""
    tau = (jde - J2000) / 365250.0
    out = []
    for coordinate in 'LBR':
        total = np.zeros_like(tau)
        for power, terms in enumerate(series[coordinate]):
            s = np.zeros_like(tau)
            for chunk in range(0, len(terms), 256):
                a, b, c = terms[chunk:chunk + 256].T
                s += np.cos(b[:, None] + c[:, None] * tau[None, :]).T @ a
            total += s * tau ** power
        out.append(total)
    return out


def meeus_moon(ta, tb, jde):
    """Meeus ch. 47: geocentric longitude, latitude (radians, ecliptic and mean
    equinox of date) and distance (km)."""
    T = (jde - J2000) / 36525.0

    def poly(*c):
        return sum(ci * T ** i for i, ci in enumerate(c)) * (math.pi / 180)

    Lp = poly(218.3164477, 481267.88123421, -0.0015786, 1 / 538841, -1 / 65194000)
    D = poly(297.8501921, 445267.1114034, -0.0018819, 1 / 545868, -1 / 113065000)
    M = poly(357.5291092, 35999.0502909, -0.0001536, 1 / 24490000)
    Mp = poly(134.9633964, 477198.8675055, 0.0087414, 1 / 69699, -1 / 14712000)
    F = poly(93.2720950, 483202.0175233, -0.0036539, -1 / 3526000, 1 / 863310000)
    A1 = poly(119.75, 131.849)
    A2 = poly(53.09, 479264.290)
    A3 = poly(313.45, 481266.484)
    E = 1 - 0.002516 * T - 0.0000074 * T * T
    sl = 3958 * np.sin(A1) + 1962 * np.sin(Lp - F) + 318 * np.sin(A2)
    sr = np.zeros_like(T)
    sb = (-2235 * np.sin(Lp) + 382 * np.sin(A3) + 175 * np.sin(A1 - F) + 175 * np.sin(A1 + F)
          + 127 * np.sin(Lp - Mp) - 115 * np.sin(Lp + Mp))
    for d, m, mp, f, al, ar in ta:
        arg = d * D + m * M + mp * Mp + f * F
        e = E ** abs(m)
        sl = sl + al * e * np.sin(arg)
        sr = sr + ar * e * np.cos(arg)
    for d, m, mp, f, ab in tb:
        sb = sb + ab * E ** abs(m) * np.sin(d * D + m * M + mp * Mp + f * F)
    lon = Lp + sl * 1e-6 * (math.pi / 180)
    lat = sb * 1e-6 * (math.pi / 180)
    return lon, lat, 385000.56 + sr * 1e-3


def meeus_pluto(table, jde):
    """Meeus ch. 37: heliocentric l, b (radians, J2000 ecliptic), r (AU)."""
    T = (jde - J2000) / 36525.0
    J = 34.35 + 3034.9057 * T
    S = 50.08 + 1222.1138 * T
    P = 238.96 + 144.96 * T
    l = np.zeros_like(T)
    b = np.zeros_like(T)
    r = np.zeros_like(T)
    for i, j, k, la, lb, ba, bb, ra, rb in table:
        alpha = (i * J + j * S + k * P) * (math.pi / 180)
        sa, ca = np.sin(alpha), np.cos(alpha)
        l += la * sa + lb * ca
        b += ba * sa + bb * ca
        r += ra * sa + rb * ca
    return ((l + 238.958116 + 144.96 * T) * (math.pi / 180), (b - 3.908239) * (math.pi / 180),
            r + 40.7241346)


# ---------------------------------------------------------------------------
# Frames: the program's precession (Lieske 1977) and mean obliquity.

def rotation(axis, angle):
    c, s = np.cos(angle), np.sin(angle)
    one, zero = np.ones_like(c), np.zeros_like(c)
    if axis == 0:
        m = [[one, zero, zero], [zero, c, -s], [zero, s, c]]
    elif axis == 1:
        m = [[c, zero, -s], [zero, one, zero], [s, zero, c]]
    else:
        m = [[c, -s, zero], [s, c, zero], [zero, zero, one]]
    return np.moveaxis(np.array(m), [0, 1], [-2, -1])


def mean_obliquity(jd):
    T = (jd - J2000) * INV_CENTURY
    return (23.439291 + T * (-0.0130042 + T * (-1.6e-7 + T * 5.04e-7))) * RAD_PER_DEG


def program_matrix(jde):
    """M = P(JDE -> J2000) x E^-1(eps(JDE)): ecliptic of date to J2000 equator."""
    T = (jde - J2000) * INV_CENTURY
    t = (J2000 - jde) * INV_CENTURY
    t2, t3 = t * t, t * t * t
    zt = 2306.2181 + 1.39656 * T - 0.000139 * T * T
    zeta = (zt * t + (0.30188 - 0.000344 * T) * t2 + 0.017998 * t3) * RAD_PER_ARCSEC
    z = (zt * t + (1.09468 + 0.000066 * T) * t2 + 0.018203 * t3) * RAD_PER_ARCSEC
    theta = ((2004.3109 - 0.8533 * T - 0.000217 * T * T) * t - (0.42665 + 0.000217 * T) * t2
             - 0.041833 * t3) * RAD_PER_ARCSEC
    m = rotation(0, mean_obliquity(jde))
    for axis, angle in ((2, zeta), (1, theta), (2, z)):
        m = rotation(axis, angle) @ m
    return m


def spherical_to_rect(lon, lat, r):
    return np.stack([r * np.cos(lat) * np.cos(lon), r * np.cos(lat) * np.sin(lon),
                     r * np.sin(lat)], axis=-1)


def rect_to_spherical(v):
    lon = np.arctan2(v[..., 1], v[..., 0])
    r = np.linalg.norm(v, axis=-1)
    return lon, np.arcsin(v[..., 2] / r), r


def j2000_ecliptic_to_date(lon, lat, r, jde):
    v = spherical_to_rect(lon, lat, r)
    eq = rotation(0, OBLIQUITY_J2000_DEG * RAD_PER_DEG) @ v[..., None]
    date = np.swapaxes(program_matrix(jde), -1, -2) @ eq
    return rect_to_spherical(date[..., 0])


# ---------------------------------------------------------------------------
# The targets of each body, in the ecliptic and mean equinox of date.

class Targets:
    def __init__(self, astronomia):
        self.vsop = {p: read_vsop87b(astronomia, p) for p in
                     ['mercury', 'venus', 'earth', 'mars', 'jupiter', 'saturn', 'uranus',
                      'neptune']}
        self.moon = read_moon_tables(astronomia)
        self.pluto = read_pluto_table(astronomia)

    def place(self, body, jde):
        """Longitude, latitude (radians) and radius (AU; Earth radii for the
        Moon), of date: geocentric for the Sun and Moon, heliocentric else."""
        if body == 'Moon':
            lon, lat, km = meeus_moon(*self.moon, jde)
            return lon, lat, km / EARTH_RADIUS_KM
        if body == 'Pluto':
            return j2000_ecliptic_to_date(*meeus_pluto(self.pluto, jde), jde)
        if body == 'Sun':
            lon, lat, r = j2000_ecliptic_to_date(*vsop87b(self.vsop['earth'], jde), jde)
            return lon + math.pi, -lat, r
        return j2000_ecliptic_to_date(*vsop87b(self.vsop[body.lower()], jde), jde)


def sample_times(n, start, end):
    """A low-discrepancy spread of n instants over [start, end]."""
    golden = (math.sqrt(5.0) - 1.0) / 2.0
    i = np.arange(n)
    return start + (end - start) * np.mod(0.5 + i * golden, 1.0)


# ---------------------------------------------------------------------------
# Candidate combinations. A candidate is (power, function, multipliers).

def canonical(mult):
    for m in mult:
        if m != 0:
            return tuple(mult) if m > 0 else tuple(-x for x in mult)
    return tuple(mult)


def combo(**slots):
    mult = [0] * 8
    for k, v in slots.items():
        mult[int(k[1:])] = v
    return tuple(mult)


def add(pool, power, function, mult):
    mult = canonical(mult)
    if all(m == 0 for m in mult) and function == SINE:
        return
    pool.append((power, function, mult))


def unique(pool):
    seen, out = set(), []
    for c in pool:
        if c not in seen:
            seen.add(c)
            out.append(c)
    return out


def planet_pool(body, coordinate):
    s = STRUCTURE[body]
    M, F, perturbers = s['M'], s['F'], s['perturbers']
    pool = []
    both = (SINE, COSINE)

    def vec(pairs):
        mult = [0] * 8
        for slot, k in pairs:
            mult[slot] += k
        return mult

    jmax = 8 if body == 'Pluto' else (6 if body in ('Mercury', 'Mars') else 5)
    kmax = 7
    if coordinate in ('lon', 'rad'):
        for p in (0, 1, 2):
            add(pool, p, COSINE, [0] * 8)
        for j in range(1, jmax + 1):
            for fn in both:
                for p in (0, 1, 2) if j <= 3 else (0, 1):
                    add(pool, p, fn, vec([(M, j)]))
        if F is not None:
            for j in range(-3, 4):
                for fn in both:
                    add(pool, 0, fn, vec([(F, 2), (M, j)]))
                    if body == 'Pluto':
                        add(pool, 1, fn, vec([(F, 2), (M, j)]))
        for P in perturbers:
            for j in range(0, jmax + 1):
                for k in range(-kmax, kmax + 1):
                    if k == 0:
                        continue
                    for fn in both:
                        add(pool, 0, fn, vec([(M, j), (P, k)]))
        if body == 'Sun':
            # The Moon moves the Earth about the Earth-Moon barycentre: the
            # Moon's elongation D = L(Moon) - L(Sun).
            for k in (1, 2):
                for fn in both:
                    add(pool, 0, fn, vec([(0, k), (2, -k)]))
                    add(pool, 0, fn, vec([(0, k), (2, -k), (M, 1)]))
                    add(pool, 0, fn, vec([(0, k), (2, -k), (M, -1)]))
    else:
        if body == 'Sun':
            # The Earth's latitude about the barycentre follows the Moon's
            # argument of latitude L(Moon) - node.
            for fn in both:
                add(pool, 0, fn, vec([(0, 1), (1, -1)]))
                add(pool, 0, fn, vec([(0, 1), (1, -1), (2, -1)]))
            return unique(pool)
        for odd in (1, 3):
            for j in range(-4, 5):
                for fn in both:
                    for p in (0, 1, 2) if odd == 1 and abs(j) <= 2 else (0,):
                        add(pool, p, fn, vec([(F, odd), (M, j)]))
        for P in perturbers:
            for j in range(-3, 4):
                for k in range(-kmax, kmax + 1):
                    if k == 0:
                        continue
                    for fn in both:
                        add(pool, 0, fn, vec([(F, 1), (M, j), (P, k)]))
        for p in (0, 1, 2):
            add(pool, p, COSINE, [0] * 8)
    return unique(pool)


def moon_pool(coordinate):
    # Slots: 0 L, 1 M' (Moon's anomaly), 2 F, 3 D, 4 node, 5 Sun L, 6 M (Sun's
    # anomaly), 7 Venus L.
    pool = []
    fn = COSINE if coordinate == 'rad' else SINE
    fs = (-3, -1, 1, 3) if coordinate == 'lat' else (-4, -2, 0, 2, 4)
    for d in range(0, 5):
        for m in range(-2, 3):
            for mp in range(-4, 5):
                for f in fs:
                    mult = combo(m3=d, m6=m, m1=mp, m2=f)
                    add(pool, 0, fn, mult)
                    # The Earth's orbital eccentricity shrinks: the terms in M
                    # change with time.
                    if m != 0 and abs(d) + abs(m) + abs(mp) + abs(f) <= 4:
                        add(pool, 1, fn, mult)
    if coordinate != 'lat':
        # The quadratic terms of the mean arguments.
        for p in (0, 1, 2):
            add(pool, p, COSINE, [0] * 8)
        other = SINE if fn == COSINE else COSINE
        for mult in (combo(m1=1), combo(m3=2, m1=-1), combo(m3=2), combo(m1=2), combo(m6=1),
                     combo(m2=2), combo(m3=2, m1=-2)):
            for p in (1, 2):
                add(pool, p, other, mult)
    if coordinate == 'lon':
        # The node term (L - F) and Venus' long-period term.
        add(pool, 0, SINE, combo(m4=1))
        add(pool, 0, SINE, combo(m0=1, m2=-1))
        for f2 in (SINE, COSINE):
            add(pool, 0, f2, combo(m7=18, m5=-16, m1=-1))
    if coordinate == 'lat':
        add(pool, 0, SINE, combo(m0=1))
        add(pool, 0, SINE, combo(m0=1, m1=-1))
        add(pool, 0, SINE, combo(m0=1, m1=1))
        for p in (1, 2):
            add(pool, p, COSINE, combo(m2=1))
    return unique(pool)


# The rows fixed before the selection: Mercury's equation of the centre
# (sin G) opens its longitude series, followed by sin(G - 2F), the part of the
# reduction to the ecliptic that has the period of G (without it the fit folds
# that part, some 330", into sin G); a constant and cos G (G the Moon's
# anomaly) open the Moon's radius series. Every other series opens with its
# largest terms as the selection finds them.
FORCED = {
    ('Mercury', 'lon'): [(0, SINE, combo(m5=1)), (0, SINE, combo(m5=1, m6=-2))],
    ('Moon', 'rad'): [(0, COSINE, combo()), (0, COSINE, combo(m1=1))],
}


def design(args, T, pool):
    cols = np.empty((T.size, len(pool)))
    for c, (power, function, mult) in enumerate(pool):
        a = np.tensordot(np.array(mult, dtype=float), args, axes=1)
        cols[:, c] = (T ** power) * (np.sin(a) if function == SINE else np.cos(a))
    return cols


def greedy_select(A, y, count, forced_idx):
    """Orthogonal forward selection of count columns of A, forced ones first."""
    R = A.copy()
    r = y.copy()
    norms0 = np.einsum('ij,ij->j', A, A)
    chosen = []
    for step in range(count):
        if step < len(forced_idx):
            j = forced_idx[step]
        else:
            norms = np.einsum('ij,ij->j', R, R)
            ok = norms > 1e-9 * norms0
            score = np.where(ok, (R.T @ r) ** 2 / np.where(ok, norms, 1.0), -1.0)
            score[chosen] = -1.0
            j = int(np.argmax(score))
        q = R[:, j] / np.linalg.norm(R[:, j])
        r -= q * (q @ r)
        R -= np.outer(q, q @ R)
        chosen.append(j)
    coef, *_ = np.linalg.lstsq(A[:, chosen], y, rcond=None)
    return chosen, coef


def exchange(A, y, chosen, nforced, sweeps=4):
    """Improves a selection by exchanges: each free column in turn is replaced
    by the candidate that, with the others kept, leaves the smallest residual,
    until a sweep changes nothing. On a short arc of a long orbit (Pluto) the
    greedy choice alone is far from the best."""
    chosen = list(chosen)
    norms0 = np.einsum('ij,ij->j', A, A)
    for _ in range(sweeps):
        improved = False
        for pos in range(nforced, len(chosen)):
            rest = chosen[:pos] + chosen[pos + 1:]
            Q, _ = np.linalg.qr(A[:, rest])
            r = y - Q @ (Q.T @ y)
            R = A - Q @ (Q.T @ A)
            norms = np.einsum('ij,ij->j', R, R)
            ok = norms > 1e-9 * norms0
            score = np.where(ok, (R.T @ r) ** 2 / np.where(ok, norms, 1.0), -1.0)
            score[rest] = -1.0
            j = int(np.argmax(score))
            if j != chosen[pos] and score[j] > score[chosen[pos]] * (1 + 1e-9):
                chosen[pos] = j
                improved = True
        if not improved:
            break
    coef, *_ = np.linalg.lstsq(A[:, chosen], y, rcond=None)
    return chosen, coef


def evaluate(records, args, T):
    s = np.zeros_like(T)
    for amp, power, function, mult in records:
        a = np.tensordot(np.array(mult, dtype=float), args, axes=1)
        s += float(np.float32(amp)) * T ** power * (np.sin(a) if function == SINE else np.cos(a))
    return s


def wrap(x):
    return (x + math.pi) % (2 * math.pi) - math.pi


def series_targets(body, place, args):
    lon, lat, r = place
    argL = args[BODIES[body]['argL']]
    y_lon = wrap(lon - argL) / RAD_PER_ARCSEC
    return {'lon': y_lon, 'lat': lat / RAD_PER_ARCSEC, 'rad': r * 1e5}


SAMPLES = {'Moon': 30000, 'Mercury': 20000, 'Sun': 20000, 'Venus': 12000, 'Mars': 12000}


def fit_body(body, targets):
    start, end = (JD_1885, JD_2099) if body == 'Pluto' else (JD_1800, JD_2200)
    jde = sample_times(SAMPLES.get(body, 8000), start, end)
    args = fundamental_arguments(body, jde)
    T = centuries_1900(jde)
    ys = series_targets(body, targets.place(body, jde), args)
    table = {}
    for coordinate, count in zip(('lon', 'lat', 'rad'), BODIES[body]['counts']):
        pool = moon_pool(coordinate) if body == 'Moon' else planet_pool(body, coordinate)
        forced = FORCED.get((body, coordinate), [])
        for f in forced:
            if f not in pool:
                pool.append(f)
        forced_idx = [pool.index(f) for f in forced]
        A = design(args, T, pool)
        chosen, coef = greedy_select(A, ys[coordinate], count, forced_idx)
        if body != 'Moon':
            chosen, coef = exchange(A, ys[coordinate], chosen, len(forced_idx))
        # Fixed rows first, then the others by the size of their effect.
        size = np.abs(coef) * np.sqrt(np.mean(A[:, chosen] ** 2, axis=0))
        order = list(range(len(forced_idx))) + sorted(range(len(forced_idx), count),
                                                      key=lambda i: -size[i])
        table[coordinate] = [(float(np.float32(coef[i])), *pool[chosen[i]]) for i in order]
        print('  %s %s: %d candidates' % (body, coordinate, len(pool)), file=sys.stderr)
    return table


# ---------------------------------------------------------------------------
# Residuals of the fitted tables.

def vfp_place(body, table, jde):
    args = fundamental_arguments(body, jde)
    T = centuries_1900(jde)
    s = {c: evaluate(table[c], args, T) for c in ('lon', 'lat', 'rad')}
    lon = np.fmod(args[BODIES[body]['argL']] + s['lon'] * RAD_PER_ARCSEC, TWO_PI)
    return lon, s['lat'] * RAD_PER_ARCSEC, s['rad'] * 1e-5


def residuals(body, table, targets, start, end, n=20000):
    jde = sample_times(n, start, end)
    lon, lat, r = vfp_place(body, table, jde)
    tl, tb, tr = targets.place(body, jde)
    return {
        'lon': wrap(lon - tl) / RAD_PER_ARCSEC,
        'lat': (lat - tb) / RAD_PER_ARCSEC,
        'rad': (r - tr) * 1e5,  # 1e-5 AU, or 1e-5 Earth radii for the Moon
    }


def angle_between(a, b):
    cross = np.linalg.norm(np.cross(a, b), axis=-1)
    return np.arctan2(cross, np.einsum('ij,ij->i', a, b)) / RAD_PER_ARCSEC


def geocentric_errors(body, tables, targets, start, end, n=20000):
    """Angular error (arcseconds) of the geocentric direction."""
    jde = sample_times(n, start, end)
    fitted = spherical_to_rect(*vfp_place(body, tables[body], jde))
    precise = spherical_to_rect(*targets.place(body, jde))
    if body not in ('Sun', 'Moon'):
        sun_f = spherical_to_rect(*vfp_place('Sun', tables['Sun'], jde))
        sun_p = spherical_to_rect(*targets.place('Sun', jde))
        fitted = fitted + sun_f
        precise = precise + sun_p
    return angle_between(fitted, precise)


# ---------------------------------------------------------------------------
# The C++ table.

def cpp_float(x):
    """The shortest decimal that reads back as the same single-precision value."""
    text = np.format_float_positional(np.float32(x), unique=True, trim='0')
    if abs(float(np.float32(x))) < 1e-3 and float(x) != 0.0:
        text = np.format_float_scientific(np.float32(x), unique=True, trim='0')
    return text + 'f'


def write_cpp(path, tables, command):
    lines = [
        '// Generated by tools/theories/fit-vfp.py: do not edit. To regenerate:',
        '//',
        '//   %s' % command,
        '//',
        "// The low-precision theory's term tables: for each body its longitude,",
        '// latitude and radius records one after the other. A record is amplitude,',
        '// power of T, function (1 sine, 0 cosine) and the multipliers of the',
        "// body's eight fundamental arguments. Amplitudes are arcseconds for",
        '// longitude and latitude, 1e-5 AU (1e-5 Earth radii for the Moon) for radius.',
        '// tools/theories/VFP.md tells how the combinations were chosen.',
        '',
        '#include "astro/Vfp.h"',
        '',
    ]
    for body in BODY_ORDER:
        table = tables[body]
        n = sum(len(table[c]) for c in ('lon', 'lat', 'rad'))
        lines.append('const VfpTerm kVfp%sTerms[%d] = {' % (body, n))
        for coordinate, name in (('lon', 'longitude'), ('lat', 'latitude'), ('rad', 'radius')):
            lines.append('    // %s' % name)
            for amp, power, function, mult in table[coordinate]:
                lines.append('    {%s, %d, %d, {%s}},' % (cpp_float(amp), power, function,
                                                           ', '.join(str(m) for m in mult)))
        lines.append('};')
        lines.append('')
    with open(path, 'w') as f:
        f.write('\n'.join(lines))


def describe(body, table):
    rows = []
    names = {
        'Sun': ['Lm', 'Om', 'Ls', 'Ms', 'Mv', 'Mm', 'Mj', '-'],
        'Moon': ['L', 'G', 'F', 'D', 'Om', 'Ls', 'Ms', 'Lv'],
        'Mercury': ['Lm', 'Om', 'Ls', 'Ms', 'L', 'G', 'F', 'Mv'],
        'Venus': ['Lm', 'Om', 'Ls', 'Ms', 'L', 'G', 'F', 'Mm'],
        'Mars': ['Om', 'Ls', 'Ms', 'Mv', 'L', 'G', 'F', 'Mj'],
        'Jupiter': ['Om', 'Ls', 'Ms', 'L', 'G', 'Ms7', 'Mu', '-'],
        'Saturn': ['Om', 'Ls', 'Ms', 'Mj', 'L', 'G', 'F', 'Mu'],
        'Uranus': ['Mj', 'Ms7', 'L', 'G', 'F', 'Mn', '-', '-'],
        'Neptune': ['Mj', 'Ms7', 'Lu', 'Mu', 'L', 'G', 'F', '-'],
        'Pluto': ['L', 'G', 'F', 'Ls', '-', '-', '-', '-'],
    }[body]
    for coordinate in ('lon', 'lat', 'rad'):
        parts = []
        for amp, power, function, mult in table[coordinate]:
            arg = ''
            for m, n in zip(mult, names):
                if m == 0:
                    continue
                term = n if abs(m) == 1 else '%d%s' % (abs(m), n)
                arg += ('+' if m > 0 and arg else '-' if m < 0 else '') + term
            f = 'sin' if function == SINE else 'cos'
            t = '' if power == 0 else ('T ' if power == 1 else 'T%d ' % power)
            parts.append('%s%s(%s)' % (t, f, arg or '0'))
        rows.append((coordinate, parts))
    return rows


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.dirname(os.path.dirname(here))
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--astronomia', default=os.path.join(here, 'node_modules', 'astronomia'))
    parser.add_argument('--output', default=os.path.join(root, 'astro', 'theories',
                                                         'VfpTables.cpp'))
    parser.add_argument('--bodies', default=','.join(BODY_ORDER))
    options = parser.parse_args()

    targets = Targets(options.astronomia)
    bodies = options.bodies.split(',')
    tables = {}
    for body in BODY_ORDER:
        if body in bodies or body == 'Sun':
            print('fitting %s' % body, file=sys.stderr)
            tables[body] = fit_body(body, targets)

    if set(bodies) == set(BODY_ORDER):
        write_cpp(options.output, tables,
                  '/usr/bin/python3 tools/theories/fit-vfp.py  (astronomia 4.2.0 in '
                  'tools/theories/node_modules)')

    print('| Body | Fit span | Longitude RMS / max (") | Latitude RMS / max (") | '
          'Radius RMS / max (1e-5 AU) | Geocentric 1900-2100 RMS / max (") |')
    print('|---|---|---|---|---|---|')
    for body in BODY_ORDER:
        if body not in tables:
            continue
        start, end = (JD_1885, JD_2099) if body == 'Pluto' else (JD_1800, JD_2200)
        res = residuals(body, tables[body], targets, start, end)
        geo = geocentric_errors(body, tables, targets, JD_1900, JD_2100)
        cells = ['%.2f / %.2f' % (np.sqrt(np.mean(res[c] ** 2)), np.max(np.abs(res[c])))
                 for c in ('lon', 'lat', 'rad')]
        span = '1885-2099' if body == 'Pluto' else '1800-2200'
        print('| %s | %s | %s | %.1f / %.1f |' % (body, span, ' | '.join(cells),
                                                  np.sqrt(np.mean(geo ** 2)), np.max(geo)))
    print()
    for body in BODY_ORDER:
        if body not in tables:
            continue
        for coordinate, parts in describe(body, tables[body]):
            print('%s %s (%d): %s' % (body, coordinate, len(parts), ', '.join(parts)))
    for (body, coordinate), rows in FORCED.items():
        if body in tables:
            for i, row in enumerate(tables[body][coordinate][:len(rows)]):
                print('telling row %s %s %d: %s' % (body, coordinate, i, row))


if __name__ == '__main__':
    main()
