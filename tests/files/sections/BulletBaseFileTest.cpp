// The older base files: the bullet-marked text in the system code page, and the packed (Huffman-
// coded) files, whose encoder lives here in the test.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <queue>
#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/format/BaseFileRecord.h"
#include "files/format/BaseFileType.h"
#include "files/basefiles/BaseFiles.h"
#include "files/format/PackedBaseFileReader.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/HeapText.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"
#include "model/dimensions/Dimension.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;

std::string BulletFixture()
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/bullet/old-base.vkx";
}

std::string Text(ConstHeapText text)
{
    return text == nullptr ? std::string() : std::string(text, size_t(HeapTextLength(text)));
}

double SumOfLines(Base& base)
{
    double sum = 0.0;
    for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
        for (CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group)) {
            for (CardLine* line = base.FirstLine(group); line != nullptr; line = base.NextLine(line))
                sum += base.GetLineValue(line, 0);
        }
    }
    return sum;
}

// The figures of the fixture, counted by hand from its lines.
void ExpectFixtureFigures(Base& base)
{
    EXPECT_EQ(base.CardCount(), 2);
    EXPECT_EQ(base.LineCount(), 4);
    EXPECT_NEAR(SumOfLines(base), 237.75, 1e-9);
    String name;
    base.DimensionSingularName(1, name);
    EXPECT_STREQ(name.CStr(), "Konto");
    base.DimensionPluralName(2, name);
    EXPECT_STREQ(name.CStr(), "Projekten");
    // The system code page's letters arrive as themselves.
    const Component* sales = base.GetDimension(1).FindByCode("3000");
    ASSERT_NE(sales, nullptr);
    EXPECT_EQ(Text(sales->text), "Försäljning");
    EXPECT_NE(base.GetDimension(1).FindByCode("1910"), nullptr);
    EXPECT_NE(base.GetDimension(2).FindByCode("P2"), nullptr);
    EXPECT_EQ(base.GetDimension(2).FindByCode("X"), nullptr);  // "•••DimQ" is no dimension

    Card* first = base.FirstCard();
    EXPECT_EQ(Text(first->title), "Öppning");
    // A notes line of 251 characters is continued by the next; the third starts a new line.
    std::string expected;
    for (int i = 0; i < 23; ++i)
        expected += "Anteckning ";
    expected = expected.substr(0, 250) + "fortsättning\rtredje raden";
    EXPECT_EQ(Text(first->notes), expected);
    char stamp[kStampedTextCapacity + 4] = {};
    char* cursor = stamp;
    first->stamps[kStampNotes].CursorPutCompact(cursor);
    EXPECT_STREQ(stamp, "9701011205ABC");
    EXPECT_STREQ(first->stamps[kStampCreated].code, "ABC");
    EXPECT_STREQ(first->stamps[kStampModified].code, "DEF");

    const BaseFileRecord* record = BaseFileRecord::Find(base);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(Text(record->Info().Text(BaseFileInfo::programVersion)), "VEK 3.0");
}

TEST(BulletBaseFileTest, BulletFixtureOpensWithItsFigures)
{
    ClearError();
    BaseFileState state;
    DetectBaseFileType(state, FilePath(BulletFixture()));
    EXPECT_EQ(state.kind, kFileTextBullets);
    EXPECT_EQ(state.version, 19970315);

    test::MessageLog messages;
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(BulletFixture()), nullptr, 0));
    ASSERT_NE(base, nullptr);
    ExpectFixtureFigures(*base);
    // Reported and passed over: the dimension beyond 32 and the section nobody knows.
    EXPECT_EQ(messages.codes, (std::vector<int32_t>{message::kDimensionOutOfRange, message::kUnknownSection}));
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_NE(messages.texts[1].find("Glitter"), std::string::npos);

    // Saved, it is a base of today: its templates in the "##" form, no bullet left.
    ScratchFolder folder;
    ASSERT_TRUE(SaveBaseToPath(*base, FilePath(folder.Path("today.vkx")), nullptr));
    base.reset();
    std::string saved = folder.Read("today.vkx");
    EXPECT_EQ(saved.find("\xE2\x80\xA2"), std::string::npos);
    EXPECT_NE(saved.find("##Templates\r#C\tRapporter: Kort\r"), std::string::npos);
    // Its "xet" stood for the opposite in the older files: export flag t ends clear.
    // (the cards template's own keys follow the shared ones).
    EXPECT_NE(saved.find("#C\tRapporter: Kort\rxeE\tUTF-8\rxem\t#1\rP\t"), std::string::npos);
    EXPECT_EQ(saved.find("\rxet\r"), std::string::npos);
    std::unique_ptr<Base> again(OpenBaseFile(FilePath(folder.Path("today.vkx")), nullptr, 0));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->CardCount(), 2);
    EXPECT_NEAR(SumOfLines(*again), 237.75, 1e-9);
    ClearError();
}

