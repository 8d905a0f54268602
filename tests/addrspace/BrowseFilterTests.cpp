// The browse mask language and the default filter test.
#include <gtest/gtest.h>

#include "AddrTestSupport.h"
#include "addrspace/BrowseFilter.h"

namespace {

bool Match(const wchar_t* mask, const wchar_t* name) { return TBrowseMask(mask).Matches(name); }

HRESULT MaskCode(const std::wstring& mask)
{
    return RaisedCode([&] { TBrowseMask m(mask); });
}

std::wstring Repeat(const std::wstring& piece, int count)
{
    std::wstring s;
    for (int i = 0; i < count; ++i) s += piece;
    return s;
}

}  // namespace

TEST(BrowseMask, StarAndQuestionMark)
{
    EXPECT_TRUE(Match(L"*", L""));
    EXPECT_TRUE(Match(L"*", L"Float.Thickness"));
    EXPECT_TRUE(Match(L"float.*", L"Float.Thickness"));
    EXPECT_TRUE(Match(L"float.*", L"FLOAT."));
    EXPECT_FALSE(Match(L"float.*", L"Floats.Thickness"));
    EXPECT_TRUE(Match(L"*ness", L"Float.Thickness"));
    EXPECT_TRUE(Match(L"*s*s*", L"Float.Thickness"));
    EXPECT_FALSE(Match(L"*s*s*s*", L"Float.Thickness"));
    // The star has to give back characters it took first.
    EXPECT_TRUE(Match(L"*ab", L"aabab"));
    EXPECT_TRUE(Match(L"a*b*c", L"aXbYbZc"));
    EXPECT_FALSE(Match(L"a*b*c", L"aXbYbZ"));
    EXPECT_TRUE(Match(L"Gas Flow ?", L"gas flow 2"));
    EXPECT_FALSE(Match(L"Gas Flow ?", L"Gas Flow 12"));
    EXPECT_FALSE(Match(L"Gas Flow ?", L"Gas Flow "));
    EXPECT_TRUE(Match(L"?*", L"x"));
    EXPECT_FALSE(Match(L"?*", L""));
    EXPECT_FALSE(Match(L"abc", L"ab"));
    EXPECT_FALSE(Match(L"ab", L"abc"));
}

TEST(BrowseMask, SetsRangesAndComplement)
{
    EXPECT_TRUE(Match(L"Output [ACE]", L"Output C"));
    EXPECT_FALSE(Match(L"Output [ACE]", L"Output B"));
    EXPECT_TRUE(Match(L"Output [a-c]", L"Output B"));   // letter case ignored in ranges
    EXPECT_TRUE(Match(L"Output [A-C]", L"output b"));
    EXPECT_FALSE(Match(L"Output [A-C]", L"Output D"));
    EXPECT_TRUE(Match(L"Output [0-9x]", L"Output X"));
    EXPECT_TRUE(Match(L"Output [!A-N]", L"Output O"));
    EXPECT_FALSE(Match(L"Output [!A-N]", L"Output n"));
    EXPECT_TRUE(Match(L"[a!]", L"!"));                  // ! only complements in front
    EXPECT_TRUE(Match(L"[a-]", L"-"));                  // a dash before ] is itself
    EXPECT_TRUE(Match(L"[a-]", L"A"));
    EXPECT_FALSE(Match(L"[z-a]", L"m"));                // reversed range matches nothing
    EXPECT_TRUE(Match(L"a]b", L"A]B"));                 // ] outside a set is a character
    EXPECT_FALSE(Match(L"[ab]", L"ab"));                // a set takes exactly one character
}

TEST(BrowseMask, MalformedMasksAreInvalidFilters)
{
    for (const wchar_t* bad : {L"[", L"[abc", L"Float.[A-C", L"[]", L"[!]", L"x[]*", L"[-a]", L"[-]", L"[a-c-e]",
                               L"[!-a]"}) {
        EXPECT_EQ(MaskCode(bad), OPC_E_INVALIDFILTER) << std::string(bad, bad + wcslen(bad));
    }
    EXPECT_EQ(MaskCode(L"[a-c]"), S_OK);
    EXPECT_EQ(MaskCode(L"]"), S_OK);
}

