#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Message.h"
#include "foundation/PendingError.h"
#include "foundation/String.h"
#include "model/Base.h"

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

}  // namespace vek::test
