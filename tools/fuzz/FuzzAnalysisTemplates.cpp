// Cards, lines and time-functions template definitions read from any bytes, in today's form and the older bullet
// form: reading must stay inside its input and keep every setting inside its table, and the
// definition written afterwards must read back without trouble.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "analysis/cards/CardsTemplate.h"
#include "analysis/lines/LinesTemplate.h"
#include "analysis/timefunctions/TimeFunctionsTemplate.h"
#include "platform/FilePath.h"

namespace {

using namespace vek;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckSortKeys(int32_t count)
{
    Check(count >= 1 && count <= kMaxCardsSortKeys);
}

void CheckTimeFunctions(const TimeFunctionsTemplate& trend)
{
    Check(int32_t(trend.PeriodKind()) >= 0 && int32_t(trend.PeriodKind()) < kPeriodKindCount);
    Check(trend.Rows().size() == trend.SelectionRows().size() + trend.FormulaRows().size());
    for (const auto& row : trend.Rows()) {
        const TimeFunctionRowDisplay& display = row->Display();
        Check(display.width >= 0 && display.width <= kMaxRowWidth);
        Check(display.decimals >= 1 && display.decimals <= 6);
    }
    for (const TimeFunctionSelectionDefinition* row : trend.SelectionRows()) {
        Check(row->ValueField() >= 0 && row->ValueField() < kMaxValueCount);
        Check(row->ValueMode() >= 0 && row->ValueMode() < 15 && row->ValueMode() != 2);
    }
}

std::string Written(const Template& node)
{
    TextWriter writer;
    node.WriteDefinition(writer);
    return std::string(writer.BufferedBytes());
}

// The definition without the export and page keys of the shared part, whose separator codes do not
// all read back (a thousands separator of 0 is not written and reads back as the default 1).
std::string OwnLines(const std::string& definition)
{
    std::string own;
    for (size_t start = 0; start < definition.size();) {
        size_t end = definition.find('\r', start);
        end = end == std::string::npos ? definition.size() : end + 1;
        std::string_view line(definition.data() + start, end - start);
        if (!line.starts_with("xe") && !line.starts_with("xp"))
            own += line;
        start = end;
    }
    return own;
}

// `afterHeader`: the bytes start with the definition's header line, which the reader passes first.
void ReadInto(Template& node, const char* bytes, size_t size, int32_t fileKind, int32_t version,
              bool afterHeader = false)
{
    TextReader reader(bytes, int64_t(size));
    if (afterHeader && !reader.ReadLine())
        return;
    TemplateReadContext context;
    context.fileKind = fileKind;
    context.version = version;
    node.ReadDefinition(reader, context);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192)
        return 0;
    ClearError();
    static Base* base = [] {
        auto* made = new Base(FilePath(), 1);
        made->SetValueCount(3);
        made->AddComponent(0, "S", "Sales", nullptr);
        made->AddComponent(1, "1910", "Cash", nullptr);
        made->SetupDimensionOrder();
        return made;
    }();
    std::vector<char> bytes(data, data + size);
    // The first byte picks the kind, the form and the version date.
    int32_t choice = size > 0 ? data[0] : 0;
    int32_t fileKind = (choice & 1) != 0 ? 6 : 5;
    int32_t version = (choice & 2) != 0 ? 19981028 : (choice & 4) != 0 ? 20001218 : 20121122;
    TemplateKind kind = (choice & 16) != 0 ? TemplateKind::TimeFunctions
                        : (choice & 8) != 0 ? TemplateKind::Lines
                                            : TemplateKind::Cards;
    std::unique_ptr<Template> node = base->NewTemplate(kind);
    Check(node != nullptr);
    ReadInto(*node, bytes.data(), bytes.size(), fileKind, version);
    if (node->Kind() == TemplateKind::Cards) {
        const CardsSettings& settings = static_cast<CardsTemplate&>(*node).Settings();
        CheckSortKeys(settings.sortKeyCount);
        Check(int32_t(settings.groupsContent) >= 0 && int32_t(settings.groupsContent) <= 2);
        Check(int32_t(settings.linesContent) >= 0 && int32_t(settings.linesContent) <= 2);
    } else if (node->Kind() == TemplateKind::TimeFunctions) {
        CheckTimeFunctions(static_cast<TimeFunctionsTemplate&>(*node));
    } else {
        const LinesSettings& settings = static_cast<LinesTemplate&>(*node).Settings();
        CheckSortKeys(settings.sortKeyCount);
        Check(settings.mainValueField >= 0 && settings.mainValueField < kMaxValueCount);
    }
    std::string written = Written(*node);
    std::unique_ptr<Template> again = base->NewTemplate(node->Kind());
    ReadInto(*again, written.data(), written.size(), 5, 20121122, true);
    std::string writtenAgain = Written(*again);
    // A time-functions definition in today's form reads back to the same bytes.
    if (node->Kind() == TemplateKind::TimeFunctions && OwnLines(writtenAgain) != OwnLines(written)) {
        std::fprintf(stderr, "written:\n%s\nread back and written:\n%s\n", written.c_str(), writtenAgain.c_str());
        std::abort();
    }
    ClearError();
    return 0;
}
