// GatewayFrame: encoding, checking and transferring the gateway's request and reply frames.
#include "platform/web/GatewayFrame.h"

#include "foundation/streams/ByteSpanReader.h"
#include "platform/Sockets.h"

namespace vek {

bool DecodeRequestHeader(std::span<const uint8_t, kRequestHeaderSize> bytes, RequestHeader& header)
{
    ByteSpanReader reader(bytes);
    header.total = reader.U32(ByteOrder::bigEndian);
    header.clientIdLength = reader.U32(ByteOrder::bigEndian);
    header.queryLength = reader.U32(ByteOrder::bigEndian);
    if (reader.Failed() || header.total < uint32_t(kRequestHeaderSize) ||
        header.total > uint32_t(kRequestHeaderSize + kMaxRequestBody))
        return false;
    // In 64 bits: two lengths near 2^32 must not wrap around into a small sum.
    uint64_t needed = uint64_t(header.clientIdLength) + uint64_t(header.queryLength) + 2;
    return needed <= header.BodyLength();
}

bool SplitRequestBody(std::string_view body, const RequestHeader& header, RequestTexts& texts)
{
    size_t clientIdLength = header.clientIdLength;
    size_t queryLength = header.queryLength;
    if (clientIdLength + queryLength + 2 > body.size())
        return false;
    size_t queryStart = clientIdLength + 1;
    size_t environmentStart = queryStart + queryLength + 1;
    if (body[clientIdLength] != '\0' || body[queryStart + queryLength] != '\0')
        return false;
    texts.clientId = body.substr(0, clientIdLength);
    texts.query = body.substr(queryStart, queryLength);
    std::string_view environment = body.substr(environmentStart);
    texts.environment = environment.substr(0, environment.find('\0'));
    return true;
}

std::string EncodeRequestFrame(std::string_view clientId, std::string_view query, std::string_view environment)
{
    size_t body = clientId.size() + query.size() + environment.size() + 3;
    if (body > size_t(kMaxRequestBody))
        return {};
    std::string frame(kRequestHeaderSize, '\0');
    auto* header = reinterpret_cast<uint8_t*>(frame.data());
    PutU32(header, uint32_t(body + kRequestHeaderSize), ByteOrder::bigEndian);
    PutU32(header + 4, uint32_t(clientId.size()), ByteOrder::bigEndian);
    PutU32(header + 8, uint32_t(query.size()), ByteOrder::bigEndian);
    frame.append(clientId).push_back('\0');
    frame.append(query).push_back('\0');
    frame.append(environment).push_back('\0');
    return frame;
}

std::array<uint8_t, kReplyHeaderSize> EncodeReplyHeader(uint32_t bodyLength)
{
    std::array<uint8_t, kReplyHeaderSize> header{};
    PutU32(header.data(), bodyLength + kReplyHeaderSize, ByteOrder::bigEndian);
    PutU32(header.data() + 4, bodyLength, ByteOrder::bigEndian);
    return header;
}

bool DecodeReplyHeader(std::span<const uint8_t, kReplyHeaderSize> bytes, uint32_t& bodyLength)
{
    ByteSpanReader reader(bytes);
    uint32_t total = reader.U32(ByteOrder::bigEndian);
    bodyLength = reader.U32(ByteOrder::bigEndian);
    return !reader.Failed() && uint64_t(bodyLength) + kReplyHeaderSize == total && bodyLength <= kMaxReplyBody;
}

RequestRead ReceiveRequest(int32_t socket, ReceivedRequest& request)
{
    uint8_t headerBytes[kRequestHeaderSize];
    int64_t received = SocketReceiveAll(socket, headerBytes, kRequestHeaderSize);
    if (received == 0)
        return RequestRead::End;
    RequestHeader header;
    if (received != kRequestHeaderSize || !DecodeRequestHeader(std::span<const uint8_t, kRequestHeaderSize>(headerBytes), header))
        return RequestRead::Refused;
    int64_t bodyLength = header.BodyLength();
    if (SocketReceiveAll(socket, request.buffer.data(), bodyLength) != bodyLength)
        return RequestRead::Refused;
    // The NUL after the body ends the environment even when the gateway left its own NUL out.
    request.buffer[size_t(bodyLength)] = '\0';
    if (!SplitRequestBody(std::string_view(request.buffer.data(), size_t(bodyLength)), header, request.texts))
        return RequestRead::Refused;
    return RequestRead::Request;
}

bool SendReply(int32_t socket, std::string_view body)
{
    if (body.size() > size_t(kMaxReplyBody))
        return false;
    // One send of header and body: sent apart, the body waited for the peer's delayed
    // acknowledgement of the header (40 ms on Linux), which bounded the service to some 20 pages a
    // second.
    auto header = EncodeReplyHeader(uint32_t(body.size()));
    std::string frame(reinterpret_cast<const char*>(header.data()), kReplyHeaderSize);
    frame.append(body);
    return SocketSend(socket, frame.data(), int64_t(frame.size())) == int64_t(frame.size());
}

bool ReceiveReply(int32_t socket, std::string& body)
{
    body.clear();
    uint8_t headerBytes[kReplyHeaderSize];
    uint32_t bodyLength = 0;
    if (SocketReceiveAll(socket, headerBytes, kReplyHeaderSize) != kReplyHeaderSize ||
        !DecodeReplyHeader(std::span<const uint8_t, kReplyHeaderSize>(headerBytes), bodyLength))
        return false;
    // Grown as the bytes arrive, so that a lying header cannot make the gateway reserve its size.
    constexpr int64_t kChunk = 65536;
    int64_t left = bodyLength;
    while (left > 0) {
        int64_t part = left < kChunk ? left : kChunk;
        size_t at = body.size();
        body.resize(at + size_t(part));
        if (SocketReceiveAll(socket, body.data() + at, part) != part) {
            body.clear();
            return false;
        }
        left -= part;
    }
    return true;
}

}  // namespace vek
