// Failing codes become one line a plant engineer can act on.
#include <gtest/gtest.h>

#include "HResultText.h"
#include "com/ComObject.h"
#include "com/TaskMemory.h"
#include "opcerror.h"

namespace {

// A server whose GetErrorString knows one code, with a line break in its text.
class TTextServer final : public TComObject<IOPCServer> {
public:
    STDMETHODIMP GetErrorString(HRESULT code, LCID, LPWSTR* text) noexcept override
    {
        if (code != OPC_E_BADTYPE) return E_INVALIDARG;
        *text = TaskWideString(L"The server cannot convert the data between the\r\nrequested data type. ").release();
        return S_OK;
    }
    STDMETHODIMP AddGroup(LPCWSTR, BOOL, DWORD, OPCHANDLE, LONG*, FLOAT*, DWORD, OPCHANDLE*, DWORD*, REFIID,
                          LPUNKNOWN*) noexcept override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetGroupByName(LPCWSTR, REFIID, LPUNKNOWN*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetStatus(OPCSERVERSTATUS**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP RemoveGroup(OPCHANDLE, BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP CreateGroupEnumerator(OPCENUMSCOPE, REFIID, LPUNKNOWN*) noexcept override { return E_NOTIMPL; }
};

TEST(ClientErrorText, TheServersTextComesFirstOnOneLineWithNameAndCode)
{
    auto server = MakeComObject<TTextServer>();
    EXPECT_EQ(DescribeHResult(OPC_E_BADTYPE, server.Get()),
              L"The server cannot convert the data between the requested data type. [OPC_E_BADTYPE 0xC0040004]");
}

TEST(ClientErrorText, CodesTheServerDoesNotKnowTakeTheSystemsText)
{
    auto server = MakeComObject<TTextServer>();
    const std::wstring text = DescribeHResult(E_ACCESSDENIED, server.Get());
    EXPECT_EQ(text, SystemErrorText(E_ACCESSDENIED) + L" [E_ACCESSDENIED 0x80070005]");
    EXPECT_FALSE(SystemErrorText(E_ACCESSDENIED).empty());
    EXPECT_NE(DescribeHResult(REGDB_E_CLASSNOTREG).find(L" [REGDB_E_CLASSNOTREG 0x80040154]"), std::wstring::npos);
}

TEST(ClientErrorText, AnUnknownCodeStillShowsItsNumber)
{
    EXPECT_EQ(DescribeHResult(static_cast<HRESULT>(0xE1234567)), L"unknown error [0xE1234567]");
    EXPECT_EQ(HexCode(static_cast<HRESULT>(0xC0040008)), L"0xC0040008");
}

}  // namespace
