// The widgets under the offscreen platform: composition of the main window, queued calls from
// other threads, steering records arriving through the event loop, and frames reaching the view.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <thread>

#include "animation/playback.h"
#include "animation/player_panel_model.h"
#include "core/definitions.h"
#include "core/messages.h"
#include "core/platform.h"
#include "core/steering.h"
#include "render/navigation.h"
#include "render/renderer.h"
#include "ui/desktop_services.h"
#include "ui/kinemo_app.h"
#include "ui/main_frame.h"
#include "ui/player_panel.h"
#include "ui/qt_platform.h"
#include "ui/viewer_view.h"

using namespace kinemo;

namespace {

// A scene of one camera and nothing to hit.
class CameraOnly : public NavigationScene {
public:
    Camera camera;
    bool getCamera(Camera& out) override {
        out = camera;
        return true;
    }
    void setCamera(const Camera& c) override { camera = c; }
    std::optional<RayHit> hitTest(const Ray&) override { return std::nullopt; }
    BasicObject* rootNode() override { return nullptr; }
    Bounds rootBounds() override { return {}; }
    void fitToWorkpart() override {}
    void initialView() override {}
};

}  // namespace

class UiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(temp.isValid());
        qputenv("TMPDIR", temp.path().toUtf8());
        initSettingsFiles(temp.path().toStdString());
    }

    void mainWindowHoldsThePanelLeftOfTheViewAndFourStatusFields() {
        QtPlatform platform;
        setPlatform(&platform);
        DesktopServices services;
        CMainFrame frame(platform, services);
        frame.initialise(readWindowSizeSettings());
        QCOMPARE(frame.splitter()->count(), 2);
        QCOMPARE(frame.splitter()->widget(0), static_cast<QWidget*>(frame.playerPanel()));
        QCOMPARE(frame.splitter()->widget(1), static_cast<QWidget*>(frame.viewerView()));
        for (int i = 0; i < kStatusFieldCount; ++i) QVERIFY(frame.statusLabel(static_cast<StatusField>(i)));
        QCOMPARE(frame.windowTitle(), QString("Brevalonix Kinemo Standard"));
        QCOMPARE(frame.playerPanel()->button(PlayerPanel::Button::PlayForward)->toolTip(),
                 QString("Play forward to next stop"));
        QVERIFY(frame.initialised());
        setPlatform(nullptr);
    }

    void statusFromAnotherThreadArrivesThroughTheEventLoop() {
        QtPlatform platform;
        QLabel label;
        platform.setStatusLabel(StatusField::Message, &label);
        std::thread worker([&] {
            platform.setStatusField(StatusField::Message,
                                    "Gr\xFC\xDF"
                                    "e");
        });
        worker.join();
        QCOMPARE(label.text(), QString());  // nothing touched the widget from the other thread
        QTRY_COMPARE(label.text(), QString::fromUtf8("Grüße"));
    }

    void steeringRecordsAreCarriedOutOnTheInterfaceThread() {
        QtPlatform platform;
        setPlatform(&platform);
        resetMessageService();
        DesktopServices services;
        CMainFrame frame(platform, services);
        const std::string path = (temp.path() + "/steer").toStdString();
        QVERIFY(frame.openSteering(path));
        QVERIFY(sendSteeringCommand({SteerStopAnim, 0}, nullptr, path));
        QTRY_COMPARE(QString::fromStdString(lastStatusText()), QString("Interface called StopAnim"));
        QTRY_COMPARE(frame.statusLabel(StatusField::Message)->text(), QString("Interface called StopAnim"));
        QVERIFY(sendSteeringCommand({SteerWindowSizeX, 640}, nullptr, path));
        QTRY_COMPARE(frame.width(), 640);
        setPlatform(nullptr);
    }

    void slidersSetByTheProgramDoNotReportBack() {
        PlayerPanel panel;
        QSignalSpy speed(&panel, &PlayerPanel::speedMoved);
        QSignalSpy progress(&panel, &PlayerPanel::progressMoved);
        panel.setSpeedPosition(50, "x2.8");
        panel.setProgressPosition(30, "30%");
        QCOMPARE(speed.count(), 0);
        QCOMPARE(progress.count(), 0);
        QCOMPARE(panel.speedSlider()->value(), 50);
        panel.progressSlider()->setValue(40);
        QCOMPARE(progress.count(), 1);
    }

    void aButtonPressIsReportedAndShownOnlyByThePanel() {
        PlayerPanel panel;
        QSignalSpy pressed(&panel, &PlayerPanel::buttonPressed);
        QTest::mouseClick(panel.button(PlayerPanel::Button::PlayForward), Qt::LeftButton);
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(pressed.front().front().toInt(), static_cast<int>(PlayerPanel::Button::PlayForward));
        QVERIFY(!panel.button(PlayerPanel::Button::PlayForward)->isChecked());
        panel.showPressed(static_cast<int>(PlayerPanel::Button::PlayForward));
        QVERIFY(panel.button(PlayerPanel::Button::PlayForward)->isChecked());
        panel.releaseAll();
        QVERIFY(!panel.button(PlayerPanel::Button::PlayForward)->isChecked());
    }

    void playingWithoutAChapterLeavesEveryButtonReleased() {
        QtPlatform platform;
        setPlatform(&platform);
        DesktopServices services;
        CMainFrame frame(platform, services);
        QVERIFY(services.playerModel());
        for (auto which : {PlayerPanel::Button::PlayForward, PlayerPanel::Button::PlayToEnd,
                           PlayerPanel::Button::PlayBackward, PlayerPanel::Button::JumpToEnd}) {
            QTest::mouseClick(frame.playerPanel()->button(which), Qt::LeftButton);
            QCoreApplication::processEvents();
            QVERIFY(!services.playerModel()->pressedButton());
            for (int i = 0; i < PlayerPanel::kButtonCount; ++i)
                QVERIFY(!frame.playerPanel()->button(static_cast<PlayerPanel::Button>(i))->isChecked());
        }
        setPlatform(nullptr);
    }

    void theReadersSpeedSliderSetsThePlaybackSpeed() {
        QtPlatform platform;
        setPlatform(&platform);
        DesktopServices services;
        CMainFrame frame(platform, services);
        PlaybackState& state = playbackState();
        frame.playerPanel()->speedSlider()->setValue(100);
        QCOMPARE(state.speed.load(), state.maxSpeed);
        QCOMPARE(services.playerModel()->speedText(), std::string("x20"));
        frame.playerPanel()->speedSlider()->setValue(0);
        QCOMPARE(state.speed.load(), state.minSpeed);
        state.speed = 1.0f;
        setPlatform(nullptr);
    }

    void theWheelTurnedAwayFromTheReaderMovesTheCameraCloser() {
        auto renderer = Renderer::create();
        auto scene = std::make_shared<CameraOnly>();
        ViewerView view;
        view.resize(100, 100);
        view.attachRenderer(renderer.get());
        view.setNavigationScene(scene);
        QVERIFY(view.navigation());
        std::vector<EventHandle> queued;
        view.navigation()->setEventSink([&](EventHandle e) { queued.push_back(std::move(e)); });
        QWheelEvent forward(QPointF(50, 50), view.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120), Qt::NoButton,
                            Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&view, &forward);
        QCOMPARE(queued.size(), std::size_t(1));
        const float before = scene->camera.position[2];
        queued.front()->execute();
        QVERIFY(scene->camera.position[2] < before);
        view.attachRenderer(nullptr);
        QVERIFY(!view.navigation());
    }

    void framesFromTheRenderThreadArePainted() {
        ViewerView view;
        view.resize(4, 2);
        view.show();
        auto sink = view.frameSink();
        std::vector<std::uint8_t> red(4 * 2 * 4, 0);
        for (std::size_t i = 0; i < red.size(); i += 4) red[i] = red[i + 3] = 255;
        std::thread renderThread([&] { sink(4, 2, red.data()); });
        renderThread.join();
        QTRY_VERIFY(view.framesPainted() == 1);
        QImage shot = view.grab().toImage();
        QCOMPARE(QColor(shot.pixel(1, 1)), QColor(Qt::red));
    }

    void startUpTakesTheSpeedLimitsAndTheZoomSpeedFromThePreferences() {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QFile preferences(home.path() + "/Preferences.txt");
        QVERIFY(preferences.open(QIODevice::WriteOnly));
        preferences.write("[Definitions]\nMinAnimationSpeed=2\nMaxAnimationSpeed=5\nZoomSpeed=0.5\n");
        preferences.close();
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(home.path()));
        qputenv("XDG_RUNTIME_DIR", temp.path().toUtf8());
        {
            CKinemoApp app;
            QVERIFY(app.initInstance("", "/usr/bin/kinemo"));
            QCOMPARE(playbackState().minSpeed, 2.0f);
            // At least ten times the minimum.
            QCOMPARE(playbackState().maxSpeed, 20.0f);
            // The panel opened with the speed clamped into the slider's range.
            QCOMPARE(playbackState().speed.load(), 2.0f);
            QCOMPARE(app.mainWindow()->viewerView()->zoomSpeed(), 0.5f);
        }
        QDir::setCurrent(before);
        initSettingsFiles(temp.path().toStdString());
        setSpeedLimits(0.4f, 20.0f);
        playbackState().speed = 1.0f;
    }

private:
    QTemporaryDir temp;
};

QTEST_MAIN(UiTest)
#include "ui_test.moc"
