// CommandInterpreter: the commands that change the base's data and named objects, import and save.
#include "files/commands/CommandInterpreter.h"

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "files/commands/CommandOptions.h"
#include "files/format/BaseFileRecord.h"
#include "files/basefiles/BaseFileSettings.h"
#include "files/format/BaseFileType.h"
#include "files/basefiles/BaseFiles.h"
#include "files/setups/ImportSetup.h"
#include "files/setups/SaveSettings.h"
#include "files/setups/SaveSetup.h"
#include "files/textimport/TextImport.h"
#include "foundation/memory/BitSet.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/LogFileHandler.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "model/base/BaseProtection.h"
#include "model/dates/DateExpression.h"
#include "model/dimensions/Dimension.h"
#include "model/named/Macro.h"
#include "model/selections/Subset.h"
#include "model/selections/SubsetList.h"
#include "model/templates/Template.h"
#include "model/expressions/TextMatcher.h"
#include "platform/FileList.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

// A name pattern of "-filter" compiled as names are matched (case kept, without regard to case in the
// comparison). Null when it cannot be compiled: then nothing is deleted, never everything.
std::unique_ptr<TextMatcher> CompileNameFilter(const std::string& pattern)
{
    if (pattern.empty())
        return nullptr;
    auto matcher = std::make_unique<TextMatcher>();
    String text;
    text.AssignBytes(pattern.data(), int32_t(pattern.size()));
    if (matcher->Compile(text, kTextMatcherKeepCase) != 0 || matcher->IsEmpty())
        return nullptr;
    return matcher;
}

// The options shared by the commands that delete named objects: "-all", "-filter" pattern, names.
struct DeleteWords {
    bool all = false;
    std::string filter;
    bool hasFilter = false;
    std::vector<std::string> names;
};

// Plain words for ReadCommandOptions: every one kept.
std::function<bool(const std::string&)> TakeAllWords(std::vector<std::string>& plain)
{
    return [&plain](const std::string& word) {
        plain.push_back(word);
        return true;
    };
}

// Plain words: the first `limit` kept, any further one refused.
std::function<bool(const std::string&)> TakeWords(std::vector<std::string>& plain, size_t limit)
{
    return [&plain, limit](const std::string& word) {
        if (plain.size() >= limit)
            return false;
        plain.push_back(word);
        return true;
    };
}

// One plain word, while the target is empty; a word after it is refused.
std::function<bool(const std::string&)> TakeWord(std::string& target)
{
    return [&target](const std::string& word) {
        if (!target.empty())
            return false;
        target = word;
        return true;
    };
}

// A message about a component of dimension d: its text (a code) and the dimension's singular name.
void ShowComponentMessage(Base& base, int32_t code, const char* text, int32_t d)
{
    String dimensionName;
    base.DimensionSingularName(d, dimensionName);
    vek::Message message;
    message.code = code;
    message.AddText(text);
    message.AddText(dimensionName.CStr());
    base.ShowErrorAlert(message);
}

// Whether an existing file may become an error file: it must be one this program wrote as a log (it
// begins with the log's first line, in any language), since opening it empties it unless the command
// appends. A file that is not there, or one that is written into rather than replaced (a device, a
// pipe), is taken as well.
bool IsLogFileOrNone(const FilePath& path)
{
    std::unique_ptr<ByteFile> file = NewByteFile();
    if (!file)
        return false;
    ByteFileStatus status = file->StatusOf(path.CStr());
    if (status.kind != ByteFileKind::regular || status.size == 0)
        return true;
    if (!file->OpenForRead(path.CStr()))
        return false;
    char head[256];
    int64_t n = file->Read(head, int64_t(sizeof head));
    file->Close();
    std::string_view text(head, size_t(n > 0 ? n : 0));
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    while (!text.empty() && (text[0] == '\n' || text[0] == '\r'))
        text.remove_prefix(1);
    if (text.starts_with("Logfile created at "))
        return true;
    for (int32_t language = 0; language < kLanguageCount; ++language) {
        const char* created = LoadTextInLanguage(text::kLogCreated, language);
        if (created != nullptr && *created != 0 && text.starts_with(created) &&
            text.substr(std::strlen(created)).starts_with(" "))
            return true;
    }
    return false;
}

