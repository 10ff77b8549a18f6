// The dialog's pages: a number for each, and the file it loads.
#pragma once

#define PAGE_ABOUT 0
#define PAGE_CODE0 1
#define PAGE_CODE1 2
#define PAGE_CODE2 3
#define PAGE_CODE3 4
// Page 5 has no file of its own: it shows "start" while its buttons lead
// back to the port-in-use result.
#define PAGE_START_FROM_RES4 5
#define PAGE_RES0 6
#define PAGE_RES1 7
#define PAGE_RES2 8
#define PAGE_RES3 9
#define PAGE_RES4 10
#define PAGE_START 11
#define PAGE_STARTERR 12
#define PAGE_PROGRESS 13

// The page file's name without ".htm"; "start" for page 5 and any number
// outside the table.
const char* PageFileName(int nPage);
