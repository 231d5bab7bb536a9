#include "geometry/binary_io.h"

#include <atomic>

#include "core/messages.h"

namespace kinemo {

namespace {
std::atomic<bool> gBinaryWriteMode{false};
}

bool binaryWriteMode() { return gBinaryWriteMode.load(std::memory_order_relaxed); }
void setBinaryWriteMode(bool on) { gBinaryWriteMode.store(on, std::memory_order_relaxed); }

void reportCorruptBlock(const char* what) {
    logLine(std::string("Binary block refused: ") + what);
    reportMessage("File is corrupt", 3, true);
}

}  // namespace kinemo
