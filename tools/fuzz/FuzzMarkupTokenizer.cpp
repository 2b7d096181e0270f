// Markup from outside (the XML file interface, template and result texts): tags, attributes, comments
// and text runs across lines, element content and skipping, and the element tree. Nothing may be read
// or written outside its buffer, and every loop must end.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/xml/XmlElement.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vek;
    if (size < 2 || size > 200000)
        return 0;
    uint8_t mode = data[0];
    auto n = int64_t(size - 1);
    std::unique_ptr<char[]> copy(new char[size_t(n)]);
    std::memcpy(copy.get(), data + 1, size_t(n));

    {
        TextReader reader(copy.get(), n);
        reader.SetEncoding(mode % 9);
        String name;
        String value;
        AttributeList list;
        for (int32_t i = 0; i < 100000 && reader.NextMarkupToken(); ++i) {
            const char* token = reader.Token();
            if (token == nullptr || reader.TokenLength() < 1 || token[reader.TokenLength()] != 0)
                std::abort();
            if (token[0] != '<')
                continue;
            (void)reader.IsTag("a");
            (void)reader.IsTagInList("x /y z");
            (void)reader.IsEmptyOrEndTag();
            reader.TagName(name);
            switch ((mode >> 4) % 4) {
            case 0:
                while (reader.NextAttribute(name, value)) {
                }
                break;
            case 1:
                list.ReadAll(reader);
                (void)list.Take("id", value);
                (void)list.PopFirst(name, value);
                break;
            case 2:
                (void)reader.ReadElementContent(value);
                break;
            default:
                reader.SkipElement();
                break;
            }
        }
    }
    {
        TextReader reader(copy.get(), n);
        XmlElement root;
        ReadChildren(root, reader);
    }
    ClearError();
    return 0;
}
