#include "astro/Physical.h"

#include "astro/Precession.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>

namespace {

constexpr double kDaysPerCentury = 36525.0;

// ---------------------------------------------------------------------------
// Magnitude laws. The planets follow the laws of the Astronomical Almanac
// (Harris 1961, as collected in Meeus, Astronomical Algorithms, ch. 41): V(1, 0)
// plus 5 log(r delta) plus a phase law in degrees.

constexpr double kSunMagnitude = -26.72;
constexpr double kMercuryV0 = -0.42, kMercuryI1 = 0.038, kMercuryI2 = -0.000273;
// The published cubic term is 2.00e-6 (Explanatory Supplement to the
// Astronomical Almanac; Meeus 0.000002). A tenth of it makes Mercury grow
// brighter past a phase of about 100 degrees, two magnitudes too bright at its
// greatest elongations.
constexpr double kMercuryI3 = 2e-6;
constexpr double kVenusV0 = -4.4, kVenusI1 = 0.0009, kVenusI2 = 0.000239, kVenusI3 = -6.5e-7;
constexpr double kEarthV0 = -3.86;
constexpr double kMarsV0 = -1.52, kMarsI1 = 0.016;
constexpr double kJupiterV0 = -9.4, kJupiterI1 = 0.005;
constexpr double kSaturnV0 = -8.88, kSaturnI1 = 0.044, kSaturnRing1 = -2.6, kSaturnRing2 = 1.25;
constexpr double kUranusV0 = -7.19, kUranusI1 = 0.0028;
constexpr double kNeptuneV0 = -6.87;
constexpr double kPlutoV0 = -1.01, kPlutoI1 = 0.041;
// The Moon: magnitudes per degree and per degree^4 of phase angle.
constexpr double kMoonPhaseLinear = 0.026, kMoonPhaseQuartic = 4.0e-9;
// The H, G system (Bowell et al. 1989).
constexpr double kHGA1 = 3.33, kHGB1 = 0.63, kHGA2 = 1.87, kHGB2 = 1.22;
// Artificial satellites: H is the magnitude at 1000 km and half phase.
constexpr double kSatelliteMagnitudeOffset = -15.75;

constexpr int kTypeSun = 1, kTypeMercury = 2, kTypeVenus = 3, kTypeEarth = 4, kTypeMars = 5,
              kTypeJupiter = 6, kTypeSaturn = 7, kTypeUranus = 8, kTypeNeptune = 9, kTypePluto = 10,
              kTypeComet = 11, kTypeAsteroid = 12, kTypeEarthSatellite = 14, kTypeMoon = 15;
constexpr int kLastBodyType = 38;

bool Known(double parameter) {
    return std::isfinite(parameter);
}

// ---------------------------------------------------------------------------
// Rotation models in the IAU form: the pole's right ascension and declination
// and the prime meridian W, degrees, each a constant, secular terms in d (days
// from J2000) and T (Julian centuries), and periodic terms in angles that are
// themselves linear in time.

struct LinearAngle {
    double base, perDay, perCentury, perCentury2; // degrees
    double At(double d, double T) const {
        return base + perDay * d + (perCentury + perCentury2 * T) * T;
    }
};

enum class Wave { Sine, Cosine };

struct PeriodicTerm {
    double amplitude; // degrees
    int argument;     // index into the body's argument table
    int multiple;     // of the argument
    Wave wave;
};

struct BodyRotation {
    LinearAngle ra, dec, meridian;
    bool negated; // longitudes count east: W is negated
    // Periodic terms, for the bodies that have them.
    std::span<const LinearAngle> arguments = {};
    std::span<const PeriodicTerm> raTerms = {}, decTerms = {}, meridianTerms = {};
};

constexpr LinearAngle Fixed(double value) {
    return {value, 0.0, 0.0, 0.0};
}
constexpr LinearAngle InCenturies(double value, double rate) {
    return {value, 0.0, rate, 0.0};
}
constexpr LinearAngle InDays(double value, double rate) {
    return {value, rate, 0.0, 0.0};
}

// The Sun and the planets.
constexpr BodyRotation kSunRotation{Fixed(286.13), Fixed(63.87), InDays(84.1, 14.1844), true};
constexpr BodyRotation kMercuryRotation{InCenturies(281.01, -0.033), InCenturies(61.45, -0.005),
                                        InDays(329.71, 6.1385025), false};
constexpr BodyRotation kVenusRotation{Fixed(272.78), Fixed(67.21), InDays(159.91, -1.4814205),
                                      true};
constexpr BodyRotation kEarthRotation{InCenturies(0.0, -0.641), InCenturies(90.0, -0.557),
                                      InDays(190.21, 360.9856123), true};
constexpr BodyRotation kMarsRotation{InCenturies(317.681, -0.108), InCenturies(52.886, -0.061),
                                     InDays(176.868, 350.891983), false};
// Jupiter and Saturn turn with their magnetic fields, System III. (Jupiter's
// System I is 67.1 + 877.9 d and System II 43.3 + 870.27 d; Saturn's System I
// 227.2037 + 844.3 d.)
constexpr BodyRotation kJupiterRotation{InCenturies(268.05, -0.009), InCenturies(64.49, 0.003),
                                        InDays(284.95, 870.536), false};
constexpr BodyRotation kSaturnRotation{InCenturies(40.66, -0.036), InCenturies(83.52, -0.004),
                                       InDays(38.9, 810.7939024), false};
constexpr BodyRotation kUranusRotation{Fixed(257.43), Fixed(-15.1), InDays(261.62, -554.913),
                                       false};
constexpr BodyRotation kNeptuneRotation{Fixed(295.33), Fixed(40.65), InDays(107.21, 48.75), false};
constexpr BodyRotation kPlutoRotation{Fixed(313.02), Fixed(9.09), InDays(236.77, -56.3623195),
                                      true};

// The Moon and the planetary satellites: IAU WGCCRE 2009 report (Archinal et
// al. 2011, Celestial Mechanics and Dynamical Astronomy 109, 101-135), with
// its periodic terms. Charon alone is from the 2000 report (Seidelmann et al.
// 2002, CMDA 82, 83-110), which refers it to the same pole as Pluto's model
// above; the later reports turned Pluto's pole over. The Moon's longitudes
// count east, as the selenographic ones always have; so do those of the
// satellites that turn backwards on the IAU pole (W decreasing), as the IAU
// counts them.

// The Moon: E1 ... E13 (E1 is the longitude of the ascending node).
constexpr LinearAngle kMoonArguments[] = {
    InDays(125.045, -0.0529921), InDays(250.089, -0.1059842), InDays(260.008, 13.0120009),
    InDays(176.625, 13.3407154), InDays(357.529, 0.9856003),  InDays(311.589, 26.4057084),
    InDays(134.963, 13.0649930), InDays(276.617, 0.3287146),  InDays(34.226, 1.7484877),
    InDays(15.134, -0.1589763),  InDays(119.743, 0.0036096),  InDays(239.961, 0.1643573),
    InDays(25.053, 12.9590088)};
constexpr PeriodicTerm kMoonRA[] = {{-3.8787, 0, 1, Wave::Sine}, {-0.1204, 1, 1, Wave::Sine},
                                    {0.0700, 2, 1, Wave::Sine},  {-0.0172, 3, 1, Wave::Sine},
                                    {0.0072, 5, 1, Wave::Sine},  {-0.0052, 9, 1, Wave::Sine},
                                    {0.0043, 12, 1, Wave::Sine}};
constexpr PeriodicTerm kMoonDec[] = {{1.5419, 0, 1, Wave::Cosine},  {0.0239, 1, 1, Wave::Cosine},
                                     {-0.0278, 2, 1, Wave::Cosine}, {0.0068, 3, 1, Wave::Cosine},
                                     {-0.0029, 5, 1, Wave::Cosine}, {0.0009, 6, 1, Wave::Cosine},
                                     {0.0008, 9, 1, Wave::Cosine},  {-0.0009, 12, 1, Wave::Cosine}};
constexpr PeriodicTerm kMoonW[] = {
    {3.5610, 0, 1, Wave::Sine},  {0.1208, 1, 1, Wave::Sine},  {-0.0642, 2, 1, Wave::Sine},
    {0.0158, 3, 1, Wave::Sine},  {0.0252, 4, 1, Wave::Sine},  {-0.0066, 5, 1, Wave::Sine},
    {-0.0047, 6, 1, Wave::Sine}, {-0.0046, 7, 1, Wave::Sine}, {0.0028, 8, 1, Wave::Sine},
    {0.0052, 9, 1, Wave::Sine},  {0.0040, 10, 1, Wave::Sine}, {0.0019, 11, 1, Wave::Sine},
    {-0.0044, 12, 1, Wave::Sine}};
// The secular slowing of the Moon's rotation, -1.4e-12 d^2, written in T^2.
constexpr double kMoonMeridianPerCentury2 = -1.4e-12 * kDaysPerCentury * kDaysPerCentury;
constexpr BodyRotation kMoonRotation{InCenturies(269.9949, 0.0031),
                                     InCenturies(66.5392, 0.0130),
                                     {38.3213, 13.17635815, 0.0, kMoonMeridianPerCentury2},
                                     true,
                                     kMoonArguments,
                                     kMoonRA,
                                     kMoonDec,
                                     kMoonW};

// Mars: M1, M2, M3.
constexpr LinearAngle kMarsArguments[] = {
    InDays(169.51, -0.4357640), {192.93, 1128.4096700, 0.0, 8.864}, InDays(53.47, -0.0181510)};
constexpr PeriodicTerm kPhobosRA[] = {{1.79, 0, 1, Wave::Sine}};
constexpr PeriodicTerm kPhobosDec[] = {{-1.08, 0, 1, Wave::Cosine}};
constexpr PeriodicTerm kPhobosW[] = {{-1.42, 0, 1, Wave::Sine}, {-0.78, 1, 1, Wave::Sine}};
constexpr PeriodicTerm kDeimosRA[] = {{2.98, 2, 1, Wave::Sine}};
constexpr PeriodicTerm kDeimosDec[] = {{-1.78, 2, 1, Wave::Cosine}};
constexpr PeriodicTerm kDeimosW[] = {{-2.58, 2, 1, Wave::Sine}, {0.19, 2, 1, Wave::Cosine}};
constexpr BodyRotation kPhobosRotation{InCenturies(317.68, -0.108),
                                       InCenturies(52.90, -0.061),
                                       {35.06, 1128.8445850, 0.0, 8.864},
                                       false,
                                       kMarsArguments,
                                       kPhobosRA,
                                       kPhobosDec,
                                       kPhobosW};
constexpr BodyRotation kDeimosRotation{InCenturies(316.65, -0.108),
                                       InCenturies(53.52, -0.061),
                                       {79.41, 285.1618970, 0.0, -0.520},
                                       false,
                                       kMarsArguments,
                                       kDeimosRA,
                                       kDeimosDec,
                                       kDeimosW};

// Jupiter: J1 ... J8.
constexpr LinearAngle kJupiterArguments[] = {
    InCenturies(73.32, 91472.9), InCenturies(24.62, 45137.2), InCenturies(283.90, 4850.7),
    InCenturies(355.80, 1191.3), InCenturies(119.90, 262.1),  InCenturies(229.80, 64.3),
    InCenturies(352.25, 2382.6), InCenturies(113.35, 6070.0)};
constexpr PeriodicTerm kIoRA[] = {{0.094, 2, 1, Wave::Sine}, {0.024, 3, 1, Wave::Sine}};
constexpr PeriodicTerm kIoDec[] = {{0.040, 2, 1, Wave::Cosine}, {0.011, 3, 1, Wave::Cosine}};
constexpr PeriodicTerm kIoW[] = {{-0.085, 2, 1, Wave::Sine}, {-0.022, 3, 1, Wave::Sine}};
constexpr PeriodicTerm kEuropaRA[] = {{1.086, 3, 1, Wave::Sine},
                                      {0.060, 4, 1, Wave::Sine},
                                      {0.015, 5, 1, Wave::Sine},
                                      {0.009, 6, 1, Wave::Sine}};
constexpr PeriodicTerm kEuropaDec[] = {{0.468, 3, 1, Wave::Cosine},
                                       {0.026, 4, 1, Wave::Cosine},
                                       {0.007, 5, 1, Wave::Cosine},
                                       {0.002, 6, 1, Wave::Cosine}};
constexpr PeriodicTerm kEuropaW[] = {{-0.980, 3, 1, Wave::Sine},
                                     {-0.054, 4, 1, Wave::Sine},
                                     {-0.014, 5, 1, Wave::Sine},
                                     {-0.008, 6, 1, Wave::Sine}};
constexpr PeriodicTerm kGanymedeRA[] = {
    {-0.037, 3, 1, Wave::Sine}, {0.431, 4, 1, Wave::Sine}, {0.091, 5, 1, Wave::Sine}};
constexpr PeriodicTerm kGanymedeDec[] = {
    {-0.016, 3, 1, Wave::Cosine}, {0.186, 4, 1, Wave::Cosine}, {0.039, 5, 1, Wave::Cosine}};
constexpr PeriodicTerm kGanymedeW[] = {
    {0.033, 3, 1, Wave::Sine}, {-0.389, 4, 1, Wave::Sine}, {-0.082, 5, 1, Wave::Sine}};
constexpr PeriodicTerm kCallistoRA[] = {
    {-0.068, 4, 1, Wave::Sine}, {0.590, 5, 1, Wave::Sine}, {0.010, 7, 1, Wave::Sine}};
constexpr PeriodicTerm kCallistoDec[] = {
    {-0.029, 4, 1, Wave::Cosine}, {0.254, 5, 1, Wave::Cosine}, {-0.004, 7, 1, Wave::Cosine}};
constexpr PeriodicTerm kCallistoW[] = {
    {0.061, 4, 1, Wave::Sine}, {-0.533, 5, 1, Wave::Sine}, {-0.009, 7, 1, Wave::Sine}};
constexpr BodyRotation kIoRotation{InCenturies(268.05, -0.009),
                                   InCenturies(64.50, 0.003),
                                   InDays(200.39, 203.4889538),
                                   false,
                                   kJupiterArguments,
                                   kIoRA,
                                   kIoDec,
                                   kIoW};
constexpr BodyRotation kEuropaRotation{InCenturies(268.08, -0.009),
                                       InCenturies(64.51, 0.003),
                                       InDays(36.022, 101.3747235),
                                       false,
                                       kJupiterArguments,
                                       kEuropaRA,
                                       kEuropaDec,
                                       kEuropaW};
constexpr BodyRotation kGanymedeRotation{InCenturies(268.20, -0.009),
                                         InCenturies(64.57, 0.003),
                                         InDays(44.064, 50.3176081),
                                         false,
                                         kJupiterArguments,
                                         kGanymedeRA,
                                         kGanymedeDec,
                                         kGanymedeW};
constexpr BodyRotation kCallistoRotation{InCenturies(268.72, -0.009),
                                         InCenturies(64.83, 0.003),
                                         InDays(259.51, 21.5710715),
                                         false,
                                         kJupiterArguments,
                                         kCallistoRA,
                                         kCallistoDec,
                                         kCallistoW};

// Saturn: S1 ... S6.
constexpr LinearAngle kSaturnArguments[] = {
    InCenturies(353.32, 75706.7), InCenturies(28.72, 75706.7), InCenturies(177.40, -36505.5),
    InCenturies(300.00, -7225.9), InCenturies(316.45, 506.2),  InCenturies(345.20, -1016.3)};
constexpr PeriodicTerm kMimasRA[] = {{13.56, 2, 1, Wave::Sine}};
constexpr PeriodicTerm kMimasDec[] = {{-1.53, 2, 1, Wave::Cosine}};
constexpr PeriodicTerm kMimasW[] = {{-13.48, 2, 1, Wave::Sine}, {-44.85, 4, 1, Wave::Sine}};
constexpr PeriodicTerm kTethysRA[] = {{9.66, 3, 1, Wave::Sine}};
constexpr PeriodicTerm kTethysDec[] = {{-1.09, 3, 1, Wave::Cosine}};
constexpr PeriodicTerm kTethysW[] = {{-9.60, 3, 1, Wave::Sine}, {2.23, 4, 1, Wave::Sine}};
constexpr PeriodicTerm kRheaRA[] = {{3.10, 5, 1, Wave::Sine}};
constexpr PeriodicTerm kRheaDec[] = {{-0.35, 5, 1, Wave::Cosine}};
constexpr PeriodicTerm kRheaW[] = {{-3.08, 5, 1, Wave::Sine}};
constexpr BodyRotation kMimasRotation{InCenturies(40.66, -0.036),
                                      InCenturies(83.52, -0.004),
                                      InDays(333.46, 381.9945550),
                                      false,
                                      kSaturnArguments,
                                      kMimasRA,
                                      kMimasDec,
                                      kMimasW};
constexpr BodyRotation kEnceladusRotation{InCenturies(40.66, -0.036), InCenturies(83.52, -0.004),
                                          InDays(6.32, 262.7318996), false};
constexpr BodyRotation kTethysRotation{InCenturies(40.66, -0.036),
                                       InCenturies(83.52, -0.004),
                                       InDays(8.95, 190.6979085),
                                       false,
                                       kSaturnArguments,
                                       kTethysRA,
                                       kTethysDec,
                                       kTethysW};
constexpr BodyRotation kDioneRotation{InCenturies(40.66, -0.036), InCenturies(83.52, -0.004),
                                      InDays(357.6, 131.5349316), false};
constexpr BodyRotation kRheaRotation{InCenturies(40.38, -0.036),
                                     InCenturies(83.55, -0.004),
                                     InDays(235.16, 79.6900478),
                                     false,
                                     kSaturnArguments,
                                     kRheaRA,
                                     kRheaDec,
                                     kRheaW};
constexpr BodyRotation kTitanRotation{Fixed(39.4827), Fixed(83.4279), InDays(186.5855, 22.5769768),
                                      false};
constexpr BodyRotation kIapetusRotation{InCenturies(318.16, -3.949), InCenturies(75.03, -1.143),
                                        InDays(355.2, 4.5379572), false};
constexpr BodyRotation kPhoebeRotation{Fixed(356.90), Fixed(77.80), InDays(178.58, 931.639), false};

// Uranus: U11 ... U16 (the arguments of the five major satellites), held here
// from index 0.
constexpr LinearAngle kUranusArguments[] = {
    InCenturies(102.23, -2024.22), InCenturies(316.41, 2863.96), InCenturies(304.01, -51.94),
    InCenturies(308.71, -93.17),   InCenturies(340.82, -75.32),  InCenturies(259.14, -504.81)};
constexpr PeriodicTerm kMirandaRA[] = {{4.41, 0, 1, Wave::Sine}, {-0.04, 0, 2, Wave::Sine}};
constexpr PeriodicTerm kMirandaDec[] = {{4.25, 0, 1, Wave::Cosine}, {-0.02, 0, 2, Wave::Cosine}};
constexpr PeriodicTerm kMirandaW[] = {{-1.27, 1, 1, Wave::Sine},
                                      {0.15, 1, 2, Wave::Sine},
                                      {1.15, 0, 1, Wave::Sine},
                                      {-0.09, 0, 2, Wave::Sine}};
constexpr PeriodicTerm kArielRA[] = {{0.29, 2, 1, Wave::Sine}};
constexpr PeriodicTerm kArielDec[] = {{0.28, 2, 1, Wave::Cosine}};
constexpr PeriodicTerm kArielW[] = {{0.05, 1, 1, Wave::Sine}, {0.08, 2, 1, Wave::Sine}};
constexpr PeriodicTerm kUmbrielRA[] = {{0.21, 3, 1, Wave::Sine}};
constexpr PeriodicTerm kUmbrielDec[] = {{0.20, 3, 1, Wave::Cosine}};
constexpr PeriodicTerm kUmbrielW[] = {{-0.09, 1, 1, Wave::Sine}, {0.06, 3, 1, Wave::Sine}};
constexpr PeriodicTerm kTitaniaRA[] = {{0.29, 4, 1, Wave::Sine}};
constexpr PeriodicTerm kTitaniaDec[] = {{0.28, 4, 1, Wave::Cosine}};
constexpr PeriodicTerm kTitaniaW[] = {{0.08, 4, 1, Wave::Sine}};
constexpr PeriodicTerm kOberonRA[] = {{0.16, 5, 1, Wave::Sine}};
constexpr PeriodicTerm kOberonDec[] = {{0.16, 5, 1, Wave::Cosine}};
constexpr PeriodicTerm kOberonW[] = {{0.04, 5, 1, Wave::Sine}};
constexpr BodyRotation kMirandaRotation{
    Fixed(257.43), Fixed(-15.08), InDays(30.70, -254.6906892), true, kUranusArguments, kMirandaRA,
    kMirandaDec,   kMirandaW};
constexpr BodyRotation kArielRotation{Fixed(257.43), Fixed(-15.10),    InDays(156.22, -142.8356681),
                                      true,          kUranusArguments, kArielRA,
                                      kArielDec,     kArielW};
constexpr BodyRotation kUmbrielRotation{
    Fixed(257.43), Fixed(-15.10), InDays(108.05, -86.8688923), true, kUranusArguments, kUmbrielRA,
    kUmbrielDec,   kUmbrielW};
constexpr BodyRotation kTitaniaRotation{Fixed(257.43), Fixed(-15.10),    InDays(77.74, -41.3514316),
                                        true,          kUranusArguments, kTitaniaRA,
                                        kTitaniaDec,   kTitaniaW};
constexpr BodyRotation kOberonRotation{Fixed(257.43), Fixed(-15.10),    InDays(6.77, -26.7394932),
                                       true,          kUranusArguments, kOberonRA,
                                       kOberonDec,    kOberonW};

// Neptune: N7, the argument of Triton's pole, which circles Neptune's in
// about 690 years.
constexpr LinearAngle kNeptuneArguments[] = {InCenturies(177.85, 52.316)};
constexpr PeriodicTerm kTritonRA[] = {
    {-32.35, 0, 1, Wave::Sine}, {-6.28, 0, 2, Wave::Sine}, {-2.08, 0, 3, Wave::Sine},
    {-0.74, 0, 4, Wave::Sine},  {-0.28, 0, 5, Wave::Sine}, {-0.11, 0, 6, Wave::Sine},
    {-0.07, 0, 7, Wave::Sine},  {-0.02, 0, 8, Wave::Sine}, {-0.01, 0, 9, Wave::Sine}};
constexpr PeriodicTerm kTritonDec[] = {{22.55, 0, 1, Wave::Cosine}, {2.10, 0, 2, Wave::Cosine},
                                       {0.55, 0, 3, Wave::Cosine},  {0.16, 0, 4, Wave::Cosine},
                                       {0.05, 0, 5, Wave::Cosine},  {0.02, 0, 6, Wave::Cosine},
                                       {0.01, 0, 7, Wave::Cosine}};
constexpr PeriodicTerm kTritonW[] = {
    {22.25, 0, 1, Wave::Sine}, {6.73, 0, 2, Wave::Sine}, {2.05, 0, 3, Wave::Sine},
    {0.74, 0, 4, Wave::Sine},  {0.28, 0, 5, Wave::Sine}, {0.11, 0, 6, Wave::Sine},
    {0.05, 0, 7, Wave::Sine},  {0.02, 0, 8, Wave::Sine}, {0.01, 0, 9, Wave::Sine}};
constexpr BodyRotation kTritonRotation{
    Fixed(299.36), Fixed(41.17), InDays(296.53, -61.2572637), true, kNeptuneArguments, kTritonRA,
    kTritonDec,    kTritonW};

constexpr BodyRotation kCharonRotation{Fixed(313.02), Fixed(9.09), InDays(56.77, -56.3623195),
                                       true};

// The model of each type code; null where there is none.
constexpr const BodyRotation* kRotationByType[kLastBodyType + 1] = {
    nullptr,
    &kSunRotation,
    &kMercuryRotation,
    &kVenusRotation,
    &kEarthRotation,
    &kMarsRotation,
    &kJupiterRotation,
    &kSaturnRotation,
    &kUranusRotation,
    &kNeptuneRotation,
    &kPlutoRotation,
    nullptr, // comet
    nullptr, // asteroid
    nullptr, // spacecraft
    nullptr, // Earth satellite
    &kMoonRotation,
    &kPhobosRotation,
    &kDeimosRotation,
    &kIoRotation,
    &kEuropaRotation,
    &kGanymedeRotation,
    &kCallistoRotation,
    &kMimasRotation,
    &kEnceladusRotation,
    &kTethysRotation,
    &kDioneRotation,
    &kRheaRotation,
    &kTitanRotation,
    nullptr, // Hyperion tumbles
    &kIapetusRotation,
    &kPhoebeRotation,
    &kMirandaRotation,
    &kArielRotation,
    &kUmbrielRotation,
    &kTitaniaRotation,
    &kOberonRotation,
    &kTritonRotation,
    nullptr, // Nereid
    &kCharonRotation,
};

double SumTerms(std::span<const PeriodicTerm> terms, const double* arguments) {
    double sum = 0.0;
    for (const PeriodicTerm& term : terms) {
        double angle = term.multiple * arguments[term.argument] * kRadiansPerDegree;
        sum += term.amplitude * (term.wave == Wave::Sine ? std::sin(angle) : std::cos(angle));
    }
    return sum;
}

} // namespace

