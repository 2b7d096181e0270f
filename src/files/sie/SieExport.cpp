// SieExport: writing a base's accounts, dimensions and vouchers as an SIE file.
#include "files/sie/SieExport.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "files/ProgramVersion.h"
#include "files/setups/SaveFilter.h"
#include "files/setups/SaveSettings.h"
#include "files/sie/SieImport.h"
#include "files/sie/SieRecord.h"
#include "foundation/memory/BitSet.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/strings/CodePages.h"
#include "foundation/messages/Message.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextStreams.h"
#include "foundation/strings/Utf8.h"
#include "model/base/Base.h"
#include "model/dimensions/Dimension.h"
#include "model/base/ModelServices.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

constexpr const char* kSieFieldGap = "  ";

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

std::string_view ViewOf(ConstHeapText text)
{
    return text != nullptr ? std::string_view(text) : std::string_view();
}

// A title "number: text" as the import makes it from a voucher with a number (digits): the number
// and the text. False for every other title.
bool SplitVoucherTitle(std::string_view title, std::string_view& number, std::string_view& text)
{
    size_t colon = title.find(": ");
    if (colon == std::string_view::npos || colon == 0)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        if (title[i] < '0' || title[i] > '9')
            return false;
    }
    number = title.substr(0, colon);
    text = title.substr(colon + 2);
    return true;
}

void WriteSieCode(TextWriter& writer, std::string_view code)
{
    if (NeedsQuotes(code))
        WriteSieQuoted(writer, code);
    else
        writer.PutTextBytes(code.data(), int32_t(code.size()));
}

// The company of a base whose save setup names none: the one component of the company dimension (the
// company an SIE import made, so that a round trip keeps it), else the base's file name without its
// extension (as the import names a company after its file). An untitled base without a company has
// no name, and none is made up: a made-up name would come back from an import as a company.
void BaseCompanyName(const Base& base, String& out)
{
    out.SetLength(0);
    const RecordPool& pool = base.ComponentPool();
    const Component* only = base.Root(kSieCompanyDimension)->FirstChild(pool);
    if (only != nullptr && only->NextSibling(pool) == nullptr && only->FirstChild(pool) == nullptr) {
        out.AssignCStr(only->text != nullptr && *only->text != 0 ? only->text : only->code);
        return;
    }
    if (base.UntitledNumber() != 0)
        return;
    base.Path().GetFileName(out);
    int32_t extension = ExtensionPartOffset(out.CStr());
    if (extension < out.Length())
        out.Truncate(extension - 1);
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
    writtenCodes.resize(kDimensionCount);
    if (accountDimension >= 0 && settings.GetSieFlag(SieFlag::Rv)) {
        // The latest opening-balance card goes out as the opening balances.
        for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
            if (IsSieOpeningBalanceCard(*card))
                openingCard = card;
            // Whether the placeholder account must be declared.
            for (CardGroup* group = base.FirstGroup(card); group != nullptr && !needsNoAccount;
                 group = base.NextGroup(group)) {
                for (CardLine* line = base.FirstLine(group); line != nullptr && !needsNoAccount;
                     line = base.NextLine(line)) {
                    const Component* account = base.ComponentAt(ComponentOnLine(accountDimension, uint32_t(group->key), line));
                    needsNoAccount = account == nullptr || account->IsRoot() || SieCode(*account).empty();
                }
            }
        }
    }
}

std::string_view SieExport::SieCode(const Component& component) const
{
    if (component.host != nullptr && *component.host != 0)
        return SieTrimmed(component.host);
    if (settings.GetSieFlag(SieFlag::Ru) && component.code != nullptr)
        return SieTrimmed(component.code);
    return {};
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
    if (!IsErrorPending())
        ReportTotals();
}

void SieExport::ReportTotals()
{
    if (linesWithoutAccount > 0) {
        Message message;
        message.code = message::kSieLinesWithoutAccount;
        message.AddText(firstWithoutAccount.c_str());
        message.AddText(kSieNoAccountCode);
        String count;
        count.AssignInt64(linesWithoutAccount);
        message.AddText(count.CStr());
        base.ShowErrorAlert(message);
        if (IsErrorPending())
            return;
    }
    if (amountsNotNumbers > 0) {
        Message message;
        message.code = message::kSieAmountNotANumber;
        message.AddText(firstNotNumber.c_str());
        String count;
        count.AssignInt64(amountsNotNumbers);
        message.AddText(count.CStr());
        base.ShowErrorAlert(message);
    }
}

