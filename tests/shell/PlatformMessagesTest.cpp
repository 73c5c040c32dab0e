// Message boxes and the string table, and the menu bar: numbering, command
// delivery, accelerators and check marks.

#include "shell/Platform.h"
#include "shell/platform/PlatformInternal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const char* const kCannotOpenStars =
    "Norvane can't open the file \"Stars.nvd\"!  It may be missing or in use by another program.";

long QuietHandler(int, WindowRef, long, long) {
    return 1;
}

class PlatformMessages : public testing::Test {
protected:
    void TearDown() override { ResetPlatform(); }
};

TEST_F(PlatformMessages, TextsAreFormattedRecordedAndSwitchedOff) {
    std::vector<int> answers = {AnswerOK, AnswerCancel, AnswerNo};
    std::size_t next = 0;
    SetMessageResponder([&](const MessageRecord&) { return answers[next++ % answers.size()]; });
    EXPECT_EQ(ShowMessage(ButtonsOK, 257, "Stars.nvd"), AnswerOK);
    EXPECT_EQ(ShowMessage(ButtonsOKCancel, 269, 10L, 2.5, 4.0), AnswerCancel);
    EXPECT_EQ(ShowMessage(ButtonsYesNoCancel, 268), AnswerNo);
    const std::vector<MessageRecord>& shown = RecordedMessages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].number, 257);
    EXPECT_EQ(shown[0].text, kCannotOpenStars);
    EXPECT_EQ(shown[1].buttons, ButtonsOKCancel);
    EXPECT_EQ(shown[1].text, "The total elapsed time for 10 window redrawings was 2.500 seconds "
                             "(4.000 frames per second).");
    EXPECT_EQ(shown[2].text, "Norvane III");
    // 8-bit file names go through unchanged.
    EXPECT_EQ(FormatMessage(257, "M\xFCnchen 45\xB0.nvs"),
              "Norvane can't open the file \"M\xFCnchen 45\xB0.nvs\"!  It may be missing or in use "
              "by another program.");

    ClearRecordedMessages();
    SetMessagesEnabled(false);
    EXPECT_EQ(ShowMessage(ButtonsYesNoCancel, 257, "Stars.nvd"), AnswerNone);
    EXPECT_EQ(next, 3u) << "nothing shown";
    EXPECT_TRUE(RecordedMessages().empty()) << "nothing recorded";
    SetMessagesEnabled(true);
    EXPECT_EQ(ShowMessage(ButtonsOK, 257, "Stars.nvd"), AnswerOK);

    EXPECT_EQ(LoadString(99999), "");
}

// Answers the next real message box the way a person would.
void AnswerBox(std::function<void(QMessageBox*)> act, QString* title = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return AnswerBox(act, title); // not up yet: look again
        if (title) *title = box->windowTitle() + "|" + box->text();
        act(box);
    });
}

TEST_F(PlatformMessages, RealMessageBoxesAnswerOneTwoOrThree) {
    ASSERT_NE(
        CreateMainWindow(100, "Sky Chart", 0, 0, 300, 200, true, StyleCaption, 0, QuietHandler),
        nullptr);
    QString seen;
    bool modal = false;
    AnswerBox(
        [&](QMessageBox* box) {
            modal = ModalLoopRunning();
            box->button(QMessageBox::Ok)->click();
        },
        &seen);
    EXPECT_EQ(ShowMessage(ButtonsOK, 257, "Stars.nvd"), AnswerOK);
    EXPECT_EQ(seen.toStdString(), std::string("Sky Chart|") + kCannotOpenStars)
        << "titled with the main window's title";
    EXPECT_TRUE(modal) << "no idle while a message box is up";

    auto press = [](QMessageBox::StandardButton which) {
        return [which](QMessageBox* box) { box->button(which)->click(); };
    };
    auto escape = [](QMessageBox* box) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &key);
    };
    auto dismiss = [](QMessageBox* box) { box->hide(); };
    struct Case {
        int buttons;
        std::function<void(QMessageBox*)> act;
        int answer;
        const char* why;
    };
    const Case cases[] = {
        {ButtonsOKCancel, press(QMessageBox::Cancel), AnswerCancel, "Cancel"},
        {ButtonsYesNoCancel, press(QMessageBox::No), AnswerNo, "No"},
        {ButtonsYesNoCancel, escape, AnswerCancel, "Escape is Cancel"},
        {ButtonsOK, escape, AnswerOK, "Escape on a lone OK is OK"},
        {ButtonsYesNoCancel, dismiss, AnswerCancel, "closed without a button: Cancel, not No"}};
    for (const Case& c : cases) {
        AnswerBox(c.act);
        EXPECT_EQ(ShowMessage(c.buttons, 268), c.answer) << c.why;
    }
    EXPECT_EQ(RecordedMessages().size(), 6u) << "real boxes are recorded too";
}

// ---------------------------------------------------------------------------
// Menus

struct Command {
    bool toWindow;
    long menu, item;
    bool operator==(const Command&) const = default;
};
using Commands = std::vector<Command>;
Commands gCommands;
long gWindowAnswer = 1;
std::function<void(long, long)> gOnCommand;

long MainHandler(int event, WindowRef, long a, long b) {
    if (event != MenuCommand) return 1;
    gCommands.push_back({true, a, b});
    if (gOnCommand) gOnCommand(a, b);
    return gWindowAnswer;
}

long AppHandler(int event, WindowRef, long a, long b) {
    if (event == MenuCommand) gCommands.push_back({false, a, b});
    return 1;
}

