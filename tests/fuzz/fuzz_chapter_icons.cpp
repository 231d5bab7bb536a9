// Reads arbitrary scene text with the animation section's readers in place, then writes it both
// ways, so that the image records kept from the definitions block meet the chapters that name
// icons. Icon names are looked up only in a folder that does not exist.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "animation/animation_group.h"
#include "animation/animation_section.h"
#include "core/clock.h"
#include "fuzz_clock.h"
#include "core/messages.h"
#include "scene/reading_state.h"
#include "scene/scene.h"
#include "scene/scene_reader.h"
#include "scene/scene_settings.h"
#include "scene/scene_writer.h"

using namespace kinemo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::NoSleepClock clock;
    static bool once = [] {
        setMessageClock(&clock);
        openLogFile("fuzz_chapter_icons_log.txt");
        sceneSettings().maxClonedNodesPerRead = 20000;
        sceneSettings().maxInlineFileBytes = 0;
        installSceneReader();
        registerAnimationSectionHandlers();
        setCreationDateSource([] { return std::string("2000/01/01"); });
        return true;
    }();
    (void)once;
    {
        Scene scene;
        scene.fileName = "/nonexistent-kinemo-fuzz/guide.bvr";
        resetReadingState();
        readingState().documentDirectory = "/nonexistent-kinemo-fuzz/";
        try {
            scene.readFromString(reinterpret_cast<const char*>(data), size);
        } catch (const std::exception&) {
            // A refused version ends the read by throwing "Loading terminated".
        }
        const std::string own = sceneText(scene, true);
        const std::string vrml = sceneText(scene, false);
        if (own.rfind("#KINEMML V2.0 utf8", 0) != 0 || vrml.rfind("#VRML V2.0 utf8", 0) != 0) std::abort();
    }
    destroyCurrentScene();
    resetRootChapter();
    return 0;
}
