#include "ui/viewer_view.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QTimer>
#include <QWheelEvent>

#include "render/navigation.h"
#include "render/renderer.h"

namespace kinemo {

ViewerView::ViewerView(QWidget* parent) : QWidget(parent), latest_(std::make_shared<LatestFrame>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(50, 50);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    // The notifier runs on the render thread: it only queues a repaint to the application object,
    // which lives longer than any view; the guard is looked at on the interface thread only.
    QPointer<ViewerView> guard(this);
    latest_->setNotifier([guard] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard] {
                if (guard) guard->update();
            },
            Qt::QueuedConnection);
    });
}

ViewerView::~ViewerView() {
    // Frames still arriving must not post to a view that is gone.
    latest_->setNotifier({});
}

void ViewerView::attachRenderer(Renderer* renderer) {
    renderer_ = renderer;
    navigation_.reset();
    if (!renderer_) return;
    renderer_->setViewSize(width(), height());
    navigation_ = std::make_unique<ViewNavigation>(*renderer_);
    navigation_->setScene(navigationScene_);
    navigation_->setMouseMode(mouseMode_);
    navigation_->setZoomSpeed(zoomSpeed_);
}

void ViewerView::setMouseMode(MouseMode mode) {
    mouseMode_ = mode;
    if (navigation_) navigation_->setMouseMode(mode);
}

void ViewerView::setZoomSpeed(float speed) {
    zoomSpeed_ = speed;
    if (navigation_) navigation_->setZoomSpeed(speed);
}

void ViewerView::setNavigationScene(std::shared_ptr<NavigationScene> scene) {
    navigationScene_ = std::move(scene);
    if (navigation_) navigation_->setScene(navigationScene_);
}

std::function<void(int, int, const std::uint8_t*)> ViewerView::frameSink() const { return frameSinkInto(latest_); }

void ViewerView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (latest_->takeIfNewer(frame_) && frame_.width > 0 && frame_.height > 0) {
        image_ =
            QImage(frame_.rgba.data(), frame_.width, frame_.height, frame_.width * 4, QImage::Format_RGBA8888).copy();
        ++framesPainted_;
    }
    if (image_.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(rect(), image_);
    if (!painted_) {
        painted_ = true;
        setAcceptDrops(true);
        QTimer::singleShot(0, this, &ViewerView::firstPainted);
    }
}

void ViewerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (navigation_)
        navigation_->resize(event->size().width(), event->size().height());
    else if (renderer_)
        renderer_->setViewSize(event->size().width(), event->size().height());
}

void ViewerView::mousePressEvent(QMouseEvent* event) {
    if (!navigation_) return;
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        navigation_->leftButtonDown(p.x(), p.y());
    else if (event->button() == Qt::RightButton)
        navigation_->rightButtonDown(p.x(), p.y());
}

void ViewerView::mouseReleaseEvent(QMouseEvent* event) {
    if (!navigation_) return;
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        navigation_->leftButtonUp(p.x(), p.y());
    else if (event->button() == Qt::RightButton)
        navigation_->rightButtonUp(p.x(), p.y());
}

void ViewerView::mouseMoveEvent(QMouseEvent* event) {
    if (!navigation_) return;
    const QPoint p = event->position().toPoint();
    const Qt::KeyboardModifiers keys = event->modifiers();
    if (navigation_->mouseMove(p.x(), p.y(), (event->buttons() & Qt::LeftButton) != 0, (keys & Qt::ShiftModifier) != 0,
                               (keys & Qt::ControlModifier) != 0))
        setFocus(Qt::MouseFocusReason);
}

void ViewerView::wheelEvent(QWheelEvent* event) {
    if (!navigation_) return;
    // A positive zoom moves the camera back; the wheel turned away from the reader zooms in.
    navigation_->wheel(-event->angleDelta().y());
    event->accept();
}

void ViewerView::keyPressEvent(QKeyEvent* event) {
    if (navigation_) {
        const Qt::KeyboardModifiers keys = event->modifiers();
        navigation_->modifiersChanged((keys & Qt::ShiftModifier) != 0, (keys & Qt::ControlModifier) != 0);
    }
    QWidget::keyPressEvent(event);
}

void ViewerView::keyReleaseEvent(QKeyEvent* event) {
    if (navigation_) {
        const Qt::KeyboardModifiers keys = event->modifiers();
        navigation_->modifiersChanged((keys & Qt::ShiftModifier) != 0, (keys & Qt::ControlModifier) != 0);
    }
    QWidget::keyReleaseEvent(event);
}

namespace {

QString firstLocalFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return {};
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

}  // namespace

void ViewerView::dragEnterEvent(QDragEnterEvent* event) {
    if (!firstLocalFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void ViewerView::dropEvent(QDropEvent* event) {
    const QString file = firstLocalFile(event->mimeData());
    if (file.isEmpty()) return;
    event->acceptProposedAction();
    emit fileDropped(QFile::encodeName(file));
}

}  // namespace kinemo
