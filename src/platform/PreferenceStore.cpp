// PreferenceStore: reading, changing and writing back the keys and values of a preferences file.
#include "platform/PreferenceStore.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "foundation/messages/LocalizedText.h"
#include "foundation/strings/CString.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "platform/ForkFile.h"
#include "platform/PathText.h"

namespace vek {

static constexpr char kHeaderLine[] = "##Preferences";
static constexpr char kEndLine[] = "##End";
// A preferences file is a few kilobytes; anything beyond this is not read.
static constexpr int64_t kMaxFileSize = 4 << 20;

// The text with every byte that is not well-formed UTF-8 replaced by U+FFFD; `repaired` tells whether
// anything changed.
static std::string RepairUtf8(std::string_view bytes, bool& repaired)
{
    repaired = false;
    if (Utf8IsValid(bytes.data(), static_cast<int32_t>(bytes.size())) &&
        (bytes.empty() || Utf8Classify(bytes.data(), static_cast<int32_t>(bytes.size())) != 1))
        return std::string(bytes);
    std::string out;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        const char* start = p;
        uint32_t c = Utf8NextCharIn(p, end);
        if (c == kReplacementChar && !(p - start == 3 && static_cast<uint8_t>(start[0]) == 0xEF))
            repaired = true;
        char encoded[4];
        out.append(encoded, static_cast<size_t>(Utf8EncodeChar(encoded, c)));
    }
    return out;
}

static void TrimTrailingBlanks(std::string& text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
}

// Keys and values must not break the line and field structure of the file: a tab, CR or LF is written
// as a backslash and "t", "r" or "n", and a backslash doubled, so that a value comes back as it was set.
// Other control bytes become blanks (nothing the program stores holds them).
static std::string EscapeField(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out.push_back(static_cast<uint8_t>(c) < 32 ? ' ' : c); break;
        }
    }
    return out;
}

// The reverse of EscapeField. A backslash before any other character stays as it is, so that files
// written before fields were escaped read as they did.
static std::string UnescapeField(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            char next = text[i + 1];
            char plain = next == '\\' ? '\\' : next == 't' ? '\t' : next == 'r' ? '\r' : next == 'n' ? '\n' : '\0';
            if (plain != '\0') {
                out.push_back(plain);
                ++i;
                continue;
            }
        }
        out.push_back(c);
    }
    return out;
}

PreferenceStore::PreferenceStore() = default;

PreferenceStore::~PreferenceStore()
{
    Close();
}

void PreferenceStore::Open(std::string_view name, int32_t allUsers)
{
    FilePath path;
    MakePreferencesFilePath(path, name, allUsers == 1 ? 1 : 0);
    OpenFile(path);
}

void PreferenceStore::OpenFile(const FilePath& path)
{
    Close();
    file = path;
    Read();
}

void PreferenceStore::Close()
{
    Write();
    entries.clear();
    file.Clear();
    modified = false;
}

size_t PreferenceStore::Find(const char* key, bool& found) const
{
    auto at = std::lower_bound(entries.begin(), entries.end(), key, [](const Entry& entry, const char* wanted) {
        return CStrCompareNoCase(entry.key.c_str(), wanted) < 0;
    });
    found = at != entries.end() && CStrCompareNoCase(at->key.c_str(), key) == 0;
    return static_cast<size_t>(at - entries.begin());
}

void PreferenceStore::GetString(const char* key, String& out) const
{
    bool found = false;
    size_t at = key ? Find(key, found) : 0;
    if (found)
        out.AssignBytes(entries[at].value.data(), static_cast<int32_t>(entries[at].value.size()));
    else
        out.Truncate(0);
}

bool PreferenceStore::Contains(const char* key) const
{
    bool found = false;
    if (key)
        Find(key, found);
    return found;
}

void PreferenceStore::SetString(const char* key, const char* value)
{
    if (!key || !*key)
        return;
    if (!value)
        value = "";
    bool found = false;
    size_t at = Find(key, found);
    if (found) {
        if (entries[at].value == value)
            return;
        entries[at].value = value;
    } else {
        entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), Entry{key, value});
    }
    modified = true;
}

void PreferenceStore::Remove(const char* key)
{
    bool found = false;
    size_t at = key ? Find(key, found) : 0;
    if (!found)
        return;
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(at));
    modified = true;
}

