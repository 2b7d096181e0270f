// The packed base file (kinds 4 and 6): a Huffman code table and blocks of code bits.
//
//   | offset | size | content                                                                   |
//   |--------|------|---------------------------------------------------------------------------|
//   | 0      | 12   | magic and version: "##Uxe" (kind 4) or A5 A5 A5 "Uxe" (kind 6), YYMMDD    |
//   | 12     | 1    | "m": the numbers that follow are big-endian; any other byte: little-endian |
//   | 13     | 1    | (not read)                                                                |
//   | 14     | 2    | n, the symbols of the code table, 1-256                                   |
//   | 16     | 6n   | per symbol: a 32-bit weight, then a 16-bit field whose low byte is it     |
//   | 16+6n  | ...  | blocks: a 32-bit count k of code bits (0 ends the file), then the bits    |
//
// A file starting with "#" stores a block's bits as ceil(k/32) 32-bit words (in the file's byte
// order), others as ceil(k/8) bytes; either way the bits are taken from the most significant bit of
// each big-endian 32-bit word on. A block holds whole codes: bits that end inside a code are damage,
// as is k above 65504 (what the 8192-byte bit buffer holds).
//
// The code tree: a min-heap of (weight, node) over the leaves; the two smallest, A and then B, are
// taken, and a new inner node of weight A + B gets A as its 0-branch and B as its 1-branch, until
// one node is left. Equal weights are ordered by node number (leaves in table order, then inner
// nodes in the order they were made), so that every encoder that follows the same rule builds the
// same tree. A tree of a single leaf codes each symbol as one bit.
#include "files/format/PackedBaseFileReader.h"

#include <cstring>
#include <queue>
#include <utility>

#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/streams/ByteSpanReader.h"

namespace vek {

namespace {

constexpr int32_t kPackedPrefixSize = 16;
constexpr int32_t kPackedTableEntrySize = 6;
constexpr int32_t kPackedTextBufferSize = 12288;

}  // namespace

PackedBaseFileReader::PackedBaseFileReader() : file(NewByteFile())
{
    text.resize(kPackedTextBufferSize);
    inputStart = readPosition = inputEnd = text.data();
}

PackedBaseFileReader::~PackedBaseFileReader()
{
    Close();
}

void PackedBaseFileReader::Fail()
{
    if (error == 0)
        error = message::kDamagedBase;
    ended = true;
    // The pending error stops whoever reads the lines, before the end of the input looks normal.
    if (!IsErrorPending())
        SetErrorCode(message::kDamagedBase);
}

bool PackedBaseFileReader::Open(const char* path)
{
    Close();
    error = 0;
    ended = false;
    root = -1;
    if (file == nullptr || !file->OpenForRead(path))
        return false;
    open = true;
    uint8_t prefix[kPackedPrefixSize];
    if (file->Read(prefix, kPackedPrefixSize) != kPackedPrefixSize) {
        Fail();
        return false;
    }
    wordStored = prefix[0] == '#';
    bigEndian = prefix[12] == 'm';
    ByteOrder order = bigEndian ? ByteOrder::bigEndian : ByteOrder::littleEndian;
    ByteSpanReader head({prefix + 14, 2});
    int32_t n = head.U16(order);
    if (n < 1 || n > kMaxSymbols) {
        Fail();
        return false;
    }
    std::vector<uint8_t> table(size_t(n) * kPackedTableEntrySize);
    if (file->Read(table.data(), int64_t(table.size())) != int64_t(table.size())) {
        Fail();
        return false;
    }
    ByteSpanReader entries(table);
    using Entry = std::pair<uint64_t, int32_t>;  // weight, node
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> heap;
    leafCount = n;
    zeroBranch.assign(size_t(2 * n), -1);
    oneBranch.assign(size_t(2 * n), -1);
    symbols.assign(size_t(n), 0);
    for (int32_t i = 0; i < n; ++i) {
        uint32_t weight = entries.U32(order);
        symbols[size_t(i)] = uint8_t(entries.U16(order) & 0xFF);
        heap.push({weight, i});
    }
    int32_t next = n;
    while (heap.size() > 1) {
        Entry a = heap.top();
        heap.pop();
        Entry b = heap.top();
        heap.pop();
        zeroBranch[size_t(next)] = a.second;
        oneBranch[size_t(next)] = b.second;
        heap.push({a.first + b.first, next});
        ++next;
    }
    root = heap.top().second;
    bits.resize(size_t(kMaxBlockBits / 8 + 8));
    ForgetLine();
    inputStart = readPosition = inputEnd = text.data();
    sourcePosition = 0;
    return true;
}

void PackedBaseFileReader::Close()
{
    if (file != nullptr)
        file->Close();
    open = false;
    ForgetLine();
    inputStart = readPosition = inputEnd = text.data();
}

int64_t PackedBaseFileReader::Refill()
{
    if (!open)
        return 0;
    int64_t offset = readPosition - text.data();
    int64_t kept = inputEnd - readPosition;
    ForgetLine();
    sourcePosition += readPosition - inputStart;
    if (kept > 0 && offset > 0)
        std::memmove(text.data(), text.data() + offset, size_t(kept));
    // Every code has at least one bit: a block gives at most kMaxBlockBits characters.
    int64_t needed = kept + kMaxBlockBits;
    if (!ended && needed > int64_t(text.size())) {
        if (needed > kLargestBuffer) {
            Fail();
        } else {
            int64_t size = int64_t(text.size());
            while (size < needed)
                size *= 2;
            text.resize(size_t(size < kLargestBuffer ? size : kLargestBuffer));
        }
    }
    inputStart = readPosition = text.data();
    inputEnd = text.data() + kept;
    int64_t added = 0;
    while (added == 0 && !ended && DecodeBlock(added)) {
    }
    return added;
}

bool PackedBaseFileReader::DecodeBlock(int64_t& added)
{
    ByteOrder order = bigEndian ? ByteOrder::bigEndian : ByteOrder::littleEndian;
    uint8_t countBytes[4];
    int64_t got = file->Read(countBytes, 4);
    if (got == 0) {
        ended = true;  // the file ends without its closing count
        return false;
    }
    if (got != 4) {
        Fail();
        return false;
    }
    ByteSpanReader countField({countBytes, 4});
    int64_t k = countField.U32(order);
    if (k == 0) {
        ended = true;
        return false;
    }
    if (k > kMaxBlockBits) {
        Fail();
        return false;
    }
    int64_t stored = wordStored ? (k + 31) / 32 * 4 : (k + 7) / 8;
    if (file->Read(bits.data(), stored) != stored) {
        Fail();
        return false;
    }
    if (wordStored && !bigEndian) {
        for (int64_t i = 0; i + 4 <= stored; i += 4) {
            std::swap(bits[size_t(i)], bits[size_t(i + 3)]);
            std::swap(bits[size_t(i + 1)], bits[size_t(i + 2)]);
        }
    }
    char* out = const_cast<char*>(inputEnd);
    int64_t produced = 0;
    int64_t position = 0;
    while (position < k) {
        int32_t node = root;
        if (node < leafCount) {
            ++position;  // a tree of one leaf: one bit per symbol
        } else {
            while (node >= leafCount) {
                if (position >= k) {
                    Fail();  // the bits end inside a code
                    return false;
                }
                bool one = (bits[size_t(position >> 3)] >> (7 - (position & 7))) & 1;
                ++position;
                node = one ? oneBranch[size_t(node)] : zeroBranch[size_t(node)];
            }
        }
        out[produced++] = char(symbols[size_t(node)]);
    }
    inputEnd = out + produced;
    added += produced;
    return true;
}

}  // namespace vek
