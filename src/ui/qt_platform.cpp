#include "ui/qt_platform.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "core/file_filter.h"
#include "core/text_encoding.h"

namespace kinemo {

QString toQt(std::string_view cp1252) { return QString::fromStdString(cp1252ToUtf8(cp1252)); }
std::string fromQt(const QString& text) { return utf8ToCp1252(text.toStdString()); }

QtPlatform::QtPlatform(QObject* parent) : QObject(parent) {}

QtPlatform::~QtPlatform() {
    for (auto& [id, timer] : timers_) delete timer;
}

void QtPlatform::setMainWindow(QWidget* window) { window_ = window; }
void QtPlatform::setStatusLabel(StatusField field, QLabel* label) { labels_[static_cast<int>(field)] = label; }

bool QtPlatform::onOwnThread() const { return QThread::currentThread() == thread(); }

void QtPlatform::runOnUi(std::function<void()> job, bool wait) {
    if (onOwnThread()) {
        job();
        return;
    }
    QMetaObject::invokeMethod(this, std::move(job), wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

MessageAnswer QtPlatform::showMessageBox(const MessageBoxRequest& request) {
    MessageAnswer answer = request.defaultAnswer;
    runOnUi(
        [&] {
            QMessageBox box(window_);
            box.setWindowTitle(toQt(request.caption));
            box.setText(toQt(request.text));
            switch (request.icon) {
                case MessageIcon::Error:
                    box.setIcon(QMessageBox::Critical);
                    break;
                case MessageIcon::Warning:
                    box.setIcon(QMessageBox::Warning);
                    break;
                case MessageIcon::Information:
                    box.setIcon(QMessageBox::Information);
                    break;
                case MessageIcon::Question:
                    box.setIcon(QMessageBox::Question);
                    break;
                case MessageIcon::None:
                    break;
            }
            QMessageBox::StandardButtons buttons;
            switch (request.buttons) {
                case MessageButtons::Ok:
                    buttons = QMessageBox::Ok;
                    break;
                case MessageButtons::OkCancel:
                    buttons = QMessageBox::Ok | QMessageBox::Cancel;
                    break;
                case MessageButtons::YesNo:
                    buttons = QMessageBox::Yes | QMessageBox::No;
                    break;
                case MessageButtons::YesNoCancel:
                    buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
                    break;
            }
            box.setStandardButtons(buttons);
            auto toButton = [](MessageAnswer a) {
                switch (a) {
                    case MessageAnswer::Ok:
                        return QMessageBox::Ok;
                    case MessageAnswer::Cancel:
                        return QMessageBox::Cancel;
                    case MessageAnswer::Yes:
                        return QMessageBox::Yes;
                    case MessageAnswer::No:
                        return QMessageBox::No;
                }
                return QMessageBox::Ok;
            };
            if (buttons & toButton(request.defaultAnswer)) box.setDefaultButton(toButton(request.defaultAnswer));
            switch (box.exec()) {
                case QMessageBox::Ok:
                    answer = MessageAnswer::Ok;
                    break;
                case QMessageBox::Yes:
                    answer = MessageAnswer::Yes;
                    break;
                case QMessageBox::No:
                    answer = MessageAnswer::No;
                    break;
                default:
                    answer = MessageAnswer::Cancel;
                    break;  // also the window's close box
            }
        },
        true);
    return answer;
}

void QtPlatform::setStatusField(StatusField field, std::string_view text) {
    const QString shown = toQt(text);
    runOnUi(
        [this, field, shown] {
            if (QLabel* label = labels_[static_cast<int>(field)]) {
                label->setText(shown);
                // Long work (a file being read) runs on this thread: the field shows at once.
                if (label->isVisible()) label->repaint();
            }
        },
        false);
}

std::optional<std::string> QtPlatform::askText(std::string_view title, std::string_view prompt,
                                               std::string_view initial) {
    if (scriptedText_) {
        auto text = *scriptedText_;
        return text.empty() ? std::nullopt : std::optional<std::string>(text);
    }
    std::optional<std::string> answer;
    const QString t = toQt(title), p = toQt(prompt), i = toQt(initial);
    runOnUi(
        [&] {
            bool ok = false;
            const QString text = QInputDialog::getText(window_, t, p, QLineEdit::Normal, i, &ok);
            if (ok) answer = fromQt(text);
        },
        true);
    return answer;
}

std::optional<std::string> QtPlatform::askFileName(const FileDialogRequest& request) {
    if (scriptedFileName_) {
        auto name = *scriptedFileName_;
        return name.empty() ? std::nullopt : std::optional<std::string>(name);
    }
    std::optional<std::string> chosen;
    runOnUi(
        [&] {
            const QString directory = QFile::decodeName(QByteArray::fromStdString(request.initialDirectory));
            QFileDialog dialog(window_, toQt(request.title), directory,
                               QString::fromStdString(qtFileFilter(request.filter)));
            dialog.setOption(QFileDialog::DontUseNativeDialog, true);
            if (request.mode == FileDialogMode::Save) {
                dialog.setAcceptMode(QFileDialog::AcceptSave);
                dialog.setFileMode(QFileDialog::AnyFile);
                dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
            } else {
                dialog.setAcceptMode(QFileDialog::AcceptOpen);
                dialog.setFileMode(QFileDialog::ExistingFile);
            }
            dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
            if (!request.initialFileName.empty())
                dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(request.initialFileName)));
            if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
                chosen = QFile::encodeName(dialog.selectedFiles().front()).toStdString();
        },
        true);
    return chosen;
}

bool QtPlatform::startTimer(int id, int intervalMs, std::function<void()> onTick) {
    bool started = false;
    runOnUi(
        [&] {
            QTimer*& timer = timers_[id];
            if (!timer) timer = new QTimer;
            timer->disconnect();
            QObject::connect(timer, &QTimer::timeout, timer, [tick = std::move(onTick)] { tick(); });
            timer->start(intervalMs);
            started = timer->isActive();
        },
        true);
    return started;
}

void QtPlatform::stopTimer(int id) {
    runOnUi(
        [this, id] {
            auto it = timers_.find(id);
            if (it != timers_.end() && it->second) it->second->stop();
        },
        false);
}

WindowRect QtPlatform::mainWindowRect() {
    WindowRect rect;
    runOnUi(
        [&] {
            if (!window_) return;
            rect = {window_->x(), window_->y(), window_->width(), window_->height()};
        },
        true);
    return rect;
}

void QtPlatform::setMainWindowRect(const WindowRect& rect) {
    runOnUi(
        [this, rect] {
            if (!window_) return;
            window_->move(rect.x, rect.y);
            window_->resize(rect.width, rect.height);
        },
        false);
}

void QtPlatform::showMainWindow() {
    runOnUi(
        [this] {
            if (window_) window_->showNormal();
        },
        false);
}

void QtPlatform::hideMainWindow() {
    runOnUi(
        [this] {
            if (window_) window_->hide();
        },
        false);
}

void QtPlatform::setMainWindowTopmost(bool topmost) {
    runOnUi(
        [this, topmost] {
            if (!window_ || window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost) return;
            const bool visible = window_->isVisible();
            window_->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);  // hides the window
            if (visible) window_->show();
        },
        false);
}

void QtPlatform::raiseMainWindow() {
    runOnUi(
        [this] {
            if (!window_) return;
            window_->raise();
            window_->activateWindow();
        },
        false);
}

void QtPlatform::setMainWindowTitle(std::string_view title) {
    const QString shown = toQt(title);
    runOnUi(
        [this, shown] {
            if (window_) window_->setWindowTitle(shown);
        },
        false);
}

ScreenSize QtPlatform::screenSize() {
    ScreenSize size{1024, 768, 96};
    runOnUi(
        [&] {
            QScreen* screen = window_ && window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
            if (!screen) return;
            size = {screen->size().width(), screen->size().height(),
                    static_cast<int>(screen->logicalDotsPerInchX() + 0.5)};
        },
        true);
    return size;
}

}  // namespace kinemo
