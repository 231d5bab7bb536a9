#pragma once
// Typed settings on the "Definitions" section of a settings file, the three settings files of the
// run and the getters most classes call.
//
// Start-up calls initSettingsFiles() once, before the main window exists; it reads
// "Definitions.txt" and "Preferences.txt" from the current directory and the window-geometry file
// from the private temporary folder, all with absolute paths, so a later change of the current
// directory does not move them. Until then every getter gives its default.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ini_file.h"

namespace kinemo {

class Definitions : public CIniFile {
public:
    Definitions() = default;
    // Resolves logicalName (see resolvePath) and reads the file at once.
    explicit Definitions(std::string_view logicalName);

    // "GlobalPreferences.txt" names "KinemoStandardPreferences.txt" in the private temporary
    // folder ("" when there is none: the table then lives in memory only); any other relative
    // name is taken in the current directory, made absolute.
    static std::string resolvePath(std::string_view logicalName);
    // Forgets the table, takes the resolved path and reads it.
    void open(std::string_view logicalName);

    // The stored value, or defaultValue when the section or key is missing.
    std::string getString(std::string_view key, std::string_view defaultValue) const;
    // "true"/"yes" and "false"/"no" in any case; any other value, and a missing key, give defaultValue.
    bool getBool(std::string_view key, bool defaultValue) const;
    // The value read like atoi (a value without digits gives 0); a missing key gives defaultValue.
    std::int32_t getLong(std::string_view key, std::int32_t defaultValue) const;
    // The value read like atof, narrowed to float; a missing key gives defaultValue.
    float getFloat(std::string_view key, float defaultValue) const;

    // Setters create the section and key; they never write the file (call writeFile for that).
    void setString(std::string_view key, std::string_view value);
    void setBool(std::string_view key, bool value);          // "true" / "false"
    void setLong(std::string_view key, std::int32_t value);  // "%d"
    void setFloat(std::string_view key, float value);        // "%e"
};

inline constexpr std::string_view kDefinitionsSection = "Definitions";

// The three settings files of the run: read-only site definitions, the user's preferences (read
// again and written back by the document code) and the window-geometry memory.
Definitions& definitionsFile();
Definitions& preferencesFile();
Definitions& globalPreferencesFile();
// Reads the three files in that order. folder, when given, replaces the current directory as the
// home of "Definitions.txt" and "Preferences.txt" (tests, kinemo-tool).
void initSettingsFiles(std::string_view folder = {});

// The window-geometry memory: after a resize of the initialised main window its client size is
// stored as InitialSizeX = width + 7 and InitialSizeY = height + 47 in globalPreferencesFile(),
// which is written at once (a failed write is silently ignored).
void rememberMainWindowSize(int clientWidth, int clientHeight);

// The getters on definitionsFile().
std::string getDefinitionString(std::string_view key, std::string_view defaultValue);
bool getDefinitionBool(std::string_view key, bool defaultValue);
std::int32_t getDefinitionLong(std::string_view key, std::int32_t defaultValue);
float getDefinitionFloat(std::string_view key, float defaultValue);

// Layered lookup for keys that a user may override: the key is read from definitionsFile() with
// defaultValue, then from overrides (preferencesFile() or globalPreferencesFile()) with that result
// as default, so overrides wins whenever it holds the key.
std::string getLayeredString(const Definitions& overrides, std::string_view key, std::string_view defaultValue);
bool getLayeredBool(const Definitions& overrides, std::string_view key, bool defaultValue);
std::int32_t getLayeredLong(const Definitions& overrides, std::string_view key, std::int32_t defaultValue);
float getLayeredFloat(const Definitions& overrides, std::string_view key, float defaultValue);

}  // namespace kinemo
