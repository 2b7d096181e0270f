// Outside bytes through the encodings: the converter to UTF-8, entity decoding and the text writer's
// escapes must stay inside their buffers, the escapes must write exactly the bytes they reserved, and
// what the converter delivers must be well-formed UTF-8.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/strings/ByteTextConverter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/CodePages.h"
#include "foundation/strings/HeapText.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/Utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vek;
    if (size < 1 || size > 100000)
        return 0;
    int32_t encoding = data[0] % kEncodingCount;
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    auto n = static_cast<int32_t>(bytes.size());

    // Converting in pieces through a small output delivers well-formed UTF-8 and consumes everything.
    ByteTextConverter converter;
    converter.SetEncoding(encoding);
    converter.SetCharMappings("\xC3\xA4" "a", "A" "\xE2\x82\xAC");
    std::vector<char> out(16);
    int32_t at = 0;
    while (at < n) {
        int32_t consumed = 0;
        int32_t written = converter.Convert(out.data(), static_cast<int32_t>(out.size()), bytes.data() + at, n - at, &consumed);
        if (written < 0 || written > static_cast<int32_t>(out.size()) || consumed < 1 || consumed > n - at)
            std::abort();
        if (!Utf8IsValid(out.data(), written))
            std::abort();
        at += consumed;
    }

    // Entity decoding in place never grows the text.
    std::string decoded = bytes.c_str();
    int32_t length = CStrDecodeEntities(decoded.data());
    if (length < 0 || length > static_cast<int32_t>(std::char_traits<char>::length(bytes.c_str())))
        std::abort();

    // The escapes write exactly what MarkupEscapedLength reserved, in both dialects.
    for (MarkupDialect dialect : {MarkupDialect::html, MarkupDialect::xml}) {
        TextWriter writer;
        writer.SetDialect(dialect);
        writer.SetUseHtmlEntities((data[0] & 0x80) != 0);
        int64_t predicted = writer.MarkupEscapedLength(bytes.c_str());
        writer.PutMarkupEscaped(bytes.c_str());
        if (predicted != static_cast<int64_t>(writer.BufferedBytes().size()))
            std::abort();
    }

    // Every encoder stays inside the room the writer made, whatever the text.
    TextWriter writer;
    if (writer.SetEncoding(encoding)) {
        writer.PutText(bytes.c_str());
        writer.PutMarkupEscaped(bytes.c_str());
        HeapText heap = NewHeapTextFromBytes(bytes.data(), n);
        writer.PutLongText(heap);
        SetHeapText(heap, nullptr);
        writer.PutCompressedHex(bytes.c_str());
    }
    return 0;
}
