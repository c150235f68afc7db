// SDL 1.2 over SDL 2 on a Wayland compositor of its own (sway's headless
// backend, started as the unprivileged user "nobody", since it refuses to run
// as root): the window carries the menu entry's application id, and when the
// compositor goes away the game ends with exit 1 and one line, as it does
// when the X server goes. tests/linux/stacks.sh sets MIRELANTHA_WAYLAND for its
// run on SDL 1.2 over SDL 2; skipped without it (classic SDL 1.2 has no
// Wayland support).
#include <gtest/gtest.h>
#include <pwd.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/program_run.h"

using namespace e2e;

namespace
{
// The first process the one `parent` started.
pid_t ChildOf(pid_t parent)
{
    const std::string children =
        ReadAll("/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) + "/children");
    return children.empty() ? 0 : static_cast<pid_t>(std::stol(children));
}

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

TEST(Wayland, TheWindowCarriesTheEntrysIdAndALostCompositorEndsTheGameWithOneLine)
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

    Program program;
    program.display = "";  // no X server to fall back on
    program.start({{"SDL_VIDEODRIVER", "wayland"},
                   {"WAYLAND_DISPLAY", socket.filename().string()},
                   {"XDG_RUNTIME_DIR", runtime.path.string()},
                   {"SDL_AUDIODRIVER", "dummy"}});
    // The compositor's view of its windows, with their application ids.
    const std::string tree = "SWAYSOCK=" + ipc.string() + " swaymsg -t get_tree";
    EXPECT_TRUE(WaitFor([&] { return OutputOnDisplay("", tree).find("\"org.mirelantha.mirelantha\"") !=
                                     std::string::npos; }, 15000))
        << OutputOnDisplay("", tree) << ReadAll(program.errorFile);
    SleepMs(500);

    // The compositor dies, as in a crash.
    const pid_t compositor = ChildOf(runuser);
    ASSERT_GT(compositor, 0);
    kill(compositor, SIGKILL);
    program.expectEndsWithOneLine();
    WaitForExit(runuser, 5000);
}
