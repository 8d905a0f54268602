#include <gtest/gtest.h>
#include <windows.h>
#include <thread>
TEST(Smoke, Runs) { std::thread t([]{}); t.join(); EXPECT_NE(GetModuleHandleW(nullptr), nullptr); }
