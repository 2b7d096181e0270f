// Tests of BlockCompressor: the tokens of both formats, damaged blocks, room, and round trips.
#include "foundation/streams/BlockCompressor.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace vek {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Compress(const Bytes& input)
{
    Bytes output(size_t(CompressBlockBound(int64_t(input.size()))));
    int32_t length = CompressBlock(output, input);
    output.resize(size_t(length));
    return output;
}

void ExpectRoundTrip(const Bytes& input)
{
    Bytes compressed = Compress(input);
    ASSERT_GT(compressed.size(), 0u);
    ASSERT_LE(compressed.size(), 2 * input.size());
    Bytes expanded(input.size());
    ExpandResult result = ExpandBlock(expanded, compressed);
    EXPECT_EQ(result.status, ExpandStatus::Complete);
    ASSERT_EQ(result.length, int32_t(input.size()));
    EXPECT_TRUE(expanded == input);
}

// Bytes in which no three consecutive bytes repeat, also not across the given bytes that come
// before them, so that the only matches in a test input are the ones the test puts there.
class UniqueTrigrams {
public:
    explicit UniqueTrigrams(uint32_t seed) : random(seed) {}

    void Append(Bytes& bytes, size_t n)
    {
        for (size_t i = 0; i < n; ++i) {
            while (true) {
                uint8_t next = uint8_t(random());
                if (bytes.size() < 2 || seen.insert(Key(bytes[bytes.size() - 2], bytes.back(), next)).second) {
                    bytes.push_back(next);
                    break;
                }
            }
        }
    }

private:
    static uint32_t Key(uint8_t a, uint8_t b, uint8_t c) { return uint32_t(a) << 16 | uint32_t(b) << 8 | c; }
    std::mt19937 random;
    std::set<uint32_t> seen;
};

uint32_t TrigramAt(const Bytes& bytes, size_t i)
{
    return uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
}

// A match of `length` bytes at `offset + length` bytes after its first occurrence, and nothing else
// that could match: every three consecutive bytes up to the repeat are new.
Bytes InputWithMatch(int32_t length, int32_t offset)
{
    UniqueTrigrams trigrams(uint32_t(length * 7919 + offset));
    Bytes input;
    trigrams.Append(input, size_t(length + offset));
    size_t n = input.size();
    std::set<uint32_t> earlier;
    for (size_t i = 0; i + 3 < n; ++i)
        earlier.insert(TrigramAt(input, i));
    // Pick the last byte so that the trigrams that end in it or span into the repeat are new too.
    for (int value = 0; value < 256; ++value) {
        input[n - 1] = uint8_t(value);
        Bytes tail{input[n - 3], input[n - 2], input[n - 1], input[0], input[1]};
        uint32_t a = TrigramAt(tail, 0), b = TrigramAt(tail, 1), c = TrigramAt(tail, 2);
        if (!earlier.count(a) && !earlier.count(b) && !earlier.count(c) && a != b && b != c && a != c)
            break;
    }
    Bytes repeat(input.begin(), input.begin() + length);
    input.insert(input.end(), repeat.begin(), repeat.end());
    return input;
}

TEST(BlockCompressorTest, RepeatedTextGivesTheDocumentedTokens)
{
    // Each match is cut to its distance of 3; of the two equally long candidates for the second, the
    // one found later in the probe sequence (the nearer) wins, so the offset is 0 again.
    EXPECT_EQ(Compress(FromText("abcabcabc")), (Bytes{97, 98, 99, 192, 0, 192, 0}));
}

TEST(BlockCompressorTest, LiteralsOutsideThePlainRangesAreEscaped)
{
    EXPECT_EQ(Compress(Bytes{0}), (Bytes{24, 0}));
    EXPECT_EQ(Compress(Bytes{0x41, 0xF5}), (Bytes{0x41, 24, 0xF5}));
    EXPECT_EQ(Compress(Bytes{8, 9, 15, 16, 31, 32, 191, 192, 255}),
              (Bytes{24, 8, 9, 15, 24, 16, 24, 31, 32, 191, 24, 192, 24, 255}));
    // One or two bytes cannot hold a match.
    EXPECT_EQ(Compress(FromText("aa")), FromText("aa"));
}