void SieExport::NoteVoucher(std::string& first, const Card& card)
{
    if (!first.empty())
        return;
    String key;
    FormatCardKey(key, CardKey{base.CardDate(&card), card.number}, base.CardNumberDigits());
    first = key.CStr();
    if (card.title != nullptr && *card.title != 0) {
        first += ' ';
        first += card.title;
    }
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
    std::string_view companyName = SieTrimmed(ViewOf(company));
    String baseName;
    if (companyName.empty()) {
        BaseCompanyName(base, baseName);
        companyName = SieTrimmed(std::string_view(baseName.CStr(), size_t(baseName.Length())));
    }
    WriteSieQuoted(writer, companyName);
    writer.EndRow();
    struct OptionalText {
        const char* label;
        SieText which;
    };
    for (const OptionalText& item : {OptionalText{"#ORGNR", SieText::RO}, OptionalText{"#PROSA", SieText::RN}}) {
        std::string_view text = SieTrimmed(ViewOf(settings.GetSieText(item.which)));
        if (text.empty())
            continue;
        writer.PutText(item.label);
        writer.PutText(kSieFieldGap);
        WriteSieQuoted(writer, text);
        writer.EndRow();
    }
    if (openingCard != nullptr) {
        // The financial year the opening balances open: it starts the day after their card.
        PackedDate start = NextPackedDate(base.CardDate(openingCard));
        PackedDate end = SieOpeningBalanceYearEnd(*openingCard);
        if (end < start)
            end = PreviousPackedDate(AddMonthsToPackedDate(start, 1, 0));
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
    if (!SieCode(component).empty()) {
        CheckCollision(d, component);
        return true;
    }
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

void SieExport::CheckCollision(int32_t d, const Component& component)
{
    if (checked.size() <= component.number)
        checked.resize(size_t(component.number) + 1, false);
    if (checked[component.number])
        return;
    checked[component.number] = true;
    std::string_view code = SieCode(component);
    // The bytes the writer makes of the code: characters a code page lacks all become ".".
    std::string bytes;
    if (IsCodePageEncoding(writer.Encoding())) {
        const char* p = code.data();
        const char* end = p + code.size();
        while (p < end) {
            uint8_t byte = CodePageByteFromChar(Utf8NextCharIn(p, end), writer.Encoding());
            bytes += char(byte != 0 ? byte : '.');
        }
    } else {
        bytes.assign(code);
    }
    auto [at, added] = writtenCodes[size_t(d)].emplace(std::move(bytes), component.number);
    if (added || at->second == component.number)
        return;
    const Component* other = base.ComponentAt(at->second);
    Message message;
    message.code = message::kSieCodesCollide;
    std::string otherCode(other != nullptr ? SieCode(*other) : std::string_view());
    message.AddText(otherCode.c_str());
    std::string thisCode(code);
    message.AddText(thisCode.c_str());
    String name;
    base.DimensionSingularName(d, name);
    message.AddText(name.CStr());
    base.ShowErrorAlert(message);
}

bool SieExport::WriteSieComponentCode(int32_t d, const Component& component)
{
    if (!CanWriteCode(d, component))
        return false;
    WriteSieCode(writer, SieCode(component));
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
        WriteSieQuoted(writer, SieTrimmed(name.CStr()));
        writer.EndRow();
    }
    const RecordPool& pool = base.ComponentPool();
    Component* root = base.Root(d);
    bool placeholderDeclared = false;
    for (Component* c = root->NextInSubtree(pool, root); c != root && !IsErrorPending(); c = c->NextInSubtree(pool, root)) {
        placeholderDeclared = placeholderDeclared || SieCode(*c) == kSieNoAccountCode;
        if (!all && !chosen.GetBit(int32_t(c->number)))
            continue;
        // Components that only group accounts (the account classes the import makes) are no accounts.
        if (number == kSieAccountDimension && ViewOf(c->host).empty() && c->firstChild != kNoRecord)
            continue;
        if (!CanWriteCode(d, *c))
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
        WriteSieQuoted(writer, SieTrimmed(ViewOf(c->text)));
        writer.EndRow();
        if (number == kSieAccountDimension)
            WriteAccountType(*c);
    }
    if (number == kSieAccountDimension && needsNoAccount && !placeholderDeclared) {
        writer.PutText("#KONTO");
        writer.PutText(kSieFieldGap);
        writer.PutText(kSieNoAccountCode);
        writer.PutText(kSieFieldGap);
        WriteSieQuoted(writer, kSieNoAccountName);
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

void SieExport::WriteAccountType(const Component& account)
{
    // The class an account was given (its code is the class letter and the number, as the import
    // makes it), when the number alone would give another.
    std::string_view code = ViewOf(account.code);
    std::string_view host = SieCode(account);
    if (code.size() != host.size() + 1 || code.substr(1) != host)
        return;
    char letter = code.front();
    if ((letter != 'K' && letter != 'I' && letter != 'T' && letter != 'S') || letter == SieAccountClassOfNumber(host))
        return;
    writer.PutText("#KTYP");
    writer.PutText(kSieFieldGap);
    WriteSieCode(writer, host);
    writer.PutText(kSieFieldGap);
    writer.PutChar(uint8_t(letter));
    writer.EndRow();
}

const Component* SieExport::LineAccount(uint32_t account)
{
    const Component* component = base.ComponentAt(account);
    if (component == nullptr || component->IsRoot() || !CanWriteCode(accountDimension, *component))
        return nullptr;
    return component;
}

void SieExport::WriteAccountCode(const Component* account)
{
    if (account != nullptr)
        WriteSieComponentCode(accountDimension, *account);
    else
        writer.PutText(kSieNoAccountCode);
}

void SieExport::WriteAmount(double value, const Card& card)
{
    if (!std::isfinite(value)) {
        ++amountsNotNumbers;
        NoteVoucher(firstNotNumber, card);
    }
    char text[kSieAmountCapacity];
    writer.PutTextBytes(text, FormatSieAmount(text, value));
}

void SieExport::WriteOpeningBalances()
{
    if (openingCard == nullptr)
        return;
    for (CardGroup* group = base.FirstGroup(openingCard); group != nullptr; group = base.NextGroup(group)) {
        for (CardLine* line = base.FirstLine(group); line != nullptr && !IsErrorPending(); line = base.NextLine(line)) {
            const Component* account = LineAccount(ComponentOnLine(accountDimension, uint32_t(group->key), line));
            if (account == nullptr) {
                ++linesWithoutAccount;
                NoteVoucher(firstWithoutAccount, *openingCard);
            }
            writer.PutText("#IB");
            writer.PutText(kSieFieldGap);
            writer.PutText("0");
            writer.PutText(kSieFieldGap);
            WriteAccountCode(account);
            writer.PutText(kSieFieldGap);
            WriteAmount(base.GetLineValue(line, 0), *openingCard);
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
    // Cards, groups and lines that the save's selection rejects are left out of the vouchers.
    std::unique_ptr<SaveFilter> ownFilter = SaveFilter::FromSettings(base, settings);
    filter = ownFilter.get();
    for (Card* card = base.FirstCard(); card != base.ChainEnd() && !IsErrorPending(); card = base.NextCard(card)) {
        if (card == openingCard || (filter != nullptr && !filter->CardPasses(card)))
            continue;
        WriteVoucher(*card);
    }
    filter = nullptr;
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
    // The title as the import keeps it: control characters as blanks, no blanks at its end.
    std::string title(ViewOf(card.title));
    for (char& c : title) {
        if (uint8_t(c) < ' ')
            c = ' ';
    }
    while (!title.empty() && title.back() == ' ')
        title.pop_back();
    std::string_view number;
    std::string_view text;
    if (SplitVoucherTitle(title, number, text)) {
        WriteSieCode(writer, number);
    } else {
        WriteVoucherNumber(card);
        text = title;
    }
    writer.PutText(kSieFieldGap);
    WriteSieDate(writer, base.CardDate(&card));
    writer.PutText(kSieFieldGap);
    WriteSieQuoted(writer, text);
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
        if (filter != nullptr && !filter->GroupPasses(group))
            continue;
        for (CardLine* line = base.FirstLine(group); line != nullptr && !IsErrorPending(); line = base.NextLine(line)) {
            if (filter != nullptr && !filter->LinePasses(line))
                continue;
            // A line without an account to write goes out under the placeholder account, so that the
            // voucher keeps all its lines and balances.
            const Component* account = LineAccount(ComponentOnLine(accountDimension, uint32_t(group->key), line));
            if (account == nullptr) {
                ++linesWithoutAccount;
                NoteVoucher(firstWithoutAccount, card);
            }
            writer.PutText(kSieFieldGap);
            writer.PutText("#TRANS");
            writer.PutText(kSieFieldGap);
            WriteAccountCode(account);
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
            WriteAmount(base.GetLineValue(line, 0), card);
            std::string_view lineText = SieTrimmed(ViewOf(line->Text()));
            if (!lineText.empty()) {
                writer.PutText(kSieFieldGap);
                writer.PutText("\"\"");
                writer.PutText(kSieFieldGap);
                WriteSieQuoted(writer, lineText);
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