void WipeText(std::string& text)
{
    volatile char* p = text.data();
    for (size_t i = 0; i < text.size(); ++i)
        p[i] = 0;
    text.clear();
}

}  // namespace

// --- Components -------------------------------------------------------------------------------------------

void CommandInterpreter::NewComponent(CommandWords& words)
{
    bool silent = false;
    std::vector<std::string> plain;
    const CommandOption options[] = {
        {"-silent", CommandOptionValue::None, [&](const std::string&) { silent = true; }},
    };
    ReadOptions(words, options, TakeAllWords(plain));  // more than four are ignored
    plain.resize(std::max<size_t>(plain.size(), 4));
    int32_t d = FindDimension(plain[0], silent);
    if (d < 0)
        return;
    Dimension& dimension = base.GetDimension(d);
    String code;
    String text;
    String host;
    code.AssignBytes(plain[1].data(), int32_t(plain[1].size()));
    text.AssignBytes(plain[2].data(), int32_t(plain[2].size()));
    host.AssignBytes(plain[3].data(), int32_t(plain[3].size()));
    dimension.NormalizeTexts(code, text, host);
    if (code.IsEmpty())
        return;
    if (dimension.FindByCode(code.CStr()) != nullptr) {
        if (!silent)
            ShowComponentMessage(base, message::kComponentCodeExists, code.CStr(), d);
        return;
    }
    if (!host.IsEmpty() && dimension.FindByHost(host.CStr()) != nullptr) {
        if (!silent)
            ShowComponentMessage(base, message::kDuplicateHost, host.CStr(), d);
        host.Truncate(0);
    }
    if (base.AddComponent(d, code.CStr(), text.CStr(), host.CStr()) == nullptr) {
        if (!IsErrorPending())
            SetOutOfMemoryError();
        return;
    }
    base.NotifyDimension(kChangeComponents, d);
}

void CommandInterpreter::DeleteComponent(CommandWords& words)
{
    bool silent = false;
    bool unused = false;
    bool all = false;
    std::vector<std::string> plain;
    const CommandOption options[] = {
        {"-silent", CommandOptionValue::None, [&](const std::string&) { silent = true; }},
        {"-unused", CommandOptionValue::None, [&](const std::string&) { unused = true; }},
        {"-all", CommandOptionValue::None, [&](const std::string&) { all = true; }},
    };
    ReadOptions(words, options, TakeWords(plain, 2));
    plain.resize(2);
    int32_t d = FindDimension(plain[0], silent);
    if (d < 0)
        return;
    Dimension& dimension = base.GetDimension(d);
    Component* root = base.Root(d);
    Component* chosen = all                ? root
                        : !plain[1].empty() ? dimension.FindByCode(plain[1].c_str())
                        : unused           ? root
                                           : nullptr;
    if (chosen == nullptr) {
        if (!silent)
            ShowComponentMessage(base, message::kComponentCodeNotFound, plain[1].c_str(), d);
        return;
    }
    const RecordPool& pool = base.ComponentPool();
    BitSet used;
    base.MarkUsedComponents(used, d);
    if (IsErrorPending())
        return;  // no room for the set: nothing is deleted
    used.SetBit(int32_t(root->number), false);  // lines without a component of d
    base.MarkAncestors(used, d);
    BitSet doomed;
    if (!doomed.ResizeFill(used.Count(), false)) {
        SetOutOfMemoryError();
        return;
    }
    // The walk over the chosen component's subtree, itself first; the root itself is never deleted.
    auto walk = [&](auto&& visit) {
        for (Component* c = chosen;;) {
            if (c != root && !visit(c))
                return;
            c = c->NextInSubtree(pool, chosen);
            if (c == nullptr || c == chosen)
                return;
        }
    };
    int32_t marked = 0;
    if (!unused) {
        // The component with its subtree, only when none of it is in use.
        Component* firstUsed = nullptr;
        walk([&](Component* c) {
            if (used.GetBit(int32_t(c->number)))
                firstUsed = c;
            return firstUsed == nullptr;
        });
        if (firstUsed != nullptr) {
            if (!silent)
                ReportError(message::kComponentInUse, firstUsed->code != nullptr ? firstUsed->code : "");
            return;
        }
    }
    walk([&](Component* c) {
        if (!used.GetBit(int32_t(c->number))) {
            doomed.SetBit(int32_t(c->number), true);
            ++marked;
        }
        return true;
    });
    if (marked == 0)
        return;
    ChangeRecord record(kChangeComponentsDeleted, &base, DeletedComponentsPayload{&doomed});
    record.dimension = d;
    base.HandleChange(record);
    base.DeleteMarkedComponents(doomed, d);
    base.RebuildComponentIndexes(d);
    base.NotifyDimension(kChangeComponents, d);
}

