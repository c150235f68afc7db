// The choice of data folder; the program's location comes from the platform.
#include "app/data_dir.h"

#include <filesystem>
#include <system_error>

#ifndef MIRELANTHA_DATA_FROM_PROGRAM
#error "MIRELANTHA_DATA_FROM_PROGRAM: the data folder relative to the program's folder"
#endif

const char* const DataFromProgram = MIRELANTHA_DATA_FROM_PROGRAM;

namespace
{
constexpr const char* WorkingData = "dat";

bool IsDirectory(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}
}  // namespace

std::string ChooseDataDirectory(const std::string& programPath)
{
    if (IsDirectory(WorkingData) || programPath.empty())
    {
        return WorkingData;
    }
    const std::filesystem::path installed =
        (std::filesystem::u8path(programPath).parent_path() / DataFromProgram).lexically_normal();
    return IsDirectory(installed) ? installed.u8string() : WorkingData;
}

std::string FindDataDirectory()
{
    return ChooseDataDirectory(ProgramFile());
}
