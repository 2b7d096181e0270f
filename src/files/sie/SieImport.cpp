// SIE import: reads an SIE file's records into a base as accounts, dimensions and vouchers.
#include "files/sie/SieImport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "files/sie/SieRecord.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/strings/CodePages.h"
#include "foundation/strings/HeapText.h"
#include "foundation/messages/Message.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/Utf8.h"
#include "model/base/Base.h"
#include "model/base/BaseCheckpoint.h"
#include "model/dimensions/Dimension.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

constexpr int32_t kAccountDimension = 1;
constexpr int32_t kFirstSieDimension = 2;
constexpr int32_t kLastBaseDimension = int32_t(kDimensionCount) - 1;
constexpr int32_t kSieDimensionLimit = 100;  // SIE dimension numbers 1..99
// A voucher balances when its transactions add up to less than half a cent.
constexpr double kBalanceTolerance = 0.005;

// The account classes, made first so that accounts land under them by code prefix.
struct AccountClass {
    const char* code;
    const char* text;
};
constexpr AccountClass kAccountClasses[] = {
    {"K", "Kostnader"},
    {"I", "Intäkter"},
    {"T", "Tillgångar"},
    {"S", "Skulder"},
};

// The kinds of damage the import reports, each once with a count; the message of each.
enum class SieNotice : uint8_t {
    longLine,
    code,
    voucherDate,
    otherDate,
    amount,
    noAccount,
    outsideVoucher,
    dimension,
    object,
    unbalanced,
    unclosedVoucher,
    checksum,
    checksumMissing,
};
constexpr int32_t kNoticeMessages[] = {
    message::kSieLongLine,  message::kSieCode,           message::kSieVoucherDate, message::kSieDate,
    message::kSieAmount,    message::kSieNoAccount,      message::kSieOutsideVoucher, message::kSieDimension,
    message::kSieObject,    message::kSieUnbalanced,     message::kSieUnclosedVoucher, message::kSieChecksum,
    message::kSieChecksumMissing,
};
constexpr size_t kNoticeKinds = sizeof kNoticeMessages / sizeof kNoticeMessages[0];
// What a message quotes of the line it names.
constexpr size_t kNoticeDetailBytes = 60;

// A "#KTYP" type: one of the class letters, else 0.
char ClassLetterOfType(std::string_view type)
{
    if (type.empty())
        return 0;
    char letter = char(type.front() & ~0x20);
    return letter == 'K' || letter == 'I' || letter == 'T' || letter == 'S' ? letter : 0;
}

// An amount field; NaN when it holds no finite number (no digit, "NaN", "inf", "1e309").
double ReadAmount(const SieToken& token)
{
    double value = BytesToDouble(token.text, token.length);
    return std::isfinite(value) ? value : std::nan("");
}

bool ReadSieDimensionNumber(const SieToken& token, int32_t& number)
{
    if (token.length < 1 || token.length > 2)
        return false;
    int32_t value = 0;
    for (int32_t i = 0; i < token.length; ++i) {
        if (token.text[i] < '0' || token.text[i] > '9')
            return false;
        value = value * 10 + (token.text[i] - '0');
    }
    if (value < 1 || value >= kSieDimensionLimit)
        return false;
    number = value;
    return true;
}

// Texts of the base end at a NUL: a NUL byte of the file becomes U+FFFD instead of cutting the text.
std::string_view WithoutNul(std::string_view text, std::string& buffer)
{
    if (text.empty() || std::memchr(text.data(), 0, text.size()) == nullptr)
        return text;
    buffer.clear();
    for (char c : text) {
        if (c == 0)
            buffer += "\xEF\xBF\xBD";
        else
            buffer += c;
    }
    return buffer;
}

class SieImporter {
public:
    SieImporter(Base& base, const FilePath& path) : base(base), path(path) {}

    // Reads the SIE text of the reader (set to the survey's encoding) into the base. `fileReader` is
    // the reader when it reads a file (it cuts lines that are too long), else null.
    [[nodiscard]] bool Run(TextReader& input, const SieFileSurvey& survey, SieFileReader* fileReader);

private:
    struct Notice {
        int64_t line = 0;
        int64_t count = 0;
        std::string detail;
    };

