// Dialogs from numbered templates, their controls, the prompt box and the
// progress box.

#include "shell/platform/PlatformInternal.h"
#include "shell/platform/Widgets.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QUiLoader>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace {

// The longest text a single-line control hands back.
constexpr int kItemTextLimit = 255;

struct ModalEntry {
    WindowRecord* dialog = nullptr;
    bool running = true;
    long result = 0;
    QEventLoop* loop = nullptr;
};
std::vector<ModalEntry*> gModalStack;

struct DialogResponse {
    std::function<void(WindowRef)> fill;
    int button = 0;
};
std::map<int, DialogResponse> gDialogResponders;
AskResponder gAskResponder;

QString TemplatePath(int number) {
    if (number == kAskBoxTemplate) return QStringLiteral(":/dialogs/ASKBOX.ui");
    if (number == kPrintBoxTemplate) return QStringLiteral(":/dialogs/PRINTBOX.ui");
    return QStringLiteral(":/dialogs/%1.ui").arg(number);
}

// A second click on the same button within the double-click time is the
// tail of a double click, which arrives on its own as code 5.
bool AcceptClick(WindowRecord* record, int control) {
    long now = TickCount();
    if (record->lastClickControl == control && now - record->lastClickTicks < DoubleClickTime()) {
        record->lastClickControl = 0;
        return false;
    }
    record->lastClickControl = control;
    record->lastClickTicks = now;
    return true;
}

class DoubleClickWatcher : public QObject {
public:
    DoubleClickWatcher(WindowRecord* record, int control, QObject* parent)
        : QObject(parent), record_(record), control_(control) {}
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick)
            DeliverWindowEvent(record_, ControlNotify, control_, NotifyDoubleClicked);
        return QObject::eventFilter(object, event);
    }

private:
    WindowRecord* record_;
    int control_;
};

int ScrollCodeOf(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollLineUp;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollLineDown;
    case QAbstractSlider::SliderPageStepSub: return ScrollPageUp;
    case QAbstractSlider::SliderPageStepAdd: return ScrollPageDown;
    case QAbstractSlider::SliderMove: return ScrollThumbTracking;
    default: return 0;
    }
}

QString ClipText(const QString& text) {
    return text.size() > kItemTextLimit ? text.left(kItemTextLimit) : text;
}

// Multi-line edits hold CR LF line ends inside the program.
QString ToEditText(const std::string& text) {
    QString s = ToQString(text);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    return s;
}

std::string FromEditText(const QString& text) {
    QString s = text;
    s.replace("\n", "\r\n");
    return FromQString(s);
}

ModalEntry* TopModal() { return gModalStack.empty() ? nullptr : gModalStack.back(); }

} // namespace

// ---------------------------------------------------------------------------
// Dialog frames

void DialogFrame::reject() {
    if (record != nullptr) DeliverWindowEvent(record, ControlNotify, kCancelButton, NotifyClicked);
}

void DialogFrame::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (record != nullptr) DeliverWindowEvent(record, Paint, 0, 0);
}

void ConnectControl(WindowRecord* record, int number, QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QObject::connect(button, &QAbstractButton::clicked, button, [record, number] {
            if (AcceptClick(record, number))
                DeliverWindowEvent(record, ControlNotify, number, NotifyClicked);
        });
        button->installEventFilter(new DoubleClickWatcher(record, number, button));
        // Buttons that act while held (a hand paddle's arrows) say when the
        // press starts and ends; the button keeps the mouse in between.
        if (button->property("pressAndRelease").toBool()) {
            QObject::connect(button, &QAbstractButton::pressed, button, [record, number] {
                DeliverWindowEvent(record, ControlNotify, number, NotifyPressed);
            });
            QObject::connect(button, &QAbstractButton::released, button, [record, number] {
                DeliverWindowEvent(record, ControlNotify, number, NotifyReleased);
            });
        }
        if (auto* push = qobject_cast<QPushButton*>(button)) {
            push->setAutoDefault(number == kOKButton);
            push->setDefault(number == kOKButton);
        }
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setMaxLength(kItemTextLimit);
        QObject::connect(edit, &QLineEdit::textEdited, edit, [record, number] {
            DeliverWindowEvent(record, ControlNotify, number, NotifyEditChanged);
        });
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        QObject::connect(plain, &QPlainTextEdit::textChanged, plain, [record, number] {
            DeliverWindowEvent(record, ControlNotify, number, NotifyEditChanged);
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        QObject::connect(combo, &QComboBox::activated, combo, [record, number](int) {
            DeliverWindowEvent(record, ControlNotify, number, NotifySelectionChanged);
        });
        if (combo->isEditable() && combo->lineEdit() != nullptr) {
            QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [record, number] {
                DeliverWindowEvent(record, ControlNotify, number, NotifyEditChanged);
            });
        }
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        QObject::connect(list, &QListWidget::currentRowChanged, list, [record, number](int) {
            DeliverWindowEvent(record, ControlNotify, number, NotifySelectionChanged);
        });
        QObject::connect(list, &QListWidget::itemDoubleClicked, list, [record, number] {
            DeliverWindowEvent(record, ControlNotify, number, NotifyDoubleClicked);
        });
    } else if (auto* tabs = qobject_cast<QTabWidget*>(control)) {
        QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [record, number](int) {
            DeliverWindowEvent(record, ControlNotify, number, NotifyTabChanged);
        });
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        QObject::connect(slider, &QAbstractSlider::actionTriggered, slider,
                         [record, number](int action) {
                             int code = ScrollCodeOf(action);
                             if (code != 0) DeliverWindowEvent(record, ControlNotify, number, code);
                         });
        QObject::connect(slider, &QAbstractSlider::sliderReleased, slider, [record, number] {
            DeliverWindowEvent(record, ControlNotify, number, ScrollThumbReleased);
        });
    }
}

