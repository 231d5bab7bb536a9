#include "ui/kinemo_app.h"

#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <cstdio>
#include <cstdlib>

#include "animation/playback.h"
#include "core/definitions.h"
#include "core/messages.h"
#include "core/platform.h"
#include "core/window_placement.h"
#include "scene/scene.h"
#include "ui/desktop_services.h"
#include "ui/main_frame.h"
#include "ui/qt_platform.h"
#include "ui/viewer_view.h"

namespace kinemo {

std::string argumentTextOf(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    return text;
}

std::string executablePathOf(const char* argv0) {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) return std::string(buffer, static_cast<std::size_t>(n));
    return argv0 ? argv0 : "";
}

CKinemoApp::CKinemoApp() = default;

CKinemoApp::~CKinemoApp() {
    mainFrame_.reset();
    if (services_) {
        // Normally done by the close already; after a fatal driver error it happens here.
        services_->stopRenderer();
        services_->releaseRenderer();
    }
    const bool abandoned = services_ && services_->rendererAbandoned();
    services_.reset();
    setPlatform(nullptr);
    if (abandoned) {
        // A render thread that never ended may still read the scene: nothing of it is destroyed
        // under its feet; the process ends here without running the static destructors.
        std::fflush(nullptr);
        std::_Exit(exitStatus_ != 0 ? exitStatus_ : 0);
    }
    // The scene goes before the process-wide tables its nodes are listed in.
    destroyCurrentScene();
}

bool CKinemoApp::initInstance(const std::string& argumentText, const std::string& executablePath) {
    initSettingsFiles();
    platform_ = std::make_unique<QtPlatform>();
    setPlatform(platform_.get());
    openLogFile("Kinemo_Viewer_Log.txt");
    const WindowSizeSettings size = readWindowSizeSettings();
    // The speed slider's range, before the panel opens and clamps the speed into it.
    readSpeedLimits();

    services_ = std::make_unique<DesktopServices>();
    mainFrame_ = std::make_unique<CMainFrame>(*platform_, *services_);
    mainFrame_->takeCommandLine(argumentText, executablePath);
    mainFrame_->viewerView()->setZoomSpeed(getLayeredFloat(preferencesFile(), "ZoomSpeed", -1.0f));
    mainFrame_->openSteering();

    QtPlatform* ui = platform_.get();
    const bool started =
        services_->startRenderer(mainFrame_->viewerView()->frameSink(), [this, ui](const std::string& message) {
            // On the render thread: the box and the exit happen on the interface thread.
            QMetaObject::invokeMethod(
                ui,
                [this, message] {
                    showMessageBox(message, kProductTitle, MessageIcon::Error);
                    exitStatus_ = 3;
                    QApplication::exit(exitStatus_);
                },
                Qt::QueuedConnection);
        });
    if (!started) logLine("CKinemoApp.initInstance: the renderer could not be started");
    mainFrame_->viewerView()->attachRenderer(services_->renderer());
    mainFrame_->initialise(size);
    return true;
}

int CKinemoApp::run(QApplication& application) {
    const int status = application.exec();
    return exitStatus_ != 0 ? exitStatus_ : status;
}

}  // namespace kinemo
