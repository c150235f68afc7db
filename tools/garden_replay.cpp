// garden-replay: plays one garden game headless from a seed and a key log and
// prints its state as JSON lines; optionally renders the printed iterations
// as PNG frames through the game's own draw.
//
//     garden-replay --seed S --ticks N [--events FILE] [--every K] [--frames DIR]
//
// Exit codes: 0 done, 1 a frame could not be written, 2 bad arguments or a
// malformed events file (reported with file and line on stderr).
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/garden_replay.h"
#include "gfx/palette.h"
#include "gfx/screen_buffer.h"

#include <stb_image_write.h>  // Required for: stbi_write_png()

namespace
{

struct Options
{
    uint32_t seed = 0;
    uint64_t ticks = 0;
    uint64_t every = 1;
    std::string eventsFile;
    std::string framesDir;
};

void PrintUsage()
{
    std::fprintf(stderr,
                 "usage: garden-replay --seed S --ticks N [--events FILE] [--every K] "
                 "[--frames DIR]\n");
}

// A plain decimal number within [low, high].
bool ParseCount(const char* text, uint64_t low, uint64_t high, uint64_t& value)
{
    if (text == nullptr || *text == '\0')
    {
        return false;
    }
    value = 0;
    for (const char* c = text; *c != '\0'; ++c)
    {
        if (*c < '0' || *c > '9')
        {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(*c - '0');
        if (value > high)
        {
            return false;
        }
    }
    return value >= low;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    bool haveSeed = false;
    bool haveTicks = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string name = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        uint64_t number = 0;
        if (name == "--seed" && ParseCount(value, 0, UINT32_MAX, number))
        {
            options.seed = static_cast<uint32_t>(number);
            haveSeed = true;
        }
        else if (name == "--ticks" && ParseCount(value, 0, UINT32_MAX, number))
        {
            options.ticks = number;
            haveTicks = true;
        }
        else if (name == "--every" && ParseCount(value, 1, UINT32_MAX, number))
        {
            options.every = number;
        }
        else if (name == "--events" && value != nullptr)
        {
            options.eventsFile = value;
        }
        else if (name == "--frames" && value != nullptr)
        {
            options.framesDir = value;
        }
        else
        {
            std::fprintf(stderr, "garden-replay: bad or missing value for '%s'\n", argv[i]);
            return false;
        }
        ++i;
    }
    if (!haveSeed || !haveTicks)
    {
        std::fprintf(stderr, "garden-replay: --seed and --ticks are required\n");
        return false;
    }
    return true;
}

bool LoadEvents(const std::string& path, std::vector<ReplayEvent>& events)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
    {
        std::fprintf(stderr, "%s: cannot read: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    std::stringstream text;
    text << file.rdbuf();
    uint32_t line = 0;
    std::string error;
    if (!ParseReplayEvents(text.str(), events, line, error))
    {
        std::fprintf(stderr, "%s:%u: %s\n", path.c_str(), line, error.c_str());
        return false;
    }
    return true;
}

uint8_t ColourByte(float component)
{
    const float scaled = component * 255.0f + 0.5f;
    if (scaled <= 0.0f)
    {
        return 0;
    }
    return scaled >= 255.0f ? 255 : static_cast<uint8_t>(scaled);
}

// Draws the mode into a cleared ScreenBuffer and writes it as a 128 x 96 RGB
// PNG, top row first, in the base colours (anything but 0..9 is black).
bool WriteFrame(GameTitle& mode, const std::string& dir, uint64_t iteration)
{
    for (int8_t& pixel : ScreenBuffer)
    {
        pixel = 0;
    }
    mode.draw();

    static uint8_t rgb[ScreenPixels * 3];
    for (int row = 0; row < ScreenHeight; ++row)
    {
        const int y = ScreenHeight - 1 - row;
        for (int x = 0; x < ScreenWidth; ++x)
        {
            const int8_t index = ScreenBuffer[PixelOffset(x, y)];
            uint8_t* out = &rgb[(row * ScreenWidth + x) * 3];
            for (int k = 0; k < 3; ++k)
            {
                out[k] = index >= 0 && index < PaletteColours ? ColourByte(BasePalette[index][k]) : 0;
            }
        }
    }
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06llu.png", static_cast<unsigned long long>(iteration));
    const std::string path = dir + name;
    if (stbi_write_png(path.c_str(), ScreenWidth, ScreenHeight, 3, rgb, ScreenWidth * 3) == 0)
    {
        std::fprintf(stderr, "garden-replay: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool Report(GardenReplay& replay, const Options& options)
{
    const std::string line = replay.stateJson();
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    if (!options.framesDir.empty())
    {
        return WriteFrame(replay.mode(), options.framesDir, replay.iteration());
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options))
    {
        PrintUsage();
        return 2;
    }
    std::vector<ReplayEvent> events;
    if (!options.eventsFile.empty() && !LoadEvents(options.eventsFile, events))
    {
        return 2;
    }

    GardenReplay replay(options.seed, std::move(events));
    if (!Report(replay, options))
    {
        return 1;
    }
    for (uint64_t i = 1; i <= options.ticks; ++i)
    {
        replay.step();
        if (i % options.every == 0 || i == options.ticks)
        {
            if (!Report(replay, options))
            {
                return 1;
            }
        }
    }
    return 0;
}
