#include "app/DisplayCheck.hpp"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <ostream>
#include <thread>

DisplayHold holdDisplay(std::ostream& err)
{
    const char* name = std::getenv("DISPLAY");
    const bool named = name != nullptr && *name != '\0';
    constexpr int tries = 6; // 100 ms apart
    for (int i = 0; i < tries; ++i)
    {
        if (Display* display = XOpenDisplay(nullptr))
            return DisplayHold(display, [](void* d) { XCloseDisplay(static_cast<Display*>(d)); });
        if (!named)
            break;
        if (i + 1 < tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    err << "velorin: cannot open the display \"" << (name != nullptr ? name : "(unset)")
        << "\": " << (named ? "no X server answers there" : "DISPLAY is not set")
        << "; start it in a graphical session, or set DISPLAY to one.\n";
    return {};
}
