// The arguments under node: already UTF-8, as node hands them over (see
// command_line.h).
#include "app/command_line.h"

Utf8Arguments::Utf8Arguments(int count, char** given) : text(given, given + count)
{
    point();
}
