// TimeFunctionRowDisplay: the display line of time-functions rows.
#include "analysis/TimeFunctionRowDisplay.h"

#include <cstring>
#include <string_view>

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/OptionLetters.h"
#include "analysis/AnalysisCodeLetters.h"

namespace vek {

namespace {

constexpr const char* kRowRLetters = "-B+";
// Widths up to this are the window's default and are not written.
constexpr int32_t kLargestDefaultRowWidth = 15;

void ParseRowSign(bool& flag, char sign)
{
    if (sign == '+')
        flag = true;
    else if (sign == '-')
        flag = false;
}

void ParseRowDecimals(int32_t& decimals, char digit)
{
    if (digit >= '1' && digit <= '6')
        decimals = digit - '0';
}

// Digits only, stopping before they could pass the largest width; -1 for anything else.
int32_t ParseRowWidth(std::string_view digits)
{
    if (digits.empty() || digits.size() > 4)
        return -1;
    int32_t width = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        width = width * 10 + (c - '0');
    }
    return width <= kMaxRowWidth ? width : -1;
}

void PutRowItem(TextWriter& writer, char letter, char value)
{
    writer.PutSeparator();
    writer.PutChar(uint8_t(letter));
    writer.PutChar(uint8_t(value));
}

void ReadLegacyDisplayLine(TextReader& reader, TimeFunctionRowDisplay& display)
{
    if (reader.NextFieldRaw()) {
        std::string_view codes(reader.Token(), size_t(reader.TokenLength()));
        if (!codes.empty())
            ParseDigitFtmCodeLetter(display.columnCode, codes[0]);
        if (codes.size() > 1)
            ParseColorLetter(display.colour, codes[1]);
        for (size_t i = 2; i < codes.size(); ++i) {
            char c = codes[i];
            ParseRowDecimals(display.decimals, c);
            if (c == 'V' || c == 'v')
                display.visible = c == 'V';
            else if (c == 'B' || c == 'b')
                display.flagB = c == 'B';
        }
    }
    if (reader.NextFieldRaw()) {
        int32_t width = ParseRowWidth({reader.Token(), size_t(reader.TokenLength())});
        if (width >= 0)
            display.width = width;
    }
}

}  // namespace

void WriteTimeFunctionDisplayLine(TextWriter& writer, const char* key, const TimeFunctionRowDisplay& display)
{
    writer.PutText(key);
    char column = DigitFtmCodeLetter(display.columnCode);
    PutRowItem(writer, 'D', column != 0 ? column : '0');
    PutRowItem(writer, 'C', ColorLetter(display.colour));
    if (display.width > kLargestDefaultRowWidth) {
        writer.PutSeparator();
        writer.PutChar('W');
        writer.PutInt(display.width);
    }
    PutRowItem(writer, 'w', char('0' + (display.decimals >= 1 && display.decimals <= 6 ? display.decimals : 1)));
    PutRowItem(writer, 'V', display.visible ? '+' : '-');
    PutRowItem(writer, 'B', display.flagB ? '+' : '-');
    PutRowItem(writer, 'R', display.rCode >= 0 && display.rCode <= 2 ? kRowRLetters[display.rCode] : '-');
    PutRowItem(writer, 'S', display.flagS ? '+' : '-');
    writer.EndRow();
}

void ReadTimeFunctionDisplayLine(TextReader& reader, TimeFunctionRowDisplay& display, DisplayLineForm form)
{
    if (form == DisplayLineForm::Legacy) {
        ReadLegacyDisplayLine(reader, display);
        return;
    }
    while (reader.NextFieldRaw()) {
        std::string_view item(reader.Token(), size_t(reader.TokenLength()));
        if (item.empty())
            continue;
        char value = item.size() > 1 ? item[1] : '\0';
        switch (item[0]) {
        case 'D': ParseDigitFtmCodeLetter(display.columnCode, value); break;
        case 'C': ParseColorLetter(display.colour, value); break;
        case 'W': {
            int32_t width = ParseRowWidth(item.substr(1));
            if (width >= 0)
                display.width = width;
            break;
        }
        case 'w': ParseRowDecimals(display.decimals, value); break;
        case 'V': ParseRowSign(display.visible, value); break;
        case 'B': ParseRowSign(display.flagB, value); break;
        case 'R': ParseLetterOf(kRowRLetters, display.rCode, value); break;
        case 'S': ParseRowSign(display.flagS, value); break;
        case 'L': {
            int32_t style = int32_t(display.legacyChartStyle);
            ParseLetterOf(kRowChartStyleLetters, style, value);
            display.legacyChartStyle = RowChartStyle(style);
            break;
        }
        default: break;
        }
    }
}

}  // namespace vek
