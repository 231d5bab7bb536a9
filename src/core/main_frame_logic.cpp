#include "core/main_frame_logic.h"

#include <unistd.h>

#include "core/definitions.h"
#include "core/file_filter.h"
#include "core/file_type.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/paths.h"

namespace kinemo {

namespace {

constexpr std::string_view kReadableTypes = "bvr;ros;wrl;iv";
constexpr std::string_view kWritableTypes = "bvr;ros;wrl;iv";
constexpr std::string_view kPackTypes = "exe;bvr;ros";

}  // namespace

std::string documentFromCommandLine(std::string_view argumentText) {
    std::string path(argumentText);
    if (path.size() > 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
    if (path.empty()) return path;
    return absolutePath(path);
}

std::string programDirectoryFrom(std::string_view executablePath) {
    if (executablePath.find('/') != std::string_view::npos) return directoryOf(absolutePath(executablePath));
    return ensureTrailingBackslash(currentDirectory());
}

std::string composeTitle(std::string_view documentPath, const std::optional<std::string>& chapterTitle) {
    std::string title(kProductTitle);
    if (!documentPath.empty()) title += " - " + withoutExtension(documentPath);
    if (chapterTitle) title += ": " + *chapterTitle;
    return title;
}

std::string imageSequenceMenuLabel(bool recording) {
    return std::string(recording ? "Stop Write " : "Start Write ") + "Video";
}

std::string chapterWindowMenuLabel(bool integrated) {
    return integrated ? "Show Chapters in Separated Window" : "Show Chapters in Integrated Window";
}

std::optional<float> valueFromText(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    double value = 0.0;
    if (parseDoublePrefix(text, value) == 0) return std::nullopt;
    return float(value);
}

void rememberPreference(std::string_view key, float value) {
    preferencesFile().setFloat(key, value);
    if (!preferencesFile().path().empty() && !preferencesFile().writeFile())
        logLine("CMainFrame: cannot write the preferences file " + preferencesFile().path());
}

MainFrameLogic::MainFrameLogic(AppServices& services, Platform* platform) : services_(services), platform_(platform) {}

Platform& MainFrameLogic::platform() { return platform_ ? *platform_ : kinemo::platform(); }

void MainFrameLogic::takeCommandLine(std::string_view argumentText, std::string_view executablePath) {
    documentPath = documentFromCommandLine(argumentText);
    programDirectory = programDirectoryFrom(executablePath);
    logLine(formatC("Initial path: %s", programDirectory.c_str()));
}

bool MainFrameLogic::confirmDiscard() {
    if (!services_.hasScene() || !services_.hasUnsavedChanges()) return true;
    MessageBoxRequest ask{"Save changes to file?", std::string(kProductTitle), MessageIcon::Warning,
                          MessageButtons::YesNoCancel, MessageAnswer::Yes};
    switch (platform().showMessageBox(ask)) {
        case MessageAnswer::Yes:
            // Going on is safe only when the changes really reached a file.
            if (fileTypeOf(documentPath) == FileTypeRos) {
                platform().showMessageBox(
                    {"ReadOnlySimulation files (*.ros) cannot be read by Orvandel Builder anymore, use a different "
                     "format",
                     std::string(kBuilderTitle), MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok});
                return saveDocumentAs(false);
            }
            return saveDocument();
        case MessageAnswer::No:
            return true;
        default:
            return false;
    }
}

void MainFrameLogic::openDocumentWithDialog() {
    if (!confirmDiscard()) return;
    // The settings files keep the absolute paths they were given at start-up.
    if (!documentDirectory.empty() && ::chdir(documentDirectory.c_str()) != 0)
        logLine("CMainFrame.openDocument: cannot change to " + documentDirectory);
    FileDialogRequest request;
    request.mode = FileDialogMode::Open;
    request.title = "Select Input File";
    request.filter = buildFileFilter(kReadableTypes, getDefinitionString("DefaultInputFileType", "bvr"));
    request.defaultExtension = "wrl";
    request.initialDirectory = documentDirectory;
    auto chosen = platform().askFileName(request);
    if (!chosen || chosen->empty()) return;
    openDocument(*chosen);
}

bool MainFrameLogic::openDocument(const std::string& path) {
    const std::string previous = documentPath;
    documentPath = absolutePath(path);
    services_.prepareForRead();
    const bool read = services_.readDocument(documentPath);
    if (read) {
        documentDirectory = directoryOf(documentPath);
        services_.documentLoaded();
    } else {
        // A failed read may keep the previous scene: it must not be saved under the new name.
        documentPath = services_.hasScene() ? previous : std::string();
    }
    rebuildDynamicMenus();
    updateTitle();
    return read;
}

bool MainFrameLogic::saveDocument() {
    if (!services_.hasScene()) {
        reportMessage("No Scene Available", 3, true);
        return false;
    }
    // A document without a name can only be saved under a new one.
    if (documentPath.empty()) return saveDocumentAs(false);
    services_.checkViewpoints();
    if (!services_.writeDocument(documentPath, false)) return false;
    if (fileTypeOf(documentPath) != FileTypeRos) services_.markSaved();
    return true;
}

bool MainFrameLogic::saveDocumentAs(bool pack) {
    if (!services_.hasScene()) {
        reportMessage("No Scene Available", 3, true);
        return false;
    }
    services_.checkViewpoints();
    const std::string old = documentPath;
    const std::string preferred = pack ? std::string("exe") : getDefinitionString("DefaultOutputFileType", "bvr");
    FileDialogRequest request;
    request.mode = FileDialogMode::Save;
    request.title = "Select Output File";
    request.filter = buildFileFilter(pack ? kPackTypes : kWritableTypes, preferred);
    // A name typed without extension gets the preferred type (".wrl" would be refused).
    request.defaultExtension = preferred.empty() ? std::string("bvr") : preferred;
    request.initialDirectory = documentDirectory;
    request.initialFileName = old.empty() ? std::string() : withoutExtension(old);
    request.overwritePrompt = true;
    auto chosen = platform().askFileName(request);
    if (!chosen || chosen->empty()) return false;
    const std::string target = absolutePath(*chosen);
    const bool written = services_.writeDocument(target, pack);
    const FileType type = fileTypeOf(target);
    if (written && !pack && type != FileTypeRos && type != FileTypeU3d && type != FileTypePdf) {
        documentPath = target;
        services_.markSaved();
    } else {
        documentPath = old;
    }
    updateTitle();
    return written;
}

void MainFrameLogic::updateTitle() {
    std::optional<std::string> chapter;
    if (services_.chapterCount() > 0 && services_.hasCurrentChapter()) chapter = services_.currentChapterTitle();
    services_.showChapterCaption(chapter.value_or(std::string()), services_.currentChapterPosition());
    platform().setMainWindowTitle(composeTitle(documentPath, chapter));
}

namespace {

void fill(DynamicMenu& menu, const std::vector<MenuItem>& items, const std::function<void(int)>& choose) {
    menu.clearItems();
    for (int i = 0; i < int(items.size()); ++i) {
        const MenuItem& item = items[std::size_t(i)];
        if (item.separator)
            menu.appendSeparator();
        else
            menu.appendItem(
                item.label, [choose, i] { choose(i); }, item.checked);
    }
    menu.finishRebuild();
}

}  // namespace

void MainFrameLogic::rebuildChapterMenu() {
    fill(chapterMenu, services_.chapterMenuItems(), [this](int i) {
        services_.chooseChapterMenuItem(i);
        updateTitle();
    });
}

void MainFrameLogic::rebuildLanguageMenu() {
    fill(languageMenu, services_.languageMenuItems(), [this](int i) {
        services_.chooseLanguageMenuItem(i);
        rebuildDynamicMenus();
        updateTitle();
    });
}

void MainFrameLogic::rebuildViewpointMenu() {
    fill(viewpointMenu, services_.viewpointMenuItems(), [this](int i) { services_.chooseViewpointMenuItem(i); });
}

void MainFrameLogic::rebuildDynamicMenus() {
    rebuildLanguageMenu();
    rebuildChapterMenu();
    rebuildViewpointMenu();
}

bool MainFrameLogic::runMenuCommand(int commandId) {
    return dispatchDynamicMenus(commandId, {&languageMenu, &chapterMenu, &viewpointMenu});
}

}  // namespace kinemo
