#include "model/named/WebUser.h"

#include <string_view>

#include "foundation/strings/CString.h"
#include "foundation/memory/CallbackSort.h"
#include "foundation/strings/Identifiers.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/named/NamedObjects.h"

namespace vek {

namespace {

// Section lines:
//   "U" TAB name TAB password    starts a user (or refills the user of that name)
//   "SB", "BI", "CL", "CN", "BD"  set that option of the current user
//   "SG" TAB subset name, "TF" TAB template filter
//   "LG" TAB language code, "FR" TAB second language code ("US", "CZE", ... see LanguageCode)

void NewUser(WebUser& user)
{
    user = WebUser{};
    user.language = -1;
    user.secondLanguage = -1;
}

void FreeUserTexts(WebUser& user)
{
    SetHeapText(user.name, nullptr);
    SetHeapText(user.password, nullptr);
    SetHeapText(user.subsetName, nullptr);
    SetHeapText(user.templateFilter, nullptr);
}

void CleanText(String& text)
{
    RemoveControlChars(text);
    text.Trim(' ');
}

bool SameText(ConstHeapText a, ConstHeapText b)
{
    return CompareHeapText(a, b != nullptr ? b : "") == 0;
}

bool SameUser(const WebUser& a, const WebUser& b)
{
    return SameText(a.name, b.name) && SameText(a.password, b.password) && a.sb == b.sb &&
           SameText(a.subsetName, b.subsetName) && SameText(a.templateFilter, b.templateFilter) &&
           a.bi == b.bi && a.cl == b.cl && a.cn == b.cn && a.bd == b.bd && a.language == b.language &&
           a.secondLanguage == b.secondLanguage;
}

// The text a field is written as: what SetUserText would store, so that nothing a caller put into a
// record can break the line.
void PutUserText(TextWriter& writer, ConstHeapText text)
{
    String clean;
    clean.AssignHeapText(text);
    CleanText(clean);
    writer.PutString(clean);
}

void WriteOptionalText(TextWriter& writer, const char* key, ConstHeapText text)
{
    String clean;
    clean.AssignHeapText(text);
    CleanText(clean);
    if (clean.IsEmpty())
        return;
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutString(clean);
    writer.EndRow();
}

void WriteFlag(TextWriter& writer, const char* key, int32_t flag)
{
    if (flag == 0)
        return;
    writer.PutText(key);
    writer.EndRow();
}

void WriteLanguage(TextWriter& writer, const char* key, int32_t language)
{
    if (language == -1)
        return;
    writer.WriteKeyTextLine(key, LanguageCode(language));
}

int32_t CompareUsersByName(void* context, int32_t i, int32_t j)
{
    auto* users = static_cast<PagedArray*>(context);
    return CompareTextsNoCaseNullLast(static_cast<const WebUser*>(users->At(i))->name,
                                      static_cast<const WebUser*>(users->At(j))->name);
}

void SwapUsers(void* context, int32_t i, int32_t j)
{
    static_cast<PagedArray*>(context)->SwapElements(i, j);
}

}  // namespace

WebUserList::WebUserList(Base* owner) : base(owner), users(int32_t(sizeof(WebUser))) {}

WebUserList::~WebUserList()
{
    FreeAll();
}

WebUser* WebUserList::At(int32_t i)
{
    return static_cast<WebUser*>(users.At(i));
}

const WebUser* WebUserList::At(int32_t i) const
{
    return static_cast<const WebUser*>(users.At(i));
}

int32_t WebUserList::FindIndex(const char* name) const
{
    if (name == nullptr)
        return -1;
    for (int32_t i = 0; i < users.Count(); ++i) {
        const WebUser* user = At(i);
        if (user != nullptr && user->name != nullptr && CStrEqualNoCase(user->name, name))
            return i;
    }
    return -1;
}

WebUser* WebUserList::Find(const char* name)
{
    return At(FindIndex(name));
}

const WebUser* WebUserList::Find(const char* name) const
{
    return At(FindIndex(name));
}

bool WebUserList::CheckLogin(const char* name, const char* password) const
{
    const WebUser* user = Find(name);
    if (user == nullptr)
        return false;
    // Exactly: a password compared without case would accept far more guesses than its owner chose.
    return CStrEqual(user->password != nullptr ? user->password : "", password != nullptr ? password : "");
}

void WebUserList::SetUserText(HeapText& field, const char* text)
{
    String clean;
    clean.AssignCStr(text);
    CleanText(clean);
    SetHeapTextFromString(field, clean);
}

WebUser* WebUserList::AddUser(const char* name)
{
    String clean;
    clean.AssignCStr(name);
    CleanText(clean);
    if (clean.IsEmpty() || FindIndex(clean.CStr()) >= 0)
        return nullptr;
    HeapText copy = clean.NewHeapText();
    if (copy == nullptr)
        return nullptr;
    auto* user = static_cast<WebUser*>(users.AtGrow(users.Count()));
    if (user == nullptr) {
        SetHeapText(copy, nullptr);
        return nullptr;
    }
    NewUser(*user);
    user->name = copy;
    return user;
}

void WebUserList::ClearUser(WebUser& user)
{
    FreeUserTexts(user);
    NewUser(user);
}

void WebUserList::RemoveAt(int32_t i)
{
    WebUser* user = At(i);
    if (user == nullptr)
        return;
    FreeUserTexts(*user);
    int32_t count = users.Count();
    for (int32_t j = i; j + 1 < count; ++j)
        users.CopyElement(j, j + 1);
    users.Truncate(count - 1);
}

void WebUserList::FreeAll()
{
    for (int32_t i = 0; i < users.Count(); ++i) {
        if (WebUser* user = At(i))
            FreeUserTexts(*user);
    }
    users.Free();
}

bool WebUserList::CopyFrom(const WebUserList& other)
{
    if (&other == this)
        return true;
    PagedArray copy(int32_t(sizeof(WebUser)));
    int32_t kept = 0;
    bool failed = false;
    for (int32_t i = 0; i < other.Count(); ++i) {
        const WebUser* source = other.At(i);
        if (source == nullptr || source->name == nullptr)
            continue;
        auto* target = static_cast<WebUser*>(copy.AtGrow(kept));
        if (target == nullptr) {
            failed = true;
            break;
        }
        ++kept;
        *target = *source;
        target->name = CopyHeapBlock(source->name);
        target->password = CopyHeapBlock(source->password);
        target->subsetName = CopyHeapBlock(source->subsetName);
        target->templateFilter = CopyHeapBlock(source->templateFilter);
        if (target->name == nullptr || (source->password != nullptr && target->password == nullptr) ||
            (source->subsetName != nullptr && target->subsetName == nullptr) ||
            (source->templateFilter != nullptr && target->templateFilter == nullptr)) {
            failed = true;
            break;
        }
    }
    if (failed) {
        for (int32_t i = 0; i < kept; ++i)
            FreeUserTexts(*static_cast<WebUser*>(copy.At(i)));
        return false;
    }
    FreeAll();
    users = std::move(copy);
    return true;
}

bool WebUserList::Equals(const WebUserList& other) const
{
    int32_t i = 0;
    int32_t j = 0;
    while (true) {
        while (i < Count() && At(i)->name == nullptr)
            ++i;
        while (j < other.Count() && other.At(j)->name == nullptr)
            ++j;
        if (i >= Count() || j >= other.Count())
            return i >= Count() && j >= other.Count();
        if (!SameUser(*At(i), *other.At(j)))
            return false;
        ++i;
        ++j;
    }
}

int64_t WebUserList::StoredSize() const
{
    int64_t bytes = 0;
    for (int32_t i = 0; i < Count(); ++i) {
        const WebUser* user = At(i);
        bytes += kWebUserStoredSize + HeapTextLength(user->name) + HeapTextLength(user->password) +
                 HeapTextLength(user->subsetName) + HeapTextLength(user->templateFilter);
    }
    return bytes;
}

void WebUserList::RenameSubset(const char* oldName, const char* newName)
{
    if (oldName == nullptr || oldName[0] == 0)
        return;
    for (int32_t i = 0; i < Count(); ++i) {
        WebUser* user = At(i);
        if (user->subsetName != nullptr && CStrEqualNoCase(user->subsetName, oldName))
            SetUserText(user->subsetName, newName);
    }
}

void WebUserList::SortByName()
{
    SortCallbacks callbacks;
    callbacks.compare = CompareUsersByName;
    callbacks.compareContext = &users;
    callbacks.swap = SwapUsers;
    callbacks.swapContext = &users;
    SortWithCallbacks(callbacks, users.Count());
}

void WebUserList::Read(TextReader& reader, WebUserReadMode mode)
{
    WebUser* current = nullptr;  // none before the first "U" line, or when a user could not be added
    String name;
    String password;
    String text;
    while (!IsErrorPending() && reader.ReadLine()) {
        if (!reader.NextField())
            continue;
        std::string_view key(reader.Token(), size_t(reader.TokenLength()));
        if (IsSectionMarker(reader.Token(), reader.TokenLength())) {
            reader.RestartLine();
            break;
        }
        if (key == "U") {
            reader.NextFieldRawToString(name);
            reader.NextFieldRawToString(password);
            CleanText(name);
            CleanText(password);
            if (name.IsEmpty())
                continue;  // the option lines that follow still go to the user read before
            int32_t existing = FindIndex(name.CStr());
            if (existing >= 0 && mode == WebUserReadMode::refill) {
                current = At(existing);
                ClearUser(*current);
                SetHeapTextFromString(current->name, name);
            } else {
                // Every step gives a name not tried before, so one of Count() + 1 steps is free
                // (unless the name can no longer grow; then the user is left out).
                for (int32_t attempt = 0; existing >= 0 && attempt <= Count(); ++attempt) {
                    IncrementNameSuffix(name);
                    existing = FindIndex(name.CStr());
                }
                current = existing >= 0 ? nullptr : AddUser(name.CStr());
            }
            if (current != nullptr && !password.IsEmpty())
                SetHeapTextFromString(current->password, password);
            continue;
        }
        if (current == nullptr)
            continue;
        if (key == "SB") {
            current->sb = 1;
        } else if (key == "BI") {
            current->bi = 1;
        } else if (key == "CL") {
            current->cl = 1;
        } else if (key == "CN") {
            current->cn = 1;
        } else if (key == "BD") {
            current->bd = 1;
        } else if (key == "SG" || key == "TF") {
            reader.NextFieldRawToString(text);
            SetUserText(key == "SG" ? current->subsetName : current->templateFilter, text.CStr());
        } else if (key == "LG" || key == "FR") {
            reader.NextFieldToString(text);
            int32_t language = LanguageFromCode(std::string_view(text.CStr(), size_t(text.Length())));
            if (language >= 0)
                (key == "LG" ? current->language : current->secondLanguage) = language;
        }
    }
    for (int32_t i = Count() - 1; i >= 0; --i) {
        if (At(i)->name == nullptr)
            RemoveAt(i);
    }
    SortByName();
}

void WebUserList::Write(TextWriter& writer) const
{
    for (int32_t i = 0; i < Count(); ++i) {
        const WebUser* user = At(i);
        String name;
        name.AssignHeapText(user->name);
        CleanText(name);
        // A "U" line without a name would hand the options that follow to the user before.
        if (name.IsEmpty())
            continue;
        writer.PutRawChar('U');
        writer.PutSeparator();
        writer.PutString(name);
        writer.PutSeparator();
        PutUserText(writer, user->password);
        writer.EndRow();
        WriteFlag(writer, "SB", user->sb);
        WriteOptionalText(writer, "SG", user->subsetName);
        WriteOptionalText(writer, "TF", user->templateFilter);
        WriteFlag(writer, "BI", user->bi);
        WriteFlag(writer, "CL", user->cl);
        WriteFlag(writer, "CN", user->cn);
        WriteFlag(writer, "BD", user->bd);
        WriteLanguage(writer, "LG", user->language);
        WriteLanguage(writer, "FR", user->secondLanguage);
    }
}

void WebUserList::WriteSection(TextWriter& writer) const
{
    if (!HasUsers())
        return;
    writer.PutText("##WebUsers");
    writer.EndRow();
    Write(writer);
    writer.EndRow();
}

}  // namespace vek
