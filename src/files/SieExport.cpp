#include "files/SieExport.h"

#include <cstring>

#include "files/ProgramVersion.h"
#include "files/SaveSettings.h"
#include "files/SieImport.h"
#include "foundation/BitSet.h"
#include "foundation/CodePages.h"
#include "foundation/Message.h"
#include "foundation/NumberFormat.h"
#include "foundation/PendingError.h"
#include "foundation/String.h"
#include "foundation/TextIds.h"
#include "foundation/TextStreams.h"
#include "foundation/Utf8.h"
#include "model/Base.h"
#include "model/Dimension.h"
#include "model/ModelServices.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

constexpr const char* kSieFieldGap = "  ";
constexpr const char* kSieDefaultCompany = "Exempel";

// Bytes that a plain SIE field cannot hold.
bool NeedsQuotes(std::string_view text)
{
    if (text.empty())
        return true;
    for (char c : text) {
        if (uint8_t(c) <= ' ' || c == '"' || c == '{' || c == '}' || c == '\\')
            return true;
    }
    return false;
}

void WriteSieCode(TextWriter& writer, std::string_view code)
{
    if (NeedsQuotes(code))
        WriteSieQuoted(writer, code);
    else
        writer.PutTextBytes(code.data(), int32_t(code.size()));
}

PackedDate DateOfTimestamp(PackedTimestamp stamp)
{
    if (stamp == 0)
        return 0;
    return PackDateClamped(PackedTimestampYear(stamp), PackedTimestampMonth(stamp), PackedTimestampDay(stamp));
}

}  // namespace

void WriteSieDate(TextWriter& writer, PackedDate date)
{
    if (date == 0)
        return;
    writer.PutIntDigits(PackedDateYear(date), 4);
    writer.PutIntDigits(PackedDateMonth(date), 2);
    writer.PutIntDigits(PackedDateDay(date), 2);
}

void WriteSieQuoted(TextWriter& writer, std::string_view text)
{
    writer.PutText("\"");
    // Written in runs between the bytes that need escaping, so that characters stay whole.
    const char* run = text.data();
    const char* end = text.data() + text.size();
    for (const char* p = run; p < end; ++p) {
        char c = *p;
        if (c != '"' && c != '\\' && uint8_t(c) >= ' ')
            continue;
        writer.PutTextBytes(run, int32_t(p - run));
        if (c == '"')
            writer.PutText("\\\"");
        else if (c == '\\')
            writer.PutText("\\\\");
        else
            writer.PutText(" ");
        run = p + 1;
    }
    writer.PutTextBytes(run, int32_t(end - run));
    writer.PutText("\"");
}

SieExport::SieExport(Base& base, const SaveSettings& settings, TextWriter& writer, ProgressDisplay* progress)
    : base(base), settings(settings), writer(writer), progress(progress)
{
    accountDimension = DimensionOfSieNumber(kSieAccountDimension);
    if (accountDimension >= 0 && settings.GetSieFlag(SieFlag::Rv)) {
        // The latest opening-balance card goes out as the opening balances.
        for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
            if (IsSieOpeningBalanceCard(*card))
                openingCard = card;
        }
    }
}

int32_t SieExport::DimensionOfSieNumber(int32_t number) const
{
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (settings.SieDimension(d) == number)
            return d;
    }
    return -1;
}

void SieExport::WriteSie()
{
    WriteHeader();
    if (IsErrorPending())
        return;
    WriteSieAccountsAndObjects();
    if (IsErrorPending())
        return;
    WriteSieVouchers();
}

void SieExport::WriteHeader()
{
    writer.WriteLine("#FLAGGA 0");
    writer.PutText("#PROGRAM ");
    writer.PutText(kProgramVersionText);
    writer.EndRow();
    writer.WriteLine("#FORMAT PC8");
    writer.PutText("#GEN ");
    WriteSieDate(writer, TodayPackedDate());
    writer.EndRow();
    writer.WriteLine("#SIETYP 4");

    ConstHeapText company = settings.GetSieText(SieText::RC);
    writer.PutText("#FNAMN");
    writer.PutText(kSieFieldGap);
    WriteSieQuoted(writer, company != nullptr && *company != 0 ? company : kSieDefaultCompany);
    writer.EndRow();
    struct OptionalText {
        const char* label;
        SieText which;
    };
    for (const OptionalText& item : {OptionalText{"#ORGNR", SieText::RO}, OptionalText{"#PROSA", SieText::RN}}) {
        ConstHeapText text = settings.GetSieText(item.which);
        if (text == nullptr || *text == 0)
            continue;
        writer.PutText(item.label);
        writer.PutText(kSieFieldGap);
        WriteSieQuoted(writer, text);
        writer.EndRow();
    }
    if (openingCard != nullptr) {
        // The financial year the opening balances open: it starts the day after their card.
        PackedDate start = NextPackedDate(base.CardDate(openingCard));
        PackedDate end = PreviousPackedDate(AddMonthsToPackedDate(start, 1, 0));
        writer.PutText("#RAR");
        writer.PutText(kSieFieldGap);
        writer.PutText("0");
        writer.PutText(kSieFieldGap);
        WriteSieDate(writer, start);
        writer.PutText(kSieFieldGap);
        WriteSieDate(writer, end);
        writer.EndRow();
    }
    writer.EndRow();
}

