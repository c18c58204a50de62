#include "platform/outputpath.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// More links in a row than this is a loop (the system's own limit).
constexpr int LinkLimit = 40;

std::string FolderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool SameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What the signal handler reads: fixed storage, written only while the slot is free.
const int GuardedSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int SignalCount = int(std::size(GuardedSignals));
char GuardedPaths[MaxRemovedOnSignal][PATH_MAX];
volatile sig_atomic_t SlotUsed[MaxRemovedOnSignal];
struct sigaction PreviousActions[SignalCount];
bool Installed[SignalCount];
int LiveGuards = 0;

// Only async-signal-safe calls: the files go, the earlier handling comes back, and the signal
// is raised again to take effect once this handler returns.
void RemoveGuardedFiles(int signal)
{
    for (int i = 0; i < MaxRemovedOnSignal; ++i)
        if (SlotUsed[i])
            ::unlink(GuardedPaths[i]);
    for (int k = 0; k < SignalCount; ++k)
        if (GuardedSignals[k] == signal && Installed[k])
            ::sigaction(signal, &PreviousActions[k], nullptr);
    ::raise(signal);
}

void InstallHandlers()
{
    struct sigaction action {};
    action.sa_handler = RemoveGuardedFiles;
    sigemptyset(&action.sa_mask);
    for (const int signal : GuardedSignals)
        sigaddset(&action.sa_mask, signal);
    for (int k = 0; k < SignalCount; ++k) {
        struct sigaction previous {};
        ::sigaction(GuardedSignals[k], nullptr, &previous);
        Installed[k] = (previous.sa_flags & SA_SIGINFO) != 0 || previous.sa_handler != SIG_IGN;
        if (Installed[k])
            ::sigaction(GuardedSignals[k], &action, &PreviousActions[k]);
    }
}

void RestoreHandlers()
{
    for (int k = 0; k < SignalCount; ++k) {
        if (Installed[k])
            ::sigaction(GuardedSignals[k], &PreviousActions[k], nullptr);
        Installed[k] = false;
    }
}
} // namespace

TOutputTarget ResolveOutput(const std::string &path, const std::vector<std::string> &inputs)
{
    TOutputTarget target{path};
    struct stat info {};
    for (int links = 0; ::lstat(target.Path.c_str(), &info) == 0 && S_ISLNK(info.st_mode); ++links) {
        char link[PATH_MAX];
        const ssize_t length = ::readlink(target.Path.c_str(), link, sizeof link);
        if (links == LinkLimit || length <= 0 || size_t(length) == sizeof link) {
            target.Refusal = TOutputRefusal::NotRegular;
            return target;
        }
        const std::string next(link, size_t(length));
        target.Path = next.front() == '/' ? next : FolderOf(target.Path) + "/" + next;
    }
    // Nothing there yet: the file is made.
    if (::stat(target.Path.c_str(), &info) != 0)
        return target;
    if (S_ISDIR(info.st_mode)) {
        target.Refusal = TOutputRefusal::Folder;
    } else if (!S_ISREG(info.st_mode)) {
        target.Refusal = TOutputRefusal::NotRegular;
    } else {
        for (const std::string &input : inputs) {
            struct stat read {};
            if (::stat(input.c_str(), &read) == 0 && SameFile(read, info))
                target.Refusal = TOutputRefusal::IsInput;
        }
    }
    return target;
}

int WriteAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        size -= size_t(written);
    }
    return 0;
}

TRemovedOnSignal::TRemovedOnSignal(const std::string &path)
{
    if (LiveGuards++ == 0)
        InstallHandlers();
    if (path.size() >= PATH_MAX)
        return;
    for (int i = 0; i < MaxRemovedOnSignal; ++i) {
        if (!SlotUsed[i]) {
            std::memcpy(GuardedPaths[i], path.c_str(), path.size() + 1);
            SlotUsed[i] = 1;
            Slot = i;
            return;
        }
    }
}

TRemovedOnSignal::~TRemovedOnSignal()
{
    if (Slot >= 0)
        SlotUsed[Slot] = 0;
    if (--LiveGuards == 0)
        RestoreHandlers();
}
