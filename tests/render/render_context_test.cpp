// Off-screen renders through the renderer's thread, checked by pixels with a small tolerance.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "core/run_command.h"
#include "render/latest_frame.h"
#include "render/movie_command.h"
#include "render/renderer.h"
#include "test_scene.h"

namespace kinemo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kTolerance = 3;

bool near(const std::array<int, 4>& got, const std::array<int, 4>& want) {
    for (int i = 0; i < 4; ++i)
        if (std::abs(got[i] - want[i]) > kTolerance) return false;
    return true;
}

std::string show(const std::array<int, 4>& p) {
    return "(" + std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) + "," +
           std::to_string(p[3]) + ")";
}

template <class Pred>
bool waitUntil(Pred pred, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class OffscreenRender : public ::testing::Test {
protected:
    void startWith(RendererSettings settings = {}) {
        renderer = Renderer::create(settings);
        renderer->setScene(&scene);
        ASSERT_TRUE(renderer->start());
        if (!renderer->waitUntilRunning(20s)) {
            GTEST_SKIP() << "no OpenGL here";
        }
    }
    void TearDown() override {
        if (renderer) {
            EXPECT_TRUE(renderer->stop());
        }
    }
    PixelImage capturePaused(int w, int h) {
        PixelImage image;
        RendererPause pause(*renderer);
        EXPECT_TRUE(renderer->isPaused());
        EXPECT_TRUE(renderer->capture(image, w, h));
        return image;
    }

    // Frames handed to the frame sink; outlives the renderer's thread.
    struct FrameLog {
        std::mutex mutex;
        std::vector<std::vector<std::uint8_t>> frames;
    };
    void collectFrames() {
        renderer->setFrameSink([log = frameLog](int w, int h, const std::uint8_t* rgba) {
            std::lock_guard<std::mutex> lock(log->mutex);
            log->frames.emplace_back(rgba, rgba + std::size_t(w) * std::size_t(h) * 4);
        });
    }

    test::TestScene scene;
    std::shared_ptr<FrameLog> frameLog = std::make_shared<FrameLog>();
    std::shared_ptr<Renderer> renderer;
};

TEST_F(OffscreenRender, ClearsToTheBackgroundWithAlphaZero) {
    startWith();
    renderer->setBackground({0.2f, 0.4f, 0.6f});
    const PixelImage image = capturePaused(64, 48);
    ASSERT_EQ(image.rows, 48);
    ASSERT_EQ(image.cols, 64);
    for (auto [r, c] : {std::pair{0, 0}, std::pair{47, 63}, std::pair{24, 32}})
        EXPECT_TRUE(near(image.rgba(r, c), {51, 102, 153, 0})) << show(image.rgba(r, c));
}

TEST_F(OffscreenRender, ShowsTheHeadlitFrontOfACubeInItsFullColourAndSize) {
    scene.addCube({1.0f, 0.0f, 0.0f, 1.0f});
    startWith();
    const PixelImage image = capturePaused(100, 100);
    EXPECT_TRUE(near(image.rgba(50, 50), {255, 0, 0, 255})) << show(image.rgba(50, 50));
    // The front face at distance 4 covers 1 / (4 tan 22.5 degrees) = 0.604 of the half height.
    EXPECT_TRUE(near(image.rgba(50, 50 + 27), {255, 0, 0, 255})) << show(image.rgba(50, 77));
    EXPECT_TRUE(near(image.rgba(50 - 27, 50), {255, 0, 0, 255}));
    EXPECT_TRUE(near(image.rgba(50, 50 + 33), {0, 0, 0, 0})) << show(image.rgba(50, 83));
    EXPECT_TRUE(near(image.rgba(50 + 33, 50), {0, 0, 0, 0}));
}

TEST_F(OffscreenRender, ShadesAFaceTurnedFromTheHeadlightDarker) {
    scene.addCube({0.0f, 1.0f, 0.0f, 1.0f});
    scene.cameraValue.position = {5.0f * std::sin(0.5f), 0.0f, 5.0f * std::cos(0.5f)};
    scene.cameraValue.orientation = {0.0f, 1.0f, 0.0f, 0.5f};
    startWith();
    const PixelImage image = capturePaused(100, 100);
    // The centre ray meets the front face at 0.5 rad: diffuse cos(0.5) = 0.878.
    const std::array<int, 4> centre = image.rgba(50, 50);
    EXPECT_NEAR(centre[1], 0.8776 * 255, 4) << show(centre);
    EXPECT_EQ(centre[3], 255);
}

TEST_F(OffscreenRender, CaptureRestoresTheViewSize) {
    startWith();
    renderer->setViewSize(120, 90);
    const PixelImage image = capturePaused(301, 40);
    EXPECT_EQ(image.cols, 301);
    EXPECT_EQ(renderer->viewSize(), (std::array<int, 2>{120, 90}));
}

TEST_F(OffscreenRender, ZeroSizedCaptureUsesTheViewSize) {
    startWith();
    renderer->setViewSize(33, 0);
    const PixelImage image = capturePaused(0, 0);
    EXPECT_EQ(image.cols, 33);
    EXPECT_EQ(image.rows, 1);
}

TEST_F(OffscreenRender, WritesA301WideBitmapAs304WideBottomRowFirst) {
    // A red band over the lower part of the view, the upper part left to the background.
    test::Quad band{{Vec3{-5, -5, 0}, Vec3{5, -5, 0}, Vec3{5, -0.5f, 0}, Vec3{-5, -0.5f, 0}}, {1, 0, 0, 1}, false};
    scene.addQuad(band);
    startWith();
    renderer->setBackground({0.0f, 0.0f, 1.0f});
    const std::string path =
        (fs::temp_directory_path() / ("kinemo_bitmap_" + std::to_string(getpid()) + ".bmp")).string();
    PixelImage pixels;
    bool saved = false;
    {
        RendererPause pause(*renderer);
        ASSERT_TRUE(renderer->runOnRenderThread([&] {
            BitmapRenderContext context(*renderer, 301, 40);
            ASSERT_TRUE(context.valid());
            EXPECT_EQ(context.paddedWidth(), 304);
            context.render();
            context.readPixels(pixels);
            saved = context.saveBitmap(path);
        }));
    }
    ASSERT_TRUE(saved);
    EXPECT_EQ(pixels.cols, 301);
    EXPECT_TRUE(near(pixels.rgba(0, 150), {255, 0, 0, 255})) << "readPixels rows run bottom to top";
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(b.size(), 54u + 304u * 40u * 4u);
    EXPECT_EQ(b[18] | b[19] << 8, 304);
    EXPECT_EQ(b[22] | b[23] << 8, 40);
    auto pixel = [&](int row, int col) {
        const std::size_t at = 54 + (std::size_t(row) * 304 + std::size_t(col)) * 4;
        return std::array<int, 4>{b[at + 2], b[at + 1], b[at], b[at + 3]};
    };
    EXPECT_TRUE(near(pixel(0, 150), {255, 0, 0, 255})) << "the first row is the bottom: " << show(pixel(0, 150));
    EXPECT_TRUE(near(pixel(39, 150), {0, 0, 255, 0})) << show(pixel(39, 150));
    fs::remove(path);
}

TEST_F(OffscreenRender, APickRayThroughACubePixelHitsTheCube) {
    scene.addCube({1.0f, 1.0f, 0.0f, 1.0f});
    scene.cameraValue.position = {1.5f, 2.0f, 6.0f};
    scene.cameraValue.orientation = {-0.6f, 0.8f, 0.0f, 0.35f};
    startWith();
    renderer->setViewSize(160, 120);
    renderer->requestRedraw();
    ASSERT_TRUE(waitUntil([&] { return renderer->framesDrawn() >= 1; }));
    const PixelImage image = capturePaused(0, 0);
    ASSERT_EQ(image.cols, 160);
    int hits = 0, misses = 0;
    for (int y = 5; y < 120; y += 10) {
        for (int x = 5; x < 160; x += 10) {
            const Ray ray = renderer->pickRayWorld(x + 0.5f, y + 0.5f);
            // Slab test against the cube from (-1,-1,-1) to (1,1,1).
            float t0 = 0.0f, t1 = 1e30f;
            for (int i = 0; i < 3; ++i) {
                const float inv = 1.0f / ray.direction[i];
                float a = (-1.0f - ray.origin[i]) * inv, b = (1.0f - ray.origin[i]) * inv;
                if (a > b) std::swap(a, b);
                t0 = std::max(t0, a);
                t1 = std::min(t1, b);
            }
            const bool hit = t0 <= t1;
            const std::array<int, 4> p = image.rgba(119 - y, x);
            const bool covered = p[3] == 255;
            // A pixel on the silhouette may go either way.
            if (hit && std::fabs(t1 - t0) < 0.05f) continue;
            EXPECT_EQ(hit, covered) << "pixel " << x << "," << y << " " << show(p);
            (hit ? hits : misses)++;
        }
    }
    EXPECT_GT(hits, 10);
    EXPECT_GT(misses, 10);
}

TEST_F(OffscreenRender, SmoothingPassesGiveIntermediateValuesAtEdges) {
    // A white square turned about the view axis, so its edges cross pixels at an angle.
    const float c = std::cos(0.3f), s = std::sin(0.3f);
    auto at = [&](float x, float y) { return Vec3{x * c - y * s, x * s + y * c, 0.0f}; };
    scene.addQuad({{at(-1, -1), at(1, -1), at(1, 1), at(-1, 1)}, {1, 1, 1, 1}, false});
    RendererSettings settings;
    settings.useAntialiasing = true;
    renderer = Renderer::create(settings);
    renderer->setViewSize(64, 64);
    collectFrames();
    renderer->setScene(&scene);
    ASSERT_TRUE(renderer->start());
    if (!renderer->waitUntilRunning(20s)) GTEST_SKIP() << "no OpenGL here";
    ASSERT_TRUE(waitUntil([&] { return renderer->smoothingPass() == 4 && renderer->framesShown() >= 2; }));
    std::this_thread::sleep_for(100ms);
    // One normal frame and four passes are drawn; only the normal frame and the last pass are shown.
    EXPECT_EQ(renderer->framesDrawn(), 5u);
    EXPECT_EQ(renderer->framesShown(), 2u);
    std::lock_guard<std::mutex> lock(frameLog->mutex);
    const auto& frames = frameLog->frames;
    ASSERT_EQ(frames.size(), 2u);
    auto intermediate = [](const std::vector<std::uint8_t>& f) {
        int n = 0;
        for (std::size_t i = 0; i < f.size(); i += 4)
            if (f[i] > 20 && f[i] < 235) ++n;
        return n;
    };
    EXPECT_EQ(intermediate(frames[0]), 0);
    EXPECT_GT(intermediate(frames[1]), 20);
    // The inside stays white and the outside black.
    EXPECT_EQ(frames[1][(32 * 64 + 32) * 4], 255);
    EXPECT_EQ(frames[1][0], 0);
}

TEST_F(OffscreenRender, HandsShownFramesTopRowFirst) {
    test::Quad band{{Vec3{-5, 0.5f, 0}, Vec3{5, 0.5f, 0}, Vec3{5, 5, 0}, Vec3{-5, 5, 0}}, {0, 1, 0, 1}, false};
    scene.addQuad(band);
    renderer = Renderer::create();
    renderer->setViewSize(40, 30);
    collectFrames();
    renderer->setScene(&scene);
    ASSERT_TRUE(renderer->start());
    if (!renderer->waitUntilRunning(20s)) GTEST_SKIP() << "no OpenGL here";
    ASSERT_TRUE(waitUntil([&] { return renderer->framesShown() >= 1; }));
    std::lock_guard<std::mutex> lock(frameLog->mutex);
    ASSERT_FALSE(frameLog->frames.empty());
    const std::vector<std::uint8_t>& last = frameLog->frames.back();
    ASSERT_EQ(last.size(), 40u * 30u * 4u);
    EXPECT_EQ(last[(0 * 40 + 20) * 4 + 1], 255) << "the first row is the top";
    EXPECT_EQ(last[(29 * 40 + 20) * 4 + 1], 0);
}

TEST_F(OffscreenRender, TheViewTakesOnlyFramesNewerThanItsOwn) {
    auto latest = std::make_shared<LatestFrame>();
    std::atomic<int> notified{0};
    latest->setNotifier([&notified] { notified.fetch_add(1); });
    renderer = Renderer::create();
    renderer->setViewSize(24, 16);
    renderer->setFrameSink(frameSinkInto(latest));
    renderer->setScene(&scene);
    ASSERT_TRUE(renderer->start());
    if (!renderer->waitUntilRunning(20s)) {
        GTEST_SKIP() << "no OpenGL here";
    }
    ASSERT_TRUE(waitUntil([&] { return notified.load() >= 1; }));
    Frame shown;
    ASSERT_TRUE(latest->takeIfNewer(shown));
    EXPECT_EQ(shown.width, 24);
    EXPECT_EQ(shown.rgba.size(), 24u * 16u * 4u);
    EXPECT_FALSE(latest->takeIfNewer(shown)) << "nothing new yet";
    renderer->requestRedraw();
    ASSERT_TRUE(waitUntil([&] { return notified.load() >= 2; }));
    EXPECT_TRUE(latest->takeIfNewer(shown));
    EXPECT_EQ(shown.number, 2u);
    ASSERT_TRUE(renderer->stop());
    latest->setNotifier(nullptr);
}

// A green square over the lower left corner of the frame, in window pixels.
class CornerOverlay : public OverlayItem {
public:
    void drawOverlay(int width, int height) override {
        glColor4f(0, 1, 0, 1);
        glBegin(GL_QUADS);
        glVertex2f(0, 0);
        glVertex2f(10, 0);
        glVertex2f(10, 10);
        glVertex2f(0, 10);
        glEnd();
        drawn.fetch_add(1);
    }
    std::atomic<int> drawn{0};
};

TEST_F(OffscreenRender, DrawsQueuedOverlaysOverOneFrameOnly) {
    CornerOverlay overlay;
    renderer = Renderer::create();
    renderer->setViewSize(40, 30);
    collectFrames();
    renderer->setScene(&scene);
    ASSERT_TRUE(renderer->start());
    if (!renderer->waitUntilRunning(20s)) {
        GTEST_SKIP() << "no OpenGL here";
    }
    ASSERT_TRUE(waitUntil([&] { return renderer->framesShown() >= 1; }));
    renderer->pushOverlay(&overlay);
    renderer->requestRedraw();
    ASSERT_TRUE(waitUntil([&] { return renderer->framesShown() >= 2; }));
    renderer->requestRedraw();
    ASSERT_TRUE(waitUntil([&] { return renderer->framesShown() >= 3; }));
    ASSERT_TRUE(renderer->stop());
    EXPECT_EQ(overlay.drawn.load(), 1);
    std::lock_guard<std::mutex> lock(frameLog->mutex);
    ASSERT_EQ(frameLog->frames.size(), 3u);
    auto green = [](const std::vector<std::uint8_t>& f, int row, int col) { return f[(row * 40 + col) * 4 + 1]; };
    EXPECT_EQ(green(frameLog->frames[1], 29 - 2, 2), 255) << "bottom left, the rows top first";
    EXPECT_EQ(green(frameLog->frames[1], 29 - 15, 20), 0);
    EXPECT_EQ(green(frameLog->frames[2], 29 - 2, 2), 0) << "forgotten after its frame";
}

TEST_F(OffscreenRender, RefusedStereoSwitchesBothModesOff) {
    RendererSettings settings;
    settings.useStereo = true;
    startWith(settings);
    EXPECT_FALSE(renderer->shapeStereo());
    EXPECT_FALSE(renderer->sceneStereo());
}

bool haveProgram(const char* name) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const fs::path candidate = fs::path(std::string(rest.substr(0, colon))) / name;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return false;
}

