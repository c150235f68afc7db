// A page has no pictures folder: its screenshots are handed to the browser as
// downloads, and the browser puts them where the player keeps downloads.
#include "platform/pictures_folder.h"

std::string PicturesFolder()
{
    return {};
}
