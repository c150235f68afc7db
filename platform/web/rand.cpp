// The C library's random numbers in the browser, as the Linux build's C
// library makes them: an additive feedback generator over 34 words,
// x[i] = x[i-3] + x[i-31], seeded through 16807 modulo 2^31 - 1, the first
// 310 results discarded, each result the sum shifted right by one (0 to
// 2^31 - 1). The browser's own C library has another generator; with this
// one every garden replay and every render is the same on both.
//
// Main thread and audio callback, which in the browser take turns on one
// thread.
#include <cstdint>
#include <cstdlib>

namespace
{
constexpr int Degree = 31;
constexpr int Separation = 3;

int32_t State[Degree];
int Front = Separation;  // the two taps, as indices into State
int Rear = 0;

int32_t Next()
{
    State[Front] = static_cast<int32_t>(static_cast<uint32_t>(State[Front]) + static_cast<uint32_t>(State[Rear]));
    const int32_t result = static_cast<int32_t>(static_cast<uint32_t>(State[Front]) >> 1);
    Front = Front + 1 == Degree ? 0 : Front + 1;
    Rear = Rear + 1 == Degree ? 0 : Rear + 1;
    return result;
}

void Seed(unsigned seed)
{
    // The seed is taken as a signed word; zero would make every word zero.
    int32_t word = static_cast<int32_t>(seed == 0 ? 1u : seed);
    State[0] = word;
    for (int i = 1; i < Degree; ++i)
    {
        // 16807 * word mod (2^31 - 1), without overflowing 31 bits.
        const int32_t high = word / 127773;
        const int32_t low = word % 127773;
        word = 16807 * low - 2836 * high;
        if (word < 0)
        {
            word += 2147483647;
        }
        State[i] = word;
    }
    Front = Separation;
    Rear = 0;
    for (int i = 0; i < 10 * Degree; ++i)
    {
        Next();
    }
}

struct SeededAtStart
{
    SeededAtStart() { Seed(1); }
};
SeededAtStart Start;
}  // namespace

extern "C" void srand(unsigned seed)
{
    Seed(seed);
}

extern "C" int rand()
{
    return Next();
}
