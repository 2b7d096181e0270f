// GatewayFrameTest: the request and reply frames checked against their sizes, and read and written
// whole over a connection.
#include "platform/web/GatewayFrame.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/socket.h>
#include <thread>

#include "foundation/streams/ByteSpanReader.h"
#include "platform/Sockets.h"

namespace vek {
namespace {

std::string Header(uint32_t total, uint32_t clientIdLength, uint32_t queryLength)
{
    std::string bytes(kRequestHeaderSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(bytes.data());
    PutU32(p, total, ByteOrder::bigEndian);
    PutU32(p + 4, clientIdLength, ByteOrder::bigEndian);
    PutU32(p + 8, queryLength, ByteOrder::bigEndian);
    return bytes;
}

bool Decodes(const std::string& header, RequestHeader& decoded)
{
    return DecodeRequestHeader(std::span<const uint8_t, kRequestHeaderSize>(
                                   reinterpret_cast<const uint8_t*>(header.data()), kRequestHeaderSize),
                               decoded);
}

TEST(GatewayFrame, HeadersAreCheckedAgainstTheirSizes)
{
    struct Case {
        const char* name;
        uint32_t total, clientId, query;
        bool accepted;
    } cases[] = {
        {"an empty body with its three NULs' room", 20 + 3, 0, 0, true},
        {"the largest body", 20 + 5999, 10, 20, true},
        // Regression: a total below 20 was taken unsigned as a body of 5999 bytes to wait for.
        {"a total below the header", 19, 0, 0, false},
        {"a total of zero", 0, 0, 0, false},
        // Regression: a longer body was cut to 5999 and its rest read as the next header.
        {"a body of 6000 bytes", 20 + 6000, 1, 1, false},
        {"a total near 2^32", 0xffffffffu, 1, 1, false},
        // Regression: the lengths were never compared with the body, so the query was read beyond it.
        {"a client id longer than the body", 20 + 10, 9, 0, false},
        {"lengths that fill the body but leave no room for the NULs", 20 + 10, 5, 4, false},
        {"lengths that just fit with their NULs", 20 + 10, 5, 3, true},
        {"lengths whose sum wraps around 32 bits", 20 + 10, 0xffffffffu, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RequestHeader header;
        EXPECT_EQ(Decodes(Header(c.total, c.clientId, c.query), header), c.accepted);
    }
}

TEST(GatewayFrame, BodiesSplitIntoTheirTextsOnlyWhereTheLengthsMeetTheirNuls)
{
    std::string frame = EncodeRequestFrame("client-1", "templates=ABCD", "gateway=\"/vek.cgi\"");
    ASSERT_EQ(frame.size(), size_t(20 + 8 + 14 + 18 + 3));
    RequestHeader header;
    ASSERT_TRUE(Decodes(frame.substr(0, 20), header));
    RequestTexts texts;
    std::string_view body = std::string_view(frame).substr(20);
    ASSERT_TRUE(SplitRequestBody(body, header, texts));
    EXPECT_EQ(texts.clientId, "client-1");
    EXPECT_EQ(texts.query, "templates=ABCD");
    EXPECT_EQ(texts.environment, "gateway=\"/vek.cgi\"");

    // A gateway whose lengths disagree with its NULs is not believed.
    RequestHeader shifted = header;
    shifted.clientIdLength -= 1;
    EXPECT_FALSE(SplitRequestBody(body, shifted, texts));
    // An environment without its NUL ends with the body.
    std::string open = std::string(body.substr(0, body.size() - 1));
    ASSERT_TRUE(SplitRequestBody(open, header, texts));
    EXPECT_EQ(texts.environment, "gateway=\"/vek.cgi\"");

    EXPECT_TRUE(EncodeRequestFrame(std::string(5996, 'q'), "", "").size() == 20 + 5999);
    EXPECT_TRUE(EncodeRequestFrame(std::string(5997, 'q'), "", "").empty()) << "one byte too many";
}

TEST(GatewayFrame, ReplyHeadersCarryTheBodyLengthTwice)
{
    auto header = EncodeReplyHeader(1234);
    uint32_t length = 0;
    EXPECT_TRUE(DecodeReplyHeader(header, length));
    EXPECT_EQ(length, 1234u);
    header[3] ^= 1;  // the total no longer matches
    EXPECT_FALSE(DecodeReplyHeader(header, length));
    EXPECT_TRUE(DecodeReplyHeader(EncodeReplyHeader(0), length)) << "an empty page still has its header";
    EXPECT_EQ(length, 0u);
}

// Two connected sockets: what one end sends, the other receives.
class FramePair : public testing::Test {
protected:
    void SetUp() override
    {
        int ends[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
        gateway.Reset(ends[0]);
        service.Reset(ends[1]);
        ASSERT_EQ(SetSocketReceiveTimeout(service.Get(), 200), 1);
    }

    void Send(std::string_view bytes) { ASSERT_EQ(SocketSend(gateway.Get(), bytes.data(), int64_t(bytes.size())), int64_t(bytes.size())); }

    SocketHandle gateway;
    SocketHandle service;
    ReceivedRequest request;
};

TEST_F(FramePair, RequestsArriveWholeWhateverPiecesTheyComeIn)
{
    std::string first = EncodeRequestFrame("abcdef", "version", "");
    std::string second = EncodeRequestFrame("abcdef", "templates=X", "images=\"i/\"");
    // Sent byte by byte from another thread: every receive must loop until the frame is complete.
    std::thread sender([&] {
        for (char c : first + second)
            (void)SocketSend(gateway.Get(), &c, 1);
    });
    ASSERT_EQ(ReceiveRequest(service.Get(), request), RequestRead::Request);
    EXPECT_EQ(request.texts.query, "version");
    ASSERT_EQ(ReceiveRequest(service.Get(), request), RequestRead::Request);
    EXPECT_EQ(request.texts.query, "templates=X");
    EXPECT_EQ(request.texts.environment, "images=\"i/\"");
    sender.join();
    gateway.Reset();
    EXPECT_EQ(ReceiveRequest(service.Get(), request), RequestRead::End) << "the gateway closed between frames";
}

TEST_F(FramePair, BrokenFramesAndSilentGatewaysAreRefused)
{
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"a total below the header", Header(12, 0, 0)},
        {"lengths beyond the body", Header(30, 100, 100) + std::string(10, '\0')},
        {"a header cut short", Header(30, 1, 1).substr(0, 11)},
        {"a body cut short (the receive times out)", Header(30, 1, 1) + "ab"},
        {"nothing at all (the receive times out)", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Send(c.bytes);
        EXPECT_EQ(ReceiveRequest(service.Get(), request), RequestRead::Refused);
    }
}

TEST_F(FramePair, RepliesGoOutWholeAndComeBackWhole)
{
    std::string page(300000, 'x');
    page += "<end>";
    std::thread sender([&] { EXPECT_TRUE(SendReply(service.Get(), page)); });
    std::string received;
    EXPECT_TRUE(ReceiveReply(gateway.Get(), received));
    sender.join();
    EXPECT_EQ(received, page);

    // A reply cut off before its last byte is no reply.
    auto header = EncodeReplyHeader(10);
    (void)SocketSend(service.Get(), header.data(), kReplyHeaderSize);
    (void)SocketSend(service.Get(), "12345", 5);
    service.Reset();
    EXPECT_FALSE(ReceiveReply(gateway.Get(), received));
    EXPECT_TRUE(received.empty());
}

}  // namespace
}  // namespace vek
