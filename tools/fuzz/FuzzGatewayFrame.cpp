// Request frames from outside, as the web service reads them from a connection: a header that passes
// must describe a body its texts lie inside, and every text must end before the body's end.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "platform/web/GatewayFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vek;
    if (size < size_t(kRequestHeaderSize))
        return 0;
    RequestHeader header;
    if (!DecodeRequestHeader(std::span<const uint8_t, kRequestHeaderSize>(data, kRequestHeaderSize), header))
        return 0;
    if (header.BodyLength() > uint32_t(kMaxRequestBody))
        std::abort();
    std::string_view rest(reinterpret_cast<const char*>(data) + kRequestHeaderSize, size - kRequestHeaderSize);
    std::string_view body = rest.substr(0, header.BodyLength());
    RequestTexts texts;
    if (!SplitRequestBody(body, header, texts))
        return 0;
    const char* end = body.data() + body.size();
    for (std::string_view text : {texts.clientId, texts.query, texts.environment}) {
        if (text.data() < body.data() || text.data() + text.size() > end)
            std::abort();
    }
    if (texts.clientId.size() != header.clientIdLength || texts.query.size() != header.queryLength)
        std::abort();
    return 0;
}
