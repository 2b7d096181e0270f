// Components of a base: the pool, creating and deleting, lookups, formatting, trees, generated codes.
#include "model/base/Base.h"

#include <cstring>

#include "foundation/memory/BitSet.h"
#include "foundation/strings/CString.h"
#include "foundation/numbers/CursorWriters.h"
#include "foundation/services/DisplayServices.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "model/base/BaseFileHooks.h"
#include "model/links/BaseLinkRegistry.h"
#include "model/cards/Card.h"
#include "model/cards/CardFilter.h"
#include "model/dimensions/Dimension.h"
#include "model/base/ModelServices.h"

namespace vek {

namespace {

// Typed texts are looked up with at most this many bytes.
constexpr int32_t kLookupLimit = 255;
constexpr int32_t kLogSkipped = 8;

bool IsContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Cuts a string to at most n bytes at a character boundary.
void CutAtCharacter(String& text, int32_t n)
{
    if (text.Length() <= n)
        return;
    while (n > 0 && IsContinuationByte(text.CStr()[n]))
        --n;
    text.Truncate(n);
}

bool DisplayShowsHost(int32_t display)
{
    return display == 1 || display == 4 || display == 5 || display == 6;
}

bool DisplayShowsText(int32_t display)
{
    return display == 2 || display == 3 || display == 4 || display == 6;
}

}  // namespace

// --- Pool ------------------------------------------------------------------------------------------

Component* Base::AllocComponent()
{
    if (componentPool.FreeHead() == kNoRecord) {
        // A new number must fit the lines' component width; widen every line before it exists.
        uint32_t number = componentPool.NextNewIndex();
        int32_t width = number >= kWidenTo4Bytes ? 4 : number >= kWidenTo3Bytes ? 3 : 2;
        if (width > ComponentWidth()) {
            WidenComponentWidth(width);
            if (ComponentWidth() < width)
                return nullptr;
        }
    }
    auto* component = static_cast<Component*>(componentPool.Alloc());
    if (component == nullptr) {
        if (!IsErrorPending())
            SetOutOfMemoryError();
        return nullptr;
    }
    // Alloc zeroed the texts and set number and nextSibling.
    component->prevSibling = component->number;
    component->parent = kNoRecord;
    component->firstChild = kNoRecord;
    return component;
}

void Base::FreeComponent(Component* component)
{
    SetHeapText(component->code, nullptr);
    SetHeapText(component->text, nullptr);
    SetHeapText(component->host, nullptr);
    componentPool.Free(component->number);
}

int32_t Base::CountComponentsInUse() const
{
    return componentPool.ElementCount() - int32_t(kDimensionCount) - componentPool.FreeCount();
}

void Base::MarkLiveComponents(BitSet& set) const
{
    if (!set.Resize(componentPool.ElementCount())) {
        SetOutOfMemoryError();
        return;
    }
    if (IsErrorPending())
        return;
    set.SetAll(1);
    for (uint32_t free = componentPool.FreeHead(); free != kNoRecord; free = ComponentAt(free)->nextSibling)
        set.SetBit(int32_t(free), false);
}

// --- Creating and deleting -------------------------------------------------------------------------

uint32_t Base::FindParentByCodePrefix(int32_t d, const char* code) const
{
    const Dimension& dimension = GetDimension(d);
    String prefix;
    prefix.AssignCStr(code);
    // Shorten by one character at a time, never leaving half a character.
    int32_t n = prefix.Length();
    while (n > 1) {
        --n;
        while (n > 0 && IsContinuationByte(prefix.CStr()[n]))
            --n;
        if (n == 0)
            break;
        prefix.Truncate(n);
        if (const Component* parent = dimension.FindByCode(prefix.CStr()))
            return parent->number;
    }
    return uint32_t(d);
}

Component* Base::AddComponent(int32_t d, const char* code, const char* text, const char* host)
{
    return AddComponentLinked(d, code, text, host, nullptr);
}

Component* Base::AddComponentAfter(int32_t d, const char* code, const char* text, const char* host,
                                   Component* sibling)
{
    if (sibling == nullptr)
        return nullptr;
    return AddComponentLinked(d, code, text, host, sibling);
}

Component* Base::AddComponentLinked(int32_t d, const char* code, const char* text, const char* host,
                                    Component* sibling)
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return nullptr;
    Dimension& dimension = GetDimension(d);
    String codeText;
    String textText;
    String hostText;
    codeText.AssignCStr(code);
    textText.AssignCStr(text);
    hostText.AssignCStr(host);
    dimension.NormalizeTexts(codeText, textText, hostText);
    if (codeText.IsEmpty())
        return nullptr;

