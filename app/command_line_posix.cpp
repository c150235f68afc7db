// The arguments on Linux: already what the user typed, as bytes (see
// command_line.h).
#include "app/command_line.h"

Utf8Arguments::Utf8Arguments(int count, char** given) : text(given, given + count)
{
    point();
}
