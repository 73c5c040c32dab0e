#pragma once

// The platform layer: the only way the program reaches windows, dialogs,
// drawing, files, the keyboard, the mouse and the clock. Everything here is
// plain procedures over opaque handles; the implementation (shell/platform/)
// is the only code that includes Qt.
//
// Text crossing this interface is 8-bit Windows-1252, as everywhere in the
// program; the layer converts to and from Unicode at its edge.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Events

// Numbered happenings delivered to the application handler (0-10) and to the
// handler of the window concerned (2-30).
enum AppEvent : int {
    Idle = 0,
    Startup = 1,
    KeyDown = 2,
    KeyUp = 3,
    AppDeactivated = 4,
    AppActivated = 5,
    MenuCommand = 6,
    OpenDocument = 8,
    Quit = 10,
    Create = 11,
    Resize = 12,
    Activate = 13,
    Deactivate = 14,
    Paint = 15,
    MouseDown = 16,
    MouseUp = 17,
    DoubleClick = 18,
    MouseMove = 19,
    MouseDrag = 20,
    CloseRequest = 21,
    Maximize = 22,
    Minimize = 23,
    Restore = 24,
    // The wheel turned: the turn in eighths of a degree (120 a notch, positive
    // away from the user) and the point under the cursor, packed by PackPoint.
    MouseWheel = 25,
    ControlNotify = 30,
};

// A window point carried in one event argument.
constexpr long PackPoint(int x, int y) {
    return static_cast<long>(static_cast<unsigned long>(static_cast<std::uint32_t>(y)) << 32 |
                             static_cast<std::uint32_t>(x));
}
constexpr int PointX(long packed) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(packed & 0xFFFFFFFF));
}
constexpr int PointY(long packed) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<unsigned long>(packed) >> 32));
}

// Codes carried by ControlNotify.
enum NotifyCode : int {
    NotifyClicked = 0,
    NotifySelectionChanged = 1, // list or combo box selection
    NotifyDoubleClicked = 5,
    // A button that acts while held: pressed, and let go (anywhere).
    NotifyPressed = 2,
    NotifyReleased = 3,
    NotifyEditChanged = 768,
    NotifyTabChanged = 1, // a tab change is a selection change of the tab bar
    // Scroll bars.
    ScrollThumbReleased = 1,
    ScrollPageUp = 2,
    ScrollPageDown = 3,
    ScrollLineUp = 4,
    ScrollLineDown = 5,
    ScrollThumbTracking = 6,
};

// Virtual key codes delivered with KeyDown / KeyUp and tested by IsKeyDown.
// Letters and digits are their upper-case ASCII codes.
enum VirtualKey : int {
    VKBackspace = 0x08,
    VKTab = 0x09,
    VKReturn = 0x0D,
    VKShift = 0x10,
    VKControl = 0x11,
    VKAlt = 0x12,
    VKEscape = 0x1B,
    VKSpace = 0x20,
    VKPageUp = 0x21,
    VKPageDown = 0x22,
    VKEnd = 0x23,
    VKHome = 0x24,
    VKLeft = 0x25,
    VKUp = 0x26,
    VKRight = 0x27,
    VKDown = 0x28,
    VKInsert = 0x2D,
    VKDelete = 0x2E,
    VKF1 = 0x70,
};

struct WindowRecord;
using WindowRef = WindowRecord*;
struct SurfaceRecord;
using SurfaceRef = SurfaceRecord*;
struct PictureRecord;
using PictureRef = PictureRecord*;

// Handlers return 1 to carry on (or "not consumed" for MenuCommand); the
// application handler returns 0 from Quit to keep the program running.
using EventHandler = long (*)(int event, WindowRef window, long arg1, long arg2);

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct Point {
    int x = 0, y = 0;
};

struct RGBColor {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const RGBColor&) const = default;
};

// ---------------------------------------------------------------------------
// Message loop

// Registers the application handler, sends Startup, then runs the loop until
// the main window closes or RequestQuit ends it. Returns the exit status.
int RunApplication(EventHandler handler);

// The handler given to RunApplication (tests may install one directly).
void SetApplicationHandler(EventHandler handler);

// Sends an event to the application handler.
long SendAppEvent(int event, long arg1 = 0, long arg2 = 0);