TEST_F(OffscreenRender, RecordsThreeFramesAndConvertsThemIntoAVideo) {
    if (!haveProgram("ffmpeg") || !haveProgram("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
    const fs::path dir = fs::temp_directory_path() / ("kinemo rec " + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string base = (dir / "imageSequence").string();
    const std::string bystander = sequenceFileName(base, 7);
    std::ofstream(bystander) << "not ours";
    scene.addCube({0.0f, 0.0f, 1.0f, 1.0f});
    RendererSettings settings;
    settings.movieConverterCommand =
        "ffmpeg -y -loglevel error -framerate 25 -start_number 2 -i IMAGEPATTERN -pix_fmt yuv420p VIDEOFILE.mp4";
    renderer = Renderer::create(settings);
    renderer->setViewSize(64, 48);
    renderer->setScene(&scene);
    ASSERT_TRUE(renderer->start());
    if (!renderer->waitUntilRunning(20s)) GTEST_SKIP() << "no OpenGL here";
    ASSERT_TRUE(waitUntil([&] { return renderer->framesDrawn() >= 1 && renderer->queuedEvents() == 0; }));
    renderer->pushEvent(std::make_shared<V_EventImageSequence>(*renderer, true, base));
    ASSERT_TRUE(waitUntil([&] { return renderer->recordedFrames() == 1; }));
    for (int frame = 2; frame <= 3; ++frame) {
        renderer->requestRedraw();
        ASSERT_TRUE(waitUntil([&] { return renderer->recordedFrames() == frame; }));
    }
    for (int frame = 1; frame <= 3; ++frame) EXPECT_TRUE(fs::exists(sequenceFileName(base, frame)));
    auto off = std::make_shared<V_EventImageSequence>(*renderer, false, "");
    renderer->pushEvent(off);
    ASSERT_TRUE(waitUntil([&] { return off->isDone(); }, 60s));
    EXPECT_EQ(renderer->recordedFrames(), 3);
    EXPECT_EQ(runCommand(std::vector<std::string>{"ffprobe", "-v", "error", base + ".mp4"}, "probe", ""), 0);
    for (int frame = 1; frame <= 3; ++frame) EXPECT_FALSE(fs::exists(sequenceFileName(base, frame)));
    EXPECT_TRUE(fs::exists(bystander));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace kinemo

namespace kinemo {
namespace {

TEST(RendererFailure, AGraphicsDriverThatCannotStartEndsTheProgramWithANonZeroStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // No driver can be loaded: the display cannot be opened.
            setenv("LIBGL_DRIVERS_PATH", "/nonexistent-kinemo-drivers", 1);
            setenv("GALLIUM_DRIVER", "nonexistent", 1);
            test::TestScene scene;
            auto renderer = Renderer::create();
            renderer->setFatalHandler([](const std::string& text) {
                // The desktop program shows text on its own thread and exits like this.
                std::_Exit(text.find("Grafiktreiber") != std::string::npos ? 3 : 4);
            });
            renderer->setScene(&scene);
            renderer->start();
            const bool running = renderer->waitUntilRunning(20s);
            std::this_thread::sleep_for(200ms);
            std::_Exit(running ? 0 : 5);
        },
        ::testing::ExitedWithCode(3), "");
}

}  // namespace
}  // namespace kinemo
