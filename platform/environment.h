// Changing the process's environment, which SDL 1.2 reads its driver
// choices from. posix/ with setenv, windows/ with the C runtime's own
// _putenv_s (SDL.dll reads the runtime's copy). Main thread.
#pragma once

// Sets name to value, or removes it when value is null.
void SetEnvironment(const char* name, const char* value);