// Processes the pending messages once (long tasks call this to stay live).
void PumpMessages();

// True when input or paint messages are waiting.
bool MessagesPending();

// Asks the main window to close (arrives as Quit); ends the loop at once when
// there is no main window.
void RequestQuit();

// How often Idle is wanted while no modal loop runs: -1 never (the loop sleeps
// until a message arrives), 0 whenever the queue is empty, n > 0 at most every
// n milliseconds.
void SetIdleInterval(int milliseconds);
int IdleInterval();

// True while a modal dialog, message box, progress box or message pump is
// running; no Idle events are delivered then.
bool ModalLoopRunning();

// ---------------------------------------------------------------------------
// Windows

enum WindowStyle : int {
    StyleCaption = 1,
    StyleSystemMenu = 2,
    StyleSizable = 4,
    StyleMaximiseBox = 8,
    StyleMinimiseBox = 16,
    StyleToolWindow = 32,
};

// Window record flag: the window wants its background erased before Paint.
constexpr int kWindowEraseBackground = 2;

WindowRef CreateMainWindow(int classNumber, const std::string& title, int x, int y, int width,
                           int height, bool visible, int style, long parameter,
                           EventHandler handler);
WindowRef MainWindow();
void SetWindowFlags(WindowRef window, int flags);

// Loads the menu bar and accelerator table of that number onto the main window.
bool SetMainMenu(int number);

// Scroll bars are controls of their window, addressed by control number.
bool CreateScrollBar(WindowRef window, int control, const Rect& rect, bool visible, int position,
                     int minimum, int maximum);
struct ScrollAreas {
    Rect vertical;   // a vertical bar along the right edge
    Rect horizontal; // a horizontal bar along the bottom edge
    Rect client;     // what is left for drawing
};
ScrollAreas GetScrollAreas(WindowRef window);
void ShowScrollBars(WindowRef window, bool on);

void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
void MaximiseWindow(WindowRef window);
bool IsWindowVisible(WindowRef window);
bool IsMinimised(WindowRef window);
void DestroyWindow(WindowRef window);
// Whether the window is still there (a kept handle of a window destroyed
// since, by the program or a reset of the layer, names nothing).
bool WindowExists(WindowRef window);
void InvalidateWindow(WindowRef window);
void UpdateWindow(WindowRef window);
Rect GetClientRect(WindowRef window);
std::string GetWindowTitle(WindowRef window);
void SetWindowTitle(WindowRef window, const std::string& title);
void BringToFront(WindowRef window);
void CenterOnParent(WindowRef window);
// Puts a modeless window near the top right corner of the main window's
// client area, where it hides the least of what is drawn there.
void PlaceAtTopRight(WindowRef window);
WindowRef ActiveWindow();
// The handler a window was created with and its creation parameter.
EventHandler WindowHandler(WindowRef window);
long WindowParameter(WindowRef window);
// Sends an event to a window's handler as the platform would.
long SendWindowEvent(WindowRef window, int event, long arg1 = 0, long arg2 = 0);

// ---------------------------------------------------------------------------
// Menus

struct MenuRecord;
using MenuRef = MenuRecord*;

// A top-level menu of the main window's menu bar by position (from 1).
MenuRef GetMenuBarMenu(int position);
// The pop-up opened by item `item` of `menu`, or nullptr.
MenuRef GetSubMenu(MenuRef menu, int item);
// Any loaded menu by its number (257, 33, ...), or nullptr.
MenuRef FindMenuByNumber(int number);
int MenuNumber(MenuRef menu);
int MenuItemCount(MenuRef menu);
void EnableMenuItem(MenuRef menu, int item, bool enabled);
void CheckMenuItem(MenuRef menu, int item, bool checked);
bool IsMenuItemEnabled(MenuRef menu, int item);
bool IsMenuItemChecked(MenuRef menu, int item);
std::string GetMenuItemText(MenuRef menu, int item); // without the '&' marks
void SetMenuItemText(MenuRef menu, int item, const std::string& text);
// Chooses a menu item as the user would (dispatches MenuCommand if enabled).
bool InvokeMenuItem(int menu, int item);
// Presses an accelerator key as the user would ("Ctrl+O"); false if the key
// has no enabled command.
bool InvokeAccelerator(const std::string& key);

// ---------------------------------------------------------------------------
// Dialogs

