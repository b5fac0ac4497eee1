#pragma once
// Files that appear whole or not at all: written under a temporary name in the target's own
// folder and renamed over the target only once complete and on the disk, so that a failed write
// (a full disk, a lost device) leaves an earlier file there as it was and nothing broken behind.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

class WholeFile {
 public:
  // Creates a fresh hidden file beside path; stream() is null when that fails, with error() set.
  explicit WholeFile(const std::string& path) : target(path) {
    const size_t namestart = path.rfind('/') + 1;  // 0 without a folder
    const std::string stem = path.substr(0, namestart) + "." + path.substr(namestart) + "." +
                             std::to_string(getpid()) + "-";
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
      temporary = stem + std::to_string(attempt);
      fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
      fail(errno);
      return;
    }
    created = true;
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

  // Open for writing from the start; writers that open files by name may use path() instead.
  FILE* stream() const { return file; }
  const std::string& path() const { return temporary; }

  // Keeps the first reason a write failed (an errno value); commit() then refuses.
  void fail(int error) {
    if (reason.empty()) reason = std::strerror(error);
  }
  const std::string& error() const { return reason; }

  // Flushes the file to the disk and puts it in place of the target. False, with error() set,
  // when anything failed; the temporary file is then removed and the target left alone.
  bool commit() {
    if (!file || !reason.empty()) return false;
    if (std::fflush(file) != 0 || fsync(fileno(file)) != 0) fail(errno);
    if (std::fclose(file) != 0) fail(errno);
    file = nullptr;
    if (reason.empty() && std::rename(temporary.c_str(), target.c_str()) != 0) fail(errno);
    committed = reason.empty();
    return committed;
  }

 private:
  std::string target;
  std::string temporary;
  std::string reason;
  FILE* file = nullptr;
  bool created = false;
  bool committed = false;
};
