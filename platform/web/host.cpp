// The shell's platform in the browser (see host.h).
#include "platform/web/host.h"

#include <GL/gl.h>
#include <SDL.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <vector>

#include "platform/desktop.h"
#include "platform/key_place.h"
#include "platform/sdl/pads.h"
#include "app/screenshot.h"
#include "platform/sdl/presentation_gl.h"
#include "gfx/title_screen.h"

// ---------------------------------------------------------------------------
// Numbers
// ---------------------------------------------------------------------------

namespace
{
// Keys without a character: the browser's number (1024 + USB usage) and the
// classic key symbol.
struct KeyPair
{
    int32_t web;
    int32_t classic;
};

constexpr int32_t NoCharacter = 1024;

constexpr KeyPair NonCharacterKeys[] = {
    {NoCharacter + 82, 273},   // up
    {NoCharacter + 81, 274},   // down
    {NoCharacter + 79, 275},   // right
    {NoCharacter + 80, 276},   // left
    {NoCharacter + 73, 277},   // insert
    {NoCharacter + 74, 278},   // home
    {NoCharacter + 77, 279},   // end
    {NoCharacter + 75, 280},   // page up
    {NoCharacter + 78, 281},   // page down
    {NoCharacter + 58, 282},   // F1 .. F12 follow in order
    {NoCharacter + 59, 283},
    {NoCharacter + 60, 284},
    {NoCharacter + 61, 285},
    {NoCharacter + 62, 286},
    {NoCharacter + 63, 287},
    {NoCharacter + 64, 288},
    {NoCharacter + 65, 289},
    {NoCharacter + 66, 290},
    {NoCharacter + 67, 291},
    {NoCharacter + 68, 292},
    {NoCharacter + 69, 293},   // F12
    {NoCharacter + 104, 294},  // F13 .. F15
    {NoCharacter + 105, 295},
    {NoCharacter + 106, 296},
    {NoCharacter + 83, 300},   // num lock
    {NoCharacter + 57, 301},   // caps lock
    {NoCharacter + 71, 302},   // scroll lock
    {NoCharacter + 229, 303},  // right shift
    {NoCharacter + 225, 304},  // left shift
    {NoCharacter + 228, 305},  // right control
    {NoCharacter + 224, 306},  // left control
    {NoCharacter + 230, 307},  // right alt
    {NoCharacter + 226, 308},  // left alt
    {NoCharacter + 227, 311},  // left super
    {NoCharacter + 231, 312},  // right super
    {NoCharacter + 101, 319},  // menu
    {NoCharacter + 72, 19},    // pause
    {NoCharacter + 98, 256},   // keypad 0 .. 9
    {NoCharacter + 89, 257},
    {NoCharacter + 90, 258},
    {NoCharacter + 91, 259},
    {NoCharacter + 92, 260},
    {NoCharacter + 93, 261},
    {NoCharacter + 94, 262},
    {NoCharacter + 95, 263},
    {NoCharacter + 96, 264},
    {NoCharacter + 97, 265},
    {NoCharacter + 99, 266},   // keypad period
    {NoCharacter + 84, 267},   // keypad divide
    {NoCharacter + 85, 268},   // keypad multiply
    {NoCharacter + 86, 269},   // keypad minus
    {NoCharacter + 87, 270},   // keypad plus
    {NoCharacter + 88, 271},   // keypad enter
};

// Event types as the browser's SDL numbers them.
constexpr uint32_t WebQuit = 0x100;
constexpr uint32_t WebKeyDown = 0x300;
constexpr uint32_t WebKeyUp = 0x301;
}  // namespace

int32_t ClassicKeySymbol(int32_t webSymbol)
{
    for (const KeyPair& pair : NonCharacterKeys)
    {
        if (pair.web == webSymbol)
        {
            return pair.classic;
        }
    }
    return webSymbol;  // characters (lower case) and Print Screen agree
}

