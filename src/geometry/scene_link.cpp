#include "geometry/scene_link.h"

#include <string>

#include "geometry/image_settings.h"
#include "scene/def_registry.h"
#include "scene/reading_state.h"

namespace kinemo {

void setPendingDefName(std::string_view name) { defRegistry().setPendingName(name); }

void registerPendingDef(BasicObject* object) {
    if (defRegistry().hasPendingName()) defRegistry().registerDef(object);
}

bool hasPendingDefName() { return defRegistry().hasPendingName(); }

BasicObject* findDefinedObject(std::string_view name) { return defRegistry().findDef(name); }

void forgetDefinedObject(const BasicObject* object) { defRegistry().forget(object); }

bool readingVrml1File() { return readingState().isVrml1(); }

bool readingSolidworksFile() { return readingState().cadSource == CadSource::Solidworks; }

void syncImageReadContext() {
    const ReadingState& state = readingState();
    if (!state.documentDirectory.empty()) imageReadContext().documentDirectory = state.documentDirectory;
    // A file of ours starts with the product and version line; without one it comes from elsewhere.
    imageReadContext().fileFromOtherProgram = state.fileVersion < 0.0f;
}

}  // namespace kinemo
