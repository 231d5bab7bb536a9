#include "core/window_placement.h"

#include "core/definitions.h"

namespace kinemo {

namespace {

int atLeast400(int size) { return (size >= 0 && size <= 400) ? 400 : size; }

}  // namespace

WindowSizeSettings normalisedWindowSize(bool fullSize, int width, int height) {
    if (fullSize) return {true, -1, -1};
    return {false, atLeast400(width), atLeast400(height)};
}

WindowSizeSettings readWindowSizeSettings() {
    const bool fullSize = getDefinitionBool("SetFullSize", false);
    int width = getDefinitionLong("InitialSizeX", -1);
    int height = getDefinitionLong("InitialSizeY", -1);
    width = globalPreferencesFile().getLong("InitialSizeX", width);
    height = globalPreferencesFile().getLong("InitialSizeY", height);
    return normalisedWindowSize(fullSize, width, height);
}

std::optional<WindowRect> initialWindowRect(const WindowSizeSettings& settings, const ScreenSize& screen) {
    if (settings.initialWidth > 0 && settings.initialHeight > 0)
        return WindowRect{272, 0, settings.initialWidth, settings.initialHeight};
    if (settings.fullSize) return std::nullopt;
    return WindowRect{272, 0, 2 * screen.width / 3 - 5, 2 * screen.height / 3 - 30};
}

void placeMainWindow(Platform& platform, const WindowSizeSettings& settings) {
    if (auto rect = initialWindowRect(settings, platform.screenSize())) platform.setMainWindowRect(*rect);
    platform.showMainWindow();
}

WindowRect fullScreenRect(const ScreenSize& screen) { return WindowRect{0, 0, screen.width, screen.height - 30}; }

int playerPanelWidth(int dpiX) {
    // 220 x (dpi / 96) + 0.5, truncated
    return static_cast<int>(220.0 * dpiX / 96.0 + 0.5) + 12;
}

}  // namespace kinemo