    // Reads the next line into the record; false at the end of the file.
    bool ReadRecord();
    void Dispatch();
    void Checksum();

    void ReadAccount();
    void ReadDimension();
    void ReadSubDimension();
    void ReadObject();
    void ReadYear();
    void ReadCompany();
    void ReadOpeningBalance();
    void StartVoucher();
    void ReadTransaction();
    void FinishVoucher();

    // Notes damage of a kind at a line (the current one by default).
    void Note(SieNotice kind, std::string_view detail, int64_t line = 0);
    void ReportNotices();

    // NUL-terminated copies for the lookups.
    const char* Terminated(String& buffer, std::string_view text);
    // A code as a base can hold it: control characters become blanks and a leading "##" (the start
    // of a section in base files) "#_". A code that had to change is reported.
    std::string_view HoldableCode(std::string_view code)
    {
        bool holdable = code.size() < 2 || code[0] != '#' || code[1] != '#';
        for (size_t i = 0; holdable && i < code.size(); ++i)
            holdable = uint8_t(code[i]) >= ' ';
        return holdable ? code : MappedCode(code);
    }
    std::string_view MappedCode(std::string_view code);
    // A name (of a component or a dimension) as a base can hold it: one line, so control characters
    // become blanks; a name that had to change is reported with the codes.
    std::string_view HoldableName(std::string_view name);
    // Adds a component for a code of the file. The base's code rules (blanks removed, case) can make
    // two codes of the file one; the later then gets a code of its own ("code~2"), so that nothing of
    // the file is merged.
    Component* AddComponentForCode(int32_t d, std::string_view code, std::string_view text, std::string_view host);
    uint32_t FindOrAddAccount(std::string_view number, std::string_view name, char classLetter);
    uint32_t FindAccount(std::string_view number);
    uint32_t FindOrAddObject(int32_t d, std::string_view code);
    // The company's component number; made from the file's name when the file has given none.
    uint32_t Company();
    void SetCompany(std::string_view name);
    void NameDimension(int32_t d, std::string_view name);
    void NameDimension(int32_t d, const char* singular, const char* plural);
    // The index of the amount after the account at `accountIndex` (after an object list if any).
    int32_t AmountIndexAfter(int32_t accountIndex) const;

    Base& base;
    const FilePath& path;
    TextReader* reader = nullptr;
    SieFileReader* cutter = nullptr;
    int32_t encoding = kEncodingPc8;
    SieRecord record;
    bool recordPending = false;  // the record holds a line that look-ahead read and left unhandled

    std::array<int32_t, kSieDimensionLimit> dimensionMap{};  // SIE dimension -> base dimension
    int32_t nextFreeDimension = kFirstSieDimension;
    int32_t seriesDimension = 0;
    CardKey defaultKey;
    PackedDate yearEnd = 0;  // of "#RAR 0"
    uint32_t company = 0;    // component of the group dimension; 0 none yet
    Card* openingCard = nullptr;
    CardGroup* openingGroup = nullptr;

    // The voucher being read.
    bool inVoucher = false;
    Card* voucher = nullptr;
    CardGroup* voucherGroup = nullptr;
    uint32_t voucherSeries = 0;
    bool inVoucherBlock = false;
    int64_t voucherLine = 0;
    double voucherSum = 0.0;

    // "#KSUMMA": the checksum of the records since the opening one.
    bool inChecksum = false;
    int64_t checksumLine = 0;
    SieChecksum checksum;

    std::array<Notice, kNoticeKinds> notices;

    String scratch;
    String scratch2;
    std::string codeBuffer;
    std::string textBuffer;
    std::array<uint32_t, kLineSlotCount> lineComponents{};
};

