#!/usr/bin/env python3
"""Hipparcos stars of d3-celestial (stars.14.json) that are not in the Bright
Star Catalogue -> Stars-Vmm-Bdd-rrr.txt files.

A Hipparcos star is taken to be a Bright Star Catalogue star when a BSC star
lies within 1 arcminute of it and their V magnitudes differ by at most 1.0;
such stars are left out (the BSC record, with its motions and names, stands
for them).  A few large-amplitude variables (Mira, R Hya, ...) fail the
magnitude test; starnames.json gives their HD number, and a Hipparcos star
whose HD number is that of a BSC star is left out as well.

The rest are split so that the chart can skip whole files by the summary the
database keeps per file (brightest magnitude and a box in R.A. and Dec.):

* three magnitude layers: V < 8.0 ("V08"), 8.0 <= V < 9.0 ("V09") and
  V >= 9.0 ("V14"), so a chart whose limit is brighter than 8 or 9 never
  loads the fainter layers;
* within a layer, six declination bands of 30 degrees: N60 (+60..+90),
  N30, N00 (0..+30), S00 (0..-30), S30, S60 (-60..-90);
* within a band, slices of right ascension cut at whole degrees so that each
  holds about TARGET stars; the file name carries the slice's first degree of
  R.A.  Example: Stars-V09-N30-112.txt.

Names are "HIP%d"; where d3-celestial's starnames.json knows the star, its
proper name, Bayer, Flamsteed, variable and HD designations come first (such
a star with a variable designation is written as a variable, S3).
"""

import json
import math
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True      # no __pycache__ beside the sources
import common  # noqa: E402

MATCH_RADIUS_ARCMIN = 1.0
MATCH_DMAG = 1.0
TARGET = 2500                      # stars per file, roughly
LAYERS = [(None, 8.0, "V08"), (8.0, 9.0, "V09"), (9.0, None, "V14")]
BANDS = [(60, 90, "N60"), (30, 60, "N30"), (0, 30, "N00"),
         (-30, 0, "S00"), (-60, -30, "S30"), (-90, -60, "S60")]


class _VectorGrid:
    """Unit vectors bucketed in cubes a little larger than the match radius."""

    def __init__(self, cell):
        self.cell = cell
        self.cells = {}

    def _key(self, v):
        c = self.cell
        return (math.floor(v[0] / c), math.floor(v[1] / c), math.floor(v[2] / c))

    def add(self, v, item):
        self.cells.setdefault(self._key(v), []).append((v, item))

    def near(self, v):
        kx, ky, kz = self._key(v)
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                for dz in (-1, 0, 1):
                    for entry in self.cells.get((kx + dx, ky + dy, kz + dz), ()):
                        yield entry


def _starnames_by_hip(path):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    out = {}
    for key, entry in data.items():
        try:
            out[int(key)] = entry
        except ValueError:
            continue
    return out


def _extra_names(entry):
    """Designations of a starnames.json entry, in the program's forms."""
    names = []
    is_var = False
    if not entry:
        return names, is_var
    const = (entry.get("c") or "").strip()
    cnum = common.constellation_number(const) if const else 0
    pname = (entry.get("name") or "").strip()
    if pname:
        names.append(common.to_cp1252(pname))
    bayer = (entry.get("bayer") or "").strip()
    m = re.match(r"^([\u03b1-\u03c9])(\d?)$", bayer)
    if m and cnum:
        names.append("$%s%s %s" % (common.to_cp1252(m.group(1))[1:], m.group(2), const))
    flam = (entry.get("flam") or "").strip()
    if flam.isdigit() and cnum:
        names.append("%s %s" % (flam, const))
    var = (entry.get("var") or "").strip()
    if var and cnum and re.match(r"^(?:[A-Z]{1,2}|V\d+)$", var):
        if var.startswith("V") and var[1:].isdigit():
            var = "V%d" % int(var[1:])
        names.append("%s %s" % (var, const))
        is_var = True
    hd = entry.get("hd") or ""
    m = re.search(r"(\d+)", hd)
    if m:
        names.append("HD%s" % m.group(1))
    return names, is_var


