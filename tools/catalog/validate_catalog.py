#!/usr/bin/env python3
"""Check a built catalogue the way Norvane's importer will read it.

    python3 tools/catalog/validate_catalog.py [CATALOG_DIR] [--show NAME ...]

For every file named in FileList.txt, in order:

* the bytes are Windows-1252 text with CR LF line ends only;
* every record line has the field count of its kind (S 12, P 14, C1 4,
  C2 6, L 6), at most 16 fields, no line longer than 1022 characters;
* every field parses with the conversions the importer applies (scanf-style
  "%hd", "%lf", "%hd%hd%lf", "%ld/%hd/%lf", "%lf%lf", magnitude lists), the
  converted values are in range (magnitudes fit 16-bit hundredths, angles,
  coordinates, positive distances and radii);
* names are parsed with the program's catalogue-identifier rules: at most 8
  identifiers are kept, and each star of the Bright Star Catalogue keeps its
  HR number;
* the primary body of every "P" line and both endpoints of every "C1" line
  are found by exact, case-insensitive search over the display names of the
  objects imported before them, and the hit is the intended object;
* no file holds more than 16,000 objects.

Exit status 0 when everything passes.  --show prints the records whose
display name has a part equal to NAME (case-insensitive).
"""

import argparse
import math
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True      # no __pycache__ beside the sources
import common  # noqa: E402

FIELD_COUNT = {"S": 12, "P": 14, "C1": 4, "C2": 6, "L": 6}

# Conversion factors of the importer.
PM_RA = 1.991021278111841e-7
PM_DEC = 1.3273475187412273e-8
RV = 0.0005775483300664642
PC_TO_AU = 206264.8062


class Fail(Exception):
    pass


# ---------------------------------------------------------------------------
# scanf-like readers

_INT = re.compile(r"\s*([+-]?\d+)")
_FLT = re.compile(r"\s*([+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?)")


def scan(fmt, text):
    """A small scanf: %d/%hd/%ld, %lf, %c and literal characters.  Returns the
    values read up to the first failure (like scanf's count)."""
    out = []
    pos = 0
    i = 0
    while i < len(fmt):
        ch = fmt[i]
        if ch == "%":
            j = i + 1
            while fmt[j] in "hl":
                j += 1
            conv = fmt[j]
            i = j + 1
            if conv == "d":
                m = _INT.match(text, pos)
                if not m:
                    return out
                out.append(int(m.group(1)))
                pos = m.end()
            elif conv == "f":
                m = _FLT.match(text, pos)
                if not m:
                    return out
                out.append(float(m.group(1)))
                pos = m.end()
            elif conv == "c":
                if pos >= len(text):
                    return out
                out.append(text[pos])
                pos += 1
            elif conv == "s":
                m = re.compile(r"\s*(\S+)").match(text, pos)
                if not m:
                    return out
                out.append(m.group(1))
                pos = m.end()
            else:
                raise ValueError(fmt)
        elif ch.isspace():
            while pos < len(text) and text[pos].isspace():
                pos += 1
            i += 1
        else:
            if pos >= len(text) or text[pos] != ch:
                return out
            pos += 1
            i += 1
    return out


def number(text, what, allow_empty=True):
    """A "%lf" field that must be either empty or a whole number text."""
    t = text.strip()
    if not t:
        if allow_empty:
            return None
        raise Fail("%s: empty" % what)
    if not re.fullmatch(r"[+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?", t):
        raise Fail("%s: not a number: %r" % (what, text))
    return float(t)


def hundredths(v, what):
    h = int(v * 100)
    if not -32767 < h < 32767:
        raise Fail("%s: %r does not fit 16-bit hundredths" % (what, v))
    return h


# ---------------------------------------------------------------------------
# The program's catalogue identifiers (names and designations)