// Template numbers name the dialog forms; the prompt box has a name of its own.
constexpr int kAskBoxTemplate = -1; // "ASKBOX"
constexpr int kPrintBoxTemplate = -2; // "PRINTBOX"
constexpr int kProgressTemplate = 275;
constexpr int kAboutTemplate = 256;

// Standard button controls.
constexpr int kOKButton = 1;
constexpr int kCancelButton = 2;

bool DialogTemplateExists(int templateNumber);
WindowRef CreateDialogWindow(int templateNumber, long parameter, EventHandler handler);
long RunDialog(int templateNumber, long parameter, EventHandler handler);
void EndDialogResult(long result);
// The dialog running modally, or nullptr.
WindowRef ModalDialog();

std::string GetItemText(WindowRef dialog, int control);
void SetItemText(WindowRef dialog, int control, const std::string& text);
long GetItemValue(WindowRef dialog, int control);
void SetItemValue(WindowRef dialog, int control, long value);
void SetItemRange(WindowRef dialog, int control, long minimum, long maximum);
void CheckRadio(WindowRef dialog, int first, int last, int chosen);
int FirstCheckedRadio(WindowRef dialog, int first, int last);
void EnableItem(WindowRef dialog, int control, bool enabled);
bool IsItemEnabled(WindowRef dialog, int control);
void ShowItem(WindowRef dialog, int control);
void HideItem(WindowRef dialog, int control);
bool IsItemVisible(WindowRef dialog, int control);
bool ItemExists(WindowRef dialog, int control);
Rect GetItemRect(WindowRef dialog, int control);
void MoveItem(WindowRef dialog, int control, const Rect& rect);
void SetItemIcon(WindowRef dialog, int control, int icon);
// Shows a picture in a picture control, which takes the picture's size.
void SetItemPicture(WindowRef dialog, int control, PictureRef picture);
void ListAddText(WindowRef dialog, int control, const std::string& text);
void ListInsertText(WindowRef dialog, int control, int position, const std::string& text);
void ListClear(WindowRef dialog, int control);
int ListCount(WindowRef dialog, int control);
std::string ListGetText(WindowRef dialog, int control, int position); // position from 1
void ListFillFromStrings(WindowRef dialog, int control, int firstString, int lastString);
void PressButton(WindowRef dialog, int control);
// A field whose text can't be used: message 548 names the field, quotes the
// text and says what it takes ("a number from 0 to 90"); the text is selected
// for correcting. The caller keeps the dialog open, everything as typed.
constexpr int kItemRefusedString = 548;
constexpr int kItemReplacedString = 549; // the field, its text, what is used instead
void RefuseItem(WindowRef dialog, int control, const std::string& field,
                const std::string& wanted);
// Whether every character typed in an edit field has a place in the program's
// code page (GetItemText reads any other as '?').
bool ItemTextInCodePage(WindowRef dialog, int control);

// The prompt box: 1 with the edited text on OK, 0 on Cancel.
int Ask(const std::string& prompt, std::string& text);

// The progress box.
void BeginProgress(bool cancellable, int stages);
void ProgressStage(const std::string& text, long from, long to);
int ProgressUpdate(long value); // 0 once Cancel was pressed
void EndProgress();
// The progress box while it is shown, else nullptr.
WindowRef ProgressWindow();

// ---------------------------------------------------------------------------
// Messages and strings

enum MessageButtons : int { ButtonsOK = 1, ButtonsOKCancel = 2, ButtonsYesNoCancel = 3 };
enum MessageAnswer : int { AnswerNone = 0, AnswerOK = 1, AnswerCancel = 2, AnswerNo = 3 };
constexpr int AnswerYes = AnswerOK;

// Shows string `number` formatted printf-style with the arguments (pass C
// strings for %s). Returns 1 OK/Yes, 2 Cancel, 3 No, 0 while messages are off.
int ShowMessage(int buttons, int number, ...);
// The same text ShowMessage would show.
std::string FormatMessage(int number, ...);
void SetMessagesEnabled(bool on);
bool MessagesEnabled();
void Beep();
// String `number` of the table (at most 255 characters), empty when absent.
std::string LoadString(int number);

