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

constexpr int kCannotOpen = 257;
constexpr int kRedrawTiming = 269;
const char* const kCannotOpenStars =
    "Norvane can't open the file \"Stars.nvd\"!  It may be missing or in use by another program.";

long QuietHandler(int, WindowRef, long, long) { return 1; }

class PlatformMessages : public testing::Test {
protected:
    void TearDown() override { ResetPlatform(); }
};

TEST_F(PlatformMessages, TextsAreFormattedAndRecorded) {
    std::vector<int> answers = {AnswerOK, AnswerCancel, AnswerNo};
    std::size_t next = 0;
    SetMessageResponder([&](const MessageRecord&) { return answers[next++ % answers.size()]; });

    EXPECT_EQ(ShowMessage(ButtonsOK, kCannotOpen, "Stars.nvd"), AnswerOK);
    EXPECT_EQ(ShowMessage(ButtonsOKCancel, kRedrawTiming, 10L, 2.5, 4.0), AnswerCancel);
    EXPECT_EQ(ShowMessage(ButtonsYesNoCancel, 268), AnswerNo);

    const std::vector<MessageRecord>& shown = RecordedMessages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].number, kCannotOpen);
    EXPECT_EQ(shown[0].text, kCannotOpenStars);
    EXPECT_EQ(shown[0].buttons, ButtonsOK);
    EXPECT_EQ(shown[1].text, "The total elapsed time for 10 window redrawings was 2.500 seconds "
                             "(4.000 frames per second).")
        << "%ld and %.3f are formatted as printf does";
    EXPECT_EQ(shown[1].buttons, ButtonsOKCancel);
    EXPECT_EQ(shown[2].text, "Norvane III") << "a text without arguments is shown as it is";
    EXPECT_EQ(FormatMessage(kCannotOpen, "Stars.nvd"), shown[0].text);
    EXPECT_EQ(FormatMessage(kRedrawTiming, 10L, 2.5, 4.0), shown[1].text);

    // 8-bit file names go through unchanged.
    std::string name = "M\xFCnchen 45\xB0.nvs";
    EXPECT_EQ(FormatMessage(kCannotOpen, name.c_str()),
              "Norvane can't open the file \"" + name +
                  "\"!  It may be missing or in use by another program.");

    ClearRecordedMessages();
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(PlatformMessages, SwitchedOffMessagesAreNotShown) {
    int asked = 0;
    SetMessageResponder([&](const MessageRecord&) {
        ++asked;
        return static_cast<int>(AnswerOK);
    });
    SetMessagesEnabled(false);
    EXPECT_FALSE(MessagesEnabled());
    EXPECT_EQ(ShowMessage(ButtonsYesNoCancel, kCannotOpen, "Stars.nvd"), AnswerNone);
    EXPECT_EQ(asked, 0) << "nothing shown";
    EXPECT_TRUE(RecordedMessages().empty()) << "nothing recorded";
    SetMessagesEnabled(true);
    EXPECT_EQ(ShowMessage(ButtonsOK, kCannotOpen, "Stars.nvd"), AnswerOK);
    EXPECT_EQ(asked, 1);
}

TEST_F(PlatformMessages, StringTable) {
    EXPECT_EQ(LoadString(268), "Norvane III");
    EXPECT_EQ(LoadString(-5), "");
    EXPECT_EQ(LoadString(99999), "");
    std::size_t count = 0;
    for (int number = 0; number < 30000; ++number) {
        std::string text = LoadString(number);
        if (text.empty()) continue;
        ++count;
        EXPECT_LE(text.size(), 255u) << "string " << number;
    }
    EXPECT_GT(count, 10u);
}

// Answers the next real message box the way a person would.
void AnswerBox(std::function<void(QMessageBox*)> act, QString* title, QString* text) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            AnswerBox(act, title, text);  // not up yet: look again
            return;
        }
        *title = box->windowTitle();
        *text = box->text();
        act(box);
    });
}

