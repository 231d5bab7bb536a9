#include "geometry/image_converter.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/messages.h"
#include "core/paths.h"
#include "core/run_command.h"
#include "core/utilities.h"
#include "geometry/image_settings.h"

namespace kinemo {

namespace {

// The temporary-folder messages appear once per run; later failures are only counted.
int temporaryFailures = 0;

void reportTemporaryFailure(const std::string& path) {
    if (temporaryFailures++ == 0) {
        reportMessage("Cannot open termporary file '" + path +
                          "', check TEMP in your systems settings.\n\nImages will be missing!!!",
                      2, true);
    }
}

// Removes the private folder and whatever the converter left in it.
class PrivateFolder {
public:
    explicit PrivateFolder(std::string path) : path_(std::move(path)) {}
    ~PrivateFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string makePrivateFolder() {
    std::string base = temporaryDirectory();
    if (base.empty()) return {};
    std::string pattern = base + "image-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

}  // namespace

bool needsConversion(std::string_view extension) {
    for (const char* known : {"TIFF", "TIF", "PNG", "BMP", "PPM", "TGA", "PGM", "PCX"}) {
        if (extension == known) return true;
    }
    return false;
}

std::string convertedFileName(std::string_view imageName) {
    std::string name = fileNameOf(imageName);
    if (name.size() >= 3) name.resize(name.size() - 3);
    return name + "jpg";
}

bool convertToJpeg(const std::string& sourcePath, std::string_view imageName, std::vector<std::uint8_t>& jpeg) {
    jpeg.clear();
    PrivateFolder folder(makePrivateFolder());
    if (folder.path().empty()) {
        reportTemporaryFailure(temporaryDirectory() + "image-XXXXXX");
        return false;
    }
    const std::string target = folder.path() + "/" + convertedFileName(imageName);
    // "./" keeps a relative name from being taken for an option; "[0]" takes the first frame of
    // a multi-page file; "jpg:" fixes the output format whatever the name says.
    std::string source = sourcePath;
    if (source.empty() || source[0] != '/') source = "./" + source;
    const std::vector<std::string> argv{imageSettings().converterProgram, source + "[0]", "jpg:" + target};
    const int result = runCommand(argv, "Image conversion", "Check that ImageMagick's convert is installed.");
    FileBuffer converted;
    if (result == 0) converted = readWholeFile(target);
    if (result != 0 || !converted) {
        reportMessage("Error during Image conversion for " + std::string(imageName), 1, true);
        return false;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(converted.get());
    jpeg.assign(bytes, bytes + converted.size);
    return true;
}

}  // namespace kinemo
