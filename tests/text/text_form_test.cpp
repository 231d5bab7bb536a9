#include "text/text_form.h"

#include <gtest/gtest.h>

namespace kinemo {
namespace {

TEST(TextForm, FollowsTheVersionOfTheFileBeingRead) {
    setTextTagForm(true);
    setTextFormFromVersion(2.0);
    EXPECT_FALSE(textTagForm());
    setTextFormFromVersion(8.09);
    EXPECT_TRUE(textTagForm());
    setTextTagForm(false);
}

TEST(TextForm, LeavesTheFormAloneForVersion2015EvenWhenItWasHeldAsAFloat) {
    for (const bool form : {false, true}) {
        setTextTagForm(form);
        setTextFormFromVersion(2.015);
        EXPECT_EQ(textTagForm(), form);
        setTextFormFromVersion(static_cast<double>(2.015f));
        EXPECT_EQ(textTagForm(), form);
    }
    setTextTagForm(false);
}

}  // namespace
}  // namespace kinemo
