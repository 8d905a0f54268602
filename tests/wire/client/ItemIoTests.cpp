// Group calls: arrays of structures in both directions, VARIANTs holding
// strings and SAFEARRAYs, optional pointers and a structure enumerator.
#include "WireProtocol.h"
#include "client/WireFixture.h"
#include "opcerror.h"
#include <cmath>

namespace wire {
namespace {

// Whether stamp is the server's initial time stamp of the item at index.
bool IsInitialStamp(const FILETIME& stamp, int index) {
    const ULONGLONG ticks = kFirstItemStamp + index * kItemStampStep;
    return stamp.dwLowDateTime == static_cast<DWORD>(ticks) && stamp.dwHighDateTime == static_cast<DWORD>(ticks >> 32);
}

TEST_F(WireTest, AddItemsReturnsResultsErrorsAndBlobsForEachDefinition) {
    auto items = As<IOPCItemMgt>(AddGroup(L"items", false, 1000, 7));
    BYTE blob[] = {1, 2, 3, 250};
    OPCITEMDEF defs[3] = {};
    defs[0].szAccessPath = const_cast<LPWSTR>(L"");
    defs[0].szItemID = const_cast<LPWSTR>(kItemText);
    defs[0].hClient = 11;
    defs[0].dwBlobSize = sizeof(blob);
    defs[0].pBlob = blob;
    defs[1].szItemID = const_cast<LPWSTR>(L"Wire.Missing");  // and a NULL access path
    defs[1].hClient = 12;
    defs[2].szAccessPath = const_cast<LPWSTR>(L"path");
    defs[2].szItemID = const_cast<LPWSTR>(kItemNames);
    defs[2].hClient = 13;
    defs[2].vtRequestedDataType = VT_ARRAY | VT_BSTR;

    TaskMemArray<OPCITEMRESULT> results;
    TaskMemArray<HRESULT> errors;
    ASSERT_EQ(S_FALSE, items->AddItems(3, defs, results.put(3), errors.put(3)));
    ASSERT_NE(nullptr, results.get());
    ASSERT_NE(nullptr, errors.get());

    EXPECT_EQ(S_OK, errors[0]);
    EXPECT_EQ(VT_BSTR, results[0].vtCanonicalDataType);
    EXPECT_EQ(static_cast<DWORD>(OPC_READABLE | OPC_WRITEABLE), results[0].dwAccessRights);
    ASSERT_EQ(4u, results[0].dwBlobSize);
    ASSERT_NE(nullptr, results[0].pBlob);
    EXPECT_EQ((std::vector<BYTE>{250, 3, 2, 1}), std::vector<BYTE>(results[0].pBlob, results[0].pBlob + 4));

    EXPECT_EQ(OPC_E_UNKNOWNITEMID, errors[1]);
    EXPECT_EQ(0u, results[1].hServer);
    EXPECT_EQ(nullptr, results[1].pBlob);

    EXPECT_EQ(S_OK, errors[2]);
    EXPECT_EQ(VT_ARRAY | VT_BSTR, results[2].vtCanonicalDataType);
    EXPECT_NE(results[0].hServer, results[2].hServer);
    EXPECT_EQ(nullptr, results[2].pBlob);
}

TEST_F(WireTest, ReadReturnsItemStatesWithValuesOfEveryShape) {
    auto group = AddGroup(L"read", false, 1000, 7);
    const auto handles = AddTestItems(As<IOPCItemMgt>(group).Get());
    ASSERT_EQ(4u, handles.size());
    std::vector<OPCHANDLE> request(handles);
    request.push_back(0xDEAD);

    TaskMemArray<OPCITEMSTATE> states;
    TaskMemArray<HRESULT> errors;
    ASSERT_EQ(S_FALSE, As<IOPCSyncIO>(group)->Read(OPC_DS_DEVICE, 5, request.data(), states.put(5), errors.put(5)));
    ASSERT_NE(nullptr, states.get());
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(S_OK, errors[i]);
        EXPECT_EQ(static_cast<OPCHANDLE>(i + 1), states[i].hClient);
        EXPECT_EQ(OPC_QUALITY_GOOD, states[i].wQuality);
        EXPECT_TRUE(IsInitialStamp(states[i].ftTimeStamp, i));
    }
    EXPECT_EQ(VT_I4, states[0].vDataValue.vt);
    EXPECT_EQ(42, states[0].vDataValue.lVal);
    EXPECT_EQ(L"Gr\u00FC\u00DFe, \u03A9 \u2126", TextOf(states[1].vDataValue));
    EXPECT_EQ((std::vector<double>{1.5, -2.25, 1e300}), DoublesOf(states[2].vDataValue));
    EXPECT_EQ((std::vector<std::wstring>{L"alpha", L"", L"gamma"}), StringsOf(states[3].vDataValue));

