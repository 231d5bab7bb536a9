#include "core/definitions.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "core/numbers.h"
#include "core/paths.h"

namespace kinemo {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y) return false;
    }
    return true;
}

// Narrowing a double beyond float's range is undefined: such values become infinities.
float toFloat(double value) {
    if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
    if (value > FLT_MAX) return std::numeric_limits<float>::infinity();
    if (value < -FLT_MAX) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

Definitions& settingsObject(int which) {
    // Kept alive to the very end: objects destroyed at exit still write their preferences.
    static Definitions* files = new Definitions[3];
    return files[which];
}

}  // namespace

Definitions::Definitions(std::string_view logicalName) { open(logicalName); }

std::string Definitions::resolvePath(std::string_view logicalName) {
    if (logicalName == "GlobalPreferences.txt") {
        std::string temp = temporaryDirectory();
        return temp.empty() ? std::string() : temp + "KinemoStandardPreferences.txt";
    }
    return absolutePath(logicalName);
}

void Definitions::open(std::string_view logicalName) {
    clear();
    setPath(resolvePath(logicalName));
    readFile();
}

std::string Definitions::getString(std::string_view key, std::string_view defaultValue) const {
    auto value = getValue(kDefinitionsSection, key);
    return value ? *value : std::string(defaultValue);
}

bool Definitions::getBool(std::string_view key, bool defaultValue) const {
    auto value = getValue(kDefinitionsSection, key);
    if (!value) return defaultValue;
    if (equalsIgnoringCase(*value, "true") || equalsIgnoringCase(*value, "yes")) return true;
    if (equalsIgnoringCase(*value, "false") || equalsIgnoringCase(*value, "no")) return false;
    return defaultValue;
}

std::int32_t Definitions::getLong(std::string_view key, std::int32_t defaultValue) const {
    auto value = getValue(kDefinitionsSection, key);
    return value ? atoiC(*value) : defaultValue;
}

float Definitions::getFloat(std::string_view key, float defaultValue) const {
    auto value = getValue(kDefinitionsSection, key);
    return value ? toFloat(atofC(*value)) : defaultValue;
}

void Definitions::setString(std::string_view key, std::string_view value) {
    setValue(kDefinitionsSection, key, value, true);
}

void Definitions::setBool(std::string_view key, bool value) { setString(key, value ? "true" : "false"); }

void Definitions::setLong(std::string_view key, std::int32_t value) { setString(key, formatC("%d", value)); }

void Definitions::setFloat(std::string_view key, float value) {
    setString(key, formatC("%e", static_cast<double>(value)));
}

Definitions& definitionsFile() { return settingsObject(0); }
Definitions& preferencesFile() { return settingsObject(1); }
Definitions& globalPreferencesFile() { return settingsObject(2); }

void initSettingsFiles(std::string_view folder) {
    std::string prefix = folder.empty() ? std::string() : ensureTrailingBackslash(absolutePath(folder));
    definitionsFile().open(prefix + "Definitions.txt");
    preferencesFile().open(prefix + "Preferences.txt");
    globalPreferencesFile().open("GlobalPreferences.txt");
}

void rememberMainWindowSize(int clientWidth, int clientHeight) {
    Definitions& file = globalPreferencesFile();
    file.setLong("InitialSizeX", clientWidth + 7);
    file.setLong("InitialSizeY", clientHeight + 47);
    file.writeFile();
}

std::string getDefinitionString(std::string_view key, std::string_view defaultValue) {
    return definitionsFile().getString(key, defaultValue);
}

bool getDefinitionBool(std::string_view key, bool defaultValue) { return definitionsFile().getBool(key, defaultValue); }

std::int32_t getDefinitionLong(std::string_view key, std::int32_t defaultValue) {
    return definitionsFile().getLong(key, defaultValue);
}

float getDefinitionFloat(std::string_view key, float defaultValue) {
    return definitionsFile().getFloat(key, defaultValue);
}

std::string getLayeredString(const Definitions& overrides, std::string_view key, std::string_view defaultValue) {
    return overrides.getString(key, getDefinitionString(key, defaultValue));
}

bool getLayeredBool(const Definitions& overrides, std::string_view key, bool defaultValue) {
    return overrides.getBool(key, getDefinitionBool(key, defaultValue));
}

std::int32_t getLayeredLong(const Definitions& overrides, std::string_view key, std::int32_t defaultValue) {
    return overrides.getLong(key, getDefinitionLong(key, defaultValue));
}

float getLayeredFloat(const Definitions& overrides, std::string_view key, float defaultValue) {
    return overrides.getFloat(key, getDefinitionFloat(key, defaultValue));
}

}  // namespace kinemo