TEST_F(PlatformMessages, RealMessageBoxesAnswerOneTwoOrThree) {
    ASSERT_NE(CreateMainWindow(100, "Sky Chart", 0, 0, 300, 200, true, StyleCaption, 0,
                               QuietHandler),
              nullptr);
    QString title, text;
    auto press = [](QMessageBox::StandardButton which) {
        return [which](QMessageBox* box) { box->button(which)->click(); };
    };
    auto escape = [](QMessageBox* box) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &key);
    };
    bool modal = false;
    AnswerBox(
        [&](QMessageBox* box) {
            modal = ModalLoopRunning();
            box->button(QMessageBox::Ok)->click();
        },
        &title, &text);
    EXPECT_EQ(ShowMessage(ButtonsOK, kCannotOpen, "Stars.nvd"), AnswerOK);
    EXPECT_EQ(title.toStdString(), "Sky Chart") << "titled with the main window's title";
    EXPECT_EQ(text.toStdString(), kCannotOpenStars);
    EXPECT_TRUE(modal) << "no idle while a message box is up";

    AnswerBox(press(QMessageBox::Cancel), &title, &text);
    EXPECT_EQ(ShowMessage(ButtonsOKCancel, 268), AnswerCancel);
    AnswerBox(press(QMessageBox::Ok), &title, &text);
    EXPECT_EQ(ShowMessage(ButtonsOKCancel, 268), AnswerOK);
    AnswerBox(press(QMessageBox::Yes), &title, &text);
    EXPECT_EQ(ShowMessage(ButtonsYesNoCancel, 268), AnswerYes);
    AnswerBox(press(QMessageBox::No), &title, &text);
    EXPECT_EQ(ShowMessage(ButtonsYesNoCancel, 268), AnswerNo);
    AnswerBox(press(QMessageBox::Cancel), &title, &text);
    EXPECT_EQ(ShowMessage(ButtonsYesNoCancel, 268), AnswerCancel);
    AnswerBox(escape, &title, &text);
    EXPECT_EQ(ShowMessage(ButtonsYesNoCancel, 268), AnswerCancel) << "Escape is Cancel";
    AnswerBox(escape, &title, &text);
    EXPECT_EQ(ShowMessage(ButtonsOK, 268), AnswerOK) << "Escape on a lone OK is OK";
    auto dismiss = [](QMessageBox* box) { box->hide(); };
    AnswerBox(dismiss, &title, &text);
    EXPECT_EQ(ShowMessage(ButtonsYesNoCancel, 268), AnswerCancel)
        << "a box closed without a button is Cancel, not No";
    AnswerBox(dismiss, &title, &text);
    EXPECT_EQ(ShowMessage(ButtonsOK, 268), AnswerOK);
    EXPECT_EQ(RecordedMessages().size(), 10u) << "real boxes are recorded too";
}

// ---------------------------------------------------------------------------
// Menus

struct Command {
    bool toWindow;
    long menu, item;
    bool operator==(const Command&) const = default;
};
std::vector<Command> gCommands;
long gWindowAnswer = 1;
std::function<void(long, long)> gOnCommand;