int32_t ClassicEventType(uint32_t webType)
{
    switch (webType)
    {
    case WebKeyDown:
        return EventKeyDown;
    case WebKeyUp:
        return EventKeyUp;
    case WebQuit:
        return EventQuit;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// Platform
// ---------------------------------------------------------------------------

void WebPlatform::delay(uint32_t)
{
}

bool WebPlatform::pollEvent(ShellEvent& event)
{
    if (!listening)
    {
        listening = true;
        // The browser's SDL reads pads only when started with its joystick
        // flag, which its subsystem start ignores; and it names a key by
        // what the layout types. Where the key sits comes from the key
        // event's code, noted here for each key symbol as SDL will make it.
        // clang-format off
        EM_ASM({
            SDL.initFlags |= 0x200;
            Module['keyPositions'] = {};
            var usages = ({KeyZ: 29, KeyX: 27, KeyC: 6, KeyV: 25, KeyB: 5, KeyN: 17, KeyM: 16});
            var note = function(e) { Module['keyPositions'][SDL.lookupKeyCodeForEvent(e)] = usages[e.code] || 0; };
            window.addEventListener('keydown', note, true);
            window.addEventListener('keyup', note, true);
        });
        // clang-format on
    }
    SDL_Event sdlEvent;
    for (;;)
    {
        if (NextPadEvent(event))
        {
            return true;
        }
        if (!SDL_PollEvent(&sdlEvent))
        {
            // The browser shows a pad only once a button on it is pressed:
            // looked for every frame, so that the press that shows it counts.
            OpenPads();
            return NextPadEvent(event);
        }
        if (FeedPad(sdlEvent))
        {
            continue;
        }
        event.type = ClassicEventType(sdlEvent.type);
        event.key = 0;
        event.place = -1;
        if (event.type != EventKeyDown && event.type != EventKeyUp)
        {
            return true;
        }
        event.key = ClassicKeySymbol(sdlEvent.key.keysym.sym);
        event.place = BottomRowPlace(EM_ASM_INT({ return Module['keyPositions'][$0] | 0; }, sdlEvent.key.keysym.sym));
        int32_t found = 0;
        while (found < heldCount && held[found] != event.key)
        {
            found++;
        }
        if (event.type == EventKeyUp)
        {
            if (found < heldCount)
            {
                held[found] = held[--heldCount];
            }
            return true;
        }
        if (found < heldCount)
        {
            continue;  // the browser repeating a held key
        }
        if (heldCount < HeldLimit)
        {
            held[heldCount++] = event.key;
        }
        return true;
    }
}

void WebPlatform::keyRepeatOff()
{
}

void WebPlatform::present()
{
    const DesktopSize page = ReadDesktopSize();
    if (page.width != WindowWidth || page.height != WindowHeight)
    {
        WindowWidth = page.width;
        WindowHeight = page.height;
        emscripten_set_canvas_element_size("#canvas", WindowWidth, WindowHeight);
        glViewport(0, 0, WindowWidth, WindowHeight);
    }
    SdlPlatform::present();
    if (!shown)
    {
        shown = true;
        // clang-format off
        EM_ASM({
            if (Module['onFirstPicture']) Module['onFirstPicture']();
        });
        // clang-format on
    }
}

void WebPlatform::saveScreenshot()
{
    // The picture is stretched here exactly as on the desktop; the page
    // encodes it with the browser's own PNG encoder, which works off the
    // page's thread, and offers the file as a download. Encoding it here
    // would hold up the frames, and with them the sound, for a good part of
    // a second at large window sizes.
    static std::vector<uint8_t> pixels;
    pixels.resize(static_cast<size_t>(WindowWidth) * WindowHeight * 4);
    // Until the first frame the staging image holds start-up noise that was
    // never shown; the screen is black then.
    ScaleDisplayImage(FrameCounter > 0 ? DisplayStaging : nullptr, WindowWidth, WindowHeight, pixels.data());
    char name[32];
    std::snprintf(name, sizeof(name), "screen%d.png", static_cast<int>(screenshots++));
    // clang-format off
    EM_ASM({
        if (Module['onScreenshot'])
            Module['onScreenshot'](UTF8ToString($0), HEAPU8.slice($1, $1 + $2 * $3 * 4), $2, $3);
    }, name, pixels.data(), WindowWidth, WindowHeight);
    // clang-format on
}
