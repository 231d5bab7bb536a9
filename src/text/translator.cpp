#include "text/translator.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <utility>

#include "core/messages.h"
#include "core/numbers.h"
#include "text/tag_attributes.h"

namespace kinemo {
namespace {

struct WordTable {
    std::vector<std::pair<std::string, std::string>> entries;
    bool enabled = false;

    const std::string* find(std::string_view word) const {
        for (const auto& [key, value] : entries) {
            if (key == word) return &value;
        }
        return nullptr;
    }
};

// A name and its word table travel as one entry, so no reordering can separate them.
struct Language {
    std::string name;
    WordTable table;
};

const char* const kInterfaceLanguage = "English";

std::vector<Language> startupLanguages() {
    std::vector<Language> languages(4);
    languages[0].name = "Deutsch";
    languages[1].name = "Francais";
    languages[2].name = "Italiano";
    languages[3].name = kInterfaceLanguage;
    languages[0].table.entries = {
        {"Invert:",
         "Folgenden Schritt r\xFC"
         "ckg\xE4"
         "ngig machen"},
        {"Table of contents", "Inhalt"},
        {"Safety notes", "Sicherheitshinweise"},
    };
    languages[1].table.entries = {
        {"Invert:", "Inverser:"},
        {"Table of contents",
         "Table des mati\xE8"
         "res"},
        {"Safety notes",
         "Notes de s\xFB"
         "ret\xE9"},
    };
    languages[2].table.entries = {
        {"Invert:", "Invertire:"},
        {"Table of contents", "Indice"},
        {"Safety notes", "Note di sicurezza"},
    };
    return languages;
}

struct Registry {
    std::mutex mutex;
    std::vector<Language> languages = startupLanguages();
    std::optional<std::string> current;
    std::map<int, Translator::LanguageChangedHandler> handlers;
    int nextHandle = 1;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    }
    return true;
}

int indexLocked(const Registry& r, std::string_view name) {
    for (std::size_t i = 0; i < r.languages.size(); ++i) {
        if (equalsIgnoringCase(r.languages[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

std::string currentLocked(const Registry& r) {
    if (r.current) return *r.current;
    return r.languages.empty() ? std::string() : r.languages.front().name;
}

}  // namespace

int Translator::languageIndex(std::string_view name) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return indexLocked(r, name);
}

std::optional<std::string> Translator::languageName(int position) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (position < 0 || position >= static_cast<int>(r.languages.size())) return std::nullopt;
    return r.languages[static_cast<std::size_t>(position)].name;
}

int Translator::languageCount() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return static_cast<int>(r.languages.size());
}

std::vector<std::string> Translator::languageNames() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    std::vector<std::string> names;
    for (const Language& language : r.languages) names.push_back(language.name);
    return names;
}

void Translator::enableLanguage(std::string_view name) {
    Registry& r = registry();
    {
        std::lock_guard lock(r.mutex);
        const int index = indexLocked(r, name);
        if (index >= 0) {
            r.languages[static_cast<std::size_t>(index)].table.enabled = true;
            return;
        }
    }
    reportMessage("Cannot enable language " + std::string(name), 1, true);
}

bool Translator::isLanguageEnabled(std::string_view name) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const int index = indexLocked(r, name);
    return index >= 0 && r.languages[static_cast<std::size_t>(index)].table.enabled;
}

void Translator::disableAllLanguages() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (Language& language : r.languages) language.table.enabled = false;
}

void Translator::moveLanguage(std::string_view name, int position) {
    Registry& r = registry();
    std::unique_lock lock(r.mutex);
    const int index = indexLocked(r, name);
    const int count = static_cast<int>(r.languages.size());
    if (index < 0) {
        lock.unlock();
        reportMessage("Cannot acces language " + std::string(name), 1, true);
        return;
    }
    if (position < 0 || position >= count) {
        lock.unlock();
        reportMessage("Cannot move language " + std::string(name) + " to position " + std::to_string(position), 1,
                      true);
        return;
    }
    if (index == position) return;
    auto from = r.languages.begin() + index;
    auto to = r.languages.begin() + position;
    if (index < position) {
        std::rotate(from, from + 1, to + 1);
    } else {
        std::rotate(to, from, from + 1);
    }
}

std::string Translator::translate(std::string_view word) { return translateTo(word, kInterfaceLanguage); }

std::string Translator::translateTo(std::string_view word, std::string_view language) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const int index = indexLocked(r, language);
    if (index < 0) return "no translation";
    const std::string* value = r.languages[static_cast<std::size_t>(index)].table.find(word);
    return value ? *value : std::string(word);
}

std::string Translator::currentLanguage() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return currentLocked(r);
}

void Translator::setCurrentLanguage(std::string_view name) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.current = std::string(name);
}

