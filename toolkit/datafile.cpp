#include "toolkit/datafile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

namespace {
constexpr char prefix[] = "data/";
constexpr size_t prefixlength = sizeof prefix - 1;

bool isfile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The installed data folder, found from the running program's own folder (links resolved) rather
// than a fixed prefix, so that a staged or relocated install reads its own copy.
std::string installedfolder() {
  char program[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
  if (length <= 0) return {};
  const std::string path(program, static_cast<size_t>(length));
  return path.substr(0, path.rfind('/') + 1) + TESSIVAR_DATA_FROM_BIN;
}
}  // namespace

std::string datapath(const char* name) {
  if (std::strncmp(name, prefix, prefixlength) != 0 || isfile(name)) return name;
  const std::string folder = installedfolder();
  if (folder.empty()) return name;
  const std::string installed = folder + '/' + (name + prefixlength);
  return isfile(installed) ? installed : name;
}
