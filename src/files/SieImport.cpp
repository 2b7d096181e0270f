#include "files/SieImport.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string_view>

#include "files/SieRecord.h"
#include "foundation/CardKey.h"
#include "foundation/CodePages.h"
#include "foundation/HeapText.h"
#include "foundation/Message.h"
#include "foundation/NumberFormat.h"
#include "foundation/PackedTimestamp.h"
#include "foundation/PendingError.h"
#include "foundation/String.h"
#include "foundation/TextStreams.h"
#include "foundation/Utf8.h"
#include "model/Base.h"
#include "model/BaseCheckpoint.h"
#include "model/Dimension.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

constexpr int32_t kCompanyDimension = 0;
constexpr int32_t kAccountDimension = 1;
constexpr int32_t kFirstSieDimension = 2;
constexpr int32_t kLastBaseDimension = int32_t(kDimensionCount) - 1;
constexpr int32_t kSieDimensionLimit = 100;  // SIE dimension numbers 1..99

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

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && uint8_t(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && uint8_t(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

// The class letter of an account by its number's first digit; 0 for none.
char ClassLetterOfAccount(std::string_view number)
{
    if (number.empty())
        return 0;
    char first = number.front();
    if (first == '1')
        return 'T';
    if (first == '2')
        return 'S';
    if (first == '3')
        return 'I';
    if (first >= '4' && first <= '9')
        return 'K';
    return 0;
}

// A "#KTYP" type: one of the class letters, else 0.
char ClassLetterOfType(std::string_view type)
{
    if (type.empty())
        return 0;
    char letter = char(type.front() & ~0x20);
    return letter == 'K' || letter == 'I' || letter == 'T' || letter == 'S' ? letter : 0;
}

// An amount field; NaN when it holds no number. Magnitudes beyond 1e308 count as 0.
double ReadAmount(const SieToken& token)
{
    double value = BytesToDouble(token.text, token.length);
    if (std::isnan(value))
        return value;
    return ZeroIfOutOfRange(value);
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

class SieImporter {
public:
    SieImporter(Base& base, const FilePath& path) : base(base), path(path) {}

    // Reads the SIE text of the reader (set to the survey's encoding) into the base.
    [[nodiscard]] bool Run(TextReader& input, const SieFileSurvey& survey);

private:
    // Reads the next line into the record; false at the end of the file.
    bool ReadRecord();
    void Dispatch();

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

    // NUL-terminated copies for the lookups.
    const char* Terminated(String& buffer, std::string_view text);
    uint32_t FindOrAddAccount(std::string_view number, std::string_view name, char classLetter);
    uint32_t FindAccount(std::string_view number);
    uint32_t FindOrAddObject(int32_t d, std::string_view code);
    // The company's component number; made from the file's name when the file has given none.
    uint32_t Company();
    void SetCompany(std::string_view name);
    void NameDimension(int32_t d, const char* singular, const char* plural);
    // The index of the amount after the account at `accountIndex` (after an object list if any).
    int32_t AmountIndexAfter(int32_t accountIndex) const;

    Base& base;
    const FilePath& path;
    TextReader* reader = nullptr;
    SieRecord record;
    bool recordPending = false;  // the record holds a line that look-ahead read and left unhandled

    std::array<int32_t, kSieDimensionLimit> dimensionMap{};  // SIE dimension -> base dimension
    int32_t nextFreeDimension = kFirstSieDimension;
    int32_t seriesDimension = 0;
    CardKey defaultKey;
    uint32_t company = 0;  // component of the group dimension; 0 none yet
    Card* openingCard = nullptr;
    CardGroup* openingGroup = nullptr;

    // The voucher being read.
    Card* voucher = nullptr;
    CardGroup* voucherGroup = nullptr;
    uint32_t voucherSeries = 0;
    bool inVoucherBlock = false;

    String scratch;
    String scratch2;
    std::array<uint32_t, kLineSlotCount> lineComponents{};
};

bool SieImporter::Run(TextReader& input, const SieFileSurvey& survey)
{
    if (!survey.isSie) {
        if (!IsErrorPending()) {
            SetErrorCode(kMessageNotSieFile);
            GetPendingError().message.AddFileName(path.CStr());
        }
        return false;
    }
    reader = &input;
    if (!IsUtf16Encoding(reader->Encoding()))
        reader->SetEncoding(survey.encoding);
    reader->SetCheckUtf8(false);

    for (const AccountClass& accountClass : kAccountClasses)
        base.AddComponent(kAccountDimension, accountClass.code, accountClass.text, nullptr);
    CardKeyOfYearEdge(defaultKey, -1, 0);

    while (!IsErrorPending() && (recordPending || ReadRecord())) {
        recordPending = false;
        Dispatch();
    }
    FinishVoucher();
    reader = nullptr;
    base.UpdateDimensionsInUse();
    base.NotifyChangedDimensions();
    base.FlushCardChanges();
    return !IsErrorPending();
}

bool SieImporter::ReadRecord()
{
    if (!reader->ReadLine())
        return false;
    record.Parse(reader->LineStart(), reader->LineEnd());
    return true;
}

void SieImporter::Dispatch()
{
    if (record.IsEmpty())
        return;
    const SieToken& label = record.At(0);
    if (label.kind == SieTokenKind::listOpen) {
        if (voucher != nullptr)
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
}

const char* SieImporter::Terminated(String& buffer, std::string_view text)
{
    buffer.AssignBytes(text.data(), int32_t(text.size()));
    return buffer.CStr();
}

// --- Accounts, dimensions, objects ---------------------------------------------------------------------

void SieImporter::ReadAccount()
{
    String number;
    String name;
    std::string_view numberText = Trimmed(record.At(1).View());
    number.AssignBytes(numberText.data(), int32_t(numberText.size()));
    std::string_view nameText = Trimmed(record.At(2).View());
    name.AssignBytes(nameText.data(), int32_t(nameText.size()));
    char letter = 0;
    // The type of the account, when the next line gives it.
    if (ReadRecord()) {
        if (record.LabelIs("#KTYP") && record.At(1).View() == std::string_view(number.CStr()))
            letter = ClassLetterOfType(record.At(2).View());
        else
            recordPending = true;
    }
    if (letter == 0)
        letter = ClassLetterOfAccount(number.CStr());
    FindOrAddAccount(number.CStr(), name.CStr(), letter);
}

uint32_t SieImporter::FindOrAddAccount(std::string_view number, std::string_view name, char classLetter)
{
    if (number.empty())
        return 0;
    const char* host = Terminated(scratch, number);
    if (Component* existing = base.GetDimension(kAccountDimension).FindByHost(host))
        return existing->number;
    scratch2.Truncate(0);
    if (classLetter != 0)
        scratch2.AppendChar(classLetter);
    scratch2.AppendBytes(number.data(), int32_t(number.size()));
    String text;
    text.AssignBytes(name.data(), int32_t(name.size()));
    Component* component = base.AddComponent(kAccountDimension, scratch2.CStr(), text.CStr(), host);
    return component != nullptr ? component->number : 0;
}

uint32_t SieImporter::FindAccount(std::string_view number)
{
    number = Trimmed(number);
    if (number.empty())
        return 0;
    if (Component* existing = base.GetDimension(kAccountDimension).FindByHost(Terminated(scratch, number)))
        return existing->number;
    // An account the file uses without "#KONTO": made, so that its amounts keep their account.
    return FindOrAddAccount(number, {}, ClassLetterOfAccount(number));
}

void SieImporter::NameDimension(int32_t d, const char* singular, const char* plural)
{
    Dimension& dimension = base.GetDimension(d);
    dimension.SetSingularName(singular);
    dimension.SetPluralName(plural);
}

void SieImporter::ReadDimension()
{
    int32_t number = 0;
    if (!ReadSieDimensionNumber(record.At(1), number) || dimensionMap[size_t(number)] != 0)
        return;
    std::string_view name = Trimmed(record.At(2).View());
    if (name.empty() || nextFreeDimension > kLastBaseDimension)
        return;
    int32_t d = nextFreeDimension++;
    dimensionMap[size_t(number)] = d;
    const char* text = Terminated(scratch, name);
    NameDimension(d, text, text);
}

void SieImporter::ReadSubDimension()
{
    int32_t number = 0;
    int32_t parent = 0;
    if (!ReadSieDimensionNumber(record.At(1), number) || !ReadSieDimensionNumber(record.At(3), parent))
        return;
    if (dimensionMap[size_t(number)] == 0)
        dimensionMap[size_t(number)] = dimensionMap[size_t(parent)];
}

uint32_t SieImporter::FindOrAddObject(int32_t d, std::string_view code)
{
    code = Trimmed(code);
    if (code.empty())
        return 0;
    const char* host = Terminated(scratch, code);
    if (Component* existing = base.GetDimension(d).FindByHost(host))
        return existing->number;
    Component* component = base.AddComponent(d, host, nullptr, host);
    return component != nullptr ? component->number : 0;
}

void SieImporter::ReadObject()
{
    int32_t number = 0;
    if (!ReadSieDimensionNumber(record.At(1), number) || dimensionMap[size_t(number)] == 0)
        return;
    int32_t d = dimensionMap[size_t(number)];
    std::string_view code = Trimmed(record.At(2).View());
    if (code.empty())
        return;
    const char* host = Terminated(scratch, code);
    Component* existing = base.GetDimension(d).FindByHost(host);
    if (existing != nullptr) {
        // Made earlier for a voucher that used it before its declaration: it gets its name now.
        if (existing->text == nullptr) {
            std::string_view name = Trimmed(record.At(3).View());
            SetHeapTextFromBytes(existing->text, name.data(), int32_t(name.size()));
        }
        return;
    }
    String text;
    std::string_view name = Trimmed(record.At(3).View());
    text.AssignBytes(name.data(), int32_t(name.size()));
    base.AddComponent(d, host, text.CStr(), host);
}

// --- Year, company, opening balances -------------------------------------------------------------------

void SieImporter::ReadYear()
{
    if (!record.At(1).Is("0"))
        return;
    PackedDate start = PackSieDate(record.At(2).View());
    if (start == 0)
        return;
    defaultKey.date = PreviousPackedDate(start);
    defaultKey.number = 0;
}

void SieImporter::SetCompany(std::string_view name)
{
    name = Trimmed(name);
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
    Component* component = base.AddComponent(kCompanyDimension, code.CStr(), text.CStr(), nullptr);
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
    if (std::isnan(amount) || std::isinf(amount))
        return;
    if (Company() == 0)
        return;
    uint32_t account = FindAccount(number);
    if (account == 0)
        return;
    if (openingCard == nullptr) {
        CardKey key = defaultKey;
        openingCard = base.CreateCard(key);
        if (openingCard == nullptr)
            return;
        SetHeapText(openingCard->title, kSieOpeningBalanceTitle);
        openingGroup = base.FindOrAddGroup(openingCard, int32_t(company));
        if (openingGroup == nullptr)
            return;
    }
    if (openingGroup == nullptr)
        return;
    CardLine* line = base.CreateLine(openingGroup);
    if (line == nullptr)
        return;
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
    std::string_view series = Trimmed(record.At(1).View());
    std::string_view number = Trimmed(record.At(2).View());
    std::string_view dateText = record.At(3).View();
    std::string_view text = record.At(4).View();
    std::string_view registered = record.At(5).View();
    inVoucherBlock = record.At(record.Count() - 1).kind == SieTokenKind::listOpen;
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
        // Kept, at the date of the opening balances, rather than lost; the user is told.
        key.date = defaultKey.date;
        Message message;
        message.code = kMessageSieVoucherDate;
        message.AddFileName(path.CStr());
        String lineNumber;
        lineNumber.AssignInt64(reader->LineCount());
        message.AddText(lineNumber.CStr());
        message.AddTextBytes(dateText.data(), int32_t(dateText.size() < 60 ? dateText.size() : 60));
        char date[kPackedDateTextCapacity];
        FormatPackedDate(date, key.date);
        message.AddText(date);
        base.ShowErrorAlert(message);
        if (IsErrorPending())
            return;
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
    title.AppendBytes(text.data(), int32_t(text.size()));
    title.TrimTrailing(' ');
    if (!title.IsEmpty())
        SetHeapTextFromString(voucher->title, title);
    PackedDate registration = PackSieDate(registered);
    if (registration != 0)
        voucher->stamps[kStampCreated].timestamp =
            MakePackedTimestamp(PackedDateYear(registration), PackedDateMonth(registration),
                                PackedDateDay(registration), 0, 0);
}

void SieImporter::ReadTransaction()
{
    if (voucher == nullptr)
        return;
    // Everything the line names is found or made first: making a component may change the layout
    // of the line records, which moves them.
    uint32_t account = FindAccount(record.At(1).View());
    lineComponents.fill(0);
    int32_t i = 2;
    if (record.At(i).kind == SieTokenKind::listOpen) {
        ++i;
        while (i < record.Count() && record.At(i).kind != SieTokenKind::listClose) {
            int32_t number = 0;
            bool known = ReadSieDimensionNumber(record.At(i), number);
            const SieToken& code = record.At(i + 1);
            if (code.kind != SieTokenKind::word)
                break;
            i += 2;
            if (!known || dimensionMap[size_t(number)] == 0)
                continue;
            int32_t d = dimensionMap[size_t(number)];
            if (uint32_t object = FindOrAddObject(d, code.View()))
                lineComponents[size_t(d - 1)] = object;
        }
        ++i;  // the list's end
    }
    double amount = ReadAmount(record.At(i));
    std::string_view text = record.At(i + 2).kind == SieTokenKind::word ? Trimmed(record.At(i + 2).View())
                                                                       : std::string_view();
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
    if (std::isfinite(amount))
        base.SetLineValue(line, 0, amount);
    if (!text.empty())
        line->SetTextFromBytes(text.data(), int32_t(text.size()));
}

void SieImporter::FinishVoucher()
{
    // Groups are made with their first line, so a voucher keeps no empty group; a voucher without
    // lines stays a card of its own (its number and text are part of the books).
    voucher = nullptr;
    voucherGroup = nullptr;
    voucherSeries = 0;
    inVoucherBlock = false;
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
    FileTextReader reader;
    if (survey.isSie && !reader.Open(path.CStr()))
        return false;
    SieImporter importer(base, path);
    bool done = importer.Run(reader, survey);
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
    return importer.Run(reader, survey);
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
    return card.title != nullptr && std::strcmp(card.title, kSieOpeningBalanceTitle) == 0;
}

}  // namespace vek
