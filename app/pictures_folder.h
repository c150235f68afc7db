// The player's pictures folder: where screenshots go when the working folder
// cannot take them (a game in a read-only folder, or started from one). The
// system names it (platform/pictures_folder.h); on Linux through the XDG
// user-dirs file this reads.
#pragma once

#include <string>

// The pictures folder an XDG user-dirs file names (the text of
// ~/.config/user-dirs.dirs, shell assignments such as
// XDG_PICTURES_DIR="$HOME/Pictures"), with "$HOME" standing for `home`; the
// last valid assignment counts. Empty when the text names none or names
// one that is neither absolute nor under $HOME.
std::string PicturesFolderFromUserDirs(const std::string& userDirs, const std::string& home);
