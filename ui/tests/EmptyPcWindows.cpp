// On Windows the code runs on the PC itself; the suite is run on one without
// a modem (under Wine, a fresh prefix).
#include "EmptyPc.h"

struct CEmptyPc::Impl {
};

CEmptyPc::CEmptyPc() : m_pImpl(std::make_unique<Impl>())
{
}

CEmptyPc::~CEmptyPc() = default;

std::string CEmptyPc::Start()
{
    return "";
}
