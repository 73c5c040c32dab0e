// The message loop, idle, top-level windows and their event translation.

#include "shell/platform/PlatformInternal.h"
#include "shell/platform/Widgets.h"

#include <QAbstractEventDispatcher>
#include <QApplication>

#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFont>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>
#include <QUrl>
#include <QWindowStateChangeEvent>
#include <clocale>

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

EventHandler gAppHandler = nullptr;
QApplication* gApp = nullptr;
std::vector<std::string> gArguments;
QTimer* gIdleTimer = nullptr;
int gIdleInterval = -1;
int gIdleBlock = 0;
bool gQuitRequested = false;
// Whether RunApplication's loop is running. Qt remembers an exit asked for
// while no loop runs and then ends every later loop at once (modal dialogs,
// message boxes), so the loop is only ever ended from inside it.
bool gLoopRunning = false;
QPointer<QWidget> gMainWidget;
WindowRecord* gMainRecord = nullptr;
std::vector<WindowRecord*> gRecords;
std::set<int> gKeysDown;
std::set<int> gKeysPressed;
QPointer<QWidget> gCaptureWidget;

const char* kNoDisplayMessage =
    "Norvane needs a graphical display: run it in a desktop session, or under "
    "xvfb-run (xvfb-run -s \"-screen 0 1600x1000x24\" build/bin/norvane).";

// Qt ends the process with abort() when it cannot reach a display; turn that
// into a clear message and an ordinary exit status instead of a core dump.
void MessageFilter(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        if (message.contains("display", Qt::CaseInsensitive) ||
            message.contains("platform plugin", Qt::CaseInsensitive)) {
            std::fprintf(stderr, "%s\n", kNoDisplayMessage);
        } else {
            std::fprintf(stderr, "Norvane: %s\n", message.toLocal8Bit().constData());
        }
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (type == QtCriticalMsg)
        std::fprintf(stderr, "Norvane: %s\n", message.toLocal8Bit().constData());
}

void IdleTick() {
    if (gIdleBlock > 0 || gAppHandler == nullptr) return;
    gAppHandler(Idle, nullptr, 0, 0);
}

void ApplyIdleInterval() {
    if (gIdleTimer == nullptr) return;
    if (gIdleInterval < 0) {
        gIdleTimer->stop();
    } else {
        gIdleTimer->setInterval(gIdleInterval);
        if (!gIdleTimer->isActive()) gIdleTimer->start();
    }
}

// Watches application-wide happenings: foreground changes and the key state.
class AppWatcher : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (!key->isAutoRepeat())
                NoteKey(VirtualKeyOf(key->key()), event->type() == QEvent::KeyPress);
        }
        return QObject::eventFilter(object, event);
    }
};

void OnApplicationState(Qt::ApplicationState state) {
    static bool active = false;
    bool nowActive = state == Qt::ApplicationActive;
    if (nowActive == active) return;
    active = nowActive;
    SendAppEvent(nowActive ? AppActivated : AppDeactivated);
}

} // namespace

// ---------------------------------------------------------------------------
// Application object

void InitPlatform(int argc, char** argv) {
    if (gApp != nullptr) return;
    qInstallMessageHandler(MessageFilter);
    static int sArgc = 1;
    static char sName[] = "norvane";
    static char* sArgv[] = {sName, nullptr};
    if (argc > 0 && argv != nullptr) {
        sArgc = argc;
        gArguments.assign(argv + 1, argv + argc);
        gApp = new QApplication(sArgc, argv);
    } else {
        gApp = new QApplication(sArgc, sArgv);
    }
    // Qt takes the locale from the environment; every file format of the
    // program writes and reads numbers with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    gApp->setQuitOnLastWindowClosed(false);
    gApp->setApplicationName("Norvane");
    // The Windows font names settings files carry, resolved to metric-compatible faces.
    QFont::insertSubstitution("Arial", "Liberation Sans");
    QFont::insertSubstitution("Helvetica", "Liberation Sans");
    QFont::insertSubstitution("Times New Roman", "Liberation Serif");
    QFont::insertSubstitution("Courier New", "Liberation Mono");
    gApp->installEventFilter(new AppWatcher);
    QObject::connect(gApp, &QGuiApplication::applicationStateChanged, gApp, OnApplicationState);
    gIdleTimer = new QTimer(gApp);
    QObject::connect(gIdleTimer, &QTimer::timeout, IdleTick);
    ApplyIdleInterval();
}