    if (Component* existing = dimension.FindByCode(codeText.CStr())) {
        if (sibling == nullptr && logHandler)
            LogOperation("duplicate component", codeText.CStr(), kLogSkipped);
        return existing;
    }
    if (!hostText.IsEmpty() && dimension.FindByHost(hostText.CStr()) != nullptr) {
        Message message;
        message.code = message::kDuplicateHost;
        message.AddText(hostText.CStr());
        String name;
        DimensionSingularName(d, name);
        message.AddText(name.CStr());
        ShowErrorAlert(message);
        hostText.SetLength(0);
    }

    Component* component = AllocComponent();
    if (component == nullptr)
        return nullptr;
    SetHeapTextFromString(component->code, codeText);
    SetHeapTextFromString(component->text, textText);
    SetHeapTextFromString(component->host, hostText);
    if (component->code == nullptr || (component->text == nullptr && !textText.IsEmpty()) ||
        (component->host == nullptr && !hostText.IsEmpty())) {
        FreeComponent(component);
        if (!IsErrorPending())
            SetOutOfMemoryError();
        return nullptr;
    }
    if (sibling != nullptr)
        component->InsertAfter(componentPool, sibling);
    else
        component->AppendChild(componentPool, ComponentAt(FindParentByCodePrefix(d, codeText.CStr())));

    dimension.IndexComponent(component);
    dimensionChanged[size_t(d)] = true;
    if (sibling == nullptr && component->parent == uint32_t(d) && Root(d)->firstChild == component->number)
        UpdateDimensionsInUse();
    return component;
}

void Base::DeleteSubtree(Component* top, bool& indexStale)
{
    if (top->IsRoot())
        return;
    uint32_t d = top->Dimension(componentPool);
    Dimension& dimension = GetDimension(int32_t(d));
    // Children first, without recursion: always delete a leaf of what remains.
    while (true) {
        Component* leaf = top;
        while (leaf->firstChild != kNoRecord)
            leaf = leaf->FirstChild(componentPool);
        if (leaf->parent == d && leaf->code != nullptr && std::strcmp(leaf->code, "#") == 0)
            generatedCodeCounters[d] = 0;
        if (!dimension.UnindexComponent(leaf))
            indexStale = true;
        leaf->Unlink(componentPool);
        FreeComponent(leaf);
        if (leaf == top)
            break;
    }
    dimensionChanged[d] = true;
}

void Base::DeleteComponent(Component* component)
{
    if (component == nullptr || component->IsRoot())
        return;
    int32_t d = int32_t(component->Dimension(componentPool));
    bool indexStale = false;
    DeleteSubtree(component, indexStale);
    if (indexStale)
        RebuildComponentIndexes(d);
}

void Base::DeleteMarkedComponents(const BitSet& set, int32_t d)
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return;
    Component* root = Root(d);
    bool indexStale = false;
    int32_t depth = 0;
    Component* c = root->NextInSubtree(componentPool, root);
    while (c != root) {
        if (set.GetBit(int32_t(c->number))) {
            Component* next = c->NextAfterSubtree(componentPool, root, depth);
            DeleteSubtree(c, indexStale);
            c = next;
        } else {
            c = c->NextInSubtree(componentPool, root);
        }
    }
    if (indexStale)
        RebuildComponentIndexes(d);
}

void Base::RebuildComponentIndexes(int32_t d)
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return;
    GetDimension(d).RebuildCodeIndex(true);
    GetDimension(d).RebuildHostIndex(true);
}

// --- Lookups and formatting ------------------------------------------------------------------------

