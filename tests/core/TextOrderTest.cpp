// The case-blind order of item IDs agrees with the system's ordinal
// comparison, in its quick ASCII part and where it hands over to the system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/TextUtil.h"

namespace {

int SystemOrder(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE);
}

TEST(TextOrder, CaseBlindOrderAgreesWithTheSystem)
{
    const std::vector<std::wstring> texts = {
        L"",          L"a",          L"A",           L"b",          L"Z",         L"_",          L"`",
        L"[",         L"{",          L"Float.Rate",  L"float.rate", L"Float.Ra",  L"Float.Rate ", L"String.X",
        L"\u00e4",    L"\u00c4",     L"a\u00e4",     L"A\u00c4b",   L"\u00dfx",   L"Z\u0131",    L"z\u0130",
        L"\u0444\u0430", L"\u0424\u0410", L"Output.OUT 3", L"output.out 3", L"Output.OUT 30", L"Out\u00e9"};
    LessOrdinalI less;
    for (const auto& a : texts) {
        for (const auto& b : texts) {
            EXPECT_EQ(less(a, b), SystemOrder(a, b) == CSTR_LESS_THAN)
                << std::string(a.begin(), a.end()) << " / " << std::string(b.begin(), b.end());
        }
    }
}

}  // namespace