void ResetPlatform() {
    ResetDialogs();
    ResetDrawing();
    for (WindowRecord* record : std::vector<WindowRecord*>(gRecords))
        DestroyWindow(record);
    ForgetMenus();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    gMainWidget = nullptr;
    gMainRecord = nullptr;
    gIdleBlock = 0;
    gQuitRequested = false;
    gKeysDown.clear();
    gKeysPressed.clear();
    SetIdleInterval(-1);
    SetMessagesEnabled(true);
    SetMessageResponder(nullptr);
    ClearRecordedMessages();
    ClearDialogResponders();
    SetFileDialogResponder(nullptr);
    SetColorChooserResponder(nullptr);
    SetFontChooserResponder(nullptr);
    SetAskResponder(nullptr);
    SetFakeScreenDepth(0);
    ClearFileFaultsForTest();
    gAppHandler = nullptr;
}

// ---------------------------------------------------------------------------
// Loop

void SetApplicationHandler(EventHandler handler) {
    gAppHandler = handler;
}

long SendAppEvent(int event, long arg1, long arg2) {
    if (gAppHandler == nullptr) return 1;
    return gAppHandler(event, nullptr, arg1, arg2);
}

int RunApplication(EventHandler handler) {
    if (gApp == nullptr) InitPlatform(0, nullptr);
    gAppHandler = handler;
    gQuitRequested = false;
    SendAppEvent(Startup);
    if (gQuitRequested) return 0;
    // Documents named on the command line (a desktop "open with") arrive
    // once the program is running.
    for (const std::string& argument : gArguments) {
        if (!argument.empty() && argument[0] != '-') {
            std::string path = argument;
            SendAppEvent(OpenDocument, reinterpret_cast<long>(path.c_str()));
        }
    }
    if (gQuitRequested) return 0;
    gLoopRunning = true;
    int status = QApplication::exec();
    gLoopRunning = false;
    return status;
}

