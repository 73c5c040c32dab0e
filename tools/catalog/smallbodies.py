#!/usr/bin/env python3
"""Comets and numbered asteroids of the JPL Small-Body Database query output
(jpl-sbdb/comets.json, asteroids.json) -> Comets.txt and Asteroids.txt.

Comets (type 11): every comet of the file.  The file gives the perihelion
distance q, e, i, the argument of perihelion, the node and the time of
perihelion T; the record is written with minus q in the semimajor-axis field
(the import format's way of giving q, valid for elliptic, parabolic and
hyperbolic orbits alike), the mean anomaly 0 and the epoch T, which fixes
the orbit exactly whatever its eccentricity.  Magnitude parameters: the
program's comet magnitude is g + 5 log(delta) + 2.5 k log(r); g is the
total-magnitude parameter M1, and since the file carries no K1, k is 4 (the
customary 10 log r law, K1 = 10).  Comets without M1 get no magnitude
parameters.  Radius: half the diameter where the file gives one.

Asteroids (type 12): the first 1000 numbered asteroids of the file in number
order (the file lacks some numbers below 1000, so the last is (1078)).
Osculating a, e, i, argument of perihelion, node and mean anomaly at the
file's epoch; H and G (G = 0.15, the customary slope, where the file has
none); radius half the diameter.  Names "1 Ceres"; a numbered asteroid
without a name would be written with its provisional designation.

Elements are referred to the J2000 ecliptic and equinox.
"""

import json
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True      # no __pycache__ beside the sources
import common  # noqa: E402

ASTEROID_COUNT = 1000
DEFAULT_SLOPE_G = 0.15
COMET_K = 4.0          # 2.5 k log r with k = 4: the usual 10 log r law


def _rows(path):
    with open(path, encoding="utf-8") as f:
        d = json.load(f)
    fields = d["fields"]
    return [dict(zip(fields, r)) for r in d["data"]]


def _f(v):
    if v is None:
        return None
    try:
        return float(v)
    except (TypeError, ValueError):
        return None


def comets(source_dir, stats=None):
    rows = _rows(os.path.join(source_dir, "jpl-sbdb", "comets.json"))
    out = []
    no_mag = 0
    skipped = []
    for r in rows:
        name = " ".join(str(r["full_name"]).split())
        q, e, i, w, om, tp = (_f(r[k]) for k in ("q", "e", "i", "w", "om", "tp"))
        if None in (q, e, i, w, om, tp) or q <= 0:
            skipped.append(name)
            continue
        m1 = _f(r.get("M1"))
        mags = ""
        if m1 is not None:
            mags = "%s %s" % (common.fmt_num(m1, 2), common.fmt_num(COMET_K, 1))
        else:
            no_mag += 1
        diam = _f(r.get("diameter"))
        out.append(["P11", "2000.0", common.fmt_num(-q, 10), common.fmt_num(e, 10),
                    common.fmt_num(i, 7), common.fmt_num(w % 360.0, 7),
                    common.fmt_num(om % 360.0, 7), "0", common.fmt_epoch(tp), mags,
                    "" if diam is None else common.fmt_num(diam / 2.0, 3), "",
                    common.to_cp1252(name), ""])
    if stats is not None:
        stats["comets_source"] = len(rows)
        stats["comets_written"] = len(out)
        stats["comets_without_m1"] = no_mag
        stats["comets_skipped"] = skipped
    return out


_NUMBERED = re.compile(r"^\s*(\d+)\s+(.*?)\s*$")


def asteroid_name(full_name):
    """'     1 Ceres (A801 AA)' -> '1 Ceres'; '5480 (1989 YK8)' -> '5480 1989 YK8'."""
    m = _NUMBERED.match(full_name)
    if not m:
        return None, None
    num, rest = int(m.group(1)), m.group(2)
    named = re.sub(r"\s*\([^)]*\)\s*$", "", rest).strip()
    if named:
        return num, "%d %s" % (num, named)
    prov = re.match(r"^\((.*)\)$", rest)
    return num, "%d %s" % (num, prov.group(1) if prov else rest)


def asteroids(source_dir, stats=None):
    rows = _rows(os.path.join(source_dir, "jpl-sbdb", "asteroids.json"))
    numbered = []
    for r in rows:
        num, name = asteroid_name(str(r["full_name"]))
        if num is not None:
            numbered.append((num, name, r))
    numbered.sort(key=lambda x: x[0])
    chosen = numbered[:ASTEROID_COUNT]
    out = []
    default_g = 0
    for num, name, r in chosen:
        a, e, i, w, om, ma, ep = (_f(r[k]) for k in ("a", "e", "i", "w", "om", "ma", "epoch_mjd"))
        h, g = _f(r.get("H")), _f(r.get("G"))
        mags = ""
        if h is not None:
            if g is None:
                g = DEFAULT_SLOPE_G
                default_g += 1
            mags = "%s %s" % (common.fmt_num(h, 2), common.fmt_num(g, 2))
        diam = _f(r.get("diameter"))
        out.append(["P12", "2000.0", common.fmt_num(a, 10), common.fmt_num(e, 10),
                    common.fmt_num(i, 7), common.fmt_num(w % 360.0, 7),
                    common.fmt_num(om % 360.0, 7), common.fmt_num(ma % 360.0, 7),
                    common.fmt_epoch(ep + common.MJD_ZERO), mags,
                    "" if diam is None else common.fmt_num(diam / 2.0, 3), "",
                    common.to_cp1252(name), ""])
    if stats is not None:
        stats["asteroids_source"] = len(rows)
        stats["asteroids_numbered_in_source"] = len(numbered)
        stats["asteroids_written"] = len(out)
        stats["asteroids_last_number"] = chosen[-1][0] if chosen else None
        stats["asteroids_missing_numbers_below_1000"] = [
            n for n in range(1, 1001) if n not in {c[0] for c in numbered}]
        stats["asteroids_default_G"] = default_g
    return out


def write(comet_recs, asteroid_recs, out_dir):
    w = common.ObjectTextWriter(os.path.join(out_dir, "Comets.txt"))
    w.comment("Norvane object text file: comets, JPL Small-Body Database osculating elements "
              "(perihelion distance and time), J2000 ecliptic.")
    for r in comet_recs:
        w.record(r)
    n1 = w.write()
    w = common.ObjectTextWriter(os.path.join(out_dir, "Asteroids.txt"))
    w.comment("Norvane object text file: the first 1000 numbered asteroids of the JPL "
              "Small-Body Database extract, osculating elements, J2000 ecliptic.")
    for r in asteroid_recs:
        w.record(r)
    n2 = w.write()
    return n1, n2


def main(argv=None):
    import argparse
    from build_catalog import default_paths
    src, out = default_paths()
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("source", nargs="?", default=src)
    ap.add_argument("output", nargs="?", default=out)
    a = ap.parse_args(argv)
    stats = {}
    n1, n2 = write(comets(a.source, stats), asteroids(a.source, stats), a.output)
    print("Comets.txt: %d, Asteroids.txt: %d %s" % (n1, n2, stats))


if __name__ == "__main__":
    main()
