// BlockCompressor: the match table, the token writers and the expanders of both block formats.
#include "foundation/streams/BlockCompressor.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "foundation/memory/BlockAllocator.h"

namespace vek {

namespace {

constexpr int32_t kMinimumMatch = 3;
constexpr int32_t kLargest16 = 65535;
// The farthest a match can reach back: its offset (distance - length) and its length fit 16 bits
// each. A power of two, so that the ring of links is indexed by masking.
constexpr int32_t kWindow = 131072;
// Candidates looked at for one position, newest first. Deeper chains find slightly longer matches on
// highly repetitive text and cost the same again per step on every other text.
constexpr int32_t kMaxChain = 24;
// A match this long ends the search: a longer one would hardly shorten the output.
constexpr int32_t kGoodEnough = 128;

// The match search: hash chains. A head table keyed by a hash of the three bytes at a position holds
// the newest position with that hash; a ring of kWindow links takes each position to the previous
// one of the same hash. Every position is stored in constant time, and a search follows its chain
// newest first, so the nearest of equally long matches wins, which gives the shortest tokens.
// A position's link is written when the position is stored and only followed from positions less
// than kWindow after it, so the ring needs no clearing.
class MatchTable {
public:
    explicit MatchTable(std::span<const uint8_t> input) : input(input) {}
    ~MatchTable() { MemFree(memory); }
    MatchTable(const MatchTable&) = delete;
    MatchTable& operator=(const MatchTable&) = delete;

    [[nodiscard]] bool Allocate()
    {
        int64_t n = int64_t(input.size());
        // Small inputs get small tables: clearing the head table is the fixed cost of a block.
        headBits = 8;
        while (headBits < 15 && (int64_t(1) << headBits) < n)
            ++headBits;
        int32_t ring = 1;
        while (ring < kWindow && ring < n)
            ring <<= 1;
        ringMask = ring - 1;
        int64_t headSize = int64_t(1) << headBits;
        int64_t bytes = (headSize + ring) * int64_t(sizeof(int32_t));
        memory = static_cast<int32_t*>(MemAlloc(static_cast<int32_t>(bytes)));
        if (!memory)
            return false;
        heads = memory;
        links = memory + headSize;
        std::fill(heads, heads + headSize, -1);
        return true;
    }

    // The longest earlier match at p (at least 3 bytes left there), or length 0 when there is none of
    // 3 bytes; of equally long ones the nearest. Stores p.
    void FindAndStore(int32_t p, int32_t& bestLength, int32_t& bestCandidate)
    {
        const int32_t left = std::min(static_cast<int32_t>(input.size()) - p, kLargest16);
        const uint8_t* here = input.data() + p;
        int32_t best = kMinimumMatch - 1;
        int32_t candidate = -1;
        uint32_t hash = HashAt(p);
        int32_t earlier = heads[hash];
        for (int32_t steps = 0; earlier >= 0 && p - earlier < kWindow && steps < kMaxChain; ++steps) {
            // The copy never overlaps its source: a match is no longer than its distance.
            const int32_t distance = p - earlier;
            int32_t limit = std::min(distance, left);
            const uint8_t* there = input.data() + earlier;
            if (limit > best && there[best] == here[best] && there[0] == here[0] && there[1] == here[1]) {
                int32_t length = 2;
                while (length < limit && there[length] == here[length])
                    ++length;
                // Beyond 65535 bytes back only a match long enough keeps its offset within 16 bits.
                if (length > best && distance - length <= kLargest16) {
                    best = length;
                    candidate = earlier;
                    if (best >= kGoodEnough || best == left)
                        break;
                }
            }
            earlier = links[earlier & ringMask];
        }
        links[p & ringMask] = heads[hash];
        heads[hash] = p;
        bestLength = best >= kMinimumMatch ? best : 0;
        bestCandidate = candidate;
    }

    // Stores p (at least 3 bytes left there) without searching.
    void Store(int32_t p)
    {
        uint32_t hash = HashAt(p);
        links[p & ringMask] = heads[hash];
        heads[hash] = p;
    }

private:
    uint32_t HashAt(int32_t p) const
    {
        uint32_t key = (uint32_t(input[size_t(p)]) << 16) | (uint32_t(input[size_t(p) + 1]) << 8) |
                       uint32_t(input[size_t(p) + 2]);
        return (key * 2654435761u) >> (32 - headBits);
    }

