// NamedList: the list logic that the base's named objects (macros, time scales, save setups and
// import setups) share.
#pragma once

#include <cstdint>

#include "foundation/messages/PendingError.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/named/NamedObjects.h"

namespace vek {

class Base;

// What WriteSections writes for a list without objects.
enum class EmptyListSections : int32_t {
    EmptyLine,  // the closing empty line all the same
    Nothing,
};

// A list that owns its named objects, singly linked through `next` from `first`, and counts them.
// `List` is the concrete list (it derives from NamedList<List, T>) and decides where an object goes
// (Add) and how it leaves (Remove); the object's constructor and destructor call those, so making and
// destroying objects is all it takes to keep the list. An object's destructor posts its deleted
// change unless the list is being released: when the base goes, nothing is posted.
//
// T gives GetName(), Next(), Write(TextWriter&) and a constructor T(List&, const char* name), and lets
// FindInNamedChain see its `next`; objects kept through a checkpoint also give KeepMark() and
// SetKeepMark(bool).
template <typename List, typename T>
class NamedList {
public:
    NamedList(const NamedList&) = delete;
    NamedList& operator=(const NamedList&) = delete;

    Base* GetBase() const { return base; }
    T* First() const { return first; }
    int32_t Count() const { return count; }
    bool IsEmpty() const { return first == nullptr; }

    // The object whose name equals the name trimmed of blanks, without regard to case; an empty name
    // finds nothing. Length -1: up to the NUL.
    T* Find(const char* name, int32_t length = -1) const { return FindInNamedChain(first, name, length); }

    // A new object, put where the list keeps it, named as CleanObjectName makes the name; its added
    // change is posted.
    T* Create(const char* name) { return new T(Self(), name); }
    // Takes the object out of the list and destroys it (its deleted change).
    void Delete(T* item) { delete item; }
    // Deletes every object (each posts its deleted change).
    void DeleteAll()
    {
        while (first != nullptr)
            delete first;
    }
    // Deletes every object whose name (an empty one given as "") the predicate accepts; the count
    // deleted.
    template <typename Predicate>
    int32_t DeleteMatching(Predicate&& matches)
    {
        return DeleteWhere([&matches](const T& item) {
            return matches(item.GetName() != nullptr ? item.GetName() : "");
        });
    }

    // A base checkpoint marks every object present; its rollback deletes the objects added since
    // (those without the mark, each posting its deleted change). The count deleted.
    void SetKeepMarks()
    {
        for (T* item = first; item != nullptr; item = item->Next())
            item->SetKeepMark(true);
    }
    int32_t DeleteUnmarked()
    {
        return DeleteWhere([](const T& item) { return !item.KeepMark(); });
    }

protected:
    // The base gets the list's changes (none without a base).
    explicit NamedList(Base* owner) : base(owner) {}
    ~NamedList() = default;

    // Deletes every object without posting changes; the concrete list's destructor calls it while
    // its own members still live (the objects' destructors call its Remove).
    void Release()
    {
        releasing = true;
        while (first != nullptr)
            delete first;
    }

    // The object of a section whose marker line is the reader's current line, the field cursor after
    // the marker: the name is the next field (when nothing is left of it, the text `defaultName` and
    // " 1"); an existing object of that name is taken to be read again in place, else a new one is
    // made. The caller reads the section into it.
    T* SectionObject(TextReader& reader, int32_t defaultName)
    {
        String name;
        reader.NextFieldToString(name);
        RemoveControlChars(name);
        String key;
        if (!NameLookupKey(name.CStr(), name.Length(), key)) {
            name.AssignCStr(LoadText(defaultName));
            name.AppendCStr(" 1");
        }
        T* item = Self().Find(name.CStr(), name.Length());
        if (item == nullptr)
            item = Create(name.CStr());
        return item;
    }

    // Every object in list order (its Write), then an empty line; stops when an error is pending.
    void WriteEachSection(TextWriter& writer, EmptyListSections empty) const
    {
        if (first == nullptr && empty == EmptyListSections::Nothing)
            return;
        for (const T* item = first; item != nullptr; item = item->Next()) {
            if (IsErrorPending())
                return;
            item->Write(writer);
        }
        writer.EndRow();
    }

    Base* base;
    T* first = nullptr;
    int32_t count = 0;
    bool releasing = false;

private:
    List& Self() { return static_cast<List&>(*this); }

    template <typename Condition>
    int32_t DeleteWhere(Condition&& condition)
    {
        int32_t deleted = 0;
        for (T* item = first; item != nullptr;) {
            T* following = item->Next();
            if (condition(*item)) {
                delete item;
                ++deleted;
            }
            item = following;
        }
        return deleted;
    }
};

}  // namespace vek
