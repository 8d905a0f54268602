// Fixture of the wire tests: every test gets a fresh test server process
// through COM activation and, at the end, checks that the process exits
// cleanly once the test has released everything it got from it.
#pragma once
#include "com/ComObject.h"
#include "MessagePump.h"
#include "com/OpcElementCleanup.h"
#include "TestValues.h"
#include "client/ClientCalls.h"
#include "client/ServerConnection.h"
#include "opcda.h"
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace wire {

class WireTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    IOPCServer* server() const { return connection_->server(); }

    ComPtr<IUnknown> AddGroup(const wchar_t* name, bool active, DWORD rate, OPCHANDLE clientHandle,
                              OPCHANDLE* serverHandle = nullptr) {
        auto group = wire::AddGroup(server(), name, active, rate, clientHandle, serverHandle);
        EXPECT_NE(nullptr, group);
        return group;
    }

private:
    std::unique_ptr<ServerConnection> connection_;
};

template <typename I>
ComPtr<I> As(const ComPtr<IUnknown>& unknown) {
    ComPtr<I> result;
    EXPECT_HRESULT_SUCCEEDED(unknown.As(&result));
    return result;
}

}  // namespace wire
