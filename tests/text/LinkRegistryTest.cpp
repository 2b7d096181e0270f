// Tests of the link registry: finding links in texts, their display, HTML and markup forms.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/streams/TextWriter.h"
#include "text/LinkRegistry.h"

namespace vek {
namespace {

// A registered kind "item" whose objects are the targets that begin with "ok".
class ItemKind : public LinkKind {
public:
    ItemKind() : LinkKind("item", 0) {}
    bool Resolve(String& target, String&) override { return target.View().starts_with("ok"); }
    void Open(const String& target) override { opened.assign(target.View()); }
    void WriteHtml(TextWriter& writer, const String& target, const String& text) override
    {
        writer.PutText("[");
        writer.PutString(target);
        writer.PutText("|");
        writer.PutEscapedText(text);
        writer.PutText("]");
    }
    std::string opened;
};

class LinkRegistryTest : public ::testing::Test {
protected:
    LinkRegistryTest() { item = static_cast<ItemKind*>(&registry.AddKind(std::make_unique<ItemKind>())); }

    std::string Display(const char* text)
    {
        String out;
        registry.FormatText(out, text);
        return std::string(out.View());
    }
    std::string Html(const char* text, bool anchorsOnly = false)
    {
        TextWriter writer;
        if (anchorsOnly)
            registry.WriteUrlAnchors(writer, text);
        else
            registry.WriteText(writer, text);
        return std::string(writer.BufferedBytes());
    }
    // The first link of the text.
    void First(const char* text, LinkScanner& scanner)
    {
        String plain;
        int32_t position = 0;
        registry.NextLink(text, position, scanner, plain);
    }

