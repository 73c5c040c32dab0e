// Dialogs from templates: control access, notifications, modal runs (scripted,
// nested, cancelled), the prompt box, idle suppression and the progress box.

#include "shell/Platform.h"
#include "shell/platform/PlatformInternal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kAbout = 256, kAskPrompt = 3, kAskEdit = 4, kProgressText = 1, kProgressBar = 3;

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

long QuietHandler(int event, WindowRef, long, long) {
    gIdles += event == Idle;
    return 1;
}

long EndAtCreate(int event, WindowRef, long, long) {
    if (event == Create) EndDialogResult(9);
    return 1;
}

std::vector<Notice> ControlNotices() {
    std::vector<Notice> out;
    for (const Notice& n : gNotices)
        if (n.event == ControlNotify) out.push_back(n);
    return out;
}

QWidget* Widget(WindowRef window) {
    return window != nullptr ? window->widget.data() : nullptr;
}

void SendKey(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

// Idle ticks counted while the event queue is pumped for a while.
int IdlesWhilePumping(int milliseconds) {
    int before = gIdles;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return gIdles - before;
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

TEST_F(PlatformDialogs, TemplatesNameTheirControlsAndAMissingOneGivesCancel) {
    EXPECT_FALSE(DialogTemplateExists(9999));
    EXPECT_EQ(CreateDialogWindow(9999, 0, RecordingHandler), nullptr);
    EXPECT_EQ(RunDialog(9999, 0, RecordingHandler), 0) << "callers read 0 as Cancel";
    EXPECT_TRUE(gNotices.empty()) << "no handler call for a dialog that was never made";
    EXPECT_EQ(ModalDialog(), nullptr);
    for (auto [number, controls] :
         {std::pair{kProgressTemplate, 3}, {kAbout, 3}, {kAskBoxTemplate, 4}}) {
        gNotices.clear();
        WindowRef dialog = CreateDialogWindow(number, 77, PassiveHandler);
        ASSERT_NE(dialog, nullptr) << number;
        for (int control = 1; control <= controls; ++control)
            EXPECT_TRUE(ItemExists(dialog, control)) << number << " control " << control;
        EXPECT_FALSE(ItemExists(dialog, 99)) << number;
        ASSERT_FALSE(gNotices.empty());
        EXPECT_EQ(gNotices.front(), (Notice{Create, number, 77})) << "Create(template, parameter)";
        EXPECT_EQ(WindowParameter(dialog), 77);
        DestroyWindow(dialog);
    }
}

TEST_F(PlatformDialogs, ControlTextRoundTripsAndNotifies) {
    WindowRef dialog = CreateDialogWindow(kAskBoxTemplate, 0, PassiveHandler);
    ASSERT_NE(dialog, nullptr);
    gNotices.clear();
    std::string everyByte, longText(300, 'x');
    for (int c = 0x20; c <= 0xFF; ++c)
        everyByte.push_back(static_cast<char>(c));
    longText[254] = 'A';
    // Windows-1252 bytes both ways; at most 255 characters.
    for (const std::string& text : {everyByte.substr(0, 200), everyByte.substr(200), longText}) {
        SetItemText(dialog, kAskEdit, text);
        EXPECT_EQ(GetItemText(dialog, kAskEdit), text.substr(0, 255));
    }
    EXPECT_TRUE(ControlNotices().empty()) << "SetItemText raises no edit-change notification";
    // A person typing into the edit does raise one.
    SetItemText(dialog, kAskEdit, "");
    SendKey(ControlOf(dialog, kAskEdit), Qt::Key_M, "M");
    EXPECT_EQ(GetItemText(dialog, kAskEdit), "M");
    EXPECT_EQ(ControlNotices(),
              (std::vector<Notice>{{ControlNotify, kAskEdit, NotifyEditChanged}}));

    auto* ok = qobject_cast<QAbstractButton*>(ControlOf(dialog, kOKButton));
    auto* cancel = qobject_cast<QAbstractButton*>(ControlOf(dialog, kCancelButton));
    ASSERT_TRUE(ok != nullptr && cancel != nullptr);
    gNotices.clear();
    long start = TickCount();
    ok->click();
    ok->click(); // the tail of a double click
    long elapsed = TickCount() - start;
    cancel->click();
    ok->click();
    std::vector<Notice> notices = ControlNotices();
    // A second click within the double-click time is dropped; clicks on
    // different buttons both count.
    ASSERT_EQ(notices.size(), elapsed < DoubleClickTime() ? 3u : notices.size());
    EXPECT_EQ(notices.front(), (Notice{ControlNotify, kOKButton, NotifyClicked}));
    EXPECT_EQ(notices[notices.size() - 2].control, kCancelButton);
    EXPECT_EQ(notices.back().control, kOKButton);
    QPointF centre(ok->width() / 2.0, ok->height() / 2.0);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, centre, ok->mapToGlobal(centre), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(ok, &dbl);
    EXPECT_EQ(ControlNotices().back(), (Notice{ControlNotify, kOKButton, NotifyDoubleClicked}));
    DestroyWindow(dialog);
}

TEST_F(PlatformDialogs, ScriptedModalRuns) {
    WindowRef seen = nullptr;
    SetDialogResponder(
        kAbout,
        [&](WindowRef dialog) {
            seen = dialog;
            EXPECT_EQ(ModalDialog(), dialog);
            EXPECT_TRUE(ModalLoopRunning());
        },
        kOKButton);
    EXPECT_EQ(RunDialog(kAbout, 5, RecordingHandler), 100 + kOKButton)
        << "RunDialog returns what the handler ended it with";
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(gNotices.front().event, Create) << "Create comes before the responder";
    EXPECT_EQ(ModalDialog(), nullptr);
    EXPECT_FALSE(ModalLoopRunning());
    // A responder that does not end the dialog, or a click the handler ignores,
    // does not keep the run waiting: it ends with 0.
    SetDialogResponder(
        kAbout, [](WindowRef) {}, kOKButton);
    EXPECT_EQ(RunDialog(kAbout, 0, PassiveHandler), 0);
    // A handler may end its dialog before it is shown, and inside another
    // modal run that ends itself, not the outer dialog.
    EXPECT_EQ(RunDialog(kAbout, 0, EndAtCreate), 9);
    long inner = -1;
    SetDialogResponder(
        kProgressTemplate,
        [&](WindowRef) {
            inner = RunDialog(kAbout, 0, EndAtCreate);
            EXPECT_NE(ModalDialog(), nullptr) << "the outer run goes on";
        },
        kCancelButton);
    EXPECT_EQ(RunDialog(kProgressTemplate, 0, RecordingHandler), 100 + kCancelButton);
    EXPECT_EQ(inner, 9);
    // Escape and the close box arrive as clicks of control 2.
    gNotices.clear();
    SetDialogResponder(
        kAbout, [](WindowRef d) { SendKey(Widget(d), Qt::Key_Escape); }, 0);
    EXPECT_EQ(RunDialog(kAbout, 0, RecordingHandler), 100 + kCancelButton);
    EXPECT_EQ(ControlNotices(),
              (std::vector<Notice>{{ControlNotify, kCancelButton, NotifyClicked}}));
    EXPECT_FALSE(IsKeyDown(VKEscape)) << "the key was released";
}

TEST_F(PlatformDialogs, NestedRunsDisableAndReenableWindows) {
    QWidget* main = Widget(MakeMain());
    ASSERT_NE(main, nullptr);
    long innerResult = -1;
    bool mainDisabled = false, outerDisabled = false, outerEnabledAfter = false;
    SetDialogResponder(
        kAbout,
        [&](WindowRef outer) {
            mainDisabled = !main->isEnabled();
            SetDialogResponder(
                kProgressTemplate, [&](WindowRef) { outerDisabled = !Widget(outer)->isEnabled(); },
                kCancelButton);
            innerResult = RunDialog(kProgressTemplate, 0, RecordingHandler);
            outerEnabledAfter = Widget(outer)->isEnabled();
            EXPECT_EQ(ModalDialog(), outer) << "the outer dialog is modal again";
            EXPECT_FALSE(main->isEnabled()) << "main stays disabled until the outer ends";
        },
        kOKButton);
    EXPECT_EQ(RunDialog(kAbout, 0, RecordingHandler), 100 + kOKButton);
    EXPECT_EQ(innerResult, 100 + kCancelButton);
    EXPECT_TRUE(mainDisabled && outerDisabled && outerEnabledAfter);
    EXPECT_TRUE(main->isEnabled()) << "the main window is enabled again afterwards";
    EXPECT_FALSE(ModalLoopRunning());
}

TEST_F(PlatformDialogs, QuitOutsideTheLoopLeavesLaterModalRunsWorking) {
    // Closing the main window and asking to quit with no main window, both
    // while no application loop runs, as tools and tests do.
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
    EXPECT_EQ(RunDialog(kAbout, 0, PassiveHandler), 7);
}

TEST_F(PlatformDialogs, AskThroughThePromptBoxAndThroughTheResponder) {
    ASSERT_NE(MakeMain(), nullptr);
    std::string shown;
    SetDialogResponder(
        kAskBoxTemplate,
        [&](WindowRef dialog) {
            shown = GetItemText(dialog, kAskPrompt) + "|" + GetItemText(dialog, kAskEdit) + "|" +
                    GetWindowTitle(dialog);
            SetItemText(dialog, kAskEdit, "M 31");
        },
        kOKButton);
    std::string text = "Andromeda";
    EXPECT_EQ(Ask("Object name:", text), 1);
    EXPECT_EQ(text, "M 31") << "OK hands back the edited text";
    EXPECT_EQ(shown, "Object name:|Andromeda|Sky Chart");
    // Cancel or Escape leaves the text alone.
    text = "Andromeda";
    SetDialogResponder(
        kAskBoxTemplate, [](WindowRef d) { SendKey(Widget(d), Qt::Key_Escape); }, 0);
    EXPECT_EQ(Ask("Object name:", text), 0);
    EXPECT_EQ(text, "Andromeda");

    std::string seenPrompt;
    SetAskResponder([&](const std::string& prompt, std::string& answer) {
        seenPrompt = prompt;
        answer.assign(400, 'z');
        return true;
    });
    EXPECT_EQ(Ask("Star:", text), 1);
    EXPECT_EQ(seenPrompt, "Star:");
    EXPECT_EQ(text, std::string(255, 'z')) << "at most 255 characters come back";
}

TEST_F(PlatformDialogs, IdleOnlyOutsideModalLoopsAndProgress) {
    SetApplicationHandler(QuietHandler);
    SetIdleInterval(0);
    QElapsedTimer timer;
    timer.start();
    while (gIdles == 0 && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_GT(gIdles, 0) << "an empty queue outside modal loops gives Idle";
    int insideDialog = -1;
    SetDialogResponder(
        kAbout, [&](WindowRef) { insideDialog = IdlesWhilePumping(100); }, kOKButton);
    RunDialog(kAbout, 0, RecordingHandler);
    EXPECT_EQ(insideDialog, 0) << "no Idle while a modal dialog runs";
    BeginProgress(false, 1);
    EXPECT_EQ(IdlesWhilePumping(50), 0) << "no Idle while the progress box is up";
    EndProgress();
    SetIdleInterval(-1);
    IdlesWhilePumping(20); // a tick already queued may still arrive
    EXPECT_EQ(IdlesWhilePumping(100), 0) << "interval -1: no Idle at all";
}

TEST_F(PlatformDialogs, ProgressBoxFollowsStagesAndCancel) {
    QWidget* main = Widget(MakeMain());
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ProgressWindow(), nullptr);
    EXPECT_EQ(ProgressUpdate(0), 1) << "no progress box: carry on";
    BeginProgress(true, 2);
    WindowRef box = ProgressWindow();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsItemVisible(box, kCancelButton)) << "cancellable: Cancel shown";
    EXPECT_FALSE(main->isEnabled()) << "other windows disabled";
    EXPECT_EQ(GetWindowTitle(box), "Sky Chart");
    ProgressStage("Reading Index.nvd", 0, 200);
    EXPECT_EQ(GetItemText(box, kProgressText), "Reading Index.nvd");
    // Stage 1 of 2 halfway; past its end clamped; stage 2 counting down.
    const std::pair<long, int> steps[] = {{100, 250}, {500, 500}};
    for (auto [value, bar] : steps) {
        EXPECT_EQ(ProgressUpdate(value), 1);
        EXPECT_EQ(GetItemValue(box, kProgressBar), bar) << value;
    }
    ProgressStage("Counting down", 40, 0);
    EXPECT_EQ(GetItemValue(box, kProgressBar), 500) << "stage 2 starts halfway";
    for (auto [value, bar] : {std::pair{30L, 625}, {0L, 1000}}) {
        EXPECT_EQ(ProgressUpdate(value), 1);
        EXPECT_EQ(GetItemValue(box, kProgressBar), bar) << value;
    }
    PressButton(box, kCancelButton);
    EXPECT_EQ(ProgressUpdate(0), 0) << "Cancel pressed";
    EndProgress();
    EXPECT_EQ(ProgressWindow(), nullptr);
    EXPECT_TRUE(main->isEnabled()) << "EndProgress enables the main window again";

    BeginProgress(false, 1);
    box = ProgressWindow();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsItemVisible(box, kCancelButton)) << "not cancellable: Cancel hidden";
    ProgressStage("Working", 0, 10);
    PressButton(box, kCancelButton);
    SendKey(Widget(box), Qt::Key_Escape);
    EXPECT_EQ(ProgressUpdate(10), 1) << "nothing cancels a box without Cancel";
    // A new progress box replaces one left open, uncancelled.
    BeginProgress(true, 1);
    EXPECT_EQ(ProgressUpdate(0), 1);
    EndProgress();
    EXPECT_TRUE(main->isEnabled());
}

} // namespace
