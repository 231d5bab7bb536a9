#pragma once
// What the container tests share: text placed in read-only memory that ends right at an
// inaccessible page, so that a reader that writes into the text or reads past its end crashes at
// once, and a capture of the message boxes and the log.
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/headless_platform.h"
#include "core/messages.h"
#include "core/platform.h"

namespace kinemo::testing {

class GuardedText {
public:
    explicit GuardedText(std::string_view bytes) {
        std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        std::size_t dataPages = (bytes.size() + page - 1) / page + 1;
        size_ = (dataPages + 1) * page;
        void* p = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        base_ = static_cast<char*>(p);
        char* guard = base_ + dataPages * page;
        begin_ = guard - bytes.size();
        std::memcpy(begin_, bytes.data(), bytes.size());
        ::mprotect(base_, dataPages * page, PROT_READ);
        ::mprotect(guard, page, PROT_NONE);
        end_ = guard;
    }
    ~GuardedText() { ::munmap(base_, size_); }
    GuardedText(const GuardedText&) = delete;
    GuardedText& operator=(const GuardedText&) = delete;

    const char* begin() const { return begin_; }
    const char* end() const { return end_; }
    std::size_t offsetOf(const char* p) const { return static_cast<std::size_t>(p - begin_); }

private:
    char* base_ = nullptr;
    std::size_t size_ = 0;
    char* begin_ = nullptr;
    char* end_ = nullptr;
};

class MessageCapture {
public:
    MessageCapture() {
        setPlatform(&platform_);
        // CTest runs the cases side by side: each process keeps a log of its own.
        openLogFile("kinemo_containers_test_log_" + std::to_string(::getpid()) + ".txt");
    }
    ~MessageCapture() {
        closeLogFile();
        setPlatform(nullptr);
    }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::vector<std::string> boxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : platform_.messageBoxes()) texts.push_back(box.text);
        return texts;
    }
    std::vector<std::string> boxCaptions() const {
        std::vector<std::string> captions;
        for (const auto& box : platform_.messageBoxes()) captions.push_back(box.caption);
        return captions;
    }
    std::string log() const {
        std::ifstream in(logFilePath(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    HeadlessPlatform platform_;
};

}  // namespace kinemo::testing