namespace {

// The component of a subtree that `accept` admits and that `better` prefers to every other one
// admitted; the first of equals wins. Null when none is admitted.
template <typename Accept, typename Better>
Component* BestInSubtree(const RecordPool& pool, Component* root, Accept accept, Better better)
{
    Component* best = nullptr;
    for (Component* c = root->NextInSubtree(pool, root); c != root; c = c->NextInSubtree(pool, root)) {
        if (accept(*c) && (best == nullptr || better(*c, *best)))
            best = c;
    }
    return best;
}

}  // namespace

Component* Base::FindByTextPrefix(int32_t d, const char* text) const
{
    if (d < 0 || d >= int32_t(kDimensionCount) || text == nullptr)
        return nullptr;
    int32_t kind = GetDimension(d).TextMode() == kCaseExact ? kCaseExact : kCaseKeep;
    // Texts compare in their display form: a text with links as it is shown.
    String shown;
    String shownBest;
    return BestInSubtree(
        componentPool, Root(d),
        [&](const Component& c) {
            return c.text != nullptr && CStrStartsWithByKind(linkRegistry->DisplayText(c.text, shown), text, kind);
        },
        [&](const Component& c, const Component& best) {
            return CStrCompareByKind(linkRegistry->DisplayText(c.text, shown),
                                     linkRegistry->DisplayText(best.text, shownBest), kind) < 0;
        });
}

Component* Base::FindByHostPrefix(int32_t d, const char* text) const
{
    if (d < 0 || d >= int32_t(kDimensionCount) || text == nullptr)
        return nullptr;
    int32_t kind = GetDimension(d).HostMode() == kCaseExact ? kCaseExact : kCaseKeep;
    return BestInSubtree(
        componentPool, Root(d),
        [&](const Component& c) { return c.host != nullptr && CStrStartsWithByKind(c.host, text, kind); },
        [&](const Component& c, const Component& best) { return CStrCompareByKind(c.host, best.host, kind) < 0; });
}

Component* Base::FindHostAtOrBelow(int32_t d, const char* text) const
{
    if (d < 0 || d >= int32_t(kDimensionCount) || text == nullptr)
        return nullptr;
    int32_t kind = GetDimension(d).HostMode() == kCaseExact ? kCaseExact : kCaseKeep;
    return BestInSubtree(
        componentPool, Root(d),
        [&](const Component& c) { return c.host != nullptr && CStrCompareByKind(c.host, text, kind) <= 0; },
        [&](const Component& c, const Component& best) { return CStrCompareByKind(c.host, best.host, kind) > 0; });
}

uint32_t Base::LookupComponent(int32_t d, const char* text, int32_t length) const
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return 0;
    String typed;
    if (text != nullptr && length > 0)
        typed.AssignBytes(text, length);
    typed.Trim(' ');
    if (typed.IsEmpty())
        return uint32_t(d);
    CutAtCharacter(typed, kLookupLimit);
    const Dimension& dimension = GetDimension(d);
    const char* whole = typed.CStr();
    int32_t blank = CStrFindChar(whole, ' ');
    if (blank < 0) {
        const Component* found = dimension.FindByCode(whole);
        if (found == nullptr)
            found = dimension.FindByHost(whole);
        if (found == nullptr)
            found = FindByTextPrefix(d, whole);
        if (found == nullptr)
            found = FindByHostPrefix(d, whole);
        return found != nullptr ? found->number : uint32_t(d);
    }
    String first;
    first.AssignBytes(whole, blank);
    const Component* found = dimension.FindByCode(first.CStr());
    if (found == nullptr)
        found = dimension.FindByHost(whole);
    if (found == nullptr)
        found = dimension.FindByHost(first.CStr());
    if (found == nullptr)
        found = FindByTextPrefix(d, whole);
    if (found == nullptr)
        found = FindByHostPrefix(d, whole);
    if (found != nullptr)
        return found->number;
    const char* rest = whole + blank;
    while (*rest == ' ')
        ++rest;
    if (*rest == '\0')
        return uint32_t(d);
    found = FindByTextPrefix(d, rest);
    return found != nullptr ? found->number : uint32_t(d);
}

