// XmlElement: building, finding, reading and writing elements and their attributes.
#include "foundation/xml/XmlElement.h"

#include <cmath>
#include <cstring>
#include <new>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CString.h"
#include "foundation/numbers/IntegerText.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextStreams.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

namespace {

constexpr int32_t kMaxXmlDepth = 256;
constexpr int32_t kNumberBytes = 64;

const char* OrEmpty(const char* text)
{
    return text != nullptr ? text : "";
}

bool SameName(ConstHeapText name, const char* other)
{
    return CompareHeapTextNoCase(name, OrEmpty(other)) == 0;
}

void WipeHeapText(HeapText& field)
{
    BlankHeapText(field);
    SetHeapText(field, nullptr);
}

// The joined text runs of one element, which may pass the length cap of String.
class ElementText {
public:
    ~ElementText() { MemFree(data); }
    void Append(const char* bytes, int32_t n)
    {
        if (used + n + 1 > capacity) {
            int64_t wanted = capacity < 256 ? 256 : capacity;
            while (wanted < used + n + 1)
                wanted *= 2;
            char* fresh = wanted < INT32_MAX ? static_cast<char*>(MemAlloc(int32_t(wanted))) : nullptr;
            if (fresh == nullptr)
                return;  // what fits is kept
            if (used > 0)
                std::memcpy(fresh, data, size_t(used));
            MemFree(data);
            data = fresh;
            capacity = wanted;
        }
        std::memcpy(data + used, bytes, size_t(n));
        used += n;
        data[used] = 0;
    }
    char* data = nullptr;
    int64_t used = 0;
    int64_t capacity = 0;
};

// A tag that opens an element (a start or empty-element tag, not an end tag, a declaration or a
// processing instruction).
bool IsElementTag(const TextReader& reader)
{
    const char* token = reader.Token();
    if (reader.TokenLength() < 2 || token[0] != '<' || token[1] == '?' || token[1] == '!')
        return false;
    String name;
    reader.TagName(name);
    return !name.IsEmpty();
}

void ReadElementAtDepth(XmlElement& element, TextReader& reader, int32_t depth);

void ReadChildAtDepth(XmlElement& element, TextReader& reader, int32_t depth)
{
    String name;
    reader.TagName(name);
    XmlElement* child = depth < kMaxXmlDepth ? element.AddChild(name.CStr()) : nullptr;
    if (child != nullptr)
        ReadElementAtDepth(*child, reader, depth + 1);
    else
        reader.SkipElement();
}

void ReadElementAtDepth(XmlElement& element, TextReader& reader, int32_t depth)
{
    String name;
    String value;
    while (reader.NextAttribute(name, value))
        (void)element.AddAttribute(name.CStr(), value.CStr());
    if (reader.IsEmptyOrEndTag())
        return;
    String endTag;
    endTag.AssignCStr("/");
    endTag.AppendHeapText(element.Name());
    ElementText text;
    while (reader.NextMarkupToken()) {
        if (reader.Token()[0] != '<') {
            text.Append(reader.Token(), reader.TokenLength());
            continue;
        }
        if (reader.IsTag(endTag.CStr()))
            break;
        if (IsElementTag(reader))
            ReadChildAtDepth(element, reader, depth);
    }
    if (text.data != nullptr) {
        CStrDecodeEntities(text.data);
        element.SetText(text.data);
    }
}

void PutIndent(TextWriter& writer, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        writer.PutText("  ");
}

}  // namespace

XmlAttribute::~XmlAttribute()
{
    WipeHeapText(name);
    WipeHeapText(value);
}

XmlElement::XmlElement(const char* elementName) : name(NewHeapText(elementName))
{
}

XmlElement::~XmlElement()
{
    Unlink();
    DeleteChildren();
    DeleteAttributes();
    WipeHeapText(name);
    WipeHeapText(text);
}

void XmlElement::SetText(const char* value)
{
    BlankHeapText(text);
    SetHeapText(text, value);
}

void XmlElement::AppendChild(XmlElement* child)
{
    child->parent = this;
    child->next = nullptr;
    if (firstChild == nullptr) {
        firstChild = child;
        child->previous = child;
        return;
    }
    XmlElement* last = firstChild->previous;
    last->next = child;
    child->previous = last;
    firstChild->previous = child;
}

void XmlElement::PrependChild(XmlElement* child)
{
    child->parent = this;
    child->next = firstChild;
    if (firstChild == nullptr) {
        child->previous = child;
    } else {
        child->previous = firstChild->previous;
        firstChild->previous = child;
    }
    firstChild = child;
}

void XmlElement::InsertAfter(XmlElement* sibling, XmlElement* child)
{
    child->parent = this;
    child->previous = sibling;
    child->next = sibling->next;
    if (sibling->next != nullptr)
        sibling->next->previous = child;
    else
        firstChild->previous = child;
    sibling->next = child;
}