bool SieImporter::Run(TextReader& input, const SieFileSurvey& survey, SieFileReader* fileReader)
{
    if (!survey.isSie) {
        if (!IsErrorPending()) {
            SetErrorCode(message::kNotSieFile);
            GetPendingError().message.AddFileName(path.CStr());
        }
        return false;
    }
    reader = &input;
    cutter = fileReader;
    if (!IsUtf16Encoding(reader->Encoding()))
        reader->SetEncoding(survey.encoding);
    encoding = reader->Encoding();
    reader->SetCheckUtf8(false);

    for (const AccountClass& accountClass : kAccountClasses)
        base.AddComponent(kAccountDimension, accountClass.code, accountClass.text, nullptr);
    CardKeyOfYearEdge(defaultKey, -1, 0);

    while (!IsErrorPending() && (recordPending || ReadRecord())) {
        recordPending = false;
        Dispatch();
    }
    if (!IsErrorPending()) {
        if (inVoucherBlock)
            Note(SieNotice::unclosedVoucher, {}, voucherLine);
        FinishVoucher();
        if (inChecksum)
            Note(SieNotice::checksumMissing, {}, checksumLine);
    }
    reader = nullptr;
    cutter = nullptr;
    base.UpdateDimensionsInUse();
    base.NotifyChangedDimensions();
    base.FlushCardChanges();
    if (!IsErrorPending())
        ReportNotices();
    return !IsErrorPending();
}

bool SieImporter::ReadRecord()
{
    if (!reader->ReadLine())
        return false;
    if (reader->LineLength() > kMaxSieRecordBytes || (cutter != nullptr && cutter->TakeCutLine())) {
        String limit;
        limit.AssignInt64(kMaxSieRecordBytes);
        Note(SieNotice::longLine, limit.CStr());
        record.Parse(std::string_view());
        return true;
    }
    record.Parse(reader->LineStart(), reader->LineEnd());
    if (inChecksum)
        Checksum();
    return true;
}

void SieImporter::Checksum()
{
    if (record.LabelIs("#KSUMMA"))
        return;  // the closing record, which Dispatch compares
    for (int32_t i = 0; i < record.Count(); ++i) {
        const SieToken& token = record.At(i);
        if (token.IsWord())
            checksum.AddToken(token.View(), encoding);
    }
}

void SieImporter::Dispatch()
{
    if (record.IsEmpty())
        return;
    const SieToken& label = record.At(0);
    if (label.kind == SieTokenKind::listOpen) {
        if (inVoucher)
            inVoucherBlock = true;
        return;
    }
    if (label.kind == SieTokenKind::listClose) {
        FinishVoucher();
        return;
    }
    if (label.Is("#TRANS")) {
        ReadTransaction();
        return;
    }
    // The other records of a voucher ("#RTRANS", "#BTRANS": corrections, whose effect the file also
    // gives as "#TRANS") carry nothing imported, and do not end the voucher.
    if (label.Is("#RTRANS") || label.Is("#BTRANS") || (inVoucherBlock && !label.Is("#VER")))
        return;
    if (inVoucherBlock)
        Note(SieNotice::unclosedVoucher, {}, voucherLine);
    FinishVoucher();
    if (label.Is("#VER"))
        StartVoucher();
    else if (label.Is("#KONTO"))
        ReadAccount();
    else if (label.Is("#IB"))
        ReadOpeningBalance();
    else if (label.Is("#OBJEKT"))
        ReadObject();
    else if (label.Is("#DIM"))
        ReadDimension();
    else if (label.Is("#UNDERDIM"))
        ReadSubDimension();
    else if (label.Is("#RAR"))
        ReadYear();
    else if (label.Is("#FNAMN"))
        ReadCompany();
    else if (label.Is("#KSUMMA")) {
        if (!inChecksum && record.Count() == 1) {
            inChecksum = true;
            checksumLine = reader->LineCount();
            checksum = SieChecksum();
        } else if (inChecksum) {
            inChecksum = false;
            String value;
            value.AssignInt64(checksum.Value());
            if (record.At(1).View() != std::string_view(value.CStr()))
                Note(SieNotice::checksum, value.CStr());
        }
    }
}

const char* SieImporter::Terminated(String& buffer, std::string_view text)
{
    buffer.AssignBytes(text.data(), int32_t(text.size()));
    return buffer.CStr();
}

// --- Damage --------------------------------------------------------------------------------------------

