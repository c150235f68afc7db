// Text at the edge of Windows: the program keeps every name in UTF-8, and
// the wide (UTF-16) calls of Windows get and give them converted here. The
// narrow "ANSI" calls are never used for names: their code page cannot spell
// most of the world's folder names. Any thread.
#pragma once

#include <string>

// Empty for empty input and for text that is not valid UTF-8 (which names no
// file, so nothing is opened in its place).
std::wstring WideFromUtf8(const std::string& text);

// Unpaired surrogates, which Windows allows in names, become U+FFFD.
std::string Utf8FromWide(const wchar_t* text, size_t length);
std::string Utf8FromWide(const std::wstring& text);
