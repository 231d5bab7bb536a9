// Feeds arbitrary bytes to the list readers and the binary block readers. The first byte picks the
// reader and its parameters; the rest is the text, copied into a buffer of exactly its size so that
// any read past the end is caught. A block that reads back must write and read back the same.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/messages.h"
#include "geometry/matrix.h"
#include "geometry/vector.h"

using namespace kinemo;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Reports go to a log file rather than flooding the terminal.
    openLogFile("fuzz_containers_log.txt");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const unsigned selector = data[0];
    std::vector<char> bytes(data + 1, data + size);
    const char* begin = bytes.data();
    const char* end = begin + bytes.size();
    const std::string before(begin, end);
    const int count = static_cast<int>((selector >> 3) & 7) - 1;
    switch (selector & 7) {
    case 0: {
        VectorF v;
        const char* p = v.readFromString(begin, end, count, count < 0 ? 4 : -1);
        if (p < begin || p > end) __builtin_trap();
        break;
    }
    case 1: {
        std::unique_ptr<VectorL> list;
        const char* p = VectorL::readFromString(begin, end, list);
        if (p < begin || p > end) __builtin_trap();
        if (list) {
            std::string text;
            list->writeText(text);
            std::unique_ptr<VectorL> again;
            VectorL::readFromString(text.data(), text.data() + text.size(), again);
            if (VectorL::compare(list.get(), again.get()) != 0) __builtin_trap();
        }
        break;
    }
    case 2: {
        VectorL v;
        const char* p = v.readTokens(begin, end, count, (selector & 0x40) != 0);
        if (p < begin || p > end) __builtin_trap();
        break;
    }
    case 3: {
        std::unique_ptr<MatrixF> m;
        const char* p = MatrixF::readFromString(begin, end, 1 + static_cast<int>((selector >> 3) & 3), m);
        if (p < begin || p > end) __builtin_trap();
        if (m) {
            std::string text;
            m->writeText(text, 3, (selector & 0x80) != 0);
        }
        break;
    }
    case 4:
    case 5: {
        std::unique_ptr<MatrixF> m;
        const char* p = MatrixF::readBinary(begin, end, (selector & 1) ? 3 : 0, m);
        if (p && (p < begin || p > end)) __builtin_trap();
        if (m) {
            std::string out;
            m->writeBinary(out, (selector & 0x10) ? 1 : 2);
            std::unique_ptr<MatrixF> again;
            if (!MatrixF::readBinary(out.data(), out.data() + out.size(), m->columns(), again) || !again ||
                again->rows() != m->rows() || again->columns() != m->columns())
                __builtin_trap();
        }
        break;
    }
    default: {
        std::unique_ptr<VectorL> list;
        const char* p = VectorL::readBinary(begin, end, list);
        if (p && (p < begin || p > end)) __builtin_trap();
        if (list) {
            std::string out;
            list->writeBinary(out);
            std::unique_ptr<VectorL> again;
            VectorL::readBinary(out.data(), out.data() + out.size(), again);
            if (VectorL::compare(list.get(), again.get()) != 0) __builtin_trap();
        }
        break;
    }
    }
    // The readers work on read-only scene text: the bytes must be unchanged.
    if (!before.empty() && std::memcmp(before.data(), begin, before.size()) != 0) __builtin_trap();
    return 0;
}
