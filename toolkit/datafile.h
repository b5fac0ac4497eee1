#pragma once
// Where the demo's files are read from, so that the programs run both from the repository and
// installed, from any working folder.
#include <string>

// The path to open for NAME. A name under data/ ("data/floorb.png") is the working folder's file
// when it is there, else the one installed beside the program, else NAME as it is (whose failure
// then names it); any other name is used as it is.
std::string datapath(const char* name);
