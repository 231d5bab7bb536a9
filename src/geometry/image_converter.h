#pragma once
// Image formats the program cannot decode itself are turned into JPEG by an outside program.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kinemo {

// True for the extensions (upper case, as extensionOf gives them) that go through the converter.
bool needsConversion(std::string_view extension);

// The name the converted file gets: the image name with its last three characters replaced by
// "jpg" ("photo.tiff" gives "photo.tjpg"). Only the file name part is used, inside a private folder.
std::string convertedFileName(std::string_view imageName);

// Runs the converter (imageSettings().converterProgram) on sourcePath with an argument vector,
// writing into a fresh private folder in the temporary directory that is removed afterwards;
// nothing is written next to the source. On success jpeg holds the converted file's bytes.
// Failures are reported with imageName.
bool convertToJpeg(const std::string& sourcePath, std::string_view imageName, std::vector<std::uint8_t>& jpeg);

}  // namespace kinemo
