#include "core/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/errors.h"
#include "core/headless_platform.h"
#include "core/messages.h"
#include "test_folder.h"

namespace kinemo {
namespace {

using testing::CurrentDirectoryScope;
using testing::EnvironmentScope;
using testing::TestFolder;

TEST(PathHelpers, SplitAtEitherSeparator) {
    EXPECT_EQ(directoryOf("C:\\guides\\pump.bvr"), "C:\\guides\\");
    EXPECT_EQ(directoryOf("/home/a/pump.bvr"), "/home/a/");
    EXPECT_EQ(directoryOf("models\\sub/pump.wrl"), "models\\sub/");
    EXPECT_EQ(fileNameOf("C:\\guides\\pump.bvr"), "pump.bvr");
    EXPECT_EQ(fileNameOf("a/b\\c.wrl"), "c.wrl");
    EXPECT_EQ(fileNameOf("plain.wrl"), "plain.wrl");
    EXPECT_EQ(fileNameOf("folder/"), "");
}

TEST(PathHelpers, LookForTheExtensionOnlyInTheFileName) {
    EXPECT_EQ(withoutExtension("/home/a/pump.v2.bvr"), "/home/a/pump.v2");
    EXPECT_EQ(withoutExtension("/home/a.b/pump"), "/home/a.b/pump");
    EXPECT_EQ(withoutExtension("C:\\x.y\\pump"), "C:\\x.y\\pump");
    EXPECT_EQ(extensionOf("/home/a/pump.bvr"), "BVR");
    EXPECT_EQ(extensionOf("C:\\x.y\\Logo.Jpg"), "JPG");
    EXPECT_EQ(extensionOf("/home/a.b/pump"), "/home/a.b/pump");
    EXPECT_EQ(extensionOf("name."), "");
}

TEST(PathHelpers, EnsureOneTrailingSeparator) {
    EXPECT_EQ(ensureTrailingBackslash(""), "/");
    EXPECT_EQ(ensureTrailingBackslash("C:\\temp\\"), "C:\\temp\\");
    EXPECT_EQ(ensureTrailingBackslash("/tmp/"), "/tmp/");
    EXPECT_EQ(ensureTrailingBackslash("/tmp"), "/tmp/");
}

TEST(PathHelpers, DirectoryOfAPathWithoutSeparatorIsReportedAndAbandoned) {
    HeadlessPlatform platform;
    setPlatform(&platform);
    resetMessageService();
    try {
        directoryOf("pump.bvr");
        ADD_FAILURE() << "no exception";
    } catch (const OperationAbandoned& e) {
        EXPECT_STREQ(e.what(), "Cannot proceed");
    }
    auto boxes = platform.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not find any backslash in pump.bvr");
    EXPECT_EQ(boxes[0].caption, "Error");
    setPlatform(nullptr);
}

TEST(PathHelpers, MakeRelativePathsAbsoluteInTheCurrentDirectory) {
    TestFolder folder;
    CurrentDirectoryScope cwd(folder.path());
    EXPECT_EQ(absolutePath("Preferences.txt"), folder.path() + "/Preferences.txt");
    EXPECT_EQ(absolutePath("/etc/x"), "/etc/x");
}

TEST(PrivateTemporaryFolder, IsMadeClosedToOthersUnderTmpdir) {
    TestFolder folder;
    EnvironmentScope tmp("TMPDIR", folder.path() + "/");
    std::string expected = folder.path() + "/kinemo-" + std::to_string(getuid());
    EXPECT_EQ(privateTemporaryDirectory(), expected);
    EXPECT_EQ(temporaryDirectory(), expected + "/");
    struct stat st {};
    ASSERT_EQ(lstat(expected.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(PrivateTemporaryFolder, ClosesAFolderLeftOpenToOthers) {
    TestFolder folder;
    EnvironmentScope tmp("TMPDIR", folder.path());
    std::string dir = folder.path() + "/kinemo-" + std::to_string(getuid());
    ASSERT_EQ(mkdir(dir.c_str(), 0777), 0);
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
    EXPECT_EQ(privateTemporaryDirectory(), dir);
    struct stat st {};
    ASSERT_EQ(lstat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(PrivateTemporaryFolder, RefusesALinkOrAFileInItsPlace) {
    TestFolder folder;
    TestFolder other;
    EnvironmentScope tmp("TMPDIR", folder.path());
    std::string dir = folder.path() + "/kinemo-" + std::to_string(getuid());
    std::filesystem::create_directory_symlink(other.path(), dir);
    EXPECT_EQ(privateTemporaryDirectory(), "");
    std::filesystem::remove(dir);
    folder.write("kinemo-" + std::to_string(getuid()), "a file");
    EXPECT_EQ(temporaryDirectory(), "");
}

TEST(PrivateTemporaryFolder, RefusesAFolderOwnedBySomeoneElse) {
    if (getuid() != 0) GTEST_SKIP() << "needs root to give a folder away";
    TestFolder folder;
    EnvironmentScope tmp("TMPDIR", folder.path());
    std::string dir = folder.path() + "/kinemo-" + std::to_string(getuid());
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    ASSERT_EQ(chown(dir.c_str(), 12345, 12345), 0);
    EXPECT_EQ(privateTemporaryDirectory(), "");
}

TEST(PrivateTemporaryFolder, UsesTmpWhenTmpdirIsUnsetOrRelative) {
    EnvironmentScope tmp("TMPDIR", "relative/path");
    EXPECT_EQ(privateTemporaryDirectory(), "/tmp/kinemo-" + std::to_string(getuid()));
}

}  // namespace
}  // namespace kinemo
