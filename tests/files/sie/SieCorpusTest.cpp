// Conformance of the SIE import with files written by other programs: each file of the shared corpus
// is imported and compared with the figures an independent reader found in it (expected/*.json).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/TestFolder.h"
#include "files/format/BaseFileType.h"
#include "files/sie/SieExport.h"
#include "files/sie/SieImport.h"
#include "files/sie/SieSummary.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

namespace fs = std::filesystem;

// --- The expected figures: a small reader for the JSON the reference reader wrote ----------------------

struct JsonValue {
    enum class Kind { null, text, number, array, object, boolean } kind = Kind::null;
    std::string text;  // texts, and numbers as written
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    const JsonValue* Member(const std::string& name) const
    {
        for (const auto& [key, value] : members) {
            if (key == name)
                return &value;
        }
        return nullptr;
    }
};

class JsonReader {
public:
    explicit JsonReader(std::string text) : text(std::move(text)) {}

    bool Read(JsonValue& value)
    {
        Blanks();
        if (at >= text.size())
            return false;
        char c = text[at];
        if (c == '{') {
            value.kind = JsonValue::Kind::object;
            ++at;
            Blanks();
            if (Take('}'))
                return true;
            do {
                JsonValue key;
                Blanks();
                if (!Read(key) || key.kind != JsonValue::Kind::text || (Blanks(), !Take(':')))
                    return false;
                JsonValue member;
                if (!Read(member))
                    return false;
                value.members.emplace_back(key.text, std::move(member));
                Blanks();
            } while (Take(','));
            return Take('}');
        }
        if (c == '[') {
            value.kind = JsonValue::Kind::array;
            ++at;
            Blanks();
            if (Take(']'))
                return true;
            do {
                JsonValue item;
                if (!Read(item))
                    return false;
                value.items.push_back(std::move(item));
                Blanks();
            } while (Take(','));
            return Take(']');
        }
        if (c == '"') {
            value.kind = JsonValue::Kind::text;
            ++at;
            while (at < text.size() && text[at] != '"') {
                if (text[at] == '\\' && at + 1 < text.size()) {
                    ++at;
                    if (text[at] == 'u') {
                        // The figures compared here never need the character itself.
                        value.text += '?';
                        at += 5;
                        continue;
                    }
                }
                value.text += text[at++];
            }
            return Take('"');
        }
        size_t start = at;
        while (at < text.size() && std::string(",]} \t\r\n").find(text[at]) == std::string::npos)
            ++at;
        std::string word = text.substr(start, at - start);
        if (word == "null")
            value.kind = JsonValue::Kind::null;
        else if (word == "true" || word == "false")
            value.kind = JsonValue::Kind::boolean;
        else
            value.kind = JsonValue::Kind::number;
        value.text = word;
        return !word.empty();
    }

private:
    void Blanks()
    {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
    }
    bool Take(char c)
    {
        if (at < text.size() && text[at] == c) {
            ++at;
            return true;
        }
        return false;
    }

    std::string text;
    size_t at = 0;
};

double NumberOf(const JsonValue* value)
{
    if (value == nullptr || value->text.empty())
        return 0.0;
    return std::strtod(value->text.c_str(), nullptr);
}

fs::path CorpusFolder()
{
    return fs::path(VEK_SOURCE_DIR) / ".." / "shared" / "sie-corpus";
}

struct CorpusCase {
    fs::path file;       // the SIE file
    std::string name;    // as the expected figures name it
    JsonValue expected;
};

std::vector<CorpusCase> LoadCorpus(const fs::path& folder)
{
    std::vector<CorpusCase> cases;
    fs::path expectedFolder = folder / "expected";
    for (const auto& entry : fs::recursive_directory_iterator(expectedFolder)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".json")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        CorpusCase item;
        JsonReader reader(text.str());
        if (!reader.Read(item.expected))
            continue;
        const JsonValue* name = item.expected.Member("file");
        if (name == nullptr)
            continue;
        item.name = name->text;
        item.file = folder / item.name;
        cases.push_back(std::move(item));
    }
    std::sort(cases.begin(), cases.end(), [](const CorpusCase& a, const CorpusCase& b) { return a.name < b.name; });
    return cases;
}

class SieCorpusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        folder = CorpusFolder();
        if (!fs::is_directory(folder / "expected"))
            GTEST_SKIP() << "the SIE corpus (shared/sie-corpus beside the repository) is not here";
        cases = LoadCorpus(folder);
        ASSERT_FALSE(cases.empty());
    }
    void TearDown() override { ClearError(); }

    fs::path folder;
    std::vector<CorpusCase> cases;
};

// Records the damage the import reports: per message number, the count it gives (@3).
class DamageLog : public MessageHandler {
public:
    int32_t ShowMessage(const Message& message) override
    {
        counts[message.code] = message.textCount > 3 ? std::atoi(message.texts[3]) : 1;
        return 0;
    }
    int32_t IsUnattended() override { return 1; }

    std::map<int32_t, int32_t> counts;
};

