// CheckDeviceStatus: whether the modem's device node reports a problem.
#include "ModemDevice.h"

#include "Trace.h"

int CModemDevice::CheckDeviceStatus()
{
    if (!m_bFound)
        return 0;
    ULONG nStatus = 0;
    ULONG nProblem = 0;
    CONFIGRET cr = CM_Get_DevNode_Status(&nStatus, &nProblem, m_devInfoData.DevInst, 0);
    TraceWrite(20, "CM_Get_DevNode_Status = %d", (int)cr);
    if (cr != CR_SUCCESS || (nStatus & DN_HAS_PROBLEM))
        return 0;
    TraceWrite(20, "No hardware problem found");
    return 1;
}
