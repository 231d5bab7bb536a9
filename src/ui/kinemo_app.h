#pragma once
// CKinemoApp: the start-up of the desktop program and its main loop. It owns the platform, the
// services and the main window for the run.
#include <memory>
#include <string>

class QApplication;

namespace kinemo {

class CMainFrame;
class DesktopServices;
class QtPlatform;

class CKinemoApp {
public:
    CKinemoApp();
    ~CKinemoApp();

    // Settings, log, main window, steering; argumentText is the document to open (may be "").
    // False when the program cannot come up.
    bool initInstance(const std::string& argumentText, const std::string& executablePath);
    // The main loop; returns the process's exit status.
    int run(QApplication& application);
    CMainFrame* mainWindow() const { return mainFrame_.get(); }

private:
    std::unique_ptr<QtPlatform> platform_;
    std::unique_ptr<DesktopServices> services_;
    std::unique_ptr<CMainFrame> mainFrame_;
    int exitStatus_ = 0;
};

// The command line's arguments after the program name, joined by blanks as one document name.
std::string argumentTextOf(int argc, char** argv);
// The running executable's full path (from /proc), else argv0.
std::string executablePathOf(const char* argv0);

}  // namespace kinemo
