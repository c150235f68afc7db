// The pictures folder on Linux and other XDG desktops: XDG_PICTURES_DIR from
// the user-dirs file in $XDG_CONFIG_HOME (~/.config by default) when that
// folder exists, else the home folder. Nothing is created.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/pictures_folder.h"

#include "app/pictures_folder.h"
#include "platform/file_io.h"

namespace
{
std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
    {
        return home;
    }
    // getpwuid is not thread-safe: its reentrant form, with room to spare.
    std::vector<char> buffer(16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
    {
        return found->pw_dir;
    }
    return {};
}
}  // namespace

std::string PicturesFolder()
{
    const std::string home = HomeFolder();
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string configFolder =
        config && config[0] == '/' ? std::string(config) : home.empty() ? std::string() : home + "/.config";
    std::vector<uint8_t> text;
    if (!configFolder.empty())
    {
        ReadRegularFile((configFolder + "/user-dirs.dirs").c_str(), 65536, text);
    }
    const std::string pictures = PicturesFolderFromUserDirs(std::string(text.begin(), text.end()), home);
    return !pictures.empty() && IsDirectory(pictures.c_str()) ? pictures : home;
}
