// The line reader both text scripts share (the replay tool's key log and the
// sound-effect scripts): lines split into blank-separated words, blank lines
// and comments skipped, and the bounds that keep a hostile file from costing
// more than a real one. Any thread; no globals.
//
// A blank is a space, a tab or a carriage return; a line whose first
// non-blank character is '#' is a comment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Bounds of a script file and of one of its lines, in bytes. Real scripts are
// a few kilobytes with lines of a few dozen characters.
constexpr size_t MaxScriptBytes = 16u << 20;
constexpr size_t MaxScriptLineBytes = 4096;

constexpr int MaxScriptWords = 8;

struct ScriptLine
{
    uint32_t number;   // from 1
    int wordCount;     // every word of the line, also those past MaxScriptWords
    std::string_view words[MaxScriptWords];
};

class ScriptLineReader
{
public:
    explicit ScriptLineReader(std::string_view text) : text(text) {}

    // The next line that has words. False at the end of the text, and at a
    // line longer than MaxScriptLineBytes, which tooLong() then reports with
    // its number in `line`.
    bool next(ScriptLine& line);
    bool tooLong() const { return lineTooLong; }

private:
    std::string_view text;
    size_t at = 0;
    uint32_t number = 0;
    bool lineTooLong = false;
};

// A plain decimal number of digits only (no sign, blank or prefix), at most
// `limit`.
bool ParseDecimal(std::string_view word, uint64_t limit, uint64_t& value);
