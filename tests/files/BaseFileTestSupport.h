// Helpers of the base-file tests: scratch folders, logged messages and handlers that answer.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"

namespace vek::test {

// A scratch folder for one test, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vek-files-XXXXXX").string();
        root = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string Path(std::string_view name) const { return root + "/" + std::string(name); }
    std::string Write(std::string_view name, std::string_view bytes) const
    {
        std::string path = Path(name);
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string Read(std::string_view name) const { return ReadFileBytes(Path(name)); }
    int CountEntries() const
    {
        int count = 0;
        for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(root))
            ++count;
        return count;
    }

    static std::string ReadFileBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string root;
};

// A file of tests/fixtures/base.
inline std::string FixturePath(std::string_view name)
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/base/" + std::string(name);
}

// A text base as a test writes it: the UTF-8 mark, lines joined by CR.
inline std::string TextBase(std::initializer_list<std::string_view> lines)
{
    std::string text = "\xEF\xBB\xBF";
    for (std::string_view line : lines) {
        text += line;
        text += '\r';
    }
    return text;
}

// A text base as the program saves it: the header line, an empty line, the "##Characters" section
// of a text file and then the lines given.
inline std::string SavedTextBase(std::initializer_list<std::string_view> lines)
{
    std::string text = TextBase({"##VEK-Text\t121122", "", "##Characters",
                                 "U\t\u00c4\u00c1\u00c0\u00c2\u00c3\u00c6\u00c5 \u00cb\u00c9\u00c8\u00ca "
                                 "\u00cf\u00cd\u00cc\u00ce \u00d6\u00d3\u00d2\u00d4\u00d5\u00d8\u0152\u00dc"
                                 "\u00da\u00d9\u00db \u00c7\u00d1",
                                 "L\t\u00e4\u00e1\u00e0\u00e2\u00e3\u00e6\u00e5 \u00eb\u00e9\u00e8\u00ea "
                                 "\u00ef\u00ed\u00ec\u00ee \u00f6\u00f3\u00f2\u00f4\u00f5\u00f8\u0153\u00fc"
                                 "\u00fa\u00f9\u00fb \u00e7\u00f1",
                                 "X\t\u00b1\u00ac\u00f7\u2248\u2260\u00ab\u00bb \u0192\u222b\u221a\u03c0\u220f"
                                 "\u2211 \u00a2\u00a3\u00a7\u2202\u00df\u00b5\u00b6\u00a5\u20ac \u00aa\u00ba"
                                 "\u00a9\u00ae\u00bf\u00a1\u00b4`\u00a8\u00b0\u2030\u2122\u2020\u2021\u2026"
                                 "\u00a0\u2018\u2019\u201c\u201d",
                                 ""});
    for (std::string_view line : lines) {
        text += line;
        text += '\r';
    }
    return text;
}

// The open bases in chain order.
inline std::vector<Base*> OpenBases()
{
    std::vector<Base*> bases;
    for (Base* base = Base::FirstBase(); base != nullptr; base = base->NextBase())
        bases.push_back(base);
    return bases;
}

// Records every message shown while it lives (code and formatted text), answering with the preset.
class MessageLog : public MessageHandler {
public:
    int32_t ShowMessage(const Message& message) override
    {
        codes.push_back(message.code);
        String text;
        message.Format(text);
        texts.emplace_back(text.CStr());
        return message.answer;
    }
    int32_t IsUnattended() override { return 1; }

    std::vector<int32_t> codes;
    std::vector<std::string> texts;
};

// Answers every message with one button and records the codes. `unattended` is its answer to whether
// nobody is there to answer questions (QueryUnattended).
class AnsweringHandler : public MessageHandler {
public:
    explicit AnsweringHandler(int32_t answer, int32_t unattended = 0) : answer(answer), unattended(unattended) {}
    int32_t ShowMessage(const Message& message) override
    {
        codes.push_back(message.code);
        return answer;
    }
    int32_t IsUnattended() override { return unattended; }

    int32_t answer;
    int32_t unattended;
    std::vector<int32_t> codes;
};

}  // namespace vek::test
