#include "resources/Strings.h"

#include <algorithm>
#include <iterator>

// Texts are Windows-1252 bytes. A hex escape runs on through every following hex digit, so
// each "\xB0" ends its literal and the text continues in the next one.

namespace {

const StringEntry kStrings[] = {
    // Start-up, memory and file errors
    {256, "Norvane can't allocate memory!  If you have other applications running, try quitting "
          "them."},
    {257, "Norvane can't open the file \"%s\"!  It may be missing or in use by another program."},
    {258, "Norvane can't read the file \"%s\"!  It may be corrupted or have an obsolete format."},
    {259, "Norvane can't write the file \"%s\"!  The disk may be full."},
    // Chart window title and redraw timing
    {268, "Norvane III"},
    {269, "The total elapsed time for %ld window redrawings was %.3f seconds (%.3f frames per "
          "second)."},

    // Fixed file and directory names beside the program and in a database
    {300, "Norvane.hlp"},
    {301, "Norvane.ini"},
    {302, "Database"},
    {303, "Index.nvd"},
    {304, "Custom.nvd"},
    {305, "D:\\DATABASE\\INDEX.NVD"},

    // Progress captions, prompts and dialog texts
    {510, "Writing Ephemeris File..."},
    {511, "Searching for \"%s\"..."},
    {512, "No matching object found!"},
    {513, "Object not selected!"},
    {514, "Julian Date:"},
    {515, "Time Step (days  hours:minutes:seconds):"},
    // Questions and complaints from the commands
    {520, "Replace existing location \"%s\"?"},
    {521, "The chart will print better (and save ink!) if it does not use color and/or the sky "
          "background is changed to white.  Make changes now?"},
    {522, "This field of view is too large to be displayed with the current chart projection.  "
          "Switch to a %s projection?"},
    {523, "There's no object containing the name \"%s\" in memory!"},
    {524, "Do you want to keep reading the file \"%s\"?"},
    {525, "The date \"%s\" is invalid.  Please enter the date and time as \"year/month/day "
          "hour:min:sec\" or \"year/month/decimal day\"."},
    // Database and import messages
    {527, "Norvane can't add the object \"%s\" to its database!  You may have run out of memory "
          "or exceeded 16,000 objects per database file."},
    {528, "Norvane can't find the \"%s\" directory, and can't continue without one.  Would you "
          "like to create a new database directory now?"},
    {529, "Norvane can't create the directory \"%s\"!  There may already be a file or directory "
          "present with the same name; or the disk may be full or read-only (such as a CD-ROM)."},
    {530, "Norvane can't open the file \"%s\"!  The file may be locked or in use by another "
          "application; the file name may contain illegal characters; the file's directory may "
          "not exist; or the disk may be full or read-only (such as a CD-ROM)."},
    {531, "There is an existing database file named \"%s\".  Replace it with the file you are "
          "importing? (If not, Norvane will create a new database file with a different name.)"},
    {533, "Norvane can't delete the file \"%s\"!  It may be locked or in use by another "
          "application; or it may exist on a locked or read-only volume (such as a CD-ROM)."},
    {534, "The file \"%s\" is not part of the database which Norvane is currently using!"},
    {535, "Are you sure you want to permanently remove the file \"%s\" from Norvane's database?"},
    {536, "Are you sure you want to permanently remove the object \"%s\" from Norvane's "
          "database?"},
    {537, "Importing file \"%s\"..."},
    {538, "The file \"%s\" is part of a Norvane database, and can't be opened directly.  To use "
          "this file, you must open the index file for the database which it belongs to."},
    {539, "The database file containing this information is a read-only file.  You cannot add "
          "to or edit any of its contents."},
    {540, "This object is currently below the horizon.  Since the horizon mask is on, the object "
          "will not be visible.  Do you want to remove the horizon mask now?"},

    {541, "Norvane read %ld lines from the file \"%s\": %ld objects imported, %ld lines "
          "skipped.%s"},
    {542, "The file \"%s\" is UTF-16 text, which Norvane can't import.  Save it as UTF-8 or "
          "plain 8-bit text and import it again."},
    {543, "\"%s\" is not a regular file, and Norvane can't import it."},
    {544, "The file \"%s\" holds more objects than one database file can take (%ld).  Nothing "
          "was imported; split it into smaller files and import those."},
    {545, "The settings file \"%s\" ends early; it may have been cut short.  The settings read "
          "before its end are in use."},
    {546, "The database index \"%s\" gives the file \"%s\" a number that another file "
          "already has; it has been given a number of its own."},
    {547, "The value \"%s\" of \"%s\" is out of range and was not used."},
    {548, "The %s \"%s\" can't be used.  Please enter %s."},
    {549, "The %s \"%s\" can't be used; %s."},
    {550, "Norvane found no large database (a \"Database\" folder holding \"Index.nvd\") on "
          "any disc or drive mounted under /media, /run/media or /mnt.  Do you want to choose its "
          "index file yourself?"},
    {551, "Norvane imported %ld objects from the file \"%s\"."},
    {552, "Norvane read %ld element sets from the file \"%s\"."},
    {553, "Save Chart Picture As..."},
    {554, "PNG pictures (*.png)|*.png|SVG drawings (*.svg)|*.svg|PDF documents (*.pdf)|*.pdf|"},
    {570, "The animation stopped at %s: Norvane can't compute the sky beyond this date."},
    {580, "Norvane can't open the serial port \"%s\"!  It may be missing, in use by another "
          "program, or not a serial port; try selecting a different one."},
    {581, "The telescope answered \"%s\", which Norvane can't read.  Make sure that you have "
          "selected the right kind of telescope."},

    // File dialog titles, each followed by its filter of description|pattern| pairs
    {700, "Open a Norvane settings file..."},
    {701, "Norvane Settings (*.nvs)|*.nvs|All Files (*.*)|*.*|"},
    {702, "Open a Norvane database index file..."},
    {703, "Norvane Database Index|index.nvd|All Files (*.*)|*.*|"},
    {710, "Save Settings As..."},
    {711, "Norvane Settings (*.nvs)|*.nvs|"},
    {730, "Open a Norvane Text File..."},
    {731, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"},
    {732, "Open a NASA Satellite File..."},
    {733, "NASA Satellite Files (*.tle)|*.tle|All Files (*.*)|*.*|"},
    {740, "Save Ephemeris As..."},
    {741, "Ephemeris files (*.eph)|*.eph|Text files (*.txt)|*.txt|"},
    {742, "Save Chart Metafile As..."},
    {743, "Windows Metafiles (*.wmf)|*.wmf|"},
    {744, "Save Chart Bitmap As..."},
    {745, "Bitmap files (*.bmp)|*.bmp|"},
    {750, "Select a Norvane database file to delete..."},
    {751, "Norvane Data (*.nvd)|*.nvd|"},

    // Object type names: 1000 + type code
    {1001, "Sun"},
    {1002, "Mercury"},
    {1003, "Venus"},
    {1004, "Earth"},
    {1005, "Mars"},
    {1006, "Jupiter"},
    {1007, "Saturn"},
    {1008, "Uranus"},
    {1009, "Neptune"},
    {1010, "Pluto"},
    {1011, "Comet"},
    {1012, "Asteroid"},
    {1013, "Spacecraft"},
    {1014, "Earth Satellite"},
    {1015, "Earth's moon"},
    {1016, "Phobos"},
    {1017, "Deimos"},
    {1018, "Io"},
    {1019, "Europa"},
    {1020, "Ganymede"},
    {1021, "Callisto"},
    {1022, "Mimas"},
    {1023, "Enceladus"},
    {1024, "Tethys"},
    {1025, "Dione"},
    {1026, "Rhea"},
    {1027, "Titan"},
    {1028, "Hyperion"},
    {1029, "Iapetus"},
    {1030, "Phoebe"},
    {1031, "Miranda"},
    {1032, "Ariel"},
    {1033, "Umbriel"},
    {1034, "Titania"},
    {1035, "Oberon"},
    {1036, "Triton"},
    {1037, "Nereid"},
    {1038, "Charon"},
    {1051, "Single star"},
    {1052, "Multiple star"},
    {1053, "Variable star"},
    {1054, "Mult. and var. star"},
    {1055, "Hubble GSC Star"},
    {1056, "Hubble GSC Non-Star"},
    {1061, "Open cluster"},
    {1062, "Globular cluster"},
    {1063, "Diffuse nebula"},
    {1064, "Planetary nebula"},
    {1065, "Galaxy"},

    // Chart legend headings
    {2048, "Viewed from:"},
    {2049, "Local time:"},
    {2050, "Field of view:"},
    {2051, "Magnitudes: "},
    {2052, "Deep sky objects:"},

    // Mount families, in telescope interface order
    {2500, "Meade LX-200"},
    {2501, "Meade Magellan I"},
    {2502, "Meade Magellan II"},
    {2503, "Meade ETX Autostar"},
    {2504, "Celestron Ultima 2000"},
    {2505, "Celestron NexStar"},
    {2506, "Celestron AstroMaster"},
    {2507, "Orion SkyWizard"},
    {2508, "JMI NGC-MAX"},
    {2509, "Lumicon SkyVector"},
    {2510, "Tangent Instruments BBox"},
    {2511, "AIM Controls Coordinate"},

    // Mount types
    {2600, "Equatorial"},
    {2601, "Alt-Azimuth"},

    // Telescope link and alignment
    {2700, "Norvane can't open the COM port you have selected!  It may be in use by another "
           "program; try selecting a different COM port."},
    {2701, "Norvane can't read data from the COM port!"},
    {2702, "Norvane can't write data to the COM port!"},
    {2706, "The telescope is not responding!  Make sure that cables are connected properly, and "
           "that you have selected the correct COM port."},
    {2707, "Are you sure you want to close the telescope connection?"},
    {2708, "Norvane is about to change information for your telescope's currently-selected "
           "site.  Do you want to continue?"},
    {2709, "Point the telescope toward 90\xB0"
           " altitude, so its optical axis is parallel to its azimuth axis.  Then click the "
           "\"Align\" button."},
    {2710, "Point the telescope toward 90\xB0"
           " declination, so its optical axis is parallel to its R.A. axis.  Then click the "
           "\"Align\" button."},
    {2711, "Select the 1st object to align the telescope on by clicking its symbol in the chart "
           "window.  Then point the telescope at the same object in the sky.  When you are done, "
           "press the \"Align\" button."},
    {2712, "Select the 2nd object to align the telescope on by clicking its symbol in the chart "
           "window.  Then point the telescope at the same object in the sky.  When you are done, "
           "press the \"Align\" button."},
    {2713, "The telescope is aligned.  To align on a new object, click on its symbol in the "
           "chart window, point the telescope at the same object in the sky, then press the "
           "\"Align\" button."},
    {2714, "You can simulate moving the telescope by moving the mouse while holding down the "
           "Shift key."},
    {2715, "The telescope is %.1f\xB0"
           " from its expected position.  It may not be aligned on the target object you "
           "selected; or the previous alignment may have been wrong.  Continue aligning with "
           "this target object?"},
    {2716, "The telescope is %.1f\xB0"
           " from its previous alignment position.  You should select a target object farther "
           "from the previous one; targets 90\xB0"
           " apart work best.  Continue aligning with this target object?"},

    // Go-to refusals
    {2800, "The target coordinates (R.A. %02hd %02hd %04.1f, Dec. %c%02hd %02hd %02.0f) are "
           "invalid!"},
    {2801, "Norvane can't slew the telescope to this target because it is below the horizon!"},
    {2802, "Norvane can't slew the telescope to this target because it is out of reach of the "
           "telescope mount or in a position which might damage it."},
    {2803, "The telescope rejected your command because it is currently slewing.  Do you want to "
           "stop slewing the telescope now?"},
};

bool NumberLess(const StringEntry& entry, int number) {
    return entry.number < number;
}

} // namespace

const char* StringText(int number) {
    const StringEntry* end = std::end(kStrings);
    const StringEntry* found = std::lower_bound(std::begin(kStrings), end, number, NumberLess);
    if (found == end || found->number != number) return nullptr;
    return found->text;
}

const StringEntry* StringTable(std::size_t* count) {
    if (count) *count = std::size(kStrings);
    return kStrings;
}
