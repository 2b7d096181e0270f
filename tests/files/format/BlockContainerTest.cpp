// The block container: bases save as containers and read back to the same text, passwords key them,
// and damaged containers are refused with a numbered message, leaving the open bases as they were.
// The tests compare decoded text; only the damage cases look at bytes, to damage them.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/format/BaseFileType.h"
#include "files/basefiles/BaseFiles.h"
#include "files/basefiles/BaseFileSettings.h"
#include "files/format/BlockContainer.h"
#include "files/setups/SaveSettings.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/services/Service.h"
#include "foundation/streams/BlockCompressor.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/streams/MemoryByteFile.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/base/BaseProtection.h"
#include "model/dimensions/Dimension.h"
#include "model/base/ModelServices.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;

constexpr int32_t kHeader = 40;

// A base's sections, long enough for several blocks.
std::string BaseSections(int32_t cards, size_t padding = 0)
{
    std::string text = "##Dimension\t2\rA\tAlpha" + std::string(padding, 'a') + "\rB\tBeta\r\r##Cards\r";
    for (int32_t i = 1; i <= cards; ++i)
        text += "C240101-" + std::to_string(i) + "\tCard number " + std::to_string(i) + "\rG\rL" +
                std::to_string(i) + ".25\tline\tA\r\r";
    return text + "##End\r";
}

// Writes the text as a container through the writer, as a save does.
void WriteContainer(const std::string& path, const std::string& text, bool compress, std::string_view password = {})
{
    BlockContainerWriter writer;
    ASSERT_TRUE(writer.Open(path.c_str(), 'N', compress, password, 0));
    writer.PutTextBytes(text.data(), int32_t(text.size()));
    ASSERT_TRUE(writer.Close());
}

// Every line of a container after its check line.
std::vector<std::string> ReadContainerLines(const std::string& path, std::string_view password, int32_t& error)
{
    BlockContainerReader reader;
    std::vector<std::string> lines;
    if (reader.Open(path.c_str(), password)) {
        while (reader.ReadLine())
            lines.emplace_back(reader.LineStart(), size_t(reader.LineLength()));
    }
    error = reader.Error();
    ClearError();
    return lines;
}

// The plain text of a container written from `text`: its random line (only its length is known:
// the check line starts after it), the check line and the text. Blocks after the first are wholly
// known from it.
std::string PlainOf(const std::string& path, const std::string& text)
{
    BlockContainerReader reader;
    EXPECT_TRUE(reader.Open(path.c_str(), {}));
    int64_t randomLength = reader.LinePosition() - 1;
    EXPECT_GE(randomLength, 24);
    EXPECT_LE(randomLength, 55);
    return std::string(size_t(randomLength), 'x') + "\rvekmagic\r" + text;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\r', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The blocks of a container, for damaging one: offset and payload length of each.
struct BlockSpan {
    size_t offset;
    size_t length;
};

std::vector<BlockSpan> Blocks(const std::string& bytes)
{
    std::vector<BlockSpan> blocks;
    size_t at = kHeader;
    while (at + 8 <= bytes.size()) {
        size_t length = size_t(uint8_t(bytes[at + 4])) << 8 | uint8_t(bytes[at + 5]);
        blocks.push_back({at, length});
        at += 8 + length;
    }
    return blocks;
}

// Replaces block i of a stored container by a block of the method and payload given. The keystream
// of the block is recovered from its known plain text: the random line (read back), the check line
// and the text, cut into blocks of kMaxBlockText bytes.
std::string ForgeBlock(const std::string& bytes, const std::string& plainText, size_t i, char method,
                       const std::string& payload)
{
    std::vector<BlockSpan> blocks = Blocks(bytes);
    std::string forged = bytes;
    const BlockSpan& block = blocks[i];
    std::string plain = plainText.substr(i * kMaxBlockText, block.length);
    EXPECT_EQ(payload.size(), plain.size());
    const char marker[4] = {'#', '#', '#', '-'};
    forged[block.offset + 3] = char(bytes[block.offset + 3] ^ marker[3] ^ method);
    uint16_t checksum = BlockChecksum({reinterpret_cast<const uint8_t*>(payload.data()), payload.size()});
    forged[block.offset + 6] = char(checksum >> 8);
    forged[block.offset + 7] = char(checksum & 0xFF);
    for (size_t k = 0; k < payload.size(); ++k)
        forged[block.offset + 8 + k] = char(bytes[block.offset + 8 + k] ^ plain[k] ^ payload[k]);
    return forged;
}

class BlockContainerTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override
    {
        for (Base* base : test::OpenBases())
            delete base;
        ClearError();
    }

    ScratchFolder folder;
};

