// The echo network: a feedback delay of exactly eight beats (tap 1), an
// octave-up echo that reads the ring at double speed half a ring ahead
// (tap 2) and a reversed echo that walks the ring backwards (tap 3).
//
// Audio thread only, one call of EchoFrame per output frame. The taps must run
// in this order within a frame because each reads what the previous one wrote.
// Gains are double constants and every product truncates toward zero; every
// sum wraps in 16 bits.
#include "audio/echo.h"

#include <cstring>

#include "audio/mixer.h"

static_assert(EchoRingFrames == EchoFrames, "the ring is the mixer's eight beats");

// ---------------------------------------------------------------------------
// Global state
// ---------------------------------------------------------------------------

StereoSample EchoBuffer[EchoRingFrames];
int32_t tap1, tap2, tap3;

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

void ResetEcho()
{
    std::memset(EchoBuffer, 0, sizeof(EchoBuffer));
    tap1 = 0;
    tap2 = 0;
    tap3 = 0;
}

void DampEcho()
{
    for (StereoSample& frame : EchoBuffer)
    {
        frame.left = TruncTo16(frame.left * 0.5);
        frame.right = TruncTo16(frame.right * 0.5);
    }
}

namespace
{
// (int)(gain * value) for a double gain and a channel value.
inline int32_t Part(double gain, int16_t value)
{
    return static_cast<int32_t>(gain * value);
}
}  // namespace

StereoSample EchoFrame(StereoSample dry, StereoSample send)
{
    // The gains keep every product inside 16 bits, so the plain cast is
    // defined here; the sums are what wrap.
    StereoSample a = EchoBuffer[tap1];
    EchoBuffer[tap1] = {Wrap16(Part(0.25, a.left) + Part(0.24, send.left)),
                        Wrap16(Part(0.25, a.right) + Part(0.24, send.right))};
    tap1 += 1;
    if (tap1 == EchoRingFrames)
    {
        tap1 = 0;
    }

    StereoSample b = EchoBuffer[tap2];
    StereoSample add = {Wrap16(Part(0.3, b.left) + Part(0.34, send.left)),
                        Wrap16(Part(0.3, b.right) + Part(0.34, send.right))};
    int32_t ahead = tap2 + EchoHalfRing;
    if (ahead >= EchoRingFrames)
    {
        ahead -= EchoRingFrames;
    }
    int32_t ahead2 = ahead + 1 == EchoRingFrames ? 0 : ahead + 1;
    EchoBuffer[ahead] = WrapAdd(EchoBuffer[ahead], add);
    EchoBuffer[ahead2] = WrapAdd(EchoBuffer[ahead2], add);
    tap2 += 2;
    if (tap2 >= EchoRingFrames)
    {
        tap2 = 0;
    }

    StereoSample c = EchoBuffer[tap3];
    EchoBuffer[tap3] = WrapAdd(EchoBuffer[tap3], {Wrap16(Part(0.25, c.left) + Part(0.29, send.left)),
                                                  Wrap16(Part(0.25, c.right) + Part(0.29, send.right))});
    tap3 -= 1;
    if (tap3 < 0)
    {
        tap3 = EchoRingFrames - 1;
    }

    StereoSample out;
    out.left = Wrap16(dry.left + Part(0.19, c.left) + Part(0.24, a.left) + Part(0.19, b.left));
    out.right = Wrap16(dry.right + Part(0.24, a.right) + Part(0.19, b.right) + Part(0.19, c.right));
    return out;
}
