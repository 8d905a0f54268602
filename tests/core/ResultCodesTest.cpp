// Result-code texts and the conversion of errors to HRESULTs.
#include <gtest/gtest.h>

#include "contract/OpcError.h"
#include "host/OpcMessages.h"

namespace {

struct TCodeText {
    HRESULT code;
    const wchar_t* text;
};

const TCodeText OwnTexts[] = {
    {OPC_E_INVALIDHANDLE, L"The value of the handle is invalid."},
    {OPC_E_BADTYPE, L"requested data type and the canonical data type."},
    {OPC_E_PUBLIC, L"The requested operation cannot be done on a public group."},
    {OPC_E_BADRIGHTS, L"The Items AccessRights do not allow the operation."},
    {OPC_E_UNKNOWNITEMID, L"The item is no longer available in the server address space."},
    {OPC_E_INVALIDITEMID, L"The item definition doesn't conform to the server's syntax."},
    {OPC_E_INVALIDFILTER, L"The filter string was not valid."},
    {OPC_E_UNKNOWNPATH, L"The item's access path is not known to the server."},
    {OPC_E_RANGE, L"The value was out of range."},
    {OPC_E_DUPLICATENAME, L"Duplicate name not allowed."},
    {OPC_S_UNSUPPORTEDRATE, L"The server does not support the requested data rate but will use the closest available rate."},
    {OPC_S_CLAMP, L"A value passed to WRITE was accepted but the output was clamped."},
    {OPC_S_INUSE, L"The operation cannot be completed because the object still has references that exist."},
    {OPC_E_INVALIDCONFIGFILE, L"The server's configuration file is an invalid format."},
    {OPC_E_NOTFOUND, L"The server could not locate the requested object."},
    {OPC_E_INVALID_PID, L"The server does not recognise the passed property ID."},
};

TEST(OpcMessageText, EverySixteenCodesHaveTheirExactTextFromTheResources)
{
    for (const TCodeText& entry : OwnTexts) {
        const auto text = OpcMessageText(entry.code);
        ASSERT_TRUE(text.has_value()) << std::hex << entry.code;
        EXPECT_EQ(*text, entry.text) << std::hex << entry.code;
    }
}

TEST(OpcMessageText, CodesOutsideTheTableHaveNoOwnText)
{
    // Same low word as table codes but another severity or facility, a gap in
    // the table, and a standard code.
    for (HRESULT code : {HRESULT(0x80040001), HRESULT(0x00040001), HRESULT(0xC0070004), HRESULT(0xC0040002),
                         HRESULT(0xC0040012), E_FAIL, S_OK})
        EXPECT_FALSE(OpcMessageText(code).has_value()) << std::hex << code;
}

TEST(DefaultErrorText, OwnTextIsTheSameInEveryLanguage)
{
    for (DWORD language : {0x0000u, 0x0409u, 0x0407u, 0x0411u, 0x12340409u})
        EXPECT_EQ(DefaultErrorText(OPC_S_UNSUPPORTEDRATE, language), OwnTexts[10].text);
    EXPECT_EQ(DefaultErrorText(OPC_E_BADTYPE, 0x0409), L"requested data type and the canonical data type.");
}

TEST(DefaultErrorText, OtherCodesComeFromTheSystemMessageTable)
{
    wchar_t expected[256];
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                   ERROR_FILE_NOT_FOUND, 0, expected, 256, nullptr);
    ASSERT_GT(n, 0u) << "the system has no text for ERROR_FILE_NOT_FOUND";
    // The system's text as written, line break included; the high word of
    // the language argument is ignored.
    EXPECT_EQ(DefaultErrorText(ERROR_FILE_NOT_FOUND, 0), std::wstring(expected, n));
    EXPECT_EQ(DefaultErrorText(ERROR_FILE_NOT_FOUND, 0x7FFF0000), std::wstring(expected, n));
}

TEST(DefaultErrorText, CodeWithoutAnyTextRaisesInvalidArg)
{
    try {
        DefaultErrorText(HRESULT(0xC0047777), 0);
        FAIL() << "no exception";
    } catch (const EOpcError& e) {
        EXPECT_EQ(e.Code(), E_INVALIDARG);
    }
}

TEST(ExceptionToHResult, SuccessCodesNeverReachAClientAsSuccess)
{
    EXPECT_EQ(ExceptionToHResult(EOpcError(OPC_S_INUSE)), E_FAIL);
    EXPECT_EQ(ExceptionToHResult(EOpcError(S_OK)), E_FAIL);
    EXPECT_EQ(ExceptionToHResult(EOpcError(S_FALSE)), E_FAIL);
    EXPECT_EQ(ExceptionToHResult(EOpcError(OPC_E_UNKNOWNITEMID)), OPC_E_UNKNOWNITEMID);
    EXPECT_EQ(ExceptionToHResult(EOpcError(E_OUTOFMEMORY)), E_OUTOFMEMORY);
}

}  // namespace
