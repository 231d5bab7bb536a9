#pragma once
// The timing window ("Animation timing"): one row per step of the current chapter with its times
// and a bar from its start to its end, filled up to the current time. It draws what the player
// model's timing layout gives for its width.
#include <QWidget>
#include <functional>

#include "animation/player_panel_model.h"

namespace kinemo {

class TimingWindow : public QWidget {
    Q_OBJECT
public:
    // layout answers the rows for a width (the player model's timing).
    explicit TimingWindow(std::function<TimingLayout(int width)> layout, QWidget* parent = nullptr);
    // The rows drawn last (tests).
    const TimingLayout& shown() const { return shown_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<TimingLayout(int)> layout_;
    TimingLayout shown_;
};

}  // namespace kinemo
