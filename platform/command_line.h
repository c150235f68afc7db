// A console program's arguments in UTF-8, whatever the system hands to main.
// On Linux and under node that is argv as it stands (null/); on Windows
// main's argv is in the ANSI code page, which cannot spell most names, so the
// arguments are read again from the wide command line (windows/). Main
// thread, in main.
#pragma once

#include <string>
#include <vector>

// Use in place of main's own arguments:
//
//     int main(int argc, char** argv)
//     {
//         const Utf8Arguments arguments(argc, argv);
//         ... arguments.argc, arguments.argv ...
class Utf8Arguments
{
public:
    Utf8Arguments(int argc, char** argv);
    Utf8Arguments(const Utf8Arguments&) = delete;
    Utf8Arguments& operator=(const Utf8Arguments&) = delete;

    int argc = 0;
    char** argv = nullptr;  // argc entries and a null pointer, alive as long as this

private:
    std::vector<std::string> text;
    std::vector<char*> pointers;

    // Points argc and argv at `text`.
    void point()
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
};
