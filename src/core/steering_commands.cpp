// The steering commands as the main window carries them out.
#include "core/main_frame_logic.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/steering.h"

namespace kinemo {

void MainFrameLogic::handleSteering(int code, int argument) {
    const long arg = argument;
    switch (code) {
        case SteerSetChapter:
            showStatus(formatC("Interface called SetChapter %ld", arg));
            if (arg >= 1 && arg <= services_.chapterCount() && services_.selectChapter(argument)) updateTitle();
            break;
        case SteerSetAnimStep:
            showStatus(formatC("Interface called SetAnimStep %ld", arg));
            if (!services_.hasCurrentChapter())
                showStatus("Interface called without aimation group", true);
            else if (arg < 1 || !services_.runToStep(argument))
                showStatus(formatC("Interface called invalid SetAnimStep %ld", arg), true);
            break;
        case SteerStartPlay:
            showStatus("Interface called StartPlay");
            services_.playForward(false);
            break;
        case SteerStartFastAnim:
            showStatus("Interface called StartFastAnim");
            services_.playForward(true);
            break;
        case SteerStartBackPlay:
            showStatus("Interface called StartBackPlay");
            services_.playBackward();
            break;
        case SteerStopAnim:
            showStatus("Interface called StopAnim");
            services_.stopAnimation();
            break;
        case SteerCloseKinemo:
            showStatus("Interface called CloseKinemo");
            closeMainWindow();
            break;
        case SteerWindowPosX:
            showStatus(formatC("Interface called WindowPosX %d", argument));
            moveWindow(code, argument);
            break;
        case SteerWindowPosY:
            showStatus(formatC("Interface called WindowPosY %d", argument));
            moveWindow(code, argument);
            break;
        case SteerWindowSizeX:
            showStatus(formatC("Interface called WindowSizeX %d", argument));
            moveWindow(code, argument);
            break;
        case SteerWindowSizeY:
            showStatus(formatC("Interface called WindowSizeY %d", argument));
            moveWindow(code, argument);
            break;
        case SteerWindowHide:
            showStatus("Interface called WindowHide");
            platform().setMainWindowTopmost(false);
            platform().hideMainWindow();
            break;
        case SteerWindowShow:
            showStatus("Interface called WindowShow");
            platform().showMainWindow();
            if (argument == 1)
                platform().setMainWindowTopmost(false);
            else if (argument == 2)
                platform().raiseMainWindow();
            else
                platform().setMainWindowTopmost(true);
            break;
        default:
            break;
    }
}

void MainFrameLogic::moveWindow(int code, int argument) {
    if (!windowMovedOnce_) {
        // Moving the window onto its own rectangle once makes the child windows lay themselves out.
        platform().setMainWindowRect(platform().mainWindowRect());
        windowMovedOnce_ = true;
    }
    WindowRect rect = platform().mainWindowRect();
    switch (code) {
        case SteerWindowPosX:
            rect.x = argument;
            break;
        case SteerWindowPosY:
            rect.y = argument;
            break;
        // A window needs at least one pixel each way.
        case SteerWindowSizeX:
            rect.width = argument < 1 ? 1 : argument;
            break;
        case SteerWindowSizeY:
            rect.height = argument < 1 ? 1 : argument;
            break;
        default:
            return;
    }
    platform().setMainWindowRect(rect);
}

}  // namespace kinemo
