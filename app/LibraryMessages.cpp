#include "app/LibraryMessages.hpp"

#include <SFML/System/Err.hpp>

#include <csignal>
#include <cstring>
#include <streambuf>
#include <unistd.h>

namespace
{
// A fixed store, so that the abort handler may write it out with write(2)
// alone. When full, the older half goes.
constexpr std::size_t storeSize = 8192;
char store[storeSize];
std::size_t stored = 0;
bool holding = false;

void keep(const char* text, std::size_t count)
{
    if (count > storeSize / 2)
    {
        text += count - storeSize / 2;
        count = storeSize / 2;
    }
    if (stored + count > storeSize) // then more than half is stored
    {
        std::memmove(store, store + stored - storeSize / 2, storeSize / 2);
        stored = storeSize / 2;
    }
    std::memcpy(store + stored, text, count);
    stored += count;
}

struct KeepBuffer : std::streambuf
{
    int overflow(int c) override
    {
        if (c != traits_type::eof())
        {
            const char ch = traits_type::to_char_type(c);
            keep(&ch, 1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        keep(s, static_cast<std::size_t>(n));
        return n;
    }
};
KeepBuffer keepBuffer;
std::streambuf* previousBuffer = nullptr;
void (*previousAbort)(int) = SIG_DFL;

extern "C" void sayOnAbort(int)
{
    static const char head[] = "velorin: stopped; the drawing library had said:\n";
    if (stored == 0 || write(STDERR_FILENO, head, sizeof head - 1) < 0 || write(STDERR_FILENO, store, stored) < 0)
        return; // abort() goes on either way
}
} // namespace

LibraryMessages::LibraryMessages()
{
    stored = 0;
    holding = true;
    previousBuffer = sf::err().rdbuf(&keepBuffer);
    previousAbort = std::signal(SIGABRT, sayOnAbort);
}

LibraryMessages::~LibraryMessages()
{
    std::signal(SIGABRT, previousAbort);
    sf::err().rdbuf(previousBuffer);
    holding = false;
}

std::string takeLibraryMessages()
{
    if (!holding)
        return {};
    std::string said(store, stored);
    stored = 0;
    while (!said.empty() && (said.back() == '\n' || said.back() == ' '))
        said.pop_back();
    for (std::size_t at = said.find('\n'); at != std::string::npos; at = said.find('\n', at))
        said.replace(at, 1, "; ");
    return said;
}
