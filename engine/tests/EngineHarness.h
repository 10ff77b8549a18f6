// What the engine's tests share: a window that stands in for the dialog,
// the trace file read back as lines, and a view of the engine's inner
// state for tests that drive single steps.
#pragma once

#include "TestThread.h"
#include "Trace.h"

#include "core/Clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace harness {

// The engine with its inner operations and fields in reach. It adds no
// virtual operation, so the engine behaves exactly as the dialog's one.
class CEngineProbe : public CTestThread {
public:
    CEngineProbe() : CTestThread(START_LATER) { StartThread(); }
    ~CEngineProbe() override { EndThread(); }
    // A probe derived from this one starts the thread in its own constructor
    // and ends it in its own destructor.
    explicit CEngineProbe(StartLater) : CTestThread(START_LATER) {}
    using CTestThread::START_LATER;
    using CTestThread::StartLater;
    using CTestThread::StartThread;

    using CTestThread::OpenModem;
    using CTestThread::SendATCommand;
    using CTestThread::TestCard;
    using CTestThread::TestDialTone;
    using CTestThread::TestDialing;
    using CTestThread::TestLine;
    using CTestThread::TestStart;
    using CTestThread::m_bAbort;
    using CTestThread::m_bDetected;
    using CTestThread::m_Modem;
    using CTestThread::m_nRespLen;
    using CTestThread::m_nSendPos;
    using CTestThread::m_nStep;
    using CTestThread::m_szResponse;
    using CTestThread::m_tMark;

    LONG StageNow() { return Stage(); }
};

// A message that reached the dialog's window.
struct Posted {
    UINT message;
    WPARAM wParam;
};

// The dialog's window: the engine posts to it, the test collects.
class Dialog {
public:
    Dialog() { m_wnd.CreateMessageWindow(); }
    CWnd* Wnd() { return &m_wnd; }

    // Takes the messages that have arrived so far.
    std::vector<Posted> Take()
    {
        std::vector<Posted> taken;
        MSG msg;
        while (::PeekMessage(&msg, m_wnd.m_hWnd, 0, 0, PM_REMOVE))
            taken.push_back({msg.message, msg.wParam});
        return taken;
    }

    // Waits (real time) until a message of that kind arrives; `turn` runs
    // at every turn of the wait (a test moves the clock there).
    bool WaitFor(UINT message, WPARAM* wParam, int realMs = 20000, const std::function<void()>& turn = {})
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
        while (std::chrono::steady_clock::now() < deadline) {
            MSG msg;
            while (::PeekMessage(&msg, m_wnd.m_hWnd, 0, 0, PM_REMOVE)) {
                if (msg.message == message) {
                    if (wParam)
                        *wParam = msg.wParam;
                    return true;
                }
                m_others.push_back({msg.message, msg.wParam});
            }
            if (turn)
                turn();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    // Messages that WaitFor passed over.
    const std::vector<Posted>& Others() const { return m_others; }

private:
    CWnd m_wnd;
    std::vector<Posted> m_others;
};

// The trace file of one test, read back as line texts (without their time
// and thread prefix). A text that itself ends in CR LF keeps it.
class TraceFile {
public:
    explicit TraceFile(const std::string& name) : m_path(name + ".trc")
    {
        std::remove(m_path.c_str()); // a file of an earlier run of the test
        TraceSetName(name.c_str());
        TraceSetLevel(20);
    }

    std::vector<std::string> Lines() const
    {
        std::ifstream in(m_path, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        std::string text = content.str();
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
            std::string piece = text.substr(start, end - start);
            size_t colon = piece.find(": ");
            bool stamped = piece.size() > 13 && piece[2] == ':' && piece[5] == ':' && piece[8] == '_' &&
                           colon != std::string::npos;
            if (stamped || lines.empty())
                lines.push_back(stamped ? piece.substr(colon + 2) : piece);
            else
                lines.back() += "\r\n" + piece;
        }
        return lines;
    }

    // Whether the last line is `text`. Reads only the file's end, so it can
    // be asked at every turn of a long run whose trace grows all the while.
    bool LastLineIs(const std::string& text) const
    {
        const std::string tail = ": " + text + "\r\n";
        std::ifstream in(m_path, std::ios::binary | std::ios::ate);
        const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
        if (size < static_cast<std::streamoff>(tail.size()))
            return false;
        in.seekg(size - static_cast<std::streamoff>(tail.size()));
        std::string end(tail.size(), '\0');
        in.read(end.data(), static_cast<std::streamsize>(end.size()));
        return in && end == tail;
    }

    bool Has(const std::string& text) const
    {
        std::vector<std::string> lines = Lines();
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }

    int Count(const std::string& text) const
    {
        std::vector<std::string> lines = Lines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), text));
    }

    // Whether `texts` appear in this order (other lines may come between).
    bool InOrder(const std::vector<std::string>& texts) const
    {
        std::vector<std::string> lines = Lines();
        auto at = lines.begin();
        for (const std::string& text : texts) {
            at = std::find(at, lines.end(), text);
            if (at == lines.end())
                return false;
            ++at;
        }
        return true;
    }

    std::string Dump() const
    {
        std::string all;
        for (const std::string& line : Lines())
            all += line + "\n";
        return all;
    }

private:
    std::string m_path;
};

// A name for the current test's trace file.
inline std::string TestName()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    return name;
}

} // namespace harness
