#include "platform/DataPath.h"

#include <filesystem>
#include <system_error>

namespace {
std::string& Directory()
{
    static std::string directory;
    return directory;
}
} // namespace

const std::string& DataDirectory() { return Directory(); }

void SetDataDirectory(std::string directory)
{
    if (!directory.empty() && directory.back() != '/')
        directory += '/';
    Directory() = std::move(directory);
}

std::string ProgramDirectory()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return "./";
    std::string folder = self.parent_path().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string DataFile(const std::string& name) { return DataDirectory() + name; }
