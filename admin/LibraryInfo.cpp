// libbradm.so is bradm_core and the tree and transport libraries linked in whole (see
// CMakeLists.txt); this file only gives the shared library a source of its own.
#include "brindle/bradm.h"
