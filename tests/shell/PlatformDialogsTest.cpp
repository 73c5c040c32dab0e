// Dialogs from templates: control access, notifications, modal runs (scripted,
// nested, cancelled), the prompt box, idle suppression and the progress box.

#include "shell/Platform.h"
#include "shell/platform/PlatformInternal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kAboutTemplateNumber = 256;
constexpr int kMissingTemplate = 9999;
constexpr int kAskPrompt = 3, kAskEdit = 4;
constexpr int kProgressText = 1, kProgressBar = 3;

struct Notice {
    int event;
    long control, code;
    bool operator==(const Notice&) const = default;
};
std::vector<Notice> gNotices;
int gIdles = 0;

// Records every event; ends a modal run with 100 + the control that was clicked.
long RecordingHandler(int event, WindowRef, long a, long b) {
    gNotices.push_back({event, a, b});
    if (event == ControlNotify && b == NotifyClicked) EndDialogResult(100 + a);
    return 1;
}

// Records, never ends anything.
long PassiveHandler(int event, WindowRef, long a, long b) {
    gNotices.push_back({event, a, b});
    return 1;
}

long CountIdle(int event, WindowRef, long, long) {
    if (event == Idle) ++gIdles;
    return 1;
}

long QuietHandler(int, WindowRef, long, long) { return 1; }

std::vector<Notice> ControlNotices() {
    std::vector<Notice> out;
    for (const Notice& n : gNotices)
        if (n.event == ControlNotify) out.push_back(n);
    return out;
}

QWidget* Widget(WindowRef window) { return window != nullptr ? window->widget.data() : nullptr; }

