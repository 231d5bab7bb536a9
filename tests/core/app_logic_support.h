#pragma once
// A scripted stand-in for the document, chapters, playback and renderer behind the main window.
#include <string>
#include <vector>

#include "core/main_frame_logic.h"

namespace kinemo::testing {

class FakeServices : public AppServices {
public:
    bool scene = false;
    bool changes = false;
    bool writeSucceeds = true;
    bool readSucceeds = true;
    bool sceneKeptOnFailedRead = false;
    std::vector<std::string> calls;
    std::vector<std::string> written;
    int chapters = 0;
    int currentChapter = 0;  // 1-based, 0: none
    int steps = 0;
    std::string chapterTitle = "Chapter";
    std::string caption;
    bool renderer = false;
    bool running = false;
    int runningTicks = -1;  // the renderer ends after this many rendererRunning() queries; -1 never
    bool ended = false;

    bool hasScene() override { return scene; }
    bool hasUnsavedChanges() override { return changes; }
    void markSaved() override {
        calls.push_back("markSaved");
        changes = false;
    }
    void checkViewpoints() override { calls.push_back("checkViewpoints"); }
    void prepareForRead() override { calls.push_back("prepareForRead"); }
    bool readDocument(const std::string& path) override {
        calls.push_back("read " + path);
        scene = readSucceeds || (scene && sceneKeptOnFailedRead);
        return readSucceeds;
    }
    void documentLoaded() override { calls.push_back("documentLoaded"); }
    bool writeDocument(const std::string& path, bool pack) override {
        calls.push_back(std::string(pack ? "pack " : "write ") + path);
        if (writeSucceeds) written.push_back(path);
        return writeSucceeds;
    }
    int chapterCount() override { return chapters; }
    bool selectChapter(int position) override {
        calls.push_back("selectChapter " + std::to_string(position));
        currentChapter = position;
        return true;
    }
    bool hasCurrentChapter() override { return currentChapter > 0; }
    bool runToStep(int position) override {
        calls.push_back("runToStep " + std::to_string(position));
        return position >= 1 && position <= steps;
    }
    std::optional<std::string> currentChapterTitle() override {
        if (currentChapter == 0) return std::nullopt;
        return chapterTitle;
    }
    int currentChapterPosition() override { return currentChapter; }
    void showChapterCaption(const std::string& title, int) override { caption = title; }
    void playForward(bool fast) override { calls.push_back(fast ? "playFast" : "play"); }
    void playBackward() override { calls.push_back("playBack"); }
    void stopAnimation() override { calls.push_back("abortEvents"); }
    bool hasRenderer() override { return renderer; }
    void stopRenderer() override { calls.push_back("stopRenderer"); }
    bool rendererRunning() override {
        if (runningTicks == 0) running = false;
        if (runningTicks > 0) --runningTicks;
        return running;
    }
    void releaseRenderer() override {
        calls.push_back(running ? "releaseRunningRenderer" : "releaseRenderer");
        renderer = false;
    }
    void endMainLoop() override {
        calls.push_back("endMainLoop");
        ended = true;
    }

    int count(const std::string& call) const {
        int n = 0;
        for (const auto& c : calls) n += c == call;
        return n;
    }
};

}  // namespace kinemo::testing
