#pragma once
// The DEF names of the scene being read. Every file read (the scene and each Inline) opens a
// scope: names are looked up from the scope's start on, so an Inline never sees the names of the
// file that includes it, while that file sees the Inline's names after it.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kinemo {

class BasicObject;

class DefRegistry {
public:
    // Holds name until the next object is registered; an empty name is reported and not held.
    void setPendingName(std::string_view name);
    void clearPendingName() { pending_.clear(); }
    bool hasPendingName() const { return !pending_.empty(); }
    const std::string& pendingName() const { return pending_; }

    // Enters object under the pending name (nothing when none is pending). A name defined again in
    // the same scope replaces the entry ("Substituting DEF %s"). A node takes the name as its name.
    void registerDef(BasicObject* object);
    // The object of that name, or none ("Missing USE : " + name).
    BasicObject* findDef(std::string_view name);

    // A read begins: a new scope starts at the current end. endFile returns to the enclosing scope.
    void beginFile();
    void endFile();
    // Empties the registry (a new scene).
    void clear();
    // An object that goes away leaves no entry behind.
    void forget(const BasicObject* object);

    std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        std::string name;
        BasicObject* object;
    };
    // "r" and decimal digits, within int range: its number, else -1.
    static long fastIndex(std::string_view name);
    long search(std::string_view name);

    std::vector<Entry> entries_;
    // Every position of each name, ascending; a name occurs once per scope at most.
    std::unordered_map<std::string, std::vector<std::size_t>> positions_;
    std::unordered_multimap<const BasicObject*, std::size_t> byObject_;
    std::vector<std::size_t> bases_;
    std::size_t base_ = 0;
    long highestFast_ = -1;
    std::size_t lastFound_ = 0;
    std::string pending_;
};

DefRegistry& defRegistry();

}  // namespace kinemo
