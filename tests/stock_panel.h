// Reading a stock count off the planting panel as a player reads it: which
// text, drawn on its own, shows exactly the pixels of one colour that a panel
// row shows in columns 116 to 127. Draws into the ScreenBuffer. Test thread.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "gfx/font.h"
#include "gfx/screen_buffer.h"

// The counts a panel row can show, 0 to the whole stock of 36, as text.
inline std::vector<std::string> StockTexts()
{
    std::vector<std::string> texts(37);
    std::generate(texts.begin(), texts.end(), [n = 0]() mutable { return std::to_string(n++); });
    return texts;
}

// Every (text, column) of `candidates` that matches the row at baseline `y` of
// `shown` in `colour`. One answer is a reading; none or several mean the row
// is unreadable.
inline std::vector<std::pair<std::string, int>> ReadPanelRow(const std::vector<int8_t>& shown, int y, int8_t colour,
                                                             const std::vector<std::string>& candidates)
{
    std::vector<std::pair<std::string, int>> readings;
    for (const std::string& text : candidates)
    {
        for (int column = 110; column <= 127; ++column)
        {
            ClearScreenBuffer();
            DrawText(text.c_str(), column, y, colour, 1);
            bool same = true;
            for (int x = 116; x < ScreenWidth && same; ++x)
            {
                for (int row = y; row < y + 5 && same; ++row)
                {
                    same = (shown[PixelOffset(x, row)] == colour) == (ScreenBuffer[PixelOffset(x, row)] == colour);
                }
            }
            if (same)
            {
                readings.emplace_back(text, column);
            }
        }
    }
    return readings;
}

// The stock count panel row `row` shows (tile code row + 1, code 1 at the
// top), or -1 when it is unreadable.
inline int ReadStock(const std::vector<int8_t>& shown, int row)
{
    const auto readings = ReadPanelRow(shown, 85 - 13 * row, 2, StockTexts());
    return readings.size() == 1 ? std::stoi(readings[0].first) : -1;
}
