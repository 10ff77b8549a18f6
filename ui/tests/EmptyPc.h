// The PC the page flow runs on: one without any modem, so that the engine,
// should it run, finds nothing.
#pragma once

#include <memory>
#include <string>

class CEmptyPc {
public:
    CEmptyPc();
    ~CEmptyPc();
    CEmptyPc(const CEmptyPc&) = delete;
    CEmptyPc& operator=(const CEmptyPc&) = delete;

    // Makes it the PC the code runs on: "" on success, else what went wrong.
    std::string Start();

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
