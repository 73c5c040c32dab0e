#!/usr/bin/env python3
"""Observing sites from cities/cities.csv -> Sites.txt ("L" lines).

The list has 3 428 places; the default database carries a few hundred: the
national capitals and the largest cities the list has, the US state and
Canadian provincial capitals with the largest cities of both countries, and
the major observatories.  The selection below names them by (country,
province, name) as the list writes them; a name the list lacks is reported
and skipped.

Longitude and latitude come from the d m s texts (east and north positive,
the sign of the degrees applying to the whole angle, "-0 44 59" included),
the time zone is the list's UTC offset in hours (east positive) and the
altitude its elevation in metres.  The site name is "City, Country" (with
the state or province for the USA, Canada and Australia), at most 47
characters, the length the program keeps for a site name.
"""

import csv
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True      # no __pycache__ beside the sources
import common  # noqa: E402

MAX_SITE_NAME = 47

# Capitals and major cities outside the USA and Canada, by country.
WORLD = {
    "Afghanistan": ["Kabul"],
    "Algeria": ["Algiers", "Oran"],
    "Angola": ["Luanda"],
    "Antigua and Barbuda": ["St. John's"],
    "Argentina": ["Buenos Aires"],
    "Armenia": ["Byurakan"],
    "Australia": ["Canberra", "Sydney", "Melbourne", "Brisbane", "Perth", "Adelaide", "Hobart",
                  "Darwin", "Alice Springs", "Townsville", "Siding Spring", "Parkes",
                  "Mount Stromlo"],
    "Austria": ["Vienna", "Salzburg", "Innsbruck", "Linz"],
    "Bahamas": ["Nassau"],
    "Bahrain": ["Al Manamah"],
    "Bangladesh": ["Dacca", "Chittagong"],
    "Barbados": ["Bridgetown"],
    "Belgium": ["Brussels", "Antwerp"],
    "Belize": ["Belize City"],
    "Bermuda": ["Hamilton"],
    "Bolivia": ["La Paz", "Santa Cruz"],
    "Bosnia and Herzegovina": ["Sarajevo"],
    "Botswana": ["Gaborone"],
    "Brazil": ["Brasilia", "São Paulo", "Rio de Janeiro", "Manaus", "Recife", "Belem"],
    "Brunei": ["Bandar Seri Begawan"],
    "Bulgaria": ["Sofia"],
    "Burkina Faso": ["Ouagadougou"],
    "Burundi": ["Gitega"],
    "Bénin": ["Porto Novo", "Cotonou"],
    "Cameroon": ["Yaounde", "Douala"],
    "Central African Republic": ["Bangui"],
    "Chad": ["N'djamina"],
    "Chile": ["Santiago", "Valparaiso", "Antofagasta", "Cerro Tololo Int'l Obs.", "La Silla Obs.",
              "Las Campanas Obs."],
    "China": ["Beijing", "Shanghai", "Canton", "Hong Kong", "Lhasa", "Purple Mountain"],
    "Colombia": ["Bogotá", "Barranquilla"],
    "Congo": ["Brazzaville"],
    "Congo (Democratic Republic)": ["Kinshasa"],
    "Costa Rica": ["San Jose"],
    "Croatia": ["Split", "Osijek"],
    "Cuba": ["Havana"],
    "Cyprus": ["Nicosia"],
    "Czechia": ["Prague"],
    "Denmark": ["Copenhagen", "Aarhus", "Odense", "Aalborg"],
    "Djibouti": ["Djibouti"],
    "Dominican Republic": ["Santo Domingo"],
    "Ecuador": ["Quito", "Guayaquil"],
    "Egypt": ["Cairo", "Alexandria", "Aswan", "Helwan"],
    "El Salvador": ["San Salvador"],
    "Equatorial Guinea": ["Malabo"],
    "Eritrea": ["Asmera"],
    "Estonia": ["Tallinn", "Tartu"],
    "Ethiopia": ["Addis Ababa"],
    "Falkland Islands": ["Stanley"],
    "Fiji": ["Nandi"],
    "Finland": ["Helsinki", "Tampere", "Turku", "Oulu"],
    "France": ["Paris", "Marseille", "Lyon", "Toulouse", "Nice", "Nantes", "Strasbourg",
               "Bordeaux", "Lille", "Meudon (observatory)", "Observatoire de Haute Provence",
               "Pic du Midi (observatory)", "Fort-de-France", "Noumea"],
    "French Guiana": ["Cayenne"],
    "French Polynesia": ["Papeete"],
    "Gabon": ["Libreville"],
    "Gambia": ["Banjul"],
    "Germany": ["Berlin", "Hamburg", "Munich", "Cologne", "Frankfurt", "Stuttgart", "Düsseldorf",
                "Dortmund", "Essen", "Leipzig", "Bremen", "Dresden", "Hannover", "Nuremberg",
                "Bonn", "Heidelberg", "Jena", "Potsdam", "Effelsberg"],
    "Ghana": ["Accra"],
    "Greece": ["Athens", "Thessaloníki"],
    "Greenland": ["Godthåb"],
    "Guam": ["Agana"],
    "Guatemala": ["Guatemala City"],
    "Guinea": ["Conakry"],
    "Guinea Bissau": ["Bissau"],
    "Guyana": ["Georgetown"],
    "Haiti": ["Port-au-Prince"],
    "Honduras": ["Tegucigalpa"],
    "Hungary": ["Budapest", "Debrecen", "Szeged"],
    "Iceland": ["Reykjavik"],
    "India": ["New Delhi", "Mumbai", "Kolkata", "Chennai", "Bangalore", "Hyderabad", "Pune",
              "Kodaikanal", "Naini Tal"],
    "Indonesia": ["Jakarta", "Bosscha"],
    "Iran": ["Tehran", "Esfahan", "Tabriz", "Shiraz"],
    "Iraq": ["Baghdad", "Basrah"],
    "Ireland": ["Dublin", "Cork", "Galway"],
    "Israel": ["Jerusalem", "Tel Aviv", "Haifa", "Mitzpe Ramon"],
    "Italy": ["Rome", "Milan", "Naples", "Turin", "Palermo", "Genoa", "Bologna", "Florence",
              "Venice", "Bari", "Catania", "Trieste", "Padova", "Asiago", "Arcetri"],
    "Ivory coast": ["Yamoussoukro", "Abidjan"],
    "Jamaica": ["Kingston"],
    "Japan": ["Tokyo", "Osaka", "Nagoya", "Sapporo", "Fukuoka", "Kyoto", "Nagasaki", "Okinawa",
              "Nobeyama", "Mizusawa", "Okayama"],
    "Jordan": ["Amman"],
    "Kazakhstan": ["Alma Ata"],
    "Kenya": ["Nairobi", "Mombasa"],
    "Kuwait": ["Kuwait City"],
    "Latvia": ["Riga"],
    "Lebanon": ["Beirut"],
    "Lesotho": ["Maseru"],
    "Liberia": ["Monrovia"],
    "Libya": ["Tripoli", "Benghazi"],
    "Lithuania": ["Vilnius", "Kaunas"],
    "Luxembourg": ["Luxembourg City"],
    "Macedonia": ["Skopje"],
    "Madagascar": ["Antananarivo"],
    "Malawi": ["Lilongwe"],
    "Malaysia": ["Kuala Lumpur"],
    "Maldives": ["Male"],
    "Mali": ["Bamako"],
    "Malta": ["Valletta"],
    "Marshall Islands": ["Majuro"],
    "Mauritania": ["Nouakchott"],
    "Mexico": ["Mexico City", "Acapulco", "San Pedro Martir"],
    "Monaco": ["Monte Carlo"],
    "Morocco": ["Rabat", "Casablanca", "Marrakech", "Fes"],
    "Mozambique": ["Maputo"],
    "Myanmar": ["Rangoon", "Mandalay"],
    "Namibia": ["Windhoek"],
    "Nepal": ["Kathmandu"],
    "Netherlands": ["Amsterdam", "Rotterdam", "Utrecht", "Leiden", "Groningen"],
    "New Zealand": ["Wellington", "Auckland", "Christchurch", "Dunedin", "Mount John"],
    "Nicaragua": ["Managua"],
    "Niger": ["Niamey"],
    "Nigeria": ["Abuja", "Lagos", "Kano", "Ibadan"],
    "North Korea": ["Pyongyang"],
    "Norway": ["Oslo", "Bergen", "Trondheim", "Tromsø"],
    "Pakistan": ["Islamabad", "Karachi", "Lahore"],
    "Panama": ["Panama City"],
    "Papua New Guinea": ["Port Moresby"],
    "Paraguay": ["Asunción"],
    "Peru": ["Lima"],
    "Philippines": ["Manila", "Quezon"],
    "Poland": ["Warsaw", "Gdansk", "Poznan"],
    "Portugal": ["Lisbon", "Oporto", "Coimbra", "Funchal"],
    "Qatar": ["Doha"],
    "Romania": ["Bucharest"],
    "Russia": ["Moscow", "St. Petersburg", "Pulkovo", "Novosibirsk", "Ekaterinburg",
               "Nizhnii Novgorod", "Kazan", "Samara", "Omsk", "Chelyabinsk", "Rostov na Donu",
               "Ufa", "Volgograd", "Perm", "Krasnoyarsk", "Irkutsk", "Khabarovsk", "Vladivostok",
               "Yakutsk", "Murmansk", "Kaliningrad", "Zelenchukskaya", "Petropavlovsk-Kamchatskiy"],
    "Rwanda": ["Kigali"],
    "Saudi Arabia": ["Riyadh", "Jeddah"],
    "Senegal": ["Dakar"],
    "Seychelles": ["Victoria"],
    "Sierra Leone": ["Freetown"],
    "Singapore": ["Singapore"],
    "Slovakia": ["Skalnate Pleso"],
    "Slovenia": ["Ljubljana"],
    "Solomon Islands": ["Honiara"],
    "Somalia": ["Mogadishu"],
    "South Africa": ["Pretoria", "Cape Town", "Johannesburg", "Durban", "Port Elizabeth",
                     "Sutherland"],
    "South Korea": ["Seoul", "Busan", "Incheon", "Daegu", "Daejeon", "Gwangju"],
    "Spain": ["Madrid", "Barcelona", "Valéncia", "Sevilla", "Zaragoza", "Málaga", "Bilbao",
              "Palma de Mallorca", "Las Palmas de Gran Canaria", "Santa Cruz de Tenerife",
              "Calar Alto", "Roque de los Muchachos", "Izaña"],
    "Sri Lanka": ["Colombo"],
    "St. Lucia": ["Castries"],
    "Sudan": ["Khartoum"],
    "Swaziland": ["Mbabane"],
    "Sweden": ["Stockholm", "Gothenburg", "Malmö", "Uppsala", "Kiruna"],
    "Switzerland": ["Bern", "Zürich", "Geneva", "Lausanne", "Gornergrat"],
    "Syria": ["Damascus"],
    "Taiwan": ["Taipei"],
    "Tanzania": ["Dodoma", "Dar es Salaam"],
    "Thailand": ["Bangkok", "Chiang Mai"],
    "Togo": ["Lomé"],
    "Trinidad and Tobago": ["Port of Spain"],
    "Tunisia": ["Tunis"],
    "Turkey": ["Ankara", "Istanbul"],
    "Uganda": ["Kampala"],
    "Ukraine": ["Kyiv", "Kharkiv", "Odessa", "L'viv", "Simferopol"],
    "United Arab Emirates": ["Dubai"],
    "United Kingdom": ["London", "Greenwich", "Birmingham", "Manchester", "Liverpool", "Leeds",
                       "Glasgow", "Edinburgh", "Cardiff", "Belfast", "Bristol", "Newcastle",
                       "Cambridge", "Oxford", "Armagh", "Jodrell Bank", "Herstmonceux"],
    "Uruguay": ["Montevideo"],
    "Uzbekistan": ["Tashkent"],
    "Vanuatu": ["Efate"],
    "Vatican": ["Vaticano"],
    "Venezuela": ["Caracas", "Llano del Hato"],
    "Yemen": ["Aden"],
    "Yugoslavia": ["Belgrade"],
    "Zambia": ["Lusaka"],
    "Zimbabwe": ["Harare", "Bulawayo"],
}

