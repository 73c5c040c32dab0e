// Message boxes by string number, the message switch and the string table.

#include "resources/Strings.h"
#include "shell/platform/PlatformInternal.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdarg>
#include <vector>

namespace {

constexpr std::size_t kStringLimit = 255;

bool gMessagesEnabled = true;
MessageResponder gMessageResponder;
std::vector<MessageRecord> gRecorded;

std::string FormatString(int number, va_list args) {
    std::string format = LoadString(number);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format.c_str(), copy);
    va_end(copy);
    if (length < 0) return format;
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format.c_str(), args);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

int RunMessageBox(int buttons, const std::string& text) {
    if (qApp == nullptr) InitPlatform(0, nullptr);
    IdleBlocker block;
    QMessageBox box(QMessageBox::Information, MessageTitle(), ToQString(text), QMessageBox::NoButton,
                    MainWindow() != nullptr ? MainWindow()->widget.data() : nullptr);
    QAbstractButton* ok = nullptr;
    QAbstractButton* cancel = nullptr;
    QAbstractButton* no = nullptr;
    switch (buttons) {
    case ButtonsOKCancel:
        ok = box.addButton(QMessageBox::Ok);
        cancel = box.addButton(QMessageBox::Cancel);
        box.setEscapeButton(cancel);
        break;
    case ButtonsYesNoCancel:
        ok = box.addButton(QMessageBox::Yes);
        no = box.addButton(QMessageBox::No);
        cancel = box.addButton(QMessageBox::Cancel);
        box.setEscapeButton(cancel);
        break;
    default:
        ok = box.addButton(QMessageBox::Ok);
        box.setEscapeButton(ok);
        break;
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(ok));
    box.exec();
    // A box that went away without a button (closed from outside) counts as
    // its escape answer, never as No.
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == nullptr) return buttons == ButtonsOK ? AnswerOK : AnswerCancel;
    if (clicked == no) return AnswerNo;
    if (clicked == cancel) return AnswerCancel;
    return AnswerOK;
}

int Present(int buttons, int number, const std::string& text) {
    if (!gMessagesEnabled) return AnswerNone;
    MessageRecord record{number, text, buttons};
    gRecorded.push_back(record);
    if (gMessageResponder) return gMessageResponder(record);
    return RunMessageBox(buttons, text);
}

} // namespace

int ShowMessage(int buttons, int number, ...) {
    va_list args;
    va_start(args, number);
    std::string text = FormatString(number, args);
    va_end(args);
    return Present(buttons, number, text);
}

std::string FormatMessage(int number, ...) {
    va_list args;
    va_start(args, number);
    std::string text = FormatString(number, args);
    va_end(args);
    return text;
}

void SetMessagesEnabled(bool on) { gMessagesEnabled = on; }
bool MessagesEnabled() { return gMessagesEnabled; }

void Beep() {
    if (qApp != nullptr) QApplication::beep();
}

std::string LoadString(int number) {
    const char* text = StringText(number);
    if (text == nullptr) return {};
    std::string s(text);
    if (s.size() > kStringLimit) s.resize(kStringLimit);
    return s;
}

void SetMessageResponder(MessageResponder responder) { gMessageResponder = std::move(responder); }
const std::vector<MessageRecord>& RecordedMessages() { return gRecorded; }
void ClearRecordedMessages() { gRecorded.clear(); }
