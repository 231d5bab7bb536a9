#pragma once
// Shared helpers of the scene file tests: a private folder, reports recorded, files as text.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "scene/scene_report.h"

namespace kinemo::testing {

inline std::string dataPath(const std::string& name) { return std::string(KINEMO_TEST_DATA) + "/scene_files/" + name; }

inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void putFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// A folder of its own, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kinemo-scene-files-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Records the scene code's reports while it lives.
class Reports {
public:
    Reports() {
        previous_ = setSceneReportListener([this](std::string_view text, int, bool isError, bool isLog) {
            if (!isLog) texts.emplace_back(text);
            if (!isLog && isError) ++errors;
        });
    }
    ~Reports() { setSceneReportListener(previous_); }
    bool contains(const std::string& part) const {
        for (const std::string& t : texts)
            if (t.find(part) != std::string::npos) return true;
        return false;
    }
    std::vector<std::string> texts;
    int errors = 0;

private:
    SceneReportListener previous_;
};

}  // namespace kinemo::testing