def _variable_number(word):
    if re.fullmatch(r"V\d+", word):
        n = int(word[1:])
        return n if n >= 1 else None
    if re.fullmatch(r"[R-Z]", word):
        return ord(word) - ord("R") + 1
    if re.fullmatch(r"[R-Z][R-Z]", word):
        a, b = word
        if b < a:
            return None
        n = 10
        for first in "RSTUVWXYZ":
            for second in "RSTUVWXYZ"[("RSTUVWXYZ").index(first):]:
                if first == a and second == b:
                    return n
                n += 1
    if re.fullmatch(r"[A-Q][A-Z]", word):
        a, b = word
        if "J" in word or b < a:
            return None
        n = 55
        letters = "ABCDEFGHIKLMNOPQRSTUVWXYZ"
        for first in "ABCDEFGHIKLMNOPQ":
            for second in letters[letters.index(first):]:
                if first == a and second == b:
                    return n
                n += 1
    return None


def _variable_text(n):
    if n <= 9:
        return "RSTUVWXYZ"[n - 1]
    k = 10
    if n <= 54:
        for first in "RSTUVWXYZ":
            for second in "RSTUVWXYZ"[("RSTUVWXYZ").index(first):]:
                if k == n:
                    return first + second
                k += 1
    k = 55
    letters = "ABCDEFGHIKLMNOPQRSTUVWXYZ"
    if n <= 334:
        for first in "ABCDEFGHIKLMNOPQ":
            for second in letters[letters.index(first):]:
                if k == n:
                    return first + second
                k += 1
    return "V%d" % n


def star_identifier(part):
    """(code, payload) of one name part under the star rules, or None."""
    if part.startswith("GSC"):
        v = scan("%ld-%ld", part[3:])
        if len(v) == 2 and 1 <= v[0] <= 9537 and 1 <= v[1] <= 9999:
            return (10, v[0] * 10000 + v[1])
        return None
    for prefix, code in (("BD", 7), ("CoD", 8), ("CPD", 9)):
        if part.startswith(prefix):
            v = scan("%c%d%ld%c" if code == 7 else "%c%d%ld", part[len(prefix):])
            if len(v) < 3:
                return None
            sign, zone, num = v[0], v[1], v[2]
            north = 1 if sign == "+" else 0
            if not (-89 <= zone <= 89):
                return None
            if code == 7:
                if not 1 <= num <= 9999:
                    return None
                suffix = 0
                if len(v) == 4:
                    suffix = "abnps".find(v[3].lower()) + 1
                    if suffix == 0:
                        return None
                return (7, north * 10000000 + zone * 100000 + num * 10 + suffix)
            if not 1 <= num <= 99999:
                return None
            return (code, north * 10000000 + zone * 100000 + num)
    for prefix, code, hi in (("HD", 5, 999999), ("SAO", 6, 999998), ("HR", 4, 9999)):
        if part.startswith(prefix):
            v = scan("%ld", part[len(prefix):])
            if len(v) == 1 and 1 <= v[0] <= hi:
                return (code, v[0])
            return None
    words = scan("%s%s", part)
    if len(words) < 2:
        return None
    const = common.constellation_number(words[1])
    if not const:
        return None
    first = words[0]
    if not part.startswith("$"):
        if first[0] in "123456789":
            n = scan("%ld", first)
            if n and n[0] >= 1:
                return (3, n[0] * 100 + const)
            return None
        if first[0].isupper():
            n = _variable_number(first)
            if n:
                return (2, n * 100 + const)
        return None
    if len(first) < 2:
        return None
    letter = common.GREEK_SYMBOLS.find(first[1]) + 1
    if letter == 0:
        return None
    sup = 0
    if len(first) > 2:
        if first[2] in "123456789" and len(first) == 3:
            sup = int(first[2])
        else:
            return None
    return (1, letter * 1000 + sup * 100 + const)


