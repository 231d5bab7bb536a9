#include "scene/pack_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/definitions.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/platform.h"
#include "core/run_command.h"
#include "core/utilities.h"
#include "scene/scene_report.h"

namespace kinemo {
namespace {

namespace fs = std::filesystem;

// The name of the desktop program that the unpacked script starts.
constexpr const char* kViewerProgram = "kinemo";

void replaceAll(std::string& s, std::string_view from, std::string_view to) {
    if (from.empty()) return;
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

// A word for the POSIX shell, in single quotes.
std::string shellQuoted(std::string_view s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    out += '\'';
    return out;
}

// The packer's arguments: the command split at blanks (a part in double quotes stays one
// argument), then the placeholders replaced inside each argument.
std::vector<std::string> packArguments(std::string_view command, const std::string& folder, const std::string& exe) {
    std::vector<std::string> args;
    std::string current;
    bool quoted = false, any = false;
    for (char c : command) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any) args.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any) args.push_back(current);
    for (std::string& a : args) {
        replaceAll(a, "PACKFOLDER", folder);
        replaceAll(a, "EXEFILE", exe);
    }
    return args;
}

// A fresh staging folder, removed with everything in it when it goes.
class StagingFolder {
public:
    StagingFolder() {
        std::string base = privateTemporaryDirectory();
        if (base.empty()) return;
        std::string pattern = base + "/pack-XXXXXX";
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~StagingFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

bool packFile(std::string_view path) {
    showStatus("Packing...");
    const std::string folder = getDefinitionString("PackFolder", "");
    const std::string exe = absolutePath(path);
    std::error_code ec;
    if (folder.empty()) {
        sceneReport("PackFolder is not set in Definitions.txt: nothing to pack", 3, true);
        return false;
    }
    if (!fs::is_directory(folder, ec)) {
        sceneReport("PackFolder is no folder: " + folder, 3, true);
        return false;
    }
    std::string base = withoutExtension(fileNameOf(exe));
    const std::string name = base + ".bvr";

    StagingFolder staging;
    if (staging.path().empty()) {
        sceneReport("Cannot create a folder for packing", 3, true);
        return false;
    }
    // The user's pack folder is only read: its content goes into the staging folder with the scene.
    fs::copy(folder, staging.path(), fs::copy_options::recursive | fs::copy_options::skip_symlinks, ec);
    if (!ec) fs::copy_file(exe, staging.path() + "/" + name, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        sceneReport("Cannot copy the files to pack: " + ec.message(), 3, true);
        return false;
    }
    const std::string commands = getDefinitionString("PackBatCommands", "");
    if (!commands.empty()) {
        std::string text = commands;
        replaceAll(text, "KINEMO_EXE", kViewerProgram);
        replaceAll(text, "FILE", shellQuoted(name));
        replaceAll(text, "<CR>", "\n");
        const std::string script = staging.path() + "/PackBatCommands.sh";
        if (!writeWholeFile(script, "#!/bin/sh\n" + text) || ::chmod(script.c_str(), 0755) != 0) {
            MessageBoxRequest box;
            box.text = "Could not create file:" + script;
            box.caption = "Brevalonix Kinemo Builder";
            box.icon = MessageIcon::Warning;
            platform().showMessageBox(box);
            return false;
        }
    }
    const std::string packCommand = getDefinitionString("PackCommand", "");
    const std::vector<std::string> argv = packArguments(packCommand, staging.path(), exe);
    int rc = argv.empty() ? runCommand(std::string_view(), "Selfextractor packing",
                                       "Please check the path of PackCommand in Definitions.txt")
                          : runCommand(argv, "Selfextractor packing", "Please check the path of PackCommand in Definitions.txt");
    if (rc != 0) return false;
    struct stat st{};
    if (::stat(exe.c_str(), &st) != 0 || st.st_size == 0) {
        sceneReport("The packer left no file at " + exe, 3, true);
        return false;
    }
    showStatus("OK");
    return true;
}

}  // namespace kinemo