    EXPECT_EQ(OPC_E_INVALIDHANDLE, errors[4]);
    EXPECT_EQ(VT_EMPTY, states[4].vDataValue.vt);
}

TEST_F(WireTest, WrittenVariantsComeBackUnchanged) {
    auto group = AddGroup(L"write", false, 1000, 7);
    const auto handles = AddTestItems(As<IOPCItemMgt>(group).Get());
    ASSERT_EQ(4u, handles.size());

    std::vector<std::wstring> names{L"\u00E9t\u00E9", std::wstring(3000, L'x'), L""};
    std::vector<double> numbers{-0.0, std::nextafter(1.0, 2.0), -1e-310};
    UniqueVariant values[] = {MakeBstr(L"17"), MakeBstr(L"zw\u00F6lf\u20AC"), MakeR8Array(numbers), MakeBstrArray(names)};
    VARIANT raw[4];
    for (int i = 0; i < 4; ++i) raw[i] = values[i].get();
    std::vector<OPCHANDLE> targets(handles);

    TaskMemArray<HRESULT> writeErrors;
    ASSERT_EQ(S_OK, As<IOPCSyncIO>(group)->Write(4, targets.data(), raw, writeErrors.put(4)));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(S_OK, writeErrors[i]) << i;

    TaskMemArray<OPCITEMSTATE> states;
    TaskMemArray<HRESULT> readErrors;
    ASSERT_EQ(S_OK, As<IOPCSyncIO>(group)->Read(OPC_DS_CACHE, 4, targets.data(), states.put(4), readErrors.put(4)));
    EXPECT_EQ(VT_I4, states[0].vDataValue.vt);  // converted to the canonical type
    EXPECT_EQ(17, states[0].vDataValue.lVal);
    EXPECT_EQ(L"zw\u00F6lf\u20AC", TextOf(states[1].vDataValue));
    const auto doubles = DoublesOf(states[2].vDataValue);
    ASSERT_EQ(3u, doubles.size());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(0, memcmp(&numbers[i], &doubles[i], sizeof(double))) << i;
    EXPECT_EQ(names, StringsOf(states[3].vDataValue));
    EXPECT_FALSE(IsInitialStamp(states[1].ftTimeStamp, 1));

    UniqueVariant notANumber = MakeBstr(L"abc");
    TaskMemArray<HRESULT> badErrors;
    EXPECT_EQ(S_FALSE, As<IOPCSyncIO>(group)->Write(1, targets.data(), &notANumber.get(), badErrors.put(1)));
    EXPECT_EQ(OPC_E_BADTYPE, badErrors[0]);
}

TEST_F(WireTest, GroupStateCrossesWithItsNameAndOptionalInPointers) {
    OPCHANDLE serverHandle = 0;
    DWORD revisedAtStart = 0;
    LONG startBias = -120;
    FLOAT startDeadband = 2.5f;
    ComPtr<IOPCGroupStateMgt> state;
    ASSERT_EQ(OPC_S_UNSUPPORTEDRATE,
              server()->AddGroup(L"Gruppe \u00C4", FALSE, 20, 77, &startBias, &startDeadband, 0x0407, &serverHandle,
                                 &revisedAtStart, IID_IOPCGroupStateMgt,
                                 reinterpret_cast<LPUNKNOWN*>(state.GetAddressOf())));
    ASSERT_NE(nullptr, state);
    EXPECT_EQ(kMinUpdateRate, revisedAtStart);

    DWORD rate = 0, lcid = 0;
    BOOL active = TRUE;
    LPWSTR name = nullptr;
    LONG bias = -1;
    FLOAT deadband = -1;
    OPCHANDLE client = 0, serverSide = 0;
    ASSERT_EQ(S_OK, state->GetState(&rate, &active, &name, &bias, &deadband, &lcid, &client, &serverSide));
    TaskString owned(name);
    EXPECT_STREQ(L"Gruppe \u00C4", name);
    EXPECT_EQ(kMinUpdateRate, rate);
    EXPECT_FALSE(active);
    EXPECT_EQ(-120, bias);
    EXPECT_EQ(2.5f, deadband);
    EXPECT_EQ(0x0407u, lcid);
    EXPECT_EQ(77u, client);
    EXPECT_EQ(serverHandle, serverSide);

    // Only the given pointers change anything; the others travel as NULL.
    BOOL activate = TRUE;
    FLOAT newDeadband = 12.5f;
    DWORD revised = 0;
    EXPECT_EQ(S_OK, state->SetState(nullptr, &revised, &activate, nullptr, &newDeadband, nullptr, nullptr));
    EXPECT_EQ(kMinUpdateRate, revised);
    DWORD requested = 250;
    OPCHANDLE newClient = 78;
    EXPECT_EQ(S_OK, state->SetState(&requested, &revised, nullptr, nullptr, nullptr, nullptr, &newClient));
    EXPECT_EQ(250u, revised);
    EXPECT_EQ(S_OK, state->SetName(L"renamed"));

    LPWSTR name2 = nullptr;
    ASSERT_EQ(S_OK, state->GetState(&rate, &active, &name2, &bias, &deadband, &lcid, &client, &serverSide));
    TaskString owned2(name2);
    EXPECT_STREQ(L"renamed", name2);
    EXPECT_EQ(250u, rate);
    EXPECT_TRUE(active);
    EXPECT_EQ(12.5f, deadband);
    EXPECT_EQ(-120, bias);
    EXPECT_EQ(78u, client);
}

TEST_F(WireTest, ItemAttributesEnumeratorReturnsCalleeAllocatedStructures) {
    auto group = AddGroup(L"attributes", false, 1000, 7);
    const auto handles = AddTestItems(As<IOPCItemMgt>(group).Get());
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, As<IOPCItemMgt>(group)->CreateEnumerator(IID_IEnumOPCItemAttributes, unknown.GetAddressOf()));
    auto attributes = As<IEnumOPCItemAttributes>(unknown);

