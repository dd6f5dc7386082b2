#pragma once

#include <string>

// A file that appears whole or not at all: the text goes to a temporary file
// beside the target, which is renamed over the target at the end. Opened
// before the work starts, so a file that cannot be written is known at once.
// A file not committed is removed when its OutputFile goes.
class OutputFile
{
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { discard(); }

    // False, with the reason in error(), when no temporary file can be made
    // beside path.
    bool open(const std::string& path);
    // Writes text, flushes it to the disk and renames; false, with the
    // reason in error(), when any of it fails (the temporary file is then
    // removed and the target left as it was).
    bool commit(const std::string& text);
    void discard();
    const std::string& error() const { return m_error; }
    // The temporary file's name while one exists, else empty.
    const std::string& temporaryPath() const { return m_temporary; }

private:
    std::string m_path;
    std::string m_temporary;
    int m_fd = -1;
    std::string m_error;
};
