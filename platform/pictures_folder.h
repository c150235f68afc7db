// The player's pictures folder as the system names it: where screenshots go
// when the working folder cannot take them. posix/: the XDG pictures
// directory when it exists, else the home folder; windows/: the Pictures
// known folder; null/: none (the browser hands pictures out as downloads).
// Any thread; reads the environment.
#pragma once

#include <string>

// UTF-8; empty when the system names none.
std::string PicturesFolder();
