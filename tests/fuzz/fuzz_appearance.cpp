// Appearance text with its material, texture and texture transform, as a scene file brings it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "geometry/appearance.h"
#include "geometry/image_list.h"
#include "geometry/image_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool once = [] {
        // Names in the input must not reach real files or start programs.
        kinemo::imageSettings().converterProgram = "/nonexistent/convert";
        kinemo::imageReadContext().documentDirectory = "/nonexistent/";
        return true;
    }();
    (void)once;
    const std::string text(reinterpret_cast<const char*>(data), size);
    kinemo::Appearance appearance;
    const char* end = appearance.readFromString(text.c_str(), text.c_str() + text.size());
    if (end < text.c_str() || end > text.c_str() + text.size()) __builtin_trap();
    std::string out;
    appearance.writeText(out);
    kinemo::imageList().clear();
    return 0;
}
