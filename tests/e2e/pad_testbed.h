// A gamepad for a program under test, without hardware: umockdev's testbed
// shows the program (through its preload library) a pad recorded from a real
// kernel device (tests/data/pads), and the test moves the pad's controls as
// a player would, writing what the kernel reports on the pad's evdev node
// (event0) or joystick node (js0). The real SDL, Wine's joystick driver or a
// browser sees an ordinary device. The testbed answers the program's ioctls
// from a GLib loop of its own. Test thread.
#pragma once

#include <glib.h>
#include <linux/input.h>
#include <umockdev.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace e2e
{

class PadTestbed
{
public:
    std::string problem;  // why plugIn() failed

    PadTestbed() : bed(umockdev_testbed_new()), loop(g_main_loop_new(nullptr, FALSE))
    {
        // umockdev_testbed_new() points this process at the testbed too;
        // only the program under test is meant to see it.
        root = umockdev_testbed_get_root_dir(bed);
        g_unsetenv("UMOCKDEV_DIR");
        answering = std::thread([this] { g_main_loop_run(loop); });
    }
    ~PadTestbed()
    {
        // Quit from inside the loop: a quit before it runs would be lost.
        g_idle_add([](gpointer running) { return g_main_loop_quit(static_cast<GMainLoop*>(running)), G_SOURCE_REMOVE; },
                   loop);
        answering.join();
        g_main_loop_unref(loop);
        g_object_unref(bed);
    }

    // Plugs in the pad recorded as PATH.umockdev, its evdev node answering
    // the ioctls in PATH.ioctl.
    bool plugIn(const std::string& path)
    {
        GError* error = nullptr;
        if (umockdev_testbed_add_from_file(bed, (path + ".umockdev").c_str(), &error) &&
            umockdev_testbed_load_ioctl(bed, "/dev/input/event0", (path + ".ioctl").c_str(), &error))
        {
            return true;
        }
        problem = path + ": " + error->message;
        g_error_free(error);
        return false;
    }

    // What the program's environment needs to see the testbed.
    std::vector<std::pair<std::string, std::string>> environment() const
    {
        return {{"UMOCKDEV_DIR", root}, {"LD_PRELOAD", "libumockdev-preload.so.0"}};
    }
    const std::string& folder() const { return root; }

    // Records as the kernel hands them to readers of `node`.
    template <typename Record>
    bool send(const char* node, const Record& records)
    {
        const int fd = umockdev_testbed_get_dev_fd(bed, node);
        return fd >= 0 && write(fd, &records, sizeof records) == static_cast<ssize_t>(sizeof records);
    }

    // One change of a control on the evdev node: the event and a sync.
    bool send(uint16_t type, uint16_t code, int32_t value)
    {
        input_event change[2] = {};
        change[0].type = type;
        change[0].code = code;
        change[0].value = value;
        change[1].type = EV_SYN;
        return send("/dev/input/event0", change);
    }

private:
    UMockdevTestbed* bed;
    GMainLoop* loop;
    std::string root;
    std::thread answering;
};

}  // namespace e2e
