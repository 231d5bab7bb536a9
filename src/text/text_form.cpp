#include "text/text_form.h"

#include <atomic>

namespace kinemo {
namespace {

std::atomic<bool> tagForm{false};

}  // namespace

bool textTagForm() { return tagForm.load(std::memory_order_relaxed); }

void setTextTagForm(bool value) { tagForm.store(value, std::memory_order_relaxed); }

void setTextFormFromVersion(double fileVersion) {
    // The version is held as a float; comparing in float keeps 2.015 read from a file equal to 2.015.
    constexpr float kTagFormVersion = 2.015f;
    const auto version = static_cast<float>(fileVersion);
    if (version < kTagFormVersion) {
        setTextTagForm(false);
    } else if (version > kTagFormVersion) {
        setTextTagForm(true);
    }
}

}  // namespace kinemo
