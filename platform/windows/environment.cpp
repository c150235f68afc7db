// The environment through the C runtime (see environment.h).
#include "platform/environment.h"

#include <cstdlib>

void SetEnvironment(const char* name, const char* value)
{
    _putenv_s(name, value ? value : "");  // empty removes it
}
