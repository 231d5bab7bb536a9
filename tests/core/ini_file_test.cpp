#include "core/ini_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "core/definitions.h"
#include "test_folder.h"

namespace kinemo {
namespace {

using testing::readText;
using testing::TestFolder;

std::string valueOf(const CIniFile& file, std::string_view section, std::string_view name) {
    return file.getValue(section, name).value_or("<missing>");
}

TEST(IniFileReader, PutsEntriesBeforeTheFirstHeaderIntoTheUnnamedSection) {
    CIniFile file;
    file.readFromMemory("a=1\n[Definitions]\nb=2\n");
    EXPECT_EQ(valueOf(file, "", "a"), "1");
    EXPECT_EQ(valueOf(file, "Definitions", "b"), "2");
    EXPECT_FALSE(file.getValue("Definitions", "a"));
}

TEST(IniFileReader, ReadsDoubledBracketsAsTheInnerName) {
    CIniFile file;
    file.readFromMemory("[[Definitions]]\nkey=v\n");
    EXPECT_EQ(file.findKey("Definitions"), 0);
    EXPECT_EQ(valueOf(file, "Definitions", "key"), "v");
}

TEST(IniFileReader, KeepsBlanksInsideSectionNames) {
    CIniFile file;
    file.readFromMemory("[My Section]\nk=v\n");
    EXPECT_EQ(valueOf(file, "My Section", "k"), "v");
}

TEST(IniFileReader, TrimsBlanksAroundNameAndValueButKeepsThemInside) {
    CIniFile file;
    file.readFromMemory("[S]\n  long name \t=   a value  with blanks   \n");
    EXPECT_EQ(valueOf(file, "S", "long name"), "a value  with blanks");
}

TEST(IniFileReader, IgnoresLinesWithoutEqualsSignAndLinesStartingWithOne) {
    CIniFile file;
    file.readFromMemory("[S]\njust words\n=value\n  = value\nk=v\n");
    EXPECT_EQ(file.valueCount(0), 1);
    EXPECT_EQ(file.valueName(0, 0), "k");
}

TEST(IniFileReader, TakesANameStartingWithHashAsAKey) {
    CIniFile file;
    file.readFromMemory("[S]\n#comment=yes\n");
    EXPECT_EQ(valueOf(file, "S", "#comment"), "yes");
}

TEST(IniFileReader, SplitsAtTheFirstEqualsSign) {
    CIniFile file;
    file.readFromMemory("[S]\ncmd=a=b=c\n");
    EXPECT_EQ(valueOf(file, "S", "cmd"), "a=b=c");
}

TEST(IniFileReader, KeepsTheSecondValueOfARepeatedNameAtTheFirstPosition) {
    CIniFile file;
    file.readFromMemory("[S]\nx=1\ny=2\nx=3\n");
    ASSERT_EQ(file.valueCount(0), 2);
    EXPECT_EQ(file.valueName(0, 0), "x");
    EXPECT_EQ(file.valueAt(0, 0), "3");
    EXPECT_EQ(file.valueName(0, 1), "y");
}

TEST(IniFileReader, ComparesNamesCaseSensitively) {
    CIniFile file;
    file.readFromMemory("[S]\nKey=1\nkey=2\n");
    EXPECT_EQ(valueOf(file, "S", "Key"), "1");
    EXPECT_EQ(valueOf(file, "S", "key"), "2");
    EXPECT_EQ(file.findKey("s"), -1);
}

TEST(IniFileReader, RemovesCarriageReturnLineFeedEndings) {
    CIniFile file;
    file.readFromMemory("[S]\r\nk=v\r\nlast=end\r");
    EXPECT_EQ(valueOf(file, "S", "k"), "v");
    EXPECT_EQ(valueOf(file, "S", "last"), "end");
}

TEST(IniFileReader, ReadsAPhysicalLineOf3000CharactersAsTwoLines) {
    std::string first = "a=" + std::string(2045, 'x');  // exactly one piece of 2047 characters
    std::string second = "b=" + std::string(951, 'y');
    ASSERT_EQ(first.size() + second.size(), 3000u);
    CIniFile file;
    file.readFromMemory("[S]\n" + first + second + "\nc=3\n");
    EXPECT_EQ(valueOf(file, "S", "a"), std::string(2045, 'x'));
    EXPECT_EQ(valueOf(file, "S", "b"), std::string(951, 'y'));
    EXPECT_EQ(valueOf(file, "S", "c"), "3");
}

TEST(IniFileReader, TakesTheRestOfAnOverlongLineWithoutEqualsSignAsAComment) {
    CIniFile file;
    file.readFromMemory("[S]\nk=" + std::string(2045, 'v') + std::string(500, 'w') + "\nnext=1\n");
    EXPECT_EQ(valueOf(file, "S", "k"), std::string(2045, 'v'));
    EXPECT_EQ(file.valueCount(0), 2);
}

TEST(IniFileReader, SurvivesEmptyPiecesZeroBytesAndBareLineBreaks) {
    const char raw[] = "\n\r\n\r\0\n\0=x\n[S]\nk=v\0ignored\n\n\0";
    CIniFile file;
    file.readFromMemory(std::string_view(raw, sizeof raw - 1));
    EXPECT_EQ(valueOf(file, "S", "k"), "v");
    EXPECT_EQ(file.sectionCount(), 1);
    EXPECT_EQ(file.valueCount(0), 1);
}

TEST(IniFileReader, ReadsALineBreakSplitAcrossTwoPieces) {
    // The carriage return ends the first piece, its line feed starts the second.
    std::string line = "k=" + std::string(2044, 'z') + "\r\n";
    CIniFile file;
    file.readFromMemory(line + "n=1\n");
    EXPECT_EQ(valueOf(file, "", "k"), std::string(2044, 'z'));
    EXPECT_EQ(valueOf(file, "", "n"), "1");
}

TEST(IniFileReader, TreatsAnEmptyHeaderAsTheUnnamedSection) {
    CIniFile file;
    file.readFromMemory("[S]\na=1\n[]\nb=2\n[\nc=3\n");
    EXPECT_EQ(valueOf(file, "", "b"), "2");
    EXPECT_EQ(valueOf(file, "", "c"), "3");  // "[" alone is no header and carries no "="
}

TEST(IniFileReader, MergesARereadFileIntoTheTable) {
    TestFolder folder;
    CIniFile file(folder.write("p.txt", "[S]\nb=3\nc=4\n"));
    file.setValue("S", "a", "1", true);
    file.setValue("S", "b", "2", true);
    ASSERT_TRUE(file.readFile());
    ASSERT_EQ(file.valueCount(0), 3);
    EXPECT_EQ(file.valueName(0, 0), "a");
    EXPECT_EQ(file.valueAt(0, 0), "1");
    EXPECT_EQ(file.valueAt(0, 1), "3");
    EXPECT_EQ(file.valueName(0, 2), "c");
}

TEST(IniFileReader, LeavesTheTableUnchangedWhenTheFileIsMissing) {
    CIniFile file("/nonexistent-folder/settings.txt");
    file.setValue("S", "a", "1", true);
    EXPECT_FALSE(file.readFile());
    EXPECT_EQ(file.error(), "Unable to open ini file.");
    EXPECT_EQ(valueOf(file, "S", "a"), "1");
}

TEST(IniFileReader, RefusesAFolderAndAPipe) {
    TestFolder folder;
    CIniFile dir(folder.path());
    EXPECT_FALSE(dir.readFile());
    std::string fifo = folder.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CIniFile pipe(fifo);
    EXPECT_FALSE(pipe.readFile());  // must not block waiting for a writer
}

TEST(IniFileTable, SetValueWithoutCreateChangesOnlyWhatExists) {
    CIniFile file;
    EXPECT_FALSE(file.setValue("S", "k", "v", false));
    EXPECT_EQ(file.sectionCount(), 0);
    EXPECT_TRUE(file.setValue("S", "k", "v", true));
    EXPECT_FALSE(file.setValue("S", "other", "v", false));
    EXPECT_TRUE(file.setValue("S", "k", "w", false));
    EXPECT_EQ(valueOf(file, "S", "k"), "w");
    EXPECT_EQ(file.findValue(0, "k"), 0);
    EXPECT_EQ(file.findValue(0, "other"), -1);
    EXPECT_EQ(file.findValue(5, "k"), -1);
}

TEST(IniFileWriter, WritesSectionsInOrderAndLeavesOutEmptyOnes) {
    CIniFile file;
    file.readFromMemory("[Empty]\n[B]\ny = 2\n[A]\nx=1\nz=a b\n");
    EXPECT_EQ(file.findKey("Empty"), 0);
    EXPECT_EQ(file.toText(), "[B]\ny=2\n\n[A]\nx=1\nz=a b\n\n");
}

TEST(IniFileWriter, RoundTripsThroughAFile) {
    TestFolder folder;
    CIniFile file(folder.file("out.txt"));
    file.readFromMemory("lead=0\n[Definitions]\nA=1\nB= two words \n[Other]\nC=3\n");
    ASSERT_TRUE(file.writeFile());
    EXPECT_EQ(file.error(), "");
    CIniFile back(folder.file("out.txt"));
    ASSERT_TRUE(back.readFile());
    EXPECT_EQ(back.toText(), file.toText());
    EXPECT_EQ(readText(folder.file("out.txt")), "[]\nlead=0\n\n[Definitions]\nA=1\nB=two words\n\n[Other]\nC=3\n\n");
}

TEST(IniFileWriter, LeavesNoTemporaryFileBehind) {
    TestFolder folder;
    folder.write("out.txt", "old");
    CIniFile file(folder.file("out.txt"));
    file.setValue("S", "k", "v", true);
    ASSERT_TRUE(file.writeFile());
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        (void)entry;
        ++count;
    }
    EXPECT_EQ(count, 1);
    EXPECT_EQ(readText(folder.file("out.txt")), "[S]\nk=v\n\n");
}

TEST(IniFileWriter, ReportsAFolderThatDoesNotExist) {
    CIniFile file("/nonexistent-folder/out.txt");
    file.setValue("S", "k", "v", true);
    EXPECT_FALSE(file.writeFile());
    EXPECT_EQ(file.error(), "Unable to open ini file for write.");
}

TEST(IniFileWriter, KeepsALinkAndReplacesTheFileItPointsTo) {
    TestFolder folder;
    folder.write("real.txt", "old");
    std::filesystem::create_symlink(folder.file("real.txt"), folder.file("link.txt"));
    CIniFile file(folder.file("link.txt"));
    file.setValue("S", "k", "v", true);
    ASSERT_TRUE(file.writeFile());
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("link.txt")));
    EXPECT_EQ(readText(folder.file("real.txt")), "[S]\nk=v\n\n");
}

TEST(IniFileWriter, LeavesTheOldFileIntactWhenTheDiskIsFull) {
    TestFolder folder;
    folder.write("prefs.txt", "[S]\nold=1\n\n");
    // A child process with a tiny file size limit stands in for a full disk.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            64, 64
        };
        setrlimit(RLIMIT_FSIZE, &limit);
        CIniFile file(folder.file("prefs.txt"));
        file.setValue("S", "big", std::string(10000, 'b'), true);
        bool written = file.writeFile();
        _exit(!written && file.error() == "Unable to open ini file for write." ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readText(folder.file("prefs.txt")), "[S]\nold=1\n\n");
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        (void)entry;
        ++count;
    }
    EXPECT_EQ(count, 1);
}

}  // namespace
}  // namespace kinemo