def deep_sky_identifier(part):
    for prefix, code, hi in (("UGCA", 25, 99998), ("UGC", 24, 99999), ("PGC", 28, 99999)):
        if part.startswith(prefix):
            v = scan("%ld", part[len(prefix):])
            if len(v) == 1 and 1 <= v[0] <= hi:
                return (code, v[0])
            return None
    if part.startswith("PK"):
        v = scan("%ld%c%ld%c%ld", part[2:])
        if len(v) == 5 and 0 <= v[0] <= 359 and -89 <= v[2] <= 89 and 1 <= v[4] <= 9:
            north = 1 if v[1] == "+" else 0
            return (26, v[0] * 10000 + north * 1000 + v[2] * 10 + v[4])
        return None
    if part.startswith("PNG"):
        v = scan("%ld%c%ld%c%ld%c%ld", part[3:])
        if (len(v) == 7 and 0 <= v[0] <= 359 and 0 <= v[2] <= 9 and -89 <= v[4] <= 89
                and 0 <= v[6] <= 9):
            north = 1 if v[3] == "+" else 0
            return (27, (v[0] * 10 + v[2]) * 10000 + north * 1000 + v[4] * 10 + v[6])
        return None
    for prefix, code in (("NGC", 22), ("IC", 23)):
        if part.startswith(prefix):
            v = scan("%ld%c", part[len(prefix):])
            if not v or not 1 <= v[0] <= 9999:
                return None
            suffix = 0
            if len(v) == 2:
                suffix = "ABCDEFGHI".find(v[1].upper()) + 1
                if suffix == 0:
                    return None
            return (code, v[0] * 10 + suffix)
    if part.startswith("M"):
        v = scan("%ld", part[1:])
        if len(v) == 1 and 1 <= v[0] <= 110:
            return (21, v[0])
        return None
    return None


def format_identifier(code, payload):
    if code == 1:
        letter, rest = divmod(payload, 1000)
        sup, const = divmod(rest, 100)
        sym = common.GREEK_SYMBOLS[letter - 1]
        abbr = common.CONSTELLATIONS[const - 1]
        return "$%s%d %s" % (sym, sup, abbr) if sup else "$%s %s" % (sym, abbr)
    if code == 2:
        n, const = divmod(payload, 100)
        return "%s %s" % (_variable_text(n), common.CONSTELLATIONS[const - 1])
    if code == 3:
        n, const = divmod(payload, 100)
        return "%d %s" % (n, common.CONSTELLATIONS[const - 1])
    if code == 4:
        return "HR%d" % payload
    if code == 5:
        return "HD%d" % payload
    if code == 6:
        return "SAO%d" % payload
    if code in (7, 8, 9):
        north, rest = divmod(payload, 10000000)
        zone, rest = divmod(rest, 100000)
        sign = "+" if north else "-"
        if code == 7:
            num, suffix = divmod(rest, 10)
            text = "BD%s%02d %d" % (sign, zone, num)
            return text + ("abnps"[suffix - 1] if suffix else "")
        return "%s%s%02d %d" % ("CoD" if code == 8 else "CPD", sign, zone, rest)
    if code == 21:
        return "M%d" % payload
    if code in (22, 23):
        n, suffix = divmod(payload, 10)
        return ("NGC" if code == 22 else "IC") + "%d" % n + ("ABCDEFGHI"[suffix - 1] if suffix else "")
    if code == 24:
        return "UGC%d" % payload
    if code == 25:
        return "UGCA%d" % payload
    if code == 28:
        return "PGC%d" % payload
    if code == 26:
        lon, rest = divmod(payload, 10000)
        north, rest = divmod(rest, 1000)
        lat, seq = divmod(rest, 10)
        return "PK%d%s%02d %d" % (lon, "+" if north else "-", lat, seq)
    if code == 27:
        lon, rest = divmod(payload, 10000)
        north, rest = divmod(rest, 1000)
        return "PNG%05.1f%s%04.1f" % (lon / 10.0, "+" if north else "-", rest / 10.0)
    return None


def parse_names(text, deep_sky):
    """(identifiers kept, all parts were identifiers, display name)."""
    text = text[:255]
    parts = [p.strip() for p in text.split(";")]
    ids = []
    all_ids = True
    for p in parts:
        ident = deep_sky_identifier(p) if deep_sky else star_identifier(p)
        if ident is None:
            all_ids = False
        else:
            ids.append(ident)
    ids.sort(key=lambda x: x[0])
    kept = ids[:8]
    if all_ids:
        display = "; ".join(t for t in (format_identifier(*i) for i in kept) if t)
    else:
        display = text
    return kept, all_ids, display, len(ids)


