#include "ui/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "animation/player_panel_model.h"
#include "core/definitions.h"
#include "core/messages.h"
#include "ui/desktop_services.h"
#include "ui/player_panel.h"
#include "ui/qt_platform.h"
#include "ui/viewer_view.h"
#ifdef KINEMO_HAVE_SCENE_NAVIGATION
#include "render/scene_navigation.h"
#endif

namespace kinemo {

CMainFrame::CMainFrame(QtPlatform& platform, DesktopServices& services)
    : platform_(platform), services_(services), logic_(services, &platform) {
    setObjectName("mainFrame");
    platform_.setMainWindow(this);
    buildMenusAndToolbar();

    for (int i = 0; i < kStatusFieldCount; ++i) {
        status_[i] = new QLabel(this);
        status_[i]->setObjectName(QStringLiteral("statusField%1").arg(i));
        status_[i]->setMinimumWidth(i == 0 ? 200 : 80);
        statusBar()->addWidget(status_[i], i == 0 ? 1 : 0);
        platform_.setStatusLabel(static_cast<StatusField>(i), status_[i]);
    }

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName("splitter");
    playerPanel_ = new PlayerPanel(splitter_);
    viewerView_ = new ViewerView(splitter_);
    viewerView_->setObjectName("viewerView");
    splitter_->addWidget(playerPanel_);
    splitter_->addWidget(viewerView_);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);
    connect(viewerView_, &ViewerView::firstPainted, this, &CMainFrame::onFirstPaint);
    connect(viewerView_, &ViewerView::fileDropped, this, [this](const QByteArray& path) {
        if (logic_.confirmDiscard()) logic_.openDocument(path.toStdString());
    });

    // The panel's widgets report to the player model; it answers through showPlayerModel.
    connect(playerPanel_, &PlayerPanel::buttonPressed, this, [this](int button) {
        if (PlayerPanelModel* model = services_.playerModel();
            model && button >= 0 && button < kPlayerButtonCount)
            model->press(static_cast<PlayerButton>(button));
        else
            showPlayerModel();
    });
    connect(playerPanel_, &PlayerPanel::speedMoved, this, [this](int position) {
        if (PlayerPanelModel* model = services_.playerModel()) model->setSpeedFromSlider(position);
    });
    connect(playerPanel_, &PlayerPanel::progressMoved, this, [this](int position) {
        if (PlayerPanelModel* model = services_.playerModel()) model->setProgressFromSlider(position);
    });
    services_.onPlayerMade = [this] { hookPlayer(); };
    services_.onSceneChanged = [this](GroupNode* root) {
#ifdef KINEMO_HAVE_SCENE_NAVIGATION
        viewerView_->setNavigationScene(root ? std::make_shared<SceneNavigation>(*root) : nullptr);
#else
        (void)root;
#endif
    };
    hookPlayer();
    services_.onEndMainLoop = [this] {
        closeAllowed_ = true;
        steering_.close();
        close();
        QApplication::quit();
    };
    setWindowTitle(toQt(kProductTitle));
}

CMainFrame::~CMainFrame() {
    delete steeringNotifier_;  // before the socket it watches is closed
    steeringNotifier_ = nullptr;
    platform_.setMainWindow(nullptr);
    for (int i = 0; i < kStatusFieldCount; ++i) platform_.setStatusLabel(static_cast<StatusField>(i), nullptr);
    services_.onPlayerMade = {};
    services_.onSceneChanged = {};
    if (PlayerPanelModel* model = services_.playerModel()) model->setChangedHandler({});
    services_.onEndMainLoop = {};
}

void CMainFrame::buildMenusAndToolbar() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* open = file->addAction(style()->standardIcon(QStyle::SP_DialogOpenButton), tr("Open..."));
    open->setObjectName("actionOpen");
    QAction* save = file->addAction(style()->standardIcon(QStyle::SP_DialogSaveButton), tr("Save"));
    save->setObjectName("actionSave");
    QAction* saveAs = file->addAction(tr("Save As..."));
    saveAs->setObjectName("actionSaveAs");
    // "&&" is a plain ampersand in a menu text.
    QAction* pack = file->addAction(tr("Pack&&Go"));
    pack->setObjectName("actionPackAndGo");
    file->addSeparator();
    QAction* exit = file->addAction(tr("Exit"));
    exit->setObjectName("actionExit");
    connect(open, &QAction::triggered, this, [this] { logic_.openDocumentWithDialog(); });
    connect(save, &QAction::triggered, this, [this] { logic_.saveDocument(); });
    connect(saveAs, &QAction::triggered, this, [this] { logic_.saveDocumentAs(false); });
    connect(pack, &QAction::triggered, this, [this] { logic_.saveDocumentAs(true); });
    connect(exit, &QAction::triggered, this, [this] { logic_.closeMainWindow(); });

    QToolBar* bar = addToolBar(tr("Toolbar"));
    bar->setObjectName("toolbar");
    bar->setMovable(false);
    bar->addAction(open);
    bar->addAction(save);
}

bool CMainFrame::openSteering(std::string_view path) {
    if (!steering_.open(path)) return false;
    steeringNotifier_ = new QSocketNotifier(steering_.fd(), QSocketNotifier::Read, this);
    connect(steeringNotifier_, &QSocketNotifier::activated, this, &CMainFrame::readSteering);
    return true;
}

void CMainFrame::readSteering() {
    for (const auto& record : steering_.receivePending()) {
        logic_.handleSteering(record.code, record.argument);
        if (logic_.shutdownState() == ShutdownState::Closed) break;
    }
}

void CMainFrame::takeCommandLine(std::string_view argumentText, std::string_view executablePath) {
    logic_.takeCommandLine(argumentText, executablePath);
}

void CMainFrame::initialise(const WindowSizeSettings& size) {
    const int dpi = screen() ? static_cast<int>(screen()->logicalDotsPerInchX() + 0.5) : 96;
    const int left = playerPanelWidth(dpi);
    playerPanel_->setMinimumWidth(left / 2);
    splitter_->setSizes({left, 200});
    placeMainWindow(platform_, size);
    splitter_->setSizes({left, std::max(200, width() - left)});
    initialised_ = true;
}

void CMainFrame::hookPlayer() {
    if (PlayerPanelModel* model = services_.playerModel()) model->setChangedHandler([this] { showPlayerModel(); });
    viewerView_->attachRenderer(services_.renderer());
    showPlayerModel();
}

void CMainFrame::showPlayerModel() {
    PlayerPanelModel* model = services_.playerModel();
    if (!model) {
        playerPanel_->releaseAll();
        return;
    }
    const std::optional<PlayerButton> pressed = model->pressedButton();
    playerPanel_->showPressed(pressed ? static_cast<int>(*pressed) : -1);
    playerPanel_->setSpeedPosition(model->speedPosition(), toQt(model->speedText()));
    playerPanel_->setProgressPosition(model->progressPosition(), toQt(model->progressText()));
    playerPanel_->setChapterCaption(toQt(model->chapterText()));
    playerPanel_->setText(toQt(model->text()));
}

void CMainFrame::onFirstPaint() {
    setPromptText("Builder");
    if (!logic_.documentPath.empty())
        logic_.openDocument(logic_.documentPath);
    else
        logic_.updateTitle();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (closeAllowed_) {
        event->accept();
        return;
    }
    event->ignore();
    logic_.closeMainWindow();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The memory adds the frame of the original window (7 by 47); taking it off here keeps a size
    // restored by resize() from growing run by run.
    if (initialised_) rememberMainWindowSize(event->size().width() - 7, event->size().height() - 47);
}

}  // namespace kinemo
