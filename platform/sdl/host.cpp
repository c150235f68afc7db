// The SDL 1.2 platform: window and OpenGL context, clock, event queue, key
// repeat and buffer swaps. Main thread only.
#include "platform/sdl/host.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

#include "platform/desktop.h"
#include "platform/environment.h"
#include "platform/input_grab.h"
#include "platform/key_place.h"
#include "platform/sdl/pads.h"
#include "app/screenshot.h"
#include "app/shell.h"
#include "platform/system_keys.h"
#include "platform/video_driver.h"
#include "platform/sdl/presentation_gl.h"
#include "gfx/title_screen.h"

// ---------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------

int32_t WindowWidth = 0;
int32_t WindowHeight = 0;

// ---------------------------------------------------------------------------
// Window
// ---------------------------------------------------------------------------

bool OpenWindow()
{
    ChooseVideoDriver();
    // SDL 1.2 over SDL 2 drops a pad's events while the window has no focus,
    // which a full-screen game's window may lack on some desktops.
    if (!std::getenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS"))
    {
        SetEnvironment("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1");
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
    {
        std::fprintf(stderr, "mirelantha: no display to open a window on (%s)\n", SDL_GetError());
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    if (InputHeldElsewhere())
    {
        std::fprintf(stderr, "mirelantha: another program holds the keyboard and the pointer "
                             "(is mirelantha running already?)\n");
        SDL_Quit();
        return false;
    }

    const DesktopSize desktop = ReadDesktopSize();
    WindowWidth = desktop.width;
    WindowHeight = desktop.height;

    if (!SDL_SetVideoMode(WindowWidth, WindowHeight, 32, SDL_OPENGL | SDL_FULLSCREEN))
    {
        std::fprintf(stderr, "mirelantha: cannot open a %dx%d OpenGL window (%s)\n",
                     WindowWidth, WindowHeight, SDL_GetError());
        SDL_Quit();
        return false;
    }
    SDL_WM_SetCaption("mirelantha", "mirelantha");
    // The game reads key symbols only, never the characters they type; and
    // with character translation on, some SDL 1.2 libraries keep repeating a
    // key that was pressed and released between two looks at the queue.
    SDL_EnableUNICODE(0);
    SDL_EnableKeyRepeat(500, 30);  // first repeat after 500 ms, then every 30 ms
    SDL_ShowCursor(0);
    OpenPads();
    return true;
}

void CloseWindow()
{
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// ---------------------------------------------------------------------------
// Platform
// ---------------------------------------------------------------------------

uint32_t SdlPlatform::milliseconds()
{
    return SDL_GetTicks();
}

void SdlPlatform::delay(uint32_t ms)
{
    SDL_Delay(ms);
}

bool SdlPlatform::pollEvent(ShellEvent& event)
{
    // Pads' key events first, then the queue's events in order; a joystick
    // event only feeds its pad.
    SDL_Event sdlEvent;
    do
    {
        if (NextPadEvent(event))
        {
            return true;
        }
        if (!SDL_PollEvent(&sdlEvent))
        {
            // SDL 1.2 finds a pad plugged in later only by starting its
            // joystick subsystem again: done once a second on the title
            // screen, where nothing is held that it would let go.
            if (!ModeActive && SDL_GetTicks() - lastPadScan >= PadScanMs)
            {
                lastPadScan = SDL_GetTicks();
                RescanPads();
                return NextPadEvent(event);
            }
            return false;
        }
    } while (FeedPad(sdlEvent));
    event.type = sdlEvent.type;
    event.key = 0;
    event.place = -1;
    if (sdlEvent.type == SDL_KEYDOWN || sdlEvent.type == SDL_KEYUP)
    {
        event.key = sdlEvent.key.keysym.sym;
        event.place = BottomRowPlace(sdlEvent.key.keysym.scancode);
    }
    if (sdlEvent.type == SDL_KEYDOWN)
    {
        // The window system's own keys: a close request, or no event at all.
        switch (ClassifySystemKey(sdlEvent.key.keysym.sym, sdlEvent.key.keysym.mod))
        {
        case SystemKey::Close:
            event.type = SDL_QUIT;
            event.key = 0;
            break;
        case SystemKey::None:
            event.type = SDL_NOEVENT;
            event.key = 0;
            break;
        case SystemKey::Game:
            break;
        }
    }
    return true;
}

void SdlPlatform::keyRepeatOff()
{
    SDL_EnableKeyRepeat(0, 0);
}

void SdlPlatform::present()
{
    ComposeFrame();
    PresentFrame();
    SDL_GL_SwapBuffers();
}

void SdlPlatform::saveScreenshot()
{
    // Until the first frame the staging image holds start-up noise that was
    // never shown; the screen is black then.
    SaveScreenshot(FrameCounter > 0 ? DisplayStaging : nullptr, WindowWidth, WindowHeight);
}
