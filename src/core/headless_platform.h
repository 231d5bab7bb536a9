#pragma once
// A platform without windows, for tests and kinemo-tool: it records every call and answers
// prompts from a script, falling back to each prompt's default answer when the script is empty.
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/platform.h"

namespace kinemo {

struct PlatformRecord {
    // "messageBox", "status", "askFileName", "startTimer", "stopTimer", "setMainWindowRect",
    // "showMainWindow", "hideMainWindow", "setMainWindowTopmost", "raiseMainWindow", "setMainWindowTitle"
    std::string call;
    std::string text;     // message text, status text, dialog title, window title
    std::string caption;  // message box caption, dialog filter
    int number = 0;       // status field, timer id or interval, topmost flag, message box answer
    WindowRect rect;      // setMainWindowRect
};

class HeadlessPlatform : public Platform {
public:
    HeadlessPlatform() = default;

    MessageAnswer showMessageBox(const MessageBoxRequest& request) override;
    void setStatusField(StatusField field, std::string_view text) override;
    std::optional<std::string> askFileName(const FileDialogRequest& request) override;
    bool startTimer(int id, int intervalMs, std::function<void()> onTick) override;
    void stopTimer(int id) override;
    WindowRect mainWindowRect() override;
    void setMainWindowRect(const WindowRect& rect) override;
    void showMainWindow() override;
    void hideMainWindow() override;
    void setMainWindowTopmost(bool topmost) override;
    void raiseMainWindow() override;
    void setMainWindowTitle(std::string_view title) override;
    ScreenSize screenSize() override;

    // Script: answers are taken from the front; an empty queue gives the request's default answer
    // (message boxes) or a cancel (file prompts).
    void queueAnswer(MessageAnswer answer);
    void queueFileName(std::optional<std::string> fileName);
    void setScreenSize(ScreenSize size);
    void setTimersAvailable(bool available);
    // Message boxes are also printed to standard error as "caption: text" (for kinemo-tool).
    void setEchoMessageBoxes(bool echo);
    // Off: nothing is kept (the built-in default platform, so a long run does not grow).
    void setRecording(bool recording);

    std::vector<PlatformRecord> records() const;
    std::vector<PlatformRecord> recordsOf(std::string_view call) const;
    std::vector<MessageBoxRequest> messageBoxes() const;
    std::vector<FileDialogRequest> fileRequests() const;
    void clearRecords();

    std::string statusField(StatusField field) const;
    bool mainWindowVisible() const;
    bool mainWindowTopmost() const;
    std::string mainWindowTitle() const;
    bool timerRunning(int id) const;
    int timerInterval(int id) const;
    // Runs one tick of a running timer as the event loop would; false when it is not running.
    bool fireTimer(int id);

private:
    void record(PlatformRecord record);

    mutable std::mutex mutex_;
    bool recording_ = true;
    bool echo_ = false;
    bool timersAvailable_ = true;
    std::vector<PlatformRecord> records_;
    std::vector<MessageBoxRequest> messageBoxes_;
    std::vector<FileDialogRequest> fileRequests_;
    std::deque<MessageAnswer> answers_;
    std::deque<std::optional<std::string>> fileNames_;
    std::string status_[kStatusFieldCount];
    ScreenSize screen_{1920, 1080, 96};
    WindowRect window_{0, 0, 800, 600};
    bool visible_ = false;
    bool topmost_ = false;
    std::string title_;
    struct Timer {
        int intervalMs = 0;
        std::function<void()> onTick;
    };
    std::map<int, Timer> timers_;
};

}  // namespace kinemo
