// The audio export tool: its sound-effect scripts and the WAV files it
// writes for each kind of music, checked the way a listener would: is there
// sound, is it free of wrap-around bursts, does a seed replay it, and is a
// scripted effect heard where the script puts it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "audio/sfx_script.h"

namespace fs = std::filesystem;

namespace
{
const std::string Tool = std::string(MIRELANTHA_BINARY_DIR) + "/audio-render";
const std::string Samples = std::string(MIRELANTHA_SOURCE_DIR) + "/dat/samples";

bool Parse(const std::string& text, std::vector<SfxCall>& calls, std::string& error)
{
    return ParseSfxScript(text.data(), text.size(), calls, error);
}

class Scratch
{
public:
    Scratch()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              ("mirelantha_render_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Scratch() { fs::remove_all(dir); }

    std::string file(const std::string& name, const std::string& contents = "") const
    {
        std::string path = (dir / name).string();
        if (!contents.empty())
        {
            std::ofstream(path, std::ios::binary) << contents;
        }
        return path;
    }

    fs::path dir;
};

struct ToolRun
{
    int exitCode;
    std::string errors;
};

ToolRun Render(const Scratch& scratch, const std::string& arguments)
{
    std::string errFile = scratch.file("stderr.txt");
    std::string command = "'" + Tool + "' " + arguments + " 2>'" + errFile + "'";
    int status = std::system(command.c_str());
    std::ifstream err(errFile);
    std::string errors((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, errors};
}

struct Wav
{
    std::vector<uint8_t> header;
    std::vector<int16_t> samples;  // interleaved left, right
};

uint32_t Le32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

Wav ReadWav(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Wav wav;
    if (bytes.size() < 44)
    {
        return wav;
    }
    wav.header.assign(bytes.begin(), bytes.begin() + 44);
    for (size_t i = 44; i + 1 < bytes.size(); i += 2)
    {
        wav.samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8))));
    }
    return wav;
}

int Peak(const std::vector<int16_t>& samples)
{
    int peak = 0;
    for (int16_t s : samples)
    {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    return peak;
}

// Largest step between two frames of one channel: a 16-bit wrap shows up as
// a jump of most of the full range.
int LargestJump(const std::vector<int16_t>& samples)
{
    int jump = 0;
    for (size_t i = 2; i < samples.size(); ++i)
    {
        jump = std::max(jump, std::abs(samples[i] - samples[i - 2]));
    }
    return jump;
}

void ExpectToolBuilt()
{
    ASSERT_TRUE(fs::exists(Tool)) << "build the audio-render target first";
}
}  // namespace

// ---------------------------------------------------------------------------
// Scripts
// ---------------------------------------------------------------------------

TEST(SfxScript, ReadsBothCallsAndSkipsBlankAndCommentLines)
{
    std::vector<SfxCall> calls;
    std::string error;
    ASSERT_TRUE(Parse("# footsteps\n\n  \t\n3 sound 50 0.4 -1.05\r\n"
                      "  # indented comment\n7 soundex 9 440 0.2 1.5 0.25",
                      calls, error))
        << error;
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].callback, 3u);
    EXPECT_FALSE(calls[0].extended);
    EXPECT_EQ(calls[0].kind, 50);
    EXPECT_FLOAT_EQ(calls[0].volume, 0.4f);
    EXPECT_FLOAT_EQ(calls[0].pan, -1.05f);
    EXPECT_EQ(calls[0].line, 4);
    EXPECT_TRUE(calls[1].extended);
    EXPECT_EQ(calls[1].kind, 9);
    EXPECT_FLOAT_EQ(calls[1].frequency, 440.0f);
    EXPECT_FLOAT_EQ(calls[1].volume, 0.2f);
    EXPECT_FLOAT_EQ(calls[1].echoSend, 1.5f);
    EXPECT_FLOAT_EQ(calls[1].pan, 0.25f);
    EXPECT_EQ(calls[1].line, 6);
}