void SendKey(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

void Pump(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

class PlatformDialogs : public testing::Test {
protected:
    void SetUp() override {
        gNotices.clear();
        gIdles = 0;
    }
    void TearDown() override { ResetPlatform(); }
    WindowRef MakeMain() {
        return CreateMainWindow(100, "Sky Chart", 0, 0, 320, 240, true, StyleCaption, 0,
                                QuietHandler);
    }
};

TEST_F(PlatformDialogs, MissingTemplateGivesCancel) {
    EXPECT_FALSE(DialogTemplateExists(kMissingTemplate));
    EXPECT_TRUE(DialogTemplateExists(kProgressTemplate));
    EXPECT_TRUE(DialogTemplateExists(kAskBoxTemplate));
    EXPECT_EQ(CreateDialogWindow(kMissingTemplate, 0, RecordingHandler), nullptr);
    EXPECT_EQ(RunDialog(kMissingTemplate, 0, RecordingHandler), 0) << "callers read 0 as Cancel";
    EXPECT_TRUE(gNotices.empty()) << "no handler call for a dialog that was never made";
    EXPECT_FALSE(ModalLoopRunning());
    EXPECT_EQ(ModalDialog(), nullptr);
}

TEST_F(PlatformDialogs, TemplatesNameTheirControlsByNumber) {
    struct Expect {
        int number;
        std::vector<int> controls;
    };
    for (const Expect& e : {Expect{kProgressTemplate, {1, 2, 3}},
                            Expect{kAboutTemplateNumber, {1, 2, 3}},
                            Expect{kAskBoxTemplate, {1, 2, 3, 4}}}) {
        gNotices.clear();
        WindowRef dialog = CreateDialogWindow(e.number, 77, PassiveHandler);
        ASSERT_NE(dialog, nullptr) << "template " << e.number;
        for (int control : e.controls)
            EXPECT_TRUE(ItemExists(dialog, control)) << "template " << e.number << " control "
                                                     << control;
        EXPECT_FALSE(ItemExists(dialog, 99)) << "template " << e.number;
        ASSERT_FALSE(gNotices.empty());
        EXPECT_EQ(gNotices.front(), (Notice{Create, e.number, 77})) << "Create(template, parameter)";
        EXPECT_EQ(WindowParameter(dialog), 77);
        DestroyWindow(dialog);
    }
}

TEST_F(PlatformDialogs, ControlTextRoundTripsAndNotifies) {
    WindowRef dialog = CreateDialogWindow(kAskBoxTemplate, 0, PassiveHandler);
    ASSERT_NE(dialog, nullptr);
    gNotices.clear();

    const std::string degrees = "Field 45\xB0 wide, 0.5\xB5m, \x80 5";
    for (int control : {kAskPrompt, kAskEdit}) {
        SetItemText(dialog, control, degrees);
        EXPECT_EQ(GetItemText(dialog, control), degrees) << "Windows-1252 bytes, control "
                                                         << control;
    }
    std::string everyByte;
    for (int c = 0x20; c <= 0xFF; ++c) everyByte.push_back(static_cast<char>(c));
    SetItemText(dialog, kAskEdit, everyByte.substr(0, 200));
    EXPECT_EQ(GetItemText(dialog, kAskEdit), everyByte.substr(0, 200));
    SetItemText(dialog, kAskEdit, everyByte.substr(200));
    EXPECT_EQ(GetItemText(dialog, kAskEdit), everyByte.substr(200));

    std::string longText(300, 'x');
    longText[254] = 'A';
    longText[255] = 'B';
    for (int control : {kAskPrompt, kAskEdit}) {
        SetItemText(dialog, control, longText);
        std::string back = GetItemText(dialog, control);
        EXPECT_EQ(back.size(), 255u) << "at most 255 characters, control " << control;
        EXPECT_EQ(back.back(), 'A');
    }
    EXPECT_TRUE(ControlNotices().empty()) << "SetItemText raises no edit-change notification";

    // A person typing into the edit does raise one.
    SetItemText(dialog, kAskEdit, "");
    QWidget* edit = ControlOf(dialog, kAskEdit);
    ASSERT_NE(edit, nullptr);
    SendKey(edit, Qt::Key_M, "M");
    EXPECT_EQ(GetItemText(dialog, kAskEdit), "M");
    std::vector<Notice> notices = ControlNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (Notice{ControlNotify, kAskEdit, NotifyEditChanged}));
    EXPECT_EQ(GetItemText(dialog, 42), "") << "no such control";
    DestroyWindow(dialog);
}

TEST_F(PlatformDialogs, ButtonClicksAndDoubleClicks) {
    WindowRef dialog = CreateDialogWindow(kAskBoxTemplate, 0, PassiveHandler);
    ASSERT_NE(dialog, nullptr);
    auto* ok = qobject_cast<QAbstractButton*>(ControlOf(dialog, kOKButton));
    auto* cancel = qobject_cast<QAbstractButton*>(ControlOf(dialog, kCancelButton));
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(cancel, nullptr);
    gNotices.clear();

    long start = TickCount();
    ok->click();
    ok->click();  // the tail of a double click
    long elapsed = TickCount() - start;
    std::vector<Notice> notices = ControlNotices();
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices[0], (Notice{ControlNotify, kOKButton, NotifyClicked}));
    if (elapsed < DoubleClickTime()) {
        EXPECT_EQ(notices.size(), 1u) << "second click within the double-click time is dropped";
    }

    gNotices.clear();
    cancel->click();
    ok->click();
    notices = ControlNotices();
    ASSERT_EQ(notices.size(), 2u) << "clicks on different buttons both count";
    EXPECT_EQ(notices[0].control, kCancelButton);
    EXPECT_EQ(notices[1].control, kOKButton);

    gNotices.clear();
    QPointF centre(ok->width() / 2.0, ok->height() / 2.0);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, centre, ok->mapToGlobal(centre), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(ok, &dbl);
    notices = ControlNotices();
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back(), (Notice{ControlNotify, kOKButton, NotifyDoubleClicked}));
    DestroyWindow(dialog);
}

