#include "render/renderer_settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/definitions.h"

namespace kinemo {
namespace {

TEST(RendererSettings, ReadsTheKeysAsSpelledInTheDefinitionsFile) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("kinemo_render_settings_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "Definitions.txt") << "[Definitions]\r\nUseAnitaliasing=true\r\nUseNicestRendering=false\r\n"
                                              "MovieConverterCommand=ffmpeg -i FIRSTIMAGE VIDEOFILE.mp4\r\n"
                                              "ImageSequenceFrameRate=12.5\r\nRendererReportLevel=9\r\n";
    initSettingsFiles(dir.string());
    const RendererSettings s = readRendererSettings();
    EXPECT_TRUE(s.useAntialiasing);
    EXPECT_FALSE(s.useNicestRendering);
    EXPECT_EQ(s.movieConverterCommand, "ffmpeg -i FIRSTIMAGE VIDEOFILE.mp4");
    EXPECT_FLOAT_EQ(s.imageSequenceFrameRate, 12.5f);
    EXPECT_EQ(s.reportLevel, 9);
    EXPECT_FALSE(s.useStereo);
    initSettingsFiles((dir / "none").string());
    EXPECT_TRUE(readRendererSettings().movieConverterCommand.empty()) << "empty by default";
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kinemo