TEST(BlockCompressorTest, EachMatchTakesTheFirstFormThatHoldsIt)
{
    struct Case {
        int32_t length;
        int32_t offset;
        Bytes token;  // empty: no form holds the match, so everything is literal
    };
    const Case cases[] = {
        {3, 0, {192, 0}},
        {10, 2047, {255, 255}},
        {3, 2048, {0, 0}},
        {3, 3071, {3, 255}},
        {4, 2048, {4, 0}},
        {4, 3327, {8, 255}},
        {11, 0, {16, 0}},
        {18, 255, {23, 255}},
        {11, 256, {27, 0xE1, 0}},
        {43, 8191, {31, 0xFF, 0xFF}},
        {5, 8192, {26, 0, 0x20, 0}},
        {260, 65535, {26, 255, 255, 255}},
        {261, 0, {25, 1, 5, 0, 0}},
        {3, 3072, {}},
        {4, 8192, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "length " << c.length << ", offset " << c.offset);
        Bytes input = InputWithMatch(c.length, c.offset);
        Bytes compressed = Compress(input);
        if (c.token.empty()) {
            Bytes literalsOnly;
            for (uint8_t byte : input) {
                if (!((byte >= 9 && byte <= 15) || (byte >= 32 && byte <= 191)))
                    literalsOnly.push_back(24);
                literalsOnly.push_back(byte);
            }
            EXPECT_EQ(compressed, literalsOnly);
        } else {
            ASSERT_GE(compressed.size(), c.token.size());
            EXPECT_EQ(Bytes(compressed.end() - std::ptrdiff_t(c.token.size()), compressed.end()), c.token);
        }
        ExpectRoundTrip(input);
    }
}