    std::span<const uint8_t> input;
    int32_t* memory = nullptr;
    int32_t* heads = nullptr;
    int32_t* links = nullptr;
    int32_t headBits = 8;
    int32_t ringMask = 0;
};

// Token output that refuses to write past its buffer.
class TokenWriter {
public:
    explicit TokenWriter(std::span<uint8_t> output) : output(output) {}

    bool Put(std::initializer_list<uint8_t> bytes)
    {
        if (full || output.size() - used < bytes.size()) {
            full = true;
            return false;
        }
        for (uint8_t byte : bytes)
            output[used++] = byte;
        return true;
    }
    bool Full() const { return full; }
    size_t Used() const { return used; }

private:
    std::span<uint8_t> output;
    size_t used = 0;
    bool full = false;
};

bool IsPlainInFormatT(uint8_t byte) { return (byte >= 9 && byte <= 15) || (byte >= 32 && byte <= 191); }

void PutLiteralT(TokenWriter& writer, uint8_t byte)
{
    if (IsPlainInFormatT(byte))
        writer.Put({byte});
    else
        writer.Put({24, byte});
}

// The first form of format T that holds the match; false when none does.
bool PutMatchT(TokenWriter& writer, int32_t length, int32_t offset)
{
    auto byte = [](int32_t value) { return static_cast<uint8_t>(value & 255); };
    if (length <= 10 && offset <= 2047)
        return writer.Put({byte(192 + ((length - 3) << 3) + (offset >> 8)), byte(offset)});
    if (length == 3 && offset >= 2048 && offset <= 3071)
        return writer.Put({byte((offset - 2048) >> 8), byte(offset - 2048)});
    if (length == 4 && offset >= 2048 && offset <= 3327)
        return writer.Put({byte(4 + ((offset - 2048) >> 8)), byte(offset - 2048)});
    if (length >= 11 && length <= 18 && offset <= 255)
        return writer.Put({byte(length + 5), byte(offset)});
    if (length >= 4 && length <= 43 && offset <= 8191) {
        int32_t v = length - 4;
        return writer.Put({byte(27 + (v >> 3)), byte(((v & 7) << 5) | (offset >> 8)), byte(offset)});
    }
    if (length >= 5 && length <= 260 && offset <= kLargest16)
        return writer.Put({26, byte(length - 5), byte(offset >> 8), byte(offset)});
    if (length > 260 && length <= kLargest16 && offset <= kLargest16)
        return writer.Put({25, byte(length >> 8), byte(length), byte(offset >> 8), byte(offset)});
    return false;
}

// Expansion with every read and write checked against the buffers.
class Expander {
public:
    Expander(std::span<uint8_t> output, std::span<const uint8_t> input)
        : output(output.first(std::min<size_t>(output.size(), std::numeric_limits<int32_t>::max()))),
          input(input)
    {
    }

    bool AtEnd() const { return position >= input.size(); }
    // The token byte and the k bytes after it, or false when the input ends before them.
    bool Take(size_t k, uint32_t* bytes)
    {
        if (input.size() - position < k + 1)
            return false;
        for (size_t i = 0; i <= k; ++i)
            bytes[i] = input[position + i];
        position += k + 1;
        return true;
    }
    uint32_t Peek() const { return input[position]; }

    bool Literal(uint32_t byte)
    {
        if (written >= output.size())
            return false;
        output[written++] = static_cast<uint8_t>(byte);
        return true;
    }
    bool Copy(uint32_t length, uint32_t offset)
    {
        uint64_t distance = uint64_t(offset) + length;
        if (distance > written || length > output.size() - written)
            return false;
        // distance >= length: the source ends where the copy begins, so the ranges never overlap.
        if (length > 0)
            std::memcpy(output.data() + written, output.data() + written - distance, length);
        written += length;
        return true;
    }

