// tinyobjloader's implementation for the Windows build, where the library is
// compiled from its header rather than taken from the build machine.
#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>