void SieImporter::Note(SieNotice kind, std::string_view detail, int64_t line)
{
    Notice& notice = notices[size_t(kind)];
    if (notice.count++ > 0)
        return;
    notice.line = line > 0 ? line : reader->LineCount();
    if (detail.size() > kNoticeDetailBytes)
        detail = detail.substr(0, size_t(Utf8SafeCut(detail.data(), int32_t(std::min(detail.size(), kNoticeDetailBytes + 4)),
                                                     int32_t(kNoticeDetailBytes))));
    notice.detail.assign(detail);
}

void SieImporter::ReportNotices()
{
    std::array<size_t, kNoticeKinds> order{};
    for (size_t i = 0; i < kNoticeKinds; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [this](size_t a, size_t b) { return notices[a].line < notices[b].line; });
    for (size_t kind : order) {
        const Notice& notice = notices[kind];
        if (notice.count == 0)
            continue;
        Message message;
        message.code = kNoticeMessages[kind];
        message.AddFileName(path.CStr());
        String number;
        number.AssignInt64(notice.line);
        message.AddText(number.CStr());
        message.AddTextBytes(notice.detail.data(), int32_t(notice.detail.size()));
        number.AssignInt64(notice.count);
        message.AddText(number.CStr());
        base.ShowErrorAlert(message);
        if (IsErrorPending())
            return;
    }
}

// --- Accounts, dimensions, objects ---------------------------------------------------------------------

std::string_view SieImporter::MappedCode(std::string_view code)
{
    Note(SieNotice::code, code);
    codeBuffer.assign(code);
    for (char& c : codeBuffer) {
        if (uint8_t(c) < ' ')
            c = ' ';
    }
    // Not a blank here: the base takes the blanks out of codes, which would bring the "##" back.
    if (codeBuffer.size() >= 2 && codeBuffer[0] == '#' && codeBuffer[1] == '#')
        codeBuffer[1] = '_';
    return SieTrimmed(codeBuffer);
}

std::string_view SieImporter::HoldableName(std::string_view name)
{
    bool holdable = true;
    for (size_t i = 0; holdable && i < name.size(); ++i)
        holdable = uint8_t(name[i]) >= ' ';
    if (holdable)
        return name;
    Note(SieNotice::code, name);
    textBuffer.assign(name);
    for (char& c : textBuffer) {
        if (uint8_t(c) < ' ')
            c = ' ';
    }
    return textBuffer;
}

Component* SieImporter::AddComponentForCode(int32_t d, std::string_view code, std::string_view text,
                                            std::string_view host)
{
    String codeText;
    codeText.AssignBytes(code.data(), int32_t(code.size()));
    String textText;
    text = HoldableName(text);
    textText.AssignBytes(text.data(), int32_t(text.size()));
    String hostText;
    hostText.AssignBytes(host.data(), int32_t(host.size()));
    const char* hostOrNull = host.empty() ? nullptr : hostText.CStr();
    Component* component = base.AddComponent(d, codeText.CStr(), textText.CStr(), hostOrNull);
    Dimension& dimension = base.GetDimension(d);
    if (component == nullptr || host.empty() || dimension.FindByHost(hostText.CStr()) == component)
        return component;
    // The code stands for another component already.
    String unique;
    for (int32_t n = 2; n < 1000000 && !IsErrorPending(); ++n) {
        unique.Assign(codeText);
        unique.AppendChar('~');
        unique.AppendInt(n);
        if (dimension.FindByCode(unique.CStr()) == nullptr)
            return base.AddComponent(d, unique.CStr(), textText.CStr(), hostOrNull);
    }
    return nullptr;
}

void SieImporter::ReadAccount()
{
    std::string number(HoldableCode(SieTrimmed(record.At(1).View())));
    std::string name(SieTrimmed(record.At(2).View()));
    char letter = 0;
    // The type of the account, when the next line gives it.
    if (ReadRecord()) {
        if (record.LabelIs("#KTYP") && SieTrimmed(record.At(1).View()) == SieTrimmed(number))
            letter = ClassLetterOfType(record.At(2).View());
        else
            recordPending = true;
    }
    if (letter == 0)
        letter = SieAccountClassOfNumber(number);
    FindOrAddAccount(number, name, letter);
}