def name_parts(display):
    return [p.strip() for p in display.split(";") if p.strip()][:16]


# ---------------------------------------------------------------------------
# Records

def check_position(f2, f3):
    v = scan("%hd%hd%lf", f2)
    if len(v) != 3 or not f2.strip():
        raise Fail("R.A. %r does not read as h m s" % f2)
    h, m, s = v
    if not (0 <= h < 24 and 0 <= m < 60 and 0 <= s < 60):
        raise Fail("R.A. %r out of range" % f2)
    v = scan("%hd%hd%lf", f3)
    if len(v) != 3:
        raise Fail("Dec. %r does not read as d m s" % f3)
    d, m, s = v
    if not (0 <= abs(d) <= 90 and 0 <= m < 60 and 0 <= s < 60):
        raise Fail("Dec. %r out of range" % f3)
    south = f3[:1] == "-"
    dec = abs(d) + m / 60.0 + s / 3600.0
    if dec > 90.0:
        raise Fail("Dec. %r beyond the pole" % f3)
    return (h + m / 60.0 + s / 3600.0), (-dec if south else dec)


def check_star(fields, ctx):
    code = scan("%hd", fields[0][1:])
    if not code or not 1 <= code[0] <= 15 or code[0] in (5, 6, 7, 8, 9, 10):
        raise Fail("bad type %r" % fields[0])
    t = 50 + code[0]
    if number(fields[1], "equinox") != 2000.0:
        raise Fail("equinox is not 2000.0")
    ra, dec = check_position(fields[2], fields[3])
    pm_ra = number(fields[4], "pm R.A.")
    pm_dec = number(fields[5], "pm Dec.")
    for v, f in ((pm_ra, PM_RA), (pm_dec, PM_DEC)):
        if v is not None and not math.isfinite(v * f):
            raise Fail("proper motion")
    mags = fields[6].strip()
    if mags:
        if t == 52:
            parts = mags.split(",")
        elif t == 53:
            parts = mags.split("-") if mags[0] != "-" else [mags]
        elif t == 54:
            parts = re.split(r"[,]", mags)
        else:
            parts = [mags]
        if t in (51, 53) and "," in mags:
            raise Fail("companion magnitude on a type %d star" % t)
        if t in (53, 54) and "-" in mags[1:]:
            raise Fail("a range on a variable: catalogue has none")
        for p in parts:
            v = number(p, "magnitude", allow_empty=False)
            hundredths(v, "magnitude")
        if len(parts) > 1:
            hundredths(float(parts[1]) - float(parts[0]), "companion offset")
    bv = number(fields[7], "B-V")
    if bv is not None:
        hundredths(bv, "B-V")
    rv = number(fields[8], "radial velocity")
    dist = number(fields[9], "distance")
    if dist is not None and dist <= 0:
        raise Fail("distance not positive")
    size = number(fields[10], "size")
    if size is not None and size < 0:
        raise Fail("negative size")
    names = fields[11]
    if len(names) > 255:
        raise Fail("name field longer than 255 characters")
    kept, all_ids, display, found = parse_names(names, t >= 61)
    if found > 8:
        raise Fail("%d identifiers: more than 8" % found)
    ctx["s_identifiers"] += len(kept)
    return {"type": t, "ra": ra, "dec": dec, "display": display, "kept": kept,
            "all_ids": all_ids, "rv": rv, "mag": mags}


