// A gamepad for a browser under test (tests/e2e/pad_testbed.h): prints the
// testbed's folder, then writes each line "TYPE NUMBER VALUE" (1 a button, 2
// an axis) on the pad's joystick node as the kernel's joydev reports a
// change, and says "moved" once it can be read. Ends with its input.
//
//     pad-testbed tests/data/pads/xbox
#include <linux/joystick.h>

#include <cstdio>

#include "tests/e2e/pad_testbed.h"

int main(int argc, char** argv)
{
    e2e::PadTestbed pad;
    if (argc != 2 || !pad.plugIn(argv[1]))
    {
        std::fprintf(stderr, "usage: %s PAD (%s)\n", argv[0], pad.problem.c_str());
        return 1;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("%s\n", pad.folder().c_str());
    unsigned type = 0, number = 0;
    int value = 0;
    while (std::scanf("%u %u %d", &type, &number, &value) == 3)
    {
        const js_event change = {static_cast<__u32>(g_get_monotonic_time() / 1000), static_cast<__s16>(value),
                                 static_cast<__u8>(type), static_cast<__u8>(number)};
        if (!pad.send("/dev/input/js0", change))
        {
            std::perror("js0");
            return 1;
        }
        std::printf("moved\n");
    }
    return 0;
}
