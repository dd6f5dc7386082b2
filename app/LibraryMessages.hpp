#pragma once

#include <string>

// SFML writes its warnings and errors (sf::err()) to standard error, and a
// normal start already brings some: that vertical sync cannot be set, the
// OpenGL context it got instead of the one asked for. While a
// LibraryMessages lives, they are kept back instead (the last 8 KB); the
// program says what failed in its own words and adds what the library said
// (takeLibraryMessages). Should the library stop the program itself
// (abort), what it said is written out on the way. One at a time; the main
// thread only, like every use of sf::err().
class LibraryMessages
{
public:
    LibraryMessages();
    ~LibraryMessages();
    LibraryMessages(const LibraryMessages&) = delete;
    LibraryMessages& operator=(const LibraryMessages&) = delete;
};

// What the library has said since the last call, its lines joined by "; ",
// and forgets it; empty when nothing was said or nothing is kept back.
std::string takeLibraryMessages();
