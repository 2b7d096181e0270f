// What the batch-operation tests share: the fixture base, its saved bytes, a fixed change stamp.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "analysis/AnalysisComputation.h"
#include "analysis/AnalysisHost.h"
#include "analysis/batch/BatchLineSource.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "model/base/Base.h"
#include "model/templates/Template.h"
#include "platform/FilePath.h"

namespace vek::batchtest {

// A file of tests/fixtures/batch.
inline std::string BatchFixture(const char* name)
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/batch/" + name;
}

inline std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes the base saves as (a pending error, which a save would stop for, is kept aside).
inline std::string SavedBytes(Base& base)
{
    PreservedErrorState keep;
    ClearError();
    std::string folder = (std::filesystem::temp_directory_path() / "vek-batch-XXXXXX").string();
    if (!mkdtemp(folder.data()))
        return std::string();
    std::string path = folder + "/saved.vkx";
    std::string bytes;
    if (SaveBaseFile(base, FilePath(path.c_str()), nullptr))
        bytes = FileBytes(path);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return bytes;
}

// The stamp every fixture run uses: 2 January 2025, "TST".
inline StampedText FixtureStamp()
{
    StampedText stamp;
    stamp.timestamp = MakePackedTimestamp(2025, 1, 2, 0, 0);
    stamp.code[0] = 'T';
    stamp.code[1] = 'S';
    stamp.code[2] = 'T';
    return stamp;
}

// The fixture base with one template computed over the whole base.
class BatchFixtureBase {
public:
    explicit BatchFixtureBase(const char* templatePath = "All cards")
    {
        ClearError();
        ok = ReadBaseFile(base, FilePath(BatchFixture("before.vkx").c_str()), nullptr, 0);
        if (!ok)
            return;
        Template* node = base.FindTemplate(templatePath);
        ok = node != nullptr;
        if (!ok)
            return;
        computation = MakeAnalysisComputation(*node);
        ok = computation != nullptr;
        if (!ok)
            return;
        computation->SetPeriod(AnalysisPeriod{});
        computation->Compute(host);
        ok = !IsErrorPending();
        source = std::make_unique<ComputationLineSource>(*computation, templatePath);
    }

    Base base{FilePath(), 1};
    AnalysisHost host;
    std::unique_ptr<AnalysisComputation> computation;
    std::unique_ptr<ComputationLineSource> source;
    bool ok = false;
};

}  // namespace vek::batchtest

#include <cstdio>
#include <vector>

#include "foundation/numbers/CardKey.h"
#include "foundation/strings/String.h"

namespace vek::batchtest {

// The code of a formatted component ("1910 Cash" gives "1910").
inline std::string CodeOnly(const String& formatted)
{
    std::string text(formatted.CStr());
    return text.substr(0, text.find(' '));
}

// Every card as one text: "key title | group: account amount units text; ..." (components by code).
inline std::vector<std::string> CardTexts(const Base& base)
{
    std::vector<std::string> out;
    for (const Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
        CardKey key;
        base.GetCardKey(card, key);
        String keyText;
        FormatCardKeyPlain(keyText, key);
        std::string text = std::string(keyText.CStr()) + " " + (card->title ? card->title : "") + " |";
        for (const CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
            String groupCode;
            base.FormatComponentPlain(groupCode, base.ComponentAt(uint32_t(group->key)), 0);
            text += " " + CodeOnly(groupCode) + ":";
            for (const CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
                String account;
                base.FormatComponentPlain(account, base.ComponentAt(base.GetLineComponent(line, 0)), 1);
                char values[64];
                std::snprintf(values, sizeof values, " %g %g", base.GetLineValue(line, 0), base.GetLineValue(line, 1));
                text += " " + CodeOnly(account) + values;
                if (line->Text())
                    text += std::string(" ") + line->Text();
                text += ";";
            }
        }
        out.push_back(text);
    }
    return out;
}

}  // namespace vek::batchtest
