// The handle owners and the module path: what each owner closes and when,
// checked against a counting fake and against real kernel objects, and the
// module path against the system's own answers.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "com/ModulePath.h"
#include "com/UniqueHandle.h"

namespace {

// A handle type whose "none" is -1, so a zero handle must be closed like any other.
struct TCountingTraits {
    using THandle = int;
    static inline std::vector<int> Closed;
    static THandle Invalid() noexcept { return -1; }
    static void Close(THandle handle) noexcept { Closed.push_back(handle); }
};
using TCounted = TUniqueAny<TCountingTraits>;

// kMark, closed by a case itself, separates what happened during the case
// from what the owners' destructors close at its end.
constexpr int kMark = -100;

struct TOwnerCase {
    const char* name;
    std::function<void()> run;
    std::vector<int> closed;  // every close, in order, the owners' ends included
};

class UniqueHandleCases : public testing::TestWithParam<TOwnerCase> {};

TEST_P(UniqueHandleCases, ClosesEachHandleOnceAndOnlyWhenOwned)
{
    TCountingTraits::Closed.clear();
    GetParam().run();
    EXPECT_EQ(TCountingTraits::Closed, GetParam().closed);
}

INSTANTIATE_TEST_SUITE_P(
    Owner, UniqueHandleCases,
    testing::Values(TOwnerCase{"EmptyOwnerClosesNothing",
                               [] {
                                   TCounted owner;
                                   EXPECT_FALSE(owner);
                               },
                               {}},
                    TOwnerCase{"ZeroIsAHandleWhenTheInvalidValueIsAnother",
                               [] {
                                   TCounted owner(0);
                                   EXPECT_TRUE(owner);
                               },
                               {0}},
                    TOwnerCase{"MoveConstructionLeavesTheSourceEmpty",
                               [] {
                                   TCounted from(5);
                                   TCounted to(std::move(from));
                                   EXPECT_FALSE(from);
                                   EXPECT_EQ(to.get(), 5);
                               },
                               {5}},
                    TOwnerCase{"MoveAssignmentClosesTheTargetsOldHandleFirst",
                               [] {
                                   TCounted from(5);
                                   TCounted to(6);
                                   to = std::move(from);
                                   TCountingTraits::Close(kMark);
                               },
                               {6, kMark, 5}},
                    TOwnerCase{"SelfMoveKeepsTheHandle",
                               [] {
                                   TCounted owner(3);
                                   TCounted& same = owner;
                                   owner = std::move(same);
                                   EXPECT_EQ(owner.get(), 3);
                               },
                               {3}},
                    TOwnerCase{"ResetClosesTheOldAndTakesTheNew",
                               [] {
                                   TCounted owner(1);
                                   owner.reset(2);
                                   TCountingTraits::Close(kMark);
                               },
                               {1, kMark, 2}},
                    TOwnerCase{"ReleaseHandsOnWithoutClosing",
                               [] {
                                   TCounted owner(4);
                                   EXPECT_EQ(owner.release(), 4);
                                   EXPECT_FALSE(owner);
                               },
                               {}},
                    TOwnerCase{"PutClosesTheOldAndKeepsWhatTheCallWrote",
                               [] {
                                   TCounted owner(8);
                                   int* slot = owner.put();
                                   TCountingTraits::Close(kMark);
                                   EXPECT_EQ(*slot, -1);  // an out parameter a failing call leaves alone reads as empty
                                   *slot = 9;
                               },
                               {8, kMark, 9}}),
    [](const testing::TestParamInfo<TOwnerCase>& info) { return std::string(info.param.name); });

// Whether a named kernel object still exists, i.e. some handle to it is open.
bool EventExists(const std::wstring& name)
{
    TUniqueEvent probe(OpenEventW(SYNCHRONIZE, FALSE, name.c_str()));
    return bool(probe);
}

std::wstring EventName(const wchar_t* which)
{
    return L"Quillmere.UniqueHandleTest." + std::to_wstring(GetCurrentProcessId()) + L"." + which;
}

TEST(UniqueHandle, RealEventLivesExactlyAsLongAsItsOwners)
{
    const std::wstring name = EventName(L"event");
    TUniqueEvent event(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    ASSERT_TRUE(event);
    TUniqueEvent copy;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event.get(), GetCurrentProcess(), copy.put(), 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    ASSERT_TRUE(copy);

    event.reset();
    EXPECT_TRUE(EventExists(name)) << "the duplicate written through put() still holds it";
    TUniqueEvent moved(std::move(copy));
    EXPECT_TRUE(SetEvent(moved.get()));
    moved.reset();
    EXPECT_FALSE(EventExists(name));
}

TEST(UniqueHandle, ProcessInformationKeepsOnlyTheProcessItHandsOn)
{
    // Two named events stand in for the process and thread handles.
    const std::wstring processName = EventName(L"process"), threadName = EventName(L"thread");
    TUniqueProcessInformation info;
    info.put()->hProcess = CreateEventW(nullptr, TRUE, FALSE, processName.c_str());
    info.put();  // put() again closes what the first fill left
    EXPECT_FALSE(EventExists(processName));

    PROCESS_INFORMATION* slot = info.put();
    slot->hProcess = CreateEventW(nullptr, TRUE, FALSE, processName.c_str());
    slot->hThread = CreateEventW(nullptr, TRUE, FALSE, threadName.c_str());
    ASSERT_TRUE(info);
    TUniqueHandle process = info.release_process();
    EXPECT_FALSE(info);
    EXPECT_FALSE(EventExists(threadName));
    EXPECT_TRUE(EventExists(processName));
    process.reset();
    EXPECT_FALSE(EventExists(processName));
}

TEST(UniqueHandle, FindHandleTreatsInvalidHandleValueAsEmpty)
{
    WIN32_FIND_DATAW data{};
    TUniqueFindHandle missing(FindFirstFileW(L"C:\\no such folder here\\*", &data));
    EXPECT_FALSE(missing);
    TUniqueFindHandle found(FindFirstFileW(ModuleFilePath().c_str(), &data));
    ASSERT_TRUE(found);
    EXPECT_EQ(_wcsicmp(data.cFileName, ModuleFileName().c_str()), 0);
}

struct TModuleCase {
    const char* name;
    HMODULE module;
    std::wstring folder;  // independent of GetModuleFileName
    std::wstring fileName;
};

TEST(ModulePath, MatchesTheSystemsOwnAnswers)
{
    wchar_t image[1024] = {};
    DWORD size = 1024;
    ASSERT_TRUE(QueryFullProcessImageNameW(GetCurrentProcess(), 0, image, &size));
    const std::wstring exe(image, size);
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    TUniqueLibrary library(LoadLibraryW(L"version.dll"));
    ASSERT_TRUE(library);

    const TModuleCase cases[] = {
        {"the executable", nullptr, exe.substr(0, exe.find_last_of(L'\\') + 1), L"core_tests.exe"},
        {"a system DLL", GetModuleHandleW(L"kernel32.dll"), std::wstring(system) + L"\\", L"kernel32.dll"},
        {"a DLL loaded here", library.get(), std::wstring(system) + L"\\", L"version.dll"},
    };
    for (const TModuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(_wcsicmp(ModuleFolder(c.module).c_str(), c.folder.c_str()), 0) << ModuleFolder(c.module);
        EXPECT_EQ(_wcsicmp(ModuleFileName(c.module).c_str(), c.fileName.c_str()), 0) << ModuleFileName(c.module);
        EXPECT_EQ(ModuleFilePath(c.module), ModuleFolder(c.module) + ModuleFileName(c.module));
    }
    EXPECT_EQ(_wcsicmp(ModuleFilePath().c_str(), exe.c_str()), 0);
}

}  // namespace