TEST_F(SieCorpusTest, EveryFileImportsWithTheReferenceFigures)
{
    constexpr double kCent = 0.005;
    int32_t imported = 0;
    for (const CorpusCase& item : cases) {
        SCOPED_TRACE(item.name);
        const JsonValue* sieType = item.expected.Member("sietyp");
        if (sieType == nullptr || sieType->kind == JsonValue::Kind::null)
            continue;  // not an SIE file: the refusal test has it
        ClearError();
        // Opening a file finds its kind first: every one of these must be told an SIE file.
        BaseFileState state;
        DetectBaseFileType(state, FilePath(item.file.string()));
        EXPECT_EQ(state.kind, kFileSie);
        DamageLog damage;
        std::unique_ptr<Base> base = OpenSieFileAsNewBase(FilePath(item.file.string()));
        ASSERT_NE(base, nullptr) << "pending error " << GetPendingError().message.code;
        ++imported;
        // The checksums that files give match, and the vouchers that do not balance are those the
        // reference found.
        EXPECT_EQ(damage.counts.count(message::kSieChecksum) + damage.counts.count(message::kSieChecksumMissing), 0u);
        const JsonValue* unbalanced = item.expected.Member("unbalanced_vouchers");
        ASSERT_NE(unbalanced, nullptr);
        EXPECT_EQ(damage.counts[message::kSieUnbalanced], int32_t(unbalanced->items.size()));
        SieSummary summary = SummarizeSieBase(*base);

        EXPECT_EQ(summary.voucherCards, int32_t(NumberOf(item.expected.Member("vouchers"))));
        EXPECT_EQ(summary.voucherLines, int32_t(NumberOf(item.expected.Member("trans"))));
        EXPECT_EQ(summary.linesWithoutAccount, 0);
        EXPECT_NEAR(summary.openingTotal, NumberOf(item.expected.Member("ib0_total")), kCent);

        const JsonValue* perAccount = item.expected.Member("per_account");
        ASSERT_NE(perAccount, nullptr);
        for (const auto& [account, sum] : perAccount->members) {
            SCOPED_TRACE("account " + account);
            auto found = summary.accountSums.find(account);
            ASSERT_NE(found, summary.accountSums.end());
            EXPECT_NEAR(found->second, NumberOf(&sum), kCent);
        }
        // Accounts the reference does not list carry nothing.
        for (const auto& [account, sum] : summary.accountSums) {
            if (perAccount->Member(account) == nullptr) {
                EXPECT_NEAR(sum, 0.0, kCent) << "account " << account;
            }
        }
    }
    EXPECT_GE(imported, 20);
}

TEST_F(SieCorpusTest, AFileThatIsNoSieFileIsRefusedWithAMessage)
{
    int32_t refused = 0;
    for (const CorpusCase& item : cases) {
        const JsonValue* sieType = item.expected.Member("sietyp");
        if (sieType == nullptr || sieType->kind != JsonValue::Kind::null)
            continue;
        SCOPED_TRACE(item.name);
        ClearError();
        BaseFileState state;
        DetectBaseFileType(state, FilePath(item.file.string()));
        EXPECT_NE(state.kind, kFileSie);
        std::unique_ptr<Base> base = OpenSieFileAsNewBase(FilePath(item.file.string()));
        EXPECT_EQ(base, nullptr);
        EXPECT_TRUE(IsErrorPending());
        EXPECT_EQ(GetPendingError().message.code, message::kNotSieFile);
        ++refused;
    }
    EXPECT_EQ(refused, 1);
}

std::string WithoutGenLine(std::string text)
{
    size_t gen = text.find("#GEN ");
    if (gen != std::string::npos)
        text.erase(gen, text.find('\n', gen) - gen);
    return text;
}

// Import, export as SIE 4, import the export: the same vouchers, lines and sums.
TEST_F(SieCorpusTest, ExportedCorpusFilesImportToTheSameFigures)
{
    constexpr double kCent = 0.005;
    TestFolder scratch;
    int32_t compared = 0;
    for (const CorpusCase& item : cases) {
        const JsonValue* sieType = item.expected.Member("sietyp");
        if (sieType == nullptr || sieType->kind == JsonValue::Kind::null)
            continue;
        SCOPED_TRACE(item.name);
        ClearError();
        std::unique_ptr<Base> original = OpenSieFileAsNewBase(FilePath(item.file.string()));
        ASSERT_NE(original, nullptr);
        FilePath exported(scratch.Path("export.si"));
        ASSERT_TRUE(SaveSieFile(*original, exported, nullptr));
        std::unique_ptr<Base> again = OpenSieFileAsNewBase(exported);
        ASSERT_NE(again, nullptr);
        ++compared;
        // The export of the export's import is the export itself, but for "#GEN" (guards against
        // voucher texts that grew a "N: " per round and financial years that changed).
        FilePath exportedAgain(scratch.Path("again.si"));
        ASSERT_TRUE(SaveSieFile(*again, exportedAgain, nullptr));
        EXPECT_EQ(WithoutGenLine(scratch.Read("again.si")), WithoutGenLine(scratch.Read("export.si")));

        SieSummary a = SummarizeSieBase(*original);
        SieSummary b = SummarizeSieBase(*again);
        EXPECT_EQ(b.voucherCards, a.voucherCards);
        EXPECT_EQ(b.voucherLines, a.voucherLines);
        EXPECT_NEAR(b.openingTotal, a.openingTotal, kCent);
        ASSERT_EQ(b.accountSums.size(), a.accountSums.size());
        for (const auto& [account, sum] : a.accountSums) {
            SCOPED_TRACE("account " + account);
            auto found = b.accountSums.find(account);
            ASSERT_NE(found, b.accountSums.end());
            EXPECT_NEAR(found->second, sum, kCent);
        }
    }
    EXPECT_GE(compared, 20);
}

}  // namespace
}  // namespace vek