// Program text for a terminal or a pipe, which speak UTF-8, and text from
// one (command-line arguments) into the program's code page. A character the
// code page lacks becomes '?'.
std::string ConsoleText(const std::string& text);
std::string FromConsoleText(const std::string& text);

// ---------------------------------------------------------------------------
// Drawing

// A window's own surface; drawing on it shows at the next repaint.
SurfaceRef GetWindowSurface(WindowRef window);
void ReleaseWindowSurface(SurfaceRef surface);
// The surface of a picture control of a dialog (a static control used as a canvas).
SurfaceRef GetItemSurface(WindowRef dialog, int control);
void ReleaseItemSurface(SurfaceRef surface);

// Off-screen pictures.
PictureRef CreatePicture(int width, int height);
// A picture that will be shown in a window: on a high-resolution screen it
// has the screen's pixels behind each of its own, so that what is drawn on it
// shows at the screen's full resolution. Sizes and coordinates are the same
// as for CreatePicture.
PictureRef CreateScreenPicture(int width, int height);
void DeletePicture(PictureRef picture);
SurfaceRef SelectPicture(PictureRef picture);
void PictureSize(PictureRef picture, int* width, int* height);
RGBColor PicturePixel(PictureRef picture, int x, int y);
// A picture resource (25602 ...) rendered at its natural size, or nullptr.
PictureRef LoadPictureResource(int number);
// Writes a picture as a PNG or BMP file, chosen by the extension (letter case
// ignored); false for another extension or when the file can't be written
// (an old file of that name is then left as it was).
bool SavePicture(PictureRef picture, const std::string& path);
// A vector picture file (SVG, PDF or metafile by the extension) of that
// size: draw on the surface between BeginDrawing and EndDrawing, then
// FinishSvgSurface writes the file (false when it can't) and frees the surface.
SurfaceRef CreateSvgSurface(const std::string& path, int width, int height,
                            const std::string& title);
bool FinishSvgSurface(SurfaceRef surface);
// A vector picture in memory, its format by the extension of `fileName`:
// ".svg", ".pdf" (one page of the picture's size) or ".wmf" (a placeable
// Windows metafile, at the screen's pixels per inch); nullptr for another.
// FinishVectorPicture hands back the file's bytes and frees the surface
// (false while it is still being drawn on).
SurfaceRef CreateVectorPicture(const std::string& fileName, int width, int height,
                               const std::string& title);
bool FinishVectorPicture(SurfaceRef surface, std::string& bytes);
// A picture as a bitmap file: 24 bits per pixel without a palette, or (8 bits
// or fewer asked) 8 bits with a palette of 256 entries. SavePicture writes
// ".bmp" files so, with the screen's depth.
std::string BitmapFileBytes(PictureRef picture, int bitsPerPixel);
// Writes the bytes as the whole file, replacing an old one only when complete.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
int ScreenPixelsPerInch();
// Puts a picture on the clipboard, with its vector forms (either may be
// empty) for the programs that take them. ClipboardData reads the clipboard
// by MIME type ("image/png" gives the picture as a PNG file).
bool SetClipboardPicture(PictureRef picture, const std::string& svg, const std::string& metafile);
std::string ClipboardData(const std::string& mimeType);

// Makes `surface` current until the matching EndDrawing (they nest).
void BeginDrawing(SurfaceRef surface);
void EndDrawing();

void SetPenBrush(RGBColor color, int penWidth, bool filled);
void SetFilled(bool on);
void SetTextColor(RGBColor color);
void SetXorMode(bool on);
// Smooth edges for lines, outlines and filled shapes on the current surface
// (off by default; the inverting mode is always drawn exact).
void SetAntialiasing(bool on);

enum FontStyle : int { FontBold = 1, FontItalic = 2, FontUnderline = 4, FontStrikeout = 128 };
void SelectFont(const std::string& face, int size, int style);
void TextExtent(const std::string& text, int* width, int* height);

void MoveTo(int x, int y);
void LineTo(int x, int y);
void Line(int x1, int y1, int x2, int y2);
void Pixel(int x, int y);
void Rectangle(int left, int top, int right, int bottom);
void Ellipse(int left, int top, int right, int bottom);
void Polygon(const Point* points, int count);
void Text(int x, int y, const std::string& text);
void DrawIcon(int number, int x, int y);
void DrawPicture(PictureRef picture, const Rect* destination);
void ClipTo(const Rect& rect);
void RemoveClip();

