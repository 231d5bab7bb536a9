#pragma once
// Where the main window first appears and how big, from the settings and the screen, and the
// width of the player panel column.
#include <optional>

#include "core/platform.h"

namespace kinemo {

struct WindowSizeSettings {
    bool fullSize = false;   // SetFullSize: leave the window where the window system put it
    int initialWidth = -1;   // -1: unset
    int initialHeight = -1;  // -1: unset
};

// SetFullSize, InitialSizeX and InitialSizeY from the definitions file, the sizes then again from
// the window-geometry file with those values as defaults. A size from 0 to 400 becomes 400; with
// SetFullSize both sizes are -1.
WindowSizeSettings readWindowSizeSettings();
// The same rule over given values (for tests and callers with their own sources).
WindowSizeSettings normalisedWindowSize(bool fullSize, int width, int height);

// The first placement: the remembered size at (272, 0), else two thirds of the screen there;
// none with fullSize (the window stays where it is).
std::optional<WindowRect> initialWindowRect(const WindowSizeSettings& settings, const ScreenSize& screen);
// Moves the window by initialWindowRect (when there is one) and shows it.
void placeMainWindow(Platform& platform, const WindowSizeSettings& settings);
// The whole screen width at (0, 0), the screen height less 30.
WindowRect fullScreenRect(const ScreenSize& screen);

// The player panel's column: 220 pixels at 96 dots per inch, scaled and rounded, plus 12.
int playerPanelWidth(int dpiX);

}  // namespace kinemo
