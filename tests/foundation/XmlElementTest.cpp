// Tests of XmlElement: attributes, children, writing the tree, and XML files read and saved.
#include "foundation/xml/XmlElement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/streams/MemoryByteFile.h"
#include "support/InMemoryFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {
namespace {

std::vector<std::string> ChildNames(const XmlElement& element)
{
    std::vector<std::string> names;
    for (const XmlElement* child = element.FirstChild(); child != nullptr; child = child->NextSibling())
        names.emplace_back(child->Name() != nullptr ? child->Name() : "");
    return names;
}

std::string Written(const XmlElement& element)
{
    TextWriter writer;
    writer.SetLineEndChar('\n');
    WriteElement(element, writer, 0);
    return std::string(writer.BufferedBytes());
}

// The files are in memory (MemoryByteFile.h).
class XmlFileTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        MemoryFiles().Clear();
        ClearError();
    }
    void Put(const std::string& bytes) { MemoryFiles().Put(path, bytes); }
    std::string Contents() const { return MemoryFiles().Get(path).value_or(""); }

    std::string path = "/xml/tree.xml";
};

TEST(XmlElementTest, ChildrenAndTheirCircularPreviousLinks)
{
    XmlElement root;
    XmlElement* a = root.AddChild("a");
    XmlElement* b = root.AddChild("b");
    XmlElement* c = root.AddChildWithText("c", "text");
    EXPECT_EQ(root.AddChild(nullptr), nullptr);
    EXPECT_EQ(root.FirstChild()->PreviousSibling(), c);
    EXPECT_EQ(c->PreviousSibling(), b);
    EXPECT_EQ(a->Parent(), &root);
    EXPECT_STREQ(c->Text(), "text");
    EXPECT_EQ(root.FindChild("B"), b);
    EXPECT_EQ(root.FindChild("b", b), nullptr);
    EXPECT_EQ(root.FindOrAddChild("d", 0), nullptr);
    XmlElement* d = root.FindOrAddChild("d", kXmlCreate);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(root.FindOrAddChild("D", kXmlCreate), d);
    delete b;  // unlinks itself
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"a", "c", "d"}));
    EXPECT_EQ(root.FirstChild()->PreviousSibling(), d);
    delete d;
    EXPECT_EQ(root.FirstChild()->PreviousSibling(), c);
    root.DeleteChildren();
    EXPECT_EQ(root.FirstChild(), nullptr);
}

TEST(XmlElementTest, MovingChildren)
{
    XmlElement root;
    for (const char* name : {"a", "b", "c", "B"})
        root.AddChild(name)->SetText(name);
    root.MoveChildrenToFront("b");
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"b", "B", "a", "c"}));
    EXPECT_EQ(root.FirstChild()->PreviousSibling()->Name(), std::string("c"));
    XmlElement other;
    other.AddChild("x");
    root.MoveChildrenTo("b", other);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(ChildNames(other), (std::vector<std::string>{"x", "b", "B"}));
    EXPECT_EQ(other.FindChild("B")->Parent(), &other);
    // A child never moves into its own subtree.
    XmlElement* holder = root.FindChild("a");
    XmlElement* inner = holder->AddChild("inner");
    root.MoveChildrenTo("a", *inner);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"a", "c"}));
}

TEST(XmlElementTest, Attributes)
{
    XmlElement element("e");
    EXPECT_NE(element.AddAttribute("k", "1"), nullptr);
    EXPECT_NE(element.AddAttribute("K", "2"), nullptr);
    EXPECT_EQ(element.AddAttribute(nullptr, "x"), nullptr);
    String value;
    EXPECT_TRUE(element.GetAttribute("k", value));
    EXPECT_STREQ(value.CStr(), "1");
    EXPECT_STREQ(element.FindAttribute("k", element.FindAttribute("k"))->Value(), "2");
    EXPECT_FALSE(element.GetAttribute("none", value));
    EXPECT_STREQ(value.CStr(), "");
    EXPECT_TRUE(element.SetIntAttribute("n", 0));
    EXPECT_TRUE(element.GetAttribute("n", value));
    EXPECT_STREQ(value.CStr(), "");
    EXPECT_EQ(element.GetAttributeInt("n"), 0);
    EXPECT_TRUE(element.SetIntAttribute("n", -42));
    EXPECT_EQ(element.GetAttributeInt("N"), -42);
    EXPECT_TRUE(element.SetDoubleAttribute("d", 2.5));
    EXPECT_DOUBLE_EQ(element.GetAttributeDouble("d"), 2.5);
    EXPECT_TRUE(std::isnan(element.GetAttributeDouble("absent")));
    XmlElement* match = element.FindChildWithAttribute("row", "id", "7", kXmlCreate);
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(element.FindChildWithAttribute("ROW", "ID", "7", 0), match);
    EXPECT_EQ(element.FindChildWithAttribute("row", "id", "8", 0), nullptr);
    element.RemoveAttribute("k");
    EXPECT_EQ(element.FindAttribute("k"), nullptr);
    EXPECT_STREQ(element.FirstAttribute()->Previous()->Name(), "d");  // the previous links are circular
    element.DeleteAttributes();
    EXPECT_EQ(element.FirstAttribute(), nullptr);
}

