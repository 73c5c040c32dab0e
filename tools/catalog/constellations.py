#!/usr/bin/env python3
"""Constellation figures and boundaries of d3-celestial ->
ConstellationLines.txt ("C1") and ConstellationBounds.txt ("C2").

Figures: every vertex of constellations.lines.json is matched to the nearest
Bright Star Catalogue star, and each polyline becomes a chain of "C1" lines
joining those stars by their "HR" names, in order, so that consecutive lines
share an end and the chart draws them as one stroke.  A segment whose two
ends fall on the same star, or that repeats a pair already joined, is left
out.  The first line of each figure carries the constellation's name
(constellations.json) as its label; Serpens has two figures, labelled
"Serpens Caput" and "Serpens Cauda".

Boundaries: every segment of constellations.borders.json becomes "C2" lines
with J2000 coordinates.  The chart joins the two ends of a line straight, so
a long segment would cut across the curved boundary.  The IAU boundaries run
along meridians and parallels of the equinox B1875.0; a segment longer than
MAX_PIECE degrees is therefore divided into equal pieces interpolated in
B1875.0 right ascension and declination (precession by the IAU 1976
angles, Lieske 1977, as in Meeus, Astronomical Algorithms, ch. 21), which
keeps each piece on the boundary.
"""

import bisect
import json
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True      # no __pycache__ beside the sources
import common  # noqa: E402

MAX_PIECE = 5.0                     # degrees, longest boundary line written
B1875 = 2405889.258550475           # Besselian epoch 1875.0 as a Julian date


def _precession_angles(jd0, jd):
    """zeta, z, theta (radians) to precess from jd0 to jd (IAU 1976)."""
    t = (jd0 - common.J2000) / 36525.0
    tt = (jd - jd0) / 36525.0
    asec = math.pi / (180.0 * 3600.0)
    zeta = ((2306.2181 + 1.39656 * t - 0.000139 * t * t) * tt
            + (0.30188 - 0.000344 * t) * tt ** 2 + 0.017998 * tt ** 3) * asec
    z = ((2306.2181 + 1.39656 * t - 0.000139 * t * t) * tt
         + (1.09468 + 0.000066 * t) * tt ** 2 + 0.018203 * tt ** 3) * asec
    theta = ((2004.3109 - 0.85330 * t - 0.000217 * t * t) * tt
             - (0.42665 + 0.000217 * t) * tt ** 2 - 0.041833 * tt ** 3) * asec
    return zeta, z, theta


def precess(ra_h, dec_deg, jd0, jd):
    zeta, z, theta = _precession_angles(jd0, jd)
    a = math.radians(ra_h * 15.0)
    d = math.radians(dec_deg)
    A = math.cos(d) * math.sin(a + zeta)
    B = math.cos(theta) * math.cos(d) * math.cos(a + zeta) - math.sin(theta) * math.sin(d)
    C = math.sin(theta) * math.cos(d) * math.cos(a + zeta) + math.cos(theta) * math.sin(d)
    ra = (math.degrees(math.atan2(A, B) + z) % 360.0) / 15.0
    dec = math.degrees(math.asin(max(-1.0, min(1.0, C))))
    return ra, dec


def _nearest_star(stars_by_dec, decs, ra_h, dec):
    """Nearest BSC star to (ra, dec); stars_by_dec is sorted by declination."""
    best = None
    window = 0.5
    while best is None or best[0] > window:
        lo = bisect.bisect_left(decs, dec - window)
        hi = bisect.bisect_right(decs, dec + window)
        for s in stars_by_dec[lo:hi]:
            d = common.angular_distance_deg(ra_h, dec, s.ra_hours, s.dec_deg)
            if best is None or d < best[0]:
                best = (d, s)
        if best is not None and best[0] <= window:
            break
        window *= 2
        if window > 180:
            break
    return best


