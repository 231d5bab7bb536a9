#include "ui/desktop_services.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

#include "animation/animation_group.h"
#include "animation/animation_section.h"
#include "animation/playback.h"
#include "animation/player_panel_model.h"
#include "animation/text_step.h"
#include "core/messages.h"
#include "render/renderer.h"
#include "scene/scene.h"
#include "scene/scene_reader.h"
#include "scene/scene_writer.h"
#include "text/translator.h"
#ifdef KINEMO_HAVE_TREE_DRAWER
#include "geometry/shape_node.h"
#include "render/tree_drawer.h"
#endif
#include "scene/viewpoint.h"

namespace kinemo {

DesktopServices::DesktopServices() {
    installSceneReader();
    registerAnimationSectionHandlers();
#ifdef KINEMO_HAVE_TREE_DRAWER
    registerShapeReaders();
#endif
    makePlayer();
    languageHandler_ = Translator::addLanguageChangedHandler([this](const std::string&) {
        if (playerModel_) {
            const TextAnimationObject* shown = shownTextStep(-1);
            playerModel_->showText(shown ? shown->displayText() : std::string());
        }
        if (onLanguageChanged) onLanguageChanged();
    });
}

DesktopServices::~DesktopServices() {
    Translator::removeLanguageChangedHandler(languageHandler_);
    if (renderer_) {
        renderer_->setFrameSink({});
        stopRenderer();
        // A thread that did not end keeps drawing what it has: leave the drawer to it.
        if (renderer_->isRunning()) {
            abandoned_ = true;
            (void)drawer_.release();
            dropPlayer(true);
        } else {
            renderer_->setScene(nullptr);
        }
    }
    dropPlayer(false);
}

void DesktopServices::makePlayer() {
    dropPlayer(false);
    postTarget_ = std::make_unique<QObject>();
    QObject* target = postTarget_.get();
    chapters_ = makeChapterPlayback();
    playback_ = std::make_unique<Playback>(renderer_.get(), *chapters_);
    playerModel_ = std::make_unique<PlayerPanelModel>(*playback_, [target](std::function<void()> job) {
        QMetaObject::invokeMethod(target, std::move(job), Qt::QueuedConnection);
    });
    playerModel_->attachToAnimationState();
    // The text panel follows the text steps: the render thread shows them, the panel takes them on
    // the interface thread. A render thread left running keeps the model and the target alive.
    PlayerPanelModel* model = playerModel_.get();
    setTextShower([model, target](const TextAnimationObject*, std::int32_t area, const std::string& text) {
        if (area != -1) return;
        QMetaObject::invokeMethod(
            target, [model, text] { model->showText(text); }, Qt::QueuedConnection);
    });
    if (onPlayerMade) onPlayerMade();
}

void DesktopServices::dropPlayer(bool leak) {
    if (leak) {
        (void)postTarget_.release();
        (void)playerModel_.release();
        (void)playback_.release();
        (void)chapters_.release();
        return;
    }
    if (playerModel_) setTextShower({});
    playerModel_.reset();
    playback_.reset();
    chapters_.reset();
    postTarget_.reset();
}

bool DesktopServices::startRenderer(std::function<void(int, int, const std::uint8_t*)> frameSink,
                                    std::function<void(const std::string&)> fatal) {
    renderer_ = Renderer::create();
    Renderer::setCurrent(renderer_);
    renderer_->setFrameSink(std::move(frameSink));
    renderer_->setFatalHandler(std::move(fatal));
    // While the interface thread waits for the render thread, its queued calls still run.
    renderer_->setMessagePump([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    makePlayer();
    return renderer_->start();
}

bool DesktopServices::hasScene() { return currentScene() != nullptr; }

void DesktopServices::prepareForRead() {
    if (playback_) playback_->stopPlayback();
    if (playerModel_) playerModel_->playbackStopped();
    if (onSceneChanged) onSceneChanged(nullptr);
    if (renderer_) {
        renderer_->abortEvents();
        renderer_->setScene(nullptr);  // pauses for the swap
        drawer_.reset();
    }
    // The reader adds the new guide's chapters to the chapter tree: the old ones, whose steps
    // point into the old scene, go before it does.
    clearShownTexts();
    resetRootChapter();
}

bool DesktopServices::readDocument(const std::string& path) {
    Scene* scene = Scene::readFromFile(path);
    if (!scene) return false;
#ifdef KINEMO_HAVE_TREE_DRAWER
    if (!dynamic_cast<ViewPoint*>(scene->currentViewpoint) && !currentViewpoint()) {
        // A scene without a camera is still shown: from the front, fitted to its bounds.
        auto made = std::make_unique<ViewPoint>();
        ViewPoint* viewpoint = made.get();
        scene->root().addChild(std::move(made));
        scene->root().updateBounds();
        fitToBoundingBox(*viewpoint, scene->root());
        scene->currentViewpoint = viewpoint;
    }
    if (renderer_) {
        renderer_->setBackground({scene->skyColor[0], scene->skyColor[1], scene->skyColor[2]});
        drawer_ = std::make_unique<TreeDrawer>(*scene);
        renderer_->setScene(drawer_.get());
        renderer_->requestRedraw();
    }
#endif
    if (onSceneChanged) onSceneChanged(&scene->root());
    return true;
}

void DesktopServices::documentLoaded() {
    // A reader opens a guide to play it: the first listed chapter stands ready at its first stop.
    if (!animationState().currentChapter && !chapterList().empty()) changeScene([] { switchChapter(true); });
    if (!playerModel_) return;
    // The new document's chapters report to the panel again.
    playerModel_->attachToAnimationState();
}

void DesktopServices::changeScene(const std::function<void()>& change) {
    if (playback_) playback_->stopPlayback();
    if (playerModel_) playerModel_->playbackStopped();
    {
        std::optional<RendererPause> pause;
        if (renderer_ && renderer_->isRunning()) pause.emplace(*renderer_);
        change();
    }
    if (renderer_) renderer_->requestRedraw();
}

int DesktopServices::chapterCount() { return int(chapterList().size()); }

bool DesktopServices::selectChapter(int position) {
    const std::vector<AnimationGroup*>& list = chapterList();
    if (position < 1 || position > int(list.size())) return false;
    AnimationGroup* chapter = list[std::size_t(position - 1)];
    changeScene([chapter] { chapter->processMenuSelect(); });
    return true;
}

bool DesktopServices::hasCurrentChapter() { return animationState().currentChapter != nullptr; }

bool DesktopServices::runToStep(int position) {
    AnimationGroup* chapter = animationState().currentChapter;
    if (!chapter || position < 1 || std::size_t(position) > chapter->childCount()) return false;
    AnimationAtom* step = chapter->child(std::size_t(position - 1));
    changeScene([chapter, step] { chapter->runToAtom(step, 255); });
    return true;
}

std::optional<std::string> DesktopServices::currentChapterTitle() {
    AnimationGroup* chapter = animationState().currentChapter;
    if (!chapter) return std::nullopt;
    return chapter->getName();
}

int DesktopServices::currentChapterPosition() {
    AnimationGroup* chapter = animationState().currentChapter;
    const std::vector<AnimationGroup*>& list = chapterList();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == chapter) return int(i) + 1;
    return 0;
}

std::vector<MenuItem> DesktopServices::chapterMenuItems() {
    std::vector<MenuItem> items;
    AnimationGroup* current = animationState().currentChapter;
    for (const ChapterMenuEntry& entry : chapterMenu()) items.push_back({entry.title, false, entry.chapter == current});
    return items;
}

void DesktopServices::chooseChapterMenuItem(int index) {
    const std::vector<ChapterMenuEntry> menu = chapterMenu();
    if (index < 0 || index >= int(menu.size())) return;
    AnimationGroup* chapter = menu[std::size_t(index)].chapter;
    changeScene([chapter] { chapter->processMenuSelect(); });
}

std::vector<MenuItem> DesktopServices::languageMenuItems() {
    const LanguageMenu menu = Translator::buildLanguageMenu();
    std::vector<MenuItem> items;
    for (const LanguageMenuEntry& entry : menu.languages) items.push_back({entry.name, false, entry.checked});
    items.push_back({std::string(), true, false});
    items.push_back({menu.moveToTopText, false, false});
    return items;
}

void DesktopServices::chooseLanguageMenuItem(int index) {
    Translator::runLanguageMenuCommand(Translator::kFirstMenuCommandId + index);
}

std::vector<MenuItem> DesktopServices::viewpointMenuItems() {
    std::vector<MenuItem> items;
    const ViewPoint* current = currentViewpoint();
    for (int i = 0; i < viewpointCount(); ++i)
        if (const ViewPoint* v = viewpointAt(i)) items.push_back({viewpointLabel(*v), false, v == current});
    return items;
}

void DesktopServices::chooseViewpointMenuItem(int index) {
    ViewPoint* viewpoint = viewpointAt(index);
    if (!viewpoint) return;
    changeScene([viewpoint] { viewpoint->processMenuSelect(); });
}

bool DesktopServices::writeDocument(const std::string& path, bool pack) {
    Scene* scene = currentScene();
    if (!scene) return false;
    std::unique_ptr<RendererPause> pause;
    if (renderer_ && renderer_->isRunning()) pause = std::make_unique<RendererPause>(*renderer_);
    return writeToFile(*scene, path, pack);
}

void DesktopServices::showChapterCaption(const std::string& title, int position) {
    if (playerModel_) playerModel_->showChapter(title.empty() ? 0 : position, chapterCount(), title);
    if (onChapterCaption) onChapterCaption(title, position);
}

void DesktopServices::playForward(bool fast) {
    if (playerModel_) playerModel_->press(fast ? PlayerButton::PlayToEnd : PlayerButton::PlayForward);
}

void DesktopServices::playBackward() {
    if (playerModel_) playerModel_->press(PlayerButton::PlayBackward);
}

void DesktopServices::stopAnimation() {
    if (renderer_) renderer_->abortEvents();
    // An aborted clock does not report its end: the panel shows the stop here.
    if (playerModel_) playerModel_->playbackStopped();
}

bool DesktopServices::hasRenderer() { return renderer_ != nullptr; }

void DesktopServices::stopRenderer() {
    // The wait happens once; a thread that did not end then is not waited for again.
    if (!renderer_ || stopAsked_) return;
    stopAsked_ = true;
    renderer_->stop();
}

bool DesktopServices::rendererRunning() { return renderer_ && renderer_->isRunning(); }

void DesktopServices::releaseRenderer() {
    if (!renderer_) return;
    renderer_->setFrameSink({});
    // The render thread holds its own reference while it runs, and a drawer it may still read is
    // left to it.
    if (renderer_->isRunning()) {
        abandoned_ = true;
        (void)drawer_.release();
        dropPlayer(true);
    } else {
        renderer_->setScene(nullptr);
        dropPlayer(false);
    }
    Renderer::setCurrent(nullptr);
    renderer_.reset();
    if (onPlayerMade) onPlayerMade();
}

void DesktopServices::endMainLoop() {
    if (onEndMainLoop) onEndMainLoop();
}

}  // namespace kinemo
