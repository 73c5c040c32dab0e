#pragma once

// Shared state of the Qt side of the platform layer. Only files in
// shell/platform/ include this.

#include "shell/Platform.h"

#include <QByteArray>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QPainter;
class QLabel;

// Windows-1252 <-> Unicode at the edge of the layer.
QString ToQString(const std::string& text);
std::string FromQString(const QString& text);

// A surface: something a QPainter can draw on, with what to do afterwards.
struct SurfaceRecord {
    enum Kind { WindowKind, PictureKind, ItemKind, VectorKind } kind = PictureKind;
    QImage* image = nullptr;      // what is drawn on
    QPaintDevice* device = nullptr;  // VectorKind: what is drawn on instead of an image
    WindowRecord* window = nullptr;
    QPointer<QLabel> item;        // ItemKind: the label that shows the image afterwards
    std::unique_ptr<QImage> ownedImage;
    QPainter* sharedPainter = nullptr; // a printer's: one painter for the whole document
};

struct PictureRecord {
    QImage image;
    SurfaceRecord surface;
};

class CanvasWidget;

struct WindowRecord {
    QPointer<QWidget> widget;        // the top-level window
    QPointer<CanvasWidget> canvas;   // the client area of a main window
    EventHandler handler = nullptr;
    long parameter = 0;
    int flags = 0;
    int number = 0;                  // class or template number
    bool isDialog = false;
    bool isModal = false;
    bool destroyed = false;
    std::map<int, QPointer<QWidget>> controls;
    SurfaceRecord surface;           // the window's own surface (main windows)
    int lastClickControl = 0;        // for dropping the second click of a double click
    long lastClickTicks = 0;
};

// Looks up the record of a top-level widget (nullptr when none).
WindowRecord* RecordOf(QWidget* widget);
// The control numbered `control` of a window, or nullptr.
QWidget* ControlOf(WindowRef window, int control);
// Registers a window's controls named "c<number>" and connects their notifications.
void AdoptControls(WindowRecord* record, QWidget* root);
// Connects a control's signals to ControlNotify of its window.
void ConnectControl(WindowRecord* record, int number, QWidget* control);
// Creates a record for a new top-level widget.
WindowRecord* NewWindowRecord(QWidget* widget, EventHandler handler, long parameter, int number);
// Sends an event to a window's handler; 1 when the window has no handler.
long DeliverWindowEvent(WindowRecord* record, int event, long arg1, long arg2);
// Offers a menu command to the active window, then to the application.
void DispatchMenuCommand(int menu, int item);

// Idle suppression: every modal loop, message box, progress box and message
// pump holds one of these while it runs.
struct IdleBlocker {
    IdleBlocker();
    ~IdleBlocker();
    IdleBlocker(const IdleBlocker&) = delete;
    IdleBlocker& operator=(const IdleBlocker&) = delete;
};

// Disables every enabled top-level window except `except` (modal runs) and
// returns them, so that exactly those are enabled again afterwards.
std::vector<QPointer<QWidget>> DisableOtherWindows(QWidget* except);
void ReenableWindows(const std::vector<QPointer<QWidget>>& windows);

// Sizes a window to what its layouts ask for, even before it was shown.
void FitToContents(QWidget* widget);

// The main-window title, or the program's title before there is a main window.
QString MessageTitle();

// Menus.
void BuildMenuBar(WindowRecord* main, int number);
void ForgetMenus();

// Drawing state reset between tests.
void ResetDrawing();
// Makes the window's surface current around a Paint event.
void PaintWindowSurface(WindowRecord* record);

// Dialog bookkeeping reset between tests.
void ResetDialogs();
// Renders an SVG resource into an image of its natural size (or the given size).
QImage RenderSvgResource(const QString& path, QSize size = QSize());

// Mouse and key state kept from the events seen.
void NoteKey(int virtualKey, bool down);
int VirtualKeyOf(int qtKey);
