#include "scene/extra_node_readers.h"

#include "scene/keywords.h"
#include "scene/lod.h"
#include "scene/node_readers.h"
#include "scene/scene_light.h"
#include "scene/sound_node.h"
#include "scene/viewpoint.h"

namespace kinemo {

void registerSpecialNodeReaders() {
    registerNodeReader(kw::Viewpoint, [](GroupNode& g, const char*, const char*, const char* after) {
        return readViewpointNode(g, after, nullptr);
    });
    registerNodeReader(kw::LOD, [](GroupNode& g, const char*, const char*, const char* after) {
        return readLodNode(g, after, nullptr);
    });
    registerNodeReader(kw::DirectionalLight, [](GroupNode&, const char*, const char*, const char* after) {
        return readDirectionalLight(after, nullptr);
    });
    registerNodeReader(kw::Sound, [](GroupNode& g, const char*, const char*, const char* after) {
        return readSoundNodeInto(g, after, nullptr);
    });
}

void prepareSpecialNodesForRead() {
    prepareSceneLightForRead();
    clearViewpoints();
}

}  // namespace kinemo