void CommandInterpreter::SortComponents(CommandWords& words)
{
    int32_t flags = 0;
    std::vector<std::string> plain;
    const CommandOption options[] = {
        {"-sublevels", CommandOptionValue::None, [&](const std::string&) { flags |= kSortRecursive; }},
        {"-reverse", CommandOptionValue::None, [&](const std::string&) { flags |= kSortReverse; }},
        {"-text", CommandOptionValue::None, [&](const std::string&) { flags |= kSortByText; }},
        {"-host", CommandOptionValue::None, [&](const std::string&) { flags |= kSortByHost; }},
    };
    ReadOptions(words, options, TakeWords(plain, 2));
    plain.resize(2);
    int32_t d = FindDimension(plain[0], false);
    if (d < 0)
        return;
    Component* top = plain[1].empty() ? base.Root(d) : base.GetDimension(d).FindByCode(plain[1].c_str());
    if (top == nullptr) {
        ShowComponentMessage(base, message::kComponentCodeNotFound, plain[1].c_str(), d);
        return;
    }
    top->SortChildren(base.ComponentPool(), flags);
    base.NotifyDimension(kChangeComponents, d);
}

void CommandInterpreter::DimOptions(CommandWords& words)
{
    // Options are applied once the dimension is known; they may come before its word.
    enum class DimSetting { Singular, Plural, CodeCase, TextCase, HostCase, Strings, Compulsory, Optional };
    std::vector<std::pair<DimSetting, std::string>> settings;
    auto keep = [&settings](DimSetting setting) {
        return [&settings, setting](const std::string& value) { settings.emplace_back(setting, value); };
    };
    const CommandOption options[] = {
        {"-singular", CommandOptionValue::NextWord, keep(DimSetting::Singular)},
        {"-plural", CommandOptionValue::NextWord, keep(DimSetting::Plural)},
        {"-codecase", CommandOptionValue::NextWord, keep(DimSetting::CodeCase)},
        {"-textcase", CommandOptionValue::NextWord, keep(DimSetting::TextCase)},
        {"-hostcase", CommandOptionValue::NextWord, keep(DimSetting::HostCase)},
        {"-strings", CommandOptionValue::NextWord, keep(DimSetting::Strings)},
        {"-compulsory", CommandOptionValue::None, keep(DimSetting::Compulsory)},
        {"-optional", CommandOptionValue::None, keep(DimSetting::Optional)},
    };
    std::string dimensionWord;
    bool haveDimension = false;
    ReadOptions(words, options, [&](const std::string& word) {
        if (haveDimension)
            return false;
        dimensionWord = word;
        haveDimension = true;
        return true;
    });
    int32_t d = FindDimension(dimensionWord, false);
    if (d < 0)
        return;
    Dimension& dimension = base.GetDimension(d);
    for (const auto& [setting, value] : settings) {
        bool isDefault = CStrEqualNoCase(std::string_view(value), std::string_view("default"));
        char letter = value.empty() ? '\0' : value[0];
        switch (setting) {
        case DimSetting::Singular:
            dimension.SetSingularName(isDefault ? "" : value.c_str());
            break;
        case DimSetting::Plural:
            dimension.SetPluralName(isDefault ? "" : value.c_str());
            break;
        case DimSetting::CodeCase:
            dimension.SetCodeModeLetter(letter);
            break;
        case DimSetting::TextCase:
            dimension.SetTextModeLetter(letter);
            break;
        case DimSetting::HostCase:
            dimension.SetHostModeLetter(letter);
            break;
        case DimSetting::Strings:
            dimension.SetDisplayText(value.c_str());
            break;
        case DimSetting::Compulsory:
        case DimSetting::Optional:
            dimension.SetOptionX(setting == DimSetting::Compulsory);
            break;
        }
    }
}