TEST_F(PlatformDialogs, ScriptedModalRun) {
    WindowRef seen = nullptr;
    SetDialogResponder(
        kAboutTemplateNumber,
        [&](WindowRef dialog) {
            seen = dialog;
            EXPECT_EQ(ModalDialog(), dialog);
            EXPECT_TRUE(ModalLoopRunning());
            SetItemText(dialog, 3, "Version 9");
        },
        kOKButton);
    EXPECT_EQ(RunDialog(kAboutTemplateNumber, 5, RecordingHandler), 100 + kOKButton)
        << "RunDialog returns what the handler ended it with";
    EXPECT_NE(seen, nullptr);
    ASSERT_FALSE(gNotices.empty());
    EXPECT_EQ(gNotices.front().event, Create) << "Create comes before the responder";
    EXPECT_EQ(ModalDialog(), nullptr);
    EXPECT_FALSE(ModalLoopRunning());

    // A responder that does not end the dialog makes the run end with 0.
    gNotices.clear();
    SetDialogResponder(kAboutTemplateNumber, [](WindowRef) {}, 0);
    EXPECT_EQ(RunDialog(kAboutTemplateNumber, 0, PassiveHandler), 0);
    SetDialogResponder(kAboutTemplateNumber, [](WindowRef) {}, kOKButton);
    EXPECT_EQ(RunDialog(kAboutTemplateNumber, 0, PassiveHandler), 0)
        << "a click the handler ignores does not keep the run waiting";
    EXPECT_EQ(ModalDialog(), nullptr);
}

long EndAtCreate(int event, WindowRef, long, long) {
    if (event == Create) EndDialogResult(9);
    return 1;
}

TEST_F(PlatformDialogs, DialogEndedDuringCreate) {
    SetDialogResponder(kAboutTemplateNumber, [](WindowRef) {}, 0);
    EXPECT_EQ(RunDialog(kAboutTemplateNumber, 0, EndAtCreate), 9)
        << "a handler may end its dialog before it is shown";

    // Inside another modal run, it ends itself, not the outer dialog.
    long inner = -1;
    SetDialogResponder(
        kProgressTemplate,
        [&](WindowRef) {
            inner = RunDialog(kAboutTemplateNumber, 0, EndAtCreate);
            EXPECT_NE(ModalDialog(), nullptr) << "the outer run goes on";
        },
        kCancelButton);
    EXPECT_EQ(RunDialog(kProgressTemplate, 0, RecordingHandler), 100 + kCancelButton);
    EXPECT_EQ(inner, 9);
}

TEST_F(PlatformDialogs, NestedRunsDisableAndReenableWindows) {
    WindowRef main = MakeMain();
    ASSERT_NE(main, nullptr);
    QWidget* mainWidget = Widget(main);
    long innerResult = -1;
    bool mainDisabledInside = false, outerDisabledInside = false, outerEnabledAfter = false;
    SetDialogResponder(kAskBoxTemplate, [](WindowRef) {}, kCancelButton);
    SetDialogResponder(
        kAboutTemplateNumber,
        [&](WindowRef outer) {
            mainDisabledInside = !mainWidget->isEnabled();
            SetDialogResponder(
                kProgressTemplate,
                [&](WindowRef) {
                    outerDisabledInside = !Widget(outer)->isEnabled();
                    EXPECT_TRUE(ModalLoopRunning());
                },
                kCancelButton);
            innerResult = RunDialog(kProgressTemplate, 0, RecordingHandler);
            outerEnabledAfter = Widget(outer)->isEnabled();
            EXPECT_EQ(ModalDialog(), outer) << "the outer dialog is modal again";
            EXPECT_FALSE(mainWidget->isEnabled()) << "main stays disabled until the outer ends";
        },
        kOKButton);
    EXPECT_EQ(RunDialog(kAboutTemplateNumber, 0, RecordingHandler), 100 + kOKButton);
    EXPECT_EQ(innerResult, 100 + kCancelButton);
    EXPECT_TRUE(mainDisabledInside) << "the main window is disabled during a modal run";
    EXPECT_TRUE(outerDisabledInside) << "the outer dialog is disabled while the inner runs";
    EXPECT_TRUE(outerEnabledAfter);
    EXPECT_TRUE(mainWidget->isEnabled()) << "the main window is enabled again afterwards";
    EXPECT_EQ(ModalDialog(), nullptr);
    EXPECT_FALSE(ModalLoopRunning());
}

TEST_F(PlatformDialogs, QuitOutsideTheLoopLeavesLaterModalRunsWorking) {
    // Closing the main window (File > Exit) and asking to quit with no main
    // window, both while no application loop runs, as tools and tests do.
    SetApplicationHandler(QuietHandler);
    WindowRef main = MakeMain();
    ASSERT_NE(main, nullptr);
    RequestQuit();
    QCoreApplication::processEvents();
    EXPECT_FALSE(IsWindowVisible(main)) << "the main window closed";
    DestroyWindow(main);
    RequestQuit();
    QCoreApplication::processEvents();

    // A dialog that waits for a person still waits.
    QTimer::singleShot(20, [] { EndDialogResult(7); });
    EXPECT_EQ(RunDialog(kAboutTemplateNumber, 0, PassiveHandler), 7)
        << "the modal loop ran until the dialog was ended";
}