TEST_F(BlockContainerTest, ChecksumRotatesRightAndAddsEachByte)
{
    const uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(BlockChecksum(abc), 0x404A);
    EXPECT_EQ(BlockChecksum({}), 0);
}

// Text of every size reads back line for line, stored or compressed, with or without a password;
// a line longer than the text buffer comes whole.
TEST_F(BlockContainerTest, TextReadsBackLineForLine)
{
    std::string longLine(70000, 'q');
    struct Case {
        const char* name;
        std::string text;
        bool compress;
        std::string_view password;
    };
    const Case cases[] = {
        {"empty", "", true, {}},
        {"one line", "##End\r", false, {}},
        {"many blocks, compressed", BaseSections(900), true, {}},
        {"many blocks, stored", BaseSections(900), false, {}},
        {"with password", BaseSections(300), true, "Sesam"},
        {"a line beyond the buffer", "a\r" + longLine + "\rz\r", true, {}},
        {"exactly one block", std::string(kMaxBlockText - 1, 'k') + "\r", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.Path("text.vek");
        WriteContainer(path, c.text, c.compress, c.password);
        int32_t error = -1;
        std::vector<std::string> lines = ReadContainerLines(path, c.password, error);
        EXPECT_EQ(error, 0);
        EXPECT_EQ(lines, SplitLines(c.text));
    }
    // The password is part of the keystream: none or another one fails at the first block.
    WriteContainer(folder.Path("locked.vek"), BaseSections(3), true, "Sesam");
    int32_t error = 0;
    EXPECT_TRUE(ReadContainerLines(folder.Path("locked.vek"), "sesam", error).size() > 3);
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(ReadContainerLines(folder.Path("locked.vek"), "Sesame", error).empty());
    EXPECT_EQ(error, message::kWrongPassword);
}

// The fixture bases saved as containers and back as text give the fixtures byte for byte, for each
// variant and with and without compression.
TEST_F(BlockContainerTest, FixturesSaveAsContainersAndBackByteForByte)
{
    test::MessageLog messages;
    for (const char* name : {"every-section.vkx", "named-objects.vkx", "kept-sections.vkx"}) {
        for (int32_t format : {kSaveFormatContainerN, kSaveFormatContainerB, kSaveFormatContainerU}) {
            for (bool compress : {true, false}) {
                SCOPED_TRACE(std::string(name) + " format " + std::to_string(format) + (compress ? " compressed" : ""));
                std::string original = ScratchFolder::ReadFileBytes(test::FixturePath(name));
                std::unique_ptr<Base> base(OpenBaseFile(FilePath(test::FixturePath(name)), nullptr, 0));
                ASSERT_NE(base, nullptr);
                std::unique_ptr<SaveSettings> settings = MakeSaveSettingsFromBase(*base);
                settings->SetFormat(format);
                settings->SetCompress(compress);
                std::string container = folder.Path("copy.vek");
                ASSERT_TRUE(SaveBaseToPath(*base, FilePath(container), settings.get()));
                base.reset();
                std::string bytes = folder.Read("copy.vek");
                EXPECT_EQ(bytes.substr(0, 5), "\x05\x13Uxe");
                EXPECT_EQ(bytes.find("##Dimension"), std::string::npos);  // nothing legible

                BaseFileState state;
                DetectBaseFileType(state, FilePath(container));
                EXPECT_EQ(state.kind, format);
                EXPECT_EQ(state.compressed, compress ? 1 : 0);
                // named-objects.vkx has a password, which now keys the container.
                std::unique_ptr<Base> reopened(OpenBaseFile(FilePath(container), "Open sesame", 0));
                ASSERT_NE(reopened, nullptr) << (messages.texts.empty() ? "" : messages.texts.back());
                ASSERT_TRUE(SaveBaseToPath(*reopened, FilePath(folder.Path("back.vkx")), nullptr));
                EXPECT_EQ(folder.Read("back.vkx"), original);
            }
        }
    }
    EXPECT_TRUE(messages.codes.empty()) << messages.texts.front();
}

// A base with a password opens with it (in any case), and is refused without it or with another.
TEST_F(BlockContainerTest, PasswordBaseOpensOnlyWithItsPassword)
{
    std::string path = folder.Path("locked.vek");
    {
        std::unique_ptr<Base> base(OpenBaseFile(FilePath(test::FixturePath("every-section.vkx")), nullptr, 0));
        ASSERT_NE(base, nullptr);
        ASSERT_TRUE(base->Protection().SetPassword("Sesam"));
        ASSERT_TRUE(SaveBaseToPath(*base, FilePath(path), nullptr));
    }
    BaseFileState state;
    DetectBaseFileType(state, FilePath(path));
    EXPECT_EQ(state.passwordNeeded, 1);

    std::unique_ptr<Base> opened(OpenBaseFile(FilePath(path), "sESAM", 0));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->Protection().PasswordHash(), BaseProtection::PasswordHashOf("Sesam"));
    opened.reset();

    struct Case {
        const char* name;
        const char* password;
        int32_t message;
    };
    const Case refusals[] = {
        {"no password, nobody to ask", nullptr, message::kPasswordNotGiven},
        {"another password", "Sesame", message::kWrongPassword},
    };
    for (const Case& c : refusals) {
        SCOPED_TRACE(c.name);
        std::vector<Base*> before = test::OpenBases();
        test::MessageLog messages;
        EXPECT_EQ(OpenBaseFile(FilePath(path), c.password, 0), nullptr);
        EXPECT_EQ(test::OpenBases(), before);
        ASSERT_EQ(messages.codes.size(), 1u);
        EXPECT_EQ(messages.codes[0], c.message);
        EXPECT_FALSE(IsErrorPending());
    }
}

