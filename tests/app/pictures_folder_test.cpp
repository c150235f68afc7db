// Where screenshots go when the working folder cannot take them: the folder
// an XDG user-dirs file names for pictures, as desktops write that file and
// as players edit it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/pictures_folder.h"

TEST(PicturesFolder, TheUserDirsFileNamesItUnderHomeOrAbsolutelyAndTheLastValidLineCounts)
{
    const std::string home = "/home/gärtner";
    const std::vector<std::pair<std::string, std::string>> cases = {
        // As xdg-user-dirs-update writes it, in a translated desktop.
        {"# This file is written by xdg-user-dirs-update\n"
         "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
         "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n",
         "/home/gärtner/Bilder"},
        {"XDG_PICTURES_DIR=\"/srv/pictures/\"\n", "/srv/pictures"},
        {"  XDG_PICTURES_DIR = \"${HOME}/My \\\"Pictures\\\"\"", "/home/gärtner/My \"Pictures\""},
        // Set to the home folder itself: no folder of its own.
        {"XDG_PICTURES_DIR=\"$HOME/\"\n", "/home/gärtner"},
        // The last valid assignment wins; broken ones are passed over.
        {"XDG_PICTURES_DIR=\"$HOME/one\"\nXDG_PICTURES_DIR=\"$HOME/two\"\n", "/home/gärtner/two"},
        {"XDG_PICTURES_DIR=\"$HOME/one\"\nXDG_PICTURES_DIR=\"relative\"\nXDG_PICTURES_DIR=\"$HOME/open\n",
         "/home/gärtner/one"},
        {"# XDG_PICTURES_DIR=\"$HOME/commented\"\nXDG_PICTURES_DIRS=\"/x\"\nXDG_PICTURES_DIR=$HOME/unquoted\n", ""},
        {"XDG_PICTURES_DIR=\"$HOMEWORK/x\"\n", ""},
        {"", ""},
    };
    for (const auto& [text, folder] : cases)
    {
        EXPECT_EQ(PicturesFolderFromUserDirs(text, home), folder) << text;
    }
    EXPECT_EQ(PicturesFolderFromUserDirs("XDG_PICTURES_DIR=\"$HOME/Pictures\"", ""), "") << "no home";
}