// --- The packed form -------------------------------------------------------------------------------

// The encoder of the packed form, building its tree by the reader's rule: a min-heap of
// (weight, node), equal weights by node number, the smaller pair on the 0-branch.
struct PackedOptions {
    bool bulletMagic = true;  // A5 A5 A5 "Uxe" (kind 6); else "##Uxe" (kind 4, bits in words)
    bool bigEndian = true;
    int64_t blockBits = 60000;
};

void PutNumber(std::string& out, uint32_t value, int32_t bytes, bool bigEndian)
{
    for (int32_t i = 0; i < bytes; ++i) {
        int32_t shift = bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
        out += char((value >> shift) & 0xFF);
    }
}

std::string Pack(const std::string& text, const PackedOptions& options)
{
    uint32_t counts[256] = {};
    for (unsigned char c : text)
        ++counts[c];
    std::vector<int32_t> symbols;
    for (int32_t c = 0; c < 256; ++c) {
        if (counts[c] != 0)
            symbols.push_back(c);
    }
    int32_t n = int32_t(symbols.size());
    std::vector<int32_t> zero(size_t(2 * n), -1), one(size_t(2 * n), -1), parent(size_t(2 * n), -1);
    using Entry = std::pair<uint64_t, int32_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> heap;
    for (int32_t i = 0; i < n; ++i)
        heap.push({counts[symbols[size_t(i)]], i});
    int32_t next = n;
    while (heap.size() > 1) {
        Entry a = heap.top();
        heap.pop();
        Entry b = heap.top();
        heap.pop();
        zero[size_t(next)] = a.second;
        one[size_t(next)] = b.second;
        parent[size_t(a.second)] = parent[size_t(b.second)] = next;
        heap.push({a.first + b.first, next});
        ++next;
    }
    std::vector<std::string> codes(256);
    for (int32_t i = 0; i < n; ++i) {
        std::string code;
        for (int32_t node = i; parent[size_t(node)] >= 0; node = parent[size_t(node)])
            code.insert(code.begin(), one[size_t(parent[size_t(node)])] == node ? '1' : '0');
        codes[size_t(symbols[size_t(i)])] = n == 1 ? "0" : code;
    }

    std::string out = options.bulletMagic ? std::string("\xA5\xA5\xA5Uxe970315") : std::string("##Uxe970315o");
    out.resize(12);
    out += options.bigEndian ? 'm' : 'l';
    out += '\0';
    PutNumber(out, uint32_t(n), 2, options.bigEndian);
    for (int32_t c : symbols) {
        PutNumber(out, counts[c], 4, options.bigEndian);
        PutNumber(out, uint32_t(c), 2, options.bigEndian);
    }
    bool words = !options.bulletMagic;
    auto flush = [&](std::string& bits) {
        if (bits.empty())
            return;
        PutNumber(out, uint32_t(bits.size()), 4, options.bigEndian);
        size_t unit = words ? 32 : 8;
        std::string padded = bits + std::string((unit - bits.size() % unit) % unit, '0');
        for (size_t at = 0; at < padded.size(); at += unit) {
            uint32_t value = 0;
            for (size_t k = 0; k < unit; ++k)
                value = value << 1 | uint32_t(padded[at + k] == '1');
            PutNumber(out, value, int32_t(unit / 8), words ? options.bigEndian : true);
        }
        bits.clear();
    };
    std::string bits;
    for (unsigned char c : text) {
        const std::string& code = codes[c];
        if (int64_t(bits.size() + code.size()) > options.blockBits)
            flush(bits);
        bits += code;
    }
    flush(bits);
    PutNumber(out, 0, 4, options.bigEndian);
    return out;
}