void PumpMessages() {
    IdleBlocker block;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool MessagesPending() {
    // Qt keeps no public count of waiting events; on Linux its dispatcher is
    // GLib's main context, which knows whether any source (the display
    // connection, posted events, timers) is ready.
    using PendingFn = int (*)(void*);
    static PendingFn pending =
        reinterpret_cast<PendingFn>(dlsym(RTLD_DEFAULT, "g_main_context_pending"));
    auto* dispatcher = QAbstractEventDispatcher::instance();
    if (pending != nullptr && dispatcher != nullptr && dispatcher->inherits("QEventDispatcherGlib"))
        return pending(nullptr) != 0;
    return false;
}

void RequestQuit() {
    gQuitRequested = true;
    if (gMainWidget != nullptr) {
        gMainWidget->close();
        return;
    }
    if (gLoopRunning) QCoreApplication::exit(0);
}

void SetIdleInterval(int milliseconds) {
    gIdleInterval = milliseconds < 0 ? -1 : milliseconds;
    ApplyIdleInterval();
}

int IdleInterval() {
    return gIdleInterval;
}

bool ModalLoopRunning() {
    return gIdleBlock > 0;
}

IdleBlocker::IdleBlocker() {
    ++gIdleBlock;
}
IdleBlocker::~IdleBlocker() {
    --gIdleBlock;
}

// ---------------------------------------------------------------------------
// Window records

WindowRecord* NewWindowRecord(QWidget* widget, EventHandler handler, long parameter, int number) {
    auto* record = new WindowRecord;
    record->widget = widget;
    record->handler = handler;
    record->parameter = parameter;
    record->number = number;
    widget->setProperty("norvaneRecord", QVariant::fromValue<void*>(record));
    gRecords.push_back(record);
    return record;
}

WindowRecord* RecordOf(QWidget* widget) {
    while (widget != nullptr) {
        QVariant v = widget->property("norvaneRecord");
        if (v.isValid()) {
            auto* record = static_cast<WindowRecord*>(v.value<void*>());
            for (WindowRecord* known : gRecords)
                if (known == record) return record;
            return nullptr;
        }
        widget = widget->parentWidget();
    }
    return nullptr;
}

long DeliverWindowEvent(WindowRecord* record, int event, long arg1, long arg2) {
    if (record == nullptr || record->destroyed || record->handler == nullptr) return 1;
    return record->handler(event, record, arg1, arg2);
}

long SendWindowEvent(WindowRef window, int event, long arg1, long arg2) {
    return DeliverWindowEvent(window, event, arg1, arg2);
}

EventHandler WindowHandler(WindowRef window) {
    return window ? window->handler : nullptr;
}
long WindowParameter(WindowRef window) {
    return window ? window->parameter : 0;
}
void SetWindowFlags(WindowRef window, int flags) {
    if (window) window->flags = flags;
}

WindowRef MainWindow() {
    return gMainRecord;
}

QString MessageTitle() {
    if (gMainWidget != nullptr) return gMainWidget->windowTitle();
    return ToQString(LoadString(268));
}

// ---------------------------------------------------------------------------
// Top-level event filter: activation, window state and closing.

bool TopLevelFilter::eventFilter(QObject* object, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr || !widget->isWindow()) return false;
    WindowRecord* record = RecordOf(widget);
    if (record == nullptr) return false;
    switch (event->type()) {
    case QEvent::ActivationChange:
        if (widget->isActiveWindow()) {
            if (record->canvas) record->canvas->setFocus();
            DeliverWindowEvent(record, Activate, 0, 0);
        } else {
            DeliverWindowEvent(record, Deactivate, 0, 0);
        }
        break;
    case QEvent::WindowStateChange: {
        auto* change = static_cast<QWindowStateChangeEvent*>(event);
        Qt::WindowStates now = widget->windowState();
        if ((now & Qt::WindowMinimized) && !(change->oldState() & Qt::WindowMinimized))
            DeliverWindowEvent(record, Minimize, 0, 0);
        else if ((now & Qt::WindowMaximized) && !(change->oldState() & Qt::WindowMaximized))
            DeliverWindowEvent(record, Maximize, 0, 0);
        else if (!(now & (Qt::WindowMinimized | Qt::WindowMaximized)) &&
                 (change->oldState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
            DeliverWindowEvent(record, Restore, 0, 0);
        break;
    }
    case QEvent::Close: {
        auto* close = static_cast<QCloseEvent*>(event);
        if (record == gMainRecord) {
            if (SendAppEvent(Quit) == 0) {
                gQuitRequested = false;
                close->ignore();
                return true;
            }
            close->accept();
            gQuitRequested = true;
            if (gLoopRunning) QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
            return false;
        }
        close->ignore();
        if (record->isModal)
            DeliverWindowEvent(record, ControlNotify, kCancelButton, NotifyClicked);
        else
            DeliverWindowEvent(record, CloseRequest, 0, 0);
        return true;
    }
    default:
        break;
    }
    return false;
}

TopLevelFilter* TopLevelFilter::instance() {
    static auto* filter = new TopLevelFilter;
    return filter;
}

// ---------------------------------------------------------------------------
// Main window and its client canvas

CanvasWidget::CanvasWidget(WindowRecord* record, QWidget* parent)
    : QWidget(parent), record_(record) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAcceptDrops(true);
}

void CanvasWidget::invalidate() {
    needsPaint_ = true;
    update();
}

void CanvasWidget::ensureBacking() {
    // On a high-resolution screen the backing store has the screen's own
    // pixels; drawing on it still counts in the window's units.
    qreal ratio = devicePixelRatioF();
    QSize wanted = (QSizeF(size().expandedTo(QSize(1, 1))) * ratio).toSize();
    if (backing_.size() != wanted || backing_.devicePixelRatio() != ratio) {
        backing_ = QImage(wanted, QImage::Format_RGB32);
        backing_.setDevicePixelRatio(ratio);
        backing_.fill(Qt::white);
        needsPaint_ = true;
    }
    record_->surface.kind = SurfaceRecord::WindowKind;
    record_->surface.image = &backing_;
    record_->surface.window = record_;
}

void CanvasWidget::paintNow() {
    ensureBacking();
    if (needsPaint_) {
        needsPaint_ = false;
        if (record_->flags & kWindowEraseBackground)
            backing_.fill(palette().color(QPalette::Window));
        PaintWindowSurface(record_);
    }
}

void CanvasWidget::paintEvent(QPaintEvent*) {
    paintNow();
    QPainter painter(this);
    painter.drawImage(0, 0, backing_);
}

void CanvasWidget::resizeEvent(QResizeEvent*) {
    ensureBacking();
    QWidget* top = window();
    if (!(top->windowState() & Qt::WindowMinimized))
        DeliverWindowEvent(record_, Resize, width(), height());
}

namespace {
bool MayReceiveMoves(QWidget* widget) {
    return gCaptureWidget == widget || widget->window()->isActiveWindow() ||
           QGuiApplication::platformName() == "offscreen";
}
} // namespace

void CanvasWidget::mousePressEvent(QMouseEvent* e) {
    DeliverWindowEvent(record_, MouseDown, e->position().toPoint().x(),
                       e->position().toPoint().y());
}
void CanvasWidget::mouseReleaseEvent(QMouseEvent* e) {
    DeliverWindowEvent(record_, MouseUp, e->position().toPoint().x(), e->position().toPoint().y());
}
void CanvasWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    DeliverWindowEvent(record_, DoubleClick, e->position().toPoint().x(),
                       e->position().toPoint().y());
}
void CanvasWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!MayReceiveMoves(this)) return;
    int event = e->buttons() != Qt::NoButton ? MouseDrag : MouseMove;
    DeliverWindowEvent(record_, event, e->position().toPoint().x(), e->position().toPoint().y());
}
void CanvasWidget::wheelEvent(QWheelEvent* e) {
    // Touchpads and fine wheels send fractions of a notch; the window adds them up.
    int turn = e->angleDelta().y();
    if (turn == 0) return;
    NoteKey(VKControl, (e->modifiers() & Qt::ControlModifier) != 0);
    QPoint p = e->position().toPoint();
    DeliverWindowEvent(record_, MouseWheel, turn, PackPoint(p.x(), p.y()));
    e->accept();
}
void CanvasWidget::keyPressEvent(QKeyEvent* e) {
    int vk = VirtualKeyOf(e->key());
    if (vk != 0) DeliverWindowEvent(record_, KeyDown, vk, 0);
    QString text = e->text();
    if (!text.isEmpty() && text[0].isPrint()) {
        std::string c = FromQString(text.left(1));
        DeliverWindowEvent(record_, KeyDown, 0, static_cast<unsigned char>(c[0]));
    }
}
void CanvasWidget::keyReleaseEvent(QKeyEvent* e) {
    if (e->isAutoRepeat()) return;
    int vk = VirtualKeyOf(e->key());
    if (vk != 0) DeliverWindowEvent(record_, KeyUp, vk, 0);
}

