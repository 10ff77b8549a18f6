// A modem firmware on a pseudo-terminal: the firmware's side is the pty
// master, which a thread of its own always reads, so a full buffer never
// blocks either end; the slave is the modem's "serial port" that a program
// opens. The firmware's timers run on the machine's clock.
#pragma once

#include "modemfw/Firmware.h"
#include "modemfw/ModemSettings.h"
#include "modemfw/UniqueFd.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace plat::modemfw {

class PtyModem {
public:
    // Opens a pty and starts the firmware; null with `error` set on failure.
    static std::unique_ptr<PtyModem> Start(const ModemSettings& settings, std::string* error);
    ~PtyModem();
    PtyModem(const PtyModem&) = delete;
    PtyModem& operator=(const PtyModem&) = delete;

    // The slave device, e.g. "/dev/pts/7"; it stops existing once the port is gone.
    const std::string& SlavePath() const { return m_slavePath; }

    // True once a fault has taken the port away (the pty is closed then).
    bool Gone() const { return m_gone.load(); }
    // Takes the port away now, as the "portGone" fault does.
    void GoAway();

    // The port on the other side was closed: DTR drops. Returns once the
    // firmware has hung up.
    void DropDtr();

private:
    explicit PtyModem(const ModemSettings& settings);
    void Run();
    void Wake();
    bool Pump(); // one turn of the loop; false when the thread should end
    bool TakeRequests(); // acts on DropDtr/GoAway; false once stopped

    Firmware m_firmware; // used by the thread only
    UniqueFd m_master;
    UniqueFd m_keepSlave; // holds the slave open so the master never sees a hang-up
    UniqueFd m_wake;      // eventfd that interrupts the thread's poll
    std::string m_slavePath;
    std::string m_pendingOutput; // bytes the master could not take yet

    std::mutex m_mutex; // guards the requests below
    bool m_stop = false;
    uint64_t m_dtrRequested = 0;
    uint64_t m_dtrDone = 0;
    std::condition_variable m_dtrHandled;
    bool m_goAway = false;

    bool m_goingAway = false; // used by the thread only
    uint64_t m_dtrSeen = 0;   // used by the thread only
    std::atomic<bool> m_gone{false};
    std::thread m_thread;
};

} // namespace plat::modemfw
