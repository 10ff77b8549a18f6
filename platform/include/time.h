// <time.h> as the Windows C runtime has it: the host's own header, plus the
// 64-bit calendar time that the Windows runtime declares here under its own
// names.
#pragma once

#include_next <time.h>
#include <stdint.h>

typedef int64_t __time64_t;

#ifdef __cplusplus
extern "C" {
#endif

// Calendar time in seconds, from the machine's clock.
__time64_t _time64(__time64_t* timer);

#ifdef __cplusplus
}
#endif
