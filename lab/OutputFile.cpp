#include "lab/OutputFile.hpp"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr std::size_t bufferBytes = 64 * 1024;

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The path that a chain of symbolic links ends at, which need not exist
// (a link to a file not yet written).
std::string followLinks(std::string path)
{
    for (int hop = 0; hop < 40; ++hop) // the kernel's own limit on a chain
    {
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof target)
            break;
        const std::string to(target, static_cast<std::size_t>(length));
        path = to[0] == '/' ? to : folderOf(path) + to;
    }
    return path;
}

std::string inodeIdentity(const struct stat& info)
{
    return "inode " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}
} // namespace

bool OutputFile::fail(const std::string& what, int error)
{
    m_error = m_name + ": " + what + ": " + std::strerror(error);
    discard();
    return false;
}

bool OutputFile::open(const std::string& path)
{
    discard();
    m_name = path;
    m_error.clear();
    m_buffer.clear();
    m_ownsFd = true;
    m_keepsAttributes = false;
    struct stat info = {};
    const bool exists = stat(path.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode))
        return fail("cannot write", EISDIR);
    if (exists && !S_ISREG(info.st_mode))
    {
        // A device, FIFO or socket: never replaced. Opening a FIFO waits
        // for its reader.
        m_fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (m_fd < 0)
            return fail("cannot write", errno);
        return true;
    }
    if (exists)
    {
        m_keepsAttributes = true;
        m_mode = info.st_mode & 07777;
        m_owner = info.st_uid;
        m_group = info.st_gid;
    }
    m_target = followLinks(path);
    // Beside the target, so the rename stays on one file system; hidden, so a
    // half-written file is never mistaken for a result.
    const std::string folder = folderOf(m_target);
    std::string pattern = folder + "." + m_target.substr(folder.size()) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return fail("cannot write", errno);
    m_temporary = name.data();
    return true;
}

void OutputFile::openStandardOutput()
{
    discard();
    m_name = "standard output";
    m_error.clear();
    m_buffer.clear();
    m_fd = STDOUT_FILENO;
    m_ownsFd = false;
}

bool OutputFile::write(const std::string& text)
{
    // Straight-through targets get each run's rows at once, for a reader
    // that follows them; a file only ever sees whole chunks.
    m_buffer += text;
    return (!m_temporary.empty() && m_buffer.size() < bufferBytes) || flush();
}

bool OutputFile::flush()
{
    if (m_fd < 0)
        return fail("cannot write", EBADF);
    const char* data = m_buffer.data();
    std::size_t left = m_buffer.size();
    while (left > 0)
    {
        // An interrupted write is not retried: the signal asks to stop.
        const ssize_t written = ::write(m_fd, data, left);
        if (written <= 0)
            return fail("cannot write", written < 0 ? errno : EIO);
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    m_buffer.clear();
    return true;
}

bool OutputFile::commit()
{
    if (!flush())
        return false;
    if (m_temporary.empty())
    {
        const int fd = m_fd;
        m_fd = -1;
        if (m_ownsFd && close(fd) != 0)
            return fail("cannot write", errno);
        return true;
    }
    // mkstemp makes the file its owner's alone: give it the mode of the file
    // it replaces, or that of any new file of the user's. The owner is kept
    // where this user may (as root); elsewhere the file becomes the user's.
    const mode_t mask = umask(0);
    umask(mask);
    const mode_t mode = m_keepsAttributes ? m_mode : 0666 & ~mask;
    if (m_keepsAttributes && (m_owner != geteuid() || m_group != getegid())) [[maybe_unused]]
        const int ignored = fchown(m_fd, m_owner, m_group);
    if (fchmod(m_fd, mode) != 0 || fsync(m_fd) != 0)
        return fail("cannot write", errno);
    const int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0)
        return fail("cannot write", errno);
    if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        return fail("cannot write", errno);
    m_temporary.clear();
    return true;
}

void OutputFile::discard()
{
    if (m_fd >= 0 && m_ownsFd)
        close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        unlink(m_temporary.c_str());
    m_temporary.clear();
    m_buffer.clear();
}

std::string fileIdentity(const std::string& path)
{
    struct stat info = {};
    if (stat(path.c_str(), &info) == 0)
        return inodeIdentity(info);
    const std::string target = followLinks(path);
    const std::string folder = folderOf(target);
    char real[PATH_MAX];
    if (realpath(folder.empty() ? "." : folder.c_str(), real) == nullptr)
        return "path " + target;
    return "new " + std::string(real) + "/" + target.substr(folder.size());
}

std::string standardOutputIdentity()
{
    struct stat info = {};
    if (fstat(STDOUT_FILENO, &info) != 0 || S_ISCHR(info.st_mode))
        return {};
    return inodeIdentity(info);
}
