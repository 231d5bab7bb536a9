#pragma once
// The window system behind the program logic: message boxes, the status-bar fields, file
// prompts, timers and the main window's placement, done with Qt widgets on the interface thread.
// Calls from other threads (the render thread) are queued to it; those that need an answer wait.
// Texts cross from Windows-1252 to UTF-8 here; file names are taken as the bytes on disk.
#include <QObject>
#include <QPointer>
#include <array>
#include <map>

#include "core/platform.h"

class QLabel;
class QTimer;
class QWidget;

namespace kinemo {

class QtPlatform : public QObject, public Platform {
    Q_OBJECT
public:
    explicit QtPlatform(QObject* parent = nullptr);
    ~QtPlatform() override;

    // The main window and its four status fields (observed; may be set to null again).
    void setMainWindow(QWidget* window);
    void setStatusLabel(StatusField field, QLabel* label);

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

    // Makes file dialogs answer with this name without showing (smoke tests); empty: show them.
    void setScriptedFileName(std::optional<std::string> name) { scriptedFileName_ = std::move(name); }
    // A value window: a prompt and a line of text (Windows-1252); none when cancelled.
    std::optional<std::string> askText(std::string_view title, std::string_view prompt, std::string_view initial);
    // Makes value windows answer with this text without showing ("" answers cancel).
    void setScriptedText(std::optional<std::string> text) { scriptedText_ = std::move(text); }

private:
    bool onOwnThread() const;
    // Runs job on the interface thread: at once when called there, else queued (wait: blocking).
    void runOnUi(std::function<void()> job, bool wait);

    QPointer<QWidget> window_;
    std::array<QPointer<QLabel>, kStatusFieldCount> labels_{};
    std::map<int, QTimer*> timers_;
    std::optional<std::string> scriptedFileName_;
    std::optional<std::string> scriptedText_;
};

// Windows-1252 text for a widget, and back.
QString toQt(std::string_view cp1252);
std::string fromQt(const QString& text);

}  // namespace kinemo
