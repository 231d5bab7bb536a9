#include "geometry/image_settings.h"

#include "core/definitions.h"

namespace kinemo {

namespace {

ImageSettings readSettings() {
    ImageSettings settings;
    settings.reportLevel = getDefinitionLong("ImageReportLevel", 9);
    settings.changeImageByteOrder = getDefinitionBool("ChangeImageImageByteOrder", true);
    settings.changeTextureByteOrder = getDefinitionBool("ChangeTextureImageByteOrder", true);
    return settings;
}

}  // namespace

ImageSettings& imageSettings() {
    static ImageSettings settings = readSettings();
    return settings;
}

ImageReadContext& imageReadContext() {
    static ImageReadContext context;
    return context;
}

}  // namespace kinemo
