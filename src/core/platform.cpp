#include "core/platform.h"

#include <atomic>

#include "core/headless_platform.h"

namespace kinemo {
namespace {

std::atomic<Platform*> installed{nullptr};

Platform& builtIn() {
    static HeadlessPlatform* fallback = [] {
        auto* p = new HeadlessPlatform;  // never destroyed: messages may come during static destruction
        p->setRecording(false);
        return p;
    }();
    return *fallback;
}

}  // namespace

void setPlatform(Platform* p) { installed.store(p, std::memory_order_release); }

Platform& platform() {
    Platform* p = installed.load(std::memory_order_acquire);
    return p ? *p : builtIn();
}

MessageAnswer showMessageBox(std::string_view text, std::string_view caption, MessageIcon icon, MessageButtons buttons,
                             MessageAnswer defaultAnswer) {
    return platform().showMessageBox(
        MessageBoxRequest{std::string(text), std::string(caption), icon, buttons, defaultAnswer});
}

}  // namespace kinemo
