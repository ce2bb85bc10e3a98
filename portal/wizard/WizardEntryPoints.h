#pragma once
// The interactive entry points are declared with the others.
#include "brindle/BRCUtil.h"