// --- Cards ------------------------------------------------------------------------------------------------

void CommandInterpreter::DeleteCards(CommandWords& words)
{
    std::vector<std::string> plain;
    while (words.More()) {
        const std::string& word = words.Take();
        if (plain.size() >= 2)
            Refuse(word);
        else
            plain.push_back(word);
    }
    if (plain.empty())
        return;
    plain.resize(2);
    // A date that cannot be read deletes nothing: read as the earliest key it would take every card.
    DateExpression from(&base, -1);
    if (!from.Parse(plain[0].data(), int32_t(plain[0].size())) || from.Value().date == 0) {
        Refuse(plain[0]);
        return;
    }
    CardKey start = from.Value();
    CardKey end{PackedDate(0x7fffffff), kOpenEndNumber};
    if (!plain[1].empty()) {
        DateExpression to(&base, 1);
        if (!to.Parse(plain[1].data(), int32_t(plain[1].size())) || to.Value().date == 0) {
            Refuse(plain[1]);
            return;
        }
        end = to.Value();
    }
    Card* first = nullptr;
    Card* stop = nullptr;
    if (base.FindCardsInDateRange(start, end, first, stop) <= 0)
        return;
    for (Card* card = first; card != nullptr && card != stop && card != base.ChainEnd();) {
        Card* next = base.NextCard(card);
        base.DeleteCard(card);
        card = next;
    }
    base.FlushCardChanges();
}

// --- Named objects ----------------------------------------------------------------------------------------

namespace {

DeleteWords ReadDeleteWords(CommandWords& words, const std::function<void(const std::string&)>& refuse)
{
    DeleteWords result;
    const CommandOption options[] = {
        {"-all", CommandOptionValue::None, [&](const std::string&) { result.all = true; }},
        {"-filter", CommandOptionValue::NextWord,
         [&](const std::string& value) {
             result.hasFilter = true;
             result.filter = value;
         }},
    };
    ReadCommandOptions(words, options, TakeAllWords(result.names), refuse);
    return result;
}

}  // namespace

void CommandInterpreter::DeleteMacro(CommandWords& words)
{
    DeleteWords request = ReadDeleteWords(words, [this](const std::string& word) { Refuse(word); });
    MacroList& macros = base.Macros();
    std::unique_ptr<TextMatcher> matcher = request.hasFilter ? CompileNameFilter(request.filter) : nullptr;
    // Which macros go is settled first, then they are deleted; a running macro never goes, since
    // its commands are being read.
    auto deleteWhere = [&](auto&& matches) {
        std::vector<Macro*> doomed;
        for (Macro* macro = macros.First(); macro != nullptr; macro = macro->Next()) {
            const char* name = macro->GetName() != nullptr ? macro->GetName() : "";
            if (!macro->IsRunning() && matches(std::string_view(name)))
                doomed.push_back(macro);
        }
        for (Macro* macro : doomed)
            macros.Delete(macro);
        return int32_t(doomed.size());
    };
    if (request.all)
        deleteWhere([](std::string_view) { return true; });
    if (matcher != nullptr)
        deleteWhere([&](std::string_view name) { return matcher->MatchesCStr(std::string(name).c_str()); });
    for (const std::string& name : request.names) {
        if (IsErrorPending())
            break;
        // The name, and the macro group it heads: names that begin with it and a ":".
        std::string group = name;
        if (group.empty() || group.back() != ':')
            group += ':';
        int32_t deleted = deleteWhere([&](std::string_view macroName) {
            return CStrEqualNoCase(macroName, std::string_view(name)) || CStrStartsWithNoCase(macroName, std::string_view(group));
        });
        if (deleted == 0)
            Refuse(name);
    }
}

