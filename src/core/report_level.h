#pragma once
// Per-class report levels: how much diagnostic detail a class writes to the log. Each class owns
// one static ReportLevel, read from the definitions file when the first instance is constructed:
//
//     class Scene : public BasicObject { static ReportLevel reportLevel; ... };
//     ReportLevel Scene::reportLevel{"SceneReportLevel"};
//     Scene::Scene() { if (reportLevel.readOnce()) { /* read the class's other keys */ } }
//     ... if (reportLevel.reaches(3)) logLine("Scene.readFromFile ...");
#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kinemo {

struct ReportLevelDefault {
    std::string_view key;
    int level;
};

// The report-level keys of the program with their defaults.
inline constexpr std::array<ReportLevelDefault, 22> kReportLevelDefaults{{
    {"ActionLoggerReportLevel", 3},      {"AnimationGroupReportLevel", 1},
    {"AnimationGroupRefReportLevel", 1}, {"FaceObjectReportLevel", 1},
    {"FaceShapeCouplerReportLevel", 1},  {"GroupNodeReportLevel", 4},
    {"GroupNodeStatisticLevel", 2},      {"ImageReportLevel", 9},
    {"MainFrameReportLevel", 9},         {"MoveAnimationObjectReportLevel", 1},
    {"PolygonReducerReportLevel", 3},    {"RenderContextReportLevel", 0},
    {"RendererReportLevel", 3},          {"SceneReportLevel", 9},
    {"ShapeBasicsReportLevel", 1},       {"ShapeNodeReportLevel", 1},
    {"ShapeSettingsReportLevel", 1},     {"TextAnimationAtomReportLevel", 2},
    {"TextureReportLevel", 9},           {"V_EventAnimationReportLevel", 13},
    {"ViewPointReportLevel", 0},         {"WordExportReportLevel", 0},
}};

// The default for key from kReportLevelDefaults; 0 for a key not listed there.
int defaultReportLevel(std::string_view key);

class ReportLevel {
public:
    // key is the full settings key, e.g. "SceneReportLevel" or "GroupNodeStatisticLevel".
    ReportLevel(std::string_view key, int defaultLevel);
    // The default comes from kReportLevelDefaults.
    explicit ReportLevel(std::string_view key);
    ~ReportLevel();
    ReportLevel(const ReportLevel&) = delete;
    ReportLevel& operator=(const ReportLevel&) = delete;

    // Reads the level with getDefinitionLong when it is still -1 ("not read"); true when it read
    // it now, so that the caller can read its other settings at the same moment.
    bool readOnce();
    // -1 until read.
    int level() const { return level_.load(std::memory_order_relaxed); }
    // Whether a line of detail grade grade is to be written.
    bool reaches(int grade) const { return level() >= grade; }
    // Back to "not read", so that the next readOnce reads again (tests, a reloaded definitions file).
    void forget() { level_.store(-1, std::memory_order_relaxed); }

    const std::string& key() const { return key_; }
    int defaultLevel() const { return default_; }

private:
    std::string key_;
    int default_;
    std::atomic<int> level_{-1};
    std::mutex readMutex_;
};

// Every ReportLevel alive, in order of construction.
std::vector<ReportLevel*> reportLevels();
void forgetAllReportLevels();

}  // namespace kinemo