double RiseSetHourAngle(double horizonAltitude, double declination, double latitude) {
    double c = (std::sin(horizonAltitude) - std::sin(latitude) * std::sin(declination)) /
               (std::cos(latitude) * std::cos(declination));
    if (c >= 1.0) return kNeverRises;
    if (c <= -1.0) return kPi;
    if (std::isnan(c)) return kNeverRises;
    return std::acos(c);
}

double AngularDiameter(double radius, double delta) {
    if (std::isinf(delta) || std::isnan(delta)) return 0.0;
    if (!std::isfinite(radius) || radius < 0.0) return 0.0;
    if (radius >= delta) return kPi;
    return 2.0 * std::asin(radius / delta);
}

double PhaseAngle(const Vector3& u, const Vector3& p) {
    double length = VectorLength(p);
    if (length == 0.0) return 0.0;
    double c = DotProduct(u, p) / length;
    if (c > 1.0 || std::isnan(c)) return 0.0;
    if (c < -1.0) return std::acos(-1.0);
    return std::acos(c);
}

bool InPrimaryShadow(const Vector3& p, double radius, const Vector3& primaryPosition,
                     double primaryRadius) {
    if (!std::isfinite(radius) || !std::isfinite(primaryRadius)) return false;
    Vector3 q;
    VectorSubtract(p, primaryPosition, q);
    double pLength = VectorLength(p);
    double qLength = VectorLength(q);
    if (!(pLength > 0.0) || !(qLength > 0.0)) return false;
    if (!std::isfinite(pLength) || !std::isfinite(qLength)) return false;
    // Seen from the body: alpha is the angle between the Sun and the primary,
    // the first arc sine the Sun's angular radius, the second the primary's
    // (less the body's own size). Inside the Sun, or inside the primary, the
    // arc sines are taken at their limits.
    double cosAlpha = std::clamp(DotProduct(p, q) / (pLength * qLength), -1.0, 1.0);
    double alpha = std::acos(cosAlpha);
    double sunRadius = std::asin(std::min(kSolarRadiusAU / pLength, 1.0));
    double primaryDisc = std::asin(std::clamp((primaryRadius - radius) / qLength, -1.0, 1.0));
    return alpha + sunRadius < primaryDisc;
}

