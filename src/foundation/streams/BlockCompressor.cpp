// BlockCompressor: the match table, the token writers and the expanders of both block formats.
#include "foundation/streams/BlockCompressor.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/memory/Hash.h"

namespace vek {

namespace {

constexpr int32_t kMinimumMatch = 3;
constexpr int16_t kEmptySlot = -1;
// Slots hold 16-bit signed positions, so later positions are never stored and never found.
constexpr int32_t kLastStoredPosition = 32767;
constexpr int32_t kStepModulus = 997;
constexpr int32_t kLargest16 = 65535;
// The most occupied slots the match search looks at for one position.
constexpr int32_t kMaxProbes = 16;

// The match search: an open-addressing table of input positions keyed by the three bytes at each
// position, probed by double hashing. Slots are never emptied, so the positions along one key's probe
// sequence, up to its first empty slot, are all the earlier positions whose key led there.
class MatchTable {
public:
    MatchTable(std::span<const uint8_t> input) : input(input) {}
    ~MatchTable() { MemFree(slots); }
    MatchTable(const MatchTable&) = delete;
    MatchTable& operator=(const MatchTable&) = delete;

    [[nodiscard]] bool Allocate()
    {
        size = HashTableSize(static_cast<int32_t>(input.size()));
        int64_t bytes = int64_t(size) * int64_t(sizeof(int16_t));
        if (size <= 0 || bytes > std::numeric_limits<int32_t>::max())
            return false;
        slots = static_cast<int16_t*>(MemAlloc(static_cast<int32_t>(bytes)));
        if (!slots)
            return false;
        std::fill(slots, slots + size, kEmptySlot);
        return true;
    }

    // The longest earlier match at p (at least 3 bytes left there), or length 0 when there is none of
    // 3 bytes; a later candidate of equal length wins. Stores p in the first empty slot.
    void FindAndStore(int32_t p, int32_t& bestLength, int32_t& bestCandidate)
    {
        int32_t n = static_cast<int32_t>(input.size());
        int32_t left = n - p;
        int32_t best = kMinimumMatch - 1;
        int32_t candidate = -1;
        int32_t key = KeyAt(p);
        // The search starts at the slot of the key's last position when that is known: the slots
        // before it on the sequence hold older positions only, and the newest match is the one that
        // counts. At most kMaxProbes slots are looked at; a position whose sequence is full that far
        // is not stored (as positions beyond 32767 are not), which bounds the work per position on
        // text that repeats the same few bytes.
        const RecentSlot& recent = RecentOf(key);
        bool known = recent.key == key;
        int32_t slot = known ? recent.slot : key % size;
        int32_t step = known ? recent.step : StepOf(key);
        int32_t probes = 0;
        while (slots[slot] != kEmptySlot) {
            if (++probes > kMaxProbes) {
                bestLength = best >= kMinimumMatch ? best : 0;
                bestCandidate = candidate;
                return;
            }
            int32_t earlier = slots[slot];
            int32_t limit = std::min(p - earlier, left);
            // Only a candidate that reaches the best length replaces it.
            if (limit >= best && std::memcmp(&input[earlier], &input[p], size_t(best)) == 0) {
                int32_t length = best;
                while (length < limit && input[earlier + length] == input[p + length])
                    ++length;
                best = length;
                candidate = earlier;
            }
            slot = NextProbe(slot, step);
        }
        StoreAt(p, key, slot, step);
        bestLength = best >= kMinimumMatch ? best : 0;
        bestCandidate = candidate;
    }

    // Stores p (at least 3 bytes left there) without searching.
    void Store(int32_t p)
    {
        if (p > kLastStoredPosition)
            return;
        int32_t key = KeyAt(p);
        // Every slot before the one last filled for this key is still full: slots are never emptied.
        const RecentSlot& recent = RecentOf(key);
        bool known = recent.key == key;
        int32_t slot = known ? recent.slot : key % size;
        int32_t step = known ? recent.step : StepOf(key);
        for (int32_t probes = 0; slots[slot] != kEmptySlot; ++probes) {
            if (probes >= kMaxProbes)
                return;
            slot = NextProbe(slot, step);
        }
        StoreAt(p, key, slot, step);
    }

private:
    // The slot that the last position of a key went to, so that storing the positions inside a match
    // does not walk the whole probe sequence again; a long run of one byte would otherwise take time
    // quadratic in its length. The search still walks every candidate.
    // The step of the key is kept with it: the divisions of the hash are the compressor's main cost.
    struct RecentSlot {
        int32_t key = -1;
        int32_t slot = 0;
        int32_t step = 1;
    };

    RecentSlot& RecentOf(int32_t key) { return recentSlots[(uint32_t(key) * 2654435761u) >> 22]; }

    int32_t KeyAt(int32_t p) const
    {
        return (int32_t(input[p]) << 16) | (int32_t(input[p + 1]) << 8) | int32_t(input[p + 2]);
    }
    static int32_t StepOf(int32_t key) { return key % kStepModulus + 1; }
    int32_t NextProbe(int32_t slot, int32_t step) const
    {
        slot += step;
        return slot >= size ? slot - size : slot;
    }
    void StoreAt(int32_t p, int32_t key, int32_t slot, int32_t step)
    {
        if (p > kLastStoredPosition)
            return;
        slots[slot] = static_cast<int16_t>(p);
        RecentSlot& recent = RecentOf(key);
        recent.key = key;
        recent.slot = slot;
        recent.step = step;
    }

    std::span<const uint8_t> input;
    int16_t* slots = nullptr;
    int32_t size = 0;
    std::array<RecentSlot, 1024> recentSlots{};
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
