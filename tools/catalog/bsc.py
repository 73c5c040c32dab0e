#!/usr/bin/env python3
"""Yale Bright Star Catalogue (5th revised edition, bsc5.dat) -> BrightStars.txt.

Every star of the catalogue becomes one "S" line:

* type S1 single, S2 multiple, S3 variable, S4 both.  A star is multiple
  when byte 44 carries a multiple-star code or when the catalogue gives a
  companion (magnitude difference or separation, bytes 181-190): the code
  column leaves many known pairs blank (Sirius among them), and the file
  format can hold a companion's magnitude and separation only for a
  multiple star.
  A star counts as variable when the catalogue names it in the General
  Catalogue of Variable Stars (a letter designation such as "R Leo",
  "V640 Cas", or a Bayer/Latin-letter form) or marks it "Var".  Suspected
  variables - "Var?" and bare numbers, which are NSV (New Suspected Variables)
  numbers - are kept as constant stars: the catalogue gives no range for any
  of them, and "suspected" is not enough to draw a star with the variable
  symbol.
* J2000 position, proper motions (the catalogue's R.A. motion is
  mu-alpha cos(Dec) in arcseconds: divided by 15 cos(Dec) for seconds of
  time), radial velocity, B-V, the companion's magnitude and separation, and
  the distance from a trigonometric parallax only (a 'D' in byte 161 marks a
  dynamical parallax, which is not used; a blank, zero or negative parallax
  leaves the distance unknown).
* names: the proper name from d3-celestial's starnames.json (matched by HD
  number), then Bayer ("$a1 Cen"), Flamsteed ("9 CMa"), the variable
  designation, HR, HD, SAO and the Durchmusterung number.  The program keeps
  at most 8 recognised designations sorted by catalogue; a star here has at
  most 7 (Bayer, variable, Flamsteed, HR, HD, SAO, one DM), so none is lost,
  and HR - the name the constellation figures use - is always among them.
"""

import json
import math
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True      # no __pycache__ beside the sources
import common  # noqa: E402


class BrightStar:
    __slots__ = ("hr", "ra_hours", "dec_deg", "vmag", "type_code", "fields",
                 "names", "hd", "proper_name")


def _num(text):
    text = text.strip()
    if not text:
        return None
    try:
        return float(text)
    except ValueError:
        return None


def _int(text):
    text = text.strip()
    if not text:
        return None
    try:
        return int(text)
    except ValueError:
        return None


def variable_designation(field):
    """Classify the catalogue's variable-star field (bytes 52-60).

    Returns (is_variable, designation_text_or_None, kind) where kind is one of
    'blank', 'suspected', 'var', 'gcvs', 'bayer'.  For Bayer-form names the
    designation is returned in the "$x" form so it can be compared with the
    star's own Bayer designation.
    """
    raw = " ".join(field.split())
    if not raw:
        return False, None, "blank"
    if raw == "Var?":
        return False, None, "suspected"
    if re.match(r"^[\d/]+$", raw):
        return False, None, "suspected"          # NSV number
    if raw == "Var":
        return True, None, "var"
    m = re.match(r"^([A-Z][a-z]{1,2})(\d?)\s*([A-Za-z]{3})$", raw)
    if m and common.greek_symbol_from_abbreviation(m.group(1)):
        sym = common.greek_symbol_from_abbreviation(m.group(1))
        return True, "$%s%s %s" % (sym, m.group(2), m.group(3)), "bayer"
    parts = raw.split(" ")
    if len(parts) == 2 and common.constellation_number(parts[1]):
        # A GCVS letter designation ("R Leo", "V640 Cas") or a Latin-letter
        # Bayer name the GCVS uses ("b Per", "L2 Pup").
        return True, "%s %s" % (parts[0], parts[1]), "gcvs"
    return True, raw, "gcvs"