bool Base::IsInteractive() const
{
    return !unattended && QueryUnattended() == 0;
}

uint32_t Base::ResolveComponent(int32_t d, const char* text, int32_t length)
{
    uint32_t number = LookupComponent(d, text, length);
    if (number != uint32_t(d) || d < 0 || d >= int32_t(kDimensionCount))
        return number;
    String typed;
    if (text != nullptr && length > 0)
        typed.AssignBytes(text, length);
    typed.Trim(' ');
    // An empty text means "no component" and is not unknown.
    if (typed.IsEmpty() || Service<ModelServices>::Get().IsWebRequestActive())
        return number;
    if (IsInteractive()) {
        BringApplicationToFront();
        Beep();
        return Service<ModelServices>::Get().RunUnknownComponentDialog(*this, d, typed.CStr(), typed.Length());
    }
    Message message;
    message.code = message::kUnknownComponent;
    message.AddText(typed.CStr());
    String name;
    DimensionSingularName(d, name);
    message.AddText(name.CStr());
    ShowErrorAlert(message);
    return uint32_t(d);
}

void Base::FormatComponentPlain(String& out, const Component* component, int32_t d) const
{
    out.SetLength(0);
    if (component == nullptr || component->IsRoot() || d < 0 || d >= int32_t(kDimensionCount))
        return;
    int32_t display = GetDimension(d).Display();
    out.AppendHeapText(component->code);
    if (DisplayShowsHost(display) && component->host != nullptr) {
        out.AppendChar(' ');
        out.AppendHeapText(component->host);
    }
    if (DisplayShowsText(display) && component->text != nullptr) {
        out.AppendChar(' ');
        out.AppendHeapText(component->text);
    }
}

void Base::FormatComponent(String& out, const Component* component, int32_t d) const
{
    FormatComponentPlain(out, component, d);
    linkRegistry->FormatInPlace(out);
}

void Base::FormatComponentExact(char*& cursor, const Component* component, int32_t d, int32_t combination) const
{
    if (component == nullptr || component->IsRoot() || d < 0 || d >= int32_t(kDimensionCount))
        return;
    if (combination < 0)
        combination = GetDimension(d).Display();
    auto later = [&cursor](ConstHeapText part) {
        if (part != nullptr) {
            CursorPutCStr(cursor, " ");
            CursorPutHeapText(cursor, part);
        }
    };
    switch (combination) {
    case 0:
        CursorPutHeapText(cursor, component->code);
        break;
    case 1:
        CursorPutHeapText(cursor, component->host);
        break;
    case 2:
        CursorPutHeapText(cursor, component->text);
        break;
    case 3:
        CursorPutHeapText(cursor, component->code);
        later(component->text);
        break;
    case 4:
        CursorPutHeapText(cursor, component->host);
        later(component->text);
        break;
    case 5:
        CursorPutHeapText(cursor, component->code);
        later(component->host);
        break;
    case 6:
        CursorPutHeapText(cursor, component->code);
        later(component->host);
        later(component->text);
        break;
    default:
        break;
    }
}

int32_t Base::FormatComponentExactBound(const Component* component)
{
    if (component == nullptr)
        return 0;
    return HeapTextLength(component->code) + HeapTextLength(component->host) + HeapTextLength(component->text) + 2;
}

// --- Trees -----------------------------------------------------------------------------------------

int32_t Base::CountComponents(int32_t d) const
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return 0;
    int32_t count = 0;
    Component* root = Root(d);
    for (Component* c = root->NextInSubtree(componentPool, root); c != root;
         c = c->NextInSubtree(componentPool, root))
        ++count;
    return count;
}

int32_t Base::MaxComponentLevel(int32_t d) const
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return 0;
    int32_t deepest = 0;
    int32_t depth = 0;
    Component* root = Root(d);
    for (Component* c = root->NextInSubtreeWithDepth(componentPool, root, depth); c != root;
         c = c->NextInSubtreeWithDepth(componentPool, root, depth)) {
        if (depth > deepest)
            deepest = depth;
    }
    return deepest;
}

