// The zek executable (also installed as xqzek).
#include "editor/main.h"

int main(int argc, char** argv) { return zek::zekmain(argc, argv); }