void AdoptControls(WindowRecord* record, QWidget* root) {
    static const QRegularExpression kControlName(QStringLiteral("^c(\\d+)$"));
    for (QWidget* child : root->findChildren<QWidget*>()) {
        QRegularExpressionMatch match = kControlName.match(child->objectName());
        if (!match.hasMatch()) continue;
        int number = match.captured(1).toInt();
        record->controls[number] = child;
        ConnectControl(record, number, child);
    }
}

QWidget* ControlOf(WindowRef window, int control) {
    if (window == nullptr) return nullptr;
    auto it = window->controls.find(control);
    if (it == window->controls.end()) return nullptr;
    return it->second.data();
}

bool DialogTemplateExists(int templateNumber) { return QFile::exists(TemplatePath(templateNumber)); }

namespace {
// Makes a dialog from its template and sends it Create. A modal run passes its
// entry so that the dialog is already the modal one while Create runs (a
// handler may end its dialog there, before it is ever shown).
WindowRecord* MakeDialog(int templateNumber, long parameter, EventHandler handler,
                         ModalEntry* modal) {
    if (qApp == nullptr) InitPlatform(0, nullptr);
    QFile file(TemplatePath(templateNumber));
    if (!file.open(QIODevice::ReadOnly)) return nullptr;
    WindowRecord* main = MainWindow();
    auto* frame = new DialogFrame(main != nullptr ? main->widget.data() : nullptr);
    QUiLoader loader;
    QWidget* form = loader.load(&file, frame);
    if (form == nullptr) {
        delete frame;
        return nullptr;
    }
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(form);
    frame->setWindowTitle(form->windowTitle().isEmpty() ? MessageTitle() : form->windowTitle());
    frame->setSizeGripEnabled(false);
    frame->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    WindowRecord* record = NewWindowRecord(frame, handler, parameter, templateNumber);
    record->isDialog = true;
    frame->record = record;
    if (modal != nullptr) {
        record->isModal = true;
        modal->dialog = record;
    }
    AdoptControls(record, form);
    frame->installEventFilter(TopLevelFilter::instance());
    FitToContents(frame);
    DeliverWindowEvent(record, Create, templateNumber, parameter);
    // A handler that destroyed its own window while being created leaves nothing.
    if (RecordOf(frame) != record) return nullptr;
    return record;
}
} // namespace

WindowRef CreateDialogWindow(int templateNumber, long parameter, EventHandler handler) {
    return MakeDialog(templateNumber, parameter, handler, nullptr);
}

