// Keys the window system gives a meaning of its own, which SDL 1.2 hands us
// as plain key presses. On Windows SDL takes Alt's system-key messages for
// itself, so Windows never turns Alt+F4 into a close request and never sees
// Alt open the window menu; the game does both parts here. Elsewhere the
// window manager keeps these keys and nothing needs doing. windows/
// does it; null/ passes every key to the game.
// Main thread, for each key-down event.
#pragma once

enum class SystemKey
{
    Game,   // an ordinary key: the game's (it starts a game from the title)
    Close,  // a close request, as the window's close button makes
    None,   // the system's key alone (Alt): no meaning to the game
};

// key: the SDL 1.2 key symbol; modifiers: the SDL modifier bits held.
SystemKey ClassifySystemKey(int key, int modifiers);