void CommandInterpreter::DeleteSaveSetup(CommandWords& words)
{
    DeleteWords request = ReadDeleteWords(words, [this](const std::string& word) { Refuse(word); });
    SaveSetupList& setups = BaseFileRecord::Of(base).SaveSetups();
    if (request.all)
        setups.DeleteAll();
    if (request.hasFilter) {
        if (std::unique_ptr<TextMatcher> matcher = CompileNameFilter(request.filter); matcher != nullptr)
            setups.DeleteMatching([&](const char* name) { return matcher->MatchesCStr(name); });
    }
    for (const std::string& name : request.names) {
        SaveSetup* setup = setups.Find(name.c_str(), int32_t(name.size()));
        if (setup == nullptr)
            Refuse(name);
        else
            setups.DeleteMatching([&](const char* setupName) { return setups.Find(setupName) == setup; });
    }
}

void CommandInterpreter::DeleteSubset(CommandWords& words)
{
    DeleteWords request = ReadDeleteWords(words, [this](const std::string& word) { Refuse(word); });
    SubsetList& subsets = base.Subsets();
    if (request.all)
        subsets.DeleteAll();
    if (request.hasFilter && !request.filter.empty())
        subsets.DeleteMatching(request.filter.c_str());
    for (const std::string& name : request.names) {
        if (IsErrorPending())
            break;
        CommandObject found = ResolveObject(kObjectSubset, name);
        if (found.subset != nullptr)
            subsets.Delete(found.subset);
    }
}

void CommandInterpreter::DeleteTemplate(CommandWords& words)
{
    DeleteWords request = ReadDeleteWords(words, [this](const std::string& word) { Refuse(word); });
    if (request.all)
        base.Templates().RemoveAll();
    if (request.hasFilter && !request.filter.empty())
        base.Templates().RemoveMatching(request.filter.c_str());
    for (const std::string& name : request.names) {
        if (IsErrorPending())
            break;
        CommandObject found = ResolveObject(kObjectTemplate | kObjectGroup, name);
        if (found.templateNode != nullptr)
            base.Templates().Remove(found.templateNode);
    }
}

void CommandInterpreter::DuplicateTemplate(CommandWords& words)
{
    if (!words.More())
        return;
    const std::string name = words.Take();
    CommandObject found = ResolveObject(kObjectTemplate, name);
    if (found.templateNode == nullptr || !words.More())
        return;
    // A path that names a node already makes nothing.
    const std::string newName = words.Take();
    (void)base.Templates().Duplicate(*found.templateNode, newName.c_str());
}

void CommandInterpreter::Modify(CommandWords& words)
{
    if (!words.More())
        return;
    const std::string name = words.Take();
    CommandObject found = ResolveObject(kObjectSubset | kObjectTemplate, name);
    if (found.kind == 0)
        return;
    // The rest of the line is read as one definition line of a current plain-text base file. A
    // subset's line has one text after its key (a formula, notes, a name), which may hold blanks: its
    // words are that text, as typed ("modify Big F cards A" sets the formula "cards A", where taking
    // the first word alone left "cards" without its operand, refused with 4707).
    std::string line;
    int32_t taken = 0;
    while (words.More()) {
        if (found.subset != nullptr && taken >= 2)
            line += ' ';
        line += words.Take();
        ++taken;
        if (found.subset == nullptr || taken == 1)
            line += '\t';
    }
    TextReader reader(line.data(), int64_t(line.size()));
    if (!reader.ReadLine())
        return;
    TemplateReadContext saved = base.Templates().Reading();
    base.Templates().SetReading(TemplateReadContext{});
    if (found.subset != nullptr) {
        // A subset takes its notes, its formula or a new selection; its other selections stay.
        String key;
        String text;
        if (reader.NextFieldToString(key)) {
            (void)reader.NextFieldToString(text);
            if (key.View() == "N")
                found.subset->SetNotes(text.CStr());
            else if (key.View() == "F")
                found.subset->SetFormulaText(text.CStr());
            else if (key.View() == "VN" && found.subset->FindSelection(text.View()) == nullptr)
                (void)found.subset->CreateSelection(text.CStr());
            else if (key.View() != "VN")
                Refuse(std::string(key.View()));
        }
    } else if (found.templateNode != nullptr) {
        // Only the key the line names changes: the template's other settings and references stay.
        reader.RestartLine();
        found.templateNode->ReadKeyLine(reader, base.Templates().Reading());
    }
    base.Templates().SetReading(saved);
    base.SetModified(true);
}

