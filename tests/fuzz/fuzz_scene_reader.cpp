// Runs the scene reader's top level over arbitrary text and the compressed document form over
// arbitrary bytes: the first byte chooses. A text that was read is written again, both ways.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/clock.h"
#include "fuzz_clock.h"
#include "core/messages.h"
#include "scene/reading_state.h"
#include "scene/scene.h"
#include "scene/scene_binary.h"
#include "scene/scene_reader.h"
#include "scene/scene_settings.h"
#include "scene/scene_writer.h"

using namespace kinemo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::NoSleepClock clock;
    static bool once = [] {
        setMessageClock(&clock);
        sceneSettings().maxClonedNodesPerRead = 20000;
        sceneSettings().maxInlineFileBytes = 0;  // no file of the machine is read
        installSceneReader();
        setCreationDateSource([] { return std::string("2000/01/01"); });
        return true;
    }();
    (void)once;
    if (size == 0) return 0;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const std::size_t length = size - 1;
    if (data[0] & 1) {
        // A small limit keeps bombs cheap; the real limit is checked the same way.
        auto text = decompressContent(bytes, length, 1 << 22);
        if (text && text->size() > (1u << 22)) std::abort();
        return 0;
    }
    {
        Scene scene;
        resetReadingState();
        readingState().documentDirectory = "/nonexistent-kinemo-fuzz/";
        try {
            scene.readFromString(bytes, length);
        } catch (const std::exception&) {
            // A refused version ends the read by throwing "Loading terminated".
        }
        const std::string vrml = sceneText(scene, false);
        const std::string own = sceneText(scene, true);
        if (vrml.rfind("#VRML V2.0 utf8", 0) != 0 || own.rfind("#KINEMML V2.0 utf8", 0) != 0) std::abort();
    }
    destroyCurrentScene();
    return 0;
}
