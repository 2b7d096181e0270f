// Texts with link markup typed by users: the display form and its offset map stay inside the text,
// HTML and canonical markup can be written for anything, and a card rename to the same key changes
// nothing.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/links/BaseLinkRegistry.h"
#include "model/links/LinkRename.h"
#include "model/named/Macro.h"
#include "platform/FilePath.h"

namespace {

using namespace vek;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    static Base* base = [] {
        Base* made = new Base(FilePath("/nowhere/Fuzz.vek"), 0);
        CardKey key{MakePackedDate(2024, 1, 31), 7};
        (void)made->CreateCard(key);
        (void)made->Macros().Create("Run");
        return made;
    }();
    std::string input(reinterpret_cast<const char*>(data), size);
    for (char& c : input) {
        if (c == 0)
            c = ' ';
    }
    const LinkRegistry& registry = base->GetLinkRegistry();

    String display;
    std::vector<uint16_t> map;
    LinkScanner found;
    registry.Convert(input.c_str(), display, &map, int32_t(size / 2), &found);
    Check(map.size() == input.size());
    for (size_t i = 0; i < map.size(); ++i) {
        Check(map[i] <= display.Length());
        Check(i == 0 || map[i] >= map[i - 1]);
    }
    if (!registry.HasLinks(input.c_str()))
        Check(display.View() == input);

    TextWriter writer;
    registry.WriteText(writer, input.c_str());
    registry.WriteUrlAnchors(writer, input.c_str());
    String text;
    text.AssignBytes(input);
    registry.ApplyTextMode(text, 1);
    registry.ApplyTextMode(text, 4);

    std::string same = input;
    LinkRename rename(LinkRenameKind::Card, "240131-7", "240131-7");
    rename.RewriteText(same);
    Check(same == input);
    std::string renamed = input;
    LinkRename(LinkRenameKind::Template, "A: B", "Report").RewriteText(renamed);
    LinkRename(LinkRenameKind::Macro, "run", "").RewriteText(renamed);
    return 0;
}
