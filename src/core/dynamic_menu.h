#pragma once
// A top-level menu whose entries are built at run time (the chapters, the languages, the
// viewpoints): a fixed range of command ids, entry i carrying id first + i. The window system
// shows the entries; choosing one comes back here through dispatch.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kinemo {

inline constexpr int kChapterMenuFirstId = 34000;
inline constexpr int kChapterMenuLastId = 34019;
inline constexpr int kLanguageMenuFirstId = 35000;
inline constexpr int kLanguageMenuLastId = 35019;
inline constexpr int kViewpointMenuFirstId = 36000;
inline constexpr int kViewpointMenuLastId = 36019;

class DynamicMenu {
public:
    struct Entry {
        int commandId = 0;
        std::string label;
        std::function<void()> action;  // none for a separator
        bool separator = false;
        bool checked = false;
    };

    DynamicMenu(std::string name, int firstId, int lastId);

    const std::string& name() const { return name_; }
    int firstId() const { return firstId_; }
    int lastId() const { return lastId_; }
    const std::vector<Entry>& entries() const { return entries_; }
    bool holds(int commandId) const { return commandId >= firstId_ && commandId <= lastId_; }

    // Whether the window system has a menu to show the entries in. Without one, every entry asked
    // for is logged as "Main menu not found for <label>" and left out.
    void setLocated(bool located) { located_ = located; }
    bool located() const { return located_; }

    void clearItems();
    // Appends an entry with the next id of the range. False, logged, when the menu is not located
    // or the range is used up (logged once per rebuild; later entries are dropped quietly).
    bool appendItem(std::string label, std::function<void()> action, bool checked = false);
    bool appendSeparator();
    // Puts the check mark on entry index alone; an index outside the entries clears every mark.
    void checkItem(int index);

    // Carries out the entry with that id; false for an id outside the filled part of the range or
    // a separator.
    bool dispatch(int commandId) const;

    // Told after every change of the entries (the window system rebuilds its menu).
    void setChangedHandler(std::function<void()> handler) { changed_ = std::move(handler); }
    // Ends a rebuild: the changed handler is told once.
    void finishRebuild();

private:
    bool roomFor(std::string_view label);

    std::string name_;
    int firstId_;
    int lastId_;
    std::vector<Entry> entries_;
    std::function<void()> changed_;
    bool located_ = true;
    bool fullReported_ = false;
};

// The menu whose range holds the id carries it out (the first one that holds it); false when none
// does or its entry is empty.
bool dispatchDynamicMenus(int commandId, std::initializer_list<const DynamicMenu*> menus);

}  // namespace kinemo
