// BlockCompressor: two byte-oriented LZ77 formats for blocks of a few tens of kilobytes.
#pragma once

#include <cstdint>
#include <span>

namespace vek {

// Two byte-oriented LZ77 formats for blocks of a few tens of kilobytes (base-file blocks, hex-encoded
// text fields, platform data). A compressed stream is a plain sequence of tokens: no header, no end
// marker; its length is known to the caller. A match is a length L and a distance stored as
// offset = distance - L, so a copy never overlaps its source. Multi-byte numbers are big-endian; b1,
// b2 ... are the bytes after the token byte t.
//
// Format T (written and read; the bytes 9-15 and 32-191 stand for themselves, so text stays legible):
//
//   | t            | bytes | meaning                                                         |
//   |--------------|-------|-----------------------------------------------------------------|
//   | 9-15, 32-191 | 1     | literal t                                                       |
//   | 24           | 2     | literal b1 (for the bytes 0-8, 16-31, 192-255)                  |
//   | 192-255      | 2     | L = ((t - 192) >> 3) + 3 (3-10); offset = ((t & 7) << 8) + b1   |
//   | 0-3          | 2     | L = 3; offset = 2048 + (t << 8) + b1 (2048-3071)                |
//   | 4-8          | 2     | L = 4; offset = 2048 + ((t - 4) << 8) + b1 (2048-3327)          |
//   | 16-23        | 2     | L = t - 5 (11-18); offset = b1                                  |
//   | 27-31        | 3     | L = ((t - 27) << 3) + (b1 >> 5) + 4 (4-43);                     |
//   |              |       | offset = ((b1 & 31) << 8) + b2 (0-8191)                         |
//   | 26           | 4     | L = b1 + 5 (5-260); offset = (b2 << 8) + b3                     |
//   | 25           | 5     | L = (b1 << 8) + b2; offset = (b3 << 8) + b4                     |
//
// Format Z (read only, from older files; only 245-255 are tokens):
//
//   | t     | bytes | meaning                                                              |
//   |-------|-------|----------------------------------------------------------------------|
//   | 0-244 | 1     | literal t                                                            |
//   | 255   | 2     | literal b1 (for the bytes 245-255)                                   |
//   | 254   | 2     | L = 3; offset = b1 (0-255)                                           |
//   | 253   | 2     | L = 3; offset = 256 + b1                                             |
//   | 252   | 2     | L = 3; offset = 512 + b1                                             |
//   | 251   | 2     | L = 3; offset = 768 + b1                                             |
//   | 250   | 2     | L = 4; offset = b1 (0-255)                                           |
//   | 249   | 2     | L = 4; offset = 256 + b1                                             |
//   | 248   | 3     | L = (b1 >> 5) + 4 (4-11); offset = ((b1 & 31) << 8) + b2 (0-8191)   |
//   | 247   | 3     | L = (b1 >> 5) + 12 (12-19); offset as for 248                        |
//   | 246   | 4     | L = b1 + 5 (5-260); offset = (b2 << 8) + b3                          |
//   | 245   | 5     | L = (b1 << 8) + b2; offset = (b3 << 8) + b4                          |

// The output room that CompressBlock always needs for n input bytes (every byte escaped).
constexpr int64_t CompressBlockBound(int64_t n) { return 2 * n; }

// Compresses the input in format T into the output and returns the compressed length. Returns 0 for
// an empty input, when the hash table of the match search cannot be allocated, or when the compressed
// form does not fit into the output (an output of CompressBlockBound bytes always suffices); the
// caller then stores the block as it is.
[[nodiscard]] int32_t CompressBlock(std::span<uint8_t> output, std::span<const uint8_t> input);

enum class ExpandStatus {
    Complete,  // every token of the input was expanded
    Damaged,   // expansion stopped at a token that is cut short, copies from before the output start,
               // or would write past the end of the output
};

struct ExpandResult {
    int32_t length = 0;  // bytes written before the end or before the damaged token
    ExpandStatus status = ExpandStatus::Complete;
};

// Expand a format T or format Z stream. Nothing is read outside the input nor written outside the
// output: a token that would do so is not expanded, and the result is Damaged with the length written
// before it (the block container reports such a block as damaged).
[[nodiscard]] ExpandResult ExpandBlock(std::span<uint8_t> output, std::span<const uint8_t> input);
[[nodiscard]] ExpandResult ExpandBlockZ(std::span<uint8_t> output, std::span<const uint8_t> input);

}  // namespace vek