TEST(XmlElementTest, WritesTheTree)
{
    XmlElement root;
    XmlElement* a = root.AddChild("a");
    a->AddAttribute("k", "x<y");
    a->SetText("t&t");
    XmlElement* empty = a->AddChild("e");
    empty->AddAttribute("v", "");
    XmlElement* deep = a->AddChild("f")->AddChild("g");
    deep->SetText("deep");
    EXPECT_EQ(Written(root), "\n\n<a k=\"x&lt;y\">\nt&amp;t\n<e v=\"\"/>\n<f>\n\n  <g>deep</g>\n</f>\n</a>\n");
}

TEST_F(XmlFileTest, SavesAndLoadsATree)
{
    XmlElement root;
    XmlElement* list = root.AddChild("list");
    list->AddAttribute("name", "a \"quoted\" & <marked> name");
    for (int32_t i = 0; i < 3; ++i) {
        XmlElement* item = list->AddChildWithText("item", ("text \xC3\xA9 " + std::to_string(i)).c_str());
        item->SetIntAttribute("n", i + 1);
    }
    list->AddChild("empty");
    ASSERT_TRUE(SaveXmlFile(root, path.c_str()));
    EXPECT_EQ(Contents().rfind("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);

    XmlElement loaded;
    ASSERT_TRUE(LoadXmlFile(loaded, path.c_str()));
    EXPECT_EQ(ChildNames(loaded), std::vector<std::string>{"list"});
    XmlElement* read = loaded.FindChild("list");
    String name;
    ASSERT_TRUE(read->GetAttribute("name", name));
    EXPECT_STREQ(name.CStr(), "a \"quoted\" & <marked> name");
    EXPECT_EQ(ChildNames(*read), (std::vector<std::string>{"item", "item", "item", "empty"}));
    EXPECT_STREQ(read->FirstChild()->NextSibling()->Text(), "text \xC3\xA9 1");
    EXPECT_EQ(read->FirstChild()->NextSibling()->GetAttributeInt("n"), 2);
    EXPECT_EQ(read->FindChild("empty")->Text(), nullptr);
}

TEST_F(XmlFileTest, TheDeclarationChoosesTheEncoding)
{
    Put("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r<doc><p lang=\"sv\">r\xE4ksm\xF6rg\xE5s</p></doc>\r");
    XmlElement root;
    ASSERT_TRUE(LoadXmlFile(root, path.c_str()));
    XmlElement* p = root.FindChild("doc")->FindChild("p");
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->Text(), "r\xC3\xA4ksm\xC3\xB6rg\xC3\xA5s");
}

TEST_F(XmlFileTest, AFileWithoutDeclarationAndDeepNesting)
{
    // Guards against unbounded recursion: elements nested beyond the limit are skipped.
    std::string deep;
    for (int32_t i = 0; i < 5000; ++i)
        deep += "<n>";
    for (int32_t i = 0; i < 5000; ++i)
        deep += "</n>";
    Put("<top a=\"1\"/>" + deep + "<last/>");
    XmlElement root;
    ASSERT_TRUE(LoadXmlFile(root, path.c_str()));
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"top", "n", "last"}));
    int32_t depth = 0;
    for (const XmlElement* e = root.FindChild("n"); e != nullptr; e = e->FirstChild())
        ++depth;
    EXPECT_EQ(depth, 256);
    EXPECT_FALSE(LoadXmlFile(root, (path + ".missing").c_str()));
}

}  // namespace
}  // namespace vek