void XmlElement::Unlink()
{
    if (parent == nullptr)
        return;
    XmlElement*& first = parent->firstChild;
    if (this == first) {
        first = next;
        if (first != nullptr)
            first->previous = previous;
    } else {
        previous->next = next;
        if (next != nullptr)
            next->previous = previous;
        else
            first->previous = previous;
    }
    parent = next = previous = nullptr;
}

bool XmlElement::Holds(const XmlElement* other) const
{
    for (const XmlElement* e = other; e != nullptr; e = e->parent) {
        if (e == this)
            return true;
    }
    return false;
}

XmlElement* XmlElement::AddChild(const char* childName)
{
    if (childName == nullptr)
        return nullptr;
    auto* child = new (std::nothrow) XmlElement(childName);
    if (child == nullptr || (childName[0] != 0 && child->name == nullptr)) {
        delete child;
        return nullptr;
    }
    AppendChild(child);
    return child;
}

XmlElement* XmlElement::AddChildWithText(const char* childName, const char* childText)
{
    XmlElement* child = AddChild(childName);
    if (child != nullptr)
        child->SetText(childText);
    return child;
}

XmlElement* XmlElement::FindChild(const char* childName, const XmlElement* after) const
{
    for (XmlElement* child = after != nullptr ? after->next : firstChild; child != nullptr; child = child->next) {
        if (SameName(child->name, childName))
            return child;
    }
    return nullptr;
}

XmlElement* XmlElement::FindOrAddChild(const char* childName, int32_t flags)
{
    XmlElement* child = FindChild(childName);
    if (child == nullptr && (flags & kXmlCreate) != 0)
        child = AddChild(childName);
    return child;
}

XmlElement* XmlElement::FindChildWithAttribute(const char* childName, const char* attributeName, const char* value,
                                               int32_t flags)
{
    for (XmlElement* child = FindChild(childName); child != nullptr; child = FindChild(childName, child)) {
        for (XmlAttribute* a = child->FindAttribute(attributeName); a != nullptr;
             a = child->FindAttribute(attributeName, a)) {
            if (SameName(a->value, value))
                return child;
        }
    }
    if ((flags & kXmlCreate) == 0)
        return nullptr;
    XmlElement* child = AddChild(childName);
    if (child != nullptr && child->AddAttribute(attributeName, value) == nullptr) {
        delete child;
        return nullptr;
    }
    return child;
}

void XmlElement::MoveChildrenToFront(const char* childName)
{
    XmlElement* lastMoved = nullptr;
    XmlElement* child = firstChild;
    while (child != nullptr) {
        XmlElement* following = child->next;
        if (SameName(child->name, childName)) {
            child->Unlink();
            if (lastMoved == nullptr)
                PrependChild(child);
            else
                InsertAfter(lastMoved, child);
            lastMoved = child;
        }
        child = following;
    }
}

void XmlElement::MoveChildrenTo(const char* childName, XmlElement& other)
{
    if (&other == this)
        return;
    XmlElement* child = firstChild;
    while (child != nullptr) {
        XmlElement* following = child->next;
        if (SameName(child->name, childName) && !child->Holds(&other)) {
            child->Unlink();
            other.AppendChild(child);
        }
        child = following;
    }
}

void XmlElement::DeleteChildren()
{
    while (firstChild != nullptr)
        delete firstChild;  // unlinks itself
}

XmlAttribute* XmlElement::AddAttribute(const char* attributeName, const char* value)
{
    if (attributeName == nullptr)
        return nullptr;
    auto* attribute = new (std::nothrow) XmlAttribute();
    if (attribute == nullptr)
        return nullptr;
    attribute->name = NewHeapText(attributeName);
    attribute->value = NewHeapText(value);
    if ((attributeName[0] != 0 && attribute->name == nullptr) ||
        (value != nullptr && value[0] != 0 && attribute->value == nullptr)) {
        delete attribute;
        return nullptr;
    }
    attribute->owner = this;
    if (firstAttribute == nullptr) {
        firstAttribute = attribute;
        attribute->previous = attribute;
    } else {
        XmlAttribute* last = firstAttribute->previous;
        last->next = attribute;
        attribute->previous = last;
        firstAttribute->previous = attribute;
    }
    return attribute;
}

XmlAttribute* XmlElement::FindAttribute(const char* attributeName, const XmlAttribute* after) const
{
    for (XmlAttribute* a = after != nullptr ? after->next : firstAttribute; a != nullptr; a = a->next) {
        if (SameName(a->name, attributeName))
            return a;
    }
    return nullptr;
}

bool XmlElement::GetAttribute(const char* attributeName, String& value) const
{
    const XmlAttribute* attribute = FindAttribute(attributeName);
    value.AssignHeapText(attribute != nullptr ? attribute->value : nullptr);
    return attribute != nullptr;
}

bool XmlElement::GetAttributeHeapText(const char* attributeName, HeapText& field) const
{
    const XmlAttribute* attribute = FindAttribute(attributeName);
    SetHeapText(field, attribute != nullptr ? attribute->value : nullptr);
    return attribute != nullptr;
}

