// GatewayFrame: the request and reply frames between the web gateway and the program's web service.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vek {

// The gateway (vek-cgi) forwards each browser request over TCP to the program and passes the page it
// gets back to the web server. Both ends read and write the frames here and nowhere else.
//
// Request frame (gateway to program), every number an unsigned 32-bit big-endian word:
//
//   | offset | width | field                                                     |
//   |--------|-------|-----------------------------------------------------------|
//   | 0      | 4     | total length, header included (body length + 20)          |
//   | 4      | 4     | client-id length in bytes, without its NUL                |
//   | 8      | 4     | query length in bytes, without its NUL                    |
//   | 12     | 4     | reserved: written 0, not read                             |
//   | 16     | 4     | reserved: written 0, not read                             |
//   | 20     | body  | client id, NUL, query, NUL, environment line, NUL         |
//
// Reply frame (program to gateway):
//
//   | offset | width | field                                                     |
//   |--------|-------|-----------------------------------------------------------|
//   | 0      | 4     | total length: body length + 16                            |
//   | 4      | 4     | body length                                               |
//   | 8      | 4     | 0                                                         |
//   | 12     | 4     | 0                                                         |
//   | 16     | body  | the page, UTF-8, lines ended by LF                        |
//
// A request body holds at most 5999 bytes. A header whose total is below 20 or above 20 + 5999, or
// whose two lengths with their NULs do not fit in the body, is refused whole: nothing after it on that
// connection can be trusted to start a frame, so the connection is ended.

constexpr int32_t kRequestHeaderSize = 20;
constexpr int32_t kReplyHeaderSize = 16;
constexpr int32_t kMaxRequestBody = 5999;
// Replies are pages of a few hundred kilobytes at most; the gateway refuses more than this.
constexpr int64_t kMaxReplyBody = int64_t(256) << 20;

struct RequestHeader {
    uint32_t total = 0;
    uint32_t clientIdLength = 0;
    uint32_t queryLength = 0;

    uint32_t BodyLength() const { return total - kRequestHeaderSize; }
};

// The texts of a request; views into the buffer they were read from, each ending before a NUL.
struct RequestTexts {
    std::string_view clientId;
    std::string_view query;
    std::string_view environment;
};

// The header of a request: false when its total is outside 20 .. 20 + 5999 or its lengths with their
// two NULs do not fit in the body it announces.
[[nodiscard]] bool DecodeRequestHeader(std::span<const uint8_t, kRequestHeaderSize> bytes, RequestHeader& header);
// The texts of a body whose header passed DecodeRequestHeader. The environment runs to the first NUL
// after the query's or to the end of the body. False when the bytes after the client id and after the
// query are not NULs (the gateway and the lengths disagree).
[[nodiscard]] bool SplitRequestBody(std::string_view body, const RequestHeader& header, RequestTexts& texts);
// A whole request frame; empty when the body would exceed 5999 bytes.
std::string EncodeRequestFrame(std::string_view clientId, std::string_view query, std::string_view environment);

std::array<uint8_t, kReplyHeaderSize> EncodeReplyHeader(uint32_t bodyLength);
// The body length of a reply header; false when the total does not match it or it exceeds kMaxReplyBody.
[[nodiscard]] bool DecodeReplyHeader(std::span<const uint8_t, kReplyHeaderSize> bytes, uint32_t& bodyLength);

// A request read from a connection: the buffer its texts point into (the body and a NUL after it).
struct ReceivedRequest {
    std::array<char, kMaxRequestBody + 1> buffer{};
    RequestTexts texts;
};

enum class RequestRead {
    Request,  // a whole, well-formed request
    End,      // the peer closed the connection before a new frame
    Refused,  // a broken frame, a connection cut inside one, a receive error or timeout
};
// Receives one request frame, looping until it is complete; the socket's receive timeout bounds every
// wait. After Refused the connection must be closed.
[[nodiscard]] RequestRead ReceiveRequest(int32_t socket, ReceivedRequest& request);
// Sends a reply frame (header, then body) in full; false when the connection broke.
[[nodiscard]] bool SendReply(int32_t socket, std::string_view body);
// The gateway's side: receives a reply frame into `body`; false for a broken or short frame.
[[nodiscard]] bool ReceiveReply(int32_t socket, std::string& body);

}  // namespace vek