bool PreferenceStore::GetInt(const char* key, int32_t& value) const
{
    bool found = false;
    size_t at = key ? Find(key, found) : 0;
    if (!found)
        return false;
    const std::string& text = entries[at].value;
    if (text.empty() || !(text[0] == '-' || (text[0] >= '0' && text[0] <= '9')))
        return false;
    int32_t number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc())
        return false;
    (void)end;
    value = number;
    return true;
}

void PreferenceStore::SetInt(const char* key, int32_t value)
{
    SetString(key, std::to_string(value).c_str());
}

bool PreferenceStore::GetBool(const char* key, bool& value) const
{
    bool found = false;
    size_t at = key ? Find(key, found) : 0;
    if (!found || (entries[at].value != "+" && entries[at].value != "-"))
        return false;
    value = entries[at].value == "+";
    return true;
}

void PreferenceStore::SetBool(const char* key, bool value)
{
    SetString(key, value ? "+" : "-");
}

bool PreferenceStore::GetLanguage(const char* key, int32_t& language) const
{
    bool found = false;
    size_t at = key ? Find(key, found) : 0;
    if (!found)
        return false;
    int32_t index = LanguageFromCode(entries[at].value);
    if (index < 0)
        return false;
    language = index;
    return true;
}

void PreferenceStore::SetLanguage(const char* key, int32_t language)
{
    if (const char* code = LanguageCode(language))
        SetString(key, code);
}

bool PreferenceStore::ReadBytes(std::string_view bytes)
{
    bool clean = true;
    size_t at = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        at = 3;
        clean = false;
    }
    bool first = true;
    bool ended = false;
    while (at < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", at);
        bool complete = end != std::string_view::npos;
        if (!complete)
            end = bytes.size();
        std::string_view line(bytes.data() + at, end - at);
        at = end;
        if (complete) {
            at += (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1;
            if (bytes[end] == '\n')
                clean = false;  // written with CR alone
        }
        if (first) {
            first = false;
            if (line != kHeaderLine)
                clean = false;
        }
        if (line == kEndLine) {
            ended = true;
            continue;
        }
        if (!line.empty() && line[0] == '#')
            continue;
        // Whatever follows the end line, and a last line cut short, is left out.
        if (ended || !complete) {
            clean = false;
            continue;
        }
        bool garbage = line.empty() || line[0] == '\t';
        for (char c : line)
            garbage = garbage || (static_cast<uint8_t>(c) < 32 && c != '\t');
        if (garbage) {
            clean = false;
            continue;
        }
        bool repaired = false;
        std::string text = RepairUtf8(line, repaired);
        if (repaired)
            clean = false;
        size_t tab = text.find('\t');
        std::string key = text.substr(0, tab);
        std::string value;
        if (tab != std::string::npos)
            value = text.substr(tab + 1, text.find('\t', tab + 1) - tab - 1);
        TrimTrailingBlanks(key);
        TrimTrailingBlanks(value);
        key = UnescapeField(key);
        value = UnescapeField(value);
        if (key.empty()) {
            clean = false;
            continue;
        }
        SetString(key.c_str(), value.c_str());
    }
    return clean && ended;
}

void PreferenceStore::Read()
{
    PreservedErrorState quiet;
    entries.clear();
    modified = false;
    if (file.IsEmpty() || !file.Exists())
        return;
    ForkFile fork;
    if (!fork.OpenForRead(file))
        return;
    std::string bytes(static_cast<size_t>(std::clamp<int64_t>(fork.GetSize(), 0, kMaxFileSize)), '\0');
    bytes.resize(static_cast<size_t>(fork.Read(bytes.data(), static_cast<int64_t>(bytes.size()))));
    fork.Close();
    bool clean = ReadBytes(bytes);
    modified = !clean;
}

void PreferenceStore::Write()
{
    if (!modified || file.IsEmpty())
        return;
    PreservedErrorState quiet;
    std::string text = kHeaderLine;
    text.push_back('\r');
    for (const Entry& entry : entries) {
        text += EscapeField(entry.key);
        std::string value = EscapeField(entry.value);
        if (!value.empty()) {
            text.push_back('\t');
            text += value;
        }
        text.push_back('\r');
    }
    text += kEndLine;
    text.push_back('\r');
    std::string folder = file.FolderPart();
    if (!folder.empty())
        MakeFolders(folder.substr(0, folder.size() - 1));
    ForkFile fork;
    if (!fork.OpenForWrite(file))
        return;
    if (fork.Write(text.data(), static_cast<int64_t>(text.size())) == static_cast<int64_t>(text.size()))
        fork.SetSize();
    fork.Close();
    if (!fork.HasFailed())
        modified = false;
}

}  // namespace vek