void CommandInterpreter::Execute(CommandWords& words)
{
    if (!words.More())
        return;
    std::string name = words.Take();
    while (words.More())
        Refuse(words.Take());
    Macro* macro = base.Macros().Find(name.c_str());
    if (macro == nullptr) {
        Refuse(name);
        return;
    }
    macro->Run();
}

void CommandInterpreter::Password(CommandWords& words)
{
    std::string text = words.More() ? words.Take() : std::string();
    // A password of several words must be quoted: setting the first word alone would leave the
    // base with a password the user never gave, so a surplus word is refused (by its position, not
    // its text, which may be part of the password) and the password is left as it was.
    if (words.More()) {
        int32_t surplus = 0;
        while (words.More()) {
            words.Take();
            ++surplus;
        }
        ReportError(kWordRefused, "(" + std::to_string(surplus) + (surplus == 1 ? " word)" : " words)"));
    } else if (!base.Protection().SetPassword(text.c_str()) && !IsErrorPending()) {
        SetOutOfMemoryError();
    }
    WipeText(text);
    for (const std::string& word : words.All())
        WipeText(const_cast<std::string&>(word));
}

// --- Error file -------------------------------------------------------------------------------------------

void CommandInterpreter::ErrorFile(CommandWords& words)
{
    ErrorFileOptions options;
    options.language = UiLanguage();
    bool noFile = false;
    std::string pathWord;
    const CommandOption table[] = {
        {"-nofile", CommandOptionValue::None, [&](const std::string&) { noFile = true; }},
        {"-append", CommandOptionValue::None, [&](const std::string&) { options.append = true; }},
        {"-verbose", CommandOptionValue::None, [&](const std::string&) { options.verbose = true; }},
        {"-persistent", CommandOptionValue::None, [&](const std::string&) { options.persistent = true; }},
        {"-language", CommandOptionValue::NextWord,
         [&](const std::string& code) {
             int32_t language = LanguageFromCode(code);
             if (language < 0)
                 Refuse(code);
             else
                 options.language = language;
         }},
    };
    ReadOptions(words, table, TakeWord(pathWord));
    if (noFile) {
        base.CatchErrors();
        return;
    }
    if (pathWord.empty())
        return;
    FilePath path;
    if (!ResolvePath(pathWord, path))
        return;
    // Opening an error file empties it: never a folder, the base's own file or a file the program
    // did not write as a log (the base's file and every other base are no logs either).
    bool ownFile = !base.Path().IsEmpty() && path.IsSameFile(base.Path());
    if (path.IsFolder() || ownFile || !IsLogFileOrNone(path)) {
        ReportError(message::kCommandPathRefused, pathWord);
        return;
    }
    base.OpenErrorFile(path, options);
}

// --- Import and save --------------------------------------------------------------------------------------

