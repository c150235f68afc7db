// The program's own file in the browser: there is none. The data comes with
// the page, packed into its file system as "dat" in the working directory.
#include <string>

#include "platform/program_file.h"

std::string ProgramFile()
{
    return {};
}
