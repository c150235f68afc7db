// Gamepads through SDL 1.2's joysticks (see pads.h). Main thread only.
#include "platform/sdl/pads.h"

#include "app/pad_input.h"
#include "platform/pad_layout.h"

// ---------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------

namespace
{
constexpr int PadLimit = 8;  // SDL's device numbers past these are not opened

SDL_Joystick* Sticks[PadLimit] = {};
PadInput Pads[PadLimit];
}  // namespace

// ---------------------------------------------------------------------------
// Pads
// ---------------------------------------------------------------------------

void OpenPads()
{
    if (!SDL_WasInit(SDL_INIT_JOYSTICK))
    {
        SDL_InitSubSystem(SDL_INIT_JOYSTICK);
        SDL_JoystickEventState(SDL_ENABLE);
    }
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count && i < PadLimit; i++)
    {
        // The browser counts its empty pad slots too; they open as nothing.
        if (Sticks[i] || !(Sticks[i] = SDL_JoystickOpen(i)))
        {
            continue;
        }
        const int buttons = SDL_JoystickNumButtons(Sticks[i]);
        Pads[i].start(PlatformXboxPad(), SDL_JoystickNumAxes(Sticks[i]), buttons, SDL_JoystickNumHats(Sticks[i]));
        for (int button = 0; button < buttons; button++)
        {
            if (SDL_JoystickGetButton(Sticks[i], button))
            {
                Pads[i].button(button, true);
            }
        }
    }
}

void RescanPads()
{
    // A control held across the restart would be pressed again: Windows'
    // joysticks report what is held once reopened, so Back, which brings the
    // player to the title screen, would be seen a second time there and quit.
    for (const PadInput& pad : Pads)
    {
        if (pad.holding())
        {
            return;
        }
    }
    for (int i = 0; i < PadLimit; i++)
    {
        if (Sticks[i])
        {
            Pads[i].stop();
            SDL_JoystickClose(Sticks[i]);
            Sticks[i] = nullptr;
        }
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    OpenPads();
}

bool FeedPad(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_JOYAXISMOTION:
        if (event.jaxis.which < PadLimit)
        {
            Pads[event.jaxis.which].axis(event.jaxis.axis, event.jaxis.value);
        }
        return true;
    case SDL_JOYHATMOTION:
        if (event.jhat.which < PadLimit)
        {
            Pads[event.jhat.which].hat(event.jhat.hat, event.jhat.value);
        }
        return true;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        if (event.jbutton.which < PadLimit)
        {
            Pads[event.jbutton.which].button(event.jbutton.button, event.jbutton.state == SDL_PRESSED);
        }
        return true;
    default:
        return false;
    }
}

bool NextPadEvent(ShellEvent& event)
{
    for (PadInput& pad : Pads)
    {
        if (pad.nextEvent(event))
        {
            return true;
        }
    }
    return false;
}
