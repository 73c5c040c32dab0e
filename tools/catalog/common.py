"""Helpers shared by the catalogue converters.

Everything here is about Norvane's own object text format: how a line is laid
out, how numbers and coordinates are written so that the importer's scanf-style
reads take them, how names are made 8-bit Windows-1252, and the calendar
arithmetic that turns a Julian date into the "year/month/day" epoch the
importer converts back.  Nothing here knows a source format.
"""

import math
import os
import unicodedata

# ---------------------------------------------------------------------------
# Fixed tables of the program (constellation numbering and Greek letters)

# Constellation abbreviations in the program's numbering (1..88).
CONSTELLATIONS = [
    "And", "Ant", "Aps", "Aqr", "Aql", "Ara", "Ari", "Aur", "Boo", "Cae",
    "Cam", "Cnc", "CVn", "CMa", "CMi", "Cap", "Car", "Cas", "Cen", "Cep",
    "Cet", "Cha", "Cir", "Col", "Com", "CrA", "CrB", "Crv", "Crt", "Cru",
    "Cyg", "Del", "Dor", "Dra", "Equ", "Eri", "For", "Gem", "Gru", "Her",
    "Hor", "Hya", "Hyi", "Ind", "Lac", "Leo", "LMi", "Lep", "Lib", "Lup",
    "Lyn", "Lyr", "Men", "Mic", "Mon", "Mus", "Nor", "Oct", "Oph", "Ori",
    "Pav", "Peg", "Per", "Phe", "Pic", "Psc", "PsA", "Pup", "Pyx", "Ret",
    "Sge", "Sgr", "Sco", "Scl", "Sct", "Ser", "Sex", "Tau", "Tel", "Tri",
    "TrA", "Tuc", "UMa", "UMi", "Vel", "Vir", "Vol", "Vul",
]

# The name parser matches a constellation word by its first three letters,
# ignoring case, against the table in order: the first hit wins.
def constellation_number(word):
    if len(word) < 3:
        return 0
    w = word[:3].lower()
    for i, abbr in enumerate(CONSTELLATIONS):
        if abbr.lower() == w:
            return i + 1
    return 0


# Greek letters alpha..omega as the symbol-font characters that follow "$"
# in names ("$a CMa" is alpha Canis Majoris).
GREEK_SYMBOLS = "abgdezhqiklmnxoprstufcyw"

# The three-letter Greek abbreviations of the Bright Star Catalogue, in order.
GREEK_ABBREVIATIONS = [
    "Alp", "Bet", "Gam", "Del", "Eps", "Zet", "Eta", "The", "Iot", "Kap",
    "Lam", "Mu", "Nu", "Xi", "Omi", "Pi", "Rho", "Sig", "Tau", "Ups",
    "Phi", "Chi", "Psi", "Ome",
]

# Unicode Greek small letters in the same order (final sigma folds to sigma).
GREEK_UNICODE = "αβγδεζηθικλμνξοπρστυφχψω"


def greek_symbol_from_abbreviation(abbr):
    """'Alp' -> 'a', 'Mu' -> 'm'; None when it is not a Greek abbreviation."""
    abbr = abbr.strip()
    for i, g in enumerate(GREEK_ABBREVIATIONS):
        if abbr == g:
            return GREEK_SYMBOLS[i]
    return None


# ---------------------------------------------------------------------------
# 8-bit text

# Typographic quotes and accents become their plain ASCII forms so that a
# name typed on a keyboard ("Cat's Eye") finds the object.
_PLAIN = {
    "\u2018": "'", "\u2019": "'", "\u00b4": "'", "\u02bc": "'", "\u0060": "'",
    "\u201c": '"', "\u201d": '"', "\u2013": "-", "\u2014": "-",
    "\u2009": " ", "\u00a0": " ", "\u200e": "", "\u200f": "",
}


def to_cp1252(text, greek_to_symbol=True):
    """Make a name 8-bit Windows-1252.

    Greek small letters become the program's "$" symbol-character form, quotes
    become ASCII, letters outside Windows-1252 lose their accents, and anything
    still not representable becomes '?'.  Returns a str whose every character
    encodes in cp1252.
    """
    out = []
    for ch in text:
        if ch in _PLAIN:
            out.append(_PLAIN[ch])
            continue
        if greek_to_symbol:
            c = "\u03c3" if ch == "\u03c2" else ch
            k = GREEK_UNICODE.find(c)
            if k >= 0:
                out.append("$" + GREEK_SYMBOLS[k])
                continue
        try:
            ch.encode("cp1252")
            out.append(ch)
            continue
        except UnicodeEncodeError:
            pass
        base = "".join(c for c in unicodedata.normalize("NFKD", ch)
                       if not unicodedata.combining(c))
        try:
            base.encode("cp1252")
            out.append(base)
        except UnicodeEncodeError:
            out.append("?")
    return "".join(out)


def clean_field(text):
    """No TAB, CR or LF may appear inside a field."""
    return " ".join(text.replace("\t", " ").replace("\r", " ").replace("\n", " ").split())


# ---------------------------------------------------------------------------
# Writing object text files

# Limits of the importer and the store.
MAX_FIELDS = 16
MAX_LINE = 1022          # longer lines are read as several lines
MAX_NAME = 255           # name fields are read up to 255 characters
MAX_OBJECTS_PER_FILE = 16000


