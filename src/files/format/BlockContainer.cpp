// The block container: its byte layout, its key material, its reader and its writer.
//
// Header (40 bytes; numbers big-endian):
//
//   | offset | size | content                                                                     |
//   |--------|------|-----------------------------------------------------------------------------|
//   | 0      | 5    | magic 05 13 "Uxe" (files starting "##Uxe" are read alike)                   |
//   | 5      | 6    | version date YYMMDD, ASCII digits; written "121122"                         |
//   | 11     | 1    | "x": the base has a password (mixed into the keystream); "o": none          |
//   | 12     | 1    | "m"                                                                         |
//   | 13     | 1    | variant: "N" a base, "B", "U" a template file                               |
//   | 14     | 1    | "Z": blocks may be compressed; "-": stored                                  |
//   | 15     | 1    | "6": the keystream's pool is filled before the first block (FillPool)       |
//   | 16     | 4    | zero                                                                        |
//   | 20     | 12   | key field: the scrambler's registers A, B, C (SaveState with kStateMask),   |
//   |        |      | three 32-bit words, from a scrambler freshly seeded from the clock          |
//   | 32     | 4    | reserved header word (BaseFileState::headerWord); written 0                 |
//   | 36     | 4    | zero                                                                        |
//
// Blocks follow, each:
//
//   | offset | size   | content                                                                 |
//   |--------|--------|-------------------------------------------------------------------------|
//   | 0      | 3      | "###", each byte XOR the next keystream byte                            |
//   | 3      | 1      | method XOR the next keystream byte: "b" format T, "Z" format Z          |
//   |        |        | (BlockCompressor.h), "-" stored; any other letter: a damaged block      |
//   | 4      | 2      | payload length, plain, at most 13999                                    |
//   | 6      | 2      | BlockChecksum of the plain payload, plain                               |
//   | 8      | length | payload, each byte XOR the next keystream byte                          |
//
// One keystream runs through the file: Reset, LoadState (key field), MixWord (the seed of the
// variant), MixText (the upper-cased password, in the system code page for versions before
// 20121122) when the header says "x", FillPool for mode "6". Expanded, a block gives at most
// kMaxBlockText bytes of text; the pieces join without separators into: a line of 24 to 55 random
// printable characters, the check line "vekmagic", and the sections up to "##End" (UTF-8; the
// system code page before 20121122).
//
// The seeds and the mask below were chosen once for this format: every container ever written
// depends on them, so they never change. They keep out the curious, not an attacker: the key field
// is in the header, and anyone with this source can read a container without its password.
#include "files/format/BlockContainer.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "files/format/BaseFileType.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/BlockCompressor.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/streams/ByteSpanReader.h"
#include "foundation/strings/CodePages.h"
#include "platform/WorkerThreads.h"