TEST(SfxScript, RejectsMalformedLinesNamingTheFirstBadOne)
{
    const char* bad[] = {
        "0 sound 40 0.2",                // a field short
        "0 sound 40 0.2 0 9",            // a field too many
        "0 sounds 40 0.2 0",             // unknown call
        "x sound 40 0.2 0",              // callback not a number
        "-1 sound 40 0.2 0",             // negative callback
        "4294967296 sound 40 0.2 0",     // callback past 32 bits
        "0 sound 51 0.2 0",              // kind past the last sample
        "0 sound -3 0.2 0",              // negative kind
        "0 sound 4.5 0.2 0",             // kind not an integer
        "0 sound 40 nan 0",              // volume not finite
        "0 sound 40 inf 0",
        "0 sound 40 1e30 0",             // volume far too large to render
        "0 sound 40 0.2 0.5x",           // trailing junk
        "0 soundex 9 1e9 0.2 0.6 0",     // frequency out of range
        "0 soundex 9 440 0.2 0.6",       // PlaySoundEx needs five values
    };
    for (const char* line : bad)
    {
        SCOPED_TRACE(line);
        std::vector<SfxCall> calls;
        std::string error;
        std::string script = std::string("# header\n0 sound 40 0.2 0\n") + line + "\n";
        EXPECT_FALSE(Parse(script, calls, error));
        EXPECT_EQ(error.rfind("line 3: ", 0), 0u) << error;
        EXPECT_TRUE(calls.empty());
    }
}

TEST(SfxScript, SurvivesBytesThatAreNotText)
{
    std::string junk("0 sound 40\0 0.2 0\n\xff\xfe\x01", 20);
    std::vector<SfxCall> calls;
    std::string error;
    EXPECT_FALSE(Parse(junk, calls, error));
    EXPECT_TRUE(Parse("", calls, error));
    EXPECT_TRUE(calls.empty());
}

// ---------------------------------------------------------------------------
// Rendering
// ---------------------------------------------------------------------------

TEST(AudioRender, EachMusicIsAudibleWithoutWrapBurstsAndASeedReplaysIt)
{
    ExpectToolBuilt();
    Scratch scratch;
    std::vector<std::vector<int16_t>> renders;
    for (const char* music : {"title", "planting", "garden"})
    {
        SCOPED_TRACE(music);
        std::string out = scratch.file(std::string(music) + ".wav");
        ToolRun run = Render(scratch, std::string("--seed 12 --seconds 12 --music ") + music +
                                      " --samples '" + Samples + "' --out '" + out + "'");
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        Wav wav = ReadWav(out);

        // Whole 2048-frame callbacks covering 12 s.
        size_t frames = wav.samples.size() / 2;
        EXPECT_EQ(frames % 2048, 0u);
        EXPECT_GE(frames, 12u * 44100);
        EXPECT_LT(frames, 12u * 44100 + 2048);

        int peak = Peak(wav.samples);
        EXPECT_GT(peak, 1000);    // music, not silence
        EXPECT_LT(peak, 20000);   // and nowhere near the wrap
        EXPECT_LT(LargestJump(wav.samples), 16000);
        renders.push_back(wav.samples);
    }
    EXPECT_NE(renders[1], renders[2]);  // planting and running garden differ

    std::string again = scratch.file("again.wav");
    ASSERT_EQ(Render(scratch, "--seed 12 --seconds 12 --music garden --samples '" + Samples +
                                  "' --out '" + again + "'")
                  .exitCode,
              0);
    EXPECT_EQ(ReadWav(again).samples, renders[2]);
}