uint32_t SieImporter::FindOrAddAccount(std::string_view number, std::string_view name, char classLetter)
{
    if (number.empty())
        return 0;
    if (Component* existing = base.GetDimension(kAccountDimension).FindByHost(Terminated(scratch, number)))
        return existing->number;
    std::string code;
    if (classLetter != 0)
        code += classLetter;
    code += number;
    Component* component = AddComponentForCode(kAccountDimension, code, name, number);
    return component != nullptr ? component->number : 0;
}

uint32_t SieImporter::FindAccount(std::string_view number)
{
    number = SieTrimmed(number);
    if (number.empty())
        return 0;
    number = HoldableCode(number);
    if (Component* existing = base.GetDimension(kAccountDimension).FindByHost(Terminated(scratch, number)))
        return existing->number;
    // An account the file uses without "#KONTO": made, so that its amounts keep their account.
    std::string copy(number);
    return FindOrAddAccount(copy, {}, SieAccountClassOfNumber(copy));
}

void SieImporter::NameDimension(int32_t d, const char* singular, const char* plural)
{
    Dimension& dimension = base.GetDimension(d);
    dimension.SetSingularName(singular);
    dimension.SetPluralName(plural);
}

void SieImporter::NameDimension(int32_t d, std::string_view name)
{
    name = HoldableName(name);
    const char* text = name.empty() ? nullptr : Terminated(scratch, name);
    NameDimension(d, text, text);
}

void SieImporter::ReadDimension()
{
    int32_t number = 0;
    bool known = ReadSieDimensionNumber(record.At(1), number);
    if (known && dimensionMap[size_t(number)] != 0)
        return;  // declared before
    std::string_view name = SieTrimmed(record.At(2).View());
    if (!known || nextFreeDimension > kLastBaseDimension) {
        Note(SieNotice::dimension, record.At(1).View());
        return;
    }
    int32_t d = nextFreeDimension++;
    dimensionMap[size_t(number)] = d;
    NameDimension(d, name);
}

void SieImporter::ReadSubDimension()
{
    int32_t number = 0;
    int32_t parent = 0;
    bool known = ReadSieDimensionNumber(record.At(1), number);
    if (known && dimensionMap[size_t(number)] != 0)
        return;  // declared before
    // A parent that is not mapped yet (declared later, itself a subdimension of this one, or out of
    // range) leaves the subdimension without a base dimension.
    if (!known || !ReadSieDimensionNumber(record.At(3), parent) || dimensionMap[size_t(parent)] == 0) {
        Note(SieNotice::dimension, record.At(1).View());
        return;
    }
    dimensionMap[size_t(number)] = dimensionMap[size_t(parent)];
}

uint32_t SieImporter::FindOrAddObject(int32_t d, std::string_view code)
{
    code = SieTrimmed(code);
    if (code.empty())
        return 0;
    code = HoldableCode(code);
    if (Component* existing = base.GetDimension(d).FindByHost(Terminated(scratch, code)))
        return existing->number;
    std::string copy(code);
    Component* component = AddComponentForCode(d, copy, {}, copy);
    return component != nullptr ? component->number : 0;
}

void SieImporter::ReadObject()
{
    int32_t number = 0;
    if (!ReadSieDimensionNumber(record.At(1), number) || dimensionMap[size_t(number)] == 0) {
        Note(SieNotice::object, record.At(2).View());
        return;
    }
    int32_t d = dimensionMap[size_t(number)];
    uint32_t object = FindOrAddObject(d, record.At(2).View());
    Component* component = base.ComponentAt(object);
    if (component == nullptr || component->IsRoot() || component->text != nullptr)
        return;
    // Made just now, or earlier for a voucher that used it before its declaration: it gets its name.
    std::string_view name = HoldableName(SieTrimmed(record.At(3).View()));
    SetHeapTextFromBytes(component->text, name.data(), int32_t(name.size()));
}

// --- Year, company, opening balances -------------------------------------------------------------------

void SieImporter::ReadYear()
{
    if (!record.At(1).Is("0"))
        return;
    // Empty dates (some programs write "#RAR 0" without them) say nothing; others must be dates.
    std::string_view startText = SieTrimmed(record.At(2).View());
    std::string_view endText = SieTrimmed(record.At(3).View());
    PackedDate start = PackSieDate(startText);
    PackedDate end = PackSieDate(endText);
    if ((start == 0 && !startText.empty()) || (end == 0 && !endText.empty()))
        Note(SieNotice::otherDate, start == 0 && !startText.empty() ? startText : endText);
    if (start == 0)
        return;
    defaultKey.date = PreviousPackedDate(start);
    defaultKey.number = 0;
    yearEnd = end;
}

