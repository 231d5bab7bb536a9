#include "ui/main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QResizeEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "animation/animation_group.h"
#include "animation/player_panel_model.h"
#include "core/definitions.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/paths.h"
#include "core/rich_text_html.h"
#include "render/image_files.h"
#include "render/render_context.h"
#include "render/renderer.h"
#include "render/view_event.h"
#include "scene/scene.h"
#include "text/translator.h"
#include "ui/desktop_services.h"
#include "ui/player_panel.h"
#include "ui/qt_platform.h"
#include "ui/timing_window.h"
#include "ui/viewer_view.h"
#ifdef KINEMO_HAVE_SCENE_NAVIGATION
#include "render/scene_navigation.h"
#endif

namespace kinemo {

CMainFrame::CMainFrame(QtPlatform& platform, DesktopServices& services)
    : platform_(platform), services_(services), logic_(services, &platform) {
    setObjectName("mainFrame");
    platform_.setMainWindow(this);
    // The texts speak the reader's language from the start.
    Translator::setCurrentLanguage(Translator::systemLanguage());
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
        if (PlayerPanelModel* model = services_.playerModel(); model && button >= 0 && button < kPlayerButtonCount)
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
    connect(playerPanel_, &PlayerPanel::chapterChosen, this,
            [this](int row) { runMenuCommandLater(kChapterMenuFirstId + row); });
    timingWindow_ = new TimingWindow(
        [this](int width) {
            PlayerPanelModel* model = services_.playerModel();
            return model ? model->timing(width) : TimingLayout{};
        },
        this);
    logic_.chapterMenu.setChangedHandler([this] {
        showDynamicMenu(chapterMenu_, logic_.chapterMenu);
        showChapterList();
    });
    logic_.languageMenu.setChangedHandler([this] { showDynamicMenu(languageMenu_, logic_.languageMenu); });
    logic_.viewpointMenu.setChangedHandler([this] { showDynamicMenu(viewpointMenu_, logic_.viewpointMenu); });
    services_.onLanguageChanged = [this] {
        if (PlayerPanelModel* model = services_.playerModel(); model && shownChapter_)
            if (AnimationGroup* chapter = animationState().currentChapter)
                model->setTimingSteps(timingStepsOf(*chapter));
        showPlayerModel();
    };
    playerPanel_->setChapterListIntegrated(getLayeredBool(preferencesFile(), "ChapterViewIsIntegrated", true));
    services_.onSceneChanged = [this](GroupNode* root) {
        shownChapter_ = nullptr;
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
    services_.onLanguageChanged = {};
    logic_.chapterMenu.setChangedHandler({});
    logic_.languageMenu.setChangedHandler({});
    logic_.viewpointMenu.setChangedHandler({});
    if (PlayerPanelModel* model = services_.playerModel()) model->setChangedHandler({});
    services_.onEndMainLoop = {};
}

void CMainFrame::buildMenusAndToolbar() {
    auto command = [this](QMenu* menu, const char* name, const QString& label, auto&& run) {
        QAction* action = menu->addAction(label);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, std::forward<decltype(run)>(run));
        return action;
    };

    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* open = command(file, "actionOpen", tr("&Open...\tCtrl+O"), [this] { logic_.openDocumentWithDialog(); });
    open->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    open->setShortcut(QKeySequence::Open);
    QAction* save = command(file, "actionSave", tr("&Save\tCtrl+S"), [this] { logic_.saveDocument(); });
    save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    save->setShortcut(QKeySequence::Save);
    command(file, "actionSaveAs", tr("Save As..."), [this] { logic_.saveDocumentAs(false); });
    // "&&" is a plain ampersand in a menu text.
    command(file, "actionPackAndGo", tr("Pack&&Go"), [this] { logic_.saveDocumentAs(true); });
    file->addSeparator();
    command(file, "actionSaveBmp", tr("Save Bmp"), [this] { saveBitmap(); });
    imageSequenceAction_ =
        command(file, "actionImageSequence", tr("Start Write Image Sequence"), [this] { toggleImageSequence(); });
    file->addSeparator();
    command(file, "actionExit", tr("Exit"), [this] { logic_.closeMainWindow(); });

    QMenu* view = menuBar()->addMenu(tr("&View"));
    QAction* fit = command(view, "actionFitToWorkpart", tr("Fit To Workpart"), [this] { fitToWorkpart(); });
    fit->setToolTip(tr("Fit Current Workpart To View"));
    fit->setIcon(style()->standardIcon(QStyle::SP_TitleBarMaxButton));
    QAction* initial = command(view, "actionInitialView", tr("Initial View"), [this] { initialView(); });
    initial->setToolTip(tr("Set Initial View"));
    initial->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
    view->addSeparator();
    auto* modes = new QActionGroup(this);
    const struct {
        const char* name;
        const char* label;
        MouseMode mode;
    } modeEntries[] = {{"actionTranslateMode", "Translate", MouseMode::Translate},
                       {"actionRotateMode", "Rotate", MouseMode::Rotate},
                       {"actionZoomMode", "Zoom", MouseMode::Zoom}};
    for (int i = 0; i < 3; ++i) {
        const MouseMode mode = modeEntries[i].mode;
        QAction* a = command(view, modeEntries[i].name, tr(modeEntries[i].label), [this, mode] { setMouseMode(mode); });
        a->setCheckable(true);
        a->setChecked(mode == MouseMode::Translate);
        modes->addAction(a);
        modeActions_[i] = a;
    }
    modeActions_[1]->setToolTip(tr("shift = rotate"));
    modeActions_[2]->setToolTip(tr("Zoom"));
    view->addSeparator();
    // One press turns the view by a fixed step about the rotation centre.
    QAction* vertical = command(view, "actionRotateVertical", tr("Rotate Around Vertical Axis"),
                                [this] { rotateByStep(RotationAxis::Vertical); });
    QAction* horizontal = command(view, "actionRotateHorizontal", tr("Rotate Around Horizontal Axis"),
                                  [this] { rotateByStep(RotationAxis::Horizontal); });
    QAction* around =
        command(view, "actionRotateView", tr("Rotate View"), [this] { rotateByStep(RotationAxis::View); });
    vertical->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    horizontal->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    around->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    view->addSeparator();
    command(view, "actionZoomSpeed", tr("Zoom Speed"), [this] { askZoomSpeed(); });
    command(view, "actionBlackBackground", tr("Black Background"), [this] { blackBackground(); });
    view->addSeparator();
    command(view, "actionShowAnimationTiming", tr("Show Animation Timing"), [this] { showAnimationTiming(); });
    chapterWindowAction_ =
        command(view, "actionFloatingChapterDlg", tr("Floating ChapterDlg"), [this] { toggleChapterWindow(); });

    chapterMenu_ = menuBar()->addMenu(tr("&Chapters"));
    chapterMenu_->setObjectName("chapterMenu");
    languageMenu_ = menuBar()->addMenu(tr("&Language"));
    languageMenu_->setObjectName("languageMenu");
    viewpointMenu_ = menuBar()->addMenu(tr("View&points"));
    viewpointMenu_->setObjectName("viewpointMenu");
    // The check marks follow the playback and the viewpoint steps: fresh each time a menu opens.
    connect(chapterMenu_, &QMenu::aboutToShow, this, [this] { logic_.rebuildChapterMenu(); });
    connect(viewpointMenu_, &QMenu::aboutToShow, this, [this] { logic_.rebuildViewpointMenu(); });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* about = command(help, "actionAbout", tr("About Kinemo..."), [this] {
        QMessageBox::about(this, tr("About Kinemo"),
                           toQt(std::string(kProductTitle) + "\nVersion " + KINEMO_VERSION +
                                "\n\nPlays and authors animated 3D assembly guides."));
    });
    about->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    command(help, "actionSupport", tr("Support"), [this] {
        QMessageBox::information(this, tr("Support"),
                                 tr("For help with Kinemo, write to the support team of Brevalonix: "
                                    "support@brevalonix.example"));
    });

    QToolBar* bar = addToolBar(tr("Dynamic Toolbar Short"));
    bar->setObjectName("toolbar");
    bar->setMovable(false);
    bar->addAction(open);
    bar->addAction(save);
    bar->addSeparator();
    bar->addAction(fit);
    bar->addAction(initial);
    bar->addAction(vertical);
    bar->addAction(horizontal);
    bar->addAction(around);
    bar->addSeparator();
    bar->addAction(about);
    // The menus exist from here on: the dynamic ones are located.
    logic_.rebuildDynamicMenus();
}

void CMainFrame::showDynamicMenu(QMenu* menu, const DynamicMenu& entries) {
    if (!menu) return;
    menu->clear();
    for (const DynamicMenu::Entry& entry : entries.entries()) {
        if (entry.separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(toQt(entry.label));
        action->setData(entry.commandId);
        action->setCheckable(entry.checked);
        action->setChecked(entry.checked);
        const int id = entry.commandId;
        connect(action, &QAction::triggered, this, [this, id] { runMenuCommandLater(id); });
    }
    menu->setEnabled(!entries.entries().empty());
}

void CMainFrame::runMenuCommandLater(int commandId) {
    QMetaObject::invokeMethod(
        this, [this, commandId] { logic_.runMenuCommand(commandId); }, Qt::QueuedConnection);
}

void CMainFrame::showChapterList() {
    QStringList titles;
    int current = -1;
    const auto& entries = logic_.chapterMenu.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        titles << toQt(entries[i].label);
        if (entries[i].checked) current = int(i);
    }
    playerPanel_->setChapterEntries(titles, current);
}

void CMainFrame::fitToWorkpart() {
    if (ViewNavigation* navigation = viewerView_->navigation()) navigation->fitToWorkpart();
}

void CMainFrame::initialView() {
    if (ViewNavigation* navigation = viewerView_->navigation()) navigation->initialView();
}

void CMainFrame::rotateByStep(RotationAxis axis) {
    ViewNavigation* navigation = viewerView_->navigation();
    if (!navigation || !navigation->scene()) return;
    // Without a centre picked yet, the view turns about what lies under its middle.
    if (!navigation->centreNode())
        navigation->setRotationCentre(viewerView_->width() / 2.0f, viewerView_->height() / 2.0f);
    constexpr float kStep = 3.14159265f / 12.0f;
    switch (axis) {
        case RotationAxis::Vertical:
            navigation->rotateVertical(kStep);
            break;
        case RotationAxis::Horizontal:
            navigation->rotateHorizontal(kStep);
            break;
        case RotationAxis::View:
            navigation->rotateView(kStep);
            break;
    }
}

void CMainFrame::setMouseMode(MouseMode mode) {
    viewerView_->setMouseMode(mode);
    for (int i = 0; i < 3; ++i)
        if (modeActions_[i]) modeActions_[i]->setChecked(i + 1 == static_cast<int>(mode));
}

void CMainFrame::askZoomSpeed() {
    const auto text = platform_.askText("Zoom Speed", "Zoom Speed or -1 for Automatic Zoom",
                                        formatC("%f", double(viewerView_->zoomSpeed())));
    if (!text) return;
    const auto value = valueFromText(*text);
    if (!value) return;
    viewerView_->setZoomSpeed(*value);
    rememberPreference("ZoomSpeed", *value);
}

void CMainFrame::blackBackground() {
    if (Scene* scene = currentScene()) scene->skyColor[0] = scene->skyColor[1] = scene->skyColor[2] = 0.0f;
    if (Renderer* renderer = services_.renderer()) {
        renderer->setBackground({0.0f, 0.0f, 0.0f});
        renderer->requestRedraw();
    }
}

void CMainFrame::showAnimationTiming() {
    timingWindow_->show();
    timingWindow_->raise();
    timingWindow_->update();
}

void CMainFrame::toggleChapterWindow() {
    const bool integrated = !playerPanel_->chapterListIntegrated();
    playerPanel_->setChapterListIntegrated(integrated);
    chapterWindowAction_->setText(toQt(chapterWindowMenuLabel(integrated)));
}

void CMainFrame::saveBitmap() {
    Renderer* renderer = services_.renderer();
    if (!renderer || !renderer->isRunning() || !currentScene()) {
        reportMessage("No Scene Available", 0, true);
        return;
    }
    FileDialogRequest request;
    request.mode = FileDialogMode::Save;
    request.title = "Save as BMP";
    request.defaultExtension = "bmp";
    request.filter = "*.bmp|*.bmp||";
    request.initialDirectory = logic_.documentDirectory;
    request.overwritePrompt = true;
    const auto chosen = platform_.askFileName(request);
    if (!chosen || chosen->empty()) return;
    PixelImage image;
    bool captured = false;
    {
        RendererPause pause(*renderer);
        captured = renderer->capture(image, 0, 0);
    }
    if (!captured || image.cols <= 0 || image.rows <= 0) {
        reportMessage("The view could not be captured", 1, true);
        return;
    }
    if (writeBitmapFile(*chosen, image.cols, image.rows, image.bytes(), image.cols)) showStatus(*chosen);
}

std::string CMainFrame::sequenceName() const {
    if (!logic_.documentPath.empty()) return withoutExtension(logic_.documentPath) + "_sequence";
    return ensureTrailingBackslash(currentDirectory()) + "KinemoSequence";
}

void CMainFrame::toggleImageSequence() {
    Renderer* renderer = services_.renderer();
    if (!renderer || !renderer->isRunning()) return;
    const bool on = !renderer->getRecording();
    renderer->pushEvent(std::make_shared<V_EventImageSequence>(*renderer, on, sequenceName()));
    imageSequenceAction_->setText(toQt(imageSequenceMenuLabel(on)));
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
    if (playing_ && !pressed) {
        // Where playback came to rest, for whoever steers the program from outside.
        const AnimationState& state = animationState();
        logLine(formatC("CMainFrame: playback stopped at %.3f s of %.3f s in chapter %d of %d", state.currentTime,
                        state.currentChapter ? state.currentChapter->getRunTime() : 0.0,
                        services_.currentChapterPosition(), services_.chapterCount()));
    }
    playing_ = pressed.has_value();
    playerPanel_->setSpeedPosition(model->speedPosition(), toQt(model->speedText()));
    playerPanel_->setProgressPosition(model->progressPosition(), toQt(model->progressText()));
    playerPanel_->setChapterCaption(toQt(model->chapterText()));
    playerPanel_->setText(toQt(markupToHtml(model->text(), logic_.documentDirectory)));
    if (timingWindow_ && timingWindow_->isVisible()) timingWindow_->update();
    followCurrentChapter();
}

void CMainFrame::followCurrentChapter() {
    // While the clock runs the chapter belongs to the render thread; it is looked at once it stops.
    if (Playback* playback = services_.playback(); playback && playback->isPlaying()) return;
    AnimationGroup* chapter = animationState().currentChapter;
    if (chapter == shownChapter_) return;
    shownChapter_ = chapter;
    if (PlayerPanelModel* model = services_.playerModel())
        model->setTimingSteps(chapter ? timingStepsOf(*chapter) : std::vector<TimingStep>{});
    logic_.updateTitle();
    logic_.rebuildChapterMenu();
}

void CMainFrame::onFirstPaint() {
    setPromptText("Builder");
    // A language chosen for this working directory wins over the system's.
    if (Translator::readStartupLanguageFile("zzzla")) logic_.rebuildLanguageMenu();
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
