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

#include "audio/sfx_script.h"
#include "tests/audio/audio_harness.h"

using namespace audio_harness;

namespace
{
const std::string Tool = std::string(MIRELANTHA_BINARY_DIR) + "/audio-render";

bool Parse(const std::string& text, std::vector<SfxCall>& calls, std::string& error)
{
    return ParseSfxScript(text.data(), text.size(), calls, error);
}

struct ToolRun
{
    int exitCode;
    std::string errors;
};

ToolRun Render(const ScratchDir& scratch, const std::string& arguments)
{
    std::string errFile = (scratch.path / "stderr.txt").string();
    int status = std::system(("'" + Tool + "' " + arguments + " 2>'" + errFile + "'").c_str());
    std::vector<uint8_t> err = ReadBytes(errFile);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(err.begin(), err.end())};
}

// A render of `seconds` of one music from dat/samples, with extra options.
std::string MusicArgs(const ScratchDir& scratch, const std::string& out, int seed, const char* seconds,
                      const std::string& music)
{
    return "--seed " + std::to_string(seed) + " --seconds " + seconds + " --music " + music +
           " --samples '" + ShippedSamples + "' --out '" + (scratch.path / out).string() + "' ";
}

// The frames after the 44-byte header.
std::vector<StereoSample> WavFrames(const std::vector<uint8_t>& wav)
{
    return DecodeFrames(std::vector<uint8_t>(wav.begin() + std::min<size_t>(44, wav.size()), wav.end()));
}
}  // namespace

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
    EXPECT_FLOAT_EQ(calls[0].pan, -1.05f);
    EXPECT_EQ(calls[0].line, 4);
    EXPECT_TRUE(calls[1].extended);
    EXPECT_FLOAT_EQ(calls[1].frequency, 440.0f);
    EXPECT_FLOAT_EQ(calls[1].volume, 0.2f);
    EXPECT_FLOAT_EQ(calls[1].echoSend, 1.5f);
    EXPECT_FLOAT_EQ(calls[1].pan, 0.25f);
    EXPECT_EQ(calls[1].line, 6);
    EXPECT_TRUE(Parse("", calls, error));
    EXPECT_TRUE(calls.empty());
}

TEST(SfxScript, RejectsMalformedLinesNamingTheFirstBadOne)
{
    const std::string bad[] = {
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
        std::string("0 sound 40\0 0.2 0\xff\xfe", 19),  // bytes that are not text
    };
    for (const std::string& line : bad)
    {
        SCOPED_TRACE(line);
        std::vector<SfxCall> calls;
        std::string error;
        EXPECT_FALSE(Parse("# header\n0 sound 40 0.2 0\n" + line + "\n", calls, error));
        EXPECT_EQ(error.rfind("line 3: ", 0), 0u) << error;
        EXPECT_TRUE(calls.empty());
    }
}

