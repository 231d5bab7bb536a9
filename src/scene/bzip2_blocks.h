#pragma once
// A bzip2 stream is a row of independent blocks, each opened by the 48-bit mark 0x314159265359 at
// any bit position and closed by the next mark or by the end mark 0x177245385090. Blocks found so
// can be decoded side by side, each as a stream of its own, so that loading a large document uses
// both cores of the machine.
#include <cstddef>
#include <string>
#include <vector>

namespace kinemo {

// Where the blocks of a whole bzip2 stream (starting "BZh") begin, in bits from the stream's first
// byte, followed by the bit position of the end mark. Empty when the stream does not split
// cleanly: no block, an end mark before the last block, or none after it.
std::vector<std::size_t> bzip2BlockBounds(const unsigned char* stream, std::size_t length);

// Decodes stream into out, which must come to exactly n bytes, using up to threads threads.
// Every block's own check sum and the stream's combined one must match. False, with out empty,
// when the stream does not split cleanly, a block does not decode, or the output is not n bytes
// (a block's output never grows past what is left of n); the caller then decodes in one pass,
// which reports the fault.
bool decodeBlocksInParallel(const char* stream, std::size_t length, std::size_t n, std::string& out,
                            unsigned threads);

}  // namespace kinemo
