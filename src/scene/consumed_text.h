#pragma once
// While the outermost scene text is read, its pages that lie well behind the reader go back to
// the system. Every node copies what it keeps out of the text and no reader looks back more than
// a few bytes, so a file of hundreds of MB need not be held whole until its last node is read:
// the peak of a load is then the tree plus the part of the text still ahead.
#include <cstddef>

namespace kinemo {

class ConsumedTextRelease {
public:
    // Makes [begin, end) the text whose read part may be released, while the object lives. Only
    // the first of nested scopes (the file, not its Inline texts) is active.
    ConsumedTextRelease(char* begin, char* end);
    ~ConsumedTextRelease();
    ConsumedTextRelease(const ConsumedTextRelease&) = delete;
    ConsumedTextRelease& operator=(const ConsumedTextRelease&) = delete;

    // Reading has moved past p for good: the whole pages before p, less a safety margin, are
    // released once at least the step has gathered. A p outside the active text is ignored.
    static void releaseBefore(const char* p);

    // The status line tells how far reading has come through a large text ("Loading... 40%"),
    // in steps of a tenth.
    static void reportProgress(const char* p);

    // Bytes released in the active scope, or by the last one.
    static std::size_t releasedBytes();
    // How much must gather before pages are released (default 1 MiB; 0: at every call), and how far
    // behind the reader they must lie (default 64 KiB).
    static void setLimits(std::size_t step, std::size_t margin);

private:
    bool active_ = false;
};

}  // namespace kinemo
