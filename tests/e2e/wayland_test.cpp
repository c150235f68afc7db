// SDL 1.2 over SDL 2 on a Wayland compositor of its own (sway's headless
// backend, run as the unprivileged user "nobody", since it refuses root): the
// window carries the menu entry's application id, closing it there is an
// ordinary quit, and when the compositor goes away the game ends with exit 1
// and one line, as when the X server goes. tests/linux/stacks.sh sets
// MIRELANTHA_WAYLAND for its run on SDL 1.2 over SDL 2; skipped without it
// (classic SDL 1.2 has no Wayland support).
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "platform/linux/compositor_probe.h"
#include "tests/e2e/program_run.h"

using namespace e2e;

namespace
{
// The file in `folder` whose name starts with `prefix`, without the lock.
fs::path Find(const fs::path& folder, const std::string& prefix)
{
    for (const auto& entry : fs::directory_iterator(folder))
    {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && entry.path().extension() != ".lock")
        {
            return entry.path();
        }
    }
    return {};
}
}  // namespace

TEST(Wayland, TheWindowCarriesTheEntrysIdClosesAsAQuitAndALostCompositorEndsTheGameWithOneLine)
{
    if (!std::getenv("MIRELANTHA_WAYLAND"))
    {
        GTEST_SKIP() << "no Wayland run: MIRELANTHA_WAYLAND is not set";
    }
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    ScratchFolder runtime{"mirelantha-wayland-"};
    const std::string config = runtime.write("config", "output * bg #000000 solid_color\n");
    ASSERT_EQ(chown(runtime.path.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    fs::permissions(runtime.path, fs::perms::owner_all, fs::perm_options::replace);

    const pid_t runuser =
        Spawn({"/usr/sbin/runuser", "-u", "nobody", "--", "/usr/bin/env", "HOME=" + runtime.path.string(),
               "XDG_RUNTIME_DIR=" + runtime.path.string(), "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
               "WLR_RENDERER=pixman", "sway", "-c", config},
              "/", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, runtime.path / "sway.txt");
    fs::path socket;
    fs::path ipc;
    ASSERT_TRUE(WaitFor([&] {
        socket = Find(runtime.path, "wayland-");
        ipc = Find(runtime.path, "sway-ipc.");
        return !socket.empty() && !ipc.empty();
    }, 10000)) << ReadAll(runtime.path / "sway.txt");

    // The compositor's view of its windows, with their application ids.
    const std::string swaymsg = "SWAYSOCK=" + ipc.string() + " swaymsg ";
    const auto start = [&](Program& program) {
        program.display = "";  // no X server to fall back on
        program.start({{"SDL_VIDEODRIVER", "wayland"},
                       {"WAYLAND_DISPLAY", socket.filename().string()},
                       {"XDG_RUNTIME_DIR", runtime.path.string()},
                       {"SDL_AUDIODRIVER", "dummy"}});
        EXPECT_TRUE(WaitFor([&] { return OutputOnDisplay("", swaymsg + "-t get_tree").find(
                                             "\"org.mirelantha.mirelantha\"") != std::string::npos; }, 15000))
            << OutputOnDisplay("", swaymsg + "-t get_tree") << ReadAll(program.errorFile);
        SleepMs(500);
    };
    Program closed;  // by the player, through the compositor: an ordinary quit
    start(closed);
    OutputOnDisplay("", swaymsg + "'[app_id=\"org.mirelantha.mirelantha\"] kill'");
    EXPECT_EQ(closed.finish(), 0);
    EXPECT_EQ(ReadAll(closed.errorFile), "");

    Program program;  // and then the compositor dies, as in a crash
    start(program);
    ASSERT_EQ(std::system(("pkill -KILL -P " + std::to_string(runuser)).c_str()), 0);
    program.expectEndsWithOneLine();
    WaitForExit(runuser, 5000);
}

// A compositor being killed lets go of its clients before its listening
// socket, so a quit can come while the socket still takes connections.
TEST(Wayland, ACompositorThatTakesTheConnectionButNeverAnswersIsGone)
{
    ScratchFolder runtime{"mirelantha-probe-"};
    const std::string path = (runtime.path / "wayland-0").string();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {AF_UNIX, {}};
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    std::thread dying([&] { SleepMs(200); close(listener); });
    EXPECT_FALSE(CompositorAnswers(path.c_str()));
    dying.join();
    EXPECT_FALSE(CompositorAnswers(path.c_str())) << "the socket it left behind";
}