void CanvasWidget::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void CanvasWidget::dropEvent(QDropEvent* e) {
    for (const QUrl& url : e->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        std::string path = url.toLocalFile().toStdString();
        SendAppEvent(OpenDocument, reinterpret_cast<long>(path.c_str()));
    }
    e->acceptProposedAction();
}

WindowRef CreateMainWindow(int classNumber, const std::string& title, int x, int y, int width,
                           int height, bool visible, int style, long parameter,
                           EventHandler handler) {
    if (gApp == nullptr) InitPlatform(0, nullptr);
    auto* frame = new QMainWindow;
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    Qt::WindowFlags flags = Qt::Window;
    if (style & StyleToolWindow) flags |= Qt::Tool;
    if (style & StyleCaption) flags |= Qt::WindowTitleHint;
    if (style & StyleSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (style & StyleMaximiseBox) flags |= Qt::WindowMaximizeButtonHint;
    if (style & StyleMinimiseBox) flags |= Qt::WindowMinimizeButtonHint;
    frame->setWindowFlags(flags | Qt::CustomizeWindowHint);
    frame->setWindowTitle(ToQString(title));
    QImage icon = RenderSvgResource(QString(":/icons/%1.svg").arg(classNumber), QSize(64, 64));
    if (!icon.isNull()) frame->setWindowIcon(QIcon(QPixmap::fromImage(icon)));
    WindowRecord* record = NewWindowRecord(frame, handler, parameter, classNumber);
    auto* canvas = new CanvasWidget(record, frame);
    record->canvas = canvas;
    frame->setCentralWidget(canvas);
    frame->installEventFilter(TopLevelFilter::instance());
    if (width > 0 && height > 0) frame->setGeometry(x, y, width, height);
    if (gMainWidget == nullptr) {
        gMainWidget = frame;
        gMainRecord = record;
    }
    DeliverWindowEvent(record, Create, classNumber, parameter);
    if (visible) frame->show();
    return record;
}

bool SetMainMenu(int number) {
    if (gMainRecord == nullptr) return false;
    BuildMenuBar(gMainRecord, number);
    return true;
}

// ---------------------------------------------------------------------------
// Scroll bars

bool CreateScrollBar(WindowRef window, int control, const Rect& rect, bool visible, int position,
                     int minimum, int maximum) {
    if (window == nullptr) return false;
    QWidget* parent =
        window->canvas ? static_cast<QWidget*>(window->canvas) : window->widget.data();
    if (parent == nullptr) return false;
    Qt::Orientation orientation = rect.height() >= rect.width() ? Qt::Vertical : Qt::Horizontal;
    auto* bar = new QScrollBar(orientation, parent);
    bar->setObjectName(QString("c%1").arg(control));
    bar->setRange(minimum, maximum);
    bar->setValue(position);
    bar->setGeometry(rect.left, rect.top, rect.width(), rect.height());
    bar->setFocusPolicy(Qt::NoFocus);
    window->controls[control] = bar;
    ConnectControl(window, control, bar);
    bar->setVisible(visible);
    return true;
}

ScrollAreas GetScrollAreas(WindowRef window) {
    ScrollAreas areas;
    Rect client = GetClientRect(window);
    int thickness = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    areas.vertical = {client.right - thickness, 0, client.right, client.bottom - thickness};
    areas.horizontal = {0, client.bottom - thickness, client.right - thickness, client.bottom};
    areas.client = {0, 0, client.right - thickness, client.bottom - thickness};
    return areas;
}

void ShowScrollBars(WindowRef window, bool on) {
    if (window == nullptr) return;
    for (auto& [number, control] : window->controls)
        if (auto* bar = qobject_cast<QScrollBar*>(control.data())) bar->setVisible(on);
}

// ---------------------------------------------------------------------------
// Window operations

void ShowWindow(WindowRef window) {
    if (window && window->widget) window->widget->show();
}

void HideWindow(WindowRef window) {
    if (window && window->widget) window->widget->hide();
}

void MaximiseWindow(WindowRef window) {
    if (window == nullptr || window->widget == nullptr) return;
    // Without a window manager (a bare X server) nobody acts on the maximised
    // state, so the window is also given the whole screen by hand.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window->widget->setGeometry(screen->availableGeometry());
    window->widget->showMaximized();
}

bool IsWindowVisible(WindowRef window) {
    return window && window->widget && window->widget->isVisible();
}

bool IsMinimised(WindowRef window) {
    return window && window->widget && window->widget->isMinimized();
}

void DestroyWindow(WindowRef window) {
    if (window == nullptr) return;
    auto it = std::find(gRecords.begin(), gRecords.end(), window);
    if (it == gRecords.end()) return;
    gRecords.erase(it);
    window->destroyed = true;
    if (window == gMainRecord) {
        gMainRecord = nullptr;
        gMainWidget = nullptr;
        ForgetMenus();
    }
    if (window->widget) {
        window->widget->removeEventFilter(TopLevelFilter::instance());
        window->widget->hide();
        window->widget->deleteLater();
    }
    delete window;
}

bool WindowExists(WindowRef window) {
    return window != nullptr &&
           std::find(gRecords.begin(), gRecords.end(), window) != gRecords.end();
}

void InvalidateWindow(WindowRef window) {
    if (window == nullptr) return;
    if (window->canvas)
        window->canvas->invalidate();
    else if (window->widget)
        window->widget->update();
}

void UpdateWindow(WindowRef window) {
    if (window == nullptr) return;
    if (window->canvas) {
        window->canvas->paintNow();
        window->canvas->repaint();
    } else if (window->widget) {
        window->widget->repaint();
    }
}

Rect GetClientRect(WindowRef window) {
    if (window == nullptr) return {};
    QWidget* client =
        window->canvas ? static_cast<QWidget*>(window->canvas) : window->widget.data();
    if (client == nullptr) return {};
    return {0, 0, client->width(), client->height()};
}

std::string GetWindowTitle(WindowRef window) {
    if (window == nullptr || window->widget == nullptr) return {};
    return FromQString(window->widget->windowTitle());
}

void SetWindowTitle(WindowRef window, const std::string& title) {
    if (window && window->widget) window->widget->setWindowTitle(ToQString(title));
}

void BringToFront(WindowRef window) {
    if (window == nullptr || window->widget == nullptr) return;
    window->widget->show();
    window->widget->raise();
    window->widget->activateWindow();
}

void FitToContents(QWidget* widget) {
    // Layouts of a window never shown are not yet worked out; settle them
    // from the inside out before asking for the window's size.
    widget->ensurePolished();
    QList<QLayout*> layouts = widget->findChildren<QLayout*>();
    for (auto it = layouts.rbegin(); it != layouts.rend(); ++it) {
        (*it)->invalidate();
        (*it)->activate();
    }
    if (widget->layout() != nullptr) widget->layout()->activate();
    widget->adjustSize();
}

void CenterOnParent(WindowRef window) {
    if (window == nullptr || window->widget == nullptr) return;
    QWidget* widget = window->widget;
    FitToContents(widget);
    QRect area;
    if (gMainWidget != nullptr && gMainWidget != widget && gMainWidget->isVisible())
        area = gMainWidget->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    QRect frame = widget->frameGeometry();
    QPoint topLeft = area.center() - QPoint(frame.width() / 2, frame.height() / 2);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect screenArea = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), screenArea.left(),
                                std::max(screenArea.left(), screenArea.right() - frame.width())));
        topLeft.setY(std::clamp(topLeft.y(), screenArea.top(),
                                std::max(screenArea.top(), screenArea.bottom() - frame.height())));
    }
    widget->move(topLeft);
}