    LinkRegistry registry{"test"};
    ItemKind* item = nullptr;
};

TEST_F(LinkRegistryTest, ScannerFindsEachMarkupAndLeavesTheRestPlain)
{
    struct Case {
        const char* text;
        bool hasLinks;
        const char* display;
        LinkType type;  // of the first link
        const char* target;
    };
    const Case cases[] = {
        {"plain text", false, "plain text", LinkType::None, ""},
        {"see <a href=\"http://x.org\"> X site </a>!", true, "see X site!", LinkType::Url, "http://x.org"},
        {"<A HREF='http://x.org/a b'>q</A>", true, "q", LinkType::Url, "http://x.org/a b"},
        // A host name is a link only as an anchor's value, which gets the scheme.
        {"www.example.org", false, "www.example.org", LinkType::None, ""},
        {"<a href=www.example.org>Example</a>", true, "Example", LinkType::Url, "http://www.example.org"},
        {"<a href=\"http://x\"></a>", true, "link", LinkType::Url, "http://x"},
        {"go http://example.org/ now", true, "go example.org now", LinkType::Url, "http://example.org/"},
        {"(http://a.b/c)", true, "(a.b/c)", LinkType::Url, "http://a.b/c"},
        {"shttp://s.x", true, "s.x", LinkType::Url, "shttp://s.x"},
        {"http:// x", true, "http:// x", LinkType::None, ""},
        {"file=\" /tmp/a b \"", true, "/tmp/a b", LinkType::File, "/tmp/a b"},
        // The attribute form compares its name byte-wise; an anchor's names ignore case.
        {"FILE=\"/tmp/x\"", false, "FILE=\"/tmp/x\"", LinkType::None, ""},
        {"<a FILE=\"/tmp/x\">doc</a>", true, "doc", LinkType::File, "/tmp/x"},
        {"item=\"ok1\" and more", true, "ok1 and more", LinkType::Registered, "ok1"},
        {"item=\"\"", true, "item=\"\"", LinkType::None, ""},
        {"item=\"ok1", true, "item=\"ok1", LinkType::None, ""},
        {"<a href=x>no close", true, "<a href=x>no close", LinkType::None, ""},
        {"<a title=\"t\">no kind</a>", true, "<a title=\"t\">no kind</a>", LinkType::None, ""},
        // An anchor without its ">" is plain text, but the URL inside it is a bare URL.
        {"<a href=\"http://x\"", true, "<a href=\"x\"", LinkType::Url, "http://x\""},
        {"a\r<a href=\"http://x\">b</a>\rc", true, "a\rb \rc", LinkType::Url, "http://x"},
        {"", false, "", LinkType::None, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(registry.HasLinks(c.text), c.hasLinks);
        EXPECT_EQ(Display(c.text), c.display);
        LinkScanner link;
        First(c.text, link);
        EXPECT_EQ(link.type, c.type);
        EXPECT_EQ(link.target.View(), c.target);
        EXPECT_EQ(link.kind, c.type == LinkType::Registered ? item : nullptr);
    }
    EXPECT_FALSE(registry.HasLinks(nullptr));
    EXPECT_EQ(Display(nullptr), "");
}

TEST_F(LinkRegistryTest, ConvertMapsSourceBytesAndFindsTheLinkAtADisplayOffset)
{
    const char* source = "ab<a href=\"http://x\">XY</a>c";
    String display;
    std::vector<uint16_t> map;
    LinkScanner found;
    ASSERT_TRUE(registry.Convert(source, display, &map, 3, &found));
    EXPECT_EQ(display.View(), "abXYc");
    ASSERT_EQ(map.size(), std::strlen(source));
    EXPECT_EQ(map[0], 0);
    EXPECT_EQ(map[2], 2);                 // the markup's first byte: the link text's start
    EXPECT_EQ(map[map.size() - 2], 3);    // the rest of the markup: the link text's last byte
    EXPECT_EQ(map.back(), 4);
    EXPECT_EQ(found.markupStart, 2);
    EXPECT_EQ(found.markupLength, int32_t(std::strlen(source)) - 3);
    EXPECT_FALSE(registry.Convert(source, display, nullptr, 1, &found));

    // Editing the link in place keeps the text around it.
    String edited;
    edited.AssignCStr(source);
    ASSERT_TRUE(registry.Convert(source, display, nullptr, 2, &found));
    found.text.AssignCStr("Z");
    LinkRegistry::ReplaceInSource(found, edited);
    EXPECT_EQ(edited.View(), "ab<a href=\"http://x\">Z</a>c");
    EXPECT_EQ(found.markupLength, int32_t(std::strlen("<a href=\"http://x\">Z</a>")));
}

TEST_F(LinkRegistryTest, HtmlWritesAnchorsForWebLinksOnly)
{
    registry.SetAnchorClass("ext");
    struct Case {
        const char* text;
        const char* html;
        const char* anchorsOnly;
    };
    const Case cases[] = {
        {"a<b & c", "a&lt;b &amp; c", "a&lt;b &amp; c"},
        {"x http://x.org/ y", "x <a class=\"ext\" href=\"http://x.org/\">x.org</a> y", "x <a href=\"http://x.org/\">x.org</a> y"},
        {"<a file=\"/tmp/r\">doc</a>", "<tt>doc</tt>", "doc"},
        {"file:///tmp/a", "<tt>/tmp/a</tt>", "/tmp/a"},
        {"item=\"ok1\"", "[ok1|ok1]", "ok1"},
        // Fault guarded: an anchor's value can hold a quote, which must not end the href attribute.
        {"<a href='http://x/\"onclick=\"y'>t<</a>", "<a class=\"ext\" href=\"http://x/&quot;onclick=&quot;y\">t&lt;</a>",
         "<a href=\"http://x/&quot;onclick=&quot;y\">t&lt;</a>"},
        // Fault guarded: only the program's web schemes become anchors; any other scheme stays text.
        {"<a href=\"javascript:alert(1)\">run</a>", "run", "run"},
        {"<a href=\"JavaScript:alert(document.cookie)\">x</a>", "x", "x"},
        {"<a href=\"data:text/html;base64,PGI+\">d</a>", "d", "d"},
        {"<a href=\"HTTPS://x.org\">s</a>", "<a class=\"ext\" href=\"HTTPS://x.org\">s</a>",
         "<a href=\"HTTPS://x.org\">s</a>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Html(c.text), c.html);
        EXPECT_EQ(Html(c.text, true), c.anchorsOnly);
    }
}

TEST_F(LinkRegistryTest, ToMarkupChoosesTheShortestFormThatKeepsTheLink)
{
    struct Case {
        LinkType type;
        const char* target;
        const char* text;
        const char* markup;
    };
    const Case cases[] = {
        {LinkType::Url, "http://example.org/", "example.org", "http://example.org/"},
        {LinkType::Url, "http://example.org/", "", "http://example.org/"},
        {LinkType::Url, "http://example.org/", "Example", "<a href=\"http://example.org/\">Example</a>"},
        {LinkType::File, "/tmp/a", "/tmp/a", "file=\"/tmp/a\""},
        {LinkType::File, "/tmp/a", "doc", "<a file=\"/tmp/a\">doc</a>"},
        {LinkType::Registered, "ok1", "", "item=\"ok1\""},
        {LinkType::Registered, "ok1", "First", "<a item=\"ok1\">First</a>"},
        {LinkType::Url, "", "just text", "just text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        LinkScanner scanner;
        scanner.type = c.type;
        scanner.kind = c.type == LinkType::Registered ? item : nullptr;
        scanner.target.AssignCStr(c.target);
        scanner.text.AssignCStr(c.text);
        String out;
        LinkRegistry::ToMarkup(scanner, out);
        EXPECT_EQ(out.View(), c.markup);
        // What ToMarkup writes reads back as the same link.
        if (*c.target != 0) {
            LinkScanner back;
            First(out.CStr(), back);
            EXPECT_EQ(back.type, c.type);
            EXPECT_EQ(back.target.View(), c.target);
        }
    }
}

TEST_F(LinkRegistryTest, TextModesClassificationAndOpening)
{
    String text;
    text.AssignCStr("see <a item=\"ok1\">ok1</a> or <a href=\"http://x.org\">x.org</a>");
    registry.ApplyTextMode(text, 1);
    EXPECT_EQ(text.View(), "see item=\"ok1\" or http://x.org");
    registry.ApplyTextMode(text, 4);
    EXPECT_EQ(text.View(), "see ok1 or x.org");
    registry.ApplyTextMode(text, 2);
    EXPECT_EQ(text.View(), "see ok1 or x.org");

    struct Case {
        const char* text;
        LinkType type;
        const char* target;
    };
    const Case cases[] = {
        {"  <A HREF=\"http://x.org\">site", LinkType::Url, "http://x.org"},
        {"ok5", LinkType::Registered, "ok5"},
        {"www.a.b", LinkType::Url, "www.a.b"},
        {"ftp://f", LinkType::Url, "ftp://f"},
        {"no/such/file/here", LinkType::None, "no/such/file/here"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        LinkScanner scanner;
        EXPECT_EQ(registry.ClassifyTarget(scanner, c.text), c.type);
        EXPECT_EQ(scanner.target.View(), c.target);
    }

    LinkScanner link;
    First("item=\"ok7\"", link);
    EXPECT_TRUE(registry.OpenLink(link));
    EXPECT_EQ(item->opened, "ok7");
    LinkScanner none;
    EXPECT_FALSE(registry.OpenLink(none));
}

}  // namespace
}  // namespace vek
