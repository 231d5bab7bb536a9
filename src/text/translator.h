#pragma once
// The language registry: the four languages the program knows, their order (which the scene
// file stores, so that language positions in its text blocks name the right languages), the
// small word tables for the program's own fixed words, and the current language.
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/basic_object.h"

namespace kinemo {

// One entry of the language menu: the command id, the language and whether it is the current one.
struct LanguageMenuEntry {
    int commandId = 0;
    std::string name;
    bool checked = false;
};

// What the language menu shows: the enabled languages in registry order, a separator, then the
// entry that moves the current language to the top of the fallback order.
struct LanguageMenu {
    std::vector<LanguageMenuEntry> languages;
    int moveToTopCommandId = 0;
    std::string moveToTopText;
};

class Translator : public BasicObject {
public:
    static constexpr int kFirstMenuCommandId = 35000;

    // Position of the language, names compared without regard to case; -1 when unknown.
    static int languageIndex(std::string_view name);
    // The name at a position; nullopt outside 0 ... languageCount() - 1.
    static std::optional<std::string> languageName(int position);
    static int languageCount();
    static std::vector<std::string> languageNames();

    // Marks the language as used. An unknown name is reported ("Cannot enable language ").
    static void enableLanguage(std::string_view name);
    static bool isLanguageEnabled(std::string_view name);
    static void disableAllLanguages();
    // Moves the language, name and word table together, to position. An unknown name or a
    // position outside the list is reported and leaves the order as it is.
    static void moveLanguage(std::string_view name, int position);

    // The word in the interface language, or the word itself when it has no entry.
    static std::string translate(std::string_view word);
    // The word in the given language; the word itself when that table lacks it;
    // "no translation" when the language is not in the registry.
    static std::string translateTo(std::string_view word, std::string_view language);

    // The current language; the language at position 0 while none has been set.
    static std::string currentLanguage();
    static void setCurrentLanguage(std::string_view name);

    // The start-up language from the user's locale (LC_ALL, LC_MESSAGES, then LANG).
    static std::string systemLanguage();
    // The language for a locale name such as "de_DE.UTF-8": German, French and Italian map to
    // their languages, everything else to "English".
    static std::string languageForLocale(std::string_view locale);
    // Reads the first word of the start-up language file (normally "zzzla" in the working
    // directory); a word of 2 characters or more becomes the current language and is enabled.
    // Returns false when the file is missing or holds no such word.
    static bool readStartupLanguageFile(const std::string& path);

    // One "<kmxLANGUAGEDEF" line per language in registry order, then three line feeds.
    static void writeLanguageDefinitions(std::string& out);
    static bool writeLanguageDefinitions(std::FILE* file);
    // Applies the language definitions of a definitions block (up to "</kmxDEFINITION>") in file
    // order. Returns true when the block held at least one definition.
    static bool readLanguageDefinitions(std::string_view block);

    // Makes newName current and tells every registered view, unless the two names are equal and
    // force is false.
    static void changeLanguage(std::string_view oldName, std::string_view newName, bool force);

    // Views that show texts register here to be refreshed after changeLanguage. The handler runs
    // on the thread that changed the language. Returns a handle for removal.
    using LanguageChangedHandler = std::function<void(const std::string& newLanguage)>;
    static int addLanguageChangedHandler(LanguageChangedHandler handler);
    static void removeLanguageChangedHandler(int handle);

    // Enables every language, then lists the enabled ones for the language menu.
    static LanguageMenu buildLanguageMenu();
    // Carries out a language menu command: a language entry changes the current language and
    // shows "Language changed"; the last entry moves the current language to the top.
    // Returns false for an id that is not a menu entry.
    static bool runLanguageMenuCommand(int commandId);

    // Lets every reported or shown message pass through translate (done once at start-up).
    static void installMessageTranslation();

    // Puts the registry back into its start-up state: the initial order, no language enabled,
    // no current language set, no handlers.
    static void resetToStartupState();
};

}  // namespace kinemo
