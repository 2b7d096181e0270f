// Date expressions typed by users and read from base-file fields: parsing must stay inside its bytes,
// give a valid key (or none), keep every text form within its room, and read its own display form
// and base-file field back as the same expression.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/dates/DateExpression.h"

namespace {

using namespace vek;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckKey(const CardKey& key)
{
    if (key.date == 0)
        return;
    Check(PackedDateYear(key.date) >= kFirstPackedYear && PackedDateYear(key.date) <= kLastPackedYear);
    Check(PackedDateMonth(key.date) >= 1 && PackedDateMonth(key.date) <= 12);
    Check(PackedDateDay(key.date) >= 1 && PackedDateDay(key.date) <= DaysInMonthOfPackedDate(key.date));
}

void CheckTextForms(const DateExpression& expression)
{
    char buffer[kDateExpressionTextCapacity + 1];
    buffer[kDateExpressionTextCapacity] = 'x';
    expression.FormatToBuffer(buffer);
    Check(buffer[kDateExpressionTextCapacity] == 'x');
    Check(std::strlen(buffer) < size_t(kDateExpressionTextCapacity));
}

void FuzzSide(const char* bytes, int32_t n, int32_t side, DateFieldStyle style)
{
    DateExpression expression(nullptr, side);
    bool parsed = expression.Parse(bytes, n);
    CheckKey(expression.Value());
    CheckTextForms(expression);

    if (parsed) {
        // The display form reads back as the same expression.
        String display;
        expression.ToText(display);
        DateExpression again(nullptr, side);
        Check(again.Parse(display.CStr(), display.Length()));
        Check(again.Equals(expression) || expression.Value().number > MaxForDigits(3));
    }

    // The same bytes as a base-file field (one line, tab-free: the reader splits at tabs and lines).
    std::string line = "R\t";
    for (int32_t i = 0; i < n; ++i) {
        char byte = bytes[i];
        line.push_back(byte == '\t' || byte == '\r' || byte == '\n' || byte == 0 ? ' ' : byte);
    }
    TextReader reader(line.data(), int64_t(line.size()));
    if (!reader.ReadLine() || !reader.NextField())
        return;
    DateExpression read(nullptr, side);
    read.Read(reader, style);
    CheckKey(read.Value());
    CheckTextForms(read);

    // What Write makes of it reads back as the same.
    TextWriter writer;
    writer.PutText("R");
    read.Write(writer);
    writer.EndRow();
    TextReader back(writer);
    Check(back.ReadLine() && back.NextField());
    DateExpression reread(nullptr, side);
    reread.Read(back);
    CheckKey(reread.Value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    // An exact-size copy, so that the sanitizer sees any read past the end.
    std::vector<char> bytes(data, data + size);
    int32_t n = int32_t(size);
    FuzzSide(bytes.data(), n, -1, DateFieldStyle::Sections);
    FuzzSide(bytes.data(), n, 1, DateFieldStyle::Bullets);
    return 0;
}
