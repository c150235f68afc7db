// A gamepad for the program under test, without hardware: umockdev's testbed
// shows the program (through its preload library) a pad recorded from a real
// kernel device (tests/data/pads), and the test writes the pad's evdev events
// as a player would move its controls. The real SDL, Wine's joystick driver
// or any other reader sees an ordinary /dev/input/event0. Test thread; the
// testbed answers the program's ioctls from a GLib loop of its own.
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
        g_main_loop_quit(loop);
        answering.join();
        g_main_loop_unref(loop);
        g_object_unref(bed);
    }

    // Plugs in the pad recorded as tests/data/pads/NAME; false if it cannot.
    bool plugIn(const std::string& name)
    {
        const std::string base = MIRELANTHA_SOURCE_DIR "/tests/data/pads/" + name;
        GError* error = nullptr;
        const bool plugged =
            umockdev_testbed_add_from_file(bed, (base + ".umockdev").c_str(), &error) &&
            umockdev_testbed_load_ioctl(bed, "/dev/input/event0", (base + ".ioctl").c_str(), &error);
        if (!plugged)
        {
            ADD_FAILURE() << "the pad " << name << ": " << error->message;
            g_error_free(error);
            return false;
        }
        events = umockdev_testbed_get_dev_fd(bed, "/dev/input/event0");
        return events >= 0;
    }

    // What the program's environment needs to see the testbed.
    std::vector<std::pair<std::string, std::string>> environment() const
    {
        return {{"UMOCKDEV_DIR", root}, {"LD_PRELOAD", "libumockdev-preload.so.0"}};
    }

    // One change of a control, as the kernel reports it: the event and a sync.
    void send(uint16_t type, uint16_t code, int32_t value)
    {
        input_event change[2] = {};
        change[0].type = type;
        change[0].code = code;
        change[0].value = value;
        change[1].type = EV_SYN;
        ASSERT_EQ(write(events, change, sizeof change), static_cast<ssize_t>(sizeof change));
    }

private:
    UMockdevTestbed* bed;
    GMainLoop* loop;
    std::string root;
    std::thread answering;
    int events = -1;
};

}  // namespace e2e
