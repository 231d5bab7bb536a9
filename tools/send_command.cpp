// kinemo-tool send CODE ARG: one steering record to the running kinemo of this user.
#include <charconv>
#include <cstdio>
#include <string>

#include "core/steering.h"
#include "tool_commands.h"

namespace kinemo::tool {

namespace {

struct NamedCode {
    const char* name;
    std::int32_t code;
};

constexpr NamedCode kNames[] = {
    {"SetChapter", SteerSetChapter},       {"SetAnimStep", SteerSetAnimStep}, {"StartPlay", SteerStartPlay},
    {"StartFastAnim", SteerStartFastAnim}, {"StopAnim", SteerStopAnim},       {"CloseKinemo", SteerCloseKinemo},
    {"WindowPosX", SteerWindowPosX},       {"WindowPosY", SteerWindowPosY},   {"WindowSizeX", SteerWindowSizeX},
    {"WindowSizeY", SteerWindowSizeY},     {"WindowHide", SteerWindowHide},   {"WindowShow", SteerWindowShow},
    {"StartBackPlay", SteerStartBackPlay},
};

bool parseInt(std::string_view text, std::int32_t& out) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end && !text.empty();
}

bool parseCode(std::string_view text, std::int32_t& out) {
    for (const auto& n : kNames)
        if (text == n.name) {
            out = n.code;
            return true;
        }
    return parseInt(text, out);
}

}  // namespace

int sendCommand(const std::vector<std::string_view>& args) {
    if (args.empty() || args.size() > 2) {
        std::fprintf(stderr, "usage: kinemo-tool send CODE [ARG]  (CODE 1000-1012 or a name such as StartPlay)\n");
        return 2;
    }
    SteeringRecord record;
    if (!parseCode(args[0], record.code) || record.code < kFirstSteeringCode || record.code > kLastSteeringCode) {
        std::fprintf(stderr, "kinemo-tool send: unknown command code \"%.*s\"\n", static_cast<int>(args[0].size()),
                     args[0].data());
        return 2;
    }
    if (args.size() == 2 && !parseInt(args[1], record.argument)) {
        std::fprintf(stderr, "kinemo-tool send: the argument \"%.*s\" is not a whole number\n",
                     static_cast<int>(args[1].size()), args[1].data());
        return 2;
    }
    std::string error;
    if (!sendSteeringCommand(record, &error)) {
        std::fprintf(stderr, "kinemo-tool send: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace kinemo::tool
