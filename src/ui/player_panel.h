#pragma once
// The player panel on the left of the main window: the six player buttons, the speed and
// progress sliders with their labels, the chapter label and the text panel. The widgets only
// report what the reader does; playback itself answers through the slots.
#include <QWidget>
#include <array>

class QLabel;
class QListWidget;
class QVBoxLayout;
class QSlider;
class QTextEdit;
class QToolButton;

namespace kinemo {

class PlayerPanel : public QWidget {
    Q_OBJECT
public:
    // In panel order; the numbers are what buttonPressed and showPressed carry.
    enum class Button { JumpToStart = 0, PlayBackward, Stop, PlayForward, PlayToEnd, JumpToEnd };
    static constexpr int kButtonCount = 6;

    explicit PlayerPanel(QWidget* parent = nullptr);

    QToolButton* button(Button which) const { return buttons_[static_cast<int>(which)]; }
    QSlider* speedSlider() const { return speedSlider_; }
    QSlider* progressSlider() const { return progressSlider_; }
    QLabel* chapterLabel() const { return chapterLabel_; }
    QTextEdit* textPanel() const { return textPanel_; }
    // The chapter list: in the panel below the buttons, or in a window of its own.
    QListWidget* chapterList() const { return chapterList_; }
    QWidget* chapterWindow() const { return chapterWindow_; }
    bool chapterListIntegrated() const { return integrated_; }

public slots:
    // The chapter caption as the main window's title logic gives it (Windows-1252 text).
    void setChapterCaption(const QString& caption);
    // Shows the button pressed (and every other released); none releases all.
    void showPressed(int button);
    void releaseAll();
    // Set by the program: the sliders move without reporting a change back.
    void setSpeedPosition(int position, const QString& label);
    void setProgressPosition(int position, const QString& label);
    // The text panel's content as the panel's rich text (HTML).
    void setText(const QString& text);
    // The chapters of the chapter list; current is the row marked, -1 for none.
    void setChapterEntries(const QStringList& titles, int current);
    void setChapterListIntegrated(bool integrated);

signals:
    void buttonPressed(int button);
    // Only for the reader's own moves of the sliders.
    void speedMoved(int position);
    void progressMoved(int position);
    // The reader chose the chapter in that row of the chapter list.
    void chapterChosen(int row);

private:
    std::array<QToolButton*, kButtonCount> buttons_{};
    QSlider* speedSlider_ = nullptr;
    QSlider* progressSlider_ = nullptr;
    QLabel* speedLabel_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    QLabel* chapterLabel_ = nullptr;
    QTextEdit* textPanel_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    QListWidget* chapterList_ = nullptr;
    QWidget* chapterWindow_ = nullptr;
    bool integrated_ = true;
    QString shownText_;
};

}  // namespace kinemo