void SieImporter::SetCompany(std::string_view name)
{
    name = HoldableName(SieTrimmed(name));
    if (name.empty())
        return;
    // The code is the name's first character (whole, however many bytes it takes).
    const char* first = name.data();
    const char* next = first;
    Utf8NextCharIn(next, name.data() + name.size());
    String code;
    code.AssignBytes(first, int32_t(next - first));
    String text;
    text.AssignBytes(name.data(), int32_t(name.size()));
    Component* component = base.AddComponent(kSieCompanyDimension, code.CStr(), text.CStr(), nullptr);
    if (component != nullptr)
        company = component->number;
}

void SieImporter::ReadCompany()
{
    SetCompany(record.At(1).View());
}

uint32_t SieImporter::Company()
{
    if (company == 0) {
        String name;
        path.GetFileName(name);
        int32_t dot = -1;
        for (int32_t i = name.Length() - 1; i > 0; --i) {
            if (name.CStr()[i] == '.') {
                dot = i;
                break;
            }
        }
        if (dot > 0)
            name.Truncate(dot);
        SetCompany(name.CStr());
    }
    return company;
}

void SieImporter::ReadOpeningBalance()
{
    if (!record.At(1).Is("0"))
        return;
    std::string_view number = record.At(2).View();
    int32_t amountIndex = AmountIndexAfter(2);
    double amount = ReadAmount(record.At(amountIndex));
    if (std::isnan(amount)) {
        Note(SieNotice::amount, record.At(amountIndex).View());
        return;
    }
    if (Company() == 0)
        return;
    uint32_t account = FindAccount(number);
    if (account == 0)
        Note(SieNotice::noAccount, "#IB");
    if (openingCard == nullptr) {
        CardKey key = defaultKey;
        openingCard = base.CreateCard(key);
        if (openingCard == nullptr)
            return;
        SetHeapText(openingCard->title, kSieOpeningBalanceTitle);
        // The mark that tells the card from every other: the first stamp, without time of day, with
        // the year end as its date.
        StampedText& mark = openingCard->stamps[kStampCreated];
        mark.Clear();
        if (yearEnd != 0)
            mark.timestamp = MakePackedTimestamp(PackedDateYear(yearEnd), PackedDateMonth(yearEnd),
                                                 PackedDateDay(yearEnd), 0, 0);
        std::memcpy(mark.code, kSieOpeningBalanceStamp, std::strlen(kSieOpeningBalanceStamp) + 1);
        openingGroup = base.FindOrAddGroup(openingCard, int32_t(company));
        if (openingGroup == nullptr)
            return;
    }
    if (openingGroup == nullptr)
        return;
    CardLine* line = base.CreateLine(openingGroup);
    if (line == nullptr)
        return;
    if (account != 0)
        base.SetLineComponent(line, kAccountDimension - 1, account);
    base.SetLineValue(line, 0, amount);
}

int32_t SieImporter::AmountIndexAfter(int32_t accountIndex) const
{
    int32_t i = accountIndex + 1;
    if (record.At(i).kind != SieTokenKind::listOpen)
        return i;
    while (i < record.Count() && record.At(i).kind != SieTokenKind::listClose)
        ++i;
    return i + 1;
}

// --- Vouchers ------------------------------------------------------------------------------------------