void PlaceAtTopRight(WindowRef window) {
    if (window == nullptr || window->widget == nullptr) return;
    QWidget* widget = window->widget;
    FitToContents(widget);
    constexpr int kMargin = 24;
    QRect area;
    if (gMainRecord != nullptr && gMainRecord->canvas != nullptr && gMainWidget != widget)
        area = QRect(gMainRecord->canvas->mapToGlobal(QPoint(0, 0)), gMainRecord->canvas->size());
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    QRect frame = widget->frameGeometry();
    QPoint topLeft(area.right() - frame.width() - kMargin, area.top() + kMargin);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect screenArea = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), screenArea.left(),
                                std::max(screenArea.left(), screenArea.right() - frame.width())));
        topLeft.setY(std::clamp(topLeft.y(), screenArea.top(),
                                std::max(screenArea.top(), screenArea.bottom() - frame.height())));
    }
    widget->move(topLeft);
}

WindowRef ActiveWindow() {
    QWidget* active = QApplication::activeWindow();
    if (active != nullptr)
        if (WindowRecord* record = RecordOf(active)) return record;
    return nullptr;
}

std::vector<QPointer<QWidget>> DisableOtherWindows(QWidget* except) {
    std::vector<QPointer<QWidget>> disabled;
    for (WindowRecord* record : gRecords) {
        QWidget* widget = record->widget;
        if (widget == nullptr || widget == except || !widget->isEnabled()) continue;
        widget->setEnabled(false);
        disabled.emplace_back(widget);
    }
    // Disabling a window disables the windows it owns, and a dialog is owned
    // by the main window: the window being run must stay usable.
    if (except != nullptr && !except->isEnabled()) except->setEnabled(true);
    return disabled;
}

