// The 2020 great conjunction and the 2021 greatest separation of Jupiter and
// Saturn from the Swiss Ephemeris files (JPL DE431, Debian's swe-basic-data),
// geocentric and from Mount Wilson, for the search test's figures.
// Build: gcc -O2 conjunction-swe.c -lswe -lm (libswe-dev).
#include <swephexp.h>
#include <math.h>
#include <stdio.h>
static double sep(double ut, int topo) {
  double j[6], s[6]; char err[256];
  int fl = SEFLG_SWIEPH | SEFLG_EQUATORIAL | (topo ? SEFLG_TOPOCTR : 0);
  swe_calc_ut(ut, SE_JUPITER, fl, j, err); swe_calc_ut(ut, SE_SATURN, fl, s, err);
  double a1 = j[0]*M_PI/180, d1 = j[1]*M_PI/180, a2 = s[0]*M_PI/180, d2 = s[1]*M_PI/180;
  double x = cos(d1)*sin(d2) - sin(d1)*cos(d2)*cos(a2-a1), y = cos(d2)*sin(a2-a1), z = sin(d1)*sin(d2)+cos(d1)*cos(d2)*cos(a2-a1);
  return atan2(sqrt(x*x+y*y), z) * 180 / M_PI;
}
int main() {
  swe_set_ephe_path("/usr/share/libswe/ephe");
  swe_set_topo(-118.0575, 34.225833, 1742);
  for (int topo = 0; topo < 2; topo++) {
    double best = 1e9, bt = 0;
    for (double ut = 2459204.5; ut < 2459206.5; ut += 1.0/2880) { double v = sep(ut, topo); if (v < best) { best = v; bt = ut; } }
    int y, m, d, h, mi; double sec; swe_jdut1_to_utc(bt, SE_GREG_CAL, &y, &m, &d, &h, &mi, &sec);
    printf("%s min %d/%02d/%02d %02d:%02d  %.5f deg\n", topo ? "topo" : "geo ", y, m, d, h, mi, best);
  }
  double best = -1, bt = 0;
  for (double ut = 2459215.5; ut < 2459580.5; ut += 1.0/48) { double v = sep(ut, 1); if (v > best) { best = v; bt = ut; } }
  int y, m, d, h, mi; double sec; swe_jdut1_to_utc(bt, SE_GREG_CAL, &y, &m, &d, &h, &mi, &sec);
  printf("topo max 2021 %d/%02d/%02d %02d:%02d  %.4f deg\n", y, m, d, h, mi, best);
}
