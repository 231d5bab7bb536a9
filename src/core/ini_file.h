#pragma once
// An in-memory copy of one settings file: sections of "name=value" lines, kept in the order in
// which they first appeared. Names are compared exactly (case-sensitive).
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kinemo {

class CIniFile {
public:
    CIniFile() = default;
    explicit CIniFile(std::string path);
    virtual ~CIniFile() = default;
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    std::string path() const;
    void setPath(std::string path);
    // "Unable to open ini file." or "Unable to open ini file for write." after a failure, else "".
    std::string error() const;

    // Reads the file named by path and merges it into the table: every entry found replaces the
    // value held (or is appended); entries the file no longer holds keep their value. False, with
    // error set and the table unchanged, when the file cannot be opened or is not a regular file.
    bool readFile();
    // Merges settings text as readFile does with the file's bytes.
    void readFromMemory(std::string_view text);

    // Writes the whole table to path through a temporary file in the same folder that replaces
    // the old file only when every byte was written; on failure error is set, the old file is left
    // as it was, and false is returned.
    bool writeFile();
    // The text writeFile writes: "[section]" lines, "name=value" lines and an empty line after
    // each section; sections without entries are left out.
    std::string toText() const;

    // Stores value under section and name. When either is missing: false if create is false,
    // otherwise they are appended.
    bool setValue(std::string_view section, std::string_view name, std::string_view value, bool create);
    std::optional<std::string> getValue(std::string_view section, std::string_view name) const;

    // Index of the section, or -1.
    int findKey(std::string_view section) const;
    // Index of the entry within the section, or -1 (also for a bad section index).
    int findValue(int sectionIndex, std::string_view name) const;

    int sectionCount() const;
    std::string sectionName(int sectionIndex) const;
    int valueCount(int sectionIndex) const;
    std::string valueName(int sectionIndex, int valueIndex) const;
    std::string valueAt(int sectionIndex, int valueIndex) const;

    // Empties the table (path is kept).
    void clear();

private:
    struct Entry {
        std::string name;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        std::unordered_map<std::string, int> index;
    };

    int findKeyLocked(std::string_view section) const;
    int addSectionLocked(std::string_view section);
    bool setValueLocked(std::string_view section, std::string_view name, std::string_view value, bool create);
    void readLocked(std::string_view text);
    std::string toTextLocked() const;
    bool validValueLocked(int sectionIndex, int valueIndex) const;

    // The render thread reads settings while the user interface thread may re-read a file.
    mutable std::mutex mutex_;
    std::string path_;
    std::string error_;
    std::vector<Section> sections_;
    std::unordered_map<std::string, int> sectionIndex_;
};

}  // namespace kinemo
