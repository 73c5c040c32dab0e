#!/usr/bin/env python3
"""Deep-sky objects of d3-celestial (dsos.14.json, messier.json,
dsonames.json) -> DeepSky.txt.

Types (the source's type code -> the program's):

  oc open cluster -> S11 open cluster
  gc globular cluster -> S12 globular cluster
  bn bright, en emission, rn reflection, dn dark nebula, snr supernova
     remnant -> S13 diffuse nebula
  en objects catalogued as planetary nebulae (PK or PN G numbers) -> S14
  pn planetary nebula -> S14 planetary nebula
  sfr star-forming region -> S11 open cluster when its morphology starts with
     a Trumpler class (M45 "I3rn", M16 "II3mn"), otherwise S13
  g, s, s0, sd, i, e galaxies and gg galaxy clusters -> S15 galaxy

Magnitude 999 means "unknown" and leaves the magnitude field empty, and so
does the opacity class that dark nebulae carry in that column; the size
is the larger of the catalogue's dimensions in arcminutes.  B-V is kept only
when it lies between -1 and +3 (the source carries some blue magnitudes in
that column).

Names: proper names (dsonames.json, then messier.json's common name when it
adds something), the Messier number, the NGC or IC number, and the source's
own designation when it is another catalogue's, in the forms the program's
name parser recognises: "M31", "NGC224", "IC1396", "UGC1234", "PGC12345",
"PK205+14.1", "PNG003.6-04.0"; others ("LDN 1688", "Sh2 264", "C 41") stay
as plain name text.  Greek letters in proper names are written in the
program's "$" form ("$c Persei").

Two records (SNR G 263.9-03.0, the Vela supernova remnant, and SNR G
266.2-01.2, Vela Junior) have their size in the latitude slot and their
declination in the longitude slot, and an "oc" type; their position is
recomputed from the galactic coordinates of their designation and they are
written as diffuse nebulae.

The Messier catalogue's M40 (a double star), M98 and M102, which dsos.14.json
lacks, are added from messier.json; the source lists M8 twice (as "M 8" and as
"NGC 6523"): the two are merged into one object.
"""

import json
import math
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True      # no __pycache__ beside the sources
import common  # noqa: E402

TYPE_MAP = {
    "oc": 61, "gc": 62,
    "bn": 63, "en": 63, "rn": 63, "dn": 63, "snr": 63, "sfr": 63,
    "pn": 64,
    "g": 65, "s": 65, "s0": 65, "sd": 65, "i": 65, "e": 65, "gg": 65,
}

_TRUMPLER = re.compile(r"^(IV|III|II|I)\s*[1-3]\s*[pmr]")


def _key(desig):
    """Designation key for matching across the three files ("NGC 224" ->
    "NGC224", "M 31" -> "M31")."""
    return re.sub(r"\s+", "", desig or "").upper()


def program_designation(desig):
    """A source designation in the form the program's deep-sky name parser
    recognises where it has one; otherwise the text as given."""
    d = " ".join((desig or "").split())
    m = re.match(r"^(M|NGC|IC|UGC|UGCA|PGC)\s*(\d+)\s*([A-Za-z]?)$", d)
    if m:
        cat, num, suf = m.groups()
        if cat in ("NGC", "IC"):
            return "%s%d%s" % (cat, int(num), suf.upper())
        if not suf:
            return "%s%d" % (cat, int(num))
    m = re.match(r"^PK\s*(\d+)([+-])(\d+)\.(\d+)$", d)
    if m:
        return "PK%s%s%s.%s" % m.groups()
    m = re.match(r"^PN\s*G\s*(\d+\.\d)([+-])(\d+\.\d)$", d)
    if m:
        return "PNG%s%s%s" % m.groups()
    return d


def _number(text):
    try:
        v = float(text)
    except (TypeError, ValueError):
        return None
    return v


def _size(dim):
    vals = [_number(x) for x in re.split(r"[xX]", str(dim or "").strip()) if x.strip()]
    vals = [v for v in vals if v is not None and v > 0]
    return max(vals) if vals else None


def galactic_to_equatorial(l_deg, b_deg):
    """Galactic longitude and latitude -> J2000 R.A. (hours) and Dec.
    (degrees), with the IAU galactic pole at R.A. 192.85948, Dec. 27.12825
    and the north celestial pole at galactic longitude 122.93192 (J2000)."""
    ra_p = math.radians(192.85948)
    dec_p = math.radians(27.12825)
    l_ncp = math.radians(122.93192)
    l = math.radians(l_deg)
    b = math.radians(b_deg)
    sin_d = math.sin(dec_p) * math.sin(b) + math.cos(dec_p) * math.cos(b) * math.cos(l_ncp - l)
    dec = math.asin(sin_d)
    y = math.cos(b) * math.sin(l_ncp - l)
    x = math.cos(dec_p) * math.sin(b) - math.sin(dec_p) * math.cos(b) * math.cos(l_ncp - l)
    ra = (ra_p + math.atan2(y, x)) % (2 * math.pi)
    return math.degrees(ra) / 15.0, math.degrees(dec)


