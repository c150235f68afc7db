// What both systems' arguments share (see command_line.h).
#include "app/command_line.h"

void Utf8Arguments::point()
{
    pointers.clear();
    for (std::string& argument : text)
    {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    argc = static_cast<int>(text.size());
    argv = pointers.data();
}
