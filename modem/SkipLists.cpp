#include "SkipLists.h"

#include <mbstring.h>

#include <cstdlib>

// Constant-initialised: the built-in part exists before any code runs.
CSkipList SkippedKeys = {
    {"IDeleteRegKeys", "StartPlay", "StopPlay", "StartRecord", "StopRecord", "LineSetPlayFormat",
     "LineSetRecordFormat", "VoiceToDataAnswer", "VoiceAnswer", "VoiceDialNumberSetup", "GenerateDigit",
     "WaveDriver", "SpeakerPhoneEnable", "SpeakerPhoneDisable", "SpeakerPhoneMute", "SpeakerPhoneUnMute",
     "SpeakerPhoneSetVolumeGain", "KillAppsList"},
    SKIPPED_KEYS_BUILTIN,
};

CSkipList SkippedValues = {
    {"Contention", "Current", "Previous", "COPY_CTY", "FLAG", "T35CODE", "INTCODE", "BondOption", "Properties",
     "VoiceProfile", "Enumerator", "TerminateRecord", "TerminatePlay", "AbortPlay", "VoiceBaudRate", "ForwardDelay",
     "SpeakerPhoneSpecs", "MISC_VOICE_PARMS", "AUDIO_AEC", "NAME", "DevLoader", "FriendlyDriver", "EnumPropPages",
     "CurrentRegion"},
    SKIPPED_VALUES_BUILTIN,
};

int CSkipList::CountEntries()
{
    int nCount = 0;
    while (nCount < SKIP_LIST_SLOTS && m_pszEntries[nCount] != nullptr)
        ++nCount;
    m_nLength = nCount;
    return nCount;
}

int CSkipList::Append(char* pszHeapCopy)
{
    if (IsFull()) {
        free(pszHeapCopy);
        return 0;
    }
    m_pszEntries[m_nLength++] = pszHeapCopy;
    return 1;
}

void CSkipList::TruncateTo(int nLength)
{
    if (nLength < 0)
        nLength = 0;
    for (int i = nLength; i < m_nLength; ++i) {
        free(const_cast<char*>(m_pszEntries[i]));
        m_pszEntries[i] = nullptr;
    }
    if (m_nLength > nLength)
        m_nLength = nLength;
}

int CSkipList::Contains(const char* pszName) const
{
    for (int i = 0; i < m_nLength; ++i) {
        if (_mbscmp(reinterpret_cast<const unsigned char*>(m_pszEntries[i]),
                    reinterpret_cast<const unsigned char*>(pszName)) == 0)
            return 1;
    }
    return 0;
}
