// Viewpoints, lights, LOD and sound nodes as scene text brings them, and the viewpoint blocks of
// the definitions. The first byte picks the reader, the rest is the text. Viewpoint blocks that
// were read are written, read and written again: after one read the writing must be stable.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/clock.h"
#include "fuzz_clock.h"
#include "core/messages.h"
#include "scene/light.h"
#include "scene/lod.h"
#include "scene/node_readers.h"
#include "scene/scene_light.h"
#include "scene/scene_settings.h"
#include "scene/sound_node.h"
#include "scene/sound_output.h"
#include "scene/extra_node_readers.h"
#include "scene/testing/tree_builder.h"
#include "scene/viewpoint.h"
#include "text/text_form.h"

using namespace kinemo;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void checkPose(ViewPoint& vp) {
    double p[3];
    float r[4];
    vp.worldPose(p, r);
    for (double v : p) check(std::isfinite(v));
    for (float v : r) check(std::isfinite(v));
    const CameraMatrix m = vp.applyCamera(0.1);
    for (double v : m.rotation) check(std::isfinite(v));
}

void loadAndRewrite(const std::string& text) {
    const char* begin = text.c_str();
    const char* after = loadViewpoints(begin, begin + text.size(), nodeTable());
    check(after >= begin && after <= begin + text.size());
    for (int i = 0; i < viewpointCount(); ++i) checkPose(*viewpointAt(i));
    std::string first;
    writeViewpointDefinitions(first);
    std::string second;
    for (int round = 0; round < 2; ++round) {
        // Each round reads what the last one wrote into a fresh list.
        const std::string& source = round == 0 ? first : second;
        for (int i = viewpointCount() - 1; i >= 0; --i) {
            ViewPoint* vp = viewpointAt(i);
            if (vp->parent()) vp->parent()->removeChild(vp);
        }
        clearViewpoints();
        loadViewpoints(source.c_str(), source.c_str() + source.size(), nodeTable());
        std::string out;
        writeViewpointDefinitions(out);
        if (round == 0) {
            second = out;
        } else {
            check(out == second);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::NoSleepClock clock;
    static bool once = [] {
        setMessageClock(&clock);
        sceneSettings().maxClonedNodesPerRead = 20000;
        sceneSettings().maxInlineFileBytes = 0;
        registerSpecialNodeReaders();
        return true;
    }();
    (void)once;
    if (size == 0) return 0;
    const unsigned mode = data[0] % 5;
    setTextTagForm((data[0] & 8) == 0);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    {
        testing::TestScene scene;
        testing::TreeBuilder(*scene.root).group("a").translate(1, 2, 3).group("b").rotate(0, 1, 0, 0.5f).end().end();
        prepareSpecialNodesForRead();
        setCurrentViewpoint(nullptr);
        const char* begin = text.c_str();
        const char* end = begin + text.size();
        switch (mode) {
            case 0:
                testing::readInto(*scene.root, text);
                if (ViewPoint* vp = currentViewpoint()) checkPose(*vp);
                setLightMode(1);
                break;
            case 1:
                loadAndRewrite(text);
                break;
            case 2: {
                Light light;
                const char* after = light.readBlock(begin, end);
                check(after >= begin && after <= end);
                std::string out;
                light.writeBlock(out);
                Light again;
                again.readBlock(out.c_str(), out.c_str() + out.size());
                std::string twice;
                again.writeBlock(twice);
                check(out == twice);
                break;
            }
            case 3: {
                SoundNode sound;
                const char* after = sound.readBody(begin, end);
                check(after >= begin && after <= end);
                std::string out;
                sound.writeVrml(out);
                check(out.rfind("\nSound {", 0) == 0);
                break;
            }
            default: {
                const char* after = readDirectionalLight(begin, end);
                check(after >= begin && after <= end);
                ViewPoint vp;
                after = readVrmlViewpoint(vp, begin, end);
                check(after >= begin && after <= end);
                checkPose(vp);
                break;
            }
        }
        clearViewpoints();
        setCurrentViewpoint(nullptr);
    }
    waveTable().clear();
    return 0;
}