    ULONG fetched = 0;
    TaskMemArray<OPCITEMATTRIBUTES> first;
    ASSERT_EQ(S_OK, attributes->Next(3, first.put(0), &fetched));
    first.set_size(fetched);
    ASSERT_EQ(3u, first.size());
    EXPECT_STREQ(kItemCounter, first[0].szItemID);
    EXPECT_STREQ(L"", first[0].szAccessPath);
    EXPECT_EQ(handles[0], first[0].hServer);
    EXPECT_EQ(OPC_NOENUM, first[0].dwEUType);
    EXPECT_EQ(VT_EMPTY, first[0].vEUInfo.vt);
    EXPECT_EQ(OPC_ANALOG, first[2].dwEUType);
    EXPECT_EQ((std::vector<double>{-10.0, 10.0}), DoublesOf(first[2].vEUInfo));
    EXPECT_EQ(VT_ARRAY | VT_R8, first[2].vtCanonicalDataType);

    TaskMemArray<OPCITEMATTRIBUTES> rest;
    ASSERT_EQ(S_FALSE, attributes->Next(5, rest.put(0), &fetched));
    rest.set_size(fetched);
    ASSERT_EQ(1u, rest.size());
    EXPECT_STREQ(kItemNames, rest[0].szItemID);
    EXPECT_EQ(OPC_ENUMERATED, rest[0].dwEUType);
    EXPECT_EQ((std::vector<std::wstring>{L"off", L"on"}), StringsOf(rest[0].vEUInfo));

    TaskMemArray<OPCITEMATTRIBUTES> empty;
    EXPECT_EQ(S_FALSE, attributes->Next(1, empty.put(0), &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(nullptr, empty.get());
}

}  // namespace
}  // namespace wire
