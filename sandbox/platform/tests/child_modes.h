// What this test program does when it is started as a child by the tests:
// `plix_platform_tests --child <mode> [args...]`.
#pragma once

// Runs the child mode named in argv and returns its exit code, or -1 when
// argv asks for no child mode.
int runChildMode(int argc, char **argv);
