// The process-wide skip lists: built-in part, growth, limit and restore.
#include "ModemDevice.h"
#include "SkipLists.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

char* heapCopy(const char* text)
{
    char* copy = static_cast<char*>(std::malloc(std::strlen(text) + 1));
    std::strcpy(copy, text);
    return copy;
}

} // namespace

TEST(SkipLists, BuiltInEntriesAndBaselines)
{
    EXPECT_EQ(SkippedKeys.m_nLength, SKIPPED_KEYS_BUILTIN);
    EXPECT_EQ(SkippedValues.m_nLength, SKIPPED_VALUES_BUILTIN);
    EXPECT_STREQ(SkippedKeys.m_pszEntries[0], "IDeleteRegKeys");
    EXPECT_STREQ(SkippedKeys.m_pszEntries[17], "KillAppsList");
    EXPECT_STREQ(SkippedValues.m_pszEntries[0], "Contention");
    EXPECT_STREQ(SkippedValues.m_pszEntries[23], "CurrentRegion");
    EXPECT_EQ(SkippedKeys.m_pszEntries[18], nullptr);
    CModemDevice modem;
    EXPECT_EQ(modem.m_nSkipKeysBase, 18);
    EXPECT_EQ(modem.m_nSkipValuesBase, 24);
    EXPECT_TRUE(SkippedValues.Contains("Properties"));
    EXPECT_FALSE(SkippedValues.Contains("properties")) << "names are compared exactly";
}

TEST(SkipLists, GrowsToItsLimitAndReturnsToItsBuiltInPart)
{
    const int base = SkippedValues.CountEntries();
    EXPECT_TRUE(SkippedValues.Append(heapCopy("SerialNumber")));
    EXPECT_TRUE(SkippedValues.Contains("SerialNumber"));
    while (!SkippedValues.IsFull())
        SkippedValues.Append(heapCopy("Filler"));
    EXPECT_EQ(SkippedValues.m_nLength, SKIP_LIST_SLOTS);
    EXPECT_FALSE(SkippedValues.Append(heapCopy("Dropped"))); // freed, not stored
    EXPECT_FALSE(SkippedValues.Contains("Dropped"));

    SkippedValues.TruncateTo(base);
    EXPECT_EQ(SkippedValues.m_nLength, base);
    EXPECT_EQ(SkippedValues.m_pszEntries[base], nullptr);
    EXPECT_FALSE(SkippedValues.Contains("SerialNumber"));
    EXPECT_EQ(SkippedValues.CountEntries(), SKIPPED_VALUES_BUILTIN);
}