TEST(BulletBaseFileTest, PackedFilesOpenAsTheirText)
{
    ClearError();
    ScratchFolder folder;
    std::string bulletText = ScratchFolder::ReadFileBytes(BulletFixture());
    // The same base as a packed bullet file (kind 6), bits in bytes, in either byte order, and cut
    // into blocks at every size.
    const PackedOptions kinds6[] = {{true, true, 60000}, {true, false, 60000}, {true, true, 9}, {true, true, 65504}};
    for (const PackedOptions& options : kinds6) {
        SCOPED_TRACE(options.blockBits);
        std::string path = folder.Write("packed.vkx", Pack(bulletText, options));
        BaseFileState state;
        DetectBaseFileType(state, FilePath(path));
        EXPECT_EQ(state.kind, kFilePackedBullets);
        test::MessageLog messages;
        std::unique_ptr<Base> base(OpenBaseFile(FilePath(path), nullptr, 0));
        ASSERT_NE(base, nullptr);
        ExpectFixtureFigures(*base);
    }
    // A packed base of the "##" form (kind 4), bits in 32-bit words, in either byte order.
    std::string sections = "##Dimension\t2\rA\tAlpha\r\r##Cards\rC970101-1\tÅr\rG\rL12.5\t\tA\r\r##End\r";
    std::string macRoman = sections;
    macRoman.replace(macRoman.find("Å"), 2, "\x81");
    for (bool bigEndian : {true, false}) {
        SCOPED_TRACE(bigEndian);
        std::string path = folder.Write("packed4.vkx", Pack(macRoman, {false, bigEndian, 64}));
        BaseFileState state;
        DetectBaseFileType(state, FilePath(path));
        EXPECT_EQ(state.kind, kFilePacked);
        std::unique_ptr<Base> base(OpenBaseFile(FilePath(path), nullptr, 0));
        ASSERT_NE(base, nullptr);
        EXPECT_EQ(base->CardCount(), 1);
        EXPECT_NEAR(SumOfLines(*base), 12.5, 1e-9);
        EXPECT_EQ(Text(base->FirstCard()->title), "År");
    }
    // A single symbol: one bit each.
    PackedBaseFileReader reader;
    std::string path = folder.Write("one.vkx", Pack("aaaa", {true, true, 60000}));
    ASSERT_TRUE(reader.Open(path.c_str()));
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(std::string(reader.LineStart(), size_t(reader.LineLength())), "aaaa");
}

TEST(BulletBaseFileTest, DamagedPackedFilesAreRefused)
{
    ClearError();
    ScratchFolder folder;
    std::string good = Pack(std::string(100, 'x') + "\r" + std::string(50, 'y'), {true, true, 60000});
    auto withCount = [&](uint32_t n) {
        std::string bytes = good;
        bytes[14] = char(n >> 8);
        bytes[15] = char(n & 0xFF);
        return bytes;
    };
    std::string tooLong = good.substr(0, 16 + 3 * 6);  // the prefix and the table of x, CR, y
    PutNumber(tooLong, 65505, 4, true);
    tooLong += std::string(8200, '\0');
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"no symbols", withCount(0)},
        {"257 symbols", withCount(257)},
        {"table cut short", good.substr(0, 20)},
        {"block cut short", good.substr(0, good.size() - 10)},
        {"block beyond 65504 bits", tooLong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.Write("bad.vkx", c.bytes);
        std::vector<Base*> before = test::OpenBases();
        test::MessageLog messages;
        EXPECT_EQ(OpenBaseFile(FilePath(path), nullptr, 0), nullptr);
        EXPECT_EQ(test::OpenBases(), before);
        EXPECT_EQ(messages.codes, std::vector<int32_t>{message::kDamagedBase});
        ClearError();
    }
}

}  // namespace
}  // namespace vek
