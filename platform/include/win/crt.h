// C runtime functions that the Windows C runtime has under its own names.
#pragma once

#include <cstdint>

typedef int64_t __time64_t;

#ifdef __cplusplus
extern "C" {
#endif

// Calendar time in seconds, from the machine's clock.
__time64_t _time64(__time64_t* timer);

#ifdef __cplusplus
}
#endif
