#include "lab/OutputFile.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

bool OutputFile::open(const std::string& path)
{
    discard();
    m_path = path;
    // Beside the target, so the rename stays on one file system; hidden, so a
    // half-written file is never mistaken for a result.
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = dir + "." + base + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = mkstemp(name.data());
    if (m_fd < 0)
    {
        m_error = path + ": cannot write: " + std::strerror(errno);
        return false;
    }
    m_temporary = name.data();
    return true;
}

bool OutputFile::commit(const std::string& text)
{
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0)
    {
        const ssize_t written = ::write(m_fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
        {
            m_error = m_path + ": cannot write: " + std::strerror(errno);
            discard();
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    // mkstemp makes the file readable by its owner only; a result file is
    // as any other the user writes.
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(m_fd, 0666 & ~mask) != 0 || fsync(m_fd) != 0 || close(m_fd) != 0)
    {
        m_fd = -1;
        m_error = m_path + ": cannot write: " + std::strerror(errno);
        discard();
        return false;
    }
    m_fd = -1;
    if (std::rename(m_temporary.c_str(), m_path.c_str()) != 0)
    {
        m_error = m_path + ": cannot write: " + std::strerror(errno);
        discard();
        return false;
    }
    m_temporary.clear();
    return true;
}

void OutputFile::discard()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        unlink(m_temporary.c_str());
    m_temporary.clear();
}
