#pragma once
// The main window's logic without its widgets: the command line, the title, asking about unsaved
// changes, opening and saving documents, the steering commands and the orderly shutdown. The
// document, the chapters, playback and the renderer are reached through AppServices, the window
// system through the Platform; the desktop program supplies both, tests supply fakes.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dynamic_menu.h"
#include "core/platform.h"

namespace kinemo {

inline constexpr std::string_view kProductTitle = "Brevalonix Kinemo Standard";
inline constexpr std::string_view kBuilderTitle = "Brevalonix Kinemo Builder";
inline constexpr int kShutdownTimerId = 1;
inline constexpr int kShutdownTimerIntervalMs = 10;
// The render thread gets this many ticks to end before the close goes on without it.
inline constexpr int kShutdownTickLimit = 200;

// One entry of a menu built at run time, as the document side offers it.
struct MenuItem {
    std::string label;
    bool separator = false;
    bool checked = false;
};

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

    // The menus built at run time: their entries in menu order, and the choice of entry index.
    // The chapter menu lists the chapters shown in it, the language menu the enabled languages,
    // a separator and "Move Language To Top", the viewpoints menu the viewpoint list.
    virtual std::vector<MenuItem> chapterMenuItems() { return {}; }
    virtual void chooseChapterMenuItem(int index) {}
    virtual std::vector<MenuItem> languageMenuItems() { return {}; }
    virtual void chooseLanguageMenuItem(int index) {}
    virtual std::vector<MenuItem> viewpointMenuItems() { return {}; }
    virtual void chooseViewpointMenuItem(int index) {}

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

// The label of the image-sequence entry once it has been used: "Stop Write Video" while
// recording, "Start Write Video" otherwise.
std::string imageSequenceMenuLabel(bool recording);
// The label of the chapter-window entry once it has been used: "Show Chapters in Separated
// Window" while the chapter list is in the player panel, "Show Chapters in Integrated Window"
// otherwise.
std::string chapterWindowMenuLabel(bool integrated);
// A value window's text read as a number (C locale, leading blanks skipped); none when it holds
// no number.
std::optional<float> valueFromText(std::string_view text);
// Stores the value in the preferences file and writes the file at once ("%e").
void rememberPreference(std::string_view key, float value);

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

    // The menus built at run time (ids 34000..34019, 35000..35019 and 36000..36019). Each rebuild
    // asks the services for the entries; an entry past the end of its range is left out and
    // logged. Choosing a chapter or a language refreshes the title and the caption; a language
    // also rebuilds all three menus, whose labels it changes.
    DynamicMenu chapterMenu{"chapter", kChapterMenuFirstId, kChapterMenuLastId};
    DynamicMenu languageMenu{"language", kLanguageMenuFirstId, kLanguageMenuLastId};
    DynamicMenu viewpointMenu{"viewpoint", kViewpointMenuFirstId, kViewpointMenuLastId};
    void rebuildChapterMenu();
    void rebuildLanguageMenu();
    void rebuildViewpointMenu();
    void rebuildDynamicMenus();
    // A command id of the dynamic menus (language menu first); false when none carries it out.
    bool runMenuCommand(int commandId);

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
