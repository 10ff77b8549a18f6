// The emulated PC shares no named objects between processes, and its
// windows have no screen: every start is the first, and the foreground is
// nobody's to give.
#include "SingleInstance.h"

CSingleInstance::CSingleInstance() = default;

CSingleInstance::~CSingleInstance() = default;

void CSingleInstance::BringRunningToFront()
{
}

void CSingleInstance::AllowForeground(DWORD)
{
}
