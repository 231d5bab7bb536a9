#pragma once
// What the program logic needs from the window system: message boxes, the status-line fields,
// file prompts, timers and the main window's placement. The desktop program installs its Qt
// implementation at start-up; tests and kinemo-tool install a HeadlessPlatform. No widget is
// ever called directly from below src/ui.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kinemo {

enum class MessageIcon { None, Error, Warning, Information, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// The four fields of the main window's status bar.
enum class StatusField { Message = 0, Prompt = 1, Workpart = 2, Info = 3 };
inline constexpr int kStatusFieldCount = 4;

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // The preselected button; also what a platform without a user answers.
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

enum class FileDialogMode { Open, Save };

struct FileDialogRequest {
    FileDialogMode mode = FileDialogMode::Open;
    std::string title;
    // Filter in the program's own form: "Name (*.a;*.b)|*.a;*.b|Other (*.c)|*.c||".
    std::string filter;
    std::string defaultExtension;  // without the dot, e.g. "wrl"
    std::string initialDirectory;
    std::string initialFileName;
    bool overwritePrompt = false;
};

struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowRect&) const = default;
};

struct ScreenSize {
    int width = 0;
    int height = 0;
    // Horizontal resolution in dots per inch (96 on an unscaled desktop).
    int dpiX = 96;
    bool operator==(const ScreenSize&) const = default;
};

// Calls may come from the render thread as well as from the user interface thread; an
// implementation with a real window system forwards them to its own thread (a message box call
// waits there for the answer).
class Platform {
public:
    virtual ~Platform() = default;

    // Shows a modal message box, owned by the main window when one exists, and waits for the answer.
    virtual MessageAnswer showMessageBox(const MessageBoxRequest& request) = 0;
    virtual void setStatusField(StatusField field, std::string_view text) = 0;
    // Asks for a file name; std::nullopt when the user cancels.
    virtual std::optional<std::string> askFileName(const FileDialogRequest& request) = 0;

    // Starts (or restarts) timer id, calling onTick on the user interface thread every intervalMs.
    // Returns false when the timer cannot be started.
    virtual bool startTimer(int id, int intervalMs, std::function<void()> onTick) = 0;
    virtual void stopTimer(int id) = 0;

    virtual WindowRect mainWindowRect() = 0;
    virtual void setMainWindowRect(const WindowRect& rect) = 0;
    virtual void showMainWindow() = 0;
    virtual void hideMainWindow() = 0;
    // Puts the main window into or out of the topmost band.
    virtual void setMainWindowTopmost(bool topmost) = 0;
    // Brings the main window to the top of the z-order without changing its topmost state.
    virtual void raiseMainWindow() = 0;
    virtual void setMainWindowTitle(std::string_view title) = 0;
    virtual ScreenSize screenSize() = 0;
};

// The process-wide platform. setPlatform keeps an observing pointer (the caller owns the object and
// keeps it alive while it is installed); nullptr goes back to the built-in headless platform, which
// records nothing and gives every prompt its default answer.
void setPlatform(Platform* platform);
Platform& platform();

// Convenience for the common case of a message box with one text and a caption.
MessageAnswer showMessageBox(std::string_view text, std::string_view caption, MessageIcon icon,
                             MessageButtons buttons = MessageButtons::Ok,
                             MessageAnswer defaultAnswer = MessageAnswer::Ok);

}  // namespace kinemo