# USA: state capitals, the largest cities, and observatories, by state.
USA = {
    "Alabama": ["Montgomery", "Birmingham", "Huntsville", "Mobile"],
    "Alaska": ["Juneau", "Anchorage", "Fairbanks"],
    "Arizona": ["Phoenix", "Tucson", "Flagstaff", "Kitt Peak Nat'l. Obs.", "Lowell Obs.",
                "Fred Lawrence Whipple Obs.", "Mount Graham Obs.", "Mount Lemmon Obs."],
    "Arkansas": ["Little Rock"],
    "California": ["Sacramento", "Los Angeles", "San Diego", "San Jose", "San Francisco",
                   "Fresno", "Long Beach", "Oakland", "Pasadena", "Lick Obs.",
                   "Mount Palomar Obs.", "Mount Wilson Obs.", "Owens Valley Radio Obs.",
                   "Big Bear Solar Obs."],
    "Colorado": ["Denver", "Colorado Springs", "Boulder"],
    "Connecticut": ["Hartford", "New Haven"],
    "DC": ["Washington"],
    "Washington, DC": ["US Naval Observatory"],
    "Delaware": ["Dover", "Wilmington"],
    "Florida": ["Tallahassee", "Jacksonville", "Miami", "Tampa", "Orlando", "Cape Canaveral"],
    "Georgia": ["Atlanta", "Savannah"],
    "Hawaii": ["Honolulu", "Hilo", "Mauna Kea Obs.", "Haleakala"],
    "Idaho": ["Boise"],
    "Illinois": ["Springfield", "Chicago"],
    "Indiana": ["Indianapolis"],
    "Iowa": ["Des Moines"],
    "Kansas": ["Topeka", "Wichita"],
    "Kentucky": ["Frankfort", "Louisville"],
    "Louisiana": ["Baton Rouge", "New Orleans"],
    "Maine": ["Augusta", "Portland"],
    "Maryland": ["Annapolis", "Baltimore"],
    "Massachusetts": ["Boston", "Cambridge", "Harvard Obs."],
    "Michigan": ["Lansing", "Detroit", "Ann Arbor"],
    "Minnesota": ["St. Paul", "Minneapolis"],
    "Mississippi": ["Jackson"],
    "Missouri": ["Jefferson City", "Kansas City", "St. Louis"],
    "Montana": ["Helena", "Billings"],
    "Nebraska": ["Lincoln", "Omaha"],
    "Nevada": ["Carson City", "Las Vegas", "Reno"],
    "New Hampshire": ["Concord"],
    "New Jersey": ["Trenton", "Newark", "Princeton"],
    "New Mexico": ["Santa Fe", "Albuquerque", "Very Large Array"],
    "New York": ["Albany", "New York", "Buffalo", "Rochester"],
    "North Carolina": ["Raleigh", "Charlotte"],
    "North Dakota": ["Bismarck"],
    "Ohio": ["Columbus", "Cleveland", "Cincinnati"],
    "Oklahoma": ["Oklahoma City", "Tulsa"],
    "Oregon": ["Salem", "Portland"],
    "Pennsylvania": ["Harrisburg", "Philadelphia", "Pittsburgh"],
    "Puerto Rico": ["San Juan", "Arecibo Obs."],
    "Rhode Island": ["Providence"],
    "South Carolina": ["Columbia"],
    "South Dakota": ["Pierre"],
    "Tennessee": ["Nashville", "Memphis"],
    "Texas": ["Austin", "Houston", "Dallas", "San Antonio", "El Paso"],
    "Utah": ["Salt Lake City"],
    "Vermont": ["Montpelier"],
    "Virginia": ["Richmond", "Virginia Beach"],
    "Washington": ["Olympia", "Seattle", "Spokane"],
    "West Virginia": ["Charleston", "Green Bank Obs."],
    "Wisconsin": ["Madison", "Milwaukee", "Yerkes Obs."],
    "Wyoming": ["Cheyenne"],
}

