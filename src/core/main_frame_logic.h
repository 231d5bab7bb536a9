#pragma once
// The main window's logic without its widgets: the command line, the title, asking about unsaved
// changes, opening and saving documents, the steering commands and the orderly shutdown. The
// document, the chapters, playback and the renderer are reached through AppServices, the window
// system through the Platform; the desktop program supplies both, tests supply fakes.
#include <optional>
#include <string>
#include <string_view>

#include "core/platform.h"

namespace kinemo {

inline constexpr std::string_view kProductTitle = "Brevalonix Kinemo Standard";
inline constexpr std::string_view kBuilderTitle = "Brevalonix Kinemo Builder";
inline constexpr int kShutdownTimerId = 1;
inline constexpr int kShutdownTimerIntervalMs = 10;
// The render thread gets this many ticks to end before the close goes on without it.
inline constexpr int kShutdownTickLimit = 200;

// What the logic needs from the layers above it. Every default does nothing and answers "none",
// so a host fills in only what it has.
class AppServices {
public:
    virtual ~AppServices() = default;

    // The document.
    virtual bool hasScene() { return false; }
    // Whether the undo stack records a change since the last save.
    virtual bool hasUnsavedChanges() { return false; }
    virtual void markSaved() {}
    // The chapters' viewpoint check before every save.
    virtual void checkViewpoints() {}
    // Before a read: abort the renderer's events, pause it while it draws, take its scene away,
    // close an open animation structure window.
    virtual void prepareForRead() {}
    // Reads path into a new current scene; true when a scene was read (the reader reports problems).
    virtual bool readDocument(const std::string& path) { return false; }
    // After a successful read: clear the undo stack, refresh undo/redo and rebuild the dynamic menus.
    virtual void documentLoaded() {}
    // Writes the current scene by the path's type (pack: the packed form). True only on success.
    virtual bool writeDocument(const std::string& path, bool pack) { return false; }

    // Chapters and playback.
    virtual int chapterCount() { return 0; }
    // Makes the chapter at 1-based position current and rewinds it; false outside the list.
    virtual bool selectChapter(int position) { return false; }
    virtual bool hasCurrentChapter() { return false; }
    // In the current chapter, plays to the step at 1-based position; false when there is none.
    virtual bool runToStep(int position) { return false; }
    // The current chapter's title in the current language, and its 1-based position.
    virtual std::optional<std::string> currentChapterTitle() { return std::nullopt; }
    virtual int currentChapterPosition() { return 0; }
    // The player panel's chapter caption.
    virtual void showChapterCaption(const std::string& title, int position) {}
    // Sets the direction, adjusts the stop counter as the player buttons do and plays.
    virtual void playForward(bool fast) {}
    virtual void playBackward() {}
    // The renderer's abortEvents.
    virtual void stopAnimation() {}

    // The renderer.
    virtual bool hasRenderer() { return false; }
    virtual void stopRenderer() {}
    virtual bool rendererRunning() { return false; }
    // Lets go of the renderer. A render thread that is still running keeps what it uses alive.
    virtual void releaseRenderer() {}

    // Destroys the tool windows, the player panel and the 3D view and ends the main loop.
    virtual void endMainLoop() {}
};

// The document named by the command line's argument text: quotes around a text longer than two
// characters are removed, and a relative path is made absolute against the current directory.
std::string documentFromCommandLine(std::string_view argumentText);
// The program's directory with a trailing "/": the directory of executablePath when it has one,
// else the current directory.
std::string programDirectoryFrom(std::string_view executablePath);
// The product title, " - " and the document path without extension when there is one, and ": "
// and the chapter title when there is one.
std::string composeTitle(std::string_view documentPath, const std::optional<std::string>& chapterTitle);

enum class ShutdownState { Running, StoppingRenderer, Closed };

class MainFrameLogic {
public:
    // Both are observed; they must outlive the logic. platform defaults to the installed one.
    explicit MainFrameLogic(AppServices& services, Platform* platform = nullptr);

    std::string documentPath;       // full path of the current document; "" when none
    std::string documentDirectory;  // directory of the last loaded document, with trailing "/"
    std::string programDirectory;   // with trailing "/"

    // Start-up: takes the document from the command line and the program directory (logged as
    // "Initial path: ...").
    void takeCommandLine(std::string_view argumentText, std::string_view executablePath);

    // True when the caller may go on: no scene, no changes, "No", or "Yes" and the save worked.
    bool confirmDiscard();
    // Menu "Open...": confirmDiscard, the file dialog, then openDocument.
    void openDocumentWithDialog();
    // Reads path and makes it current; true when a scene was read. The title is updated either way.
    bool openDocument(const std::string& path);
    // Saves to documentPath; true only when written. The undo stack is marked saved only then
    // (and never for ".ros").
    bool saveDocument();
    // Asks for a name and saves there (pack: the packed form); true only when written.
    bool saveDocumentAs(bool pack);
    void updateTitle();

    // One steering command: its trace text in the status line, then its effect. Codes outside the
    // table do nothing.
    void handleSteering(int code, int argument);

    // The close request (close box, "Exit", CloseKinemo). Ignored while the close is under way.
    void closeMainWindow();
    ShutdownState shutdownState() const { return shutdownState_; }
    int shutdownTicks() const { return shutdownTicks_; }

private:
    void onShutdownTick();
    void finalClose();
    Platform& platform();
    void moveWindow(int code, int argument);

    AppServices& services_;
    Platform* platform_;
    ShutdownState shutdownState_ = ShutdownState::Running;
    int shutdownTicks_ = 0;
    bool windowMovedOnce_ = false;
    bool askingToClose_ = false;
};

}  // namespace kinemo
