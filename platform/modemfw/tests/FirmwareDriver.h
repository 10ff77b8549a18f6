// Drives a Firmware on made-up time: send bytes, then let the modem's
// timers run out, collecting what it says and how long that took.
#pragma once

#include "modemfw/Firmware.h"
#include "modemfw/SettingsParser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace plat::modemfw::testing {

inline ModemSettings SettingsFrom(const std::string& json)
{
    ModemSettings settings;
    SettingsError error;
    EXPECT_TRUE(ParseSettings(nlohmann::json::parse(json), "", &settings, &error)) << error.key << ": " << error.message;
    return settings;
}

class FirmwareDriver {
public:
    explicit FirmwareDriver(ModemSettings settings) : m_firmware(std::move(settings)) {}
    explicit FirmwareDriver(const std::string& json = "{}") : m_firmware(SettingsFrom(json)) {}

    // Sends bytes, then runs the timers for at most `maxMs`; returns the output.
    std::string Send(const std::string& bytes, double maxMs = 1e9)
    {
        m_firmware.Receive(bytes, m_now);
        return Run(maxMs);
    }

    // Lets up to `maxMs` pass, stopping early when no timer is left.
    std::string Run(double maxMs)
    {
        std::string out = m_firmware.TakeOutput();
        const TimePoint start = m_now;
        const TimePoint end = start + std::chrono::microseconds(static_cast<long long>(maxMs * 1000));
        while (auto deadline = m_firmware.NextDeadline()) {
            if (*deadline > end)
                break;
            m_now = std::max(m_now, *deadline);
            m_firmware.Tick(m_now);
            out += m_firmware.TakeOutput();
        }
        m_elapsedMs = std::chrono::duration<double, std::milli>(m_now - start).count();
        if (maxMs < 1e9) {
            m_now = end;
            m_firmware.Tick(m_now);
            out += m_firmware.TakeOutput();
        }
        return out;
    }

    // How long the last Send/Run waited for its last timer.
    double ElapsedMs() const { return m_elapsedMs; }
    Firmware& Modem() { return m_firmware; }

private:
    Firmware m_firmware;
    TimePoint m_now = TimePoint{} + std::chrono::hours(1000);
    double m_elapsedMs = 0;
};

} // namespace plat::modemfw::testing