void Base::MarkUsedComponents(BitSet& set, int32_t d)
{
    if (!set.Resize(componentPool.ElementCount())) {
        SetOutOfMemoryError();
        return;
    }
    set.SetAll(0);
    if (d < 0 || d >= int32_t(kDimensionCount) || !DimensionHasComponents(d))
        return;
    if (d > 0 && d > DimsInUse())
        return;
    static const CardFilter passAll;
    const CardFilter& filter = cardFilter != nullptr ? *cardFilter : passAll;
    Card* first = FirstCard();
    Card* end = ChainEnd();
    if (cardFilter != nullptr) {
        CardKey from;
        CardKey to;
        filter.KeyRange(from, to);
        FindCardsInDateRange(from, to, first, end);
    }
    for (Card* card = first; card != end; card = NextCard(card)) {
        if (!filter.PassesCard(*card))
            continue;
        for (CardGroup* group = FirstGroup(card); group != nullptr; group = NextGroup(group)) {
            if (!filter.PassesGroup(*card, *group))
                continue;
            if (d == 0) {
                set.SetBit(group->key, true);
                continue;
            }
            for (CardLine* line = FirstLine(group); line != nullptr; line = NextLine(line)) {
                if (filter.PassesLine(*card, *group, *line))
                    set.SetBit(int32_t(GetLineComponent(line, d - 1)), true);
            }
        }
    }
    set.SetBit(d, false);
}

void Base::MarkAncestors(BitSet& set, int32_t d) const
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return;
    Component* root = Root(d);
    for (Component* c = root->NextInSubtree(componentPool, root); c != root;
         c = c->NextInSubtree(componentPool, root)) {
        if (!set.GetBit(int32_t(c->number)))
            continue;
        for (Component* p = c->Parent(componentPool); p != root && !set.GetBit(int32_t(p->number));
             p = p->Parent(componentPool))
            set.SetBit(int32_t(p->number), true);
    }
}

Component* Base::CommonAncestorOfMarked(const BitSet& set, int32_t d) const
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return nullptr;
    Component* root = Root(d);
    Component* common = nullptr;
    for (Component* c = root->NextInSubtree(componentPool, root); c != root;
         c = c->NextInSubtree(componentPool, root)) {
        if (!set.GetBit(int32_t(c->number)))
            continue;
        common = common == nullptr ? c : Component::CommonAncestor(componentPool, common, c);
        if (common == root)
            break;
    }
    return common != nullptr ? common : root;
}

Component* Base::NearestUnmarkedAncestor(const Component* component, const BitSet& set) const
{
    Component* p = component->Parent(componentPool);
    while (p != nullptr && !p->IsRoot() && set.GetBit(int32_t(p->number)))
        p = p->Parent(componentPool);
    return p != nullptr ? p : const_cast<Component*>(component);
}

// --- Generated codes and imported names ------------------------------------------------------------

Component* Base::CreateGeneratedCodeParent(int32_t d)
{
    if (Component* existing = GetDimension(d).FindByCode("#"))
        return existing;
    return AddComponent(d, "#", LoadText(text::kGeneratedCodes), nullptr);
}

void Base::NewGeneratedCode(int32_t d, String& out)
{
    out.SetLength(0);
    if (d < 0 || d >= int32_t(kDimensionCount))
        return;
    if (generatedCodeCounters[size_t(d)] == 0)
        CreateGeneratedCodeParent(d);
    const Dimension& dimension = GetDimension(d);
    int32_t counter = generatedCodeCounters[size_t(d)];
    String code;
    do {
        if (counter == INT32_MAX)
            return;  // no code left: the caller creates nothing
        ++counter;
        code.AssignChar('#');
        if (counter <= 99999) {
            code.AppendIntDigits(counter, 5);
        } else {
            int32_t exponent = 0;
            for (int32_t rest = counter; rest >= 10; rest /= 10)
                ++exponent;
            code.AppendChar(char(60 + exponent));
            code.AppendInt(counter);
        }
    } while (dimension.FindByCode(code.CStr()) != nullptr);
    generatedCodeCounters[size_t(d)] = counter;
    out.Assign(code);
}

