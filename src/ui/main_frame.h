#pragma once
// CMainFrame: the main window with its toolbar, the status bar of four fields and the splitter
// holding the player panel (left) and the 3D view (right). What its commands do lives in
// MainFrameLogic; this class only turns widget events into calls on it.
#include <QMainWindow>
#include <memory>

#include "core/main_frame_logic.h"
#include "core/steering.h"
#include "core/window_placement.h"
#include "render/navigation.h"

class QAction;
class QLabel;
class QMenu;
class QSocketNotifier;
class QSplitter;

namespace kinemo {

class DesktopServices;
class PlayerPanel;
class QtPlatform;
class TimingWindow;
class ViewerView;
class DynamicMenu;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // platform must be installed (setPlatform) for as long as the window lives.
    CMainFrame(QtPlatform& platform, DesktopServices& services);
    ~CMainFrame() override;

    MainFrameLogic& logic() { return logic_; }
    PlayerPanel* playerPanel() const { return playerPanel_; }
    ViewerView* viewerView() const { return viewerView_; }
    QSplitter* splitter() const { return splitter_; }
    QLabel* statusLabel(StatusField field) const { return status_[static_cast<int>(field)]; }
    bool initialised() const { return initialised_; }
    // Listens for steering records; false when another instance has the socket (logged).
    bool openSteering(std::string_view path = {});
    const SteeringServer& steering() const { return steering_; }

    // Start-up from the command line: the document is read at the first paint of the 3D view.
    void takeCommandLine(std::string_view argumentText, std::string_view executablePath);
    // The dialog initialisation: splitter columns, placement, shown.
    void initialise(const WindowSizeSettings& size);

    // The view commands of the menus and the toolbar.
    void fitToWorkpart();
    void initialView();
    void setMouseMode(MouseMode mode);
    enum class RotationAxis { Vertical, Horizontal, View };
    // "Rotate Around Vertical Axis", "Rotate Around Horizontal Axis", "Rotate View": one step of
    // 15 degrees about the rotation centre.
    void rotateByStep(RotationAxis axis);
    // "Zoom Speed": the value window; the value confirmed is used and kept in the preferences.
    void askZoomSpeed();
    void blackBackground();
    void showAnimationTiming();
    // "Floating ChapterDlg": the chapter list moves between the panel and a window of its own.
    void toggleChapterWindow();
    // "Save Bmp": the 3D view into a bitmap file chosen in a save dialog.
    void saveBitmap();
    // "Start Write Image Sequence": starts or stops the recording of the view.
    void toggleImageSequence();
    TimingWindow* timingWindow() const { return timingWindow_; }
    QMenu* chapterMenu() const { return chapterMenu_; }
    QMenu* languageMenu() const { return languageMenu_; }
    QMenu* viewpointMenu() const { return viewpointMenu_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenusAndToolbar();
    void readSteering();
    void onFirstPaint();
    // The panel and the 3D view follow the services' player model and renderer.
    void hookPlayer();
    void showPlayerModel();
    // The menu shows the entries of the dynamic menu; a choice is carried out after the menu
    // has closed (it may rebuild the menu).
    void showDynamicMenu(QMenu* menu, const DynamicMenu& entries);
    void runMenuCommandLater(int commandId);
    void showChapterList();
    // When playback has moved to another chapter: the title, the caption, the timing rows.
    void followCurrentChapter();
    std::string sequenceName() const;

    QtPlatform& platform_;
    DesktopServices& services_;
    MainFrameLogic logic_;
    PlayerPanel* playerPanel_ = nullptr;
    ViewerView* viewerView_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QLabel* status_[kStatusFieldCount] = {};
    SteeringServer steering_;
    QSocketNotifier* steeringNotifier_ = nullptr;
    QMenu* chapterMenu_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    QMenu* viewpointMenu_ = nullptr;
    QAction* imageSequenceAction_ = nullptr;
    QAction* chapterWindowAction_ = nullptr;
    QAction* modeActions_[3] = {};
    TimingWindow* timingWindow_ = nullptr;
    const void* shownChapter_ = nullptr;
    bool playing_ = false;
    bool initialised_ = false;
    bool closeAllowed_ = false;
};

}  // namespace kinemo
