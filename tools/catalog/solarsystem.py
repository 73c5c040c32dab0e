#!/usr/bin/env python3
"""The Sun, the planets, Pluto, the Moon and the planetary satellites ->
SolarSystem.txt ("P" lines).

There is no source file for these: the figures below are published values,
transcribed with their provenance.

* Planets Mercury to Neptune: mean orbital elements at J2000.0 referred to
  the ecliptic and equinox J2000.0, the constant terms of Meeus, Astronomical
  Algorithms, Table 31.A (as carried by the astronomia package,
  src/planetelements.js); M = L - perihelion longitude, argument of
  perihelion = perihelion longitude - node.  The Earth's node is undefined
  (inclination 0) and written as 0.
* Pluto: JPL's "Keplerian Elements for Approximate Positions of the Major
  Planets" (Standish), Table 1, J2000.0.
* The Moon, relative to the Earth: the mean lunar arguments of Meeus ch. 47
  at J2000.0 (ELP-2000/82: L' 218.3164477, M' 134.9633964, node 125.0445479),
  mean inclination 5.145396 deg, mean eccentricity 0.0549.  The record has
  no rates, and the program derives the mean motion from the semi-major axis
  by Kepler's third law; the Sun's pull makes the real Moon go round more
  slowly than that law gives for its mean distance of 384 400 km (by 0.018
  deg a day, half a turn in 27 years), so the semi-major axis written is the
  one whose Keplerian motion is the Moon's mean sidereal motion, 13.17639646
  deg a day (Meeus ch. 47): 384 747 km.
* Galilean satellites: osculating elements at J2000.0, derived from the
  jovicentric position and velocity of astronomy-engine's JupiterMoons (MIT)
  at that instant.  (JPL's mean elements for them are for 1997 Jan 16, and
  carried to J2000 by the two-body mean motion they would drift by up to
  100 degrees, the planet's oblateness being left out.)
* Other satellites: JPL Solar System Dynamics planetary satellite mean elements
  (a, e, argument of periapsis, mean anomaly, inclination and node referred
  to each satellite's local Laplace plane, whose pole is given in R.A. and
  Dec. of the ICRF, the node counted from the Laplace plane's ascending node
  on the ICRF equator), each group at the epoch of its table.  They are
  rotated here into the J2000 ecliptic frame the program stores.  The
  program computes these satellites from their own theories; the elements
  are the records' reference values (radius, mass, period).
* Radii (km), masses (from GM ratios, Earth masses) and magnitude
  parameters: IAU/JPL physical constants; planets carry the absolute
  magnitude of their magnitude formula, satellites their V(1,0).

All elements: equinox 2000.0, angles in degrees, field 5 the argument of
perihelion and field 6 the ascending node, as the import format orders them.
"""

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True      # no __pycache__ beside the sources
import common  # noqa: E402

AU_KM = 149597870.7
EARTH_MASS_KG = 5.9722e24
OBLIQUITY_J2000 = 23.4392911            # degrees, IAU 1976 mean obliquity at J2000

J2000_TEXT = "2000/1/1.5"

# Heliocentric mean elements at J2000.0:
# (type, name, a AU, e, i, node, perihelion longitude, mean longitude,
#  radius km, mass in Earth masses, absolute magnitude)
PLANETS = [
    (2, "Mercury", 0.38709831, 0.20563175, 7.004986, 48.330893, 77.456119, 252.250906,
     2439.7, 0.055274, -0.42),
    (3, "Venus", 0.72332982, 0.00677192, 3.394662, 76.67992, 131.563703, 181.979801,
     6051.8, 0.815005, -4.40),
    (4, "Earth", 1.000001018, 0.01670863, 0.0, 0.0, 102.937348, 100.466457,
     6378.137, 1.0, -3.86),
    (5, "Mars", 1.523679342, 0.09340065, 1.849726, 49.558093, 336.060234, 355.433,
     3396.19, 0.107447, -1.52),
    (6, "Jupiter", 5.202603209, 0.04849793, 1.303267, 100.464407, 14.331207, 34.351519,
     71492.0, 317.828, -9.40),
    (7, "Saturn", 9.554909192, 0.05554814, 2.488879, 113.665503, 93.057237, 50.077444,
     60268.0, 95.161, -8.88),
    (8, "Uranus", 19.218446062, 0.04638122, 0.773197, 74.005957, 173.005291, 314.055005,
     25559.0, 14.536, -7.19),
    (9, "Neptune", 30.110386869, 0.00945575, 1.769953, 131.784057, 48.120276, 304.348665,
     24764.0, 17.147, -6.87),
    # JPL approximate elements, Table 1 (valid 1800-2050)
    (10, "Pluto", 39.48211675, 0.24882730, 17.14001206, 110.30393684, 224.06891629,
     238.92903833, 1188.3, 0.002182, -1.01),
]

