#include "ui/timing_window.h"

#include <QPainter>

#include "ui/qt_platform.h"

namespace kinemo {

namespace {

constexpr int kMargin = 8;
constexpr int kHeader = 40;  // two header lines above the rows
constexpr int kBarHeight = 8;

}  // namespace

TimingWindow::TimingWindow(std::function<TimingLayout(int)> layout, QWidget* parent)
    : QWidget(parent, Qt::Tool), layout_(std::move(layout)) {
    setObjectName("timingWindow");
    setWindowTitle(QStringLiteral("Animation timing"));
    resize(420, 300);
}

void TimingWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const int barWidth = std::max(width() - 2 * kMargin, 1);
    shown_ = layout_ ? layout_(barWidth) : TimingLayout{};
    const int line = fontMetrics().height();
    painter.setPen(palette().windowText().color());
    painter.drawText(kMargin, kMargin + line, toQt(shown_.formatLine));
    painter.drawText(kMargin, kMargin + 2 * line, toQt(shown_.currentLine));
    const int top = kMargin + std::max(kHeader, 2 * line + 4);
    for (const TimingRow& row : shown_.rows) {
        const int y = top + row.y;
        painter.setPen(palette().windowText().color());
        painter.drawText(kMargin, y + line, toQt(row.text));
        const int barTop = y + line + 4;
        const QRect bar(kMargin + row.barLeft, barTop, std::max(row.barRight - row.barLeft, 1), kBarHeight);
        painter.setPen(Qt::darkGray);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(bar);
        if (row.filledRight > row.barLeft)
            painter.fillRect(QRect(bar.left(), bar.top(), row.filledRight - row.barLeft, kBarHeight),
                             palette().highlight());
    }
    const int needed = top + int(shown_.rows.size()) * 30 + kMargin;
    if (minimumHeight() != needed) setMinimumHeight(std::min(needed, 2000));
}

}  // namespace kinemo
