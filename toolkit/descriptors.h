#pragma once
// Files by name without surprises: every program keeps descriptors 0, 1 and 2 taken, so that no
// file it opens can become its standard output or error, and data is read from regular files
// only, so that a FIFO, a device or a folder in its place is refused at once instead of blocking.
// Header-only: the data generators use it without the demo's library.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

// Opens /dev/null on each of 0, 1 and 2 that is closed. False when even that fails; a program
// then has nowhere to say so and ends with status 1.
inline bool keepstandarddescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lower ones are open, so this takes fd itself.
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened != fd) {
      if (opened >= 0) close(opened);
      return false;
    }
  }
  return true;
}

// Why a file is no data file, from its type.
inline const char* notregular(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder, not a file";
  if (S_ISFIFO(mode)) return "a FIFO, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a regular file";
  return "not a regular file";
}

// Opens path for reading when it is a regular file (O_NONBLOCK, so that opening a FIFO cannot
// wait for a writer; regular files never block). Returns the descriptor, or -1 with why set and
// error the errno value where the system refused (ENOENT for a missing file), else 0.
inline int openregular(const char* path, std::string& why, int& error) {
  error = 0;
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0) {
    error = errno;
    why = std::strerror(error);
  } else if (!S_ISREG(info.st_mode)) {
    why = notregular(info.st_mode);
  }
  if (why.empty()) return fd;
  if (fd >= 0) close(fd);
  return -1;
}

// The whole of a regular file of at most limit bytes. False with why and error set as by
// openregular otherwise.
inline bool readregular(const char* path, size_t limit, std::vector<unsigned char>& bytes,
                        std::string& why, int& error) {
  const int fd = openregular(path, why, error);
  if (fd < 0) return false;
  struct stat info {};
  fstat(fd, &info);
  if (static_cast<unsigned long long>(info.st_size) > limit) {
    why = "larger than " + std::to_string(limit >> 20) + " MB";
  } else {
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        error = got < 0 ? errno : 0;
        why = got < 0 ? std::strerror(errno) : "shorter than it was a moment ago";
        break;
      }
      done += static_cast<size_t>(got);
    }
  }
  close(fd);
  return why.empty();
}
