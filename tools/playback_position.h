#pragma once
// The playback options that "state" and "render" share: which chapter, where in it, and the
// language. After the scene is read they put the guide where the player would show it.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kinemo {
class AnimationGroup;
}

namespace kinemo::tool {

struct PlaybackPosition {
    enum class Where { Rewound, Stop, Time, End };
    int chapter = 1;  // 1-based, in the chapter list's order
    Where where = Where::Rewound;
    int stop = 1;       // with Where::Stop: the K-th stop, K from 1
    double time = 0;    // with Where::Time: the chapter time in seconds
    std::string language;  // empty: the language the registry holds as current
    bool given = false;    // any of the options appeared
};

// A whole number of at most nine digits; false for anything else.
bool parseCount(std::string_view text, int& out);

// "  [--chapter N] [--stop K | --time T | --end] [--language NAME]" and what they mean.
extern const char* const kPlaybackUsage;

// Takes the playback option at args[i] (and its value), advancing i past it. Returns false when
// args[i] is no playback option; sets error when it is one with a bad or missing value.
bool takePlaybackOption(const std::vector<std::string_view>& args, std::size_t& i, PlaybackPosition& position,
                        std::string& error);

// Plays the read guide to position: sets the language, makes the chapter current and moves it to
// the stop, time or end asked for. Returns the chapter, or none with error set (no such chapter,
// stop or language).
AnimationGroup* applyPlaybackPosition(const PlaybackPosition& position, std::string& error);

}  // namespace kinemo::tool
