#include "app/DisplayCheck.hpp"

#include <X11/Xlib.h>

#include <cstdlib>
#include <ostream>

bool displayOpens(std::ostream& err)
{
    const char* name = std::getenv("DISPLAY");
    if (Display* display = XOpenDisplay(nullptr))
    {
        XCloseDisplay(display);
        return true;
    }
    const bool named = name != nullptr && *name != '\0';
    err << "velorin: cannot open the display \"" << (name != nullptr ? name : "(unset)")
        << "\": " << (named ? "no X server answers there" : "DISPLAY is not set")
        << "; start it in a graphical session, or set DISPLAY to one.\n";
    return false;
}