void SieImporter::StartVoucher()
{
    std::string_view series = SieTrimmed(record.At(1).View());
    std::string_view number = SieTrimmed(record.At(2).View());
    std::string_view dateText = record.At(3).View();
    std::string_view text = record.At(4).View();
    std::string_view registered = record.At(5).View();
    inVoucher = true;
    inVoucherBlock = record.At(record.Count() - 1).kind == SieTokenKind::listOpen;
    voucherLine = reader->LineCount();
    voucherSum = 0.0;
    if (record.At(4).kind != SieTokenKind::word)
        text = {};
    if (record.At(5).kind != SieTokenKind::word)
        registered = {};

    voucherSeries = 0;
    if (!series.empty()) {
        if (seriesDimension == 0 && nextFreeDimension <= kLastBaseDimension) {
            seriesDimension = nextFreeDimension++;
            NameDimension(seriesDimension, "Serie", "Serier");
        }
        if (seriesDimension != 0)
            voucherSeries = FindOrAddObject(seriesDimension, series);
    }

    CardKey key;
    key.date = PackSieDate(dateText);
    key.number = 0;
    if (key.date == 0) {
        // Kept, at the date of the opening balances, rather than lost or moved to another day.
        key.date = defaultKey.date;
        Note(SieNotice::voucherDate, dateText);
    }
    voucher = base.CreateCard(key);
    voucherGroup = nullptr;
    if (voucher == nullptr)
        return;
    String title;
    if (!number.empty()) {
        title.AppendBytes(number.data(), int32_t(number.size()));
        title.AppendCStr(": ");
    }
    text = WithoutNul(text, textBuffer);
    title.AppendBytes(text.data(), int32_t(text.size()));
    title.TrimTrailing(' ');
    if (!title.IsEmpty())
        SetHeapTextFromString(voucher->title, title);
    PackedDate registration = PackSieDate(registered);
    if (registration != 0)
        voucher->stamps[kStampCreated].timestamp =
            MakePackedTimestamp(PackedDateYear(registration), PackedDateMonth(registration),
                                PackedDateDay(registration), 0, 0);
    else if (!SieTrimmed(registered).empty())
        Note(SieNotice::otherDate, registered);
}

void SieImporter::ReadTransaction()
{
    if (!inVoucher) {
        Note(SieNotice::outsideVoucher, record.At(1).View());
        return;
    }
    if (voucher == nullptr)
        return;
    // Everything the line names is found or made first: making a component may change the layout
    // of the line records, which moves them.
    int32_t i = 2;
    if (record.At(1).kind != SieTokenKind::word)
        i = 1;  // no account field at all: the object list follows the label
    int32_t amountIndex = AmountIndexAfter(i - 1);
    double amount = ReadAmount(record.At(amountIndex));
    if (std::isnan(amount)) {
        Note(SieNotice::amount, record.At(amountIndex).View());
        return;
    }
    uint32_t account = i == 2 ? FindAccount(record.At(1).View()) : 0;
    if (account == 0)
        Note(SieNotice::noAccount, "#TRANS");
    lineComponents.fill(0);
    if (record.At(i).kind == SieTokenKind::listOpen) {
        ++i;
        while (i < record.Count() && record.At(i).kind != SieTokenKind::listClose) {
            int32_t number = 0;
            bool known = ReadSieDimensionNumber(record.At(i), number);
            const SieToken& code = record.At(i + 1);
            if (code.kind != SieTokenKind::word)
                break;
            i += 2;
            if (!known || dimensionMap[size_t(number)] == 0) {
                Note(SieNotice::object, code.View());
                continue;
            }
            int32_t d = dimensionMap[size_t(number)];
            if (uint32_t object = FindOrAddObject(d, code.View()))
                lineComponents[size_t(d - 1)] = object;
        }
    }
    std::string_view text = record.At(amountIndex + 2).kind == SieTokenKind::word
                                ? SieTrimmed(record.At(amountIndex + 2).View())
                                : std::string_view();
    voucherSum += amount;
    if (Company() == 0)
        return;
    if (voucherGroup == nullptr) {
        voucherGroup = base.FindOrAddGroup(voucher, int32_t(company));
        if (voucherGroup == nullptr)
            return;
    }
    CardLine* line = base.CreateLine(voucherGroup);
    if (line == nullptr)
        return;
    if (account != 0)
        base.SetLineComponent(line, kAccountDimension - 1, account);
    for (int32_t d = kFirstSieDimension; d <= kLastBaseDimension; ++d) {
        if (lineComponents[size_t(d - 1)] != 0)
            base.SetLineComponent(line, d - 1, lineComponents[size_t(d - 1)]);
    }
    if (seriesDimension != 0 && voucherSeries != 0)
        base.SetLineComponent(line, seriesDimension - 1, voucherSeries);
    base.SetLineValue(line, 0, amount);
    if (!text.empty()) {
        text = WithoutNul(text, textBuffer);
        line->SetTextFromBytes(text.data(), int32_t(text.size()));
    }
}