def _repair_position(ident, lon, lat):
    """Two supernova remnants of dsos.14.json carry their size in the
    latitude slot and their declination in the longitude slot.  Their
    designations give galactic coordinates, from which the position follows
    (and agrees with the declination found in the wrong slot)."""
    m = re.match(r"^(?:SNR|PN)\s*G\s*(\d+\.\d)([+-]\d+\.\d)$", ident)
    if not m:
        return None
    ra, dec = galactic_to_equatorial(float(m.group(1)), float(m.group(2)))
    if abs(dec - lon) > 1.0:
        return None
    return ra, dec


def load(source_dir, stats=None):
    base = os.path.join(source_dir, "d3-celestial")
    with open(os.path.join(base, "dsos.14.json"), encoding="utf-8") as f:
        features = json.load(f)["features"]
    with open(os.path.join(base, "messier.json"), encoding="utf-8") as f:
        messier = json.load(f)["features"]
    with open(os.path.join(base, "dsonames.json"), encoding="utf-8") as f:
        dsonames = json.load(f)

    names_by_key = {}
    for k, v in dsonames.items():
        n = (v.get("name") or "").strip()
        if n:
            names_by_key.setdefault(_key(k), n)

    # Messier number by its NGC/IC designation, and the reverse.
    m_by_key = {}
    messier_by_number = {}
    for feat in messier:
        mnum = int(feat["id"][1:])
        messier_by_number[mnum] = feat
        desig = (feat["properties"].get("desig") or "").strip()
        if desig:
            first = desig.split("/")[0]
            m_by_key[_key(first)] = mnum

    objects = []
    by_messier = {}
    merged = []
    repaired = []
    skipped = []
    counts = {}
    for feat in features:
        p = feat["properties"]
        ident = str(feat["id"]).strip()
        desig = str(p.get("desig") or "").strip()
        stype = p.get("type")
        code = TYPE_MAP.get(stype)
        if code is None:
            raise ValueError("unmapped deep-sky type %r (%s)" % (stype, ident))
        lon, lat = (float(x) for x in feat["geometry"]["coordinates"])
        if abs(lat) > 90.0 or abs(lon) > 360.0:
            fixed = _repair_position(ident, lon, lat)
            if fixed is None:
                skipped.append(ident)
                continue
            ra, dec = fixed
            lon, lat = ra * 15.0, dec
            if ident.startswith("SNR"):
                stype, code = "snr", 63
            repaired.append(ident)
        if stype == "sfr" and _TRUMPLER.match(p.get("morph") or ""):
            code = 61
        if stype == "en" and re.match(r"^(PK|PN G)\s", ident):
            code = 64
        counts[(stype, code)] = counts.get((stype, code), 0) + 1

        mnum = None
        for d in (ident, desig):
            m = re.match(r"^M\s*(\d+)$", d)
            if m:
                mnum = int(m.group(1))
        if mnum is None:
            mnum = m_by_key.get(_key(ident)) or m_by_key.get(_key(desig))
        desigs = []
        for d in (ident, desig):
            if d and not re.match(r"^M\s*\d+$", d) and _key(d) not in [_key(x) for x in desigs]:
                desigs.append(d)
        if mnum is not None:
            mfeat = messier_by_number.get(mnum)
            md = ((mfeat or {}).get("properties", {}).get("desig") or "").split("/")[0].strip()
            if md and _key(md) not in [_key(x) for x in desigs]:
                desigs.append(md)

        mag = _number(p.get("mag"))
        # 999 marks an unknown magnitude; so does a bare "0", which two faint
        # clusters and nebulae carry (no deep-sky object is that bright).
        if mag is not None and (mag >= 99 or (p.get("mag") in ("0", 0) and mag == 0)):
            mag = None
        # Dark nebulae carry Barnard's or Lynds' opacity class (1 to 6) in the
        # magnitude column; an opacity is no brightness, so they have none.
        if stype == "dn":
            mag = None
        bv = _number(p.get("bv"))
        if bv is not None and not (-1.0 <= bv <= 3.0):
            bv = None
        ra, dec = common.lonlat_to_radec(lon, lat)
        obj = {"code": code, "ra": ra, "dec": dec, "mag": mag, "bv": bv,
               "size": _size(p.get("dim")), "messier": mnum, "desigs": desigs,
               "source": ident}

        if mnum is not None and mnum in by_messier:
            # The same Messier object twice: keep the entry with a magnitude
            # (or the first), and take over the other's designations.
            keep = by_messier[mnum]
            if keep["mag"] is None and obj["mag"] is not None:
                keep, obj = obj, keep
                objects[objects.index(by_messier[mnum])] = keep
                by_messier[mnum] = keep
            for d in obj["desigs"]:
                if _key(d) not in [_key(x) for x in keep["desigs"]]:
                    keep["desigs"].append(d)
            merged.append((obj["source"], keep["source"]))
            continue
        if mnum is not None:
            by_messier[mnum] = obj
        objects.append(obj)

    # Messier objects the deep-sky file lacks.
    added = []
    for mnum in sorted(messier_by_number):
        if mnum in by_messier:
            continue
        feat = messier_by_number[mnum]
        p = feat["properties"]
        lon, lat = feat["geometry"]["coordinates"]
        ra, dec = common.lonlat_to_radec(float(lon), float(lat))
        desig = (p.get("desig") or "").split("/")[0].strip()
        if p.get("type") == "pos":
            if mnum == 40:
                # Winnecke 4, a wide pair of 9th and 10th magnitude stars.
                obj = {"code": 52, "ra": ra, "dec": dec, "mag": _number(p.get("mag")),
                       "bv": None, "size": None, "messier": mnum,
                       "desigs": ["Winnecke 4"], "source": "M40", "star": True}
            else:
                raise ValueError("Messier %d has no deep-sky type" % mnum)
        else:
            obj = {"code": TYPE_MAP[p["type"]], "ra": ra, "dec": dec,
                   "mag": _number(p.get("mag")), "bv": None, "size": _size(p.get("dim")),
                   "messier": mnum, "desigs": [desig] if desig else [],
                   "source": "M%d" % mnum}
        by_messier[mnum] = obj
        objects.append(obj)
        added.append("M%d" % mnum)

    skip_alt = {"milky way patch", "4 star asterism"}
    for obj in objects:
        keys = [_key(d) for d in obj["desigs"]]
        if obj["messier"] is not None:
            keys.insert(0, "M%d" % obj["messier"])
        proper = []
        for k in keys:
            n = names_by_key.get(k)
            if n and n not in proper:
                proper.append(n)
        if obj["messier"] is not None:
            alt = (messier_by_number[obj["messier"]]["properties"].get("alt") or "").strip()
            if alt and alt.lower() not in skip_alt and not any(
                    common.to_cp1252(alt).lower() in common.to_cp1252(n).lower() for n in proper):
                proper.append(alt)
        names = [common.to_cp1252(n) for n in proper]
        if obj["messier"] is not None:
            names.append("M%d" % obj["messier"])
        # NGC and IC first among the other designations.
        ordered = sorted(obj["desigs"], key=lambda d: 0 if re.match(r"^(NGC|IC)\s", d) else 1)
        for d in ordered:
            pd = common.to_cp1252(program_designation(d))
            if pd not in names:
                names.append(pd)
        obj["names"] = names

    if stats is not None:
        stats["deep_sky_source"] = len(features)
        stats["deep_sky_written"] = len(objects)
        stats["deep_sky_type_map"] = {"%s->%d" % k: v for k, v in sorted(counts.items())}
        stats["deep_sky_merged"] = merged
        stats["deep_sky_added"] = added
        stats["deep_sky_position_repaired"] = repaired
        stats["deep_sky_skipped"] = skipped
        stats["deep_sky_unknown_mag"] = sum(1 for o in objects if o["mag"] is None)
    return objects