def load_starnames_by_hd(path):
    """Proper names of starnames.json keyed by HD number."""
    with open(path, encoding="utf-8") as f:
        names = json.load(f)
    by_hd = {}
    for entry in names.values():
        name = (entry.get("name") or "").strip()
        hd = entry.get("hd") or ""
        m = re.search(r"(\d+)", hd)
        if not name or not m:
            continue
        by_hd.setdefault(int(m.group(1)), name)
    return by_hd


def parse_bsc(path):
    """Raw records of bsc5.dat as dictionaries of the fields used here."""
    out = []
    with open(path, encoding="latin-1") as f:
        for line in f.read().split("\n"):
            if not line.strip():
                continue
            l = line.rstrip("\r").ljust(197)
            out.append({
                "hr": int(l[0:4]),
                "flamsteed": _int(l[4:7]),
                "bayer": l[7:10].strip(),
                "bayer_sup": l[10].strip(),
                "const": l[11:14].strip(),
                "dm_cat": l[14:16],
                "dm_zone": l[16:19],
                "dm_num": _int(l[19:24]),
                "dm_suffix": l[24].strip(),
                "hd": _int(l[25:31]),
                "sao": _int(l[31:37]),
                "multiple": l[43] != " ",
                "var": l[51:60],
                "ra_h": int(l[75:77]), "ra_m": int(l[77:79]), "ra_s": float(l[79:83]),
                "dec_sign": l[83], "dec_d": int(l[84:86]), "dec_m": int(l[86:88]),
                "dec_s": int(l[88:90]),
                "vmag": _num(l[102:107]),
                "bv": _num(l[109:114]),
                "pm_ra": _num(l[148:154]),
                "pm_dec": _num(l[154:160]),
                "dyn_parallax": l[160] == "D",
                "parallax": _num(l[161:166]),
                "rv": _num(l[166:170]),
                "dmag": _num(l[180:184]),
                "sep": _num(l[184:190]),
            })
    return out


def dm_designation(r):
    """Durchmusterung number in the program's forms: BD+38 3238, CoD-23 4553,
    CPD-74 580 (a BD suffix letter a, b, n, p or s is kept)."""
    if r["dm_num"] is None:
        return None
    zone = r["dm_zone"].strip()
    if len(zone) != 3 or zone[0] not in "+-":
        return None
    sign, z = zone[0], int(zone[1:])
    cat = {"BD": "BD", "CD": "CoD", "CP": "CPD"}.get(r["dm_cat"])
    if cat is None:
        return None
    text = "%s%s%02d %d" % (cat, sign, z, r["dm_num"])
    if cat == "BD" and r["dm_suffix"].lower() in ("a", "b", "n", "p", "s"):
        text += r["dm_suffix"].lower()
    return text


