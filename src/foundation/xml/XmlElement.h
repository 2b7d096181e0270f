// XmlElement and XmlAttribute: a tree of XML elements read from and written to text.
#pragma once

#include <cstdint>

#include "foundation/strings/HeapText.h"

namespace vek {

class String;
class TextReader;
class TextWriter;
class XmlElement;

// Flag of the finding operations: make what is not found.
constexpr int32_t kXmlCreate = 1;

// One attribute of an element. Attributes of an element form a list whose previous links are
// circular (the first one's previous is the last one).
class XmlAttribute {
public:
    XmlElement* Owner() const { return owner; }
    XmlAttribute* Next() const { return next; }
    XmlAttribute* Previous() const { return previous; }
    ConstHeapText Name() const { return name; }
    ConstHeapText Value() const { return value; }

private:
    friend class XmlElement;
    XmlAttribute() = default;
    ~XmlAttribute();

    XmlElement* owner = nullptr;
    XmlAttribute* next = nullptr;
    XmlAttribute* previous = nullptr;
    HeapText name = nullptr;
    HeapText value = nullptr;
};

// A small document model: a tree of elements with names, texts and attributes, loaded from and saved
// to an XML file through the text streams. An element owns its children and attributes; the children
// form a list whose previous links are circular (the first child's previous is the last child).
// Names of elements and attributes, and attribute values in searches, compare without regard to case.
// Operations that create return null when memory runs short (and for a null name) and change nothing.
class XmlElement {
public:
    // A copy of the name; null for a document root.
    explicit XmlElement(const char* name = nullptr);
    // Unlinks the element from its parent, deletes its children and attributes, wipes its texts.
    ~XmlElement();
    XmlElement(const XmlElement&) = delete;
    XmlElement& operator=(const XmlElement&) = delete;

    XmlElement* Parent() const { return parent; }
    XmlElement* FirstChild() const { return firstChild; }
    XmlElement* NextSibling() const { return next; }
    XmlElement* PreviousSibling() const { return previous; }
    XmlAttribute* FirstAttribute() const { return firstAttribute; }
    ConstHeapText Name() const { return name; }
    ConstHeapText Text() const { return text; }
    void SetText(const char* value);

    // Children.
    XmlElement* AddChild(const char* childName);
    XmlElement* AddChildWithText(const char* childName, const char* childText);
    // The next child of that name after `after` (from the first child when null).
    XmlElement* FindChild(const char* childName, const XmlElement* after = nullptr) const;
    XmlElement* FindOrAddChild(const char* childName, int32_t flags);
    // The first child of that name with an attribute of that name and value; with kXmlCreate a new
    // child with that attribute when there is none.
    XmlElement* FindChildWithAttribute(const char* childName, const char* attributeName, const char* value,
                                       int32_t flags);
    // All children of that name to the front, in their order.
    void MoveChildrenToFront(const char* childName);
    // All children of that name to the end of the other's children, in their order. A child that
    // holds the other element (or is it) stays.
    void MoveChildrenTo(const char* childName, XmlElement& other);
    void DeleteChildren();

    // Attributes.
    XmlAttribute* AddAttribute(const char* attributeName, const char* value);
    XmlAttribute* FindAttribute(const char* attributeName, const XmlAttribute* after = nullptr) const;
    // The value of the first attribute of that name: true and the value, or false and empty.
    bool GetAttribute(const char* attributeName, String& value) const;
    bool GetAttributeHeapText(const char* attributeName, HeapText& field) const;
    // The value as a number (TextToIntRounded, TextToDouble): 0 and NaN when absent or empty.
    int32_t GetAttributeInt(const char* attributeName) const;
    double GetAttributeDouble(const char* attributeName) const;
    // Changes the first attribute of that name, or adds one. False when memory ran short.
    bool SetAttribute(const char* attributeName, const char* value);
    // The decimal text, and the empty text for 0.
    bool SetIntAttribute(const char* attributeName, int32_t value);
    bool SetDoubleAttribute(const char* attributeName, double value);
    // Removes every attribute of that name.
    void RemoveAttribute(const char* attributeName);
    void DeleteAttributes();

private:
    void AppendChild(XmlElement* child);
    void PrependChild(XmlElement* child);
    void InsertAfter(XmlElement* sibling, XmlElement* child);
    void Unlink();
    bool Holds(const XmlElement* other) const;
    void UnlinkAttribute(XmlAttribute* attribute);

    XmlElement* next = nullptr;
    XmlElement* previous = nullptr;
    XmlElement* parent = nullptr;
    XmlElement* firstChild = nullptr;
    HeapText name = nullptr;
    HeapText text = nullptr;
    XmlAttribute* firstAttribute = nullptr;
};

// Reads a file into the root: an XML declaration first sets the reader's encoding from its
// "encoding" attribute; then every top-level element becomes a child of the root. False when the file
// cannot be opened.
[[nodiscard]] bool LoadXmlFile(XmlElement& root, const char* path);
// Every following start tag with a name becomes a child read by ReadElement.
void ReadChildren(XmlElement& element, TextReader& reader);
// The current tag's attributes, then (unless the tag is empty) everything up to the element's end tag:
// start tags become children, text runs are joined into the text (entities decoded). Elements nested
// deeper than 256 levels are skipped.
void ReadElement(XmlElement& element, TextReader& reader);
// Writes a new file (UTF-8 with the byte-order mark): the XML declaration and the tree. False when it
// could not be written; an old file then stays as it was.
[[nodiscard]] bool SaveXmlFile(const XmlElement& root, const char* path);
void WriteElement(const XmlElement& element, TextWriter& writer, int32_t depth);

}  // namespace vek
