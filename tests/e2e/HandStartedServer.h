// A srvZEV30.exe started by hand for the tests of a fixture, closed by its
// window at the end (answering the close question should a client still hold
// objects), so that no test leaves a server or a dead registration behind.
#pragma once
#include <gtest/gtest.h>

#include "ServerProcess.h"

class HandStartedServer : public testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override { ASSERT_NE(window_, nullptr) << "the server did not start"; }

    static inline TProcess process_;
    static inline HWND window_ = nullptr;
};
