// The text panel's markup conversion over arbitrary texts: any bytes give HTML, never a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/rich_text_html.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The first line, when short, stands for the document's directory.
    const std::size_t line = text.find('\n');
    if (line != std::string_view::npos && line < 64)
        (void)kinemo::markupToHtml(text.substr(line + 1), text.substr(0, line));
    else
        (void)kinemo::markupToHtml(text);
    return 0;
}
