#include "core/ini_file.h"

#include <algorithm>

#include "core/utilities.h"

namespace kinemo {
namespace {

// fgets-sized pieces: a longer physical line is taken as several lines.
constexpr std::size_t kPieceLength = 2047;

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isWhite(text.front())) text.remove_prefix(1);
    while (!text.empty() && isWhite(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

CIniFile::CIniFile(std::string path) : path_(std::move(path)) {}

std::string CIniFile::path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

void CIniFile::setPath(std::string path) {
    std::lock_guard lock(mutex_);
    path_ = std::move(path);
}

std::string CIniFile::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

bool CIniFile::readFile() {
    std::string path = this->path();
    std::string text;
    if (path.empty() || readFileText(path, text) != ReadResult::Ok) {
        std::lock_guard lock(mutex_);
        error_ = "Unable to open ini file.";
        return false;
    }
    std::lock_guard lock(mutex_);
    error_.clear();
    readLocked(text);
    return true;
}

void CIniFile::readFromMemory(std::string_view text) {
    std::lock_guard lock(mutex_);
    readLocked(text);
}

void CIniFile::readLocked(std::string_view text) {
    std::string section;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t limit = std::min(kPieceLength, text.size() - pos);
        std::size_t lineFeed = text.substr(pos, limit).find('\n');
        std::size_t length = lineFeed == std::string_view::npos ? limit : lineFeed + 1;
        std::string_view line = text.substr(pos, length);
        pos += length;
        // The line is C text: a zero byte ends it.
        std::size_t zero = line.find('\0');
        if (zero != std::string_view::npos) line = line.substr(0, zero);
        if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
        if (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
        if (line.empty()) continue;

        if (line.front() == '[' && line.back() == ']') {
            std::size_t first = line.find_first_not_of('[');
            std::string_view name = first == std::string_view::npos ? std::string_view() : line.substr(first);
            std::size_t last = name.find_last_not_of(']');
            name = last == std::string_view::npos ? std::string_view() : name.substr(0, last + 1);
            section = std::string(name);
            if (findKeyLocked(section) < 0) addSectionLocked(section);
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        std::string_view name = trimmed(line.substr(0, equals));
        if (name.empty()) continue;
        setValueLocked(section, name, trimmed(line.substr(equals + 1)), true);
    }
}

std::string CIniFile::toText() const {
    std::lock_guard lock(mutex_);
    return toTextLocked();
}

std::string CIniFile::toTextLocked() const {
    std::string text;
    for (const auto& section : sections_) {
        if (section.entries.empty()) continue;
        text += '[';
        text += section.name;
        text += "]\n";
        for (const auto& entry : section.entries) {
            text += entry.name;
            text += '=';
            text += entry.value;
            text += '\n';
        }
        text += '\n';
    }
    return text;
}

bool CIniFile::writeFile() {
    std::lock_guard lock(mutex_);
    if (path_.empty() || !writeWholeFile(path_, toTextLocked())) {
        error_ = "Unable to open ini file for write.";
        return false;
    }
    error_.clear();
    return true;
}

bool CIniFile::setValue(std::string_view section, std::string_view name, std::string_view value, bool create) {
    std::lock_guard lock(mutex_);
    return setValueLocked(section, name, value, create);
}

bool CIniFile::setValueLocked(std::string_view section, std::string_view name, std::string_view value, bool create) {
    int s = findKeyLocked(section);
    if (s < 0) {
        if (!create) return false;
        s = addSectionLocked(section);
    }
    Section& target = sections_[static_cast<std::size_t>(s)];
    auto it = target.index.find(std::string(name));
    if (it == target.index.end()) {
        if (!create) return false;
        target.index.emplace(std::string(name), static_cast<int>(target.entries.size()));
        target.entries.push_back(Entry{std::string(name), std::string(value)});
        return true;
    }
    target.entries[static_cast<std::size_t>(it->second)].value = std::string(value);
    return true;
}

std::optional<std::string> CIniFile::getValue(std::string_view section, std::string_view name) const {
    std::lock_guard lock(mutex_);
    int s = findKeyLocked(section);
    if (s < 0) return std::nullopt;
    const Section& found = sections_[static_cast<std::size_t>(s)];
    auto it = found.index.find(std::string(name));
    if (it == found.index.end()) return std::nullopt;
    return found.entries[static_cast<std::size_t>(it->second)].value;
}

int CIniFile::addSectionLocked(std::string_view section) {
    int s = static_cast<int>(sections_.size());
    sections_.push_back(Section{std::string(section), {}, {}});
    sectionIndex_.emplace(std::string(section), s);
    return s;
}

int CIniFile::findKey(std::string_view section) const {
    std::lock_guard lock(mutex_);
    return findKeyLocked(section);
}

int CIniFile::findKeyLocked(std::string_view section) const {
    auto it = sectionIndex_.find(std::string(section));
    return it == sectionIndex_.end() ? -1 : it->second;
}

int CIniFile::findValue(int sectionIndex, std::string_view name) const {
    std::lock_guard lock(mutex_);
    if (sectionIndex < 0 || sectionIndex >= static_cast<int>(sections_.size())) return -1;
    const Section& section = sections_[static_cast<std::size_t>(sectionIndex)];
    auto it = section.index.find(std::string(name));
    return it == section.index.end() ? -1 : it->second;
}

int CIniFile::sectionCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(sections_.size());
}

std::string CIniFile::sectionName(int sectionIndex) const {
    std::lock_guard lock(mutex_);
    if (sectionIndex < 0 || sectionIndex >= static_cast<int>(sections_.size())) return {};
    return sections_[static_cast<std::size_t>(sectionIndex)].name;
}

int CIniFile::valueCount(int sectionIndex) const {
    std::lock_guard lock(mutex_);
    if (sectionIndex < 0 || sectionIndex >= static_cast<int>(sections_.size())) return 0;
    return static_cast<int>(sections_[static_cast<std::size_t>(sectionIndex)].entries.size());
}

bool CIniFile::validValueLocked(int sectionIndex, int valueIndex) const {
    if (sectionIndex < 0 || sectionIndex >= static_cast<int>(sections_.size())) return false;
    const Section& section = sections_[static_cast<std::size_t>(sectionIndex)];
    return valueIndex >= 0 && valueIndex < static_cast<int>(section.entries.size());
}

std::string CIniFile::valueName(int sectionIndex, int valueIndex) const {
    std::lock_guard lock(mutex_);
    if (!validValueLocked(sectionIndex, valueIndex)) return {};
    return sections_[static_cast<std::size_t>(sectionIndex)].entries[static_cast<std::size_t>(valueIndex)].name;
}

std::string CIniFile::valueAt(int sectionIndex, int valueIndex) const {
    std::lock_guard lock(mutex_);
    if (!validValueLocked(sectionIndex, valueIndex)) return {};
    return sections_[static_cast<std::size_t>(sectionIndex)].entries[static_cast<std::size_t>(valueIndex)].value;
}

void CIniFile::clear() {
    std::lock_guard lock(mutex_);
    sections_.clear();
    sectionIndex_.clear();
    error_.clear();
}

}  // namespace kinemo