def write(objects, out_dir):
    w = common.ObjectTextWriter(os.path.join(out_dir, "DeepSky.txt"))
    w.comment("Norvane object text file: deep-sky objects to magnitude 14 with Messier, NGC, "
              "IC and proper names (from d3-celestial dsos.14.json, messier.json, dsonames.json).")
    for o in objects:
        name_field = "; ".join(o["names"])
        if len(name_field) > common.MAX_NAME:
            raise ValueError("%s: name field too long" % o["source"])
        w.record(["S%d" % (o["code"] - 50), "2000.0",
                  common.fmt_ra(o["ra"], 2), common.fmt_dec(o["dec"], 1),
                  "", "",
                  "" if o["mag"] is None else common.fmt_num(o["mag"], 2),
                  "" if o["bv"] is None else common.fmt_num(o["bv"], 2),
                  "", "",
                  "" if o["size"] is None else common.fmt_num(o["size"], 2),
                  name_field])
    return w.write()


def main(argv=None):
    import argparse
    from build_catalog import default_paths
    src, out = default_paths()
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("source", nargs="?", default=src)
    ap.add_argument("output", nargs="?", default=out)
    a = ap.parse_args(argv)
    stats = {}
    n = write(load(a.source, stats), a.output)
    print("DeepSky.txt: %d objects %s" % (n, stats))


if __name__ == "__main__":
    main()
