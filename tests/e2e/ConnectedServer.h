// A fixture whose tests share one server object of a COM-started server.
#pragma once
#include <gtest/gtest.h>

#include "ServerProcess.h"

class ConnectedServer : public testing::Test {
protected:
    static void SetUpTestSuite() { server_ = ConnectServer(); }
    static void TearDownTestSuite()
    {
        server_.Reset();
        WaitForNoServer(20000);
    }
    void SetUp() override { ASSERT_TRUE(server_) << "the server could not be activated"; }

    template <class I>
    ComPtr<I> As() const
    {
        ComPtr<I> result;
        EXPECT_EQ(server_.As(&result), S_OK);
        return result;
    }

    static inline ComPtr<IOPCServer> server_;
};

// Frees what the server handed out when the test is done with it.
struct TaskFreeGuard {
    void* Block;
    ~TaskFreeGuard() { CoTaskMemFree(Block); }
};

inline std::wstring TakeString(LPWSTR text)
{
    std::wstring result = text ? text : L"";
    CoTaskMemFree(text);
    return result;
}
