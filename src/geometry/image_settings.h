#pragma once
// The settings the image code reads once, at the first image made, and the state of the scene
// file being read that decides how names are resolved and pixel words are ordered.
#include <cstdint>
#include <string>

namespace kinemo {

struct ImageSettings {
    std::int32_t reportLevel = 9;  // ImageReportLevel
    // ChangeImageImageByteOrder and ChangeTextureImageByteOrder name the same switch; either one
    // set to false turns the exchange of red and blue in PixelTexture words off.
    bool changeImageByteOrder = true;
    bool changeTextureByteOrder = true;
    // The outside program that turns other image formats into JPEG; started as
    // "<program> <source>[0] jpg:<target>".
    std::string converterProgram = "convert";

    bool swapPixelTextureBytes() const { return changeImageByteOrder && changeTextureByteOrder; }
};

// Read from the definitions file at the first call; tests may change the fields.
ImageSettings& imageSettings();
// The settings as the definitions file gives them now.
ImageSettings readImageSettings();

// Filled by the scene reader for the file it reads.
struct ImageReadContext {
    // Directory of the scene file, with a trailing separator; names that are not absolute are
    // taken relative to it.
    std::string documentDirectory;
    // True when the scene file carries no writer version: its PixelTexture words come from
    // another program and hold red in their high byte.
    bool fileFromOtherProgram = true;
};

ImageReadContext& imageReadContext();

}  // namespace kinemo
