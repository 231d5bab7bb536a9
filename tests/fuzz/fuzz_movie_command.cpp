// The movie command comes from the user's settings file: splitting and substitution must take
// any bytes, and the sequence name (blanks and quotes included) must never change how many
// arguments the command has.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "render/movie_command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = text.find('\n');
    const std::string_view command = text.substr(0, cut);
    const std::string_view name = cut == std::string_view::npos ? std::string_view("seq") : text.substr(cut + 1);
    const auto args = kinemo::movieCommandArguments(command, name);
    const auto plain = kinemo::movieCommandArguments(command, "x");
    if (args.size() != plain.size()) __builtin_trap();
    (void)kinemo::sequenceFileName(name, int(size));
    return 0;
}