CANADA = {
    "Alberta": ["Edmonton", "Calgary"],
    "British Columbia": ["Victoria", "Vancouver", "Dominion Radio Astrophysical Obs"],
    "Manitoba": ["Winnipeg"],
    "New Brunswick": ["Fredericton", "Saint John"],
    "Newfoundland": ["St. John's"],
    "Northwest Territories": ["Yellowknife"],
    "Nova Scotia": ["Halifax"],
    "Nunavut": ["Iqaluit"],
    "Ontario": ["Toronto", "Ottawa", "Hamilton", "London", "Kingston", "Thunder Bay"],
    "Prince Edward Island": ["Charlottetown"],
    "Quebec": ["Quebec", "Montreal"],
    "Saskatchewan": ["Regina", "Saskatoon"],
    "Yukon": ["Whitehorse"],
}


_DMS = re.compile(r"^\s*(-?)\s*(\d+)\D+(\d+)\D+(\d+(?:\.\d*)?)\D*$")


def parse_dms(text):
    """'-0° 44' 59"' -> -0.749722...; the sign applies to the whole angle."""
    m = _DMS.match(text)
    if not m:
        raise ValueError("unreadable angle %r" % text)
    sign, d, mi, s = m.groups()
    v = int(d) + int(mi) / 60.0 + float(s) / 3600.0
    return -v if sign else v


