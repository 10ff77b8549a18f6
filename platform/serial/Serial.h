// The emulated PC's COM ports. The "serial" profile loader builds them from
// machine.json ("ports" and "modems", docs/machine-profile.md), starts a
// modem emulator for each emulated modem, and installs the opener through
// which CreateFileA("COM3") reaches them.
#pragma once

#include <string>
#include <vector>

namespace plat::serial {

// Registers the profile loader and the device opener.
void RegisterLoader();

// True when the port is configured and its device is there (an emulator's
// port that went away is not).
bool PortExists(const std::string& name);
// The configured ports that are not marked absent, e.g. {"COM3"}.
std::vector<std::string> PortNames();
// The tty behind a port ("" when it has none): the emulator's pty slave or
// the configured device.
std::string PortDevice(const std::string& name);
// The program named by the profile's "heldBy", or "" when nobody holds it.
std::string PortHolder(const std::string& name);

// Test hooks. Another program takes the port (false when it is absent or
// open already) and lets it go again.
bool HoldPort(const std::string& name, const std::string& program);
bool ReleasePort(const std::string& name);
// The emulated modem's port goes away now, as with the "portGone" fault.
bool TakePortAway(const std::string& name);
// How many reads and writes the port of `handle` holds queued, not yet
// complete (-1 when the handle is not an open port): lets a test act once a
// request in another thread is really waiting.
int QueuedRequests(void* handle);
// On the port as the program holds it open (false when it is not open): a
// purge by another user of the port (PurgeComm's flags), the DCB's
// fAbortOnError as a driver or an earlier program left it, and line errors
// (CE_FRAME...) as a noisy line gives them.
bool PurgeOpenPort(const std::string& name, unsigned long flags);
bool SetAbortOnError(const std::string& name, bool abort);
bool RaiseLineError(const std::string& name, unsigned long errors);

} // namespace plat::serial