TEST(AudioRender, WritesAStandardSixteenBitStereoHeader)
{
    ExpectToolBuilt();
    Scratch scratch;
    std::string out = scratch.file("short.wav");
    ASSERT_EQ(Render(scratch, "--seed 1 --seconds 0.01 --music title --no-samples --out '" + out +
                                  "'")
                  .exitCode,
              0);
    Wav wav = ReadWav(out);
    ASSERT_EQ(wav.header.size(), 44u);
    const uint8_t* h = wav.header.data();
    EXPECT_EQ(std::string(h, h + 4), "RIFF");
    EXPECT_EQ(std::string(h + 8, h + 16), "WAVEfmt ");
    EXPECT_EQ(h[20] | (h[21] << 8), 1);           // PCM
    EXPECT_EQ(h[22] | (h[23] << 8), 2);           // channels
    EXPECT_EQ(Le32(h + 24), 44100u);
    EXPECT_EQ(Le32(h + 28), 44100u * 4);
    EXPECT_EQ(h[34] | (h[35] << 8), 16);          // bits
    EXPECT_EQ(std::string(h + 36, h + 40), "data");
    EXPECT_EQ(Le32(h + 40), 2048u * 4);           // one callback
    EXPECT_EQ(Le32(h + 4), 36u + 2048u * 4);
    EXPECT_EQ(wav.samples.size(), 2048u * 2);
}

TEST(AudioRender, ScriptLinesRunAtTheirOwnCallbackInAnyOrderAndBadLinesStopTheTool)
{
    ExpectToolBuilt();
    Scratch scratch;
    std::string plain = scratch.file("plain.wav");
    std::string withEffect = scratch.file("effect.wav");
    // Listed out of order: each line still runs at its own callback.
    std::string script = scratch.file("sfx.txt", "# a start flourish at callback 20\n"
                                                 "20 soundex 35 0 0.4 0.6 0\n"
                                                 "3 sound 51 0.4 0\n");
    std::string common = "--seed 5 --seconds 2 --music planting --samples '" + Samples + "' ";
    ToolRun bad = Render(scratch, common + "--sfx '" + script + "' --out '" + withEffect + "'");
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.errors.find("line 3"), std::string::npos) << bad.errors;

    script = scratch.file("sfx.txt", "20 soundex 35 0 0.4 0.6 0\n"
                                     "3 sound 50 0.0 0\n");
    ASSERT_EQ(Render(scratch, common + "--out '" + plain + "'").exitCode, 0);
    ASSERT_EQ(Render(scratch, common + "--sfx '" + script + "' --out '" + withEffect + "'").exitCode,
              0);
    std::vector<int16_t> a = ReadWav(plain).samples;
    std::vector<int16_t> b = ReadWav(withEffect).samples;
    ASSERT_EQ(a.size(), b.size());

    // The silent step listed last still runs before callback 3: its pan and
    // boost draws change the music from the next beat that starts a voice
    // (frame 18900 or 37800), long before the flourish of callback 20 sounds.
    size_t firstDifference = 0;
    while (firstDifference < a.size() && a[firstDifference] == b[firstDifference])
    {
        ++firstDifference;
    }
    size_t frame = firstDifference / 2;
    EXPECT_GE(frame, 18900u);
    EXPECT_LT(frame, 40960u);
}

TEST(AudioRender, RefusesMissingOrBadOptions)
{
    ExpectToolBuilt();
    Scratch scratch;
    std::string out = scratch.file("x.wav");
    const std::vector<std::string> refused = {
         std::string("--seconds 1 --music title --out '") + out + "'",
          "--seed 1 --seconds 1 --music disco --out '" + out + "'",
          "--seed 1 --seconds -1 --music title --out '" + out + "'",
          "--seed 1 --seconds nan --music title --out '" + out + "'",
          "--seed 1 --seconds 1 --music title --no-samples --samples x --out '" + out + "'",
          "--seed 1 --seconds 1 --music title --sfx /nonexistent/sfx.txt --out '" + out + "'",
          "--seed 1 --seconds 1 --music title"};
    for (const std::string& arguments : refused)
    {
        SCOPED_TRACE(arguments);
        ToolRun run = Render(scratch, arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_FALSE(run.errors.empty());
    }
}