class ObjectTextWriter:
    """Collects lines of one object text file and writes it CR LF, cp1252."""

    def __init__(self, path, title=None):
        self.path = path
        self.title = title
        self.lines = []
        self.records = 0

    def comment(self, text):
        # A line whose first field does not start with S, P, C or L is skipped
        # by the importer; comments start with '#'.
        self.lines.append("# " + clean_field(text))

    def record(self, fields):
        fields = ["" if f is None else str(f) for f in fields]
        if len(fields) > MAX_FIELDS:
            raise ValueError("too many fields: %r" % (fields,))
        for f in fields:
            if "\t" in f or "\r" in f or "\n" in f:
                raise ValueError("control character inside a field: %r" % (f,))
        line = "\t".join(fields)
        if len(line.encode("cp1252")) > MAX_LINE:
            raise ValueError("line too long: %r" % (line,))
        self.lines.append(line)
        self.records += 1

    def write(self):
        if self.records > MAX_OBJECTS_PER_FILE:
            raise ValueError("%s: %d objects exceed the per-file limit"
                             % (self.path, self.records))
        os.makedirs(os.path.dirname(self.path) or ".", exist_ok=True)
        data = "".join(l + "\r\n" for l in self.lines).encode("cp1252")
        with open(self.path, "wb") as f:
            f.write(data)
        return self.records


# ---------------------------------------------------------------------------
# Numbers and coordinates as the importer reads them

def fmt_num(value, decimals):
    """Fixed-point text with trailing zeros removed ("1.50000" -> "1.5")."""
    s = "%.*f" % (decimals, value)
    if "." in s:
        s = s.rstrip("0")
        if s.endswith("."):
            s += "0"
    if s in ("-0.0", "-0"):
        s = "0.0"
    return s


def fmt_ra(hours, sec_decimals=3):
    """Right ascension as "hh mm ss.sss" (read as three numbers)."""
    hours %= 24.0
    total = round(hours * 3600.0, sec_decimals)
    if total >= 86400.0:
        total -= 86400.0
    h = int(total // 3600)
    m = int((total - h * 3600) // 60)
    s = total - h * 3600 - m * 60
    return "%02d %02d %0*.*f" % (h, m, 3 + sec_decimals if sec_decimals else 2,
                                 sec_decimals, s)


def fmt_dec(degrees, sec_decimals=2):
    """Declination as "+dd mm ss.ss"; the leading '-' marks the south even
    when the degrees are zero."""
    sign = "-" if degrees < 0 else "+"
    total = round(abs(degrees) * 3600.0, sec_decimals)
    d = int(total // 3600)
    m = int((total - d * 3600) // 60)
    s = total - d * 3600 - m * 60
    if sign == "-" and total == 0:
        sign = "+"
    return "%s%02d %02d %0*.*f" % (sign, d, m, 3 + sec_decimals if sec_decimals else 2,
                                   sec_decimals, s)


def lonlat_to_radec(lon, lat):
    """d3-celestial's GeoJSON longitude (-180..180 degrees) is the right
    ascension in degrees; returns (R.A. hours, Dec. degrees)."""
    return (lon % 360.0) / 15.0, lat


def angular_distance_deg(ra1h, dec1, ra2h, dec2):
    a1 = math.radians(ra1h * 15.0)
    a2 = math.radians(ra2h * 15.0)
    d1 = math.radians(dec1)
    d2 = math.radians(dec2)
    s = (math.sin((d2 - d1) / 2) ** 2
         + math.cos(d1) * math.cos(d2) * math.sin((a2 - a1) / 2) ** 2)
    return math.degrees(2 * math.asin(min(1.0, math.sqrt(s))))


def unit_vector(ra_hours, dec_deg):
    a = math.radians(ra_hours * 15.0)
    d = math.radians(dec_deg)
    return (math.cos(d) * math.cos(a), math.cos(d) * math.sin(a), math.sin(d))


# ---------------------------------------------------------------------------
# Calendar: exactly the program's arithmetic (Meeus, Astronomical Algorithms,
# ch. 7, Gregorian rule applied proleptically), so an epoch written here is
# turned back into the same Julian date by the importer.

def jd_from_calendar(year, month, day):
    if month < 3:
        year -= 1
        month += 12
    a = int(year / 100)                 # truncation toward zero
    b = 2 - a + int(a / 4)
    return (math.floor(365.25 * (year + 4716)) + math.floor(30.6001 * (month + 1))
            + day + b - 1524.5)


def calendar_from_jd(jd):
    j = jd + 0.5
    z = math.floor(j)
    f = j - z
    alpha = int((z - 1867216.25) / 36524.25)
    a = z + 1 + alpha - int(alpha / 4)
    b = a + 1524
    k = math.floor((b - 122.1) / 365.25)
    d = math.floor(365.25 * k)
    e = int((b - d) / 30.6001)
    day = b - d - math.floor(30.6001 * e) + f
    month = e - 1 if e < 14 else e - 13
    year = k - 4716 if month > 2 else k - 4715
    return int(year), int(month), day


def fmt_epoch(jd):
    """Epoch text "year/month/day.ddddddd" for the Julian date jd.

    The day is taken as jd minus the program's own Julian date of day 0 of
    that month, so that the importer's conversion gives back jd even where
    its proleptic Gregorian arithmetic (integer division toward zero) and the
    inverse conversion part ways, before the year 0.
    """
    y, m, _ = calendar_from_jd(jd)
    day = jd - jd_from_calendar(y, m, 0.0)
    text = "%d/%d/%s" % (y, m, fmt_num(day, 7))
    back = jd_from_calendar(y, m, float(fmt_num(day, 7)))
    if abs(back - jd) > 1e-6:
        raise ValueError("epoch %s does not give back JD %.7f" % (text, jd))
    return text


J2000 = 2451545.0
MJD_ZERO = 2400000.5