// The password question of the model's services: its answer opens the base; a wrong one does not.
class TypedPassword : public HeadlessModelServices {
public:
    int32_t AskPassword(Base*, String& out, int32_t) override
    {
        ++questions;
        out.AssignCStr(typed.c_str());
        return 1;
    }
    std::string typed;
    int32_t questions = 0;

private:
    ScopedService<ModelServices> registered{this};
};

TEST_F(BlockContainerTest, PasswordIsAskedWhenNoneIsGiven)
{
    std::string path = folder.Path("asked.vek");
    {
        std::unique_ptr<Base> base(OpenBaseFile(FilePath(test::FixturePath("named-objects.vkx")), nullptr, 0));
        ASSERT_NE(base, nullptr);
        ASSERT_TRUE(base->Protection().SetPassword("Öppna"));
        ASSERT_TRUE(SaveBaseToPath(*base, FilePath(path), nullptr));
    }
    TypedPassword asker;
    test::MessageLog messages;
    asker.typed = "öppna";
    std::unique_ptr<Base> opened(OpenBaseFile(FilePath(path), nullptr, 0));
    EXPECT_NE(opened, nullptr);
    EXPECT_EQ(asker.questions, 1);
    opened.reset();
    asker.typed = "stäng";
    EXPECT_EQ(OpenBaseFile(FilePath(path), nullptr, 0), nullptr);
    EXPECT_EQ(messages.codes, std::vector<int32_t>{message::kWrongPassword});
}

