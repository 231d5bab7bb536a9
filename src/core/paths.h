#pragma once
// Path splitting that accepts both "/" and "\" (paths read from files written on Windows keep
// their backslashes), and the program's private folder in the temporary directory.
#include <string>
#include <string_view>

namespace kinemo {

bool isPathSeparator(char c);

// "" becomes "/"; a path ending in "/" or "\" is returned unchanged; otherwise "/" is appended.
std::string ensureTrailingBackslash(std::string_view path);
// The text up to and including the last separator. A path without one is reported
// ("Could not find any backslash in " + path, level 3) and OperationAbandoned("Cannot proceed") is thrown.
std::string directoryOf(std::string_view path);
// The text after the last separator (the whole path when there is none).
std::string fileNameOf(std::string_view path);
// The text before the last "." of the file name (the whole path when the file name has none).
std::string withoutExtension(std::string_view path);
// The text after the last "." of the file name in upper case (the whole path, unconverted, when
// the file name has none).
std::string extensionOf(std::string_view path);

// The current directory, without trailing separator; "" when it cannot be found (deleted).
std::string currentDirectory();
// path when it is absolute, else the current directory + "/" + path.
std::string absolutePath(std::string_view path);

// The per-user private folder for files with fixed names: "$TMPDIR/kinemo-<uid>" (or under /tmp),
// created with mode 0700 and checked to be a real directory owned by this user and closed to
// others. "" when no such folder can be had.
std::string privateTemporaryDirectory();
// privateTemporaryDirectory() with a trailing "/", or "" when there is none.
std::string temporaryDirectory();

}  // namespace kinemo