SUN = (1, "Sun", 696000.0, 332946.0, -26.72)

# The program's GM of the Sun (Gaussian constant squared, AU^3/day^2) and
# Earth masses per solar mass, as it derives mean motions on import.
GAUSSIAN_GM = 0.00029591220828559115
SOLAR_MASSES_PER_EARTH_MASS = 3.0034900554444265e-06
# The Moon's mean sidereal motion, degrees a day (Meeus ch. 47, L' rate).
MOON_MEAN_MOTION = 13.17639646


def moon_semi_major_axis_km(moon_mass_earths):
    """The semi-major axis whose two-body motion about the Earth (mass 1)
    matches the Moon's mean sidereal motion."""
    gm = GAUSSIAN_GM * (1.0 + moon_mass_earths) * SOLAR_MASSES_PER_EARTH_MASS
    n = math.radians(MOON_MEAN_MOTION)
    return (gm / (n * n)) ** (1.0 / 3.0) * AU_KM

# The Moon, geocentric, J2000 ecliptic: a km, e, i, node, argument of
# perigee, mean anomaly, radius km, mass (Earth masses), V(1,0).
MOON = (15, "Moon", "Earth", 384400.0, 0.0549, 5.145396, 125.0445479,
        83.3530513 - 125.0445479 + 360.0, 134.9633964, 1737.4, 0.0123000371, 0.21)

# Epochs of the satellite tables (Julian dates, TT).
EPOCH_MARS = 2433282.5         # 1950 Jan 1.0
EPOCH_SATURN = 2451545.0       # 2000 Jan 1.5
EPOCH_URANUS = 2444239.5       # 1980 Jan 1.0
EPOCH_NEPTUNE = 2447763.5      # 1989 Aug 25.0
EPOCH_PLUTO = 2451545.0        # 2000 Jan 1.5

# The ecliptic as a "Laplace plane": its pole in ICRF R.A. and Dec.; its
# ascending node on the equator is the equinox, so elements referred to the
# ecliptic pass through the same rotation unchanged.
ECLIPTIC_POLE = (270.0, 90.0 - OBLIQUITY_J2000)

