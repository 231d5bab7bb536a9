// The orderly close of the main window while the render thread may still be running.
#include "core/main_frame_logic.h"
#include "core/messages.h"
#include "core/numbers.h"

namespace kinemo {

void MainFrameLogic::closeMainWindow() {
    // A close asked for while one is under way (or while its question is open) changes nothing.
    if (shutdownState_ != ShutdownState::Running || askingToClose_) return;
    askingToClose_ = true;
    const bool goOn = confirmDiscard();
    askingToClose_ = false;
    if (!goOn) return;
    if (!services_.hasRenderer()) {
        logLine("CMainFrame::OnClose, gRenderer == NULL");
        finalClose();
        return;
    }
    shutdownState_ = ShutdownState::StoppingRenderer;
    shutdownTicks_ = 0;
    services_.stopRenderer();
    if (!platform().startTimer(kShutdownTimerId, kShutdownTimerIntervalMs, [this] { onShutdownTick(); })) {
        // Without a timer nothing would ever finish the close.
        logLine("Timer failed in CMainFrame::OnClose");
        finalClose();
    }
}

void MainFrameLogic::onShutdownTick() {
    if (shutdownState_ != ShutdownState::StoppingRenderer) return;
    const int earlier = shutdownTicks_++;
    if (!services_.hasRenderer()) {
        logLine("CMainFrame::OnTimer, gRenderer == NULL");
        finalClose();
        return;
    }
    const bool running = services_.rendererRunning();
    if (running && earlier < kShutdownTickLimit - 1) {
        logLine(formatC("CMainFrame::OnTimer, iCall == %i", shutdownTicks_));
        return;
    }
    if (!running) logLine("CMainFrame::OnTimer, gRenderer not running");
    logLine(formatC("CMainFrame::OnTimer, iCall == %i", shutdownTicks_));
    finalClose();
}

void MainFrameLogic::finalClose() {
    if (shutdownState_ == ShutdownState::Closed) return;
    shutdownState_ = ShutdownState::Closed;
    platform().stopTimer(kShutdownTimerId);
    if (services_.hasRenderer()) {
        logLine("MainFrame::doClose");
        services_.stopRenderer();
        showStatus("Terminating Render Thread");
        showStatus("");
        services_.releaseRenderer();
    }
    closeLogFile();
    services_.endMainLoop();
}

}  // namespace kinemo