void SieImporter::FinishVoucher()
{
    // Groups are made with their first line, so a voucher keeps no empty group; a voucher without
    // lines stays a card of its own (its number and text are part of the books).
    if (inVoucher && std::fabs(voucherSum) >= kBalanceTolerance) {
        char sum[kSieAmountCapacity];
        Note(SieNotice::unbalanced, std::string_view(sum, size_t(FormatSieAmount(sum, voucherSum))), voucherLine);
    }
    inVoucher = false;
    voucher = nullptr;
    voucherGroup = nullptr;
    voucherSeries = 0;
    inVoucherBlock = false;
    voucherSum = 0.0;
}

// The names of the base's dimensions, so that an import that fails leaves them as they were.
class DimensionNames {
public:
    explicit DimensionNames(const Base& base)
    {
        for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
            const Dimension& dimension = base.GetDimension(d);
            singular[size_t(d)].AssignHeapText(dimension.SingularNameField());
            plural[size_t(d)].AssignHeapText(dimension.PluralNameField());
        }
    }

    void Restore(Base& base) const
    {
        for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
            Dimension& dimension = base.GetDimension(d);
            dimension.SetSingularName(singular[size_t(d)].IsEmpty() ? nullptr : singular[size_t(d)].CStr());
            dimension.SetPluralName(plural[size_t(d)].IsEmpty() ? nullptr : plural[size_t(d)].CStr());
        }
    }

private:
    std::array<String, kDimensionCount> singular;
    std::array<String, kDimensionCount> plural;
};

}  // namespace

bool ImportSie(Base& base, const FilePath& path)
{
    SieFileSurvey survey;
    if (!SurveySieFile(path, survey))
        return false;
    SieFileReader reader;
    if (survey.isSie && !reader.Open(path))
        return false;
    SieImporter importer(base, path);
    bool done = importer.Run(reader, survey, &reader);
    reader.Close();
    return done;
}

bool ImportSieBytes(Base& base, std::string_view bytes, const FilePath& name)
{
    SieEncodingSurvey surveyor;
    surveyor.Add(bytes.data(), int64_t(bytes.size()));
    SieFileSurvey survey = surveyor.Finish();
    // A byte-order mark is no part of the first line.
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    TextReader reader(bytes.data(), int64_t(bytes.size()));
    SieImporter importer(base, name);
    return importer.Run(reader, survey, nullptr);
}

bool ImportSieFile(Base& base, const FilePath& path)
{
    BaseCheckpoint checkpoint;
    base.TakeCheckpoint(checkpoint);
    if (!checkpoint.IsValid())
        return false;
    DimensionNames names(base);
    bool modified = base.IsModified();
    if (ImportSie(base, path)) {
        base.SetModified(true);
        return true;
    }
    // The failure stays pending while the base is put back.
    PendingError failure;
    SaveErrorState(failure);
    base.RollBack(checkpoint);
    names.Restore(base);
    base.UpdateDimensionsInUse();
    base.SetModified(modified);
    RestoreErrorState(failure);
    return false;
}

std::unique_ptr<Base> OpenSieFileAsNewBase(const FilePath& path)
{
    std::unique_ptr<Base> base(new (std::nothrow) Base(path, 0));
    if (!base) {
        SetOutOfMemoryError();
        return nullptr;
    }
    if (!ImportSie(*base, path))
        return nullptr;
    base->FinishLoad();
    base->SetModified(false);
    return base;
}

bool IsSieOpeningBalanceCard(const Card& card)
{
    return std::strcmp(card.stamps[kStampCreated].code, kSieOpeningBalanceStamp) == 0;
}

PackedDate SieOpeningBalanceYearEnd(const Card& card)
{
    PackedTimestamp stamp = card.stamps[kStampCreated].timestamp;
    if (stamp == 0)
        return 0;
    return PackDateClamped(PackedTimestampYear(stamp), PackedTimestampMonth(stamp), PackedTimestampDay(stamp));
}

}  // namespace vek
