#include "core/dynamic_menu.h"

#include "core/messages.h"
#include "core/numbers.h"

namespace kinemo {

DynamicMenu::DynamicMenu(std::string name, int firstId, int lastId)
    : name_(std::move(name)), firstId_(firstId), lastId_(lastId) {}

void DynamicMenu::clearItems() {
    entries_.clear();
    fullReported_ = false;
}

bool DynamicMenu::roomFor(std::string_view label) {
    if (!located_) {
        logLine(formatC("Main menu not found for %s", std::string(label).c_str()));
        return false;
    }
    if (firstId_ + int(entries_.size()) > lastId_) {
        // The ids past the range belong to other commands: the entry is dropped, not given one.
        if (!fullReported_)
            logLine(
                formatC("DynamicMenu.appendItem: the %s menu has no command id left after %d; \"%s\" and "
                        "later entries are left out",
                        name_.c_str(), lastId_, std::string(label).c_str()));
        fullReported_ = true;
        return false;
    }
    return true;
}

bool DynamicMenu::appendItem(std::string label, std::function<void()> action, bool checked) {
    if (!roomFor(label)) return false;
    Entry entry;
    entry.commandId = firstId_ + int(entries_.size());
    entry.label = std::move(label);
    entry.action = std::move(action);
    entry.checked = checked;
    entries_.push_back(std::move(entry));
    return true;
}

bool DynamicMenu::appendSeparator() {
    if (!roomFor("separator")) return false;
    Entry entry;
    entry.commandId = firstId_ + int(entries_.size());
    entry.separator = true;
    entries_.push_back(std::move(entry));
    return true;
}

void DynamicMenu::checkItem(int index) {
    for (int i = 0; i < int(entries_.size()); ++i) entries_[std::size_t(i)].checked = i == index;
    if (changed_) changed_();
}

bool DynamicMenu::dispatch(int commandId) const {
    if (!holds(commandId)) return false;
    const int index = commandId - firstId_;
    if (index < 0 || index >= int(entries_.size())) return false;
    // The action may rebuild this menu: it runs on a copy.
    const std::function<void()> action = entries_[std::size_t(index)].action;
    if (!action) return false;
    action();
    return true;
}

void DynamicMenu::finishRebuild() {
    if (changed_) changed_();
}

bool dispatchDynamicMenus(int commandId, std::initializer_list<const DynamicMenu*> menus) {
    for (const DynamicMenu* menu : menus)
        if (menu && menu->holds(commandId)) return menu->dispatch(commandId);
    return false;
}

}  // namespace kinemo
