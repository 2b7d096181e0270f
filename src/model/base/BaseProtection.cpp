#include "model/base/BaseProtection.h"

#include <cstring>

#include "foundation/memory/Hash.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "model/named/NamedObjects.h"

namespace vek {

namespace {

// Codes of the password field: the line-break and tab bytes of long-text fields.
constexpr char kCodedLineBreak = 3;
constexpr char kCodedTab = 4;

// CR, LF and CR LF become the byte 3, tab the byte 4.
void CodeField(String& text)
{
    text.ReplaceAll("\r\n", "\r");
    text.ReplaceAllCodePoint('\r', uint32_t(kCodedLineBreak));
    text.ReplaceAllCodePoint('\n', uint32_t(kCodedLineBreak));
    text.ReplaceAllCodePoint('\t', uint32_t(kCodedTab));
}

void DecodeField(String& text)
{
    text.ReplaceAllCodePoint(uint32_t(kCodedLineBreak), '\r');
    text.ReplaceAllCodePoint(uint32_t(kCodedTab), '\t');
}

}  // namespace

BaseProtection::BaseProtection(Base* owner) : base(owner) {}

BaseProtection::~BaseProtection() = default;

int32_t BaseProtection::PasswordHashOf(const char* text)
{
    if (text == nullptr || text[0] == 0)
        return 0;
    return HashTextNoCase(text, kPasswordHashModulus) + 1;
}

bool BaseProtection::SetPassword(const char* text)
{
    // Refused before scrambling, so that the user hears the text is too long, not that memory ran out.
    if (text != nullptr && std::strlen(text) > size_t(kMaxPasswordLength)) {
        passwordHash = 0;
        (void)password.SetCStr(nullptr);
        SetErrorCode(message::kPasswordTooLong);
        String limit;
        limit.AssignInt(kMaxPasswordLength);
        GetPendingError().message.AddText(limit.CStr());
        return false;
    }
    if (!password.SetCStr(text)) {
        passwordHash = 0;
        (void)password.SetCStr(nullptr);
        return false;
    }
    passwordHash = PasswordHashOf(text);
    return true;
}

void BaseProtection::PasswordText(String& out) const
{
    password.Get(out);
}

bool BaseProtection::CopyFrom(const BaseProtection& other)
{
    if (&other == this)
        return true;
    String plain;
    other.PasswordText(plain);
    bool stored = SetPassword(plain.CStr());
    plain.WipeAndClear();
    return stored;
}

bool BaseProtection::CheckPassword(int32_t promptText)
{
    if (passwordHash == 0)
        return true;
    if (base != nullptr && base->SaveKind() == kSaveKindText)
        return true;
    String entered;
    int32_t answer = Service<ModelServices>::Get().AskPassword(base, entered, promptText);
    bool passes = answer != 0 && PasswordHashOf(entered.CStr()) == passwordHash;
    entered.WipeAndClear();
    if (passes)
        return true;
    if (answer != 0)
        SetErrorCode(message::kWrongPassword);
    return false;
}

bool BaseProtection::Read(TextReader& reader)
{
    String plain;
    reader.NextFieldRawToString(plain);
    DecodeField(plain);
    bool stored = SetPassword(plain.CStr());
    plain.WipeAndClear();
    while (!IsErrorPending() && reader.ReadLine()) {
        if (reader.NextField() && IsSectionMarker(reader.Token(), reader.TokenLength())) {
            reader.RestartLine();
            break;
        }
    }
    return stored;
}

void BaseProtection::Write(TextWriter& writer) const
{
    String plain;
    PasswordText(plain);
    CodeField(plain);
    writer.PutText("##Protection");
    writer.PutSeparator();
    writer.PutString(plain);
    writer.EndRow();
    plain.WipeAndClear();
}

}  // namespace vek
