#pragma once
#include <cstdio>
// Byte-level reading for the raw texture format: past the end of the file every byte reads as 255.

// The next byte, 0 to 255; 255 at end of file.
int readbyte(FILE* f);
// The next four bytes, most significant first; all bits set once the file has run out.
unsigned int readint(FILE* f);