long MainHandler(int event, WindowRef, long a, long b) {
    if (event == MenuCommand) {
        gCommands.push_back({true, a, b});
        if (gOnCommand) gOnCommand(a, b);
        return gWindowAnswer;
    }
    return 1;
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

TEST_F(PlatformMenus, BarAndPopUpsAreNumbered) {
    for (int position = 1; position <= 8; ++position)
        EXPECT_EQ(MenuNumber(GetMenuBarMenu(position)), 256 + position) << "position " << position;
    EXPECT_EQ(GetMenuBarMenu(0), nullptr);
    EXPECT_EQ(GetMenuBarMenu(9), nullptr);

    MenuRef view = GetMenuBarMenu(3);
    MenuRef projection = FindMenuByNumber(33);
    ASSERT_NE(projection, nullptr);
    EXPECT_EQ(GetSubMenu(view, 6), projection) << "View item 6 opens Projection";
    EXPECT_EQ(MenuNumber(GetSubMenu(view, 7)), 34);
    EXPECT_EQ(GetSubMenu(view, 3), nullptr) << "a command opens nothing";
    EXPECT_EQ(GetSubMenu(view, 5), nullptr) << "a separator opens nothing";
    EXPECT_EQ(MenuItemCount(view), 26) << "separators count as items";
    EXPECT_FALSE(IsMenuItemEnabled(view, 5)) << "a separator is never enabled";
    EXPECT_EQ(FindMenuByNumber(99), nullptr);

    EXPECT_EQ(GetMenuItemText(GetMenuBarMenu(1), 6), "Save Settings As...") << "'&' removed";
    EXPECT_EQ(GetMenuItemText(GetMenuBarMenu(4), 12), "Symbols & Grids...") << "'&&' is one '&'";
    EXPECT_EQ(GetMenuItemText(view, 13), "360\xB0 Field") << "Windows-1252 labels";
    SetMenuItemText(view, 13, "&Whole Sky 360\xB0");
    EXPECT_EQ(GetMenuItemText(view, 13), "Whole Sky 360\xB0");
    EXPECT_EQ(GetMenuItemText(view, 99), "");
}

TEST_F(PlatformMenus, CommandsGoToTheWindowThenTheApplication) {
    EXPECT_TRUE(InvokeMenuItem(259, 9));
    EXPECT_EQ(gCommands, (std::vector<Command>{{true, 259, 9}, {false, 259, 9}}))
        << "the main window first, then the application handler";

    gCommands.clear();
    gWindowAnswer = 0;
    EXPECT_TRUE(InvokeMenuItem(259, 10));
    EXPECT_EQ(gCommands, (std::vector<Command>{{true, 259, 10}})) << "a window that takes it";

    gCommands.clear();
    gWindowAnswer = 1;
    EnableMenuItem(FindMenuByNumber(259), 9, false);
    EXPECT_FALSE(IsMenuItemEnabled(FindMenuByNumber(259), 9));
    EXPECT_FALSE(InvokeMenuItem(259, 9)) << "a greyed item can't be chosen";
    EXPECT_FALSE(InvokeMenuItem(259, 5)) << "separator";
    EXPECT_FALSE(InvokeMenuItem(259, 6)) << "an item that opens a pop-up";
    EXPECT_FALSE(InvokeMenuItem(259, 27)) << "past the end";
    EXPECT_FALSE(InvokeMenuItem(999, 1)) << "no such menu";
    EXPECT_TRUE(gCommands.empty());
    EnableMenuItem(FindMenuByNumber(259), 9, true);
    EXPECT_TRUE(InvokeMenuItem(259, 9));
    EXPECT_EQ(gCommands.size(), 2u);

    // While a modal dialog runs, the menus can't be reached.
    gCommands.clear();
    bool invoked = true, accelerated = true;
    SetDialogResponder(
        kAboutTemplate,
        [&](WindowRef) {
            invoked = InvokeMenuItem(259, 9);
            accelerated = InvokeAccelerator("Ctrl+1");
        },
        0);
    RunDialog(kAboutTemplate, 0, QuietHandler);
    EXPECT_FALSE(invoked);
    EXPECT_FALSE(accelerated);
    EXPECT_TRUE(gCommands.empty());
}

TEST_F(PlatformMenus, AcceleratorsReachTheirCommands) {
    EXPECT_TRUE(InvokeAccelerator("Ctrl+1"));
    EXPECT_EQ(gCommands, (std::vector<Command>{{true, 34, 1}, {false, 34, 1}}))
        << "Ctrl+1 is Coordinates item 1 (3401)";
    gCommands.clear();
    EXPECT_TRUE(InvokeAccelerator("Ctrl+O"));
    EXPECT_TRUE(InvokeAccelerator("Shift+Del"));
    EXPECT_TRUE(InvokeAccelerator("PgUp"));
    EXPECT_TRUE(InvokeAccelerator("F1"));
    EXPECT_EQ(gCommands, (std::vector<Command>{{true, 12, 1},
                                               {false, 12, 1},
                                               {true, 258, 3},
                                               {false, 258, 3},
                                               {true, 259, 10},
                                               {false, 259, 10},
                                               {true, 264, 1},
                                               {false, 264, 1}}));
    gCommands.clear();
    EnableMenuItem(FindMenuByNumber(34), 1, false);
    EXPECT_FALSE(InvokeAccelerator("Ctrl+1")) << "the key of a greyed command does nothing";
    EXPECT_FALSE(InvokeAccelerator("Ctrl+Q")) << "a key without a command";
    EXPECT_TRUE(gCommands.empty());
}

TEST_F(PlatformMenus, CheckMarksBelongToTheProgram) {
    MenuRef coordinates = FindMenuByNumber(34);
    CheckMenuItem(coordinates, 3, true);
    EXPECT_EQ(Marks(34), (std::vector<bool>{false, false, true, false}));
    EXPECT_TRUE(InvokeMenuItem(34, 2));
    EXPECT_EQ(Marks(34), (std::vector<bool>{false, false, true, false}))
        << "a click alone does not move the mark";

    // The handler moves the radio mark by checking the new item only.
    gOnCommand = [](long menu, long item) {
        if (menu == 34) CheckMenuItem(FindMenuByNumber(34), static_cast<int>(item), true);
    };
    EXPECT_TRUE(InvokeMenuItem(34, 1));
    EXPECT_EQ(Marks(34), (std::vector<bool>{true, false, false, false}))
        << "checking one item of a radio group clears the others";
    gOnCommand = nullptr;
    EXPECT_TRUE(InvokeMenuItem(34, 2));
    EXPECT_EQ(Marks(34), (std::vector<bool>{true, false, false, false}))
        << "the marks stay as the program last set them";
    EXPECT_TRUE(InvokeMenuItem(34, 4));
    EXPECT_EQ(Marks(34), (std::vector<bool>{true, false, false, false}));

    // A plain item with a check mark.
    MenuRef telescope = FindMenuByNumber(263);
    CheckMenuItem(telescope, 11, true);
    EXPECT_TRUE(InvokeMenuItem(263, 11));
    EXPECT_TRUE(IsMenuItemChecked(telescope, 11));
    CheckMenuItem(telescope, 11, false);
    EXPECT_TRUE(InvokeMenuItem(263, 11));
    EXPECT_FALSE(IsMenuItemChecked(telescope, 11));
    CheckMenuItem(telescope, 4, true);
    EXPECT_FALSE(IsMenuItemChecked(telescope, 4)) << "a separator takes no mark";
}

} // namespace