// Damaged containers: a numbered message naming the file, no base left open, an import into an open
// base taken back whole. Damage in the first block stops the open at once (3811, 3814); damage
// further on asks whether to keep what was read (3812), and the preset answer keeps nothing.
TEST_F(BlockContainerTest, DamagedContainersAreRefusedAndLeaveNothing)
{
    std::string knownText = BaseSections(900);
    std::string stored = folder.Path("stored.vek");
    WriteContainer(stored, knownText, false);
    std::string storedBytes = folder.Read("stored.vek");
    std::string compressedPath = folder.Path("compressed.vek");
    WriteContainer(compressedPath, knownText, true);
    std::string compressedBytes = folder.Read("compressed.vek");
    std::string lockedPath = folder.Path("locked.vek");
    WriteContainer(lockedPath, "##Protection\tSesam\r" + knownText, true, "Sesam");
    std::string lockedBytes = folder.Read("locked.vek");

    std::string plain = PlainOf(stored, knownText);
    std::vector<BlockSpan> blocks = Blocks(storedBytes);
    std::vector<BlockSpan> packed = Blocks(compressedBytes);
    ASSERT_GE(blocks.size(), 4u);
    ASSERT_GE(packed.size(), 3u);

    auto flip = [](std::string bytes, size_t at) {
        bytes[at] = char(bytes[at] ^ 0x20);
        return bytes;
    };
    auto setLength = [](std::string bytes, const BlockSpan& block, size_t length) {
        bytes[block.offset + 4] = char(length >> 8);
        bytes[block.offset + 5] = char(length & 0xFF);
        return bytes;
    };
    // A format T stream that expands to far more than a block's text: ten literals, then copies of
    // ten bytes from ten back.
    std::string bomb = "0123456789";
    while (bomb.size() + 2 <= blocks[1].length)
        bomb += std::string("\xF8\x00", 2);
    bomb.resize(blocks[1].length, 'x');

    struct Case {
        const char* name;
        std::string bytes;
        int32_t message;
        const char* password = nullptr;
    };
    const BlockSpan& last = blocks.back();
    const Case cases[] = {
        {"flipped byte in the key field", flip(storedBytes, 21), message::kDamagedBase},
        {"flipped byte in the first block's marker", flip(storedBytes, blocks[0].offset + 1), message::kDamagedBase},
        {"flipped byte in the first stored block", flip(storedBytes, blocks[0].offset + 300), message::kDamagedBase},
        {"flipped byte in the first compressed block", flip(compressedBytes, packed[0].offset + 100), message::kDamagedBase},
        {"flipped byte in a later stored block", flip(storedBytes, blocks[2].offset + 50), message::kDamagedBlockKeep},
        {"flipped byte in a later compressed block", flip(compressedBytes, packed[1].offset + 9), message::kDamagedBlockKeep},
        // Regression: a block of an unknown method was passed over, and its text silently lost.
        {"flipped method of a later block", flip(storedBytes, blocks[2].offset + 3), message::kDamagedBlockKeep},
        {"wrong checksum", flip(storedBytes, blocks[1].offset + 7), message::kDamagedBlockKeep},
        {"truncated in the header", storedBytes.substr(0, 30), message::kDamagedBase},
        {"truncated in a block header", storedBytes.substr(0, blocks[2].offset + 5), message::kDamagedBlockKeep},
        {"truncated in a block", storedBytes.substr(0, blocks[2].offset + 500), message::kDamagedBlockKeep},
        {"block length beyond the file", setLength(storedBytes, last, last.length + 100), message::kDamagedBlockKeep},
        {"block length 14000", setLength(storedBytes, blocks[1], 14000), message::kDamagedBlockKeep},
        {"compressed block expanding beyond a block", ForgeBlock(storedBytes, plain, 1, 'b', bomb),
         message::kDamagedBlockKeep},
        {"wrong password", lockedBytes, message::kWrongPassword, "Sesame"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.Write("damaged.vek", c.bytes);
        std::vector<Base*> before = test::OpenBases();
        {
            test::MessageLog messages;
            EXPECT_EQ(OpenBaseFile(FilePath(path), c.password, 0), nullptr);
            EXPECT_EQ(test::OpenBases(), before);
            ASSERT_EQ(messages.codes.size(), 1u);
            EXPECT_EQ(messages.codes[0], c.message);
            if (c.message != message::kWrongPassword) {
                EXPECT_NE(messages.texts[0].find("damaged.vek"), std::string::npos) << messages.texts[0];
            }
        }
        ClearError();
        Base bystander(FilePath(folder.Path("open.vkx")), 0);
        bystander.AddComponent(1, "KEEP", "Kept", nullptr);
        {
            test::MessageLog messages;
            EXPECT_FALSE(ImportBaseFile(bystander, FilePath(path), c.password, 0));
        }
        ClearError();
        EXPECT_EQ(bystander.CardCount(), 0);
        EXPECT_EQ(bystander.GetDimension(1).FindByCode("A"), nullptr);
        EXPECT_NE(bystander.GetDimension(1).FindByCode("KEEP"), nullptr);
    }
    // The same file undamaged opens.
    std::unique_ptr<Base> good(OpenBaseFile(FilePath(stored), nullptr, 0));
    ASSERT_NE(good, nullptr);
    EXPECT_EQ(good->CardCount(), 900);
}

// A save that fails midway (the disk is full after a few blocks) leaves the old file as it was.
TEST_F(BlockContainerTest, SaveFailingMidwayLeavesTheOldFile)
{
    ScopedService<ByteFileMaker> memory(MakeMemoryByteFile);
    MemoryFiles().Put("/old.vek", "the old container");
    MemoryFiles().SetCapacity(30000);
    {
        BlockContainerWriter writer;
        ASSERT_TRUE(writer.Open("/old.vek", 'N', false, {}, 0));
        std::string text = BaseSections(900);
        writer.PutTextBytes(text.data(), int32_t(text.size()));
        EXPECT_FALSE(writer.Close());
    }
    MemoryFiles().SetCapacity(-1);
    EXPECT_EQ(GetPendingError().message.code, message::kWriteFailed);
    ClearError();
    EXPECT_EQ(MemoryFiles().Get("/old.vek"), std::optional<std::string>("the old container"));
    MemoryFiles().Remove("/old.vek");
}

// Answering "Continue" to a damaged block keeps what was read before it.
// The last block that checks out ends anywhere in a card: the padding moves that cut through every
// byte of one card. The part of a line before the damage is not a line of the file and is left out.
TEST_F(BlockContainerTest, ContinuingAfterDamageKeepsWhatWasRead)
{
    std::string path = folder.Path("stored.vek");
    for (size_t padding = 0; padding < 48; ++padding) {
        SCOPED_TRACE(padding);
        WriteContainer(path, BaseSections(900, padding), false);
        std::string bytes = folder.Read("stored.vek");
        std::vector<BlockSpan> blocks = Blocks(bytes);
        folder.Write("stored.vek", bytes.substr(0, blocks[3].offset + 20));
        test::AnsweringHandler answers(1, 0);
        std::unique_ptr<Base> base(OpenBaseFile(FilePath(path), nullptr, 0));
        ASSERT_NE(base, nullptr);
        EXPECT_GT(base->CardCount(), 100);
        EXPECT_LT(base->CardCount(), 900);
        EXPECT_EQ(answers.codes, (std::vector<int32_t>{message::kDamagedBlockKeep, message::kBaseFileIncomplete}));
        ClearError();
    }
}

}  // namespace
}  // namespace vek
