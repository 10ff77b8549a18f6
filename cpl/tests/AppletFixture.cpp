#include "AppletFixture.h"

#include "boot/Boot.h"
#include "registry/RegExportText.h"

#include <cstdio>
#include <cstring>

void AppletTest::SetUpTestSuite()
{
    plat::RegisterAllProfileLoaders();
}

void AppletTest::SetUp()
{
    UseMachine(0x0409, 0x0409);
    m_module = LoadLibraryA("Quillset.dll");
    ASSERT_NE(m_module, nullptr) << "error " << GetLastError();
    // Through void(*)(), the type GCC accepts between unrelated function types.
    m_proc = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void (*)()>(GetProcAddress(m_module, "CPlApplet")));
    ASSERT_NE(m_proc, nullptr);
}

void AppletTest::TearDown()
{
    if (m_module)
        FreeLibrary(m_module);
}

void AppletTest::UseMachine(LANGID userUI, LANGID systemDefault, const std::string& registry, LANGID userDefault)
{
    char json[512];
    std::snprintf(json, sizeof(json),
                  R"({"languages": {"userUI": %u, "userDefault": %u, "systemDefault": %u},)"
                  R"( "folders": {"C:\\Program Files\\Tarn\\Ravlin": "ravlin"}})",
                  userUI, userDefault ? userDefault : userUI, systemDefault);
    m_profile.Write("machine.json", json);
    m_profile.Write("registry/10-apppaths.reg", plat::registry::kRegFileHeader + registry);
    ASSERT_EQ(m_profile.Load(), "");
}

LONG_PTR AppletTest::Send(UINT message, LPARAM lParam1, LPARAM lParam2)
{
    return m_proc(nullptr, message, lParam1, lParam2);
}

NEWCPLINFOA AppletTest::Inquire()
{
    EXPECT_EQ(Send(CPL_INIT), 1);
    NEWCPLINFOA info;
    std::memset(&info, 0xCC, sizeof(info));
    EXPECT_EQ(Send(CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
    return info;
}