def figure_lines(source_dir, bright_stars, stats=None):
    base = os.path.join(source_dir, "d3-celestial")
    with open(os.path.join(base, "constellations.lines.json"), encoding="utf-8") as f:
        figures = json.load(f)["features"]
    with open(os.path.join(base, "constellations.json"), encoding="utf-8") as f:
        labels = json.load(f)["features"]

    stars = sorted(bright_stars, key=lambda s: s.dec_deg)
    decs = [s.dec_deg for s in stars]
    lines = []
    worst = []
    vertices = 0
    dropped_same = 0
    dropped_repeat = 0
    names_seen = set()
    for index, fig in enumerate(figures):
        const = fig["id"]
        # constellations.json lists the constellations in the same order,
        # Serpens twice (Caput, Cauda) as in the figure file.
        lab = labels[index]
        if lab["id"] != const:
            raise ValueError("constellation order differs at %d: %s / %s"
                             % (index, const, lab["id"]))
        label = common.to_cp1252(lab["properties"]["name"])
        names_seen.add(const)
        joined = set()
        first = True
        for poly in fig["geometry"]["coordinates"]:
            hrs = []
            for lon, lat in poly:
                vertices += 1
                ra, dec = common.lonlat_to_radec(float(lon), float(lat))
                dist, star = _nearest_star(stars, decs, ra, dec)
                worst.append((dist * 3600.0, const, star.hr, star.names[0], ra, dec))
                hrs.append(star.hr)
            for a, b in zip(hrs[:-1], hrs[1:]):
                if a == b:
                    dropped_same += 1
                    continue
                pair = (min(a, b), max(a, b))
                if pair in joined:
                    dropped_repeat += 1
                    continue
                joined.add(pair)
                lines.append(["C1", "HR%d" % a, "HR%d" % b, label if first else ""])
                first = False
    worst.sort(reverse=True)
    if stats is not None:
        stats["figure_constellations"] = len(names_seen)
        stats["figure_vertices"] = vertices
        stats["figure_lines"] = len(lines)
        stats["figure_zero_length_dropped"] = dropped_same
        stats["figure_repeats_dropped"] = dropped_repeat
        stats["figure_worst_matches_arcsec"] = [
            (round(w[0], 1), w[1], "HR%d" % w[2], w[3]) for w in worst[:8]]
        stats["figure_vertices_over_60arcsec"] = sum(1 for w in worst if w[0] > 60)
    return lines


def boundary_lines(source_dir, stats=None):
    with open(os.path.join(source_dir, "d3-celestial", "constellations.borders.json"),
              encoding="utf-8") as f:
        borders = json.load(f)["features"]
    lines = []
    segments = 0
    for feat in borders:
        for poly in feat["geometry"]["coordinates"]:
            pts = [common.lonlat_to_radec(float(lon), float(lat)) for lon, lat in poly]
            for (r1, d1), (r2, d2) in zip(pts[:-1], pts[1:]):
                segments += 1
                length = common.angular_distance_deg(r1, d1, r2, d2)
                n = max(1, int(math.ceil(length / MAX_PIECE - 1e-9)))
                chain = [(r1, d1)]
                if n > 1:
                    br1, bd1 = precess(r1, d1, common.J2000, B1875)
                    br2, bd2 = precess(r2, d2, common.J2000, B1875)
                    dra = br2 - br1
                    if dra > 12:
                        dra -= 24
                    elif dra < -12:
                        dra += 24
                    for k in range(1, n):
                        f = k / float(n)
                        chain.append(precess((br1 + f * dra) % 24.0, bd1 + f * (bd2 - bd1),
                                             B1875, common.J2000))
                chain.append((r2, d2))
                for (a1, b1), (a2, b2) in zip(chain[:-1], chain[1:]):
                    lines.append(["C2", "2000.0", common.fmt_num(a1, 6), common.fmt_num(b1, 5),
                                  common.fmt_num(a2, 6), common.fmt_num(b2, 5)])
    if stats is not None:
        stats["boundary_segments_source"] = segments
        stats["boundary_lines"] = len(lines)
    return lines


def write(fig, bounds, out_dir):
    w = common.ObjectTextWriter(os.path.join(out_dir, "ConstellationLines.txt"))
    w.comment("Norvane object text file: constellation figures (d3-celestial "
              "constellations.lines.json) joining Bright Star Catalogue stars by HR number.")
    for l in fig:
        w.record(l)
    n1 = w.write()
    w = common.ObjectTextWriter(os.path.join(out_dir, "ConstellationBounds.txt"))
    w.comment("Norvane object text file: IAU constellation boundaries, J2000 "
              "(d3-celestial constellations.borders.json).")
    for l in bounds:
        w.record(l)
    n2 = w.write()
    return n1, n2


def main(argv=None):
    import argparse
    import bsc
    from build_catalog import default_paths
    src, out = default_paths()
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("source", nargs="?", default=src)
    ap.add_argument("output", nargs="?", default=out)
    a = ap.parse_args(argv)
    stats = {}
    fig = figure_lines(a.source, bsc.convert(a.source), stats)
    n1, n2 = write(fig, boundary_lines(a.source, stats), a.output)
    print("ConstellationLines.txt: %d, ConstellationBounds.txt: %d %s" % (n1, n2, stats))


if __name__ == "__main__":
    main()
