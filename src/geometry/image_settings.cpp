#include "geometry/image_settings.h"

#include "core/definitions.h"

namespace kinemo {

ImageSettings readImageSettings() {
    ImageSettings settings;
    settings.reportLevel = getDefinitionLong("ImageReportLevel", 9);
    settings.changeImageByteOrder = getDefinitionBool("ChangeImageImageByteOrder", true);
    settings.changeTextureByteOrder = getDefinitionBool("ChangeTextureImageByteOrder", true);
    return settings;
}

ImageSettings& imageSettings() {
    static ImageSettings settings = readImageSettings();
    return settings;
}

ImageReadContext& imageReadContext() {
    static ImageReadContext context;
    return context;
}

}  // namespace kinemo
