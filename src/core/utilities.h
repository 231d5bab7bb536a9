#pragma once
// Small shared helpers: durations as text, whole files into memory, the run clock and the
// system's last error.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kinemo {

// "1h 0min  0sec", "1min 15.5sec", "0.00sec". Negative durations get a leading "-"; NaN and
// infinities give printf's text for them ("nansec", "infsec").
std::string formatDuration(double seconds);

// A file's bytes followed by one zero byte (not counted in size).
struct FileBuffer {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;

    explicit operator bool() const { return data != nullptr; }
    const char* get() const { return data.get(); }
    std::string_view view() const { return {data.get(), size}; }
};

// Reads the whole file. Empty (null data) when the file cannot be opened, is not a regular file,
// is empty, or does not fit into memory.
FileBuffer readWholeFile(std::string_view path);
// The same with the caller taking the buffer; size is set to 0 on failure.
std::unique_ptr<char[]> readWholeFile(std::string_view path, std::size_t& size);

enum class ReadResult { Ok, CannotOpen, NotRegular, ReadError };
// Reads a regular file into text (an empty file gives Ok and empty text). text is left
// unchanged on failure.
ReadResult readFileText(std::string_view path, std::string& text);

// Replaces the file's content with bytes: they go to a new file in the same folder, which takes
// the old one's place only when every write and the close succeeded; on failure the old file is
// left as it was and false is returned (errno tells why). A path that is a symbolic link keeps
// the link and replaces the file it points to.
bool writeWholeFile(std::string_view path, std::string_view bytes);

// Seconds of wall time since the first call, in whole milliseconds.
double secondsSinceStart();

// "code: %d, text: %s" with errno and its system message, line breaks removed.
std::string lastErrorText();
std::string lastErrorText(int code);

}  // namespace kinemo
