#pragma once

// A stopwatch driven by the frame loop rather than by the system clock: each
// frame advances it by the frame's elapsed time, so tests can run the program
// at any pace they choose.
struct PaceClock
{
    double elapsedMs = 0.0; // milliseconds since the last restart

    void advance(double ms) { elapsedMs += ms; }
    void restart() { elapsedMs = 0.0; }
    int wholeMilliseconds() const { return static_cast<int>(elapsedMs); }
};
