// Files and paths. Paths use '/' between components.

#include "shell/Platform.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string gProgramDirectory;  // set by SetProgramDirectory; empty = the executable's

struct PendingWrite {
    std::string temporary;
    std::string final;
};
std::map<std::FILE*, PendingWrite> gPendingWrites;

bool WritesWholeFile(const char* mode) { return mode != nullptr && mode[0] == 'w'; }

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

bool IsReadOnly(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    // The permission bits, not access(): the superuser may write anything,
    // but a file marked read-only is still meant to be left alone.
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool MakeDirectory(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }
bool RemoveDirectory(const std::string& path) { return rmdir(path.c_str()) == 0; }
bool DeleteFile(const std::string& path) { return unlink(path.c_str()) == 0; }

std::string GetCurrentDirectory() {
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) == nullptr) return {};
    return buffer;
}

bool SetCurrentDirectory(const std::string& path) { return chdir(path.c_str()) == 0; }

std::FILE* OpenFile(const std::string& path, const char* mode) {
    if (path.empty() || mode == nullptr) return nullptr;
    // fopen opens a directory for reading; the program wants files only.
    if (DirectoryExists(path)) return nullptr;
    if (!WritesWholeFile(mode)) return std::fopen(path.c_str(), mode);
    // Writing through a symbolic link replaces the file it points to, not the link.
    std::string final = path;
    struct stat linkInfo {};
    char resolved[PATH_MAX];
    if (lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode) &&
        realpath(path.c_str(), resolved) != nullptr)
        final = resolved;
    std::string temporary = final + ".XXXXXX";
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
    bool ok = std::fflush(file) == 0 && std::ferror(file) == 0 && fsync(fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    if (ok) ok = std::rename(pending.temporary.c_str(), pending.final.c_str()) == 0;
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
