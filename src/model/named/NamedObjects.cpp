// Named objects: name lookup keys, path splitting, section markers and macro menu items.
#include "model/named/NamedObjects.h"

#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/named/Macro.h"

namespace vek {

namespace {

// The bullet marker of sections in older base files: three U+2022 in UTF-8.
constexpr const char* kBulletMarker = "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2";

}  // namespace

ObjectMenu::~ObjectMenu() = default;

void ObjectMenu::AddTemplateItem(Template&, std::string_view, bool) {}

bool NameLookupKey(const char* name, int32_t length, String& key)
{
    if (name == nullptr) {
        key.AssignCStr("");
        return false;
    }
    key.AssignBytes(name, length < 0 ? CStrLength(name) : length);
    key.Trim(' ');
    return !key.IsEmpty();
}

bool NameEqualsKey(ConstHeapText name, const String& key)
{
    return CStrEqualNoCase(name != nullptr ? name : "", key.CStr()) != 0;
}

void SplitPathHead(String& path, String& out)
{
    while (true) {
        const char* text = path.CStr();
        int32_t colon = CStrFindChar(text, ':');
        if (colon < 0) {
            out.Assign(path);
            path.AssignCStr("");
            return;
        }
        int32_t end = colon;
        while (end > 0 && text[end - 1] == ' ')
            --end;
        int32_t rest = colon + 1;
        while (text[rest] == ' ')
            ++rest;
        if (end == 0 && text[rest] != 0) {
            path.Delete(0, rest);
            continue;
        }
        out.AssignBytes(text, end);
        path.Delete(0, rest);
        return;
    }
}

bool IsSectionMarker(const char* field, int32_t n)
{
    if (field == nullptr)
        return false;
    std::string_view text(field, size_t(n > 0 ? n : 0));
    return text.starts_with("##") || text.starts_with(kBulletMarker);
}

int32_t RemoveControlChars(String& text)
{
    int32_t length = CStrStripControlChars(text.Data());
    text.SetLength(length);
    return length;
}

void CleanObjectName(String& name, const char* text)
{
    name.AssignCStr(text);
    RemoveControlChars(name);
    name.Trim(' ');
}

void AddMacroMenuItem(ObjectMenu& menu, Macro& macro, MacroItemAction action)
{
    const char* name = macro.GetName() != nullptr ? macro.GetName() : "";
    ObjectMenu* current = &menu;
    const char* partStart = name;
    const char* scan = name[0] == ':' ? name + 1 : name;
    while (true) {
        int32_t colon = CStrFindChar(scan, ':');
        if (colon < 0)
            break;
        const char* colonAt = scan + colon;
        std::string_view title(partStart, size_t(colonAt - partStart));
        ObjectMenu* submenu = current->FindSubmenu(title);
        if (submenu == nullptr)
            submenu = current->AddSubmenu(title);
        if (submenu != nullptr)
            current = submenu;
        partStart = colonAt + 1;
        while (*partStart == ' ')
            ++partStart;
        scan = partStart;
    }
    current->AddMacroItem(macro, action, std::string_view(partStart));
}

}  // namespace vek
