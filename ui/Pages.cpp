#include "Pages.h"

const char* PageFileName(int nPage)
{
    switch (nPage) {
    case PAGE_ABOUT: return "about";
    case PAGE_CODE0: return "code0";
    case PAGE_CODE1: return "code1";
    case PAGE_CODE2: return "code2";
    case PAGE_CODE3: return "code3";
    case PAGE_RES0: return "res0";
    case PAGE_RES1: return "res1";
    case PAGE_RES2: return "res2";
    case PAGE_RES3: return "res3";
    case PAGE_RES4: return "res4";
    case PAGE_STARTERR: return "starterr";
    case PAGE_PROGRESS: return "progress";
    case PAGE_START:
    case PAGE_START_FROM_RES4:
    default: return "start";
    }
}
