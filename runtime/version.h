#pragma once
// The project's version, which every program reports; CMake passes it in from project().
#include <cstdio>
#include <cstring>

constexpr const char* tessivarversion = TESSIVAR_VERSION;

// Whether the first argument asks for the version, as the first thing a program's main checks.
inline bool askedversion(int argc, char** argv) {
  return argc >= 2 && std::strcmp(argv[1], "--version") == 0;
}

// Prints "PROGRAM VERSION"; the exit status: 0, or 1 when standard output cannot take it.
inline int printversion(const char* program) {
  const bool written = std::printf("%s %s\n", program, tessivarversion) > 0;
  return written && std::fflush(stdout) == 0 ? 0 : 1;
}