def check_body(fields, ctx):
    code = scan("%hd", fields[0][1:])
    if not code or not 1 <= code[0] <= 38:
        raise Fail("bad type %r" % fields[0])
    if number(fields[1], "equinox") != 2000.0:
        raise Fail("equinox")
    a = number(fields[2], "a", allow_empty=False)
    e = number(fields[3], "e", allow_empty=False)
    for k, what in ((4, "i"), (5, "argument of perihelion"), (6, "node"), (7, "M")):
        v = number(fields[k], what, allow_empty=False)
        if not (-360.0 <= v <= 360.0):
            raise Fail("%s %r out of range" % (what, v))
    inc = float(fields[4])
    if not 0.0 <= inc <= 180.0:
        raise Fail("inclination %r" % inc)
    if e < 0:
        raise Fail("negative eccentricity")
    q = -a if a < 0 else (a * (1 - e) if e < 1 else a * (e - 1))
    if code[0] != 1 and q <= 0:
        raise Fail("perihelion distance %r not positive" % q)
    if code[0] == 1 and q != 0:
        raise Fail("the Sun must sit at the origin")
    ep = scan("%ld/%hd/%lf", fields[8])
    if len(ep) != 3 or not re.fullmatch(r"-?\d+/\d+/\d+(\.\d+)?", fields[8]):
        raise Fail("epoch %r does not read as year/month/day" % fields[8])
    if not 1 <= ep[1] <= 12 or not 0 <= ep[2] < 32:
        raise Fail("epoch %r out of range" % fields[8])
    mags = fields[9].split()
    if len(mags) > 2:
        raise Fail("more than two magnitude parameters")
    for m in mags:
        hundredths(number(m, "magnitude parameter", allow_empty=False), "magnitude parameter")
    for k, what in ((10, "radius"), (11, "mass")):
        v = number(fields[k], what)
        if v is not None and v < 0:
            raise Fail("negative %s" % what)
    name = fields[12]
    if not name or len(name) > 255:
        raise Fail("name missing or too long")
    return {"type": code[0], "display": name, "primary": fields[13].strip(),
            "epoch": common.jd_from_calendar(ep[0], ep[1], ep[2]), "q": q}


def check_line(fields, kind):
    if kind == "C1":
        if not fields[1].strip() or not fields[2].strip():
            raise Fail("C1 endpoint name missing")
        return {"type": 91, "display": ""}
    if number(fields[1], "equinox") != 2000.0:
        raise Fail("equinox")
    for k in (2, 4):
        v = number(fields[k], "R.A.", allow_empty=False)
        if not 0 <= v < 24:
            raise Fail("R.A. %r" % v)
    for k in (3, 5):
        v = number(fields[k], "Dec.", allow_empty=False)
        if not -90 <= v <= 90:
            raise Fail("Dec. %r" % v)
    return {"type": 92, "display": ""}


def check_site(fields):
    lon = number(fields[1], "longitude", allow_empty=False)
    lat = number(fields[2], "latitude", allow_empty=False)
    alt = number(fields[3], "altitude", allow_empty=False)
    tz = number(fields[4], "time zone", allow_empty=False)
    if not (-180 <= lon <= 180 and -90 <= lat <= 90 and -500 < alt < 9000 and -12 <= tz <= 14):
        raise Fail("site values out of range")
    if not fields[5].strip() or len(fields[5]) > 47:
        raise Fail("site name missing or longer than 47 characters")
    return {"type": 101, "display": ""}


