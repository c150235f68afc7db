// audio-render: exports the game's music (and scripted sound effects) to a WAV
// file, with no audio device and no loader thread.
//
//     audio-render --seed S --seconds T --music title|planting|garden
//                  [--samples DIR | --no-samples] [--sfx FILE] --out OUT.wav
//
// One thread plays both roles the game splits between two: before each mixer
// callback it runs the game side (the scripted sound effects of that callback,
// then AudioUpdate), then it runs AudioCallback on a 2048-frame buffer, exactly
// as the device would ask for it. The same seed gives the same file.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "audio/mixer.h"
#include "audio/samples.h"
#include "audio/script_lines.h"
#include "audio/sfx_script.h"
#include "platform/threads.h"
#include "platform/file_io.h"

namespace
{
constexpr int SampleRate = 44100;
constexpr int CallbackFrames = 2048;  // the device's buffer size
constexpr int FrameBytes = 4;         // 16-bit stereo
constexpr double MaxSeconds = 3600.0; // keeps the WAV under its 4 GB limit

enum class Music
{
    Title,
    Planting,
    Garden,
};

struct Options
{
    unsigned seed = 0;
    double seconds = 0.0;
    Music music = Music::Title;
    bool haveSeed = false;
    bool haveSeconds = false;
    bool haveMusic = false;
    bool loadSamples = true;
    std::string sampleDirectory = "dat/samples";
    std::string sfxFile;
    std::string outFile;
};

// What the game side reports to AudioUpdate: no real mode exists here.
Music RenderedMusic = Music::Title;

bool RenderModeActive()
{
    return RenderedMusic != Music::Title;
}

bool RenderPlanting()
{
    return RenderedMusic != Music::Garden;
}

int Usage(const char* message)
{
    std::fprintf(stderr, "audio-render: %s\n", message);
    std::fprintf(stderr,
                 "usage: audio-render --seed S --seconds T --music title|planting|garden\n"
                 "                    [--samples DIR | --no-samples] [--sfx FILE] --out OUT.wav\n");
    return 2;
}

bool ParseSeed(const char* text, unsigned& seed)
{
    uint64_t value = 0;
    if (!ParseDecimal(text, 0xFFFFFFFFull, value))
    {
        return false;
    }
    seed = static_cast<unsigned>(value);
    return true;
}

// Digits with at most one decimal point among them: no sign, exponent,
// hexadecimal, "inf" or "nan".
bool ParseSeconds(const char* text, double& seconds)
{
    int digits = 0;
    int points = 0;
    for (const char* c = text; *c != '\0'; ++c)
    {
        digits += *c >= '0' && *c <= '9';
        points += *c == '.';
        if ((*c < '0' || *c > '9') && *c != '.')
        {
            return false;
        }
    }
    if (digits == 0 || points > 1)
    {
        return false;
    }
    double value = std::strtod(text, nullptr);
    if (value > MaxSeconds)
    {
        return false;
    }
    seconds = value;
    return true;
}

bool ParseMusic(const std::string& text, Music& music)
{
    if (text == "title")
    {
        music = Music::Title;
    }
    else if (text == "planting")
    {
        music = Music::Planting;
    }
    else if (text == "garden")
    {
        music = Music::Garden;
    }
    else
    {
        return false;
    }
    return true;
}

// Returns 0 when the options are complete, else the exit code after a message.
int ParseOptions(int argc, char** argv, Options& options)
{
    bool sawSamples = false;
    for (int i = 1; i < argc; ++i)
    {
        std::string flag = argv[i];
        if (flag == "--no-samples")
        {
            if (sawSamples)
            {
                return Usage("--samples and --no-samples exclude each other");
            }
            options.loadSamples = false;
            continue;
        }
        if (i + 1 >= argc)
        {
            return Usage(("missing value after " + flag).c_str());
        }
        const char* value = argv[++i];
        if (flag == "--seed")
        {
            if (!ParseSeed(value, options.seed))
            {
                return Usage("--seed takes a decimal integer from 0 to 4294967295");
            }
            options.haveSeed = true;
        }
        else if (flag == "--seconds")
        {
            if (!ParseSeconds(value, options.seconds))
            {
                return Usage("--seconds takes a decimal number from 0 to 3600");
            }
            options.haveSeconds = true;
        }
        else if (flag == "--music")
        {
            if (!ParseMusic(value, options.music))
            {
                return Usage("--music takes title, planting or garden");
            }
            options.haveMusic = true;
        }
        else if (flag == "--samples")
        {
            sawSamples = true;
            options.sampleDirectory = value;
            if (!IsDirectory(value))
            {
                return Usage(("--samples: " + options.sampleDirectory + " is not a folder").c_str());
            }
        }
        else if (flag == "--sfx")
        {
            options.sfxFile = value;
        }
        else if (flag == "--out")
        {
            options.outFile = value;
        }
        else
        {
            return Usage(("unknown option " + flag).c_str());
        }
    }
    if (sawSamples && !options.loadSamples)
    {
        return Usage("--samples and --no-samples exclude each other");
    }
    if (!options.haveSeed || !options.haveSeconds || !options.haveMusic || options.outFile.empty())
    {
        return Usage("--seed, --seconds, --music and --out are required");
    }
    return 0;
}

void PutLe16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t value)
{
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

// RIFF/WAVE header of 16-bit stereo PCM at 44100 Hz with `dataBytes` of frames.
std::vector<uint8_t> WavHeader(uint32_t dataBytes)
{
    std::vector<uint8_t> header;
    auto tag = [&header](const char* fourCc) { header.insert(header.end(), fourCc, fourCc + 4); };
    tag("RIFF");
    PutLe32(header, 36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    PutLe32(header, 16);                        // fmt chunk size
    PutLe16(header, 1);                         // PCM
    PutLe16(header, 2);                         // channels
    PutLe32(header, SampleRate);
    PutLe32(header, SampleRate * FrameBytes);   // bytes per second
    PutLe16(header, FrameBytes);                // block align
    PutLe16(header, 16);                        // bits per sample
    tag("data");
    PutLe32(header, dataBytes);
    return header;
}

}  // namespace

int main(int argc, char** argv)
{
    const Utf8Arguments arguments(argc, argv);  // names in UTF-8 on every system
    Options options;
    if (int code = ParseOptions(arguments.argc, arguments.argv, options))
    {
        return code;
    }

    std::vector<SfxCall> calls;
    if (!options.sfxFile.empty())
    {
        std::vector<uint8_t> bytes;
        ReadStatus status = ReadRegularFile(options.sfxFile.c_str(), MaxScriptBytes, bytes);
        if (status != ReadStatus::Read)
        {
            std::fprintf(stderr, "audio-render: %s %s%s\n", options.sfxFile.c_str(), ReadStatusText(status),
                         status == ReadStatus::TooLarge ? " (more than 16 MiB)" : "");
            return 2;
        }
        const std::string text(bytes.begin(), bytes.end());
        std::string error;
        if (!ParseSfxScript(text.data(), text.size(), calls, error))
        {
            std::fprintf(stderr, "audio-render: %s: %s\n", options.sfxFile.c_str(), error.c_str());
            return 2;
        }
        OrderSfxCallsByCallback(calls);
    }

    uint64_t wantedFrames = static_cast<uint64_t>(std::ceil(options.seconds * SampleRate));
    uint64_t callbacks = (wantedFrames + CallbackFrames - 1) / CallbackFrames;
    uint32_t dataBytes = static_cast<uint32_t>(callbacks * CallbackFrames * FrameBytes);

    // Written under a temporary name and published whole: a failed render
    // leaves no file, and a link or a device under the name is never written.
    NewFile out;
    if (!out.open(options.outFile, false))
    {
        std::fprintf(stderr, "audio-render: cannot write %s: %s\n", options.outFile.c_str(),
                     out.failure().c_str());
        return 1;
    }

    // The audio start-up as the shell runs it, minus the loader thread and the
    // device; the bank is decoded here, on this thread, instead.
    std::srand(options.seed);
    CreateAudioLocks();
    AudioStartupState();
    if (options.loadSamples)
    {
        SampleDirectory = options.sampleDirectory.c_str();
        LoadSampleBank();
    }
    MarkNewGame();

    RenderedMusic = options.music;

    std::vector<uint8_t> header = WavHeader(dataBytes);
    bool written = out.write(header.data(), header.size());

    size_t nextCall = 0;
    uint8_t buffer[CallbackFrames * FrameBytes];
    for (uint64_t callback = 0; callback < callbacks && written; ++callback)
    {
        // Game side: the script's calls for this callback, in file order.
        nextCall = PlaySfxCallsBefore(calls, nextCall, callback);
        AudioUpdate(RenderModeActive(), RenderPlanting());

        // Audio side.
        // The callback writes 16-bit little-endian frames, as WAV stores them.
        AudioCallback(nullptr, buffer, static_cast<int>(sizeof(buffer)));
        written = out.write(buffer, sizeof(buffer));
    }

    FreeSamples();
    DeleteAudioLocks();
    if (!written || !out.publish())
    {
        std::fprintf(stderr, "audio-render: cannot write %s: %s\n", options.outFile.c_str(),
                     out.failure().c_str());
        return 1;
    }
    return 0;
}
