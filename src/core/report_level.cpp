#include "core/report_level.h"

#include <algorithm>

#include "core/definitions.h"

namespace kinemo {
namespace {

struct Registry {
    std::mutex mutex;
    std::vector<ReportLevel*> levels;
};

// Static ReportLevel objects of other files register during static initialisation.
Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}

}  // namespace

int defaultReportLevel(std::string_view key) {
    for (const auto& entry : kReportLevelDefaults) {
        if (entry.key == key) return entry.level;
    }
    return 0;
}

ReportLevel::ReportLevel(std::string_view key, int defaultLevel) : key_(key), default_(defaultLevel) {
    std::lock_guard lock(registry().mutex);
    registry().levels.push_back(this);
}

ReportLevel::ReportLevel(std::string_view key) : ReportLevel(key, defaultReportLevel(key)) {}

ReportLevel::~ReportLevel() {
    std::lock_guard lock(registry().mutex);
    auto& levels = registry().levels;
    levels.erase(std::remove(levels.begin(), levels.end(), this), levels.end());
}

bool ReportLevel::readOnce() {
    if (level() != -1) return false;
    std::lock_guard lock(readMutex_);
    if (level() != -1) return false;
    level_.store(getDefinitionLong(key_, default_), std::memory_order_relaxed);
    return true;
}

std::vector<ReportLevel*> reportLevels() {
    std::lock_guard lock(registry().mutex);
    return registry().levels;
}

void forgetAllReportLevels() {
    std::lock_guard lock(registry().mutex);
    for (ReportLevel* level : registry().levels) level->forget();
}

}  // namespace kinemo