def convert(source_dir, stats=None):
    """Build BrightStar records from bsc5.dat and starnames.json."""
    records = parse_bsc(os.path.join(source_dir, "bsc5.dat"))
    proper = load_starnames_by_hd(os.path.join(source_dir, "d3-celestial", "starnames.json"))
    stars = []
    counts = {"types": {51: 0, 52: 0, 53: 0, 54: 0}, "proper_names": 0,
              "distances": 0, "dynamical_parallax_skipped": 0,
              "nonpositive_parallax": 0, "var_kinds": {},
              "multiple_from_companion_only": 0}
    for r in records:
        is_var, var_name, var_kind = variable_designation(r["var"])
        counts["var_kinds"][var_kind] = counts["var_kinds"].get(var_kind, 0) + 1
        has_companion = r["dmag"] is not None or r["sep"] is not None
        multiple = r["multiple"] or has_companion
        if has_companion and not r["multiple"]:
            counts["multiple_from_companion_only"] += 1
        type_code = 51 + (1 if multiple else 0) + (2 if is_var else 0)
        counts["types"][type_code] += 1

        ra_hours = r["ra_h"] + r["ra_m"] / 60.0 + r["ra_s"] / 3600.0
        dec_deg = r["dec_d"] + r["dec_m"] / 60.0 + r["dec_s"] / 3600.0
        if r["dec_sign"] == "-":
            dec_deg = -dec_deg
        ra_text = "%02d %02d %04.1f" % (r["ra_h"], r["ra_m"], r["ra_s"])
        dec_text = "%s%02d %02d %02d" % ("-" if r["dec_sign"] == "-" else "+",
                                         r["dec_d"], r["dec_m"], r["dec_s"])

        # Proper motion in R.A.: the catalogue gives mu-alpha cos(Dec) in
        # arcseconds per year; the file wants seconds of time per year.
        pm_ra = ""
        if r["pm_ra"] is not None:
            cosd = math.cos(math.radians(dec_deg))
            pm_ra = common.fmt_num(r["pm_ra"] / (15.0 * cosd), 6)
        pm_dec = "" if r["pm_dec"] is None else common.fmt_num(r["pm_dec"], 3)

        v = r["vmag"]
        mags = ""
        if v is not None:
            mags = common.fmt_num(v, 2)
            if type_code in (52, 54) and r["dmag"] is not None:
                mags += "," + common.fmt_num(v + r["dmag"], 2)
        bv = "" if r["bv"] is None else common.fmt_num(r["bv"], 2)
        rv = "" if r["rv"] is None else common.fmt_num(r["rv"], 1)

        dist = ""
        p = r["parallax"]
        if r["dyn_parallax"] and p is not None:
            counts["dynamical_parallax_skipped"] += 1
        elif p is not None and p <= 0:
            counts["nonpositive_parallax"] += 1
        elif p is not None:
            dist = common.fmt_num(1.0 / p, 3)
            counts["distances"] += 1

        sep = ""
        if type_code in (52, 54) and r["sep"] is not None and r["sep"] > 0:
            sep = common.fmt_num(r["sep"], 1)

        names = []
        pname = proper.get(r["hd"]) if r["hd"] else None
        if pname:
            names.append(common.to_cp1252(pname))
            counts["proper_names"] += 1
        bayer = None
        if r["bayer"]:
            sym = common.greek_symbol_from_abbreviation(r["bayer"])
            if sym and common.constellation_number(r["const"]):
                bayer = "$%s%s %s" % (sym, r["bayer_sup"], r["const"])
                names.append(bayer)
        if r["flamsteed"] and common.constellation_number(r["const"]):
            names.append("%d %s" % (r["flamsteed"], r["const"]))
        if var_name and var_name != bayer:
            names.append(var_name)
        names.append("HR%d" % r["hr"])
        if r["hd"]:
            names.append("HD%d" % r["hd"])
        if r["sao"]:
            names.append("SAO%d" % r["sao"])
        dm = dm_designation(r)
        if dm:
            names.append(dm)
        name_field = "; ".join(names)
        if len(name_field) > common.MAX_NAME:
            raise ValueError("HR %d: name field too long" % r["hr"])

        s = BrightStar()
        s.hr = r["hr"]
        s.hd = r["hd"]
        s.proper_name = pname
        s.ra_hours = ra_hours
        s.dec_deg = dec_deg
        s.vmag = v
        s.type_code = type_code
        s.names = names
        s.fields = ["S%d" % (type_code - 50), "2000.0", ra_text, dec_text, pm_ra, pm_dec,
                    mags, bv, rv, dist, sep, name_field]
        stars.append(s)
    if stats is not None:
        stats.update(counts)
    return stars


def write(stars, out_dir):
    w = common.ObjectTextWriter(os.path.join(out_dir, "BrightStars.txt"))
    w.comment("Norvane object text file: the Yale Bright Star Catalogue, 5th revised edition "
              "(Hoffleit & Warren 1991), J2000 positions; proper names from d3-celestial.")
    for s in stars:
        w.record(s.fields)
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
    n = write(convert(a.source, stats), a.output)
    print("BrightStars.txt: %d stars %s" % (n, stats))


if __name__ == "__main__":
    main()