TEST(BrowseMask, WildcardLimitCountsStarRunsSetsAndQuestionMarks)
{
    EXPECT_EQ(TBrowseMask(L"a*b?c[xy]d**e").WildcardCount(), 4);

    EXPECT_EQ(MaskCode(Repeat(L"?", MaxMaskWildcards)), S_OK);
    EXPECT_EQ(MaskCode(Repeat(L"?", MaxMaskWildcards + 1)), OPC_E_INVALIDFILTER);
    EXPECT_EQ(MaskCode(Repeat(L"[ab]", MaxMaskWildcards)), S_OK);
    EXPECT_EQ(MaskCode(Repeat(L"[ab]", MaxMaskWildcards + 1)), OPC_E_INVALIDFILTER);
    EXPECT_EQ(MaskCode(Repeat(L"*x", MaxMaskWildcards)), S_OK);
    EXPECT_EQ(MaskCode(Repeat(L"*x", MaxMaskWildcards) + L"*"), OPC_E_INVALIDFILTER);
    // A run of stars is one position; literal characters are none.
    EXPECT_EQ(MaskCode(Repeat(L"?", MaxMaskWildcards - 1) + Repeat(L"*", 40)), S_OK);
    const std::wstring longId = Repeat(L"Chamber.", 12);
    EXPECT_EQ(MaskCode(longId), S_OK);
    EXPECT_TRUE(Match(longId.c_str(), longId.c_str()));
    // 30 positions still match.
    EXPECT_TRUE(Match(Repeat(L"?", MaxMaskWildcards).c_str(), Repeat(L"z", MaxMaskWildcards).c_str()));
}

TEST(DefaultBrowseFilterMatch, MaskThenRightsThenType)
{
    const VARTYPE r8 = VT_R8;
    constexpr TAccessRights R = TAccessRights::ReadOnly(), W = TAccessRights::WriteOnly(), RW = R | W, None{};
    EXPECT_TRUE(DefaultBrowseFilterMatch(L"", None, VT_EMPTY, L"anything", None, VT_EMPTY));
    EXPECT_FALSE(DefaultBrowseFilterMatch(L"F*", None, VT_EMPTY, L"Ix", RW, r8));
    EXPECT_TRUE(DefaultBrowseFilterMatch(L"f*", None, VT_EMPTY, L"Fx", RW, r8));

    EXPECT_TRUE(DefaultBrowseFilterMatch(L"", W, VT_EMPTY, L"x", R | W, r8));
    EXPECT_FALSE(DefaultBrowseFilterMatch(L"", W, VT_EMPTY, L"x", R, r8));
    EXPECT_TRUE(DefaultBrowseFilterMatch(L"", R | W, VT_EMPTY, L"x", R, r8));
    EXPECT_FALSE(DefaultBrowseFilterMatch(L"", R, VT_EMPTY, L"x", None, r8));

    EXPECT_TRUE(DefaultBrowseFilterMatch(L"", None, VT_R8, L"x", RW, VT_R8));
    EXPECT_FALSE(DefaultBrowseFilterMatch(L"", None, VT_ARRAY | VT_R8, L"x", RW, VT_R8));
    EXPECT_FALSE(DefaultBrowseFilterMatch(L"", None, VT_R8, L"x", RW, VT_ARRAY | VT_R8));
    EXPECT_FALSE(DefaultBrowseFilterMatch(L"", None, VT_R4, L"x", RW, VT_R8));

    // A bad mask raises even when rights or type would reject the item.
    EXPECT_EQ(RaisedCode([] { DefaultBrowseFilterMatch(L"[", W, VT_R8, L"x", None, VT_BSTR); }),
              OPC_E_INVALIDFILTER);
}
