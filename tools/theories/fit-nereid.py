#!/usr/bin/python3
"""Fits Nereid's mean elements and the Sun's long-period terms to JPL.

Nereid's orbit (e = 0.75, a year round Neptune) is bent by the Sun: its
eccentricity, pericentre, node and inclination swing with twice the angle
between the pericentre (or the node) and the direction of the Sun, a period of
about eighty years as Neptune goes round. Jacobson's secular elements (1990)
leave these out and miss JPL's ephemeris by up to 14" near pericentre; the
older theory with the terms (Mignard 1981) has no source we could read.

This script keeps the form of a mean-element theory with periodic terms,

    element = mean element + c cos 2x + s sin 2x

for the mean longitude, pericentre and eccentricity with x = pericentre -
Neptune's mean longitude, and for the inclination and node with x = node -
Neptune's mean longitude, on the plane and in the frame of Jacobson's theory
(Neptune's orbit: node 3.522 deg, inclination 22.313 deg on the B1950
equator). It fits the nine mean elements and the ten amplitudes by least
squares to JPL's positions over 1900-2050, starting from Jacobson's figures
(outer_simple_elements.json beside the repository). The positions come from
nereid-swe.c on standard input:

    cc -O2 tools/theories/nereid-swe.c -o /tmp/nereid-swe -lswe -lm
    /tmp/nereid-swe | /usr/bin/python3 tools/theories/fit-nereid.py

It writes astro/theories/NereidData.cpp and prints, as a check on the form,
the error of a fit to 1900-1975 over 1975-2050, and of the whole fit.
"""
import json
import os
import sys

import numpy as np

DEG = np.pi / 180.0
ARCSEC_AT_29_AU = 1.0 / (29.0 * np.pi / 180.0 / 3600.0)  # AU of offset to arc-seconds
EPOCH = 2451545.0
# Neptune's mean longitude (Meeus, Astronomical Algorithms, Table 31.A, J2000
# ecliptic), degrees and degrees per day.
NEPTUNE = (304.348665, 218.4862002 / 36525.0)
PLANE_NODE, PLANE_INCLINATION = 3.522, 22.313
# (element, from node?) of each pair of amplitudes.
TERMS = [('longitude', False), ('pericentre', False), ('eccentricity', False),
         ('inclination', True), ('node', True)]

here = os.path.dirname(os.path.abspath(__file__))
repository = os.path.dirname(os.path.dirname(here))
figures = os.path.join(repository, '..', 'shared', 'data', 'satellites', 'outer_simple_elements.json')


def rx(a):
    c, s, o, z = np.cos(a), np.sin(a), np.ones_like(a), np.zeros_like(a)
    return np.array([[o, z, z], [z, c, -s], [z, s, c]]).transpose(2, 0, 1)


def rz(a):
    c, s, o, z = np.cos(a), np.sin(a), np.ones_like(a), np.zeros_like(a)
    return np.array([[c, -s, z], [s, c, z], [z, z, o]]).transpose(2, 0, 1)


# IAU 1976 precession from B1950.0 (JD 2433282.423) to J2000 (Lieske 1977),
# the matrix Rz(z) Ry(-theta) Rz(zeta) of counter-clockwise rotations.
def b1950_to_j2000():
    T = (2433282.423 - EPOCH) / 36525.0
    t = -T
    zeta = ((2306.2181 + 1.39656 * T - 0.000139 * T * T) * t + (0.30188 - 0.000344 * T) * t * t
            + 0.017998 * t ** 3) / 3600.0 * DEG
    z = ((2306.2181 + 1.39656 * T - 0.000139 * T * T) * t + (1.09468 + 0.000066 * T) * t * t
         + 0.018203 * t ** 3) / 3600.0 * DEG
    theta = ((2004.3109 - 0.85330 * T - 0.000217 * T * T) * t - (0.42665 + 0.000217 * T) * t * t
             - 0.041833 * t ** 3) / 3600.0 * DEG
    c, s = np.cos(theta), np.sin(theta)
    return rz(np.array([z]))[0] @ np.array([[c, 0, -s], [0, 1, 0], [s, 0, c]]) @ rz(np.array([zeta]))[0]


FRAME = b1950_to_j2000() @ rz(np.array([PLANE_NODE * DEG]))[0] @ rx(np.array([PLANE_INCLINATION * DEG]))[0]
NAMES = ['a', 'e', 'L0', 'Ln', 'w0', 'wr', 'i', 'O0', 'Or'] + \
    [f'{k}{n}' for n, _ in TERMS for k in 'cs']


def elements(q, t):
    """The elements at the times t: radians, AU."""
    d = t - EPOCH
    c = d / 36525.0
    lam = (q['L0'] + q['Ln'] * d) * DEG
    varpi = (q['w0'] + q['wr'] * c) * DEG
    node = (q['O0'] + q['Or'] * c) * DEG
    neptune = (NEPTUNE[0] + NEPTUNE[1] * d) * DEG
    el = {'longitude': lam, 'pericentre': varpi, 'eccentricity': q['e'] + 0.0 * t,
          'inclination': q['i'] * DEG + 0.0 * t, 'node': node}
    for name, from_node in TERMS:
        x = 2.0 * ((node if from_node else varpi) - neptune)
        scale = 1.0 if name == 'eccentricity' else DEG
        el[name] = el[name] + scale * (q['c' + name] * np.cos(x) + q['s' + name] * np.sin(x))
    return el