TEST_F(PlatformDialogs, EscapeAndCloseActAsCancel) {
    SetDialogResponder(
        kAboutTemplateNumber,
        [](WindowRef dialog) { SendKey(Widget(dialog), Qt::Key_Escape); }, 0);
    EXPECT_EQ(RunDialog(kAboutTemplateNumber, 0, RecordingHandler), 100 + kCancelButton)
        << "Escape arrives as a click of control 2";
    std::vector<Notice> notices = ControlNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (Notice{ControlNotify, kCancelButton, NotifyClicked}));
    EXPECT_FALSE(IsKeyDown(VKEscape)) << "the key was released";

    gNotices.clear();
    SetDialogResponder(kAboutTemplateNumber, [](WindowRef dialog) { Widget(dialog)->close(); }, 0);
    EXPECT_EQ(RunDialog(kAboutTemplateNumber, 0, RecordingHandler), 100 + kCancelButton)
        << "the close box arrives as a click of control 2";
}

TEST_F(PlatformDialogs, AskThroughTheRealPromptBox) {
    WindowRef main = MakeMain();
    ASSERT_NE(main, nullptr);
    std::string shownPrompt, shownText, title;
    SetDialogResponder(
        kAskBoxTemplate,
        [&](WindowRef dialog) {
            shownPrompt = GetItemText(dialog, kAskPrompt);
            shownText = GetItemText(dialog, kAskEdit);
            title = GetWindowTitle(dialog);
            SetItemText(dialog, kAskEdit, "M 31");
        },
        kOKButton);
    std::string text = "Andromeda";
    EXPECT_EQ(Ask("Object name:", text), 1);
    EXPECT_EQ(text, "M 31") << "OK hands back the edited text";
    EXPECT_EQ(shownPrompt, "Object name:");
    EXPECT_EQ(shownText, "Andromeda") << "the edit starts with the caller's text";
    EXPECT_EQ(title, "Sky Chart") << "titled with the main window's title";

    SetDialogResponder(
        kAskBoxTemplate, [](WindowRef dialog) { SetItemText(dialog, kAskEdit, "changed"); },
        kCancelButton);
    text = "Andromeda";
    EXPECT_EQ(Ask("Object name:", text), 0);
    EXPECT_EQ(text, "Andromeda") << "Cancel leaves the text alone";

    SetDialogResponder(
        kAskBoxTemplate, [](WindowRef dialog) { SendKey(Widget(dialog), Qt::Key_Escape); }, 0);
    EXPECT_EQ(Ask("Object name:", text), 0) << "Escape cancels the prompt";
    EXPECT_EQ(text, "Andromeda");
}

TEST_F(PlatformDialogs, AskThroughTheResponder) {
    std::string seenPrompt;
    SetAskResponder([&](const std::string& prompt, std::string& text) {
        seenPrompt = prompt;
        text = "Polaris";
        return true;
    });
    std::string text = "Vega";
    EXPECT_EQ(Ask("Star:", text), 1);
    EXPECT_EQ(text, "Polaris");
    EXPECT_EQ(seenPrompt, "Star:");

    SetAskResponder([](const std::string&, std::string& text) {
        text = "discarded";
        return false;
    });
    text = "Vega";
    EXPECT_EQ(Ask("Star:", text), 0);
    EXPECT_EQ(text, "Vega") << "Cancel leaves the text alone";

    SetAskResponder([](const std::string&, std::string& text) {
        text.assign(400, 'z');
        return true;
    });
    EXPECT_EQ(Ask("Star:", text), 1);
    EXPECT_EQ(text.size(), 255u) << "at most 255 characters come back";
}

