// The scene writer: the fixed order of the file, the header, the tree walk, the definitions
// block, and saving without ever destroying the previous file.
#include "scene/scene_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "core/definitions.h"
#include "core/file_type.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/utilities.h"
#include "geometry/binary_io.h"
#include "geometry/face_ref.h"
#include "scene/group_node.h"
#include "scene/node_table.h"
#include "scene/pack_file.h"
#include "scene/reading_state.h"
#include "scene/scene.h"
#include "scene/scene_binary.h"
#include "scene/scene_file_hooks.h"
#include "scene/scene_reader.h"
#include "scene/scene_report.h"
#include "text/text_form.h"
#include "text/translator.h"

namespace kinemo {
namespace {

constexpr const char* kProductTitle = "Brevalonix Kinemo Builder";
constexpr const char* kMakersNotice = "authored with Kinemo";

std::function<std::string()>& dateSource() {
    static std::function<std::string()> source;
    return source;
}

long saves = 0;
long partNumber = 0;

bool put(std::FILE* f, std::string_view s) { return s.empty() || std::fwrite(s.data(), 1, s.size(), f) == s.size(); }

// The binary flag lives for one write.
class BinaryFlag {
public:
    explicit BinaryFlag(bool binary) : saved_(readingState().writingBinary), blocks_(binary) {
        readingState().writingBinary = binary;
    }
    ~BinaryFlag() { readingState().writingBinary = saved_; }
    BinaryFlag(const BinaryFlag&) = delete;
    BinaryFlag& operator=(const BinaryFlag&) = delete;

private:
    bool saved_;
    BinaryWriteModeScope blocks_;  // the lists' and images' binary blocks
};

// A temporary file next to the target; removed unless it was moved into place.
class TempFile {
public:
    explicit TempFile(const std::string& target) {
        const std::size_t slash = target.rfind('/');
        const std::string dir = slash == std::string::npos ? std::string(".") : target.substr(0, slash);
        const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
        std::string pattern = dir + "/." + name + ".saving-XXXXXX";
        int fd = ::mkstemp(pattern.data());
        if (fd < 0) return;
        // The saved file gets the usual permissions, not mkstemp's private ones.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
        file_ = ::fdopen(fd, "wb");
        if (!file_) {
            ::close(fd);
            ::unlink(pattern.c_str());
            return;
        }
        path_ = pattern;
        buffer_ = std::make_unique<char[]>(kBuffer);
        std::setvbuf(file_, buffer_.get(), _IOFBF, kBuffer);
    }
    ~TempFile() {
        if (file_) std::fclose(file_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    std::FILE* file() const { return file_; }
    const std::string& path() const { return path_; }
    // Flushes, syncs and closes; false when any of it failed.
    bool close() {
        if (!file_) return false;
        bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
        ok = ::fsync(::fileno(file_)) == 0 && ok;
        ok = std::fclose(file_) == 0 && ok;
        file_ = nullptr;
        return ok;
    }
    // Moves the file over target; afterwards there is nothing left to remove.
    bool moveTo(const std::string& target) {
        if (path_.empty() || std::rename(path_.c_str(), target.c_str()) != 0) return false;
        path_.clear();
        return true;
    }

private:
    static constexpr std::size_t kBuffer = 1 << 20;
    std::FILE* file_ = nullptr;
    std::string path_;
    std::unique_ptr<char[]> buffer_;
};

// A symbolic link keeps its place: the file it names is replaced.
std::string resolvedTarget(std::string_view path) {
    std::string target(path);
    char* real = ::realpath(target.c_str(), nullptr);
    if (real) {
        target = real;
        std::free(real);
    }
    return target;
}

std::string formatDate() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::string s = formatC("%2d/%2d/%2d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    for (char& c : s)
        if (c == ' ') c = '0';
    return s;
}

}  // namespace

std::string versionText() {
    const char* title = std::strchr(kProductTitle, ' ');
    return formatC("%s Version %4.2f", title ? title + 1 : kProductTitle, double(kProgramVersion));
}

void setCreationDateSource(std::function<std::string()> source) { dateSource() = std::move(source); }

std::string creationDateText() { return dateSource() ? dateSource()() : formatDate(); }

long saveCounter() { return saves; }

bool writeHeader(std::FILE* file, bool binary) {
    std::string s = binary ? "#KINEMML V2.0 utf8" : "#VRML V2.0 utf8";
    const std::string version = versionText();
    s += "\n\n#";
    s += version;
    s += formatC("\n#RequiresProgramVersion %4.2f", double(kRequiredProgramVersion));
    s += "\n#CreationDate ";
    s += creationDateText();
    s += "\n\nWorldInfo { ";
    s += "\n  info  [\"";
    s += version;
    s += ", ";
    s += kMakersNotice;
    s += "\"]";
    s += "\n}";
    return put(file, s);
}

bool writeGroupChildren(Scene& scene, GroupNode& group, std::FILE* file) {
    if (&group == &scene.tempDatumLayer() || &group == &scene.cornerPointDatumLayer()) return true;
    bool ok = true;
    SceneFileHooks& hooks = sceneFileHooks();
    const long reportLevel = 0;
    for (std::size_t i = 0; i < group.childCount() && ok; ++i) {
        Node* child = group.child(i);
        // The status line is redrawn for every 256th part only: a million parts would otherwise
        // spend more time on the status line than on the file.
        if ((partNumber & 255) == 0) showStatus(formatC("Saving part %ld", partNumber));
        ++partNumber;
        if (GroupNode* g = child->asGroupNode()) {
            if (reportLevel > 4) sceneLog("GroupNode::writeToFile\n");
            ok = g->TransformNode::writeToFile(file) && put(file, "\n    children [") &&
                 writeGroupChildren(scene, *g, file) && put(file, "\n\n]}");
        } else if (child->asShapeNode()) {
            ok = child->writeToFile(file);
        } else if (child == scene.initialViewpoint) {
            // Written before the tree as the file's viewpoint.
        } else {
            NodeWriteResult r = hooks.writeOtherNode ? hooks.writeOtherNode(scene, *child, file) : NodeWriteResult::Unknown;
            if (r == NodeWriteResult::Failed) ok = false;
            if (r == NodeWriteResult::Unknown) sceneReport(formatC("Cannot save unknown node %ld", partNumber), 0, true);
        }
    }
    return ok;
}

bool writeDefinitionsBlock(Scene& scene, std::FILE* file) {
    SceneFileHooks& hooks = sceneFileHooks();
    showStatus("Saving definitions\n");
    bool ok = put(file, "\n\n\n# <kmxDEFINITION>\n");
    if (hooks.writeChapterIcons) {
        // The icon images, then each logo's image with its name line: the hook owns the whole head.
        ok = ok && hooks.writeChapterIcons(scene, file);
    } else {
        ok = ok && put(file, scene.kept.definitionsHead);
    }
    if (scene.chapterIconSize != 16)
        ok = ok && put(file, formatC("# %s%d%s\n", "<kmxCHP_ICN_SIZE>", scene.chapterIconSize, "</kmxCHP_ICN_SIZE>"));
    const std::int32_t counter = hooks.stepIdCounter ? hooks.stepIdCounter() : scene.highestStepIndex;
    ok = ok && put(file, formatC("\n# <kmxHIGHESTINDEX value = \"%i\" />\n", counter));
    ok = ok && Translator::writeLanguageDefinitions(file);
    ok = ok && put(file, scene.kept.definitionsTail);
    if (hooks.writeViewpointDefinitions) ok = ok && hooks.writeViewpointDefinitions(scene, file);
    ok = ok && put(file, "# </kmxDEFINITION>\n");
    return ok;
}

bool writeScene(Scene& scene, std::FILE* file, bool binary) {
    BinaryFlag flag(binary);
    // A face set shared by several shapes is written once with its geometry, then used by name.
    GeometryWriteScope sharedGeometry;
    SceneFileHooks& hooks = sceneFileHooks();
    setTextTagForm(true);
    partNumber = 0;
    if (hooks.prepareWrite) hooks.prepareWrite(scene);
    nodeTable().renumberIds(scene.root());
    bool ok = writeHeader(file, binary);
    std::string nav = "\n\nNavigationInfo {";
    nav += "\n  speed 1000";
    nav += "\n  type [\"EXAMINE\", \"ANY\"]";
    // Both states are written, so that a headlight that is on survives a reload.
    nav += scene.headlightOn() ? "\n  headlight  TRUE" : "\n  headlight  FALSE";
    nav += "\n}";
    ok = ok && put(file, nav);
    if (hooks.writeLight)
        ok = ok && hooks.writeLight(scene, file);
    else
        ok = ok && put(file, scene.kept.light);
    const float* sky = scene.skyColor;
    if (sky[0] != 0 || sky[1] != 0 || sky[2] != 0)
        ok = ok && put(file, formatC("\nBackground { \n skyColor %f %f %f \n}", double(sky[0]), double(sky[1]), double(sky[2])));
    if (hooks.writeViewpoint && scene.initialViewpoint)
        ok = ok && hooks.writeViewpoint(scene, file);
    else
        ok = ok && put(file, scene.kept.viewpoint);
    ok = ok && writeGroupChildren(scene, scene.root(), file);
    ok = ok && writeDefinitionsBlock(scene, file);
    if (hooks.writeMetaInfo) {
        ok = ok && hooks.writeMetaInfo(scene, file);
    } else if (scene.kept.hasMetaInfo) {
        // As comment lines, so that the file stays VRML 2 for every other reader.
        std::string block = "\n# <kmxMETA_INFO>\n";
        std::string_view rest = scene.kept.metaInfo;
        while (!rest.empty()) {
            const std::size_t nl = rest.find('\n');
            const std::string_view line = rest.substr(0, nl);
            block += "# ";
            block += line;
            block += '\n';
            rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
        }
        block += "# </kmxMETA_INFO>";
        ok = ok && put(file, block);
    }
    showStatus("Saving animations");
    ok = ok && put(file, "\n\n# ANIMATIONS\n");
    if (hooks.writeAnimations)
        ok = ok && hooks.writeAnimations(scene, file);
    else
        ok = ok && put(file, scene.kept.animations);
    ok = ok && put(file, "\n");
    showStatus("Ready");
    return ok && !std::ferror(file);
}

std::string sceneText(Scene& scene, bool binary) {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* f = ::open_memstream(&data, &size);
    if (!f) return {};
    writeScene(scene, f, binary);
    std::fclose(f);
    std::string s(data, size);
    std::free(data);
    return s;
}

bool writeToFile(Scene& scene, std::string_view path, bool pack) {
    const FileType type = fileTypeOf(path);
    const std::string shown(path);
    if (type == FileTypeWrl) {
        sceneReport(formatC("%s cannot write WRL files", kProductTitle), 1, true);
        return false;
    }
    if (type == FileTypeU3d || type == FileTypePdf) {
        sceneReport("Cannot write this file type here: " + shown, 3, true);
        return false;
    }
    const std::string target = resolvedTarget(path);
    TempFile temp(target);
    if (!temp.file()) {
        sceneReport("Cannot write to file, check permissions for " + shown, 3, true);
        return false;
    }
    const bool binary = isBinaryDocumentType(type);
    ++saves;
    bool ok = writeScene(scene, temp.file(), binary);
    ok = temp.close() && ok;
    if (!ok) {
        sceneReport("Cannot write to file, check permissions for " + shown + " (" + lastErrorText() + ")", 3, true);
        return false;
    }
    bool compressed = true;
    if (binary && getDefinitionBool("CompressBinaryOutput", true)) {
        std::string content;
        std::optional<std::string> packed;
        if (readFileText(temp.path(), content) == ReadResult::Ok) packed = compressContent(content);
        content = std::string();
        if (packed) {
            // writeWholeFile writes another temporary file and moves it over the target.
            if (!writeWholeFile(target, *packed)) {
                sceneReport("Cannot write to file, check permissions for " + shown + " (" + lastErrorText() + ")", 3, true);
                return false;
            }
        } else {
            compressed = false;
        }
    }
    if (!binary || !getDefinitionBool("CompressBinaryOutput", true) || !compressed) {
        if (!temp.moveTo(target)) {
            sceneReport("Cannot write to file, check permissions for " + shown + " (" + lastErrorText() + ")", 3, true);
            return false;
        }
    }
    if (!compressed) {
        sceneReport("Compression failed; the file was saved uncompressed: " + shown, 3, true);
        return false;
    }
    if (pack && type == FileTypeExe) return packFile(target);
    return true;
}

bool saveWorkpart(Scene& scene, GroupNode& workpart, std::string_view path) {
    const std::string target = resolvedTarget(path);
    TempFile temp(target);
    if (!temp.file()) {
        sceneReport("Cannot write to file, check permissions for " + std::string(path), 4, true);
        return false;
    }
    BinaryFlag flag(false);
    ++saves;
    partNumber = 0;
    bool ok = writeHeader(temp.file(), false) && workpart.TransformNode::writeToFile(temp.file()) &&
              put(temp.file(), "\n    children [") && writeGroupChildren(scene, workpart, temp.file()) &&
              put(temp.file(), "\n]}");
    ok = temp.close() && ok;
    if (!ok || !temp.moveTo(target)) {
        sceneReport("Cannot write to file, check permissions for " + std::string(path), 4, true);
        return false;
    }
    return true;
}

}  // namespace kinemo