long RunDialog(int templateNumber, long parameter, EventHandler handler) {
    IdleBlocker block;
    ModalEntry entry;
    gModalStack.push_back(&entry);
    WindowRecord* dialog = MakeDialog(templateNumber, parameter, handler, &entry);
    if (dialog == nullptr) {
        gModalStack.pop_back();
        return 0;
    }
    QPointer<QWidget> frame = dialog->widget;
    std::vector<QPointer<QWidget>> disabled;
    if (entry.running) {
        disabled = DisableOtherWindows(frame);
        CenterOnParent(dialog);
        frame->show();
        frame->raise();
        frame->activateWindow();
    }
    auto responder = gDialogResponders.find(templateNumber);
    if (entry.running && responder != gDialogResponders.end()) {
        DialogResponse response = responder->second;
        if (response.fill) response.fill(dialog);
        if (entry.running && response.button != 0) {
            dialog->lastClickControl = 0;
            if (auto* button = qobject_cast<QAbstractButton*>(ControlOf(dialog, response.button)))
                button->click();
            else
                DeliverWindowEvent(dialog, ControlNotify, response.button, NotifyClicked);
        }
        // A scripted dialog never waits for a person.
        if (entry.running) {
            entry.running = false;
            entry.result = 0;
        }
    }
    if (entry.running) {
        QEventLoop loop;
        entry.loop = &loop;
        loop.exec(QEventLoop::DialogExec);
        entry.loop = nullptr;
    }
    gModalStack.pop_back();
    ReenableWindows(disabled);
    DestroyWindow(dialog);
    return entry.result;
}

void EndDialogResult(long result) {
    ModalEntry* entry = TopModal();
    if (entry == nullptr) return;
    entry->running = false;
    entry->result = result;
    if (entry->loop != nullptr) entry->loop->quit();
}

WindowRef ModalDialog() {
    ModalEntry* entry = TopModal();
    return entry != nullptr ? entry->dialog : nullptr;
}

void ResetDialogs() {
    for (ModalEntry* entry : gModalStack) {
        entry->running = false;
        if (entry->loop != nullptr) entry->loop->quit();
    }
    EndProgress();
}

// ---------------------------------------------------------------------------
// Control access

std::string GetItemText(WindowRef dialog, int control) {
    QWidget* w = ControlOf(dialog, control);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return FromQString(ClipText(edit->text()));
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) return FromEditText(plain->toPlainText());
    if (auto* text = qobject_cast<QTextEdit*>(w)) return FromEditText(text->toPlainText());
    if (auto* label = qobject_cast<QLabel*>(w)) return FromQString(ClipText(label->text()));
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return FromQString(ClipText(button->text()));
    if (auto* combo = qobject_cast<QComboBox*>(w)) return FromQString(ClipText(combo->currentText()));
    if (auto* group = qobject_cast<QGroupBox*>(w)) return FromQString(ClipText(group->title()));
    if (auto* list = qobject_cast<QListWidget*>(w))
        return list->currentItem() ? FromQString(ClipText(list->currentItem()->text())) : "";
    if (auto* spin = qobject_cast<QSpinBox*>(w)) return std::to_string(spin->value());
    return {};
}

void SetItemText(WindowRef dialog, int control, const std::string& text) {
    QWidget* w = ControlOf(dialog, control);
    if (w == nullptr) return;
    QSignalBlocker blocker(w);
    QString q = ToQString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(q);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) plain->setPlainText(ToEditText(text));
    else if (auto* rich = qobject_cast<QTextEdit*>(w)) rich->setPlainText(ToEditText(text));
    else if (auto* label = qobject_cast<QLabel*>(w)) label->setText(q);
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(q);
    else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable()) combo->setEditText(q);
        else combo->setCurrentIndex(combo->findText(q));
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) group->setTitle(q);
    else if (auto* spin = qobject_cast<QSpinBox*>(w)) spin->setValue(q.toInt());
}

long GetItemValue(WindowRef dialog, int control) {
    QWidget* w = ControlOf(dialog, control);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->isChecked() ? 1 : 0;
    // The thumb's position: while it is dragged, the value lags one step behind.
    if (auto* slider = qobject_cast<QAbstractSlider*>(w)) return slider->sliderPosition();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentIndex() + 1;
    if (auto* list = qobject_cast<QListWidget*>(w)) return list->currentRow() + 1;
    if (auto* progress = qobject_cast<QProgressBar*>(w)) return progress->value();
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) return tabs->currentIndex() + 1;
    if (auto* spin = qobject_cast<QSpinBox*>(w)) return spin->value();
    return 0;
}

