// LocalizedText: numbered interface texts in the 13 interface languages, looked up by number.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace vek {

// Numbered interface texts in the 13 interface languages. Every user-visible text (messages, titles,
// labels, log header words) is looked up by number in the current UI language when it is needed.
//
// The texts are kept in tables of up to 100 entries, one per hundred of text numbers and per language:
// text n lives in the table b + l, with b = n - n mod 100 and l the language index, at entry n mod 100.
// A language may leave any entry or whole table out; the English text is then used in its place, text
// by text. The tables come from one catalog per language (texts/<code>.txt, compiled into the program).
// Code names a number by the name the English catalog gives it (foundation/TextIds.h, generated from
// texts/eng.txt): `LoadText(text::kUntitled)`, `SetErrorCode(message::kFolderMissing)`.

constexpr int32_t kLanguageCount = 13;

// Table and entry of a text number in a language (the number taken as a signed 16-bit value).
constexpr int32_t TextTableId(int32_t number, int32_t language) { return number - number % 100 + language; }
constexpr int32_t TextEntry(int32_t number) { return number % 100; }

// The texts of one program: tables built from catalogs. Catalog syntax, one text a line:
//
//   | line                     | meaning                                                        |
//   |--------------------------|----------------------------------------------------------------|
//   | number TAB text          | text `number` (0..32767); the text runs to the line end        |
//   | number TAB               | an explicitly empty text (no text of the language's own)       |
//   | # ...  or an empty line  | ignored                                                        |
//
// Line ends may be LF, CR LF or CR. In the text, "\r" stands for a carriage return, "\n" for a line
// feed, "\t" for a tab and "\\" for a backslash. A line that does not follow the syntax, or repeats a
// number, is counted as bad and skipped.
class TextCatalog {
public:
    TextCatalog() = default;
    TextCatalog(const TextCatalog&) = delete;
    TextCatalog& operator=(const TextCatalog&) = delete;

    // Adds the texts of a catalog for a language 0..12 (another language is refused with -1);
    // returns the count of bad lines.
    int32_t AddCatalog(int32_t language, std::string_view catalog);

    // The text of a number in a language: see LoadText. The pointer stays valid as long as the
    // catalog lives.
    const char* Lookup(int32_t number, int32_t language) const;

    // The numbers that have an entry (possibly empty) in a language, ascending.
    std::vector<int32_t> Numbers(int32_t language) const;

private:
    using Table = std::array<const char*, 100>;  // null: no entry
    std::map<int32_t, Table> tables;              // by table id
    std::vector<std::unique_ptr<char[]>> texts;   // the entries' texts, NUL-terminated
};

// The catalogs compiled into the program, by language index (texts/<code>.txt).
std::span<const std::string_view> BuiltInCatalogs();
// The process-wide tables made from them on first use.
const TextCatalog& BuiltInTexts();

// The process-wide interface language 0..12, 0 (English) at start. Setting an index outside 0..12
// sets 0, so that no lookup can reach the table of another hundred.
int32_t UiLanguage();
void SetUiLanguage(int32_t language);

// The text of a number in the UI language: null for a negative number or one beyond 32767; otherwise
// the language's own text when it has a non-empty one, else the English text; an English entry that
// is empty gives the empty text; a number without any entry gives null. Callers treat null as an
// empty text. The text is owned by the program and never freed.
const char* LoadText(int32_t number);
// The same in a given language, for the time of one lookup.
const char* LoadTextInLanguage(int32_t number, int32_t language);

// "English", "Czech", "Dansk" ...; any index other than 1..12 gives "English".
const char* LanguageName(int32_t index);
// "US", "CZE", "DAN" ...; an index outside 0..12 gives null.
const char* LanguageCode(int32_t index);
// The first index whose code equals the text without regard to case, else -1.
int32_t LanguageFromCode(std::string_view code);
// 1 for Czech and Slovak (the Central European code page), else 0.
int32_t UsesCentralEuropeanCodePage(int32_t index);

// The languages the program offers; the application marks them when it loads its preferences.
// None is marked at start.
void SetLanguageAvailable(int32_t index, bool available);
bool IsLanguageAvailable(int32_t index);

// The language index of one localization code: 0 for a code beginning with "eng" or for "en", 1..12
// for "cs", "da", "nl", "et", "fi", "fr", "de", "it", "no", "sk", "es", "sv" (also "nb" and "nn" for
// Norsk); -1 for any other code. Case is ignored; a locale name such as "sv_SE.UTF-8" counts by its
// language part.
int32_t LanguageOfLocalization(std::string_view code);
// The first of the codes, in the user's order, whose language is available; 0 (English) when none.
int32_t LanguageFromLocalizations(std::span<const std::string_view> codes);
// The same over the user's preferred localizations (SystemLocale.h).
int32_t LanguageFromBundle();
void SetLanguageAndCodePage();  // start-up: UI language from the bundle, system code page to match

}  // namespace vek
