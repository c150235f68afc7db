// The running program's own file, from which the installed data folder is
// found (app/data_dir.h). One implementation per platform: posix/ reads
// /proc/self/exe, windows/ asks for the module's file name, null/ knows
// none (the browser's page carries its data in itself). Any thread.
#pragma once

#include <string>

// An absolute path in UTF-8, or empty when the system cannot say.
std::string ProgramFile();
