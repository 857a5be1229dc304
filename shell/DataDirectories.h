// Where the game's data files lie relative to the program itself, so that an installation
// under any prefix, or a program run from its build tree, finds its music.
#pragma once
#include <string>
#include <vector>

// The data directory as installed beside the program (<prefix>/share/huebloc for
// <prefix>/bin/huebloc, <prefix>/share/games/huebloc for <prefix>/games/huebloc, as the build
// lays it out) and the build tree's generated files; empty when the program's own path cannot
// be told.
std::vector<std::string> DataDirectoriesBesideProgram();