TEST(BlockCompressorTest, RoundTrips)
{
    std::mt19937 random(42);
    auto randomBytes = [&](size_t n, uint32_t limit) {
        Bytes bytes(n);
        for (uint8_t& byte : bytes)
            byte = uint8_t(random() % limit);
        return bytes;
    };
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "##Card\t240131-" + std::to_string(i) + "\tRent for January\t" + std::to_string(i * 37) + "\r";
    Bytes longMatch;
    UniqueTrigrams trigrams(7);
    trigrams.Append(longMatch, 70000);
    longMatch.insert(longMatch.end(), longMatch.begin(), longMatch.end());

    struct Case {
        const char* name;
        Bytes input;
    };
    const Case cases[] = {
        {"one byte", Bytes{200}},
        {"two bytes", Bytes{0, 0}},
        {"three equal bytes", Bytes{7, 7, 7}},
        {"text with repeats", FromText(text)},
        {"random bytes", randomBytes(20000, 256)},
        {"few symbols", randomBytes(20000, 3)},
        {"zeros past the stored positions", Bytes(40000, 0)},
        // A repeat longer than any form holds is taken from a later position, shorter.
        {"match longer than 65535", longMatch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRoundTrip(c.input);
    }
}

// The match search reaches back over the whole window that the long forms can name (65535 bytes), and
// finds repeats in text that repeats the same few bytes often (the chains of common keys are long).
TEST(BlockCompressorTest, MatchesAreFoundAcrossTheWholeWindow)
{
    struct Case {
        const char* name;
        size_t uniqueBytes;  // bytes without a repeated trigram, then their first 2000 bytes again
    };
    const Case cases[] = {{"near", 3000}, {"past 32767", 40000}, {"near the window's end", 63000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes input;
        UniqueTrigrams trigrams(11);
        trigrams.Append(input, c.uniqueBytes);
        Bytes head(input.begin(), input.begin() + 2000);
        size_t alone = Compress(input).size();
        input.insert(input.end(), head.begin(), head.end());
        ExpectRoundTrip(input);
        // 2000 bytes in matches of at most 65535: a handful of tokens of at most 5 bytes.
        EXPECT_LE(Compress(input).size(), alone + 40);
    }

    std::string text;
    for (int i = 0; i < 1500; ++i)
        text += "#\t" + std::to_string(230101 + i % 28) + "\t1930\t\t" + std::to_string(i % 7) + "00.00\r";
    Bytes lines = FromText(text);
    ExpectRoundTrip(lines);
    EXPECT_LT(Compress(lines).size() * 4, lines.size());
}

TEST(BlockCompressorTest, CompressingNeedsRoomForTheWholeResult)
{
    Bytes input{0, 1, 2, 3, 4};  // every byte escaped: 10 bytes
    Bytes output(10);
    EXPECT_EQ(CompressBlock(output, input), 10);
    Bytes tooSmall(9);
    EXPECT_EQ(CompressBlock(tooSmall, input), 0);
    EXPECT_EQ(CompressBlock(output, Bytes{}), 0);
}

TEST(BlockCompressorTest, ExpandsEveryFormOfFormatT)
{
    // Each stream starts with literals "ABCD" and 2044 further bytes where a far reference needs them.
    struct Case {
        const char* name;
        Bytes stream;
        Bytes expected;
    };
    const Case cases[] = {
        {"plain literals", {9, 15, 32, 191}, {9, 15, 32, 191}},
        {"escaped literal", {24, 0, 24, 255}, {0, 255}},
        {"192-255 form", {65, 66, 67, 68, 192 + (1 << 3), 0}, {65, 66, 67, 68, 65, 66, 67, 68}},
        {"16-23 form", {65, 66, 67, 68, 65, 66, 67, 68, 65, 66, 67, 16, 0},
         {65, 66, 67, 68, 65, 66, 67, 68, 65, 66, 67, 65, 66, 67, 68, 65, 66, 67, 68, 65, 66, 67}},
        {"27-31 form", {65, 66, 67, 68, 27, 0, 0}, {65, 66, 67, 68, 65, 66, 67, 68}},
        {"26 form", {65, 66, 67, 68, 65, 26, 0, 0, 0}, {65, 66, 67, 68, 65, 65, 66, 67, 68, 65}},
        {"25 form", {65, 66, 67, 68, 25, 0, 4, 0, 0}, {65, 66, 67, 68, 65, 66, 67, 68}},
        {"25 form of length 0", {65, 25, 0, 0, 0, 0}, {65}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes output(64);
        ExpandResult result = ExpandBlock(output, c.stream);
        EXPECT_EQ(result.status, ExpandStatus::Complete);
        output.resize(size_t(result.length));
        EXPECT_EQ(output, c.expected);
    }

    // The far forms reach back past 2048 bytes.
    struct Far {
        Bytes token;
        int32_t length;
        int32_t distance;
    };
    const Far far[] = {
        {{0, 0}, 3, 2051}, {{3, 255}, 3, 3074}, {{4, 0}, 4, 2052}, {{8, 255}, 4, 3331},
    };
    for (const Far& f : far) {
        SCOPED_TRACE(testing::Message() << "token " << int(f.token[0]));
        Bytes stream;
        Bytes expected;
        for (int i = 0; i < 4000; ++i) {
            stream.push_back(uint8_t(32 + i % 150));
            expected.push_back(uint8_t(32 + i % 150));
        }
        stream.insert(stream.end(), f.token.begin(), f.token.end());
        for (int32_t i = 0; i < f.length; ++i)
            expected.push_back(expected[expected.size() - size_t(f.distance)]);
        Bytes output(5000);
        ExpandResult result = ExpandBlock(output, stream);
        EXPECT_EQ(result.status, ExpandStatus::Complete);
        output.resize(size_t(result.length));
        EXPECT_EQ(output, expected);
    }
}

TEST(BlockCompressorTest, ExpandsEveryFormOfFormatZ)
{
    Bytes start{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    struct Case {
        const char* name;
        Bytes tokens;
        int32_t length;
        int32_t distance;  // 0: the tokens are literals
        Bytes literals;
    };
    const Case cases[] = {
        {"plain literals", {0, 244}, 0, 0, {0, 244}},
        {"escaped literal", {255, 245, 255, 255}, 0, 0, {245, 255}},
        {"254", {254, 2}, 3, 5, {}},
        {"250", {250, 1}, 4, 5, {}},
        {"248", {248, (3 << 5) | 0, 1}, 7, 8, {}},
        {"247", {247, (0 << 5) | 0, 2}, 12, 14, {}},
        {"246", {246, 0, 0, 3}, 5, 8, {}},
        {"245", {245, 0, 6, 0, 1}, 6, 7, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes stream = start;
        stream.insert(stream.end(), c.tokens.begin(), c.tokens.end());
        Bytes expected = start;
        expected.insert(expected.end(), c.literals.begin(), c.literals.end());
        for (int32_t i = 0; i < c.length; ++i)
            expected.push_back(expected[expected.size() - size_t(c.distance)]);
        Bytes output(64);
        ExpandResult result = ExpandBlockZ(output, stream);
        EXPECT_EQ(result.status, ExpandStatus::Complete);
        output.resize(size_t(result.length));
        EXPECT_EQ(output, expected);
    }

    // The offset ranges of the two-byte forms: 253, 252, 251 add 256, 512, 768; 249 adds 256.
    const std::pair<uint8_t, int32_t> far[] = {{253, 259}, {252, 515}, {251, 771}, {249, 260}};
    for (auto [token, distance] : far) {
        SCOPED_TRACE(testing::Message() << "token " << int(token));
        Bytes stream;
        for (int i = 0; i < 1000; ++i)
            stream.push_back(uint8_t(i % 240));
        Bytes expected = stream;
        stream.push_back(token);
        stream.push_back(0);
        int32_t length = token == 249 ? 4 : 3;
        for (int32_t i = 0; i < length; ++i)
            expected.push_back(expected[expected.size() - size_t(distance)]);
        Bytes output(2000);
        ExpandResult result = ExpandBlockZ(output, stream);
        EXPECT_EQ(result.status, ExpandStatus::Complete);
        output.resize(size_t(result.length));
        EXPECT_EQ(output, expected);
    }
}

// Damaged blocks stop at the bad token, report the bytes written before it, and never read or write
// outside their buffers (the sanitizers watch the buffers, which are exactly as long as stated).
TEST(BlockCompressorTest, DamagedBlocksStopAtTheBadToken)
{
    enum class Format { T, Z };
    struct Case {
        const char* name;
        Format format;
        Bytes stream;
        size_t outputSize;
        int32_t length;
    };
    const Case cases[] = {
        {"T starts with a match", Format::T, {192, 0}, 16, 0},
        {"T copies from before the start", Format::T, {65, 66, 192, 0}, 16, 2},
        {"T escape cut short", Format::T, {65, 24}, 16, 1},
        {"T 25 form cut short", Format::T, {65, 66, 67, 25, 0, 3, 0}, 16, 3},
        {"T 27 form cut short", Format::T, {65, 66, 67, 27}, 16, 3},
        {"T literal past the output", Format::T, {65, 66, 67}, 2, 2},
        {"T match past the output", Format::T, {65, 66, 67, 192, 0}, 5, 3},
        {"T far match before the start", Format::T, {65, 66, 67, 0, 0}, 16, 3},
        {"T long match before the start", Format::T, {65, 66, 67, 68, 25, 255, 255, 0, 0}, 64, 4},
        {"Z starts with a match", Format::Z, {254, 0}, 16, 0},
        {"Z escape cut short", Format::Z, {1, 255}, 16, 1},
        {"Z 245 form cut short", Format::Z, {1, 2, 3, 245, 0}, 16, 3},
        {"Z match past the output", Format::Z, {1, 2, 3, 254, 0}, 4, 3},
        {"Z literal past the output", Format::Z, {1, 2, 3}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes output(c.outputSize);
        Bytes stream = c.stream;
        ExpandResult result = c.format == Format::T ? ExpandBlock(output, stream) : ExpandBlockZ(output, stream);
        EXPECT_EQ(result.status, ExpandStatus::Damaged);
        EXPECT_EQ(result.length, c.length);
    }
}

TEST(BlockCompressorTest, OutputOfExactlyTheExpandedSizeIsEnough)
{
    Bytes input = FromText("to be or not to be, that is the question; to be or not to be");
    Bytes compressed = Compress(input);
    Bytes exact(input.size());
    EXPECT_EQ(ExpandBlock(exact, compressed).status, ExpandStatus::Complete);
    EXPECT_EQ(exact, input);
    Bytes shortByOne(input.size() - 1);
    EXPECT_EQ(ExpandBlock(shortByOne, compressed).status, ExpandStatus::Damaged);
}

}  // namespace
}  // namespace vek