void CommandInterpreter::Import(CommandWords& words)
{
    std::string password;
    std::string pattern;
    std::string setupName;
    bool haveSetup = false;
    bool dimensionImport = false;
    const CommandOption options[] = {
        {"-pw", CommandOptionValue::NextWord, [&](const std::string& value) { password = value; }},
        {"-file", CommandOptionValue::NextWord, [&](const std::string& value) { pattern = value; }},
        {"-s", CommandOptionValue::NextWord,
         [&](const std::string& value) {
             setupName = value;
             haveSetup = true;
         }},
        // The dimension's word is taken and not used: a dimension import is not available here.
        {"-dim", CommandOptionValue::NextWord, [&](const std::string&) { dimensionImport = true; }},
    };
    ReadOptions(words, options, TakeWord(pattern));
    const ImportSetupList& setups = BaseFileRecord::Of(base).ImportSetups();
    const ImportSetup* setup = nullptr;
    if (haveSetup) {
        setup = setups.Find(setupName.c_str(), int32_t(setupName.size()));
        if (setup == nullptr) {
            ReportError(message::kUnknownImportSetup, setupName);
            WipeText(password);
            return;
        }
    } else if (setups.Count() == 1) {
        setup = setups.First();
    }
    if (dimensionImport) {
        // A dimension import reads through the dimension import window's code, which is not here yet.
        ReportError(message::kCommandNotAvailable, "import -dim");
        WipeText(password);
        return;
    }
    if (pattern.empty()) {
        WipeText(password);
        return;
    }
    int32_t count = 0;
    FileList files;
    files.FindFilesMatching(pattern, base.Path().IsEmpty() ? nullptr : &base.Path());
    FilePath file;
    while (!IsErrorPending() && files.Next(file)) {
        ++count;
        // The base's own file is the one its open is reading (its commands section runs as part of
        // the open), and reading it into itself would double every card: the command stops.
        if (!base.Path().IsEmpty() && file.IsSameFile(base.Path())) {
            ReportError(message::kImportFileBusy, std::string(file.Text()));
            break;
        }
        BaseFileState state;
        DetectBaseFileType(state, file);
        if (state.kind == kFileOtherText && setup != nullptr)
            (void)ImportTextFileWithUndo(base, file, *setup);
        else
            (void)ImportBaseFile(base, file, password.empty() ? nullptr : password.c_str(), 0);
    }
    WipeText(password);
    if (pattern.find_first_of("*?") != std::string::npos) {
        if (LogFileHandler* log = base.LogHandler(); log != nullptr) {
            std::string entry = std::to_string(count) + " files imported";
            log->WriteEntry(entry.c_str(), 0);
        }
    } else if (count == 0 && !IsErrorPending()) {
        ReportError(message::kCannotOpen, pattern);
    }
}

void CommandInterpreter::Save(CommandWords& words)
{
    if (!words.More())
        return;
    std::string pathWord = words.Take();
    FilePath path;
    if (!ResolvePath(pathWord, path))
        return;
    std::unique_ptr<SaveSettings> settings = MakeSaveSettingsFromBase(base);
    settings->ApplyFileExtension(path);
    while (words.More()) {
        const std::string& word = words.Take();
        if (!settings->ApplyOption(word, &BaseFileRecord::Of(base).SaveSetups()))
            Refuse(word);
    }
    if (IsErrorPending())
        return;
    // A command never replaces what is not a base: a folder, or a file of another kind (the question
    // a user would be asked first is answered with what destroys nothing).
    if (path.IsFolder()) {
        ReportError(message::kCommandPathRefused, pathWord);
        return;
    }
    if (path.Exists()) {
        BaseFileState state;
        DetectBaseFileType(state, path);
        bool notBase = state.kind == kFileNothing || state.kind == kFileXml || state.kind == kFileSie ||
                       state.kind == kFileOtherText || state.kind == kFileDamaged;
        bool sieOverSie = state.kind == kFileSie && settings->Format() == kSaveFormatSie;
        if (notBase && !sieOverSie) {
            ReportError(message::kCommandPathRefused, pathWord);
            return;
        }
    }
    if (!SaveBaseToPath(base, path, settings.get()) || IsErrorPending())
        return;
    TakeSavedFile(base, path, settings->Format());
}

}  // namespace vek