namespace vek {

namespace {

// --- The format's fixed values: chosen once, never changed ---------------------------------------
constexpr uint32_t kStateMask = 0x5A3C96E1u;
// The seeds of the variants "N", "B" and "U", mixed into the keystream before the password.
constexpr uint32_t kVariantSeeds[3] = {0x1F6B2D47u, 0x6E0C93A5u, 0x3BD4710Fu};
constexpr char kVariantLetters[3] = {'N', 'B', 'U'};
constexpr uint8_t kMagic[5] = {0x05, 0x13, 'U', 'x', 'e'};
constexpr uint8_t kOldMagic[5] = {'#', '#', 'U', 'x', 'e'};
constexpr char kBlockMarker[3] = {'#', '#', '#'};
constexpr char kVersionDigits[6] = {'1', '2', '1', '1', '2', '2'};
constexpr char kMethodStored = '-';
constexpr char kMethodFormatT = 'b';
constexpr char kMethodFormatZ = 'Z';
constexpr char kPoolMode = '6';
constexpr std::string_view kCheckWord = "vekmagic";
// -----------------------------------------------------------------------------------------------

constexpr int32_t kFirstUnicodeVersion = 20121122;
constexpr int32_t kSystemCodePageId = 3;
constexpr int32_t kContainerTextBufferSize = 30000;
constexpr int32_t kRandomLineLength = 24;
constexpr int32_t kRandomLineSpread = 31;

int32_t VariantIndex(uint8_t letter)
{
    for (int32_t i = 0; i < 3; ++i) {
        if (kVariantLetters[i] == char(letter))
            return i;
    }
    return -1;
}

// The keystream of a file from its key field, variant and password.
void KeyStream(ByteScrambler& stream, const ByteScrambler::State& key, int32_t variant, std::string_view password,
               int32_t encoding, bool poolMode)
{
    stream.Reset();
    stream.LoadState(key, kStateMask);
    stream.MixWord(kVariantSeeds[variant]);
    if (!password.empty())
        stream.MixText(password, encoding);
    if (poolMode)
        stream.FillPool();
}

}  // namespace

uint16_t BlockChecksum(std::span<const uint8_t> bytes)
{
    uint32_t c = 0;
    for (uint8_t b : bytes)
        c = (((c >> 1) | ((c & 1) << 15)) ^ b) & 0xFFFF;
    return uint16_t(c);
}

// ---- BlockContainerReader

BlockContainerReader::BlockContainerReader() : file(NewByteFile())
{
    text.resize(kContainerTextBufferSize);
    payload.resize(kMaxBlockPayload);
    inputStart = readPosition = inputEnd = text.data();
}

BlockContainerReader::~BlockContainerReader()
{
    Close();
}

void BlockContainerReader::Fail(int32_t code)
{
    if (error == 0)
        error = code;
    ended = true;
}

bool BlockContainerReader::Open(const char* path, std::string_view password)
{
    Close();
    error = 0;
    ended = false;
    sectionsBegan = false;
    if (file == nullptr || !file->OpenForRead(path))
        return false;
    uint8_t header[kContainerHeaderSize];
    int64_t got = file->Read(header, kContainerHeaderSize);
    open = true;
    if (got != kContainerHeaderSize) {
        Fail(message::kDamagedBase);
        return false;
    }
    ByteSpanReader fields({header, sizeof header});
    std::span<const uint8_t> magic = fields.Bytes(5);
    if (std::memcmp(magic.data(), kMagic, 5) != 0 && std::memcmp(magic.data(), kOldMagic, 5) != 0) {
        Fail(message::kDamagedBase);
        return false;
    }
    std::span<const uint8_t> date = fields.Bytes(6);
    version = ParseVersionDate(reinterpret_cast<const char*>(date.data()), int32_t(date.size()));
    passwordFile = fields.U8() == 'x';
    fields.Skip(1);
    int32_t variant = VariantIndex(fields.U8());
    fields.Skip(1);
    bool poolMode = fields.U8() == kPoolMode;
    fields.Skip(4);
    ByteScrambler::State key{};
    for (uint32_t& word : key)
        word = fields.U32(ByteOrder::bigEndian);
    if (fields.Failed() || variant < 0) {
        Fail(message::kDamagedBase);
        return false;
    }
    bool older = version < kFirstUnicodeVersion;
    // A password given for a file that has none is not mixed in: it would make a readable file unreadable.
    KeyStream(stream, key, variant, passwordFile ? password : std::string_view(), older ? kSystemCodePageId : 0,
              poolMode);
    if (older)
        SetEncoding(kSystemCodePageId);
    ForgetLine();
    inputStart = readPosition = inputEnd = text.data();
    sourcePosition = 0;
    // The random line comes first: its characters make the keystream of the sections unforeseeable.
    while (ReadLine()) {
        if (LineLength() >= int32_t(kCheckWord.size()) &&
            std::memcmp(LineStart(), kCheckWord.data(), kCheckWord.size()) == 0) {
            sectionsBegan = true;
            return true;
        }
    }
    Fail(message::kDamagedBase);
    return false;
}

void BlockContainerReader::Close()
{
    if (file != nullptr)
        file->Close();
    open = false;
    ForgetLine();
    inputStart = readPosition = inputEnd = text.data();
    stream.Wipe();
}

bool BlockContainerReader::EnsureRoom(int64_t kept)
{
    int64_t needed = kept + (kMaxBlockPayload > kMaxBlockText ? kMaxBlockPayload : kMaxBlockText);
    if (needed <= int64_t(text.size()))
        return true;
    if (needed > kLargestBuffer) {
        SetOutOfMemoryError();
        return false;
    }
    // A line longer than the buffer: it grows, so that the line comes whole.
    int64_t size = int64_t(text.size());
    while (size < needed)
        size *= 2;
    text.resize(size_t(size < kLargestBuffer ? size : kLargestBuffer));
    return true;
}

int64_t BlockContainerReader::Refill()
{
    if (!open)
        return 0;
    int64_t offset = readPosition != nullptr ? readPosition - text.data() : 0;
    int64_t kept = inputEnd != nullptr && readPosition != nullptr ? inputEnd - readPosition : 0;
    ForgetLine();
    sourcePosition += readPosition != nullptr && inputStart != nullptr ? readPosition - inputStart : 0;
    if (kept > 0 && offset > 0)
        std::memmove(text.data(), text.data() + offset, size_t(kept));
    bool room = !ended && EnsureRoom(kept);
    inputStart = readPosition = text.data();
    inputEnd = text.data() + kept;
    if (!room)
        return 0;
    int64_t added = 0;
    while (added == 0 && ReadBlock(added)) {
    }
    // The unread bytes are the start of a line that the failed block would have ended: handed out,
    // they would read as a whole line that the file never held (a cut card key or amount).
    if (error != 0)
        inputEnd = inputStart;
    if (error != 0 && sectionsBegan && onDamage) {
        sectionsBegan = false;  // asked once
        onDamage(error, LineCount());
    }
    return added;
}

void BlockContainerReader::Seek(int64_t)
{
    // The keystream runs forward only: a container is read once from its start.
}

bool BlockContainerReader::ReadBlock(int64_t& added)
{
    uint8_t head[kBlockHeaderSize];
    int64_t got = file->Read(head, kBlockHeaderSize);
    if (got <= 0) {
        ended = true;  // the end of the blocks (or a read error, pending)
        return false;
    }
    if (got < kBlockHeaderSize) {
        Fail(message::kDamagedBase);
        return false;
    }
    for (int32_t i = 0; i < 4; ++i)
        head[i] ^= stream.NextByte();
    if (std::memcmp(head, kBlockMarker, sizeof kBlockMarker) != 0) {
        // A wrong password gives garbage from the first block on.
        Fail(passwordFile ? message::kWrongPassword : message::kDamagedBase);
        return false;
    }
    ByteSpanReader fields({head + 3, kBlockHeaderSize - 3});
    char method = char(fields.U8());
    int32_t length = fields.U16(ByteOrder::bigEndian);
    uint16_t checksum = fields.U16(ByteOrder::bigEndian);
    if (length > kMaxBlockPayload) {
        Fail(message::kDamagedBase);
        return false;
    }
    if (length > 0 && file->Read(payload.data(), length) != length) {
        Fail(message::kDamagedBase);
        return false;
    }
    std::span<uint8_t> plain(payload.data(), size_t(length));
    stream.XorStream(plain);
    if (BlockChecksum(plain) != checksum) {
        Fail(message::kDamagedBase);
        return false;
    }
    char* end = const_cast<char*>(inputEnd);
    int64_t room = int64_t(text.data() + text.size() - end);
    std::span<uint8_t> out(reinterpret_cast<uint8_t*>(end), size_t(room < kMaxBlockText ? room : kMaxBlockText));
    int64_t n = 0;
    if (method == kMethodStored) {
        std::memcpy(end, plain.data(), plain.size());
        n = length;
    } else if (method == kMethodFormatT || method == kMethodFormatZ) {
        ExpandResult result = method == kMethodFormatT ? ExpandBlock(out, plain) : ExpandBlockZ(out, plain);
        if (result.status != ExpandStatus::Complete) {
            Fail(message::kDamagedBase);
            return false;
        }
        n = result.length;
    } else {
        // The method is outside the checksum: a block of an unknown one is a damaged block, never
        // text to pass over.
        Fail(message::kDamagedBase);
        return false;
    }
    inputEnd = end + n;
    added += n;
    return true;
}

// ---- BlockContainerWriter

BlockContainerWriter::BlockContainerWriter() : file(NewByteFile())
{
    pending.reserve(size_t(kBlocksPerBatch) * kMaxBlockText);
    block.reserve(kBlockHeaderSize + kMaxBlockPayload);
}

BlockContainerWriter::~BlockContainerWriter()
{
    // Left by an exception (memory ran short midway), the text is incomplete: it is dropped.
    if (std::uncaught_exceptions() > 0) {
        if (file != nullptr)
            file->Discard();
        return;
    }
    (void)Close();
}

bool BlockContainerWriter::Open(const char* path, char variant, bool compressBlocks, std::string_view password,
                                uint32_t headerWord)
{
    (void)Close();
    int32_t variantIndex = VariantIndex(uint8_t(variant));
    if (file == nullptr || BufferCapacity() == 0 || variantIndex < 0 || !file->OpenForWrite(path))
        return false;
    compress = compressBlocks;
    writeFailed = false;
    pending.clear();

    uint8_t header[kContainerHeaderSize] = {};
    std::memcpy(header, kMagic, sizeof kMagic);
    std::memcpy(header + 5, kVersionDigits, sizeof kVersionDigits);
    header[11] = password.empty() ? 'o' : 'x';
    header[12] = 'm';
    header[13] = uint8_t(variant);
    header[14] = compress ? uint8_t(kMethodFormatZ) : uint8_t(kMethodStored);
    header[15] = uint8_t(kPoolMode);
    stream.Reset();
    stream.SeedFromClock();
    ByteScrambler::State key = stream.SaveState(kStateMask);
    for (int32_t i = 0; i < 3; ++i)
        PutU32(header + 20 + 4 * i, key[size_t(i)], ByteOrder::bigEndian);
    PutU32(header + 32, headerWord, ByteOrder::bigEndian);
    KeyStream(stream, key, variantIndex, password, 0, true);
    if (file->Write(header, kContainerHeaderSize) != kContainerHeaderSize)
        writeFailed = true;

    StartOutput(ByteOrderMarkChoice::omit);
    ByteScrambler random;
    random.SeedFromClock();
    int32_t length = kRandomLineLength + (random.NextByte() & kRandomLineSpread);
    char line[kRandomLineLength + kRandomLineSpread];
    for (int32_t i = 0; i < length; ++i)
        line[i] = random.NextPrintable();
    PutTextBytes(line, length);
    EndRow();
    PutTextBytes(kCheckWord.data(), int32_t(kCheckWord.size()));
    EndRow();
    return true;
}

bool BlockContainerWriter::WriteOut(const char* bytes, int64_t n)
{
    const int64_t batch = int64_t(kBlocksPerBatch) * kMaxBlockText;
    while (n > 0 && !writeFailed) {
        int64_t take = batch - int64_t(pending.size());
        if (take > n)
            take = n;
        pending.insert(pending.end(), reinterpret_cast<const uint8_t*>(bytes), reinterpret_cast<const uint8_t*>(bytes) + take);
        bytes += take;
        n -= take;
        if (int64_t(pending.size()) == batch && !EmitBlocks())
            writeFailed = true;
    }
    return !writeFailed;
}

bool BlockContainerWriter::EmitBlocks()
{
    if (pending.empty())
        return true;
    // Blocks are cut at every kMaxBlockText bytes of text whatever the batch, and each is compressed
    // on its own, so the blocks are the same on any number of threads; only the scrambling, which runs
    // through the file, goes block by block in order.
    const int32_t blocks = int32_t((int64_t(pending.size()) + kMaxBlockText - 1) / kMaxBlockText);
    const size_t room = size_t(CompressBlockBound(kMaxBlockText));
    compressedLengths.assign(size_t(blocks), 0);
    if (compress) {
        compressed.resize(room * size_t(blocks));
        RunTasks(blocks, [&](int32_t b) {
            std::span<const uint8_t> text = BlockText(b);
            compressedLengths[size_t(b)] =
                CompressBlock(std::span<uint8_t>(compressed.data() + room * size_t(b), room), text);
        });
    }
    bool written = true;
    for (int32_t b = 0; b < blocks && written; ++b) {
        char method = kMethodStored;
        std::span<const uint8_t> data = BlockText(b);
        int32_t length = compressedLengths[size_t(b)];
        // Stored when compression fails or gains nothing.
        if (length > 0 && length < int32_t(data.size())) {
            method = kMethodFormatT;
            data = std::span<const uint8_t>(compressed.data() + room * size_t(b), size_t(length));
        }
        written = EmitBlock(method, data);
    }
    pending.clear();
    return written;
}

std::span<const uint8_t> BlockContainerWriter::BlockText(int32_t b) const
{
    size_t start = size_t(b) * size_t(kMaxBlockText);
    return std::span<const uint8_t>(pending).subspan(start, std::min(pending.size() - start, size_t(kMaxBlockText)));
}

bool BlockContainerWriter::EmitBlock(char method, std::span<const uint8_t> data)
{
    block.resize(kBlockHeaderSize + data.size());
    for (int32_t i = 0; i < 3; ++i)
        block[size_t(i)] = uint8_t(kBlockMarker[i]) ^ stream.NextByte();
    block[3] = uint8_t(method) ^ stream.NextByte();
    PutU16(&block[4], uint16_t(data.size()), ByteOrder::bigEndian);
    PutU16(&block[6], BlockChecksum(data), ByteOrder::bigEndian);
    std::memcpy(block.data() + kBlockHeaderSize, data.data(), data.size());
    stream.XorStream(std::span<uint8_t>(block.data() + kBlockHeaderSize, data.size()));
    return file->Write(block.data(), int64_t(block.size())) == int64_t(block.size());
}

bool BlockContainerWriter::Close()
{
    if (!IsOpen())
        return !HasFailed() && !writeFailed;
    bool written = FinishOutput() && !writeFailed && EmitBlocks();
    stream.Wipe();
    if (!written) {
        writeFailed = true;
        file->Discard();
        return false;
    }
    file->SetSize();
    file->Close();
    return !file->HasFailed();
}

}  // namespace vek
