#pragma once
// Every text test starts from the registry's start-up state, with a recording platform and a
// clock that never sleeps, so that reports can be checked and level-1 pauses cost nothing.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/headless_platform.h"
#include "core/messages.h"
#include "core/platform.h"
#include "text/text_form.h"
#include "text/text_images.h"
#include "text/translator.h"

namespace kinemo::testing {

class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        Translator::resetToStartupState();
        setTextTagForm(true);
        builtInTextImageStore().clear();
        resetMessageService();
        setMessageClock(&clock_);
        setPlatform(&platform_);
    }

    void TearDown() override {
        setPlatform(nullptr);
        resetMessageService();
        builtInTextImageStore().clear();
        setTextTagForm(false);
        Translator::resetToStartupState();
    }

    // Whether a report containing text reached the status line or a message box.
    bool reported(std::string_view text) const {
        for (const PlatformRecord& record : platform_.recordsOf("status")) {
            if (record.text.find(text) != std::string::npos) return true;
        }
        for (const MessageBoxRequest& box : platform_.messageBoxes()) {
            if (box.text.find(text) != std::string::npos) return true;
        }
        return false;
    }

    int messageBoxCount() const { return static_cast<int>(platform_.messageBoxes().size()); }

    FakeClock clock_;
    HeadlessPlatform platform_;
};

inline std::string dataPath(std::string_view name) {
    return std::string(KINEMO_TEST_DATA) + "/text/" + std::string(name);
}

}  // namespace kinemo::testing