void ReenableWindows(const std::vector<QPointer<QWidget>>& windows) {
    for (const QPointer<QWidget>& widget : windows)
        if (widget != nullptr) widget->setEnabled(true);
}

// ---------------------------------------------------------------------------
// Menu commands

void DispatchMenuCommand(int menu, int item) {
    WindowRecord* target = ActiveWindow();
    if (target == nullptr) target = gMainRecord;
    if (target != nullptr && DeliverWindowEvent(target, MenuCommand, menu, item) == 0) return;
    SendAppEvent(MenuCommand, menu, item);
}

// ---------------------------------------------------------------------------
// Input state and time

void NoteKey(int virtualKey, bool down) {
    if (virtualKey == 0) return;
    if (down) {
        gKeysDown.insert(virtualKey);
        gKeysPressed.insert(virtualKey);
    } else
        gKeysDown.erase(virtualKey);
}

int VirtualKeyOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VKF1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return VKBackspace;
    case Qt::Key_Tab:
        return VKTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VKReturn;
    case Qt::Key_Shift:
        return VKShift;
    case Qt::Key_Control:
        return VKControl;
    case Qt::Key_Alt:
        return VKAlt;
    case Qt::Key_Escape:
        return VKEscape;
    case Qt::Key_Space:
        return VKSpace;
    case Qt::Key_PageUp:
        return VKPageUp;
    case Qt::Key_PageDown:
        return VKPageDown;
    case Qt::Key_End:
        return VKEnd;
    case Qt::Key_Home:
        return VKHome;
    case Qt::Key_Left:
        return VKLeft;
    case Qt::Key_Up:
        return VKUp;
    case Qt::Key_Right:
        return VKRight;
    case Qt::Key_Down:
        return VKDown;
    case Qt::Key_Insert:
        return VKInsert;
    case Qt::Key_Delete:
        return VKDelete;
    default:
        return 0;
    }
}

