#include "animation/chapter_icons.h"

#include <cstdint>
#include <set>
#include <string_view>

#include "animation/animation_group.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/paths.h"
#include "core/utilities.h"
#include "geometry/image.h"
#include "scene/reading_state.h"
#include "scene/scene.h"
#include "scene/scene_file_hooks.h"
#include "text/text_images.h"

namespace kinemo {
namespace {

// The record stores both lengths as int32.
constexpr std::size_t kLargestRecordPart = 0x7fffffffu - 64;

// Only what the reader decodes from a record can travel inside the document.
bool carriedInDocument(std::string_view name) {
    const std::string extension = extensionOf(name);
    return extension == "GIF" || extension == "JPG";
}

// Relative image names are taken from the folder of the file the guide was read from.
std::string sceneFolder(const Scene& scene) {
    if (scene.fileName.empty()) return {};
    const std::string full = absolutePath(scene.fileName);
    const std::size_t slash = full.rfind('/');
    return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

class HeadWriter {
public:
    HeadWriter(Scene& scene, bool binary) : scene_(scene), binary_(binary), folder_(sceneFolder(scene)) {}

    // The image block of name, each name once in the block; in text writes nothing.
    void image(std::string_view name) {
        if (!binary_ || name.empty()) return;
        if (!handled_.insert(std::string(name)).second) return;
        if (!carriedInDocument(name)) {
            reportMessage(formatC("Object type of '%s' cannot be segrated in binary file. \nDistribute separately.",
                                  std::string(name).c_str()),
                          2, false);
            return;
        }
        const std::string path = resolveImagePath(name, folder_);
        if (FileBuffer file = readWholeFile(path)) {
            block(name, file.view());
            return;
        }
        const auto kept = scene_.kept.definitionImages.find(name);
        if (kept != scene_.kept.definitionImages.end()) {
            block(name, kept->second);
            return;
        }
        reportMessage(formatC("Can't open image file %s", path.c_str()), 1, true);
    }

    void logo(const std::string& name, const char* open, const char* close) {
        if (name.empty()) return;
        image(name);
        out_ += formatC("# %s%s%s\n", open, name.c_str(), close);
    }

    std::string& text() { return out_; }

private:
    void block(std::string_view name, std::string_view bytes) {
        if (bytes.size() > kLargestRecordPart || name.size() > kLargestRecordPart) {
            reportMessage(formatC("Image %s is too large to be written inline", std::string(name).c_str()), 3, true);
            return;
        }
        appendImageDataBlock(out_, name, bytes);
    }

    Scene& scene_;
    bool binary_;
    std::string folder_;
    std::set<std::string, std::less<>> handled_;
    std::string out_;
};

}  // namespace

std::string definitionsHead(Scene& scene, bool binary) {
    HeadWriter writer(scene, binary);
    for (AnimationGroup* chapter :
         chaptersInOrder(AnimationGroup::Empty | AnimationGroup::HoldsSteps | AnimationGroup::HoldsChapters))
        writer.image(chapter->chapterIconName);
    writer.logo(scene.companyLogo, "<kmxCOMPANY_LOGO>", "</kmxCOMPANY_LOGO>");
    writer.logo(scene.machineLogo, "<kmxMACHINE_LOGO>", "</kmxMACHINE_LOGO>");
    return std::move(writer.text());
}

bool writeDefinitionsHead(Scene& scene, std::FILE* file) {
    const std::string head = definitionsHead(scene, readingState().writingBinary);
    return head.empty() || std::fwrite(head.data(), 1, head.size(), file) == head.size();
}

void registerChapterIconWriter() { sceneFileHooks().writeChapterIcons = writeDefinitionsHead; }

}  // namespace kinemo
