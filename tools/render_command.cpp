// "kinemo-tool render FILE OUT [--size WxH] [--viewpoint N] [playback options]": reads a scene,
// plays its guide to the place asked for (as "state" does) and draws it once, with no display,
// through the same renderer and tree drawing as the desktop program's view.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/numbers.h"
#include "geometry/shape_node.h"
#include "playback_position.h"
#include "render/image_files.h"
#include "render/renderer.h"
#include "render/tree_drawer.h"
#include "scene/scene.h"
#include "scene/viewpoint.h"
#include "tool_commands.h"

namespace kinemo::tool {
namespace {

// Larger images than this are refused rather than allocated.
constexpr int kMaxSide = 16384;

int usage() {
    std::fprintf(stderr,
                 "usage: kinemo-tool render FILE OUT [--size WxH] [--viewpoint N] [--chapter N]\n"
                 "                          [--stop K | --time T | --end] [--language NAME]\n"
                 "  OUT ends in .png or .bmp; the size defaults to 800x600; N counts the scene's\n"
                 "  listed viewpoints from 0 (default: the camera of the guide at the place shown)\n%s",
                 kPlaybackUsage);
    return 2;
}

bool parseSize(std::string_view text, int& w, int& h) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return false;
    return parseCount(text.substr(0, x), w) && parseCount(text.substr(x + 1), h) && w >= 1 && h >= 1 && w <= kMaxSide &&
           h <= kMaxSide;
}

std::string lowerExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

void installShapes() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    registerShapeReaders();
}

}  // namespace

int renderCommand(const std::vector<std::string_view>& args) {
    if (args.size() < 2) return usage();
    const std::string in(args[0]), out(args[1]);
    int width = 800, height = 600, viewpointNumber = -1;
    PlaybackPosition position;
    std::string optionError;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (takePlaybackOption(args, i, position, optionError)) {
            if (!optionError.empty()) {
                std::fprintf(stderr, "kinemo-tool render: %s\n", optionError.c_str());
                return 2;
            }
            --i;
        } else if (args[i] == "--size" && i + 1 < args.size()) {
            if (!parseSize(args[++i], width, height)) {
                std::fprintf(stderr, "kinemo-tool render: --size wants WxH, each 1 to %d\n", kMaxSide);
                return 2;
            }
        } else if (args[i] == "--viewpoint" && i + 1 < args.size()) {
            if (!parseCount(args[++i], viewpointNumber)) {
                std::fprintf(stderr, "kinemo-tool render: --viewpoint wants a number from 0\n");
                return 2;
            }
        } else {
            return usage();
        }
    }
    const std::string ext = lowerExtension(out);
    if (ext != "png" && ext != "bmp") {
        std::fprintf(stderr, "kinemo-tool render: %s should end in .png or .bmp\n", out.c_str());
        return 2;
    }

    installSceneFileSupport();
    installShapes();
    Scene* scene = Scene::readFromFile(in);
    if (!scene) {
        std::fprintf(stderr, "kinemo-tool render: %s could not be read\n", in.c_str());
        return 1;
    }
    // The scene goes before the statics it refers to; never while a render thread may still read it.
    bool threadLeftRunning = false;
    struct SceneEnd {
        bool& keep;
        ~SceneEnd() {
            if (!keep) destroyCurrentScene();
        }
    } sceneEnd{threadLeftRunning};
    // Reading rewound the first listed chapter; the options may name another place.
    if (position.given && !applyPlaybackPosition(position, optionError)) {
        std::fprintf(stderr, "kinemo-tool render: %s\n", optionError.c_str());
        return 1;
    }
    ViewPoint* viewpoint = nullptr;
    if (viewpointNumber >= 0) {
        viewpoint = viewpointAt(viewpointNumber);
        if (!viewpoint || viewpointNumber >= viewpointCount()) {
            std::fprintf(stderr, "kinemo-tool render: the scene has %d listed viewpoints, no number %d\n",
                         viewpointCount(), viewpointNumber);
            return 1;
        }
    } else {
        // The camera the guide's viewpoint steps left, as the player's view shows it.
        viewpoint = currentViewpoint();
        if (!viewpoint) viewpoint = dynamic_cast<ViewPoint*>(scene->currentViewpoint);
    }
    if (!viewpoint) {
        // A scene without a camera is still shown: from the front, fitted to its bounds.
        auto made = std::make_unique<ViewPoint>();
        viewpoint = made.get();
        scene->root().addChild(std::move(made));
        scene->root().updateBounds();
        fitToBoundingBox(*viewpoint, scene->root());
    }

    auto drawer = std::make_unique<TreeDrawer>(*scene);
    drawer->setViewpoint(viewpoint);
    std::shared_ptr<Renderer> renderer = Renderer::create();
    std::string fatal;
    renderer->setFatalHandler([&fatal](const std::string& message) { fatal = message; });
    renderer->setBackground({scene->skyColor[0], scene->skyColor[1], scene->skyColor[2]});
    renderer->setScene(drawer.get());
    // A render thread that does not end in time may still read the drawer: it is then left alive.
    auto stop = [&] {
        if (!renderer->stop()) {
            (void)drawer.release();
            threadLeftRunning = true;
        }
    };
    if (!renderer->start() || !renderer->waitUntilRunning(std::chrono::seconds(30))) {
        stop();
        std::fprintf(stderr, "kinemo-tool render: no OpenGL drawing is possible here%s%s\n", fatal.empty() ? "" : ": ",
                     fatal.c_str());
        return 1;
    }
    renderer->setViewSize(width, height);
    PixelImage image;
    bool captured;
    {
        RendererPause pause(*renderer);
        captured = renderer->capture(image, width, height);
    }
    stop();
    if (!captured || image.cols != width || image.rows != height) {
        std::fprintf(stderr, "kinemo-tool render: the scene could not be drawn\n");
        return 1;
    }
    const bool written = ext == "png" ? writePngFile(out, width, height, image.bytes())
                                      : writeBitmapFile(out, width, height, image.bytes(), width);
    if (!written) {
        std::fprintf(stderr, "kinemo-tool render: %s could not be written\n", out.c_str());
        return 1;
    }
    return 0;
}

}  // namespace kinemo::tool
