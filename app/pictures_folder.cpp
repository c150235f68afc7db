// Reading the XDG user-dirs file; where it is found is the platform's business.
#include "app/pictures_folder.h"

#include <sstream>

namespace
{
constexpr const char* PicturesKey = "XDG_PICTURES_DIR";

// The value of a double-quoted shell word starting at `at` (the opening
// quote), with backslash escapes undone; false when the quote never closes.
bool QuotedValue(const std::string& line, size_t at, std::string& value)
{
    value.clear();
    for (size_t i = at + 1; i < line.size(); i++)
    {
        if (line[i] == '"')
        {
            return true;
        }
        if (line[i] == '\\' && i + 1 < line.size())
        {
            i++;
        }
        value += line[i];
    }
    return false;
}

// "$HOME/x" or "${HOME}/x" made absolute; other values must be absolute
// already. A folder set to $HOME itself means "no folder of its own": the
// home folder.
std::string Expand(const std::string& value, const std::string& home)
{
    for (const std::string variable : {"$HOME", "${HOME}"})
    {
        if (value.compare(0, variable.size(), variable) == 0 &&
            (value.size() == variable.size() || value[variable.size()] == '/'))
        {
            return home.empty() ? std::string() : home + value.substr(variable.size());
        }
    }
    return !value.empty() && value[0] == '/' ? value : std::string();
}
}  // namespace

std::string PicturesFolderFromUserDirs(const std::string& userDirs, const std::string& home)
{
    std::string folder;
    std::istringstream lines(userDirs);
    std::string line;
    while (std::getline(lines, line))
    {
        size_t at = line.find_first_not_of(" \t");
        if (at == std::string::npos || line.compare(at, std::string(PicturesKey).size(), PicturesKey) != 0)
        {
            continue;
        }
        at = line.find_first_not_of(" \t", at + std::string(PicturesKey).size());
        if (at == std::string::npos || line[at] != '=')
        {
            continue;
        }
        at = line.find_first_not_of(" \t", at + 1);
        std::string value;
        if (at == std::string::npos || line[at] != '"' || !QuotedValue(line, at, value))
        {
            continue;
        }
        std::string expanded = Expand(value, home);
        while (expanded.size() > 1 && expanded.back() == '/')
        {
            expanded.pop_back();
        }
        if (!expanded.empty())
        {
            folder = expanded;
        }
    }
    return folder;
}
