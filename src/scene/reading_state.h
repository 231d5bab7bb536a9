#pragma once
// What every reader of scene text needs to know about the read in progress: the version and the
// source of the file, whether it is our own format, import scaling, and the Inline files being read.
// One read at a time; the state is reset at the start of every read.
#include <string>
#include <vector>

namespace kinemo {

enum class SourceType { Vrml2, Vrml1, Unknown };
enum class CadSource { None, Inventor, Solidworks };

// "Vrml 2", "Vrml 1", "Unknown source".
const char* sourceTypeName(SourceType type);

struct ReadingState {
    float fileVersion = -1.0f;  // -1 until a product header line was read
    SourceType source = SourceType::Unknown;
    CadSource cadSource = CadSource::None;
    bool ownFormat = false;  // reading a "#KINEMML" document, binary or late-loaded content
    bool writingBinary = false;
    int readDepth = 0;  // Inline files are read inside a read
    long emptyFaces = 0;
    long recoverableSyntaxErrors = 0;
    bool importScaling = false;  // on exactly when importScaleFactor is not 1 and no header switched it off
    double importScaleFactor = 1.0;
    std::string documentDirectory;         // where relative Inline names are looked up, with a trailing "/"
    std::vector<std::string> inlineStack;  // the files being read, outermost first
    long clonedNodes = 0;                  // nodes created by USE during this read
    long inlineBytes = 0;                  // bytes of the Inline files read during this read
    bool cloneLimitReported = false;
    bool treeLevelReported = false;  // a group past MaxTreeLevel was reported in this read
    // The text being read, when a reader knows it: nested readers take its end instead of measuring.
    const char* textBegin = nullptr;
    const char* textEnd = nullptr;

    bool isVrml1() const { return source == SourceType::Vrml1; }
    // Applies the import scale when it is on.
    double scaled(double value) const { return importScaling ? value * importScaleFactor : value; }
};

ReadingState& readingState();

// Tells the readers the extent of the text they work on while the object lives.
class TextRangeScope {
public:
    TextRangeScope(const char* begin, const char* end);
    ~TextRangeScope();
    TextRangeScope(const TextRangeScope&) = delete;
    TextRangeScope& operator=(const TextRangeScope&) = delete;

private:
    const char* savedBegin_;
    const char* savedEnd_;
};

// Resets the state for a new outermost read; import scaling follows the settings' factor.
void resetReadingState();
// A "#Kinemo" or "#Orvandel" header with this version was read: files of our own never get scaled.
void setFileVersion(float version);

}  // namespace kinemo

namespace kinemo {
// Reads the VRML version after "#VRML": "V2.0 utf8" gives "Vrml 2", "V1.0 ascii" "Vrml 1"; any
// other text reports "Unknown VRML type" and leaves the source unknown.
void detectVrmlVersion(const char* text, const char* end);
}  // namespace kinemo
