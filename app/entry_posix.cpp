// The entry point on Linux. The command line has no meaning and is ignored.
#include "app/entry.h"

int main(int, char**)
{
    return RunGame();
}
