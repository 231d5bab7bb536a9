#include "ui/player_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace kinemo {

namespace {

struct ButtonLook {
    const char* tip;
    QStyle::StandardPixmap icon;
};

constexpr ButtonLook kButtons[PlayerPanel::kButtonCount] = {
    {"Jump to start of chapter", QStyle::SP_MediaSkipBackward},
    {"Play backward to next stop", QStyle::SP_MediaSeekBackward},
    {"Stop animation", QStyle::SP_MediaStop},
    {"Play forward to next stop", QStyle::SP_MediaPlay},
    {"Play forward to end of chapter", QStyle::SP_MediaSeekForward},
    {"Jump to end of chapter", QStyle::SP_MediaSkipForward},
};

QSlider* percentSlider(QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, 100);
    return slider;
}

}  // namespace

PlayerPanel::PlayerPanel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout_ = layout;
    chapterLabel_ = new QLabel(tr("No chapter loaded"), this);
    chapterLabel_->setObjectName("chapterLabel");
    layout->addWidget(chapterLabel_);

    auto* row = new QHBoxLayout;
    for (int i = 0; i < PlayerPanel::kButtonCount; ++i) {
        auto* b = new QToolButton(this);
        b->setCheckable(true);
        b->setToolTip(QString::fromLatin1(kButtons[i].tip));
        b->setIcon(style()->standardIcon(kButtons[i].icon));
        b->setObjectName(QStringLiteral("playerButton%1").arg(i));
        // The panel decides what a press shows; a click only reports it.
        connect(b, &QToolButton::clicked, this, [this, i, b] {
            b->setChecked(!b->isChecked());
            emit buttonPressed(i);
        });
        buttons_[i] = b;
        row->addWidget(b);
    }
    layout->addLayout(row);

    auto* sliders = new QGridLayout;
    speedSlider_ = percentSlider(this);
    speedSlider_->setObjectName("speedSlider");
    progressSlider_ = percentSlider(this);
    progressSlider_->setObjectName("progressSlider");
    speedLabel_ = new QLabel("x1.0", this);
    progressLabel_ = new QLabel("0%", this);
    sliders->addWidget(new QLabel(tr("Speed"), this), 0, 0);
    sliders->addWidget(speedSlider_, 0, 1);
    sliders->addWidget(speedLabel_, 0, 2);
    sliders->addWidget(new QLabel(tr("Progress"), this), 1, 0);
    sliders->addWidget(progressSlider_, 1, 1);
    sliders->addWidget(progressLabel_, 1, 2);
    layout->addLayout(sliders);
    connect(speedSlider_, &QSlider::valueChanged, this, &PlayerPanel::speedMoved);
    connect(progressSlider_, &QSlider::valueChanged, this, &PlayerPanel::progressMoved);

    chapterList_ = new QListWidget(this);
    chapterList_->setObjectName("chapterList");
    chapterList_->setMaximumHeight(120);
    layout->addWidget(chapterList_);
    connect(chapterList_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { emit chapterChosen(chapterList_->row(item)); });
    connect(chapterList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit chapterChosen(chapterList_->row(item)); });

    textPanel_ = new QTextEdit(this);
    textPanel_->setReadOnly(true);
    textPanel_->setObjectName("textPanel");
    layout->addWidget(textPanel_, 1);
}

void PlayerPanel::setChapterCaption(const QString& caption) {
    chapterLabel_->setText(caption.isEmpty() ? tr("No chapter loaded") : caption);
}

void PlayerPanel::showPressed(int button) {
    for (int i = 0; i < PlayerPanel::kButtonCount; ++i) buttons_[i]->setChecked(i == button);
}

void PlayerPanel::releaseAll() { showPressed(-1); }

void PlayerPanel::setSpeedPosition(int position, const QString& label) {
    QSignalBlocker quiet(speedSlider_);
    speedSlider_->setValue(position);
    speedLabel_->setText(label);
}

void PlayerPanel::setProgressPosition(int position, const QString& label) {
    QSignalBlocker quiet(progressSlider_);
    progressSlider_->setValue(position);
    progressLabel_->setText(label);
}

void PlayerPanel::setText(const QString& text) {
    // The panel keeps its scroll position while the same text is shown again.
    if (text == shownText_) return;
    shownText_ = text;
    textPanel_->setHtml(text);
}

void PlayerPanel::setChapterEntries(const QStringList& titles, int current) {
    QSignalBlocker quiet(chapterList_);
    chapterList_->clear();
    chapterList_->addItems(titles);
    if (current >= 0 && current < chapterList_->count()) chapterList_->setCurrentRow(current);
}

void PlayerPanel::setChapterListIntegrated(bool integrated) {
    if (integrated == integrated_) return;
    integrated_ = integrated;
    if (integrated) {
        layout_->insertWidget(layout_->indexOf(textPanel_), chapterList_);
        chapterList_->setMaximumHeight(120);
        chapterList_->show();
        if (chapterWindow_) chapterWindow_->hide();
        return;
    }
    if (!chapterWindow_) {
        chapterWindow_ = new QWidget(this, Qt::Tool);
        chapterWindow_->setObjectName("chapterWindow");
        chapterWindow_->setWindowTitle(tr("Chapters"));
        chapterWindow_->resize(260, 320);
        new QVBoxLayout(chapterWindow_);
    }
    chapterWindow_->layout()->addWidget(chapterList_);
    chapterList_->setMaximumHeight(QWIDGETSIZE_MAX);
    chapterList_->show();
    chapterWindow_->show();
}

}  // namespace kinemo
