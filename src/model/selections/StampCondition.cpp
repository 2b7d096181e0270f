// StampCondition: compiling, testing, reading and writing a stamp condition.
#include "model/selections/StampCondition.h"

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"

namespace vek {

void StampCondition::Clear()
{
    pattern.Clear();
    dateText.Set(nullptr);
    user.Clear();
    userText.Set(nullptr);
}

int32_t StampCondition::SetTexts(Base* base, const char* newDateText, const char* newUserText)
{
    Clear();
    int32_t refused = 0;
    String text;
    if (newDateText != nullptr && newDateText[0] != '\0') {
        text.AssignCStr(newDateText);
        if (int32_t code = pattern.Compile(text, base))
            refused = code;
        dateText.Set(text.IsEmpty() ? nullptr : text.CStr());
    }
    if (newUserText != nullptr && newUserText[0] != '\0') {
        text.AssignCStr(newUserText);
        if (int32_t code = user.Compile(text, kTextMatcherKeepCase))
            refused = code;
        userText.Set(text.IsEmpty() ? nullptr : text.CStr());
    }
    return refused;
}

void StampCondition::Recompile(Base* base)
{
    if (dateText.IsNull())
        return;
    String text;
    text.AssignCStr(dateText.CStr());
    // The text was compiled before and so is within the compiler's limits.
    (void)pattern.Compile(text, base);
}

bool StampCondition::Matches(const StampedText& stamp) const
{
    if (!pattern.IsEmpty() && !pattern.Matches(stamp.timestamp))
        return false;
    if (user.IsEmpty())
        return true;
    if (stamp.code[0] == '\0')
        return user.EmptyTextResult();
    char code[sizeof(stamp.code) + 1] = {};
    for (size_t i = 0; i < sizeof(stamp.code); ++i)
        code[i] = stamp.code[i];
    return user.MatchesCStr(code);
}

int32_t StampCondition::ReadFields(Base* base, TextReader& reader)
{
    String first;
    String second;
    reader.NextFieldToString(first);
    reader.NextFieldToString(second);
    return SetTexts(base, first.CStr(), second.CStr());
}

void StampCondition::Write(TextWriter& writer, const char* key) const
{
    if (!IsPresent())
        return;
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutFieldHeapText(dateText.Get());
    writer.PutSeparator();
    writer.PutFieldHeapText(userText.Get());
    writer.EndRow();
}

}  // namespace vek
