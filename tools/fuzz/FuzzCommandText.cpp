// Fuzzes the command language on a scratch base: any bytes run as a command text must stay inside
// their input, end (no macro chain, line or text may run away), keep the base's invariants (every
// dimension's components reachable by code, the card chain in key order) and leave no command
// source running. Commands that reach outside the process (saving, importing, error files, opening
// files and URLs) are disarmed by mangling their names in the input, so the fuzzer writes nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/commands/CommandInterpreter.h"
#include "foundation/messages/PendingError.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/CString.h"
#include "model/base/Base.h"
#include "model/named/CommandSource.h"
#include "model/dimensions/Component.h"
#include "model/dimensions/Dimension.h"
#include "model/named/Macro.h"
#include "platform/FilePath.h"

namespace {

using namespace vek;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Every case-insensitive occurrence of the words becomes "x" characters, whatever surrounds it.
void Disarm(std::string& text)
{
    static constexpr std::string_view kWords[] = {"save", "import", "errorfile", "openfile", "openurl"};
    for (size_t at = 0; at < text.size(); ++at) {
        for (std::string_view word : kWords) {
            if (at + word.size() <= text.size() &&
                CStrEqualNoCase(std::string_view(text).substr(at, word.size()), word)) {
                for (size_t i = 0; i < word.size(); ++i)
                    text[at + i] = 'x';
            }
        }
    }
}

void MakeScratchBase(Base& base)
{
    base.AddComponent(1, "1", "Assets", "H1");
    base.AddComponent(1, "11", "Cash", "H11");
    base.AddComponent(1, "2", "Other", nullptr);
    base.UpdateDimensionsInUse();
    for (int32_t day = 1; day <= 3; ++day) {
        CardKey key{MakePackedDate(2024, 1, day), 1};
        Card* card = base.CreateCard(key);
        if (card == nullptr)
            continue;
        CardGroup* group = base.FindOrAddGroup(card, 0);
        CardLine* line = group != nullptr ? base.CreateLine(group) : nullptr;
        if (line != nullptr) {
            base.SetLineComponent(line, 0, base.GetDimension(1).FindByCode("11")->number);
            base.SetLineValue(line, 0, 10.0 * day);
        }
    }
    base.FlushCardChanges();
    base.Macros().Create("Again")->SetCommands("execute Again\rnewComponent 2 3 Three -silent");
    base.Macros().Create("A")->SetCommands("execute B");
    base.Macros().Create("B")->SetCommands("execute A\rdeleteMacro -all");
}

void CheckBase(Base& base)
{
    const RecordPool& pool = base.ComponentPool();
    for (int32_t d = 0; d < 32; ++d) {
        Component* root = base.Root(d);
        for (Component* c = root->NextInSubtree(pool, root); c != root; c = c->NextInSubtree(pool, root)) {
            if (c->code != nullptr)
                Check(base.GetDimension(d).FindByCode(c->code) != nullptr);
        }
    }
    for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
        Card* next = base.NextCard(card);
        if (next != base.ChainEnd())
            Check(base.CompareCardsByKey(card, next, SortDirection::Ascending) < 0);
    }
    for (Macro* macro = base.Macros().First(); macro != nullptr; macro = macro->Next())
        Check(!macro->IsRunning());
    Check(CommandNesting() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    Disarm(text);
    ClearError();
    {
        Base base(FilePath("/nonexistent-fuzz-folder/scratch.vkx"), 0);
        MakeScratchBase(base);
        base.RunCommandSource(text, "fuzz");
        ClearError();
        CheckBase(base);
        base.CloseErrorFile(ErrorFileClose::Hard);
    }
    ClearError();
    return 0;
}