std::string Translator::languageForLocale(std::string_view locale) {
    const std::size_t end = locale.find_first_of("_.@-");
    const std::string_view primary = locale.substr(0, end);
    if (equalsIgnoringCase(primary, "de")) return "Deutsch";
    if (equalsIgnoringCase(primary, "fr")) return "Francais";
    if (equalsIgnoringCase(primary, "it")) return "Italiano";
    return "English";
}

std::string Translator::systemLanguage() {
    // The same order as the C library uses for message texts.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return languageForLocale(value);
    }
    return "English";
}

bool Translator::readStartupLanguageFile(const std::string& path) {
    constexpr std::size_t kMaxWord = 999;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::string word;
    char c = 0;
    while (file.get(c) && (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v')) {
    }
    while (file && !(c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') &&
           word.size() < kMaxWord) {
        word.push_back(c);
        if (!file.get(c)) break;
    }
    if (word.size() < 2) return false;
    setCurrentLanguage(word);
    enableLanguage(word);
    return true;
}

void Translator::writeLanguageDefinitions(std::string& out) {
    const std::vector<std::string> names = languageNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        out += "\n# <kmxLANGUAGEDEF id = \"";
        appendInt(out, static_cast<long long>(i));
        out += "\" name = \"";
        out += names[i];
        out += "\" />";
    }
    out += "\n\n\n";
}

bool Translator::writeLanguageDefinitions(std::FILE* file) {
    std::string out;
    writeLanguageDefinitions(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

bool Translator::readLanguageDefinitions(std::string_view block) {
    constexpr std::string_view kDefinition = "<kmxLANGUAGEDEF";
    const std::size_t blockEnd = block.find("</kmxDEFINITION>");
    if (blockEnd != std::string_view::npos) block = block.substr(0, blockEnd);
    bool found = false;
    std::size_t from = 0;
    while (true) {
        const std::size_t start = block.find(kDefinition, from);
        if (start == std::string_view::npos) break;
        const std::size_t bodyStart = start + kDefinition.size();
        // An element never reaches into the next definition, so a missing attribute cannot be
        // taken from a later one.
        const std::size_t limit = std::min(block.size(), block.find(kDefinition, bodyStart));
        std::size_t end = block.find("/>", bodyStart);
        std::size_t next = end + 2;
        if (end >= limit) {
            end = block.find("</kmxLANGUAGEDEF>", bodyStart);
            next = end + 17;
        }
        if (end >= limit) {
            end = limit;
            next = limit;
        }
        const std::string_view element = block.substr(bodyStart, end - bodyStart);
        const int position = readIntAttributeIn(element, "id", -1);
        const std::string name = readStringAttributeIn(element, "name", "");
        moveLanguage(name, position);
        found = true;
        from = next;
        if (from >= block.size()) break;
    }
    return found;
}

void Translator::changeLanguage(std::string_view oldName, std::string_view newName, bool force) {
    if (oldName == newName && !force) return;
    setCurrentLanguage(newName);
    std::vector<LanguageChangedHandler> handlers;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        for (const auto& [handle, handler] : r.handlers) handlers.push_back(handler);
    }
    const std::string language(newName);
    for (const LanguageChangedHandler& handler : handlers) handler(language);
}

int Translator::addLanguageChangedHandler(LanguageChangedHandler handler) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const int handle = r.nextHandle++;
    r.handlers.emplace(handle, std::move(handler));
    return handle;
}

void Translator::removeLanguageChangedHandler(int handle) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.handlers.erase(handle);
}

LanguageMenu Translator::buildLanguageMenu() {
    for (const std::string& name : languageNames()) enableLanguage(name);
    LanguageMenu menu;
    Registry& r = registry();
    {
        std::lock_guard lock(r.mutex);
        const std::string current = currentLocked(r);
        int commandId = kFirstMenuCommandId;
        for (const Language& language : r.languages) {
            if (!language.table.enabled) continue;
            menu.languages.push_back({commandId++, language.name, language.name == current});
        }
        menu.moveToTopCommandId = kFirstMenuCommandId + static_cast<int>(r.languages.size());
    }
    menu.moveToTopText = translate("Move Language To Top");
    return menu;
}

bool Translator::runLanguageMenuCommand(int commandId) {
    const LanguageMenu menu = buildLanguageMenu();
    if (commandId == menu.moveToTopCommandId) {
        moveLanguage(currentLanguage(), 0);
        return true;
    }
    for (const LanguageMenuEntry& entry : menu.languages) {
        if (entry.commandId != commandId) continue;
        changeLanguage(currentLanguage(), entry.name, false);
        showStatus(translate("Language changed"));
        return true;
    }
    return false;
}

void Translator::installMessageTranslation() {
    setMessageHook([](std::string_view text) { return translate(text); });
}

void Translator::resetToStartupState() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.languages = startupLanguages();
    r.current.reset();
    r.handlers.clear();
}

}  // namespace kinemo
