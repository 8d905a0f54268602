// The companion watch: the window is forced into the minimised and hidden
// state while no process named like the companion software runs.
#include "ProcessWatch.h"
#include "UiTestUtil.h"
#include "com/ModulePath.h"
#include "com/UniqueHandle.h"

namespace {

// A running copy of the stub program under a name that contains the companion's.
class TCompanionProcess {
public:
    TCompanionProcess()
    {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        std::wstring cmd = L"\"" + std::wstring(UI_TEST_COMPANION) + L"\"";
        CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                       pi_.put());
    }
    ~TCompanionProcess() { End(); }
    bool Started() const { return bool(pi_); }
    void End()
    {
        if (!pi_) return;
        TerminateProcess(pi_.process(), 0);
        WaitForSingleObject(pi_.process(), 10000);
        pi_.reset();
    }

private:
    TUniqueProcessInformation pi_;
};

}  // namespace

TEST(IsProcessRunning, MatchesAnyPartOfAnExecutableNameInAnyCase)
{
    const std::wstring own = ModuleFileName();  // ui_tests.exe
    ASSERT_GT(own.size(), 4u);
    EXPECT_TRUE(IsProcessRunning(own));
    std::wstring mixed = own.substr(1, own.size() - 2);  // a part, without the first and last letter
    for (size_t i = 0; i < mixed.size(); i += 2) mixed[i] = static_cast<wchar_t>(towupper(mixed[i]));
    EXPECT_TRUE(IsProcessRunning(mixed));
    EXPECT_FALSE(IsProcessRunning(L"no-such-program-7f3a.exe"));
}

using TCompanionWatch = TFormTest;

TEST_F(TCompanionWatch, WithoutTheCompanionTheWindowIsHiddenAndEdit1Zeroed)
{
    ASSERT_FALSE(IsProcessRunning(kCompanionProcessName));
    ASSERT_TRUE(form->Shown());
    form->Timer4Timer();
    EXPECT_TRUE(form->Minimised());
    EXPECT_FALSE(form->Shown());
    EXPECT_EQ(form->ItemValueTable.Edit1Text(), "0");
    // The bring-to-front message shows it; the next tick hides it again.
    SendMessageW(form->Handle(), kMainWindowBringToFront, 0, 0);
    EXPECT_TRUE(form->Shown());
    form->Timer4Timer();
    EXPECT_FALSE(form->Shown());
}

TEST_F(TCompanionWatch, WhileTheCompanionRunsTheWindowIsLeftAlone)
{
    TCompanionProcess companion;
    ASSERT_TRUE(companion.Started());
    ASSERT_TRUE(IsProcessRunning(kCompanionProcessName));  // MyQuillmere.exe contains Quillmere.EXE
    form->ItemValueTable.SetEdit1Text("hello");
    form->Timer4Timer();
    EXPECT_TRUE(form->Shown());
    EXPECT_FALSE(form->Minimised());
    EXPECT_EQ(form->ItemValueTable.Edit1Text(), "hello");

    // A client toggles the window while the companion runs.
    form->ItemValueTable.SetEdit1Text("1");
    EXPECT_FALSE(form->Shown());
    form->Timer4Timer();
    EXPECT_FALSE(form->Shown());
    form->ItemValueTable.SetEdit1Text("1");
    EXPECT_TRUE(form->Shown());

    companion.End();
    form->Timer4Timer();
    EXPECT_FALSE(form->Shown());
    EXPECT_EQ(form->ItemValueTable.Edit1Text(), "0");
}

TEST(CompanionWatchTimer, RunsOnItsOwnOnceASecondFromTheStart)
{
    ASSERT_FALSE(IsProcessRunning(kCompanionProcessName));
    TMF form;
    form.QuitOnDestroy = false;
    form.CreateForm();
    EXPECT_TRUE(form.Timer4.Enabled());
    EXPECT_EQ(form.Timer4.Interval(), 1000u);
    form.Show();
    EXPECT_TRUE(form.Shown());
    EXPECT_EQ(form.ItemValueTable.Edit1Text(), "Edit1");
    EXPECT_TRUE(PumpUntil([&] { return !form.Shown(); })) << "the watch's own tick hides the window";
    EXPECT_TRUE(form.Minimised());
    EXPECT_EQ(form.ItemValueTable.Edit1Text(), "0");
}