std::int16_t MagnitudeOf(const MagnitudeInput& input) {
    double delta = input.delta;
    double r = input.r;
    double phase = input.phase;
    if (!(phase <= kMaxVisiblePhase) || std::isinf(delta) || !(delta > 0.0)) return kMagnitudeNone;
    double i = phase * kDegreesPerRadian;
    // 5 log(r delta), the distance term of every law that uses the Sun's distance.
    double distance = 5.0 * std::log10(r * delta);
    double m;
    switch (input.type) {
    case kTypeSun:
        m = 5.0 * std::log10(delta) + kSunMagnitude;
        break;
    case kTypeMercury:
        m = kMercuryV0 + distance + kMercuryI1 * i + kMercuryI2 * i * i + kMercuryI3 * i * i * i;
        break;
    case kTypeVenus:
        m = kVenusV0 + distance + kVenusI1 * i + kVenusI2 * i * i + kVenusI3 * i * i * i;
        break;
    case kTypeEarth:
        m = kEarthV0 + distance;
        break;
    case kTypeMars:
        m = kMarsV0 + distance + kMarsI1 * i;
        break;
    case kTypeJupiter:
        m = kJupiterV0 + distance + kJupiterI1 * i;
        break;
    case kTypeSaturn: {
        // The rings brighten Saturn alike from north and south of their plane:
        // the published law takes sin |B|.
        double sinB = std::fabs(input.saturnSinB);
        if (std::isnan(sinB)) sinB = 0.0;
        m = kSaturnV0 + distance + kSaturnI1 * i + kSaturnRing1 * sinB + kSaturnRing2 * sinB * sinB;
        break;
    }
    case kTypeUranus:
        m = kUranusV0 + distance + kUranusI1 * i;
        break;
    case kTypeNeptune:
        m = kNeptuneV0 + distance;
        break;
    case kTypePluto:
        m = kPlutoV0 + distance + kPlutoI1 * i;
        break;
    case kTypeComet:
        if (!Known(input.param1) || !Known(input.param2)) return kMagnitudeNone;
        m = input.param1 + 5.0 * std::log10(delta) + 2.5 * input.param2 * std::log10(r);
        break;
    case kTypeAsteroid: {
        if (!Known(input.param1) || !Known(input.param2) || !(phase < kMaxAsteroidPhase))
            return kMagnitudeNone;
        double t = std::tan(std::fabs(phase) / 2.0);
        double phi1 = std::exp(-kHGA1 * std::pow(t, kHGB1));
        double phi2 = std::exp(-kHGA2 * std::pow(t, kHGB2));
        double G = input.param2;
        m = input.param1 + distance - 2.5 * std::log10((1.0 - G) * phi1 + G * phi2);
        break;
    }
    case kTypeMoon:
        // The Moon's own phase law (Allen's, as the almanacs use it): steeper
        // than the lit fraction alone, which makes a thin crescent some three
        // magnitudes too bright.
        if (!Known(input.param1)) return kMagnitudeNone;
        m = input.param1 + distance + kMoonPhaseLinear * std::fabs(i) +
            kMoonPhaseQuartic * i * i * i * i;
        break;
    case kTypeEarthSatellite: {
        if (!Known(input.param1)) return kMagnitudeNone;
        double kilometres = delta * kKilometresPerAU;
        double illuminated = (1.0 + std::cos(phase)) / 2.0;
        m = input.param1 + kSatelliteMagnitudeOffset +
            2.5 * std::log10(kilometres * kilometres / illuminated);
        break;
    }
    default:
        if (!Known(input.param1)) return kMagnitudeNone;
        m = input.param1 + distance - 2.5 * std::log10((1.0 + std::cos(phase)) / 2.0);
        break;
    }
    // A logarithm of 0 or of a negative number (no distance from the Sun, a
    // slope parameter beyond the law's range) leaves no magnitude; so does one
    // too large for the 16-bit field.
    double hundredths = std::trunc(m * 100.0);
    if (!std::isfinite(hundredths) || hundredths >= kMagnitudeNone || hundredths <= -32768.0)
        return kMagnitudeNone;
    return static_cast<std::int16_t>(hundredths);
}

