// TestFolder: a scratch folder for one test, with HOME and XDG_CONFIG_HOME pointed into it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// A scratch folder for one test, removed with everything in it at the end. HOME and XDG_CONFIG_HOME
// point into it while it lives, so that nothing a test does reaches the real home folder.
class TestFolder {
public:
    TestFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vek-platform-XXXXXX").string();
        root = mkdtemp(pattern.data()) ? pattern : std::string();
        std::filesystem::create_directories(root + "/home");
        setenv("HOME", (root + "/home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (root + "/shared").c_str(), 1);
    }
    ~TestFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The absolute path of a name inside the folder.
    std::string Path(std::string_view name) const { return root + "/" + std::string(name); }
    std::string Write(std::string_view name, std::string_view bytes) const
    {
        std::string path = Path(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string Read(std::string_view name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Names in the folder (not below), for checks that no temporary file was left behind.
    int CountEntries(std::string_view folder = "") const
    {
        int count = 0;
        for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(Path(folder)))
            ++count;
        return count;
    }
    const std::string& Root() const { return root; }

private:
    std::string root;
};
