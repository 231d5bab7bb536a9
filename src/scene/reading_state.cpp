#include "scene/reading_state.h"

#include "scene/scene_settings.h"

namespace kinemo {

const char* sourceTypeName(SourceType type) {
    switch (type) {
        case SourceType::Vrml2:
            return "Vrml 2";
        case SourceType::Vrml1:
            return "Vrml 1";
        case SourceType::Unknown:
            break;
    }
    return "Unknown source";
}

ReadingState& readingState() {
    static ReadingState state;
    return state;
}

TextRangeScope::TextRangeScope(const char* begin, const char* end)
    : savedBegin_(readingState().textBegin), savedEnd_(readingState().textEnd) {
    readingState().textBegin = begin;
    readingState().textEnd = end;
}

TextRangeScope::~TextRangeScope() {
    readingState().textBegin = savedBegin_;
    readingState().textEnd = savedEnd_;
}

void resetReadingState() {
    ReadingState& s = readingState();
    s = ReadingState{};
    s.importScaleFactor = sceneSettings().importScaleFactor;
    s.importScaling = s.importScaleFactor != 1.0;
}

void setFileVersion(float version) {
    ReadingState& s = readingState();
    s.fileVersion = version;
    if (version >= 0.0f) s.importScaling = false;
}

}  // namespace kinemo

#include "scene/scene_report.h"

namespace kinemo {

void detectVrmlVersion(const char* text, const char* end) {
    ReadingState& s = readingState();
    const char* v = nullptr;
    for (int i = 0; i < 20 && text && text != end && text[0]; ++i, ++text)
        if (*text == 'V') {
            v = text;
            break;
        }
    auto at = [&](int k) -> char {
        for (int i = 0; i <= k; ++i)
            if (v + i == end || v[i] == 0) return 0;
        return v[k];
    };
    if (v && at(1) == '2' && at(5) == 'u') {
        s.source = SourceType::Vrml2;
    } else if (v && at(1) == '1' && at(5) == 'a') {
        s.source = SourceType::Vrml1;
    } else {
        sceneReport("Unknown VRML type", 1, true);
        s.source = SourceType::Unknown;
    }
}

}  // namespace kinemo
