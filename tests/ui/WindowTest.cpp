// The window base: what a raising handler does to the window and its caller.
#include <gtest/gtest.h>

#include <stdexcept>

#include "Window.h"

namespace {

constexpr UINT kRaise = WM_APP + 7;
constexpr UINT kEcho = WM_APP + 8;

class TRaisingWindow : public TWindow {
public:
    bool raiseOnCreate = false;
    int failures = 0;
    UINT lastFailedMessage = 0;

    void CreateHidden()
    {
        TWindowCreateArgs args;
        args.ClassName = L"QuillmereRaisingTestWindow";
        args.Style = WS_POPUP;
        args.Bounds = RECT{0, 0, 50, 50};
        Create(args);
    }

protected:
    bool OnCreate() override
    {
        if (raiseOnCreate) throw std::runtime_error("create");
        return true;
    }
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override
    {
        if (msg == kRaise) throw std::logic_error("handler");
        if (msg == kEcho) {
            result = static_cast<LRESULT>(wp) + 1;
            return true;
        }
        return TWindow::OnMessage(msg, wp, lp, result);
    }
    void OnUnhandledException(UINT msg, std::exception_ptr error) noexcept override
    {
        ++failures;
        lastFailedMessage = msg;
        EXPECT_TRUE(error != nullptr);
    }
};

TEST(Window, ARaisingHandlerIsCaughtAndTheWindowGoesOn)
{
    TRaisingWindow window;
    window.CreateHidden();
    ASSERT_NE(window.Handle(), nullptr);
    EXPECT_EQ(SendMessageW(window.Handle(), kRaise, 0, 0), 0);
    EXPECT_EQ(window.failures, 1);
    EXPECT_EQ(window.lastFailedMessage, kRaise);
    EXPECT_EQ(SendMessageW(window.Handle(), kEcho, 41, 0), 42) << "the next message is handled as usual";
}

TEST(Window, ARaisingCreateHandlerFailsTheCreation)
{
    TRaisingWindow window;
    window.raiseOnCreate = true;
    EXPECT_THROW(window.CreateHidden(), std::runtime_error);
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_EQ(window.failures, 1);
    EXPECT_EQ(window.lastFailedMessage, static_cast<UINT>(WM_CREATE));
}

}  // namespace
