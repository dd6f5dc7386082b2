#pragma once

#include <string>
#include <sys/types.h>

// Where a table goes, written as the rows come. A regular file, or a name not
// yet taken, appears whole or not at all: the rows go to a temporary file
// beside it, renamed over it at commit, and an existing file keeps its mode
// (and its owner where that is allowed). A device, FIFO or socket is never
// replaced: it is written straight through, opened at once so that a FIFO's
// reader gets the rows as they come (a socket refuses to open). A symbolic
// link is followed: the file it names is replaced and the link stays.
// Whatever is not committed is removed (a temporary file) or closed when its
// OutputFile goes.
class OutputFile
{
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { discard(); }

    // False, with the reason in error(), when path cannot be written: no
    // temporary file can be made beside it, the device cannot be opened, or
    // it is a folder.
    bool open(const std::string& path);
    // The process's standard output, written straight through, never closed.
    void openStandardOutput();
    // Buffered for a file, at once for anything else; false, with the reason
    // in error(), when a write failed.
    bool write(const std::string& text);
    // Writes what is buffered and, for a file, flushes it to the disk and
    // renames it over the target; false, with the reason in error(), when
    // any of it fails (a temporary file is then removed, the target left as
    // it was).
    bool commit();
    void discard();
    const std::string& error() const { return m_error; }
    // The temporary file's name while one exists, else empty.

private:
    bool flush();
    bool fail(const std::string& what, int error);

    std::string m_name;      // as the user gave it, for messages
    std::string m_target;    // the file replaced at commit, links followed
    std::string m_temporary; // empty when written straight through
    std::string m_buffer;
    int m_fd = -1;
    bool m_ownsFd = true;
    bool m_keepsAttributes = false; // an existing file's mode and owner
    mode_t m_mode = 0;
    uid_t m_owner = 0;
    gid_t m_group = 0;
    std::string m_error;
};

// A text that two paths share exactly when they name the same file: an
// existing file's device and inode (so any links, "./" or hard links meet),
// else the real folder and the name that a new file would take.
std::string fileIdentity(const std::string& path);
// The same for the standard output, or empty when it is a terminal or
// another character device, which two writers may share.
std::string standardOutputIdentity();
