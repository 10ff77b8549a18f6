// The process-wide skip lists of the INF-to-registry check: registry key
// names and value names that the check does not compare. Each list starts
// with its built-in names; a check adds the names that the driver publishes
// under its driver key and removes them again before it ends.
#pragma once

#define SKIP_LIST_SLOTS 2048

class CSkipList {
public:
    // Slots in use come first; an empty slot (null) ends the built-in part.
    // Built-in entries are string literals; appended ones are heap copies
    // (malloc) owned by the list.
    const char* m_pszEntries[SKIP_LIST_SLOTS];
    int m_nLength;

    // Counts the entries up to the first empty slot and makes that the length.
    int CountEntries();
    int IsFull() const { return m_nLength >= SKIP_LIST_SLOTS; }
    // Appends a heap copy (malloc) and takes it over; a full list frees it
    // and returns 0.
    int Append(char* pszHeapCopy);
    // Frees the entries from nLength on and makes nLength the length again.
    void TruncateTo(int nLength);
    // Exact, case-sensitive: 1 when some entry equals the name.
    int Contains(const char* pszName) const;
};

extern CSkipList SkippedKeys;
extern CSkipList SkippedValues;

#define SKIPPED_KEYS_BUILTIN 18
#define SKIPPED_VALUES_BUILTIN 24