def load(source_dir, bright_stars, stats=None):
    """Hipparcos stars not matched to a BSC star, as dictionaries."""
    with open(os.path.join(source_dir, "d3-celestial", "stars.14.json"), encoding="utf-8") as f:
        features = json.load(f)["features"]
    names_by_hip = _starnames_by_hip(os.path.join(source_dir, "d3-celestial", "starnames.json"))

    radius = math.radians(MATCH_RADIUS_ARCMIN / 60.0)
    grid = _VectorGrid(radius * 1.01)
    for s in bright_stars:
        grid.add(common.unit_vector(s.ra_hours, s.dec_deg), s)
    cos_r = math.cos(radius)

    bsc_hd = {s.hd for s in bright_stars if s.hd}
    kept = []
    matched = 0
    matched_by_hd = []
    matched_hr = set()
    for feat in features:
        hip = int(feat["id"])
        props = feat["properties"]
        vmag = float(props["mag"])
        lon, lat = feat["geometry"]["coordinates"]
        ra_h, dec = common.lonlat_to_radec(float(lon), float(lat))
        v = common.unit_vector(ra_h, dec)
        hit = None
        for (bv, s) in grid.near(v):
            if s.vmag is None:
                continue
            if v[0] * bv[0] + v[1] * bv[1] + v[2] * bv[2] >= cos_r and abs(s.vmag - vmag) <= MATCH_DMAG:
                hit = s
                break
        if hit is not None:
            matched += 1
            matched_hr.add(hit.hr)
            continue
        entry = names_by_hip.get(hip)
        hd = re.search(r"(\d+)", (entry or {}).get("hd") or "")
        if hd and int(hd.group(1)) in bsc_hd:
            matched_by_hd.append(hip)
            continue
        bv_text = str(props.get("bv") or "").strip()
        try:
            bv_val = float(bv_text) if bv_text else None
        except ValueError:
            bv_val = None
        extra, is_var = _extra_names(entry)
        kept.append({"hip": hip, "ra": ra_h, "dec": dec, "v": vmag, "bv": bv_val,
                     "names": extra + ["HIP%d" % hip], "var": is_var})
    if stats is not None:
        stats["hipparcos_total"] = len(features)
        stats["hipparcos_matched_to_bsc"] = matched
        stats["bsc_stars_matched"] = len(matched_hr)
        stats["hipparcos_matched_by_hd"] = matched_by_hd
        stats["hipparcos_kept"] = len(kept)
        stats["hipparcos_named"] = sum(1 for k in kept if len(k["names"]) > 1)
    return kept


def _layer_of(v):
    for lo, hi, tag in LAYERS:
        if (lo is None or v >= lo) and (hi is None or v < hi):
            return tag
    raise AssertionError


def _band_of(dec):
    for lo, hi, tag in BANDS:
        if lo <= dec < hi or (hi == 90 and dec >= 90):
            return tag
    raise AssertionError


def split(stars):
    """Group stars into files: {file name: [stars]} in a stable order."""
    groups = {}
    for s in stars:
        groups.setdefault((_layer_of(s["v"]), _band_of(s["dec"])), []).append(s)
    files = []
    for _, _, layer in LAYERS:
        for _, _, band in BANDS:
            members = groups.get((layer, band), [])
            if not members:
                continue
            per_degree = [0] * 360
            for s in members:
                per_degree[min(359, int(s["ra"] * 15.0))] += 1
            n_slices = max(1, int(round(len(members) / float(TARGET))))
            # cut where the running count passes each k/n of the band
            cuts = [0]
            running = 0
            k = 1
            for deg in range(360):
                if k < n_slices and running >= k * len(members) / n_slices:
                    cuts.append(deg)
                    k += 1
                running += per_degree[deg]
            cuts.append(360)
            for a, b in zip(cuts[:-1], cuts[1:]):
                part = [s for s in members if a <= min(359, int(s["ra"] * 15.0)) < b]
                if part:
                    part.sort(key=lambda s: (s["ra"], s["dec"]))
                    files.append(("Stars-%s-%s-%03d.txt" % (layer, band, a), part,
                                  (layer, band, a, b)))
    return files


def write(files, out_dir):
    counts = []
    for name, part, (layer, band, a, b) in files:
        w = common.ObjectTextWriter(os.path.join(out_dir, name))
        vmin = min(s["v"] for s in part)
        vmax = max(s["v"] for s in part)
        w.comment("Norvane object text file: Hipparcos stars not in the Bright Star Catalogue "
                  "(from d3-celestial stars.14.json), V %.2f to %.2f, Dec. band %s, "
                  "R.A. %d to %d degrees." % (vmin, vmax, band, a, b))
        for s in part:
            names = "; ".join(s["names"])
            if len(names) > common.MAX_NAME:
                names = "HIP%d" % s["hip"]
            w.record(["S3" if s["var"] else "S1", "2000.0",
                      common.fmt_ra(s["ra"], 3), common.fmt_dec(s["dec"], 2),
                      "", "", common.fmt_num(s["v"], 2),
                      "" if s["bv"] is None else common.fmt_num(s["bv"], 3),
                      "", "", "", names])
        counts.append((name, w.write()))
    return counts


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
    files = split(load(a.source, bsc.convert(a.source), stats))
    for name, n in write(files, a.output):
        print("%s: %d" % (name, n))
    print(stats)


if __name__ == "__main__":
    main()
