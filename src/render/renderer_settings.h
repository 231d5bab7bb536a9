#pragma once
// The renderer's and render contexts' settings keys, read once at start-up by whoever creates
// the renderer (readRendererSettings). The defaults are those of a missing key.
#include <string>

namespace kinemo {

struct RendererSettings {
    int reportLevel = 3;                    // RendererReportLevel
    bool useStereo = false;                 // UseStereo
    bool useStereoOnScene = false;          // UseStereoOnScene
    bool useMultisampledRendering = false;  // UseMultisampledRendering
    bool useNicestRendering = true;         // UseNicestRendering
    bool useAntialiasing = false;           // UseAnitaliasing
    float imageSequenceFrameRate = 25.0f;   // ImageSequenceFrameRate
    std::string movieConverterCommand;      // MovieConverterCommand
    float sleepSecAfterRender = 0.0f;       // SleepSecAfterRender
    int alphaBits = 0;                      // AlphaBits
    int renderContextReportLevel = 0;       // RenderContextReportLevel
};

// Reads the keys from the definitions file (core/definitions.h).
RendererSettings readRendererSettings();

}  // namespace kinemo
