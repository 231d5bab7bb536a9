// Settings text from any source must read without crashing, and what the writer makes of the
// table must read back to the same text. The one form the format cannot carry is an entry whose
// name starts with "[" and whose value ends with "]": written out, it reads as a section header.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/definitions.h"
#include "core/ini_file.h"

namespace {

bool looksLikeHeader(const kinemo::CIniFile& file) {
    for (int s = 0; s < file.sectionCount(); ++s) {
        for (int v = 0; v < file.valueCount(s); ++v) {
            std::string name = file.valueName(s, v);
            std::string value = file.valueAt(s, v);
            if (name.front() == '[' && !value.empty() && value.back() == ']') return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    kinemo::Definitions file;
    file.readFromMemory(text);
    std::string written = file.toText();

    if (!looksLikeHeader(file)) {
        kinemo::CIniFile again;
        again.readFromMemory(written);
        if (again.toText() != written) std::abort();
    }

    // The typed getters on whatever the file held.
    int section = file.findKey("Definitions");
    for (int v = 0; v < file.valueCount(section) && v < 8; ++v) {
        std::string name = file.valueName(section, v);
        (void)file.getBool(name, false);
        (void)file.getLong(name, -1);
        (void)file.getFloat(name, -1.0f);
    }
    return 0;
}
