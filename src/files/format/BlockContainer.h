// BlockContainerReader and BlockContainerWriter: the scrambled, checksummed block form of base files (".vek").
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "foundation/streams/BufferedTextWriter.h"
#include "foundation/streams/ByteScrambler.h"
#include "foundation/streams/TextReader.h"

namespace vek {

class ByteFile;

// The container's sizes. A block carries at most kMaxBlockText bytes of text before compression and
// at most kMaxBlockPayload bytes on disk, so one block buffer always holds one block.
inline constexpr int32_t kContainerHeaderSize = 40;
inline constexpr int32_t kBlockHeaderSize = 8;
inline constexpr int32_t kMaxBlockPayload = 13999;
inline constexpr int32_t kMaxBlockText = 12000;

// The 16-bit checksum of a block's plain payload: per byte, rotate right by one bit, then XOR the byte.
uint16_t BlockChecksum(std::span<const uint8_t> bytes);

// Reads the sectioned text out of a block container (kinds 1-3): the header gives the scrambler's
// key field and variant, every block is unscrambled, checked and expanded in turn, and the text is
// delivered line by line as by any TextReader (a line longer than the buffer grows it). The byte
// layout is in BlockContainer.cpp.
//
// Errors: 3811 for a damaged header or block (a bad marker in a file without password, a length
// beyond 13999 or beyond the file, a checksum that does not match, a compressed block that does not
// expand within kMaxBlockText bytes), 3814 for a bad marker in a password file (the password is
// wrong). The first error ends the input; no byte is read outside the buffers.
class BlockContainerReader final : public TextReader {
public:
    // Called once when a block fails after the sections began, with the error and the last whole
    // line read. The input ends there either way; the handler decides what becomes of what was read
    // (to give it up it sets the pending error, which stops the section reader).
    using DamageHandler = std::function<void(int32_t error, int64_t line)>;

    BlockContainerReader();
    ~BlockContainerReader() override;

    // Opens the file, reads the header and the text up to and including the check line ("vekmagic").
    // The password is mixed into the keystream only when the header says the file has one. False
    // when the file cannot be opened (its error pending) or Error() is set.
    [[nodiscard]] bool Open(const char* path, std::string_view password);
    void Close();
    void SetDamageHandler(DamageHandler handler) { onDamage = std::move(handler); }

    // 0, 3811 (damaged) or 3814 (wrong password).
    int32_t Error() const { return error; }
    // The header's version (yyyymmdd) and whether it says the file has a password.
    int32_t Version() const { return version; }
    bool HasPassword() const { return passwordFile; }

    int64_t Refill() override;
    void Seek(int64_t position) override;

private:
    // Reads, checks and appends the next block's text; false at the end of the blocks or an error.
    bool ReadBlock(int64_t& added);
    void Fail(int32_t code);
    bool EnsureRoom(int64_t kept);

    std::unique_ptr<ByteFile> file;
    ByteScrambler stream;
    DamageHandler onDamage;
    std::vector<char> text;        // the text buffer: unread text at the front, room behind
    std::vector<uint8_t> payload;  // one block's payload
    int32_t error = 0;
    int32_t version = 0;
    bool passwordFile = false;
    bool open = false;
    bool sectionsBegan = false;
    bool ended = false;
};

// Writes a base's sectioned text as a block container: the header, the line of random characters,
// the check line, and then every kMaxBlockText bytes of text as one block (compressed when asked for
// and smaller so, else stored). The file goes through the program's one saving path (ByteFile): the
// old file is replaced only by a Close after which everything was written.
class BlockContainerWriter final : public BufferedTextWriter {
public:
    BlockContainerWriter();
    // Closes (a writer left by an exception drops its file).
    ~BlockContainerWriter() override;

    // The variant letter ("N", "B" or "U"), compression of the blocks, the base's password (empty:
    // none, the header says "o") and the reserved header word. False when the file cannot be opened
    // (its error pending).
    [[nodiscard]] bool Open(const char* path, char variant, bool compress, std::string_view password,
                            uint32_t headerWord);
    // Writes the last block and puts the file in place; false when anything failed (the old file stays).
    [[nodiscard]] bool Close();

private:
    [[nodiscard]] bool WriteOut(const char* bytes, int64_t n) override;
    // Compresses the pending text's blocks (on the worker threads) and writes them in order.
    [[nodiscard]] bool EmitBlocks();
    std::span<const uint8_t> BlockText(int32_t block) const;
    [[nodiscard]] bool EmitBlock(char method, std::span<const uint8_t> data);

    // Blocks compressed in one go: enough to keep every worker busy, few enough to stay in the caches.
    static constexpr int32_t kBlocksPerBatch = 64;

    std::unique_ptr<ByteFile> file;
    ByteScrambler stream;
    std::vector<uint8_t> pending;     // text of the next blocks
    std::vector<uint8_t> block;       // header and payload of one block
    std::vector<uint8_t> compressed;  // room for CompressBlock, a block's worth per block
    std::vector<int32_t> compressedLengths;
    bool compress = true;
    bool writeFailed = false;
};

}  // namespace vek
