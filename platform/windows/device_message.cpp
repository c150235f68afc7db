// A message box on Windows, where nobody reads stderr (see
// device_message.h). It comes to the front on its own, since the game's
// window is gone, and the program ends once the player has read it.
#include "platform/device_message.h"

#include <windows.h>

#include <string>

#include "platform/windows/utf8.h"

void TellNoAudioDevice(const char* reason)
{
    std::string text =
        "mirelantha could not open the sound device, and it needs one to play.\n"
        "\n"
        "Check that speakers or headphones are plugged in and switched on, and that "
        "Windows' sound settings show an output device that is enabled. Close programs "
        "that may be using the sound device on their own. Then start the game again.";
    if (reason != nullptr && *reason != '\0')
    {
        text += "\n\n(";
        text += reason;
        text += ")";
    }
    MessageBoxW(nullptr, WideFromUtf8(text).c_str(), L"mirelantha: no sound device",
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
}
