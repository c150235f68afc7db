// A figure of this process's memory as Linux counts it, in kB: a field of
// /proc/self/status such as "VmHWM:" (the peak) or "VmRSS:"; -1 elsewhere.
#pragma once

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

inline long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
    {
        if (line.rfind(field, 0) == 0)
        {
            return std::atol(line.c_str() + std::strlen(field));
        }
    }
    return -1;
}
