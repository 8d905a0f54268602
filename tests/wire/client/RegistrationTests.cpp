// The proxy/stub DLL registers and unregisters itself through regsvr32.
#include "registration/ServerRegistration.h"
#include "client/WireEnvironment.h"
#include "opcda.h"
#include "ProxiedInterfaces.h"
#include <gtest/gtest.h>

namespace wire {
namespace {

TEST(ProxyRegistration, RegsvrRemovesAndRestoresEveryInterface) {
    const std::wstring factory = kProxyClassId;
    ASSERT_EQ(0, RunRegsvr32(true));
    for (const IID* iid : kProxiedInterfaces) EXPECT_EQ(L"", ProxyStubClsidOf(*iid)) << GuidToString(*iid).c_str();

    ASSERT_EQ(0, RunRegsvr32(false));
    for (const IID* iid : kProxiedInterfaces) EXPECT_EQ(factory, ProxyStubClsidOf(*iid)) << GuidToString(*iid).c_str();
    // The interface name and method count, which COM tools show.
    wchar_t count[16] = {};
    DWORD size = sizeof(count);
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CLASSES_ROOT,
                                          (L"Interface\\" + GuidToString(IID_IOPCItemMgt) + L"\\NumMethods").c_str(),
                                          nullptr, RRF_RT_REG_SZ, nullptr, count, &size));
    EXPECT_STREQ(L"10", count);
}

}  // namespace
}  // namespace wire
