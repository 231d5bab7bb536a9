#include "playback_position.h"

#include <cmath>

#include "animation/animation_group.h"
#include "core/numbers.h"
#include "text/translator.h"

namespace kinemo::tool {
namespace {

constexpr double kFarFuture = 1.0e30;

bool parseSeconds(std::string_view text, double& out) {
    double v = 0;
    if (text.empty() || parseDoublePrefix(text, v) != text.size()) return false;
    if (!std::isfinite(v) || v < 0) return false;
    out = v;
    return true;
}

int stopCount(const AnimationGroup& chapter) {
    int n = 0;
    for (const TimelineEntry* e : chapter.timeline())
        if (e->isStart && e->ref->kind == KindStop) ++n;
    return n;
}

}  // namespace

bool parseCount(std::string_view text, int& out) {
    if (text.empty() || text.size() > 9) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

const char* const kPlaybackUsage =
    "  --chapter N     the N-th chapter of the chapter list (from 1; default 1)\n"
    "  --stop K        the K-th stop of the chapter (from 1: where rewinding halts; the default)\n"
    "  --time T        the chapter at time T seconds\n"
    "  --end           the chapter at its end\n"
    "  --language NAME the language the texts are shown in (\"English\")\n";

bool takePlaybackOption(const std::vector<std::string_view>& args, std::size_t& i, PlaybackPosition& position,
                        std::string& error) {
    const std::string_view a = args[i];
    const bool hasValue = i + 1 < args.size();
    auto where = [&](PlaybackPosition::Where w) {
        if (position.where != PlaybackPosition::Where::Rewound && position.where != w)
            error = "--stop, --time and --end exclude each other";
        position.where = w;
    };
    if (a == "--chapter") {
        if (!hasValue || !parseCount(args[i + 1], position.chapter) || position.chapter < 1)
            error = "--chapter wants a number from 1";
        i += 2;
    } else if (a == "--stop") {
        where(PlaybackPosition::Where::Stop);
        if (!hasValue || !parseCount(args[i + 1], position.stop) || position.stop < 1)
            error = "--stop wants a number from 1";
        i += 2;
    } else if (a == "--time") {
        where(PlaybackPosition::Where::Time);
        if (!hasValue || !parseSeconds(args[i + 1], position.time))
            error = "--time wants a number of seconds, 0 or more";
        i += 2;
    } else if (a == "--end") {
        where(PlaybackPosition::Where::End);
        i += 1;
    } else if (a == "--language") {
        if (!hasValue || args[i + 1].empty())
            error = "--language wants a language name";
        else
            position.language = std::string(args[i + 1]);
        i += 2;
    } else {
        return false;
    }
    position.given = true;
    return true;
}

AnimationGroup* applyPlaybackPosition(const PlaybackPosition& position, std::string& error) {
    if (!position.language.empty()) {
        const int index = Translator::languageIndex(position.language);
        if (index < 0) {
            error = "no language " + position.language + " (known:";
            for (const std::string& name : Translator::languageNames()) error += " " + name;
            error += ")";
            return nullptr;
        }
        Translator::setCurrentLanguage(*Translator::languageName(index));
    }
    const std::vector<AnimationGroup*>& list = chapterList();
    if (position.chapter < 1 || std::size_t(position.chapter) > list.size()) {
        error = formatC("the guide has %ld chapters, no chapter %d", long(list.size()), position.chapter);
        return nullptr;
    }
    AnimationGroup* chapter = list[std::size_t(position.chapter - 1)];
    AnimationState& s = animationState();
    // Chosen as from the chapter menu: a chapter other than the current one is rewound by the
    // choice itself.
    if (s.currentChapter == chapter)
        chapter->rewindChapter();
    else
        setCurrentSection(chapter);
    if (s.currentChapter != chapter) {
        error = formatC("chapter %d cannot be played", position.chapter);
        return nullptr;
    }
    switch (position.where) {
        case PlaybackPosition::Where::Rewound:
            break;
        case PlaybackPosition::Where::Stop: {
            const int stops = stopCount(*chapter);
            if (position.stop > 1 && position.stop > stops) {
                error = formatC("chapter %d has %d stops, no stop %d", position.chapter, stops, position.stop);
                return nullptr;
            }
            // Rewinding halted at the first stop; each forward play halts at the next one.
            for (int k = 1; k < position.stop; ++k) chapter->runTo(kFarFuture, true, false, false, KindAll, -1, false);
            break;
        }
        case PlaybackPosition::Where::Time:
            chapter->runTo(position.time, true, true, false, KindAll, -1, false);
            break;
        case PlaybackPosition::Where::End:
            chapter->runChapterToEnd();
            break;
    }
    return chapter;
}

}  // namespace kinemo::tool