int ScreenBitsPerPixel();
void ScreenSize(int* width, int* height);

constexpr int kSystemColorCount = 21;
void GetSystemColors(int first, int count, RGBColor* out);
void SetSystemColors(int first, int count, const RGBColor* colors);

// ---------------------------------------------------------------------------
// Common dialogs and help

bool ChooseColor(RGBColor& color);
bool ChooseFont(std::string& face, int& size, int& style);
// Filters are string-table entries of description|pattern| pairs.
bool OpenFileDialog(int titleString, int filterString, std::string& path);
bool SaveFileDialog(int titleString, int filterString, std::string& path,
                    const std::string& defaultExtension);

// Printing, on the one set of print settings of the run (made with the
// printer's defaults on first use). PrintSetupDialog changes them.
// BeginPrintDocument runs the print dialog (printing to a PDF file works
// without a printer) and gives the printer's surface and the copies asked,
// or nullptr on Cancel; the main window is then disabled and the abort box
// "Now printing..." shown. StartPrintPage sets the page mapping (a unit is
// one screen pixel at the screen's physical size, the page filled) and gives
// the page in those units; EndPrintPage ends it (false on a printer error).
// PrintAborted lets the box's Cancel through; EndPrintDocument closes the
// box and ends (or, aborted, abandons) the document.
bool PrintSetupDialog();
SurfaceRef BeginPrintDocument(int* copies);
bool StartPrintPage(SurfaceRef printer, Rect* page);
bool EndPrintPage(SurfaceRef printer);
bool PrintAborted();
void EndPrintDocument(SurfaceRef printer, bool aborted);

enum HelpCommand : int { HelpContents = 1, HelpSearch = 2, HelpOnHelp = 4 };
// Opens the help viewer on the help pages that belong with `helpFile`.
bool OpenHelp(const std::string& helpFile, int command);
WindowRef HelpWindow();
// Every help page passes through `filter` (HTML in, HTML out) before it is shown
// or searched, so that the pages can follow the program's state; none by default.
using HelpPageFilter = std::string (*)(const std::string& html);
void SetHelpPageFilter(HelpPageFilter filter);

// ---------------------------------------------------------------------------
// Files and paths (separators are '/')

constexpr std::size_t kPathSize = 260;

std::string ProgramPath();
std::string ProgramDirectory(); // with a trailing '/'
// Uses another directory as the program's own (norvane-tool --program-dir, tests).
void SetProgramDirectory(const std::string& directory);
std::string StripFileName(const std::string& path);
std::string ReplaceFileName(const std::string& path, const std::string& name);
std::string AppendPathComponent(const std::string& path, const std::string& name);
std::string FileTitle(const std::string& path);
bool SamePath(const std::string& a, const std::string& b);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// A plain file: not a directory, device, FIFO or socket.
bool IsRegularFile(const std::string& path);
bool IsReadOnly(const std::string& path);
bool MakeDirectory(const std::string& path);
bool RemoveDirectory(const std::string& path);
bool DeleteFile(const std::string& path);
std::string GetCurrentDirectory();
bool SetCurrentDirectory(const std::string& path);
// The existing paths that a shell pattern (*, ?, [...] in any component)
// matches, sorted by name; none when nothing does.
std::vector<std::string> MatchingPaths(const std::string& pattern);

// Opens a file with an fopen mode. A file opened for writing ("w", "wb") is
// written to a temporary file beside it and only replaces the old file when
// CloseFile succeeds, so a full disk or a crash never leaves half a file.
std::FILE* OpenFile(const std::string& path, const char* mode);
// Closes the file; for a written file, flushes it to disk and moves it into
// place. False when anything failed (the old file is then left as it was).
bool CloseFile(std::FILE* file);
// Closes a file opened for writing without replacing the old one.
void AbandonFile(std::FILE* file);
// Removes the temporary files that a replacement cut short (a crash, a kill)
// left beside files ending in `extension` in `directory` (and its
// subdirectories with `recursive`), when untouched for `minimumAgeSeconds`:
// a younger one may be a write in progress by another copy of the program.
// Returns how many were removed.
constexpr long kStaleTemporarySeconds = 60;
int RemoveStaleTemporaryFiles(const std::string& directory, const std::string& extension,
                              bool recursive, long minimumAgeSeconds = kStaleTemporarySeconds);

