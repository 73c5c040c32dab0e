// Prints Nereid's place relative to Neptune's centre from JPL's satellite
// ephemeris as the Swiss Ephemeris moon files carry it (Debian's
// swe-basic-data and swe-sat-data, CC0), every five days from 1900 to 2050,
// for fit-nereid.py:
//
//   apt-get install libswe-dev swe-basic-data swe-sat-data
//   cc -O2 nereid-swe.c -o /tmp/nereid-swe -lswe -lm
//
// Each line: the instant the light left Neptune (TT Julian date) and the
// moon's vector from the planet then, J2000 equatorial, AU. The two are
// geocentric astrometric places at one instant differenced; the moon's own
// light time differs by at most half a minute, a few milliarcseconds here.
#include <math.h>
#include <stdio.h>
#include <swephexp.h>

int main(void) {
    const int flags = SEFLG_SWIEPH | SEFLG_J2000 | SEFLG_NONUT | SEFLG_NOABERR | SEFLG_NOGDEFL |
                      SEFLG_EQUATORIAL | SEFLG_XYZ;
    const double lightDaysPerAU = 0.005775518331436995;
    char error[AS_MAXCH];
    swe_set_ephe_path("/usr/share/libswe/ephe");
    for (double jd = 2415020.5; jd < 2469808.0; jd += 5.0) {
        double m[6], p[6];
        if (swe_calc(jd, 9802, flags, m, error) < 0 ||
            swe_calc(jd, SE_NEPTUNE, flags | SEFLG_CENTER_BODY, p, error) < 0) {
            fprintf(stderr, "%.1f: %s\n", jd, error);
            return 1;
        }
        double r = sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        printf("%.6f %.12f %.12f %.12f\n", jd - r * lightDaysPerAU, m[0] - p[0], m[1] - p[1],
               m[2] - p[2]);
    }
    return 0;
}
