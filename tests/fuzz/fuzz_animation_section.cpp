// Feeds arbitrary bytes to the animation section reader and to the motion data importer. The
// first byte picks the reader and the file version; the rest is the text. A section that was read
// is written, its chapters played to the end and back, so that every step read can be played.
#include <cstddef>
#include <cstdint>
#include <string>

#include "animation/animation_group.h"
#include "animation/animation_section.h"
#include "animation/motion_data.h"
#include "core/messages.h"
#include "scene/testing/tree_builder.h"

using namespace kinemo;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    openLogFile("fuzz_animation_section_log.txt");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const unsigned selector = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    static const float versions[] = {1.0f, 2.0f, 2.015f, 2.1f, 3.005f, 5.01f, 5.03f, 5.11f, 6.11f, 8.09f};
    kinemo::testing::TestScene scene(versions[(selector >> 1) % 10]);
    kinemo::testing::TreeBuilder(*scene.root).group("a").leaf("b").end().leaf("c");
    if (selector & 1) {
        auto motion = importMotionData(text, "fuzz.txt", kinemo::testing::findGroup(*scene.root, "b"));
        if (motion) {
            motion->animate(motion->getRef(), motion->getRunTime() * 0.5, true);
            motion->invert();
        }
        return 0;
    }
    resetRootChapter();
    readAnimations(text.data(), text.data() + text.size());
    const std::string written = animationBlocks();
    for (AnimationGroup* c : chapterList()) {
        setCurrentSection(c);
        c->runChapterToEnd();
        c->runTo(0, false, true, false, KindAll, -1, false);
    }
    resetRootChapter();
    return written.size() > 0 ? 0 : 0;
}
