// The menu bar, built from the menu resources, and the accelerator table.

#include "resources/Menus.h"
#include "shell/platform/PlatformInternal.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <map>
#include <vector>

struct MenuRecord {
    int number = 0;
    QPointer<QMenu> menu;
    std::vector<QPointer<QAction>> items;  // items[0] is item 1
    std::vector<bool> checked;             // the marks as last set, restored on a click
};

namespace {

std::map<int, MenuRecord*> gMenus;  // by menu number
std::vector<MenuRecord*> gBarMenus;  // top-level menus from left to right

MenuRecord* BuildMenu(QMenu* menu, const MenuDef& def) {
    auto* record = new MenuRecord;
    record->number = def.number;
    record->menu = menu;
    gMenus[def.number] = record;
    std::map<int, QActionGroup*> groups;
    for (int i = 0; i < def.count; ++i) {
        const MenuItemDef& item = def.items[i];
        QAction* action = nullptr;
        if (item.label == nullptr) {
            action = menu->addSeparator();
        } else if (item.submenu != 0) {
            const MenuDef* sub = FindMenu(item.submenu);
            auto* child = new QMenu(ToQString(item.label), menu);
            if (sub != nullptr) BuildMenu(child, *sub);
            action = menu->addMenu(child);
        } else {
            action = menu->addAction(ToQString(item.label));
            int number = def.number;
            int position = i + 1;
            QObject::connect(action, &QAction::triggered, action, [record, number, position] {
                // The check mark belongs to the program's state, not to the click:
                // put it back before the command runs; the handler updates it.
                for (std::size_t k = 0; k < record->items.size(); ++k) {
                    QAction* a = record->items[k];
                    if (a != nullptr && a->isCheckable() && a->isChecked() != record->checked[k])
                        a->setChecked(record->checked[k]);
                }
                DispatchMenuCommand(number, position);
            });
            if (item.radioGroup != 0) {
                QActionGroup*& group = groups[item.radioGroup];
                if (group == nullptr) {
                    group = new QActionGroup(menu);
                    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
                }
                action->setActionGroup(group);
                action->setCheckable(true);
            }
        }
        record->items.push_back(action);
        record->checked.push_back(false);
    }
    return record;
}

// Menus and their keys can't be reached while the main window is disabled
// (a modal dialog or the progress box is up).
bool MenusReachable() {
    WindowRef main = MainWindow();
    return main != nullptr && main->widget != nullptr && main->widget->isEnabled();
}

QAction* ActionOf(MenuRef menu, int item) {
    if (menu == nullptr || item < 1 || item > static_cast<int>(menu->items.size())) return nullptr;
    return menu->items[static_cast<std::size_t>(item - 1)];
}

} // namespace

void ForgetMenus() {
    for (auto& [number, record] : gMenus) delete record;
    gMenus.clear();
    gBarMenus.clear();
}

void BuildMenuBar(WindowRecord* main, int number) {
    auto* frame = qobject_cast<QMainWindow*>(main->widget.data());
    if (frame == nullptr) return;
    ForgetMenus();
    QMenuBar* bar = frame->menuBar();
    bar->clear();
    std::size_t count = 0;
    const int* menus = MenuBarMenus(number, &count);
    for (std::size_t i = 0; i < count; ++i) {
        const MenuDef* def = FindMenu(menus[i]);
        if (def == nullptr) continue;
        QMenu* menu = bar->addMenu(ToQString(def->title));
        gBarMenus.push_back(BuildMenu(menu, *def));
    }
    std::map<int, QList<QKeySequence>> shortcuts;
    const AcceleratorDef* keys = AcceleratorTable(number, &count);
    for (std::size_t i = 0; i < count; ++i)
        shortcuts[keys[i].command].append(
            QKeySequence::fromString(keys[i].key, QKeySequence::PortableText));
    for (auto& [command, list] : shortcuts) {
        if (QAction* action = ActionOf(FindMenuByNumber(command / 100), command % 100)) {
            action->setShortcuts(list);
            action->setShortcutContext(Qt::WindowShortcut);
        }
    }
}

MenuRef GetMenuBarMenu(int position) {
    if (position < 1 || position > static_cast<int>(gBarMenus.size())) return nullptr;
    return gBarMenus[static_cast<std::size_t>(position - 1)];
}

MenuRef GetSubMenu(MenuRef menu, int item) {
    QAction* action = ActionOf(menu, item);
    if (action == nullptr || action->menu() == nullptr) return nullptr;
    for (auto& [number, record] : gMenus)
        if (record->menu == action->menu()) return record;
    return nullptr;
}

MenuRef FindMenuByNumber(int number) {
    auto it = gMenus.find(number);
    return it == gMenus.end() ? nullptr : it->second;
}

int MenuNumber(MenuRef menu) { return menu ? menu->number : 0; }

int MenuItemCount(MenuRef menu) { return menu ? static_cast<int>(menu->items.size()) : 0; }

void EnableMenuItem(MenuRef menu, int item, bool enabled) {
    if (QAction* action = ActionOf(menu, item)) action->setEnabled(enabled);
}

void CheckMenuItem(MenuRef menu, int item, bool checked) {
    QAction* action = ActionOf(menu, item);
    if (action == nullptr || action->isSeparator()) return;
    if (checked && !action->isCheckable()) action->setCheckable(true);
    if (action->isCheckable()) action->setChecked(checked);
    // Checking a radio item clears the others of its group: remember the
    // marks as they now are, so that a click puts back exactly these.
    for (std::size_t k = 0; k < menu->items.size(); ++k) {
        QAction* a = menu->items[k];
        menu->checked[k] = a != nullptr && a->isCheckable() && a->isChecked();
    }
}

bool IsMenuItemEnabled(MenuRef menu, int item) {
    QAction* action = ActionOf(menu, item);
    return action != nullptr && action->isEnabled() && !action->isSeparator();
}

bool IsMenuItemChecked(MenuRef menu, int item) {
    QAction* action = ActionOf(menu, item);
    return action != nullptr && action->isCheckable() && action->isChecked();
}

std::string GetMenuItemText(MenuRef menu, int item) {
    QAction* action = ActionOf(menu, item);
    if (action == nullptr) return {};
    QString text = action->text();
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        plain.append(text[i]);
    }
    return FromQString(plain);
}

void SetMenuItemText(MenuRef menu, int item, const std::string& text) {
    if (QAction* action = ActionOf(menu, item)) action->setText(ToQString(text));
}

bool InvokeMenuItem(int menu, int item) {
    QAction* action = ActionOf(FindMenuByNumber(menu), item);
    if (action == nullptr || action->isSeparator() || action->menu() != nullptr) return false;
    if (!action->isEnabled() || !MenusReachable()) return false;
    action->trigger();
    return true;
}

bool InvokeAccelerator(const std::string& key) {
    QKeySequence wanted = QKeySequence::fromString(QString::fromStdString(key),
                                                   QKeySequence::PortableText);
    for (auto& [number, record] : gMenus) {
        for (QAction* action : record->items) {
            if (action == nullptr || !action->shortcuts().contains(wanted)) continue;
            if (!action->isEnabled() || !MenusReachable()) return false;
            action->trigger();
            return true;
        }
    }
    return false;
}
