#pragma once
// The 3D view on the right of the main window. It shows the newest frame the render thread
// handed over (a plain background until the first one) and tells the renderer its size. The
// render thread only posts a repaint; the frame is copied here, on the interface thread. The
// mouse, the wheel and the size go to the view's navigation.
#include <QImage>
#include <QWidget>
#include <memory>

#include "render/latest_frame.h"
#include "render/navigation.h"

namespace kinemo {

class Renderer;

class ViewerView : public QWidget {
    Q_OBJECT
public:
    explicit ViewerView(QWidget* parent = nullptr);
    ~ViewerView() override;

    // The renderer whose frames are shown (observed; detach with nullptr before it goes).
    void attachRenderer(Renderer* renderer);
    // The scene the mouse navigates (null: none); kept over a change of renderer.
    void setNavigationScene(std::shared_ptr<NavigationScene> scene);
    // Null without a renderer.
    ViewNavigation* navigation() const { return navigation_.get(); }
    // The mouse mode and the zoom speed ("ZoomSpeed", negative: automatic); kept over a change
    // of renderer.
    void setMouseMode(MouseMode mode);
    MouseMode mouseMode() const { return mouseMode_; }
    void setZoomSpeed(float speed);
    float zoomSpeed() const { return zoomSpeed_; }
    // The frame sink to give the renderer: stores into this view's hand-over.
    std::function<void(int, int, const std::uint8_t*)> frameSink() const;
    std::uint64_t framesPainted() const { return framesPainted_; }

signals:
    // The first paint (the document named on the command line is read then); from then on the
    // view takes dropped files.
    void firstPainted();
    // A local file dropped on the view (its name as the bytes on disk).
    void fileDropped(const QByteArray& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    std::shared_ptr<LatestFrame> latest_;
    Frame frame_;
    QImage image_;
    Renderer* renderer_ = nullptr;
    std::unique_ptr<ViewNavigation> navigation_;
    std::shared_ptr<NavigationScene> navigationScene_;
    MouseMode mouseMode_ = MouseMode::Translate;
    float zoomSpeed_ = -1.0f;
    bool painted_ = false;
    std::uint64_t framesPainted_ = 0;
};

}  // namespace kinemo