void SetItemValue(WindowRef dialog, int control, long value) {
    QWidget* w = ControlOf(dialog, control);
    if (w == nullptr) return;
    QSignalBlocker blocker(w);
    int v = static_cast<int>(value);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (!button->isCheckable()) return;
        if (value == 0 && button->autoExclusive()) {
            // An exclusive radio button refuses to be unticked directly.
            button->setAutoExclusive(false);
            button->setChecked(false);
            button->setAutoExclusive(true);
        } else {
            button->setChecked(value != 0);
        }
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(w)) slider->setValue(v);
    else if (auto* combo = qobject_cast<QComboBox*>(w)) combo->setCurrentIndex(v - 1);
    else if (auto* list = qobject_cast<QListWidget*>(w)) list->setCurrentRow(v - 1);
    else if (auto* progress = qobject_cast<QProgressBar*>(w)) progress->setValue(v);
    else if (auto* tabs = qobject_cast<QTabWidget*>(w)) tabs->setCurrentIndex(v - 1);
    else if (auto* spin = qobject_cast<QSpinBox*>(w)) spin->setValue(v);
}

void SetItemRange(WindowRef dialog, int control, long minimum, long maximum) {
    QWidget* w = ControlOf(dialog, control);
    int lo = static_cast<int>(minimum), hi = static_cast<int>(maximum);
    if (auto* slider = qobject_cast<QAbstractSlider*>(w)) slider->setRange(lo, hi);
    else if (auto* progress = qobject_cast<QProgressBar*>(w)) progress->setRange(lo, hi);
    else if (auto* spin = qobject_cast<QSpinBox*>(w)) spin->setRange(lo, hi);
}

void CheckRadio(WindowRef dialog, int first, int last, int chosen) {
    for (int c = first; c <= last; ++c)
        if (c != chosen) SetItemValue(dialog, c, 0);
    if (chosen >= first && chosen <= last) SetItemValue(dialog, chosen, 1);
}

int FirstCheckedRadio(WindowRef dialog, int first, int last) {
    for (int c = first; c <= last; ++c)
        if (auto* button = qobject_cast<QAbstractButton*>(ControlOf(dialog, c)))
            if (button->isChecked()) return c;
    return 0;
}

void EnableItem(WindowRef dialog, int control, bool enabled) {
    if (QWidget* w = ControlOf(dialog, control)) w->setEnabled(enabled);
}

bool IsItemEnabled(WindowRef dialog, int control) {
    QWidget* w = ControlOf(dialog, control);
    return w != nullptr && w->isEnabled();
}

void ShowItem(WindowRef dialog, int control) {
    if (QWidget* w = ControlOf(dialog, control)) w->setVisible(true);
}

void HideItem(WindowRef dialog, int control) {
    if (QWidget* w = ControlOf(dialog, control)) w->setVisible(false);
}

bool IsItemVisible(WindowRef dialog, int control) {
    QWidget* w = ControlOf(dialog, control);
    return w != nullptr && !w->isHidden();
}

bool ItemExists(WindowRef dialog, int control) { return ControlOf(dialog, control) != nullptr; }

Rect GetItemRect(WindowRef dialog, int control) {
    QWidget* w = ControlOf(dialog, control);
    if (w == nullptr || dialog->widget == nullptr) return {};
    QWidget* client = dialog->canvas ? static_cast<QWidget*>(dialog->canvas) : dialog->widget.data();
    QPoint topLeft = w->mapTo(client, QPoint(0, 0));
    return {topLeft.x(), topLeft.y(), topLeft.x() + w->width(), topLeft.y() + w->height()};
}

void MoveItem(WindowRef dialog, int control, const Rect& rect) {
    QWidget* w = ControlOf(dialog, control);
    if (w == nullptr || dialog->widget == nullptr) return;
    QWidget* client = dialog->canvas ? static_cast<QWidget*>(dialog->canvas) : dialog->widget.data();
    QWidget* parent = w->parentWidget() ? w->parentWidget() : client;
    QPoint topLeft = parent->mapFrom(client, QPoint(rect.left, rect.top));
    w->setGeometry(topLeft.x(), topLeft.y(), rect.width(), rect.height());
}

void SetItemIcon(WindowRef dialog, int control, int icon) {
    QImage image = RenderSvgResource(QStringLiteral(":/icons/%1.svg").arg(icon), QSize(32, 32));
    if (image.isNull()) return;
    QWidget* w = ControlOf(dialog, control);
    if (auto* label = qobject_cast<QLabel*>(w)) label->setPixmap(QPixmap::fromImage(image));
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setIcon(QIcon(QPixmap::fromImage(image)));
}

void SetItemPicture(WindowRef dialog, int control, PictureRef picture) {
    auto* label = qobject_cast<QLabel*>(ControlOf(dialog, control));
    if (label == nullptr || picture == nullptr) return;
    label->setPixmap(QPixmap::fromImage(picture->image));
    label->setFixedSize(picture->image.size());
    if (dialog->widget) FitToContents(dialog->widget);
}

