// The names of groups a client leaves unnamed: "Group" and the lowest number
// from 0 up that no group of the server object uses, compared as every group
// name is (letter case and the characters the locale ignores do not count),
// kept right as groups come, go and are renamed, also among thousands.
#include <map>

#include "ServerTestSupport.h"

namespace {

class GroupNaming : public ServerObjectTest {
protected:
    ~GroupNaming() override
    {
        for (const auto& [name, handle] : handles_) server->RemoveGroup(handle, TRUE);
    }

    // Adds a group; its name as the server gave it.
    std::wstring Add(const wchar_t* name)
    {
        OPCHANDLE handle = 0;
        DWORD revised = 0;
        ComPtr<IOPCGroupStateMgt> group;
        EXPECT_EQ(server->AddGroup(name, FALSE, 1000, 0, nullptr, nullptr, 0, &handle, &revised, IID_IOPCGroupStateMgt,
                                   reinterpret_cast<IUnknown**>(group.GetAddressOf())),
                  S_OK)
            << WideToUtf8(name);
        if (!group) return L"<failed>";
        const std::wstring given = NameOf(group.Get());
        handles_[given] = handle;
        groups_[given] = group;
        return given;
    }
    void Remove(const std::wstring& name)
    {
        groups_.erase(name);
        ASSERT_EQ(server->RemoveGroup(handles_.at(name), FALSE), S_OK);
        handles_.erase(name);
    }
    void Rename(const std::wstring& name, const wchar_t* newName)
    {
        ASSERT_EQ(groups_.at(name)->SetName(newName), S_OK);
        groups_[newName] = groups_.at(name);
        handles_[newName] = handles_.at(name);
        groups_.erase(name);
        handles_.erase(name);
    }
    static std::wstring NameOf(IOPCGroupStateMgt* group)
    {
        DWORD rate = 0, lcid = 0;
        BOOL active = FALSE;
        TaskOut<wchar_t> name;
        LONG bias = 0;
        FLOAT deadband = 0;
        OPCHANDLE client = 0, serverHandle = 0;
        EXPECT_EQ(group->GetState(&rate, &active, name.put(), &bias, &deadband, &lcid, &client, &serverHandle), S_OK);
        return name.value ? name.value : L"";
    }

    ComPtr<IOPCServer> server = Connect();
    std::map<std::wstring, OPCHANDLE> handles_;
    std::map<std::wstring, ComPtr<IOPCGroupStateMgt>> groups_;
};

TEST_F(GroupNaming, TheLowestFreeNumberWhateverTheOtherNamesAre)
{
    EXPECT_EQ(Add(L""), L"Group0");
    EXPECT_EQ(Add(L"group2"), L"group2") << "letter case does not count";
    EXPECT_EQ(Add(L"Group01"), L"Group01") << "a leading zero makes another name";
    EXPECT_EQ(Add(L" "), L"Group1");
    EXPECT_EQ(Add(L""), L"Group3");
    // A name the same as Group4 to the locale's comparison, which ignores the soft hyphen.
    const wchar_t* hyphened = L"Gro\u00ADup4";
    if (!SameTextI(hyphened, L"Group4")) GTEST_SKIP() << "this locale's comparison counts the soft hyphen";
    EXPECT_EQ(Add(hyphened), hyphened);
    EXPECT_EQ(Add(L""), L"Group5");
    EXPECT_EQ(Add(L"GROUP6"), L"GROUP6");
    EXPECT_EQ(Add(L""), L"Group7");

    Remove(L"Group1");
    Remove(hyphened);
    EXPECT_EQ(Add(L""), L"Group1");
    EXPECT_EQ(Add(L""), L"Group4") << "the name that held it went";
    Rename(L"group2", L"Pump");
    Rename(L"Group0", L"gROUP8");
    EXPECT_EQ(Add(L""), L"Group0") << "renaming freed it";
    EXPECT_EQ(Add(L""), L"Group2");
    EXPECT_EQ(Add(L""), L"Group9") << "renaming took 8";
    Remove(L"Group4");
    Rename(L"Pump", hyphened);
    EXPECT_EQ(Add(L""), L"Group10") << "the renamed group holds 4";
}

TEST_F(GroupNaming, ThousandsOfUnnamedGroupsKeepTheirNumbersDense)
{
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(Add(L""), L"Group" + std::to_wstring(i));
    for (int i : {1999, 0, 700, 701, 1200}) Remove(L"Group" + std::to_wstring(i));
    for (int i : {0, 700, 701, 1200, 1999, 2000}) EXPECT_EQ(Add(L""), L"Group" + std::to_wstring(i));
}

}  // namespace