# (type, name, primary, a km, e, argument of periapsis, mean anomaly,
#  inclination, node, Laplace pole R.A., Dec., epoch JD,
#  radius km, mass kg, V(1,0))
SATELLITES = [
    (16, "Phobos", "Mars", 9376.0, 0.0151, 150.057, 91.059, 1.075, 207.784,
     317.671, 52.893, EPOCH_MARS, 11.08, 1.0659e16, 11.8),
    (17, "Deimos", "Mars", 23458.0, 0.0002, 260.729, 325.329, 1.788, 24.525,
     316.657, 53.529, EPOCH_MARS, 6.2, 1.4762e15, 12.89),
    # Galilean satellites: osculating elements at J2000.0 in the J2000
    # ecliptic, from the jovicentric states of astronomy-engine's
    # JupiterMoons (L1.2 theory) with GM = k^2 (Jupiter + satellite).
    (18, "Io", "Jupiter", 422030.5, 0.004678, 66.4717, 334.7965, 2.20802, 336.8969,
     ECLIPTIC_POLE[0], ECLIPTIC_POLE[1], common.J2000, 1821.6, 8.931938e22, -1.68),
    (19, "Europa", "Jupiter", 671199.4, 0.009810, 254.4927, 345.5541, 1.79131, 332.6406,
     ECLIPTIC_POLE[0], ECLIPTIC_POLE[1], common.J2000, 1560.8, 4.799844e22, -1.41),
    (20, "Ganymede", "Jupiter", 1070428.9, 0.001508, 319.2239, 277.6077, 2.20957, 343.2079,
     ECLIPTIC_POLE[0], ECLIPTIC_POLE[1], common.J2000, 2631.2, 1.4819e23, -2.09),
    (21, "Callisto", "Jupiter", 1882918.7, 0.007396, 16.2108, 84.8410, 2.01867, 338.1444,
     ECLIPTIC_POLE[0], ECLIPTIC_POLE[1], common.J2000, 2410.3, 1.075938e23, -1.05),
    (22, "Mimas", "Saturn", 185539.0, 0.0196, 332.499, 14.848, 1.574, 173.027,
     40.590, 83.539, EPOCH_SATURN, 198.2, 3.7493e19, 3.3),
    (23, "Enceladus", "Saturn", 238042.0, 0.0047, 0.076, 199.686, 0.003, 342.507,
     40.587, 83.539, EPOCH_SATURN, 252.1, 1.08022e20, 2.2),
    (24, "Tethys", "Saturn", 294672.0, 0.0001, 45.202, 243.367, 1.091, 259.842,
     40.587, 83.539, EPOCH_SATURN, 531.1, 6.17449e20, 0.7),
    (25, "Dione", "Saturn", 377415.0, 0.0022, 284.315, 322.232, 0.028, 290.415,
     40.587, 83.539, EPOCH_SATURN, 561.4, 1.095452e21, 0.8),
    (26, "Rhea", "Saturn", 527068.0, 0.0002, 241.619, 179.781, 0.333, 351.042,
     40.394, 83.531, EPOCH_SATURN, 763.8, 2.306518e21, 0.1),
    (27, "Titan", "Saturn", 1221865.0, 0.0288, 180.532, 163.310, 0.306, 28.060,
     36.213, 83.537, EPOCH_SATURN, 2574.7, 1.3452e23, -1.28),
    (28, "Hyperion", "Saturn", 1500933.0, 0.0232, 303.178, 86.342, 0.615, 263.847,
     36.213, 83.537, EPOCH_SATURN, 135.0, 5.6199e18, 4.63),
    (29, "Iapetus", "Saturn", 3560854.0, 0.0293, 271.606, 201.789, 8.298, 81.105,
     284.715, 78.749, EPOCH_SATURN, 734.5, 1.805635e21, 1.5),
    (30, "Phoebe", "Saturn", 12947918.0, 0.1634, 342.500, 53.038, 175.243, 241.086,
     ECLIPTIC_POLE[0], ECLIPTIC_POLE[1], EPOCH_SATURN, 106.5, 8.292e18, 6.89),
    (31, "Miranda", "Uranus", 129858.0, 0.0013, 68.312, 311.330, 4.338, 326.438,
     257.311, -15.175, EPOCH_URANUS, 235.8, 6.59e19, 3.6),
    (32, "Ariel", "Uranus", 190930.0, 0.0012, 115.349, 39.481, 0.041, 22.394,
     257.311, -15.175, EPOCH_URANUS, 578.9, 1.353e21, 1.45),
    (33, "Umbriel", "Uranus", 265982.0, 0.0039, 84.709, 12.469, 0.128, 33.485,
     257.311, -15.175, EPOCH_URANUS, 584.7, 1.172e21, 2.10),
    (34, "Titania", "Uranus", 436282.0, 0.0011, 284.400, 24.614, 0.079, 99.771,
     257.311, -15.175, EPOCH_URANUS, 788.9, 3.527e21, 1.02),
    (35, "Oberon", "Uranus", 583449.0, 0.0014, 104.400, 283.088, 0.068, 279.771,
     257.311, -15.175, EPOCH_URANUS, 761.4, 3.014e21, 1.23),
    (36, "Triton", "Neptune", 354759.0, 0.0000, 66.142, 352.257, 156.865, 177.608,
     299.456, 43.414, EPOCH_NEPTUNE, 1353.4, 2.139e22, -1.24),
    (37, "Nereid", "Neptune", 5513818.0, 0.7507, 281.117, 359.341, 7.090, 335.570,
     ECLIPTIC_POLE[0], ECLIPTIC_POLE[1], EPOCH_NEPTUNE, 170.0, 3.1e19, 4.0),
    (38, "Charon", "Pluto", 19591.0, 0.0002, 146.106, 131.070, 0.080, 26.928,
     132.993, -6.163, EPOCH_PLUTO, 606.0, 1.586e21, 1.0),
]


def _rx(a):
    c, s = math.cos(a), math.sin(a)
    return [[1.0, 0.0, 0.0], [0.0, c, -s], [0.0, s, c]]


def _rz(a):
    c, s = math.cos(a), math.sin(a)
    return [[c, -s, 0.0], [s, c, 0.0], [0.0, 0.0, 1.0]]


def _mul(a, b):
    return [[sum(a[i][k] * b[k][j] for k in range(3)) for j in range(3)] for i in range(3)]


