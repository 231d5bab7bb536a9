// The desktop program on a real guide under the offscreen platform: the chapter caption, the
// menus built at run time, the language switch, playback to the first stop and through every
// chapter, and the view commands of the menus.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QWheelEvent>

#include "animation/animation_group.h"
#include "animation/playback.h"
#include "animation/player_panel_model.h"
#include "core/definitions.h"
#include "core/messages.h"
#include "core/platform.h"
#include "render/renderer.h"
#include "scene/scene.h"
#include "scene/viewpoint.h"
#include "text/translator.h"
#include "ui/desktop_services.h"
#include "ui/main_frame.h"
#include "ui/player_panel.h"
#include "ui/qt_platform.h"
#include "ui/timing_window.h"
#include "ui/viewer_view.h"

using namespace kinemo;

namespace {

QStringList labelsOf(QMenu* menu) {
    QStringList labels;
    for (QAction* a : menu->actions()) labels << (a->isSeparator() ? QString("-") : a->text());
    return labels;
}

// A menu choice is carried out once the menu has closed, from the event loop.
void choose(QAction* action) {
    QVERIFY(action);
    action->trigger();
    QCoreApplication::processEvents();
}

QAction* entry(QMenu* menu, const QString& label) {
    for (QAction* a : menu->actions())
        if (a->text() == label) return a;
    return nullptr;
}

}  // namespace

class DesktopGuideTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(temp.isValid());
        qputenv("TMPDIR", temp.path().toUtf8());
        initSettingsFiles(temp.path().toStdString());
        guide = temp.path() + "/example.iv";
        QVERIFY(QFile::copy(QStringLiteral(KINEMO_EXAMPLE_GUIDE), guide));
    }

    void init() {
        resetMessageService();
        platform = std::make_unique<QtPlatform>();
        setPlatform(platform.get());
        Translator::setCurrentLanguage("English");
        services = std::make_unique<DesktopServices>();
        frame = std::make_unique<CMainFrame>(*platform, *services);
        QVERIFY(services->startRenderer(frame->viewerView()->frameSink(), [](const std::string&) {}));
        frame->viewerView()->attachRenderer(services->renderer());
        // As at start-up: the guide named on the command line is read at the view's first paint.
        frame->takeCommandLine(guide.toStdString(), "/usr/bin/kinemo");
        frame->initialise(readWindowSizeSettings());
        QTRY_VERIFY(currentScene() != nullptr);
        QTRY_VERIFY(animationState().currentChapter != nullptr);
        playbackState().speed = playbackState().maxSpeed;
    }

    void cleanup() {
        if (services && services->playback()) services->playback()->stopPlayback();
        frame.reset();
        if (services) {
            services->stopRenderer();
            services->releaseRenderer();
        }
        services.reset();
        // The chapters refer to the scene's nodes: they go first.
        resetRootChapter();
        destroyCurrentScene();
        setPlatform(nullptr);
        platform.reset();
        playbackState().speed = 1.0f;
    }

    void theGuideOpensOnItsFirstChapterWithTheRightTitle() {
        QCOMPARE(frame->windowTitle(), "Brevalonix Kinemo Standard - " + temp.path() + "/example: Disassembly");
        QCOMPARE(frame->playerPanel()->chapterLabel()->text(), QString("1(3): Disassembly"));
    }

    void theChapterMenuAndTheChapterListHoldEveryListedChapter() {
        QCOMPARE(labelsOf(frame->chapterMenu()), QStringList({"Disassembly", "Assembly", "Gear and screws"}));
        QCOMPARE(frame->chapterMenu()->actions()[1]->data().toInt(), 34001);
        QCOMPARE(frame->playerPanel()->chapterList()->count(), 3);
        choose(frame->chapterMenu()->actions()[1]);
        QTRY_COMPARE(frame->playerPanel()->chapterLabel()->text(), QString("2(3): Assembly"));
        QVERIFY(frame->windowTitle().endsWith(": Assembly"));
        QCOMPARE(frame->playerPanel()->chapterList()->currentRow(), 1);
    }

    void steeringChoosesChaptersAndStepsOfTheGuide() {
        frame->logic().handleSteering(1000, 2);
        QCOMPARE(frame->playerPanel()->chapterLabel()->text(), QString("2(3): Assembly"));
        QCOMPARE(animationState().currentChapter, chapterList()[1]);
        frame->logic().handleSteering(1000, 4);  // outside the list: nothing
        QCOMPARE(animationState().currentChapter, chapterList()[1]);
        frame->logic().handleSteering(1001, 2);
        QCOMPARE(QString::fromStdString(lastStatusText()), QString("Interface called SetAnimStep 2"));
        frame->logic().handleSteering(1001, 0);
        QCOMPARE(QString::fromStdString(lastStatusText()), QString("Interface called invalid SetAnimStep 0"));
    }

    void theLanguageMenuSwitchesCaptionMenusAndText() {
        const QStringList languages = labelsOf(frame->languageMenu());
        QCOMPARE(languages.size(), 6);
        QCOMPARE(languages[4], QString("-"));
        QVERIFY(entry(frame->languageMenu(), "English")->isChecked());
        // Play to the first stop so that a text stands in the panel.
        QTest::mouseClick(frame->playerPanel()->button(PlayerPanel::Button::PlayForward), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!services->playerModel()->pressedButton(), 30000);
        QTRY_VERIFY(!frame->playerPanel()->textPanel()->toPlainText().isEmpty());
        const QString english = frame->playerPanel()->textPanel()->toPlainText();
        choose(entry(frame->languageMenu(), "Deutsch"));
        QTRY_COMPARE(frame->playerPanel()->chapterLabel()->text(), QString("1(3): Demontage"));
        QVERIFY(frame->playerPanel()->textPanel()->toPlainText() != english);
        QVERIFY(!frame->playerPanel()->textPanel()->toPlainText().isEmpty());
        QCOMPARE(labelsOf(frame->chapterMenu()).front(), QString("Demontage"));
        QVERIFY(entry(frame->languageMenu(), "Deutsch")->isChecked());
        QVERIFY(!entry(frame->languageMenu(), "English")->isChecked());
        Translator::setCurrentLanguage("English");
    }

    void playForwardToNextStopHaltsAtTheFirstStop() {
        AnimationGroup* chapter = animationState().currentChapter;
        QVERIFY(chapter);
        const double start = animationState().currentTime;
        QTest::mouseClick(frame->playerPanel()->button(PlayerPanel::Button::PlayForward), Qt::LeftButton);
        QVERIFY(services->playerModel()->isPressed(PlayerButton::PlayForward));
        QTRY_VERIFY_WITH_TIMEOUT(!services->playerModel()->pressedButton(), 30000);
        QCOMPARE(animationState().currentChapter, chapter);
        QVERIFY(animationState().currentTime > start);
        QVERIFY(animationState().currentTime < chapter->getRunTime());
        QVERIFY(!frame->playerPanel()->button(PlayerPanel::Button::PlayForward)->isChecked());
    }

    void everyChapterPlaysForwardToItsEndAndBackToItsStart() {
        const std::vector<AnimationGroup*> chapters = chapterList();
        QCOMPARE(chapters.size(), std::size_t(3));
        for (std::size_t i = 0; i < chapters.size(); ++i) {
            choose(frame->chapterMenu()->actions()[int(i)]);
            QTRY_COMPARE(animationState().currentChapter, chapters[i]);
            QTest::mouseClick(frame->playerPanel()->button(PlayerPanel::Button::PlayToEnd), Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(!services->playerModel()->pressedButton(), 60000);
            // Past the end the next chapter stands ready; the last one stays at its end.
            if (i + 1 < chapters.size()) {
                QCOMPARE(animationState().currentChapter, chapters[i + 1]);
                QTRY_COMPARE(frame->playerPanel()->chapterLabel()->text().left(4), QString("%1(3)").arg(i + 2));
            }
            choose(frame->chapterMenu()->actions()[int(i)]);
            QTRY_COMPARE(animationState().currentChapter, chapters[i]);
            QTest::mouseClick(frame->playerPanel()->button(PlayerPanel::Button::JumpToEnd), Qt::LeftButton);
            QCOMPARE(animationState().currentTime, chapters[i]->getRunTime());
            // Backward from stop to stop until the chapter's start, where playing on backward
            // stays (the first chapter) or goes to the previous chapter.
            for (int stops = 0; stops < 20 && animationState().currentChapter == chapters[i]; ++stops) {
                const double before = animationState().currentTime;
                QTest::mouseClick(frame->playerPanel()->button(PlayerPanel::Button::PlayBackward), Qt::LeftButton);
                QTRY_VERIFY_WITH_TIMEOUT(!services->playerModel()->pressedButton(), 60000);
                if (animationState().currentChapter != chapters[i] || animationState().currentTime == before) break;
                QVERIFY(animationState().currentTime < before);
            }
            if (animationState().currentChapter == chapters[i])
                QVERIFY(animationState().currentTime <= chapters[i]->firstStopEnd() + 1e-3);
            else
                QCOMPARE(animationState().currentChapter, chapters[i - 1]);
        }
    }

    void theViewpointsMenuListsTheViewpointsAndActivatesThem() {
        // The guide defines three viewpoints besides the scene's own camera.
        QCOMPARE(labelsOf(frame->viewpointMenu()), QStringList({"Right", "Front", "Gear"}));
        QVERIFY(!entry(frame->viewpointMenu(), "Right")->isChecked());
        choose(entry(frame->viewpointMenu(), "Right"));
        QCOMPARE(currentViewpoint(), viewpointAt(0));
        frame->logic().rebuildViewpointMenu();
        QVERIFY(entry(frame->viewpointMenu(), "Right")->isChecked());
    }

    void theViewCommandsChangeTheView() {
        ViewNavigation* navigation = frame->viewerView()->navigation();
        QVERIFY(navigation && navigation->scene());
        Camera initial;
        QVERIFY(navigation->scene()->getCamera(initial));
        navigation->scene()->setCamera(
            Camera{{initial.position[0] + 500, initial.position[1], initial.position[2]}, initial.orientation});
        frame->findChild<QAction*>("actionFitToWorkpart")->trigger();
        Camera fitted;
        QVERIFY(navigation->scene()->getCamera(fitted));
        QVERIFY(fitted.position[0] != initial.position[0] + 500);
        frame->findChild<QAction*>("actionInitialView")->trigger();
        Camera back;
        QVERIFY(navigation->scene()->getCamera(back));
        QCOMPARE(back.position[0], initial.position[0]);
        frame->findChild<QAction*>("actionRotateMode")->trigger();
        QCOMPARE(navigation->mouseMode(), MouseMode::Rotate);
        frame->findChild<QAction*>("actionTranslateMode")->trigger();
        QCOMPARE(navigation->mouseMode(), MouseMode::Translate);
    }

    void theReaderRotatesPansAndZoomsWithTheMouseWhilePlaying() {
        ViewerView* view = frame->viewerView();
        NavigationScene* scene = view->navigation()->scene();
        QVERIFY(scene);
        QTest::mouseClick(frame->playerPanel()->button(PlayerPanel::Button::PlayToEnd), Qt::LeftButton);
        auto camera = [&] {
            Camera c;
            scene->getCamera(c);
            return c;
        };
        auto drag = [&](QPoint from, QPoint to) {
            QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from);
            QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(1, 1)), view->mapToGlobal(QPointF(from)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(view, &move);
            QMouseEvent move2(QEvent::MouseMove, QPointF(to), view->mapToGlobal(QPointF(to)), Qt::NoButton,
                              Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(view, &move2);
            QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, to);
        };
        const QPoint centre = view->rect().center();
        choose(frame->findChild<QAction*>("actionRotateMode"));
        const Camera beforeRotation = camera();
        drag(centre, centre + QPoint(40, 0));
        QTRY_VERIFY(camera().orientation != beforeRotation.orientation);
        choose(frame->findChild<QAction*>("actionTranslateMode"));
        const Camera beforePan = camera();
        drag(centre, centre + QPoint(0, 30));
        QTRY_VERIFY(camera().position != beforePan.position);
        const Camera beforeZoom = camera();
        QWheelEvent wheel(QPointF(centre), view->mapToGlobal(QPointF(centre)), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view, &wheel);
        QTRY_VERIFY(camera().position != beforeZoom.position);
        services->playback()->stopPlayback();
    }

    void closingWhilePlayingEndsWithoutAHang() {
        QTest::mouseClick(frame->playerPanel()->button(PlayerPanel::Button::PlayToEnd), Qt::LeftButton);
        frame->logic().closeMainWindow();
        QTRY_COMPARE_WITH_TIMEOUT(frame->logic().shutdownState(), ShutdownState::Closed, 5000);
        QVERIFY(!services->renderer());
    }

    void theRotationButtonsTurnTheView() {
        NavigationScene* scene = frame->viewerView()->navigation()->scene();
        for (const char* name : {"actionRotateVertical", "actionRotateHorizontal", "actionRotateView"}) {
            Camera before;
            QVERIFY(scene->getCamera(before));
            frame->findChild<QAction*>(name)->trigger();
            QTRY_VERIFY2(
                [&] {
                    Camera now;
                    scene->getCamera(now);
                    return now.orientation != before.orientation;
                }(),
                name);
        }
    }

    void theZoomSpeedIsUsedAndKeptInThePreferences() {
        platform->setScriptedText("2.5");
        frame->findChild<QAction*>("actionZoomSpeed")->trigger();
        platform->setScriptedText(std::nullopt);
        QCOMPARE(frame->viewerView()->navigation()->zoomSpeed(), 2.5f);
        QCOMPARE(preferencesFile().getFloat("ZoomSpeed", 0.0f), 2.5f);
        Definitions reread;
        reread.setPath(preferencesFile().path());
        QVERIFY(reread.readFile());
        QCOMPARE(reread.getFloat("ZoomSpeed", 0.0f), 2.5f);
        platform->setScriptedText("fast");
        frame->findChild<QAction*>("actionZoomSpeed")->trigger();
        platform->setScriptedText(std::nullopt);
        QCOMPARE(frame->viewerView()->zoomSpeed(), 2.5f);
    }

    void blackBackgroundClearsTheSkyColour() {
        currentScene()->skyColor[0] = 0.5f;
        frame->findChild<QAction*>("actionBlackBackground")->trigger();
        QCOMPARE(currentScene()->skyColor[0], 0.0f);
    }

    void theTimingWindowShowsOneRowPerStep() {
        frame->findChild<QAction*>("actionShowAnimationTiming")->trigger();
        QVERIFY(frame->timingWindow()->isVisible());
        QTRY_VERIFY(!frame->timingWindow()->shown().rows.empty());
        QCOMPARE(frame->timingWindow()->shown().rows.size(), timingStepsOf(*animationState().currentChapter).size());
        QCOMPARE(frame->timingWindow()->shown().formatLine,
                 std::string("Time format: start time/ellapsed time/duration"));
    }

    void theChapterListFloatsAndComesBack() {
        QAction* toggle = frame->findChild<QAction*>("actionFloatingChapterDlg");
        QCOMPARE(toggle->text(), QString("Floating ChapterDlg"));
        toggle->trigger();
        QVERIFY(!frame->playerPanel()->chapterListIntegrated());
        QVERIFY(frame->playerPanel()->chapterWindow()->isVisible());
        QCOMPARE(toggle->text(), QString("Show Chapters in Integrated Window"));
        toggle->trigger();
        QVERIFY(frame->playerPanel()->chapterListIntegrated());
        QCOMPARE(frame->playerPanel()->chapterList()->parentWidget(), static_cast<QWidget*>(frame->playerPanel()));
        QCOMPARE(toggle->text(), QString("Show Chapters in Separated Window"));
    }

    void saveBmpWritesTheViewAsABitmap() {
        const QString file = temp.path() + "/view.bmp";
        platform->setScriptedFileName(file.toStdString());
        frame->findChild<QAction*>("actionSaveBmp")->trigger();
        platform->setScriptedFileName(std::nullopt);
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.read(2), QByteArray("BM"));
        QVERIFY(written.size() > 54);
    }

    void theImageSequenceEntryTogglesItsLabel() {
        QAction* sequence = frame->findChild<QAction*>("actionImageSequence");
        QCOMPARE(sequence->text(), QString("Start Write Image Sequence"));
        sequence->trigger();
        QCOMPARE(sequence->text(), QString("Stop Write Video"));
        QTRY_VERIFY(services->renderer()->getRecording());
        sequence->trigger();
        QCOMPARE(sequence->text(), QString("Start Write Video"));
        QTRY_VERIFY(!services->renderer()->getRecording());
    }

private:
    QTemporaryDir temp;
    QString guide;
    std::unique_ptr<QtPlatform> platform;
    std::unique_ptr<DesktopServices> services;
    std::unique_ptr<CMainFrame> frame;
};

QTEST_MAIN(DesktopGuideTest)
#include "desktop_guide_test.moc"
