// Filled in by its API family.
#pragma once

#include "types.h"
