#pragma once
// Files that appear whole or not at all: written into an unnamed file in the target's own folder
// (O_TMPFILE) and linked under the target's name only once complete and on the disk, so that a
// failed write (a full disk, a lost device) leaves an earlier file there as it was, and a killed
// process leaves nothing behind. Where the file system has no unnamed files, a hidden named one
// takes its place, no longer than the target's name, and is renamed over the target.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

// The hidden stand-in for a file named name (no folder), attempt 0, 1, ...: as long as name
// itself, so that it fits wherever name fits ("." and the name's start, then "~N.PID").
inline std::string hiddenname(const std::string& name, int attempt) {
  const std::string tag = "~" + std::to_string(attempt) + "." + std::to_string(getpid());
  const size_t length = std::max<size_t>(name.size(), 2);
  if (length > tag.size()) return "." + name.substr(0, length - 1 - tag.size()) + tag;
  return ("." + tag).substr(0, length);
}

class WholeFile {
 public:
  // Creates the file beside path; stream() is null when that fails, with error() set. named
  // forces the hidden named file even where unnamed ones are possible.
  explicit WholeFile(const std::string& path, bool named = false) : target(path) {
    const size_t namestart = path.rfind('/') + 1;  // 0 without a folder
    folder = namestart ? path.substr(0, namestart) : "./";
    name = path.substr(namestart);
    int fd = named ? -1 : open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    unnamed = fd >= 0;
    // Kernels and file systems without unnamed files say so in one of these ways.
    if (!named && fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      fail(errno);
      return;
    }
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
      temporary = folder + hiddenname(name, attempt);
      fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && errno != EEXIST) break;
      created = fd >= 0;
    }
    if (fd < 0) {
      fail(errno);
      return;
    }
    file = fdopen(fd, "wb");
    if (!file) {
      fail(errno);
      close(fd);
    }
  }
  ~WholeFile() {
    if (file) std::fclose(file);
    if (created && !committed) std::remove(temporary.c_str());
  }
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;

  // Open for writing from the start; writers of their own may write to its descriptor instead.
  FILE* stream() const { return file; }
  // Whether the file has no name until commit (O_TMPFILE), for the tests.
  bool isunnamed() const { return unnamed; }

  // Keeps the first reason a write failed (an errno value); commit() then refuses.
  void fail(int error) {
    if (reason.empty()) reason = std::strerror(error);
  }
  const std::string& error() const { return reason; }

  // Flushes the file to the disk and puts it in place of the target. False, with error() set,
  // when anything failed; nothing is then left of the file and the target is left alone.
  bool commit() {
    if (!file || !reason.empty()) return false;
    if (std::fflush(file) != 0 || fsync(fileno(file)) != 0) fail(errno);
    if (reason.empty() && unnamed) linkunnamed();
    if (std::fclose(file) != 0) fail(errno);
    file = nullptr;
    if (reason.empty() && std::rename(temporary.c_str(), target.c_str()) != 0) fail(errno);
    committed = reason.empty();
    return committed;
  }

 private:
  // Gives the unnamed file its name: the target's where there is none yet, else a hidden one that
  // commit then renames over the target (a link cannot replace a file).
  void linkunnamed() {
    const std::string self = "/proc/self/fd/" + std::to_string(fileno(file));
    const auto link = [&](const std::string& to) {
      return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0;
    };
    if (link(target)) {
      temporary = target;  // the rename is then a no-op
      return;
    }
    for (int attempt = 0; errno == EEXIST && attempt < 100; ++attempt) {
      temporary = folder + hiddenname(name, attempt);
      if (link(temporary)) {
        created = true;
        return;
      }
    }
    fail(errno);
  }

  std::string target, folder, name;
  std::string temporary;
  std::string reason;
  FILE* file = nullptr;
  bool unnamed = false;
  bool created = false;
  bool committed = false;
};
