// Program entry: no command line, exit code 0 in every case.
#include "shell/Program.h"

int main() { return RunProgram(); }
