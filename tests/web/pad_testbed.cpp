// A gamepad for a browser under test: umockdev's testbed shows the programs
// started with its environment the pad recorded as PAD.umockdev. Prints the
// testbed's folder, then writes each line "TYPE NUMBER VALUE" (1 a button, 2
// an axis) on the pad's joystick node as the kernel's joydev reports a
// change, and says "moved" once it can be read. Ends with its input.
//
//     pad-testbed tests/data/pads/xbox
#include <glib.h>
#include <linux/joystick.h>
#include <umockdev.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    const std::string pad = argc == 2 ? argv[1] : "";
    UMockdevTestbed* bed = umockdev_testbed_new();
    GError* error = nullptr;
    // The evdev node is asked for its force feedback when the pad is found.
    if (!umockdev_testbed_add_from_file(bed, (pad + ".umockdev").c_str(), &error) ||
        !umockdev_testbed_load_ioctl(bed, "/dev/input/event0", (pad + ".ioctl").c_str(), &error))
    {
        std::fprintf(stderr, "usage: %s PAD (%s)\n", argv[0], error->message);
        return 1;
    }
    const int joystick = umockdev_testbed_get_dev_fd(bed, "/dev/input/js0");
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    std::thread answering([loop] { g_main_loop_run(loop); });
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("%s\n", umockdev_testbed_get_root_dir(bed));

    unsigned type = 0, number = 0;
    int value = 0;
    while (std::scanf("%u %u %d", &type, &number, &value) == 3)
    {
        const js_event change = {static_cast<__u32>(g_get_monotonic_time() / 1000), static_cast<__s16>(value),
                                 static_cast<__u8>(type), static_cast<__u8>(number)};
        if (write(joystick, &change, sizeof change) != sizeof change)
        {
            std::perror("js0");
            break;
        }
        std::printf("moved\n");
    }
    // Quit from inside the loop: a quit before it runs would be lost.
    g_idle_add([](gpointer running) { return g_main_loop_quit(static_cast<GMainLoop*>(running)), G_SOURCE_REMOVE; }, loop);
    answering.join();
    g_main_loop_unref(loop);
    g_object_unref(bed);
    return 0;
}