def validate(cat_dir, show=()):
    problems = []
    with open(os.path.join(cat_dir, "FileList.txt"), "rb") as f:
        raw = f.read()
    if b"\n" in raw.replace(b"\r\n", b"") or b"\r" in raw.replace(b"\r\n", b""):
        problems.append("FileList.txt: line ends other than CR LF")
    files = raw.decode("ascii").split("\r\n")
    if files[-1] != "":
        problems.append("FileList.txt: last line without CR LF")
    files = files[:-1]
    if any(not name or len(name) > 254 for name in files):
        problems.append("FileList.txt: empty or overlong line")

    index = {}          # lower-case name part -> first object
    objects = []
    per_file = []
    ctx = {"s_identifiers": 0}
    kinds = {}
    bsc_hr_lost = 0
    for fname in files:
        path = os.path.join(cat_dir, fname)
        if not os.path.exists(path):
            problems.append("%s: named in FileList.txt but missing" % fname)
            continue
        with open(path, "rb") as f:
            data = f.read()
        if b"\n" in data.replace(b"\r\n", b"") or b"\r" in data.replace(b"\r\n", b""):
            problems.append("%s: line ends other than CR LF" % fname)
        try:
            text = data.decode("cp1252")
        except UnicodeDecodeError as exc:
            problems.append("%s: not Windows-1252: %s" % (fname, exc))
            continue
        count = 0
        for lineno, line in enumerate(text.split("\r\n")[:-1], 1):
            if len(line) > 1022:
                problems.append("%s:%d: line longer than 1022 characters" % (fname, lineno))
            if not line or line[0].upper() not in "SPCL":
                continue
            fields = line.split("\t")
            if len(fields) > 16:
                problems.append("%s:%d: more than 16 fields" % (fname, lineno))
                continue
            kind = line[0].upper()
            if kind == "C":
                kind = fields[0][:2].upper()
            want = FIELD_COUNT.get(kind)
            if want is None or len(fields) != want:
                problems.append("%s:%d: %s line with %d fields" % (fname, lineno, kind, len(fields)))
                continue
            try:
                if kind == "S":
                    obj = check_star(fields, ctx)
                    if fname == "BrightStars.txt":
                        hr = re.search(r"\bHR(\d+)\b", fields[11])
                        if not hr or (4, int(hr.group(1))) not in obj["kept"]:
                            bsc_hr_lost += 1
                        obj["hr"] = int(hr.group(1)) if hr else None
                elif kind == "P":
                    obj = check_body(fields, ctx)
                    if obj["primary"]:
                        hit = index.get(obj["primary"].lower())
                        if hit is None or hit["file"] != "SolarSystem.txt" or hit["kind"] != "P":
                            raise Fail("primary %r not found before it" % obj["primary"])
                elif kind in ("C1", "C2"):
                    obj = check_line(fields, kind)
                    if kind == "C1":
                        for endpoint in (fields[1], fields[2]):
                            hit = index.get(endpoint.strip().lower())
                            if hit is None:
                                raise Fail("C1 endpoint %r not found before it" % endpoint)
                            if hit.get("hr") != int(endpoint.strip()[2:]):
                                raise Fail("C1 endpoint %r finds %r first"
                                           % (endpoint, hit["display"]))
                else:
                    obj = check_site(fields)
            except Fail as exc:
                problems.append("%s:%d: %s" % (fname, lineno, exc))
                continue
            except (ValueError, IndexError) as exc:
                problems.append("%s:%d: %r" % (fname, lineno, exc))
                continue
            obj["file"] = fname
            obj["kind"] = kind
            obj["line"] = line
            objects.append(obj)
            for part in name_parts(obj.get("display", "")):
                index.setdefault(part.lower(), obj)
            count += 1
            kinds[kind] = kinds.get(kind, 0) + 1
        if count > common.MAX_OBJECTS_PER_FILE:
            problems.append("%s: %d objects exceed 16,000" % (fname, count))
        if count == 0:
            problems.append("%s: no objects" % fname)
        per_file.append((fname, count))
    if bsc_hr_lost:
        problems.append("%d Bright Star Catalogue stars lose their HR identifier" % bsc_hr_lost)

    for name in show:
        hit = [o for o in objects
               if name.lower() in [p.lower() for p in name_parts(o.get("display", ""))]]
        print("== %s: %d object(s)" % (name, len(hit)))
        for o in hit[:3]:
            print("   %s: %s" % (o["file"], o["line"].replace("\t", " | ")))
            if o["kind"] == "S":
                print("   display name: %s" % o["display"])
    return problems, per_file, kinds, objects


def main(argv=None):
    from build_catalog import default_paths
    _, out = default_paths()
    ap = argparse.ArgumentParser(description="Validate a built catalogue.")
    ap.add_argument("catalog", nargs="?", default=out)
    ap.add_argument("--show", nargs="*", default=[])
    a = ap.parse_args(argv)
    problems, per_file, kinds, _ = validate(a.catalog, a.show)
    total = sum(n for _, n in per_file)
    print("%d files, %d objects: %s" % (len(per_file), total,
                                         ", ".join("%s %d" % kv for kv in sorted(kinds.items()))))
    for p in problems[:50]:
        print("PROBLEM:", p)
    if len(problems) > 50:
        print("... and %d more problems" % (len(problems) - 50))
    print("%d problems" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