// ---------------------------------------------------------------------------
// Serial ports

// Opens a serial device for this program alone, 8 data bits, no parity,
// 1 stop bit at `baud`, with reads that never wait. The handle, or -1 when
// the device is missing, in use, not a terminal device (a regular file, a
// directory) or refuses the line settings.
int OpenSerialPort(const std::string& device, long baud);
void CloseSerialPort(int handle);
// Bytes waiting to be read; -1 when the device has failed or gone away.
long SerialBytesWaiting(int handle);
// Reads at most `count` of the waiting bytes; -1 on failure.
long ReadSerialPort(int handle, char* buffer, long count);
bool WriteSerialPort(int handle, const char* data, long count);
// The serial devices present: /dev/ttyS* with a port behind them,
// /dev/ttyUSB*, /dev/ttyACM* and the stable links of /dev/serial/by-id.
std::vector<std::string> SerialDeviceNames();

// ---------------------------------------------------------------------------
// Input state and time

bool IsKeyDown(int virtualKey);
// Whether the key went down since the last call for it (a tap between two
// polls counts, though the key is up again by then).
bool TakeKeyPress(int virtualKey);
bool IsMouseButtonDown(bool left, bool right);
Point CursorPosition(WindowRef window);
void CaptureMouse(WindowRef window);
void ReleaseMouse();
void SetArrowCursor();
void SetWaitCursor();
long TickCount();
long DoubleClickTime();
// Waits, keeping windows painted but taking no input.
void Wait(long milliseconds);

// ---------------------------------------------------------------------------
// Test hooks (all off by default; interactive behaviour otherwise)

struct MessageRecord {
    int number;
    std::string text;
    int buttons;
};
// Answers every message box with the answer `responder` returns, without showing it.
using MessageResponder = std::function<int(const MessageRecord&)>;
void SetMessageResponder(MessageResponder responder);
// Every message shown (or answered) since the last clear.
const std::vector<MessageRecord>& RecordedMessages();
void ClearRecordedMessages();

// When dialog `templateNumber` runs modally, `fill` is called with it open,
// then button `button` is pressed. A button of 0 leaves the dialog to `fill`.
void SetDialogResponder(int templateNumber, std::function<void(WindowRef)> fill, int button);
void ClearDialogResponders();
// Types UTF-8 text into an edit field as the keyboard would (the handler
// hears of the change).
void TypeItemText(WindowRef dialog, int control, const std::string& utf8);

// Answers file dialogs: return false for Cancel, or set the path and return true.
using FileDialogResponder = std::function<bool(int titleString, std::string& path)>;
void SetFileDialogResponder(FileDialogResponder responder);

// Answer the colour and font choosers: return false for Cancel, or change the
// value and return true.
using ColorChooserResponder = std::function<bool(RGBColor& color)>;
void SetColorChooserResponder(ColorChooserResponder responder);
using FontChooserResponder = std::function<bool(std::string& face, int& size, int& style)>;
void SetFontChooserResponder(FontChooserResponder responder);

// Answers the print dialog: return false for Cancel, or choose a PDF file to
// print to and the copies, and return true.
using PrintDialogResponder = std::function<bool(std::string& pdfFile, int& copies)>;
void SetPrintDialogResponder(PrintDialogResponder responder);
// Presses the abort box's Cancel after this many pages (0: never).
void SetPrintAbortForTest(int afterPages);

// Answers the prompt box: return false for Cancel.
using AskResponder = std::function<bool(const std::string& prompt, std::string& text)>;
void SetAskResponder(AskResponder responder);

// Makes the nth write, flush, close or rename of a replaced file fail from
// now on (1 = the next one), as a full disk or a pulled medium would.
enum class FileFault : int { Write = 0, Flush = 1, Close = 2, Rename = 3 };
void SetFileFaultForTest(FileFault fault, int nth);
void ClearFileFaultsForTest();

// Pretends the screen has this many bits per pixel (0 = the real screen).
void SetFakeScreenDepth(int bitsPerPixel);

// Creates the application object for tests and tools that use windows without
// RunApplication. Safe to call more than once.
void InitPlatform(int argc, char** argv);
// Destroys every window and resets the layer's state between tests.
void ResetPlatform();