TEST(AudioRender, EachMusicIsAudibleWithoutWrapBurstsAndASeedReplaysIt)
{
    ASSERT_TRUE(std::filesystem::exists(Tool)) << "build the audio-render target first";
    ScratchDir scratch;
    std::vector<std::vector<uint8_t>> renders;
    for (const char* music : {"title", "planting", "garden", "garden"})
    {
        SCOPED_TRACE(music);
        ToolRun run = Render(scratch, MusicArgs(scratch, "out.wav", 12, "12", music));
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        renders.push_back(ReadBytes((scratch.path / "out.wav").string()));
        const std::vector<uint8_t>& wav = renders.back();
        ASSERT_GT(wav.size(), 44u);

        // A plain 16-bit stereo 44100 Hz header, then whole 2048-frame
        // callbacks covering 12 s.
        const uint8_t* h = wav.data();
        EXPECT_EQ(std::string(h, h + 4) + std::string(h + 8, h + 16), "RIFFWAVEfmt ");
        EXPECT_EQ(Le32(h + 20), 1u | 2u << 16);      // PCM, two channels
        EXPECT_EQ(Le32(h + 24), 44100u);
        EXPECT_EQ(Le32(h + 28), 44100u * 4);
        EXPECT_EQ(Le32(h + 32), 4u | 16u << 16);     // frame bytes, bits
        EXPECT_EQ(std::string(h + 36, h + 40), "data");
        EXPECT_EQ(Le32(h + 40), wav.size() - 44);
        EXPECT_EQ(Le32(h + 4), wav.size() - 8);
        std::vector<StereoSample> frames = WavFrames(wav);
        EXPECT_EQ(frames.size() % 2048, 0u);
        EXPECT_GE(frames.size(), 12u * 44100);
        EXPECT_LT(frames.size(), 12u * 44100 + 2048);

        // Music, nowhere near the wrap, and no jump of most of the full range.
        int peak = 0;
        int jump = 0;
        for (size_t i = 0; i < frames.size(); ++i)
        {
            peak = std::max({peak, std::abs(frames[i].left), std::abs(frames[i].right)});
            if (i > 0)
            {
                jump = std::max({jump, std::abs(frames[i].left - frames[i - 1].left),
                                 std::abs(frames[i].right - frames[i - 1].right)});
            }
        }
        EXPECT_GT(peak, 1000);
        EXPECT_LT(peak, 20000);
        EXPECT_LT(jump, 16000);
    }
    EXPECT_NE(renders[1], renders[2]);  // planting and running garden differ
    EXPECT_EQ(renders[2], renders[3]);  // and the seed replays the garden
}

TEST(AudioRender, ScriptLinesRunAtTheirOwnCallbackInAnyOrderAndBadLinesStopTheTool)
{
    ScratchDir scratch;
    // Listed out of order: each line still runs at its own callback.
    std::string script = scratch.write("sfx.txt", "# a start flourish at callback 20\n"
                                                  "20 soundex 35 0 0.4 0.6 0\n"
                                                  "3 sound 51 0.4 0\n");
    ToolRun bad = Render(scratch, MusicArgs(scratch, "effect.wav", 5, "2", "planting") + "--sfx '" + script + "'");
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.errors.find("line 3"), std::string::npos) << bad.errors;

    scratch.write("sfx.txt", "20 soundex 35 0 0.4 0.6 0\n"
                             "3 sound 50 0.0 0\n");
    ASSERT_EQ(Render(scratch, MusicArgs(scratch, "plain.wav", 5, "2", "planting")).exitCode, 0);
    ASSERT_EQ(Render(scratch, MusicArgs(scratch, "effect.wav", 5, "2", "planting") + "--sfx '" + script + "'")
                  .exitCode,
              0);
    std::vector<StereoSample> a = WavFrames(ReadBytes((scratch.path / "plain.wav").string()));
    std::vector<StereoSample> b = WavFrames(ReadBytes((scratch.path / "effect.wav").string()));
    ASSERT_EQ(a.size(), b.size());

    // The silent step listed last still runs before callback 3: its pan and
    // boost draws change the music from the next beat that starts a voice
    // (frame 18900 or 37800), long before the flourish of callback 20 sounds.
    size_t frame = FirstDifference(a, b);
    EXPECT_GE(frame, 18900u);
    EXPECT_LT(frame, 40960u);
}

TEST(AudioRender, RefusesMissingOrBadOptions)
{
    ScratchDir scratch;
    const std::string out = " --out '" + (scratch.path / "x.wav").string() + "'";
    const std::string refused[] = {
        "--seconds 1 --music title" + out,
        "--seed 1 --seconds 1 --music disco" + out,
        "--seed 1 --seconds -1 --music title" + out,
        "--seed 1 --seconds nan --music title" + out,
        "--seed 1 --seconds 1 --music title --no-samples --samples x" + out,
        "--seed 1 --seconds 1 --music title --sfx /nonexistent/sfx.txt" + out,
        "--seed 1 --seconds 1 --music title",
    };
    for (const std::string& arguments : refused)
    {
        SCOPED_TRACE(arguments);
        ToolRun run = Render(scratch, arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_FALSE(run.errors.empty());
    }
}