def _site_name(row):
    name, prov, country = row["name"].strip(), row["province"].strip(), row["country"].strip()
    if country in ("USA", "Canada", "Australia") and prov:
        full = "%s, %s, %s" % (name, prov, country)
        if len(common.to_cp1252(full)) <= MAX_SITE_NAME:
            return full
    return "%s, %s" % (name, country)


def load(source_dir, stats=None):
    with open(os.path.join(source_dir, "cities", "cities.csv"), encoding="utf-8", newline="") as f:
        rows = list(csv.DictReader(f))
    index = {}
    for r in rows:
        index.setdefault((r["country"].strip(), r["province"].strip(), r["name"].strip()), r)
        index.setdefault((r["country"].strip(), "*", r["name"].strip()), r)

    wanted = []
    for country, names in WORLD.items():
        wanted += [(country, "*", n) for n in names]
    for prov, names in USA.items():
        wanted += [("USA", prov, n) for n in names]
    for prov, names in CANADA.items():
        wanted += [("Canada", prov, n) for n in names]

    sites = []
    missing = []
    for key in wanted:
        r = index.get(key)
        if r is None:
            missing.append(key)
            continue
        name = common.to_cp1252(_site_name(r), greek_to_symbol=False)
        if len(name) > MAX_SITE_NAME:
            name = name[:MAX_SITE_NAME]
        sites.append({"name": name, "lon": parse_dms(r["longitude_dms"]),
                      "lat": parse_dms(r["latitude_dms"]),
                      "alt": float(r["elevation_m"] or 0.0),
                      "zone": float(r["utc_offset_hours"] or 0.0)})
    if stats is not None:
        stats["sites_source"] = len(rows)
        stats["sites_written"] = len(sites)
        stats["sites_missing"] = missing
    return sites


def write(sites, out_dir):
    w = common.ObjectTextWriter(os.path.join(out_dir, "Sites.txt"))
    w.comment("Norvane object text file: observing sites (capitals, major cities and "
              "observatories) from a compiled city list.")
    for s in sites:
        w.record(["L", common.fmt_num(s["lon"], 6), common.fmt_num(s["lat"], 6),
                  common.fmt_num(s["alt"], 1), common.fmt_num(s["zone"], 2), s["name"]])
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
    print("Sites.txt: %d sites %s" % (n, stats))


if __name__ == "__main__":
    main()
