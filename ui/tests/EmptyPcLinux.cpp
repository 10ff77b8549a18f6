// On Linux the empty PC is an emulated one loaded from a throw-away profile.
#include "EmptyPc.h"

#include "boot/Boot.h"
#include "core/testing/TempProfile.h"

struct CEmptyPc::Impl {
    plat::testing::TempProfile profile;
};

CEmptyPc::CEmptyPc() : m_pImpl(std::make_unique<Impl>())
{
}

CEmptyPc::~CEmptyPc() = default;

std::string CEmptyPc::Start()
{
    plat::RegisterAllProfileLoaders();
    return m_pImpl->profile.Load();
}