TEST_F(PlatformDialogs, IdleOnlyOutsideModalLoops) {
    SetApplicationHandler(CountIdle);
    SetIdleInterval(0);
    QElapsedTimer timer;
    timer.start();
    while (gIdles == 0 && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_GT(gIdles, 0) << "an empty queue outside modal loops gives Idle";

    int insideIdles = -1;
    bool modalInside = false;
    SetDialogResponder(
        kAboutTemplateNumber,
        [&](WindowRef) {
            modalInside = ModalLoopRunning();
            int before = gIdles;
            Pump(100);
            insideIdles = gIdles - before;
        },
        kOKButton);
    RunDialog(kAboutTemplateNumber, 0, RecordingHandler);
    EXPECT_TRUE(modalInside);
    EXPECT_EQ(insideIdles, 0) << "no Idle while a modal dialog runs";

    BeginProgress(false, 1);
    int before = gIdles;
    Pump(50);
    EXPECT_EQ(gIdles, before) << "no Idle while the progress box is up";
    EndProgress();

    SetIdleInterval(-1);
    EXPECT_EQ(IdleInterval(), -1);
    Pump(20);  // a tick already queued may still arrive
    before = gIdles;
    Pump(100);
    EXPECT_EQ(gIdles, before) << "interval -1: no Idle at all";
}

TEST_F(PlatformDialogs, ProgressBoxFollowsStagesAndCancel) {
    WindowRef main = MakeMain();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ProgressWindow(), nullptr);
    BeginProgress(true, 2);
    WindowRef box = ProgressWindow();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsItemVisible(box, kCancelButton)) << "cancellable: Cancel shown";
    EXPECT_FALSE(Widget(main)->isEnabled()) << "other windows disabled";
    EXPECT_TRUE(ModalLoopRunning());
    EXPECT_EQ(GetWindowTitle(box), "Sky Chart");

    ProgressStage("Reading Index.nvd", 0, 200);
    EXPECT_EQ(GetItemText(box, kProgressText), "Reading Index.nvd");
    EXPECT_EQ(GetItemValue(box, kProgressBar), 0);
    EXPECT_EQ(ProgressUpdate(100), 1);
    EXPECT_EQ(GetItemValue(box, kProgressBar), 250) << "stage 1 of 2 halfway";
    EXPECT_EQ(ProgressUpdate(500), 1);
    EXPECT_EQ(GetItemValue(box, kProgressBar), 500) << "values past the stage end clamp";
    ProgressStage("Counting down", 40, 0);
    EXPECT_EQ(GetItemText(box, kProgressText), "Counting down");
    EXPECT_EQ(GetItemValue(box, kProgressBar), 500) << "stage 2 starts halfway";
    EXPECT_EQ(ProgressUpdate(30), 1);
    EXPECT_EQ(GetItemValue(box, kProgressBar), 625) << "a stage may count downwards";
    EXPECT_EQ(ProgressUpdate(0), 1);
    EXPECT_EQ(GetItemValue(box, kProgressBar), 1000) << "stage 2 end";

    PressButton(box, kCancelButton);
    EXPECT_EQ(ProgressUpdate(0), 0) << "Cancel pressed";
    EXPECT_EQ(ProgressUpdate(0), 0) << "and it stays cancelled";
    EndProgress();
    EXPECT_EQ(ProgressWindow(), nullptr);
    EXPECT_TRUE(Widget(main)->isEnabled()) << "EndProgress enables the main window again";
    EXPECT_FALSE(ModalLoopRunning());
    EXPECT_EQ(ProgressUpdate(0), 1) << "no progress box: carry on";

    BeginProgress(false, 1);
    box = ProgressWindow();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsItemVisible(box, kCancelButton)) << "not cancellable: Cancel hidden";
    ProgressStage("Working", 0, 10);
    PressButton(box, kCancelButton);
    SendKey(Widget(box), Qt::Key_Escape);
    Widget(box)->close();
    EXPECT_EQ(ProgressUpdate(10), 1) << "nothing cancels a box without Cancel";
    EXPECT_EQ(GetItemValue(box, kProgressBar), 1000);

    // A new progress box replaces one left open.
    BeginProgress(true, 1);
    EXPECT_NE(ProgressWindow(), nullptr);
    EXPECT_EQ(ProgressUpdate(0), 1) << "the new box starts uncancelled";
    EndProgress();
    EXPECT_TRUE(Widget(main)->isEnabled());
}

} // namespace
