#include "core/file_filter.h"

#include <gtest/gtest.h>

namespace kinemo {
namespace {

TEST(FileFilter, PutsThePreferredTypeFirstAndKeepsTheFixedOrderForTheRest) {
    EXPECT_EQ(buildFileFilter("bvr;ros;wrl;iv", "wrl"),
              "VRML File (*.wrl)|*.wrl|Binary VR File (*.bvr)|*.bvr|"
              "VR File with Read Only Simulation (*.ros)|*.ros|Inventor File (*.iv)|*.iv||");
}

TEST(FileFilter, ListsThePackTypesWithTheExecutableFirst) {
    EXPECT_EQ(buildFileFilter("exe;bvr;ros", "exe"),
              "Selfextracting Executable (*.exe)|*.exe|Binary VR File (*.bvr)|*.bvr|"
              "VR File with Read Only Simulation (*.ros)|*.ros||");
}

TEST(FileFilter, IgnoresAPreferredTypeThatIsNotAllowed) {
    EXPECT_EQ(buildFileFilter("bvr", "u3d"), "Binary VR File (*.bvr)|*.bvr||");
    EXPECT_EQ(buildFileFilter("", "bvr"), "|");
}

TEST(FileFilter, ParsesEntriesUpToTheClosingBar) {
    auto entries = parseFileFilter("Images (*.bmp;*.jpg)|*.bmp;*.jpg|Inventor File (*.iv)|*.iv||ignored|*.x|");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Images (*.bmp;*.jpg)");
    EXPECT_EQ(entries[0].patterns, (std::vector<std::string>{"*.bmp", "*.jpg"}));
    EXPECT_EQ(entries[1].patterns, (std::vector<std::string>{"*.iv"}));
}

TEST(FileFilter, DropsANameWithoutPatternsAndToleratesAMissingEnd) {
    EXPECT_TRUE(parseFileFilter("Broken").empty());
    EXPECT_TRUE(parseFileFilter("Broken|").empty());
    auto entries = parseFileFilter("VRML File (*.wrl)|*.wrl");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].patterns.front(), "*.wrl");
}

TEST(FileFilter, ConvertsForQtWithBlankSeparatedPatternsInTheName) {
    EXPECT_EQ(qtFileFilter(buildFileFilter("bvr;wrl", "bvr")), "Binary VR File (*.bvr);;VRML File (*.wrl)");
    EXPECT_EQ(qtFileFilter("Images (*.bmp;*.jpg)|*.bmp;*.jpg||"), "Images (*.bmp *.jpg)");
    EXPECT_EQ(qtFileFilter("Anything|*.*||"), "Anything (*.*)");
}

}  // namespace
}  // namespace kinemo