class PlatformMenus : public testing::Test {
protected:
    void SetUp() override {
        gCommands.clear();
        gWindowAnswer = 1;
        gOnCommand = nullptr;
        EXPECT_FALSE(SetMainMenu(256)) << "no main window yet";
        ASSERT_NE(CreateMainWindow(100, "Sky Chart", 0, 0, 400, 300, true,
                                   StyleCaption | StyleSystemMenu, 0, MainHandler),
                  nullptr);
        SetApplicationHandler(AppHandler);
        ASSERT_TRUE(SetMainMenu(256));
    }
    void TearDown() override {
        gOnCommand = nullptr;
        ResetPlatform();
    }
    static std::vector<bool> Marks(int menu) {
        std::vector<bool> marks;
        MenuRef m = FindMenuByNumber(menu);
        for (int item = 1; item <= MenuItemCount(m); ++item)
            marks.push_back(IsMenuItemChecked(m, item));
        return marks;
    }
};

TEST_F(PlatformMenus, BarAndPopUpsAreNumberedAndLabelled) {
    for (int position = 1; position <= 8; ++position)
        EXPECT_EQ(MenuNumber(GetMenuBarMenu(position)), 256 + position) << "position " << position;
    EXPECT_EQ(GetMenuBarMenu(9), nullptr);
    MenuRef view = GetMenuBarMenu(3);
    EXPECT_EQ(GetSubMenu(view, 6), FindMenuByNumber(33)) << "View item 6 opens Projection";
    EXPECT_EQ(MenuItemCount(view), 26) << "separators count as items";
    EXPECT_FALSE(IsMenuItemEnabled(view, 5)) << "a separator is never enabled";
    EXPECT_EQ(GetMenuItemText(GetMenuBarMenu(1), 6), "Save Settings As...") << "'&' removed";
    EXPECT_EQ(GetMenuItemText(GetMenuBarMenu(4), 12), "Symbols & Grids...") << "'&&' is one '&'";
    EXPECT_EQ(GetMenuItemText(view, 13), "360\xB0 Field") << "Windows-1252 labels";
    SetMenuItemText(view, 13, "&Whole Sky 360\xB0");
    EXPECT_EQ(GetMenuItemText(view, 13), "Whole Sky 360\xB0");
}

TEST_F(PlatformMenus, CommandsGoToTheWindowThenTheApplication) {
    EXPECT_TRUE(InvokeMenuItem(259, 9));
    gWindowAnswer = 0; // a window that takes the command keeps it
    EXPECT_TRUE(InvokeMenuItem(259, 10));
    EXPECT_EQ(gCommands, (Commands{{true, 259, 9}, {false, 259, 9}, {true, 259, 10}}));
    gCommands.clear();
    gWindowAnswer = 1;
    EnableMenuItem(FindMenuByNumber(259), 9, false);
    EXPECT_FALSE(InvokeMenuItem(259, 9)) << "a greyed item can't be chosen";
    EXPECT_FALSE(InvokeMenuItem(259, 5)) << "separator";
    EXPECT_FALSE(InvokeMenuItem(259, 6)) << "an item that opens a pop-up";
    EXPECT_TRUE(gCommands.empty());

    // Accelerators: Ctrl+1 is Coordinates item 1 (3401).
    for (const char* key : {"Ctrl+1", "Shift+Del"})
        EXPECT_TRUE(InvokeAccelerator(key)) << key;
    EXPECT_EQ(gCommands,
              (Commands{{true, 34, 1}, {false, 34, 1}, {true, 258, 3}, {false, 258, 3}}));
    gCommands.clear();
    EnableMenuItem(FindMenuByNumber(34), 1, false);
    EXPECT_FALSE(InvokeAccelerator("Ctrl+1")) << "the key of a greyed command does nothing";
    EXPECT_FALSE(InvokeAccelerator("Ctrl+Q")) << "a key without a command";

    // While a modal dialog runs, the menus can't be reached.
    EnableMenuItem(FindMenuByNumber(259), 9, true);
    bool invoked = true, accelerated = true;
    SetDialogResponder(
        kAboutTemplate,
        [&](WindowRef) {
            invoked = InvokeMenuItem(259, 9);
            accelerated = InvokeAccelerator("Ctrl+O");
        },
        0);
    RunDialog(kAboutTemplate, 0, QuietHandler);
    EXPECT_FALSE(invoked || accelerated);
    EXPECT_TRUE(gCommands.empty());
}

TEST_F(PlatformMenus, CheckMarksBelongToTheProgram) {
    CheckMenuItem(FindMenuByNumber(34), 3, true);
    EXPECT_TRUE(InvokeMenuItem(34, 2));
    EXPECT_EQ(Marks(34), (std::vector<bool>{false, false, true, false}))
        << "a click alone does not move the mark";
    // Checking one item of a radio group clears the others.
    gOnCommand = [](long, long item) {
        CheckMenuItem(FindMenuByNumber(34), static_cast<int>(item), true);
    };
    EXPECT_TRUE(InvokeMenuItem(34, 1));
    EXPECT_EQ(Marks(34), (std::vector<bool>{true, false, false, false}));
    gOnCommand = nullptr;
    EXPECT_TRUE(InvokeMenuItem(34, 4));
    EXPECT_EQ(Marks(34), (std::vector<bool>{true, false, false, false}))
        << "the marks stay as the program last set them";

    MenuRef telescope = FindMenuByNumber(263);
    CheckMenuItem(telescope, 11, true);
    EXPECT_TRUE(InvokeMenuItem(263, 11));
    EXPECT_TRUE(IsMenuItemChecked(telescope, 11)) << "a plain item keeps its mark";
    CheckMenuItem(telescope, 4, true);
    EXPECT_FALSE(IsMenuItemChecked(telescope, 4)) << "a separator takes no mark";
}

} // namespace
