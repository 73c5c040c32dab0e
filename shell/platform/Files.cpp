// Files and paths. Paths use '/' between components.

#include "shell/Platform.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <glob.h>
#include <map>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string gProgramDirectory; // set by SetProgramDirectory; empty = the executable's

struct PendingWrite {
    std::string temporary;
    std::string final;
};
std::map<std::FILE*, PendingWrite> gPendingWrites;

bool WritesWholeFile(const char* mode) {
    return mode != nullptr && mode[0] == 'w';
}

// The temporary name of a file being replaced: the final name, a dot and six
// characters of mkstemp's.
constexpr const char* kTemporarySuffix = ".XXXXXX";
constexpr std::size_t kTemporaryTailLength = 7;

// Test seam: the Nth operation of a kind on a written file fails.
int gFaultCountdown[4] = {0, 0, 0, 0};

bool Faulted(FileFault fault) {
    int& countdown = gFaultCountdown[static_cast<int>(fault)];
    if (countdown <= 0) return false;
    return --countdown == 0;
}

// Opens an existing regular file for reading without ever blocking: a FIFO
// or a device opened for reading may wait for ever or never end, and neither
// is a file the program can take as input.
std::FILE* OpenRegularFile(const std::string& path, const char* mode) {
    bool update = std::strchr(mode, '+') != nullptr;
    int fd = open(path.c_str(), (update ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = EINVAL;
        return nullptr;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, mode);
    if (file == nullptr) close(fd);
    return file;
}

bool IsTemporaryName(const std::string& name) {
    if (name.size() <= kTemporaryTailLength) return false;
    std::size_t dot = name.size() - kTemporaryTailLength;
    if (name[dot] != '.') return false;
    for (std::size_t i = dot + 1; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

} // namespace

std::string ProgramPath() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    buffer[n] = '\0';
    return buffer;
}

void SetProgramDirectory(const std::string& directory) {
    gProgramDirectory = directory;
    if (!gProgramDirectory.empty() && gProgramDirectory.back() != '/') gProgramDirectory += '/';
}

std::string ProgramDirectory() {
    if (!gProgramDirectory.empty()) return gProgramDirectory;
    return StripFileName(ProgramPath());
}

std::string StripFileName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ReplaceFileName(const std::string& path, const std::string& name) {
    return StripFileName(path) + name;
}

std::string AppendPathComponent(const std::string& path, const std::string& name) {
    if (path.empty()) return name;
    if (path.back() == '/') return path + name;
    return path + '/' + name;
}

std::string FileTitle(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SamePath(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsReadOnly(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    // The permission bits, not access(): the superuser may write anything,
    // but a file marked read-only is still meant to be left alone.
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool MakeDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0;
}
bool RemoveDirectory(const std::string& path) {
    return rmdir(path.c_str()) == 0;
}
bool DeleteFile(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

std::string GetCurrentDirectory() {
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) == nullptr) return {};
    return buffer;
}

bool SetCurrentDirectory(const std::string& path) {
    return chdir(path.c_str()) == 0;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    if (path.empty() || mode == nullptr) return nullptr;
    // fopen opens a directory for reading; the program wants files only.
    if (DirectoryExists(path)) return nullptr;
    if (mode[0] == 'r') return OpenRegularFile(path, mode);
    if (!WritesWholeFile(mode)) return std::fopen(path.c_str(), mode);
    // Writing through a symbolic link replaces the file it points to, not the link.
    std::string final = path;
    struct stat linkInfo {};
    char resolved[PATH_MAX];
    if (lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode) &&
        realpath(path.c_str(), resolved) != nullptr)
        final = resolved;
    std::string temporary = final + kTemporarySuffix;
    int fd = mkstemp(temporary.data());
    if (fd < 0) return nullptr;
    // New files get the usual permissions; a replaced file keeps its own.
    struct stat st {};
    mode_t permissions;
    if (stat(final.c_str(), &st) == 0) {
        permissions = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        permissions = 0666 & ~mask;
    }
    fchmod(fd, permissions);
    std::FILE* file = fdopen(fd, mode);
    if (file == nullptr) {
        close(fd);
        unlink(temporary.c_str());
        return nullptr;
    }
    gPendingWrites[file] = {temporary, final};
    return file;
}

bool CloseFile(std::FILE* file) {
    if (file == nullptr) return false;
    auto it = gPendingWrites.find(file);
    if (it == gPendingWrites.end()) return std::fclose(file) == 0;
    PendingWrite pending = it->second;
    gPendingWrites.erase(it);
    bool ok = !Faulted(FileFault::Write) && std::ferror(file) == 0;
    ok = ok && !Faulted(FileFault::Flush) && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    ok = std::fclose(file) == 0 && !Faulted(FileFault::Close) && ok;
    if (ok)
        ok = !Faulted(FileFault::Rename) &&
             std::rename(pending.temporary.c_str(), pending.final.c_str()) == 0;
    if (!ok) unlink(pending.temporary.c_str());
    return ok;
}

void AbandonFile(std::FILE* file) {
    if (file == nullptr) return;
    auto it = gPendingWrites.find(file);
    std::fclose(file);
    if (it != gPendingWrites.end()) {
        unlink(it->second.temporary.c_str());
        gPendingWrites.erase(it);
    }
}

void SetFileFaultForTest(FileFault fault, int nth) {
    gFaultCountdown[static_cast<int>(fault)] = nth;
}

void ClearFileFaultsForTest() {
    for (int& countdown : gFaultCountdown)
        countdown = 0;
}

std::vector<std::string> MatchingPaths(const std::string& pattern) {
    std::vector<std::string> paths;
    glob_t found{};
    if (glob(pattern.c_str(), 0, nullptr, &found) == 0)
        paths.assign(found.gl_pathv, found.gl_pathv + found.gl_pathc);
    globfree(&found);
    return paths;
}

int RemoveStaleTemporaryFiles(const std::string& directory, const std::string& extension,
                              bool recursive, long minimumAgeSeconds) {
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) return 0;
    int removed = 0;
    const std::time_t now = std::time(nullptr);
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::string path = AppendPathComponent(directory, name);
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (recursive)
                removed += RemoveStaleTemporaryFiles(path, extension, true, minimumAgeSeconds);
            continue;
        }
        // Only our own leftovers: "<name><extension>.XXXXXX", a regular file
        // that nobody has written to for a while (another copy of the program
        // may be replacing a file right now).
        if (!S_ISREG(st.st_mode) || !IsTemporaryName(name)) continue;
        std::string final = name.substr(0, name.size() - kTemporaryTailLength);
        if (final.size() <= extension.size() ||
            strcasecmp(final.c_str() + final.size() - extension.size(), extension.c_str()) != 0)
            continue;
        if (now - st.st_mtime < minimumAgeSeconds) continue;
        if (unlink(path.c_str()) == 0) ++removed;
    }
    closedir(dir);
    return removed;
}
