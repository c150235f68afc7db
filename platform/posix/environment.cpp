// The environment through POSIX (see environment.h).
#include "platform/environment.h"

#include <cstdlib>

void SetEnvironment(const char* name, const char* value)
{
    value ? setenv(name, value, 1) : unsetenv(name);
}
