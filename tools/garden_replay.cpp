// garden-replay: plays one garden game headless from a seed and a key log and
// prints its state as JSON lines; optionally renders the printed iterations
// as PNG frames through the game's own draw.
//
//     garden-replay --seed S --ticks N [--events FILE] [--every K] [--frames DIR]
//
// Exit codes: 0 done, 1 a frame or the standard output could not be written,
// 2 bad arguments or an events file that is not a regular file, is too large
// or is malformed (reported with file and line on stderr). Frames are written
// whole or not at all, replacing only regular files of earlier runs.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "audio/script_lines.h"
#include "game/garden_replay.h"
#include "platform/file_io.h"
#include "gfx/palette.h"
#include "gfx/png_file.h"
#include "gfx/screen_buffer.h"

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
    return text != nullptr && ParseDecimal(text, high, value) && value >= low;
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
    std::vector<uint8_t> bytes;
    ReadStatus status = ReadRegularFile(path.c_str(), MaxScriptBytes, bytes);
    if (status != ReadStatus::Read)
    {
        std::fprintf(stderr, "garden-replay: %s %s%s\n", path.c_str(), ReadStatusText(status),
                     status == ReadStatus::TooLarge ? " (more than 16 MiB)" : "");
        return false;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    uint32_t line = 0;
    std::string error;
    if (!ParseReplayEvents(text, events, line, error))
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
    std::string why;
    if (!WritePngFile(path, ScreenWidth, ScreenHeight, 3, rgb, false, &why))
    {
        std::fprintf(stderr, "garden-replay: cannot write %s: %s\n", path.c_str(), why.c_str());
        return false;
    }
    return true;
}

bool Report(GardenReplay& replay, const Options& options)
{
    const std::string line = replay.stateJson() + "\n";
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size())
    {
        return false;  // reported once, at the end
    }
    if (!options.framesDir.empty())
    {
        return WriteFrame(replay.mode(), options.framesDir, replay.iteration());
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const Utf8Arguments arguments(argc, argv);  // names in UTF-8 on every system
    Options options;
    if (!ParseOptions(arguments.argc, arguments.argv, options))
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
    bool reported = Report(replay, options);
    for (uint64_t i = 1; i <= options.ticks && reported; ++i)
    {
        replay.step();
        if (i % options.every == 0 || i == options.ticks)
        {
            reported = Report(replay, options);
        }
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
    {
        std::fprintf(stderr, "garden-replay: cannot write the standard output: %s\n", std::strerror(errno));
        return 1;
    }
    return reported ? 0 : 1;
}