bool IsKeyDown(int virtualKey) {
    Qt::KeyboardModifiers modifiers = QGuiApplication::queryKeyboardModifiers();
    switch (virtualKey) {
    case VKShift:
        return modifiers & Qt::ShiftModifier;
    case VKControl:
        return modifiers & Qt::ControlModifier;
    case VKAlt:
        return modifiers & Qt::AltModifier;
    default:
        return gKeysDown.count(virtualKey) != 0;
    }
}

bool TakeKeyPress(int virtualKey) {
    return gKeysPressed.erase(virtualKey) != 0;
}

bool IsMouseButtonDown(bool left, bool right) {
    Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    bool down = false;
    if (left) down = down || (buttons & Qt::LeftButton);
    if (right) down = down || (buttons & Qt::RightButton);
    if (!left && !right) down = buttons != Qt::NoButton;
    return down;
}

Point CursorPosition(WindowRef window) {
    QPoint global = QCursor::pos();
    if (window == nullptr) return {global.x(), global.y()};
    QWidget* client =
        window->canvas ? static_cast<QWidget*>(window->canvas) : window->widget.data();
    if (client == nullptr) return {global.x(), global.y()};
    QPoint local = client->mapFromGlobal(global);
    return {local.x(), local.y()};
}

void CaptureMouse(WindowRef window) {
    if (window == nullptr) return;
    QWidget* client =
        window->canvas ? static_cast<QWidget*>(window->canvas) : window->widget.data();
    if (client == nullptr) return;
    gCaptureWidget = client;
    client->grabMouse();
}

void ReleaseMouse() {
    if (gCaptureWidget != nullptr) gCaptureWidget->releaseMouse();
    gCaptureWidget = nullptr;
}

void SetArrowCursor() {
    while (QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
}

void SetWaitCursor() {
    if (QApplication::overrideCursor() == nullptr) QApplication::setOverrideCursor(Qt::WaitCursor);
}

long TickCount() {
    using namespace std::chrono;
    return static_cast<long>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

long DoubleClickTime() {
    return gApp != nullptr ? QApplication::doubleClickInterval() : 400;
}

void Wait(long milliseconds) {
    long start = TickCount();
    IdleBlocker block;
    while (TickCount() - start < milliseconds) {
        if (gApp != nullptr)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        QThread::msleep(5);
    }
}
