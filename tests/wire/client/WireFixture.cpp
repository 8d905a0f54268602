#include "client/WireFixture.h"
#include "WireProtocol.h"

namespace wire {

void WireTest::SetUp() {
    connection_ = std::make_unique<ServerConnection>(CLSID_WireTestServer);
    ASSERT_HRESULT_SUCCEEDED(connection_->result());
    ASSERT_NE(nullptr, connection_->server());
}

void WireTest::TearDown() {
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), connection_->ReleaseAndWaitForExit(15000))
        << "the server process did not exit cleanly after its last object was released";
}

}  // namespace wire
