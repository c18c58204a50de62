#pragma once
// Where a program's output file goes, in plain C++ (the thumbnailer uses it without Qt): the
// file a path names through its symbolic links, the outputs refused before anything is
// written, and the temporary file that a process ended by a signal must not leave behind.

#include <cstddef>
#include <string>
#include <vector>

// Why an output may not be written.
enum class TOutputRefusal {
    None,
    Folder,     // it is a folder
    NotRegular, // it exists and is neither a regular file nor a link to one (a FIFO, a device)
    IsInput,    // it is one of the inputs, under this name or another (same device and inode)
};

struct TOutputTarget {
    // The file to replace: the path itself, or the file its chain of symbolic links ends at
    // (which need not exist yet), so that writing through a link writes its target.
    std::string Path;
    TOutputRefusal Refusal = TOutputRefusal::None;
};

// Resolves path and checks it against the inputs; inputs that do not exist are skipped.
TOutputTarget ResolveOutput(const std::string &path, const std::vector<std::string> &inputs = {});

// Writes all size bytes to the file descriptor, going on after a partial write or an
// interruption. 0 when they were written, else the system's error number of the write refused
// (ENOSPC on a full disk).
int WriteAll(int fd, const char *data, size_t size);

// While one lives, a process ended by SIGINT, SIGTERM or SIGHUP removes the file at path, then
// ends as the signal would have ended it. A signal the process ignores stays ignored. At most
// MaxRemovedOnSignal live at once; more are not guarded.
class TRemovedOnSignal {
public:
    explicit TRemovedOnSignal(const std::string &path);
    ~TRemovedOnSignal();
    TRemovedOnSignal(const TRemovedOnSignal &) = delete;
    TRemovedOnSignal &operator=(const TRemovedOnSignal &) = delete;

private:
    int Slot = -1;
};
constexpr int MaxRemovedOnSignal = 8;
