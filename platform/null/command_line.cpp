// The arguments on Linux and under node: already what the user typed, as
// UTF-8 bytes (see command_line.h).
#include "platform/command_line.h"

Utf8Arguments::Utf8Arguments(int count, char** given) : text(given, given + count)
{
    point();
}
