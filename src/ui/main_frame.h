#pragma once
// CMainFrame: the main window with its toolbar, the status bar of four fields and the splitter
// holding the player panel (left) and the 3D view (right). What its commands do lives in
// MainFrameLogic; this class only turns widget events into calls on it.
#include <QMainWindow>
#include <memory>

#include "core/main_frame_logic.h"
#include "core/steering.h"
#include "core/window_placement.h"

class QLabel;
class QSocketNotifier;
class QSplitter;

namespace kinemo {

class DesktopServices;
class PlayerPanel;
class QtPlatform;
class ViewerView;

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

    QtPlatform& platform_;
    DesktopServices& services_;
    MainFrameLogic logic_;
    PlayerPanel* playerPanel_ = nullptr;
    ViewerView* viewerView_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QLabel* status_[kStatusFieldCount] = {};
    SteeringServer steering_;
    QSocketNotifier* steeringNotifier_ = nullptr;
    bool initialised_ = false;
    bool closeAllowed_ = false;
};

}  // namespace kinemo