bool SieExport::CanWriteCode(int32_t d, const Component& component)
{
    if (component.host != nullptr && *component.host != 0)
        return true;
    if (settings.GetSieFlag(SieFlag::Ru) && component.code != nullptr)
        return true;
    if (reported.size() <= component.number)
        reported.resize(size_t(component.number) + 1, false);
    if (!reported[component.number]) {
        reported[component.number] = true;
        Message message;
        message.code = message::kSieNoHostCode;
        message.AddHeapText(component.code);
        String name;
        base.DimensionSingularName(d, name);
        message.AddText(name.CStr());
        base.ShowErrorAlert(message);
    }
    return false;
}

bool SieExport::WriteSieComponentCode(int32_t d, const Component& component)
{
    if (!CanWriteCode(d, component))
        return false;
    WriteSieCode(writer, component.host != nullptr && *component.host != 0 ? component.host : component.code);
    return true;
}

void SieExport::WriteSieAccountsAndObjects()
{
    int32_t highest = 0;
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (settings.SieDimension(d) > highest)
            highest = settings.SieDimension(d);
    }
    for (int32_t number = kSieAccountDimension; number <= highest && !IsErrorPending(); ++number) {
        if (number == 0)
            continue;
        int32_t d = DimensionOfSieNumber(number);
        if (d < 0)
            continue;
        if (number == kSieAccountDimension ? !settings.GetSieFlag(SieFlag::Rk) : !settings.GetSieFlag(SieFlag::Rd))
            continue;
        WriteDimensionRecords(d, number);
    }
}

void SieExport::WriteDimensionRecords(int32_t d, int32_t number)
{
    int32_t mode = settings.SieSaveMode(d);
    if (mode == kSaveModeNone)
        return;
    if (progress != nullptr)
        progress->SetStep(kSieDimensionStepBase + d);
    BitSet chosen;
    bool all = mode == kSaveModeAll;
    if (!all) {
        base.MarkUsedComponents(chosen, d);
        if (IsErrorPending())
            return;
        if (mode == kSaveModeUsedWithAncestors)
            base.MarkAncestors(chosen, d);
    }
    if (number != kSieAccountDimension) {
        String name;
        base.DimensionPluralName(d, name);
        writer.PutText("#DIM");
        writer.PutText(kSieFieldGap);
        writer.PutInt(number);
        writer.PutText(kSieFieldGap);
        WriteSieQuoted(writer, name.CStr());
        writer.EndRow();
    }
    const RecordPool& pool = base.ComponentPool();
    Component* root = base.Root(d);
    for (Component* c = root->NextInSubtree(pool, root); c != root && !IsErrorPending(); c = c->NextInSubtree(pool, root)) {
        if ((!all && !chosen.GetBit(int32_t(c->number))) || !CanWriteCode(d, *c))
            continue;
        if (number == kSieAccountDimension) {
            writer.PutText("#KONTO");
        } else {
            writer.PutText("#OBJEKT");
            writer.PutText(kSieFieldGap);
            writer.PutInt(number);
        }
        writer.PutText(kSieFieldGap);
        WriteSieComponentCode(d, *c);
        writer.PutText(kSieFieldGap);
        WriteSieQuoted(writer, c->text != nullptr ? c->text : "");
        writer.EndRow();
    }
    writer.EndRow();
}

uint32_t SieExport::ComponentOnLine(int32_t d, uint32_t groupKey, const CardLine* line) const
{
    if (d == 0)
        return groupKey;
    return base.GetLineComponent(line, d - 1);
}

bool SieExport::IsAccountWritable(uint32_t account)
{
    const Component* component = base.ComponentAt(account);
    return component != nullptr && !component->IsRoot() && CanWriteCode(accountDimension, *component);
}

void SieExport::WriteAmount(double value)
{
    NumberFormat format;
    format.decimalSeparator = u'.';
    format.thousandsSeparator = 0;
    format.mode = NumberMode::Fixed;
    format.decimals = 2;
    writer.PutDouble(value, format);
}

void SieExport::WriteOpeningBalances()
{
    if (openingCard == nullptr)
        return;
    for (CardGroup* group = base.FirstGroup(openingCard); group != nullptr; group = base.NextGroup(group)) {
        for (CardLine* line = base.FirstLine(group); line != nullptr && !IsErrorPending(); line = base.NextLine(line)) {
            uint32_t account = ComponentOnLine(accountDimension, uint32_t(group->key), line);
            if (!IsAccountWritable(account))
                continue;
            writer.PutText("#IB");
            writer.PutText(kSieFieldGap);
            writer.PutText("0");
            writer.PutText(kSieFieldGap);
            WriteSieComponentCode(accountDimension, *base.ComponentAt(account));
            writer.PutText(kSieFieldGap);
            WriteAmount(base.GetLineValue(line, 0));
            writer.EndRow();
        }
    }
    writer.EndRow();
}

