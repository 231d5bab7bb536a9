#include "render/renderer_settings.h"

#include "core/definitions.h"

namespace kinemo {

RendererSettings readRendererSettings() {
    RendererSettings s;
    s.reportLevel = getDefinitionLong("RendererReportLevel", 3);
    s.useStereo = getDefinitionBool("UseStereo", false);
    s.useStereoOnScene = getDefinitionBool("UseStereoOnScene", false);
    s.useMultisampledRendering = getDefinitionBool("UseMultisampledRendering", false);
    s.useNicestRendering = getDefinitionBool("UseNicestRendering", true);
    s.useAntialiasing = getDefinitionBool("UseAnitaliasing", false);
    s.imageSequenceFrameRate = getDefinitionFloat("ImageSequenceFrameRate", 25.0f);
    s.movieConverterCommand = getDefinitionString("MovieConverterCommand", "");
    s.sleepSecAfterRender = getDefinitionFloat("SleepSecAfterRender", 0.0f);
    s.alphaBits = getDefinitionLong("AlphaBits", 0);
    s.renderContextReportLevel = getDefinitionLong("RenderContextReportLevel", 0);
    return s;
}

}  // namespace kinemo