void ListAddText(WindowRef dialog, int control, const std::string& text) {
    QWidget* w = ControlOf(dialog, control);
    QSignalBlocker blocker(w);
    if (auto* list = qobject_cast<QListWidget*>(w)) list->addItem(ToQString(text));
    else if (auto* combo = qobject_cast<QComboBox*>(w)) combo->addItem(ToQString(text));
}

void ListInsertText(WindowRef dialog, int control, int position, const std::string& text) {
    QWidget* w = ControlOf(dialog, control);
    QSignalBlocker blocker(w);
    if (auto* list = qobject_cast<QListWidget*>(w)) list->insertItem(position - 1, ToQString(text));
    else if (auto* combo = qobject_cast<QComboBox*>(w)) combo->insertItem(position - 1, ToQString(text));
}

void ListClear(WindowRef dialog, int control) {
    QWidget* w = ControlOf(dialog, control);
    QSignalBlocker blocker(w);
    if (auto* list = qobject_cast<QListWidget*>(w)) list->clear();
    else if (auto* combo = qobject_cast<QComboBox*>(w)) combo->clear();
}

int ListCount(WindowRef dialog, int control) {
    QWidget* w = ControlOf(dialog, control);
    if (auto* list = qobject_cast<QListWidget*>(w)) return list->count();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->count();
    return 0;
}

std::string ListGetText(WindowRef dialog, int control, int position) {
    QWidget* w = ControlOf(dialog, control);
    if (auto* list = qobject_cast<QListWidget*>(w)) {
        QListWidgetItem* item = list->item(position - 1);
        return item ? FromQString(ClipText(item->text())) : "";
    }
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return position >= 1 && position <= combo->count()
                   ? FromQString(ClipText(combo->itemText(position - 1)))
                   : "";
    return {};
}

void ListFillFromStrings(WindowRef dialog, int control, int firstString, int lastString) {
    for (int n = firstString; n <= lastString; ++n) ListAddText(dialog, control, LoadString(n));
}

void RefuseItem(WindowRef dialog, int control, const std::string& field,
                const std::string& wanted) {
    std::string typed = GetItemText(dialog, control);
    ShowMessage(ButtonsOK, kItemRefusedString, field.c_str(), typed.c_str(), wanted.c_str());
    if (auto* edit = qobject_cast<QLineEdit*>(ControlOf(dialog, control))) {
        edit->setFocus();
        edit->selectAll();
    }
}

bool ItemTextInCodePage(WindowRef dialog, int control) {
    QWidget* w = ControlOf(dialog, control);
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        text = edit->text();
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        text = combo->currentText();
    return ToQString(FromQString(text)) == text;
}

void TypeItemText(WindowRef dialog, int control, const std::string& utf8) {
    auto* edit = qobject_cast<QLineEdit*>(ControlOf(dialog, control));
    if (edit == nullptr) return;
    edit->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    DeliverWindowEvent(dialog, ControlNotify, control, NotifyEditChanged);
}

void PressButton(WindowRef dialog, int control) {
    QWidget* w = ControlOf(dialog, control);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        QPointer<QAbstractButton> guard(button);
        button->setDown(true);
        Wait(125);
        if (guard == nullptr) return;
        button->setDown(false);
        dialog->lastClickControl = 0;
        button->click();
    } else if (w != nullptr) {
        w->setFocus();
    }
}

// ---------------------------------------------------------------------------
// The prompt box

namespace {
struct AskState {
    std::string prompt;
    std::string text;
};

long AskHandler(int event, WindowRef dialog, long a, long) {
    auto* state = reinterpret_cast<AskState*>(WindowParameter(dialog));
    if (event == Create) {
        SetWindowTitle(dialog, FromQString(MessageTitle()));
        SetItemText(dialog, 3, state->prompt);
        SetItemText(dialog, 4, state->text);
        if (auto* edit = qobject_cast<QLineEdit*>(ControlOf(dialog, 4))) {
            edit->selectAll();
            edit->setFocus();
        }
    } else if (event == ControlNotify && a == kOKButton) {
        state->text = GetItemText(dialog, 4);
        EndDialogResult(1);
    } else if (event == ControlNotify && a == kCancelButton) {
        EndDialogResult(0);
    }
    return 1;
}
} // namespace

