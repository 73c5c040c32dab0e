// Dialogs from templates: control texts, the prompt box and the progress box.

#include "shell/Platform.h"
#include "shell/platform/PlatformInternal.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kAskEdit = 4, kProgressBar = 3;

long QuietHandler(int, WindowRef, long, long) {
    return 1;
}

void SendEscape(WindowRef target) {
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent key(type, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(target->widget.data(), &key);
    }
}

class PlatformDialogs : public testing::Test {
protected:
    void TearDown() override { ResetPlatform(); }
    QWidget* MakeMain() {
        WindowRef main =
            CreateMainWindow(100, "Sky Chart", 0, 0, 320, 240, true, StyleCaption, 0, QuietHandler);
        return main ? main->widget.data() : nullptr;
    }
};

TEST_F(PlatformDialogs, AMissingTemplateGivesCancelAndControlTextsKeepTheirBytes) {
    EXPECT_EQ(RunDialog(9999, 0, QuietHandler), 0) << "callers read 0 as Cancel";
    WindowRef dialog = CreateDialogWindow(kAskBoxTemplate, 0, QuietHandler);
    ASSERT_NE(dialog, nullptr);
    // Windows-1252 bytes both ways; at most 255 characters.
    std::string everyByte, longText(300, 'x');
    for (int c = 0x20; c <= 0xFF; ++c)
        everyByte.push_back(static_cast<char>(c));
    for (const std::string& text : {everyByte, longText}) {
        SetItemText(dialog, kAskEdit, text);
        EXPECT_EQ(GetItemText(dialog, kAskEdit), text.substr(0, 255));
    }
}

TEST_F(PlatformDialogs, AskReturnsTheTextOnlyOnOK) {
    ASSERT_NE(MakeMain(), nullptr);
    SetDialogResponder(
        kAskBoxTemplate, [&](WindowRef dialog) { SetItemText(dialog, kAskEdit, "M 31"); },
        kOKButton);
    std::string text = "Andromeda";
    EXPECT_EQ(Ask("Object name:", text), 1);
    EXPECT_EQ(text, "M 31");
    text = "Andromeda";
    SetDialogResponder(kAskBoxTemplate, SendEscape, 0);
    EXPECT_EQ(Ask("Object name:", text), 0);
    EXPECT_EQ(text, "Andromeda") << "Escape leaves the text alone";
    SetAskResponder([&](const std::string&, std::string& answer) {
        answer.assign(400, 'z');
        return true;
    });
    EXPECT_EQ(Ask("Star:", text), 1);
    EXPECT_EQ(text, std::string(255, 'z')) << "at most 255 characters come back";
}

TEST_F(PlatformDialogs, ProgressBoxFollowsStagesAndCancel) {
    QWidget* main = MakeMain();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ProgressUpdate(0), 1) << "no progress box: carry on";
    BeginProgress(true, 2);
    WindowRef box = ProgressWindow();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(main->isEnabled()) << "other windows disabled";
    // Stage 1 of 2 halfway, past its end clamped; stage 2 counting down.
    ProgressStage("Reading Index.nvd", 0, 200);
    const long steps[][2] = {{100, 250}, {500, 500}, {-1, 0}, {30, 625}, {0, 1000}};
    for (const auto& [value, bar] : steps) {
        if (value < 0) {
            ProgressStage("Counting down", 40, 0);
            continue;
        }
        EXPECT_EQ(ProgressUpdate(value), 1);
        EXPECT_EQ(GetItemValue(box, kProgressBar), bar) << value;
    }
    PressButton(box, kCancelButton);
    EXPECT_EQ(ProgressUpdate(0), 0) << "Cancel pressed";
    EndProgress();
    EXPECT_TRUE(main->isEnabled()) << "EndProgress enables the main window again";
    // Nothing cancels a box without Cancel.
    BeginProgress(false, 1);
    ProgressStage("Working", 0, 10);
    PressButton(ProgressWindow(), kCancelButton);
    SendEscape(ProgressWindow());
    EXPECT_EQ(ProgressUpdate(10), 1);
    EndProgress();
}

TEST_F(PlatformDialogs, ADraggedThumbIsReadWhereItIs) {
    static long seen = -1;
    WindowRef main = CreateMainWindow(100, "Sky Chart", 0, 0, 320, 240, true, StyleCaption, 0,
                                      [](int event, WindowRef window, long a, long b) -> long {
                                          if (event == ControlNotify && b == ScrollThumbTracking)
                                              seen = GetItemValue(window, a);
                                          return 1;
                                      });
    ASSERT_TRUE(CreateScrollBar(main, 1, Rect{300, 0, 320, 240}, true, 10, 0, 180));
    auto* bar = main->widget->findChild<QScrollBar*>("c1");
    bar->setSliderDown(true);
    bar->setSliderPosition(40);
    EXPECT_EQ(seen, 40);
}

} // namespace
