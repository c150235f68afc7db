// The entry point on Linux. The command line has no meaning and is ignored.
#include "platform/entry.h"

int main(int, char**)
{
    return RunGame();
}