uint32_t Base::ResolveImportComponent(int32_t d, const char* text, int32_t length, UnknownReferenceReport report,
                                      bool* added)
{
    if (added != nullptr)
        *added = false;
    if (d < 0 || d >= int32_t(kDimensionCount))
        return 0;
    int32_t mode = saveSettings ? saveSettings->CardsReferenceMode(d) : 0;
    const Dimension& dimension = GetDimension(d);
    String typed;
    if (text != nullptr && length > 0)
        typed.AssignBytes(text, length);
    const Component* found = nullptr;
    if (mode == 1 || mode == 2)
        typed.Trim(' ');
    if (typed.IsEmpty())
        return uint32_t(d);
    if (mode == 1) {
        found = dimension.FindByHost(typed.CStr());
    } else if (mode == 2) {
        found = FindByTextPrefix(d, typed.CStr());
    } else {
        found = dimension.FindByCode(typed.CStr());
        if (found == nullptr) {
            String packed;
            packed.Assign(typed);
            packed.RemoveAll(' ');
            found = dimension.FindByCode(packed.CStr());
        }
    }
    if (found != nullptr)
        return found->number;

    if (report == UnknownReferenceReport::show) {
        Message message;
        message.code = mode == 1 ? message::kImportHostUnknown : mode == 2 ? message::kImportTextUnknown
                                                                         : message::kImportCodeUnknown;
        message.AddText(typed.CStr());
        String name;
        DimensionSingularName(d, name);
        message.AddText(name.CStr());
        ShowErrorAlert(message);
    }

    Component* created = nullptr;
    if (mode == 1 || mode == 2) {
        String code;
        NewGeneratedCode(d, code);
        if (!code.IsEmpty())
            created = mode == 1 ? AddComponent(d, code.CStr(), nullptr, typed.CStr())
                                : AddComponent(d, code.CStr(), typed.CStr(), nullptr);
    } else {
        created = AddComponent(d, typed.CStr(), nullptr, nullptr);
    }
    if (added != nullptr)
        *added = created != nullptr;
    return created != nullptr ? created->number : uint32_t(d);
}

uint32_t Base::CreateImportedComponent(int32_t d, const char* value, int32_t lookup, int32_t action)
{
    if (d < 0 || d >= int32_t(kDimensionCount) || value == nullptr)
        return 0;
    Message message;
    message.code = lookup == 0   ? message::kImportCodeUnknown
                   : lookup == 1 ? message::kImportTextUnknown
                                 : message::kImportHostUnknown;
    message.AddText(value);
    String name;
    DimensionSingularName(d, name);
    message.AddText(name.CStr());
    ShowErrorAlert(message);

    constexpr int32_t kActionGenerated = 0, kActionHash = 1, kActionHost = 2, kActionNearest = 3;
    if (lookup == 0)
        action = kActionHost;
    const Dimension& dimension = GetDimension(d);
    // Looked up by text, the value is the text the next line looks for.
    const char* text = lookup == 1 ? value : nullptr;
    String code;
    Component* sibling = nullptr;
    switch (action) {
    case kActionHost:
        code.AssignCStr(value);
        break;
    case kActionHash:
        code.AssignChar('#');
        code.AppendCStr(value);
        if (dimension.FindByCode(code.CStr()) == nullptr)
            CreateGeneratedCodeParent(d);
        break;
    case kActionNearest:
        sibling = FindHostAtOrBelow(d, value);
        if (sibling != nullptr) {
            const Component* parent = ComponentAt(sibling->parent);
            if (parent != nullptr && parent->code != nullptr)
                code.AssignCStr(parent->code);
        }
        code.AppendCStr(value);
        break;
    default:
        break;
    }
    if (action == kActionGenerated || code.IsEmpty() || dimension.FindByCode(code.CStr()) != nullptr) {
        NewGeneratedCode(d, code);
        sibling = nullptr;
    }
    Component* created = nullptr;
    if (!code.IsEmpty()) {
        created = sibling != nullptr ? AddComponentAfter(d, code.CStr(), text, value, sibling)
                                     : AddComponent(d, code.CStr(), text, value);
    }
    return created != nullptr ? created->number : uint32_t(d);
}

}  // namespace vek
