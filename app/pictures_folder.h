// The player's pictures folder: where screenshots go when the working folder
// cannot take them (a game in a read-only folder, or started from one).
#pragma once

#include <string>

// The pictures folder as the system names it: on Linux the XDG pictures
// directory when it exists, else the home folder; on Windows the Pictures
// known folder. UTF-8 on Windows. Empty when the system names none. One
// implementation per platform (pictures_folder_posix.cpp,
// pictures_folder_win32.cpp). Any thread; reads the environment.
std::string PicturesFolder();

// The pictures folder an XDG user-dirs file names (the text of
// ~/.config/user-dirs.dirs, shell assignments such as
// XDG_PICTURES_DIR="$HOME/Pictures"), with "$HOME" standing for `home`; the
// last valid assignment counts. Empty when the text names none or names
// one that is neither absolute nor under $HOME.
std::string PicturesFolderFromUserDirs(const std::string& userDirs, const std::string& home);