int32_t XmlElement::GetAttributeInt(const char* attributeName) const
{
    const XmlAttribute* attribute = FindAttribute(attributeName);
    return attribute != nullptr ? TextToIntRounded(attribute->value) : 0;
}

double XmlElement::GetAttributeDouble(const char* attributeName) const
{
    const XmlAttribute* attribute = FindAttribute(attributeName);
    return attribute != nullptr ? TextToDouble(OrEmpty(attribute->value)) : std::nan("");
}

bool XmlElement::SetAttribute(const char* attributeName, const char* value)
{
    XmlAttribute* attribute = FindAttribute(attributeName);
    if (attribute == nullptr)
        return AddAttribute(attributeName, value) != nullptr;
    BlankHeapText(attribute->value);
    SetHeapText(attribute->value, value);
    return value == nullptr || value[0] == 0 || attribute->value != nullptr;
}

bool XmlElement::SetIntAttribute(const char* attributeName, int32_t value)
{
    char digits[kNumberBytes] = {};
    if (value != 0)
        IntToCStr(digits, value);
    return SetAttribute(attributeName, digits);
}

bool XmlElement::SetDoubleAttribute(const char* attributeName, double value)
{
    char digits[kNumberBytes] = {};
    DoubleToCStr(digits, value);
    return SetAttribute(attributeName, digits);
}

void XmlElement::UnlinkAttribute(XmlAttribute* attribute)
{
    if (attribute == firstAttribute) {
        firstAttribute = attribute->next;
        if (firstAttribute != nullptr)
            firstAttribute->previous = attribute->previous;
    } else {
        attribute->previous->next = attribute->next;
        if (attribute->next != nullptr)
            attribute->next->previous = attribute->previous;
        else
            firstAttribute->previous = attribute->previous;
    }
    delete attribute;
}

void XmlElement::RemoveAttribute(const char* attributeName)
{
    XmlAttribute* attribute = firstAttribute;
    while (attribute != nullptr) {
        XmlAttribute* following = attribute->next;
        if (SameName(attribute->name, attributeName))
            UnlinkAttribute(attribute);
        attribute = following;
    }
}

void XmlElement::DeleteAttributes()
{
    while (firstAttribute != nullptr)
        UnlinkAttribute(firstAttribute);
}

bool LoadXmlFile(XmlElement& root, const char* path)
{
    FileTextReader reader;
    if (!reader.Open(path))
        return false;
    if (reader.NextMarkupToken()) {
        if (CStrStartsWithNoCase(reader.Token(), "<?xml")) {
            String name;
            String value;
            while (reader.NextAttribute(name, value)) {
                if (CStrEqualNoCase(name.CStr(), "encoding"))
                    reader.SetEncodingByName(value.CStr());
            }
        } else if (IsElementTag(reader)) {
            // No declaration: the first token already is the first element.
            ReadChildAtDepth(root, reader, 0);
        }
        ReadChildren(root, reader);
    }
    reader.Close();
    return true;
}

void ReadChildren(XmlElement& element, TextReader& reader)
{
    while (reader.NextMarkupToken()) {
        if (IsElementTag(reader))
            ReadChildAtDepth(element, reader, 0);
    }
}

void ReadElement(XmlElement& element, TextReader& reader)
{
    ReadElementAtDepth(element, reader, 0);
}

bool SaveXmlFile(const XmlElement& root, const char* path)
{
    FileTextWriter writer;
    if (!writer.Open(path))
        return false;
    writer.WriteXmlDeclaration();
    WriteElement(root, writer, 0);
    return writer.Close();
}

void WriteElement(const XmlElement& element, TextWriter& writer, int32_t depth)
{
    bool named = element.Name() != nullptr;
    bool hasChildren = element.FirstChild() != nullptr;
    bool isEmpty = !hasChildren && element.Text() == nullptr;
    if (named) {
        if (depth == 1)
            writer.EndRow();
        else if (depth > 2)
            PutIndent(writer, depth - 2);
        writer.PutText("<");
        writer.PutMarkupEscaped(element.Name());
        for (const XmlAttribute* a = element.FirstAttribute(); a != nullptr; a = a->Next())
            writer.PutAttributeAllowEmpty(a->Name(), OrEmpty(a->Value()));
        writer.PutText(isEmpty ? "/>" : ">");
        if (hasChildren || isEmpty)
            writer.EndRow();
    }
    if (element.Text() != nullptr)
        writer.PutMarkupEscaped(element.Text());
    if (hasChildren)
        writer.EndRow();
    for (const XmlElement* child = element.FirstChild(); child != nullptr; child = child->NextSibling())
        WriteElement(*child, writer, depth + 1);
    if (named && !isEmpty) {
        if (depth == 0)
            writer.EndRow();
        writer.PutText("</");
        writer.PutMarkupEscaped(element.Name());
        writer.PutText(">");
        writer.EndRow();
    }
}

}  // namespace vek
