// Message boxes and the string table.

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

long QuietHandler(int, WindowRef, long, long) {
    return 1;
}

class PlatformMessages : public testing::Test {
protected:
    void TearDown() override { ResetPlatform(); }
};

TEST_F(PlatformMessages, TextsAreFormattedRecordedAndSwitchedOff) {
    int shownCount = 0;
    SetMessageResponder([&](const MessageRecord&) { return ++shownCount, int{AnswerCancel}; });
    EXPECT_EQ(ShowMessage(ButtonsOKCancel, 269, 10L, 2.5, 4.0), AnswerCancel);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].buttons, ButtonsOKCancel);
    EXPECT_EQ(RecordedMessages()[0].text, "The total elapsed time for 10 window redrawings was "
                                          "2.500 seconds (4.000 frames per second).");
    // 8-bit file names go through unchanged.
    EXPECT_EQ(FormatMessage(257, "M\xFCnchen 45\xB0.nvs"),
              "Norvane can't open the file \"M\xFCnchen 45\xB0.nvs\"!  It may be missing or in use "
              "by another program.");
    ClearRecordedMessages();
    SetMessagesEnabled(false);
    EXPECT_EQ(ShowMessage(ButtonsYesNoCancel, 257, "Stars.nvd"), AnswerNone);
    EXPECT_TRUE(shownCount == 1 && RecordedMessages().empty()) << "nothing shown or recorded";
    SetMessagesEnabled(true);
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

TEST_F(PlatformMessages, RealMessageBoxesGiveOneAnswerPerKind) {
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
    EXPECT_EQ(seen.toStdString(), "Sky Chart|Norvane can't open the file \"Stars.nvd\"!  It may be "
                                  "missing or in use by another program.");
    EXPECT_TRUE(modal) << "no idle while a message box is up";
    auto escape = [](QMessageBox* box) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &key);
    };
    struct Case {
        int buttons;
        std::function<void(QMessageBox*)> act;
        int answer;
        const char* why;
    };
    const Case cases[] = {{ButtonsYesNoCancel,
                           [](QMessageBox* b) { b->button(QMessageBox::No)->click(); }, AnswerNo,
                           "No"},
                          {ButtonsYesNoCancel, escape, AnswerCancel, "Escape is Cancel"},
                          {ButtonsOK, escape, AnswerOK, "Escape on a lone OK is OK"},
                          {ButtonsYesNoCancel, [](QMessageBox* box) { box->hide(); }, AnswerCancel,
                           "closed without a button: Cancel, not No"}};
    for (const Case& c : cases) {
        AnswerBox(c.act);
        EXPECT_EQ(ShowMessage(c.buttons, 268), c.answer) << c.why;
    }
    EXPECT_EQ(RecordedMessages().size(), 5u) << "real boxes are recorded too";
}

} // namespace