void SieExport::WriteSieVouchers()
{
    if (!settings.GetSieFlag(SieFlag::Rv) || base.CardCount() == 0 || accountDimension < 0)
        return;
    if (progress != nullptr)
        progress->SetStep(text::kCards);
    WriteOpeningBalances();
    for (Card* card = base.FirstCard(); card != base.ChainEnd() && !IsErrorPending(); card = base.NextCard(card)) {
        if (card == openingCard)
            continue;
        WriteVoucher(*card);
    }
}

void SieExport::WriteVoucherNumber(const Card& card)
{
    // The date with its whole year, then the number with at least the base's digits: unique for
    // every card and readable in every year.
    WriteSieDate(writer, base.CardDate(&card));
    int32_t digits = base.CardNumberDigits();
    int32_t needed = 1;
    for (int32_t rest = card.number; rest >= 10; rest /= 10)
        ++needed;
    writer.PutIntDigits(card.number, digits > needed ? digits : needed);
}

void SieExport::WriteVoucher(const Card& card)
{
    writer.PutText("#VER");
    writer.PutText(kSieFieldGap);
    ConstHeapText series = settings.GetSieText(SieText::RV);
    WriteSieQuoted(writer, series != nullptr ? series : "");
    writer.PutText(kSieFieldGap);
    WriteVoucherNumber(card);
    writer.PutText(kSieFieldGap);
    WriteSieDate(writer, base.CardDate(&card));
    writer.PutText(kSieFieldGap);
    WriteSieQuoted(writer, card.title != nullptr ? card.title : "");
    if (settings.GetSieFlag(SieFlag::Rr)) {
        PackedTimestamp stamp = card.stamps[kStampModified].timestamp;
        if (stamp == 0)
            stamp = card.stamps[kStampCreated].timestamp;
        if (PackedDate registered = DateOfTimestamp(stamp)) {
            writer.PutText(kSieFieldGap);
            WriteSieDate(writer, registered);
        }
    }
    writer.EndRow();
    writer.WriteLine("{");
    for (CardGroup* group = base.FirstGroup(&card); group != nullptr; group = base.NextGroup(group)) {
        for (CardLine* line = base.FirstLine(group); line != nullptr && !IsErrorPending(); line = base.NextLine(line)) {
            uint32_t account = ComponentOnLine(accountDimension, uint32_t(group->key), line);
            // A line whose account has no code to write cannot be a record (the account was reported).
            if (!IsAccountWritable(account))
                continue;
            writer.PutText(kSieFieldGap);
            writer.PutText("#TRANS");
            writer.PutText(kSieFieldGap);
            WriteSieComponentCode(accountDimension, *base.ComponentAt(account));
            writer.PutText(kSieFieldGap);
            writer.PutText("{ ");
            for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
                int32_t number = settings.SieDimension(d);
                if (number < 1 || number > kSieMaxDimension)
                    continue;
                const Component* object = base.ComponentAt(ComponentOnLine(d, uint32_t(group->key), line));
                if (object == nullptr || object->IsRoot() || !CanWriteCode(d, *object))
                    continue;
                writer.PutInt(number);
                writer.PutText(" ");
                WriteSieComponentCode(d, *object);
                writer.PutText(" ");
            }
            writer.PutText("} ");
            WriteAmount(base.GetLineValue(line, 0));
            ConstHeapText text = line->Text();
            if (text != nullptr && *text != 0) {
                writer.PutText(kSieFieldGap);
                writer.PutText("\"\"");
                writer.PutText(kSieFieldGap);
                WriteSieQuoted(writer, text);
            }
            writer.EndRow();
        }
    }
    writer.WriteLine("}");
}

bool SaveSieFile(Base& base, const FilePath& path, const SaveSettings* settings, ProgressDisplay* progress)
{
    SaveSettings defaults;
    if (settings == nullptr) {
        defaults.FromBase(base);
        defaults.SetFormat(kSaveFormatSie);
        settings = &defaults;
    }
    FileTextWriter writer;
    if (!writer.SetEncoding(kEncodingPc8)) {
        if (!IsErrorPending())
            SetOutOfMemoryError();
        return false;
    }
    writer.SetLineEndCrLf();
    if (!writer.Open(path.CStr(), kTextFileNoByteOrderMark))
        return false;
    if (!IsErrorPending()) {
        SieExport exporter(base, *settings, writer, progress);
        exporter.WriteSie();
    }
    bool written = writer.Close();
    return written && !IsErrorPending();
}

}  // namespace vek