def laplace_to_ecliptic(i, node, argp, pole_ra, pole_dec):
    """Inclination, node and argument of periapsis referred to a Laplace plane
    (pole in ICRF R.A./Dec., node counted from the plane's ascending node on
    the equator) -> the same three referred to the J2000 ecliptic and equinox.
    Degrees in and out."""
    r = math.radians
    # orbit (periapsis along x) -> Laplace frame -> ICRF -> J2000 ecliptic
    m = _mul(_rz(r(node)), _mul(_rx(r(i)), _rz(r(argp))))
    m = _mul(_mul(_rz(r(pole_ra + 90.0)), _rx(r(90.0 - pole_dec))), m)
    m = _mul(_rx(-r(OBLIQUITY_J2000)), m)
    p = [m[k][0] for k in range(3)]           # towards periapsis
    w = [m[k][2] for k in range(3)]           # orbit pole
    inc = math.degrees(math.acos(max(-1.0, min(1.0, w[2]))))
    if abs(math.sin(math.radians(inc))) < 1e-12:
        om = 0.0
        arg = math.degrees(math.atan2(p[1], p[0])) % 360.0
        return inc, om, arg
    om = math.degrees(math.atan2(w[0], -w[1])) % 360.0
    n = (math.cos(math.radians(om)), math.sin(math.radians(om)), 0.0)
    # periapsis angle from the node, in the direction of motion
    q = (w[1] * n[2] - w[2] * n[1], w[2] * n[0] - w[0] * n[2], w[0] * n[1] - w[1] * n[0])
    arg = math.degrees(math.atan2(sum(a * b for a, b in zip(q, p)),
                                  sum(a * b for a, b in zip(n, p)))) % 360.0
    return inc, om, arg


def _angle(x):
    return common.fmt_num(x % 360.0, 6)


def records(stats=None):
    """P-line field lists in import order (each primary before its bodies)."""
    out = []

    def p_line(type_code, a_or_minus_q, e, i, argp, node, m, epoch_text, mag1, mag2,
               radius_km, mass_earth, name, primary=""):
        mags = ""
        if mag1 is not None:
            mags = common.fmt_num(mag1, 2)
            if mag2 is not None:
                mags += " " + common.fmt_num(mag2, 2)
        out.append(["P%d" % type_code, "2000.0", a_or_minus_q, common.fmt_num(e, 8),
                    common.fmt_num(i, 6), _angle(argp), _angle(node), _angle(m), epoch_text,
                    mags, common.fmt_num(radius_km, 3), "%.7g" % mass_earth, name, primary])

    t, name, radius, mass, h = SUN
    # a = 0: the Sun sits at the origin of the heliocentric frame.
    p_line(t, "0", 0.0, 0.0, 0.0, 0.0, 0.0, J2000_TEXT, h, None, radius, mass, name)

    moons_of = {}
    for s in SATELLITES:
        moons_of.setdefault(s[2], []).append(s)

    for (t, name, a, e, i, node, peri, lon, radius, mass, h) in PLANETS:
        argp = peri - node
        m = lon - peri
        p_line(t, common.fmt_num(a, 9), e, i, argp, node, m, J2000_TEXT, h, None,
               radius, mass, name)
        if name == "Earth":
            (mt, mname, mprim, ma, me, mi, mnode, margp, mm, mrad, mmass, mh) = MOON
            ma = moon_semi_major_axis_km(mmass)
            p_line(mt, common.fmt_num(ma / AU_KM, 12), me, mi, margp, mnode, mm, J2000_TEXT,
                   mh, None, mrad, mmass, mname, mprim)
        for (st, sname, prim, a_km, se, sargp, sm, si, snode, pra, pdec, epoch,
             srad, skg, sh) in moons_of.get(name, []):
            ei, enode, eargp = laplace_to_ecliptic(si, snode, sargp, pra, pdec)
            p_line(st, common.fmt_num(a_km / AU_KM, 12), se, ei, eargp, enode, sm,
                   common.fmt_epoch(epoch), sh, None, srad, skg / EARTH_MASS_KG, sname, prim)
    if stats is not None:
        stats["solar_system_records"] = len(out)
    return out


def write(recs, out_dir):
    w = common.ObjectTextWriter(os.path.join(out_dir, "SolarSystem.txt"))
    w.comment("Norvane object text file: the Sun, planets, Pluto, the Moon and the planetary "
              "satellites; osculating or mean elements, equinox J2000 ecliptic.")
    for r in recs:
        w.record(r)
    return w.write()


def main(argv=None):
    import argparse
    from build_catalog import default_paths
    _, out = default_paths()
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("source", nargs="?", default=None, help="unused: the figures are built in")
    ap.add_argument("output", nargs="?", default=out)
    a = ap.parse_args(argv)
    n = write(records(), a.output)
    print("SolarSystem.txt: %d bodies" % n)


if __name__ == "__main__":
    main()