def position(q, t):
    el = elements(q, t)
    e = el['eccentricity']
    M = np.mod(el['longitude'] - el['pericentre'], 2.0 * np.pi)
    E = M + e * np.sin(M)
    for _ in range(60):
        E = E - (E - e * np.sin(E) - M) / (1.0 - e * np.cos(E))
    xy = np.stack([q['a'] * (np.cos(E) - e), q['a'] * np.sqrt(1.0 - e * e) * np.sin(E), 0.0 * E], 1)
    r = rz(el['node']) @ rx(el['inclination']) @ rz(el['pericentre'] - el['node']) @ xy[:, :, None]
    return (FRAME @ r)[:, :, 0]


def fit(q, t, v):
    q = dict(q)
    for _ in range(8):
        r0 = (position(q, t) - v).ravel()
        columns = []
        for k in NAMES:
            h = 1e-7 if k in ('a', 'e', 'ceccentricity', 'seccentricity') else 1e-6
            q2 = dict(q)
            q2[k] += h
            columns.append(((position(q2, t) - v).ravel() - r0) / h)
        step = np.linalg.lstsq(np.array(columns).T, -r0, rcond=None)[0]
        for k, x in zip(NAMES, step):
            q[k] += x
    return q


def worst(q, t, v):
    return np.linalg.norm(position(q, t) - v, axis=1).max() * ARCSEC_AT_29_AU


def main():
    data = np.loadtxt(sys.stdin)
    t, v = data[:, 0], data[:, 1:4]
    if len(t) < 10000:
        sys.exit('fit-nereid: expected JPL positions every five days from 1900 to 2050 on stdin')
    # Jacobson's figures, carried to J2000, are the starting point.
    j = json.load(open(figures))['satellites']['Nereid']
    d0 = EPOCH - j['epoch_jd']
    q = {'a': j['a_au'], 'e': j['e'],
         'L0': (j['lambda']['deg'] + j['lambda']['deg_per_day'] * d0) % 360.0,
         'Ln': j['lambda']['deg_per_day'],
         'w0': j['varpi']['deg'] + j['varpi']['deg_per_century'] * d0 / 36525.0,
         'wr': j['varpi']['deg_per_century'], 'i': j['gamma']['deg'],
         'O0': j['Omega']['deg'] + j['Omega']['deg_per_century'] * d0 / 36525.0,
         'Or': j['Omega']['deg_per_century']}
    for name, _ in TERMS:
        q['c' + name] = q['s' + name] = 0.0
    middle = 2442413.0  # 1975
    early = t < middle
    half = fit(q, t[early], v[early])
    print(f'Jacobson (1990): worst {worst(q, t, v):.2f}"', file=sys.stderr)
    print(f'fitted to 1900-1975: worst {worst(half, t[early], v[early]):.2f}" there, '
          f'{worst(half, t[~early], v[~early]):.2f}" over 1975-2050', file=sys.stderr)
    q = fit(q, t, v)
    print(f'fitted to 1900-2050: worst {worst(q, t, v):.2f}"', file=sys.stderr)

    def num(x):
        return f'{x:.12g}'

    def angle(constant, per_day=0.0, per_century=0.0):
        return f'{{{num(constant)}, {num(per_day)}, 0, 0, {num(per_century)}}}'
    lines = [
        "// Generated by tools/theories/fit-nereid.py from JPL's ephemeris of Nereid",
        '// (the Swiss Ephemeris moon files); do not edit.',
        '',
        '#include "astro/theories/TheoryData.h"',
        '',
        '// clang-format off',
        '',
        'const SatelliteElementSet kNereidElements = {',
        f'    {num(EPOCH)}, {num(q["a"])}, {num(q["e"])},',
        f'    {angle(q["L0"] % 360.0, q["Ln"])},',
        f'    {angle(q["w0"] % 360.0, 0.0, q["wr"])},',
        f'    {angle(q["i"])},',
        f'    {angle(q["O0"] % 360.0, 0.0, q["Or"])},',
        f'    {angle(PLANE_NODE)}, {angle(PLANE_INCLINATION)}, 0, {angle(0.0)}}};',
        '',
        f'const SatelliteAngle kNereidNeptuneLongitude = {angle(NEPTUNE[0], NEPTUNE[1])};',
        '',
        '// element, from the node, cosine and sine amplitudes (degrees; the',
        '// eccentricity as it is)',
        'const NereidTerm kNereidTerms[kNereidTermCount] = {',
    ]
    enum = {'longitude': 'kNereidLongitude', 'pericentre': 'kNereidPericentre',
            'eccentricity': 'kNereidEccentricity', 'inclination': 'kNereidInclination',
            'node': 'kNereidNode'}
    for name, from_node in TERMS:
        lines.append(f'    {{{enum[name]}, {"true" if from_node else "false"}, '
                     f'{num(q["c" + name])}, {num(q["s" + name])}}},')
    lines.append('};')
    with open(os.path.join(repository, 'astro', 'theories', 'NereidData.cpp'), 'w') as out:
        out.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
