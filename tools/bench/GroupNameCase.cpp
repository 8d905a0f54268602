// AddGroup on a server object that already holds many groups: with names
// of the client's, and without, when the server makes up "GroupN" names.
#include <algorithm>
#include <string>
#include <vector>

#include "BenchCases.h"

namespace {

// Adds groups to one new server object, named by name(i); the times of the
// last `timed` calls.
template <class Name>
std::vector<double> AddGroups(const std::wstring& progId, int groups, int timed, Name name)
{
    TOpcConnection connection(progId, L"OpcBench group names");
    std::vector<ComPtr<IUnknown>> held;
    std::vector<OPCHANDLE> handles;
    std::vector<double> times;
    for (int i = 0; i < groups; ++i) {
        const std::wstring groupName = name(i);
        LONG bias = 0;
        FLOAT deadband = 0;
        OPCHANDLE handle = 0;
        DWORD revised = 0;
        ComPtr<IUnknown> group;
        const double start = NowMs();
        connection.Require(connection.Server()->AddGroup(groupName.c_str(), FALSE, 1000, 0, &bias, &deadband, 0,
                                                         &handle, &revised, IID_IUnknown, group.GetAddressOf()),
                           L"AddGroup");
        if (i >= groups - timed) times.push_back(NowMs() - start);
        held.push_back(group);
        handles.push_back(handle);
    }
    held.clear();
    for (OPCHANDLE handle : handles) connection.Server()->RemoveGroup(handle, TRUE);
    return times;
}

}  // namespace

TGroupNames MeasureGroupNames(const std::wstring& progId, int groups)
{
    const int timed = std::min(100, groups);
    TGroupNames result;
    result.Groups = groups;
    result.UnnamedMs = Median(AddGroups(progId, groups, timed, [](int) { return std::wstring(); }));
    result.NamedMs = Median(AddGroups(progId, groups, timed, [](int i) { return L"Named " + std::to_wstring(i); }));
    return result;
}