int Ask(const std::string& prompt, std::string& text) {
    if (gAskResponder) {
        std::string edited = text;
        if (!gAskResponder(prompt, edited)) return 0;
        text = edited.substr(0, kItemTextLimit);
        return 1;
    }
    AskState state{prompt, text};
    long result = RunDialog(kAskBoxTemplate, reinterpret_cast<long>(&state), AskHandler);
    if (result != 1) return 0;
    text = state.text;
    return 1;
}

void SetAskResponder(AskResponder responder) { gAskResponder = std::move(responder); }

void SetDialogResponder(int templateNumber, std::function<void(WindowRef)> fill, int button) {
    gDialogResponders[templateNumber] = DialogResponse{std::move(fill), button};
}

void ClearDialogResponders() { gDialogResponders.clear(); }

// ---------------------------------------------------------------------------
// The progress box

namespace {
constexpr int kProgressText = 1;
constexpr int kProgressCancel = 2;
constexpr int kProgressBar = 3;
constexpr int kProgressScale = 1000;
constexpr long kPumpEvery = 100;  // milliseconds between looks at the queue
constexpr int kPumpFor = 100;     // and how long each look may take

struct ProgressState {
    WindowRecord* window = nullptr;
    std::unique_ptr<IdleBlocker> block;
    std::vector<QPointer<QWidget>> disabled;
    int stages = 1;
    int stage = 0;
    long from = 0, to = 1;
    bool cancelled = false;
    long lastPump = 0;
    long barPosition = -1;
};
ProgressState* gProgress = nullptr;

long ProgressHandler(int event, WindowRef, long a, long) {
    if (gProgress == nullptr) return 1;
    if ((event == ControlNotify && a == kProgressCancel) || event == CloseRequest) {
        if (IsItemVisible(gProgress->window, kProgressCancel)) gProgress->cancelled = true;
    }
    return 1;
}

void SetProgressBar(double fraction) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    // Long tasks report every step; the bar only moves a thousand times.
    long position = static_cast<long>(fraction * kProgressScale);
    if (position == gProgress->barPosition) return;
    gProgress->barPosition = position;
    SetItemValue(gProgress->window, kProgressBar, position);
}
} // namespace

void BeginProgress(bool cancellable, int stages) {
    EndProgress();
    gProgress = new ProgressState;
    gProgress->block = std::make_unique<IdleBlocker>();
    gProgress->stages = std::max(1, stages);
    gProgress->lastPump = TickCount();
    gProgress->window = CreateDialogWindow(kProgressTemplate, 0, ProgressHandler);
    if (gProgress->window == nullptr) return;
    SetWindowTitle(gProgress->window, FromQString(MessageTitle()));
    SetItemRange(gProgress->window, kProgressBar, 0, kProgressScale);
    SetItemValue(gProgress->window, kProgressBar, 0);
    if (!cancellable) HideItem(gProgress->window, kProgressCancel);
    gProgress->disabled = DisableOtherWindows(gProgress->window->widget);
    CenterOnParent(gProgress->window);
    ShowWindow(gProgress->window);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressStage(const std::string& text, long from, long to) {
    if (gProgress == nullptr) return;
    gProgress->stage = std::min(gProgress->stage + 1, gProgress->stages);
    gProgress->from = from;
    gProgress->to = to;
    if (gProgress->window == nullptr) return;
    SetItemText(gProgress->window, kProgressText, text);
    SetProgressBar(static_cast<double>(gProgress->stage - 1) / gProgress->stages);
}

int ProgressUpdate(long value) {
    if (gProgress == nullptr) return 1;
    if (gProgress->window != nullptr) {
        double within = gProgress->to != gProgress->from
                            ? static_cast<double>(value - gProgress->from) /
                                  static_cast<double>(gProgress->to - gProgress->from)
                            : 1.0;
        within = std::clamp(within, 0.0, 1.0);
        SetProgressBar((std::max(0, gProgress->stage - 1) + within) / gProgress->stages);
        long now = TickCount();
        if (now - gProgress->lastPump >= kPumpEvery) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, kPumpFor);
            gProgress->lastPump = TickCount();
        }
    }
    return gProgress != nullptr && gProgress->cancelled ? 0 : 1;
}

void EndProgress() {
    if (gProgress == nullptr) return;
    ProgressState* state = gProgress;
    gProgress = nullptr;
    ReenableWindows(state->disabled);
    if (state->window != nullptr) DestroyWindow(state->window);
    delete state;
}

WindowRef ProgressWindow() { return gProgress != nullptr ? gProgress->window : nullptr; }