RotationState RotationModel(int type, double t) {
    const BodyRotation* model =
        type >= 0 && type <= kLastBodyType ? kRotationByType[type] : nullptr;
    if (model == nullptr) return {0.0, 90.0 * kRadiansPerDegree, 0.0, false};

    double d = t - kJ2000;
    double T = d / kDaysPerCentury;
    double arguments[16];
    for (std::size_t k = 0; k < model->arguments.size(); ++k)
        arguments[k] = model->arguments[k].At(d, T);

    double ra = model->ra.At(d, T) + SumTerms(model->raTerms, arguments);
    double dec = model->dec.At(d, T) + SumTerms(model->decTerms, arguments);
    double w = model->meridian.At(d, T) + SumTerms(model->meridianTerms, arguments);
    // Reduced in degrees, before the scaling, so that a full turn stays exact.
    w = std::fmod(w, 360.0);
    if (w < 0.0) w += 360.0;
    double meridian = w * kRadiansPerDegree;
    if (model->negated) meridian = -meridian;
    return {ra * kRadiansPerDegree, dec * kRadiansPerDegree, meridian, model->negated};
}

Orientation OrientationFrom(const RotationState& rotation, const Vector3& u) {
    // Toward the viewer, in the body's equatorial frame: x at the node of the
    // body's equator on the J2000 equator, z at its north pole.
    Vector3 v = {-u[0], -u[1], -u[2]};
    Matrix3 toBody;
    RotationMatrix(toBody, {{2, -(rotation.poleRA + kHalfPi)}, {0, -(kHalfPi - rotation.poleDec)}});
    TransformVector(toBody, v);
    double lambda = 0.0, beta = 0.0;
    RectangularToSpherical(v, &lambda, &beta, nullptr);

    Orientation orientation;
    orientation.centralMeridian = rotation.meridian <= 0.0
                                      ? ReduceAngle(lambda + rotation.meridian)
                                      : ReduceAngle(rotation.meridian - lambda);
    orientation.subViewerLatitude = beta;
    Vector3 pole;
    SphericalToRectangular(rotation.poleRA, rotation.poleDec, 1.0, pole);
    orientation.polePositionAngle = VectorPositionAngle(u, pole);
    return orientation;
}
