// PackedBaseFileReader: the Huffman-coded base files of 1996-1998, read only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/streams/TextReader.h"

namespace vek {

class ByteFile;

// Reads the text of a packed base file (kinds 4 and 6) line by line, as any TextReader. The byte
// layout and the code tree are described in PackedBaseFileReader.cpp. The caller sets the encoding
// (the system code page) before Open.
//
// Errors (Error()): 3811 for a code table of 0 or more than 256 symbols, a table or block cut
// short, a block longer than 65504 bits, or bits that end inside a code. The first error ends the
// input and becomes the pending error (without a file name: the caller names the file); no byte is
// read outside the buffers.
class PackedBaseFileReader final : public TextReader {
public:
    // The most bits one block may hold: the bit buffer of 8192 bytes less one word.
    static constexpr int64_t kMaxBlockBits = 65504;
    static constexpr int32_t kMaxSymbols = 256;

    PackedBaseFileReader();
    ~PackedBaseFileReader() override;

    // Reads the prefix and the code table and builds the tree. False when the file cannot be opened
    // (its error pending) or Error() is set.
    [[nodiscard]] bool Open(const char* path);
    void Close();
    // 0 or 3811.
    int32_t Error() const { return error; }

    int64_t Refill() override;

private:
    bool DecodeBlock(int64_t& added);
    void Fail();

    std::unique_ptr<ByteFile> file;
    std::vector<char> text;
    std::vector<uint8_t> bits;
    // The code tree: nodes 0..n-1 are the leaves in table order, inner nodes follow in the order
    // they were made; the root is the last node.
    std::vector<int32_t> zeroBranch;
    std::vector<int32_t> oneBranch;
    std::vector<uint8_t> symbols;
    int32_t leafCount = 0;
    int32_t root = -1;
    bool wordStored = false;
    bool bigEndian = true;
    int32_t error = 0;
    bool open = false;
    bool ended = false;
};

}  // namespace vek
