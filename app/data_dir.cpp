// The choice of data folder; the program's location comes from the platform.
#include "app/data_dir.h"
#include "platform/program_file.h"

#include <filesystem>
#include <system_error>

#include "audio/samples.h"
#include "platform/file_io.h"

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

bool HoldsGameData(const std::string& folder)
{
    // Anything under the name counts, also what the game cannot read: a
    // damaged data folder is still the game's.
    if (NameTaken((folder + "/lh0.txt").c_str()))
    {
        return true;
    }
    for (const char* name : SampleNames)
    {
        if (NameTaken((folder + "/samples/" + name + ".ogg").c_str()))
        {
            return true;
        }
    }
    return false;
}

std::string ChooseDataDirectory(const std::string& programPath)
{
    if ((IsDirectory(WorkingData) && HoldsGameData(WorkingData)) || programPath.empty())
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