    ExpandResult Result(ExpandStatus status) const { return {static_cast<int32_t>(written), status}; }

private:
    std::span<uint8_t> output;
    std::span<const uint8_t> input;
    size_t position = 0;
    size_t written = 0;
};

// One token of format T; false when it is cut short or cannot be carried out.
bool ExpandTokenT(Expander& expander)
{
    uint32_t b[5];
    uint32_t t = expander.Peek();
    if (IsPlainInFormatT(static_cast<uint8_t>(t)))
        return expander.Take(0, b) && expander.Literal(t);
    if (t == 24)
        return expander.Take(1, b) && expander.Literal(b[1]);
    if (t >= 192)
        return expander.Take(1, b) && expander.Copy(((t - 192) >> 3) + 3, ((t & 7) << 8) + b[1]);
    if (t <= 3)
        return expander.Take(1, b) && expander.Copy(3, 2048 + (t << 8) + b[1]);
    if (t <= 8)
        return expander.Take(1, b) && expander.Copy(4, 2048 + ((t - 4) << 8) + b[1]);
    if (t >= 16 && t <= 23)
        return expander.Take(1, b) && expander.Copy(t - 5, b[1]);
    if (t >= 27)
        return expander.Take(2, b) &&
               expander.Copy(((t - 27) << 3) + (b[1] >> 5) + 4, ((b[1] & 31) << 8) + b[2]);
    if (t == 26)
        return expander.Take(3, b) && expander.Copy(b[1] + 5, (b[2] << 8) + b[3]);
    // t == 25
    return expander.Take(4, b) && expander.Copy((b[1] << 8) + b[2], (b[3] << 8) + b[4]);
}

bool ExpandTokenZ(Expander& expander)
{
    uint32_t b[5];
    uint32_t t = expander.Peek();
    if (t <= 244)
        return expander.Take(0, b) && expander.Literal(t);
    switch (t) {
    case 255:
        return expander.Take(1, b) && expander.Literal(b[1]);
    case 254:
    case 253:
    case 252:
    case 251:
        return expander.Take(1, b) && expander.Copy(3, ((254 - t) << 8) + b[1]);
    case 250:
    case 249:
        return expander.Take(1, b) && expander.Copy(4, ((250 - t) << 8) + b[1]);
    case 248:
        return expander.Take(2, b) && expander.Copy((b[1] >> 5) + 4, ((b[1] & 31) << 8) + b[2]);
    case 247:
        return expander.Take(2, b) && expander.Copy((b[1] >> 5) + 12, ((b[1] & 31) << 8) + b[2]);
    case 246:
        return expander.Take(3, b) && expander.Copy(b[1] + 5, (b[2] << 8) + b[3]);
    default:  // 245
        return expander.Take(4, b) && expander.Copy((b[1] << 8) + b[2], (b[3] << 8) + b[4]);
    }
}

template <typename TokenFunction>
ExpandResult ExpandTokens(std::span<uint8_t> output, std::span<const uint8_t> input, TokenFunction token)
{
    Expander expander(output, input);
    while (!expander.AtEnd()) {
        if (!token(expander))
            return expander.Result(ExpandStatus::Damaged);
    }
    return expander.Result(ExpandStatus::Complete);
}

}  // namespace

int32_t CompressBlock(std::span<uint8_t> output, std::span<const uint8_t> input)
{
    if (input.empty() || input.size() > size_t(std::numeric_limits<int32_t>::max()))
        return 0;
    MatchTable table(input);
    if (!table.Allocate())
        return 0;
    TokenWriter writer(output);
    int32_t n = static_cast<int32_t>(input.size());
    int32_t p = 0;
    while (p < n && !writer.Full()) {
        int32_t length = 0;
        int32_t candidate = -1;
        if (n - p >= kMinimumMatch)
            table.FindAndStore(p, length, candidate);
        if (length >= kMinimumMatch) {
            int32_t offset = (p - candidate) - length;
            if (PutMatchT(writer, length, offset)) {
                for (int32_t q = p + 1; q < p + length && n - q >= kMinimumMatch; ++q)
                    table.Store(q);
                p += length;
                continue;
            }
        }
        PutLiteralT(writer, input[p]);
        ++p;
    }
    if (writer.Full())
        return 0;
    return static_cast<int32_t>(writer.Used());
}

ExpandResult ExpandBlock(std::span<uint8_t> output, std::span<const uint8_t> input)
{
    return ExpandTokens(output, input, ExpandTokenT);
}

ExpandResult ExpandBlockZ(std::span<uint8_t> output, std::span<const uint8_t> input)
{
    return ExpandTokens(output, input, ExpandTokenZ);
}

}  // namespace vek
