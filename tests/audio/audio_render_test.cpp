// The audio export tool: malformed sound-effect scripts, and the WAV files it
// writes for each kind of music, checked the way a listener would (is there
// sound, is it free of wrap-around bursts, is a scripted effect heard where
// the script puts it) and against a stored render per music.

#include "audio/sfx_script.h"
#include "tests/audio/audio_harness.h"
#include "tests/digest.h"

namespace
{
// Twelve seconds of one music from seed 5 and dat/samples into the scratch
// folder's file `out`; more options may follow.
std::string MusicArgs(const std::string& out, const std::string& music)
{
    return "--seed 5 --seconds 12 --music " + music + " --samples " + Quote(ShippedSamples) + " --out " + out + " ";
}

// The frames after the 44-byte header.
std::vector<StereoSample> WavFrames(const std::string& wav)
{
    return DecodeFrames(wav.substr(std::min<size_t>(44, wav.size())));
}
}  // namespace

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
        std::string text = "# header\n0 sound 40 0.2 0\n" + line + "\n";
        EXPECT_FALSE(ParseSfxScript(text.data(), text.size(), calls, error));
        EXPECT_EQ(error.rfind("line 3: ", 0), 0u) << error;
        EXPECT_TRUE(calls.empty());
    }
}

TEST(AudioRender, EachMusicIsAudibleAndGivesItsStoredRenderAndScriptedEffectsRunAtTheirOwnCallback)
{
    ASSERT_TRUE(std::filesystem::exists(ToolPath("audio-render"))) << "build the audio-render target first";
    ScratchFolder scratch;
    // Twelve seconds from seed 5 hold a chord change, every kind of step of
    // each generator and its drums; any change to a draw, a note or a drum
    // changes the stored digest of its frames.
    struct Music
    {
        const char* name;
        uint32_t digest;
    };
    std::vector<std::vector<StereoSample>> renders;
    // The generators draw from rand(), which differs between C runtimes.
    for (Music music : {Music{"title", GoldenForThisRand(687057951u, 1184470935u)},
                        {"planting", GoldenForThisRand(1255566631u, 774144064u)},
                        {"garden", GoldenForThisRand(1546624457u, 508444413u)}})
    {
        SCOPED_TRACE(music.name);
        ToolRun run = RunTool("audio-render", MusicArgs("out.wav", music.name), scratch);
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        const std::string wav = ReadAll(scratch.path / "out.wav");
        ASSERT_GT(wav.size(), 44u);

        // A WAV header of 16-bit stereo PCM at 44100 Hz whose sizes fit the
        // file; the digest pins the frames and so their count.
        EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 8), "RIFFWAVEfmt ");
        EXPECT_EQ((std::vector<size_t>{Le32(&wav[4]) + 8, Le32(&wav[20]), Le32(&wav[24]), Le32(&wav[32]),
                                       Le32(&wav[40]) + 44}),
                  (std::vector<size_t>{wav.size(), 1u | 2u << 16, 44100, 4u | 16u << 16, wav.size()}));
        const uint32_t digest = Digest(wav.data() + 44, wav.size() - 44);
        EXPECT_EQ(digest, music.digest) << digest;
        renders.push_back(WavFrames(wav));
        const std::vector<StereoSample>& frames = renders.back();

        // Music, nowhere near the wrap, and no jump of most of the full range.
        EXPECT_GT(Measure(frames).peak, 1000);
        EXPECT_LT(Measure(frames).peak, 20000);
        EXPECT_EQ(CountLeaps(frames, 16000), 0);
    }

    // Listed out of order: each line still runs at its own callback. (A bad
    // line stops the tool before it writes anything: the hostile-file tests.)
    const std::string script = scratch.write("sfx.txt", "# a start flourish at callback 20\n"
                                                        "20 soundex 35 0 0.4 0.6 0\n"
                                                        "3 sound 50 0.0 0\n");
    ToolRun run = RunTool("audio-render", MusicArgs("effect.wav", "planting") + "--sfx " + Quote(script), scratch);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::vector<StereoSample> effect = WavFrames(ReadAll(scratch.path / "effect.wav"));
    ASSERT_EQ(effect.size(), renders[1].size());

    // The silent step listed last still runs before callback 3: its pan and
    // boost draws change the music from the next beat that starts a voice
    // (frame 18900 or 37800), long before the flourish of callback 20 sounds.
    const auto same = [](StereoSample a, StereoSample b) { return a.left == b.left && a.right == b.right; };
    const size_t frame =
        std::mismatch(renders[1].begin(), renders[1].end(), effect.begin(), same).first - renders[1].begin();
    EXPECT_GE(frame, 18900u);
    EXPECT_LT(frame, 40960u);
}
