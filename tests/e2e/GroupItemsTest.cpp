// Items of groups of the real server: adding, validating, removing, their
// states and types, handles, and the item enumerator.
#include <olectl.h>

#include "GroupClient.h"

namespace {

using Items = ServerWithGroups;

const std::wstring kPressure = L"Float.Chamber Pressure";
const std::wstring kRate = L"Float.Rate Measured (A/s)";
const std::wstring kLayer = L"Number.Layer Number";
const std::wstring kText = L"String.Coating Plant Name";

// Everything an item enumerator still has, fetched n at a time.
std::vector<OPCITEMATTRIBUTES> Attributes(IEnumOPCItemAttributes* items, ULONG n, std::vector<HRESULT>* results)
{
    std::vector<OPCITEMATTRIBUTES> all;
    for (;;) {
        OPCITEMATTRIBUTES* batch = nullptr;
        ULONG fetched = 0;
        const HRESULT hr = items->Next(n, &batch, &fetched);
        results->push_back(hr);
        if (fetched == 0) {
            EXPECT_EQ(batch, nullptr);
        }
        TaskMemArray<OPCITEMATTRIBUTES> owned;
        *owned.put(fetched) = batch;
        for (ULONG i = 0; i < fetched; ++i) {
            all.push_back(owned[i]);
            // Keep what the copy needs; the strings and variant go with owned.
            all.back().szItemID = nullptr;
            all.back().szAccessPath = nullptr;
            VariantInit(&all.back().vEUInfo);
            EXPECT_EQ(std::wstring(owned[i].szAccessPath), L"");
        }
        if (hr != S_OK) return all;
    }
}

ComPtr<IEnumOPCItemAttributes> EnumeratorOf(const TClientGroup& group)
{
    ComPtr<IEnumOPCItemAttributes> items;
    EXPECT_EQ(group.Items()->CreateEnumerator(IID_IEnumOPCItemAttributes,
                                              reinterpret_cast<IUnknown**>(items.GetAddressOf())),
              S_OK);
    return items;
}

TEST_F(Items, EachItemSucceedsOrFailsOnItsOwn)
{
    TClientGroup group = Group();
    std::vector<HRESULT> errors;
    HRESULT hr = S_OK;
    const std::vector<OPCHANDLE> handles = group.Add({kPressure, L"", L"Float.No Such Item", kRate}, true, VT_EMPTY,
                                                     1, &errors, &hr);
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(errors, (std::vector<HRESULT>{S_OK, OPC_E_INVALIDITEMID, OPC_E_INVALIDITEMID, S_OK}));
    EXPECT_NE(handles[0], 0u);
    EXPECT_NE(handles[3], 0u);
    EXPECT_NE(handles[0], handles[3]);

    std::vector<HRESULT> nexts;
    const std::vector<OPCITEMATTRIBUTES> listed = Attributes(EnumeratorOf(group).Get(), 10, &nexts);
    ASSERT_EQ(listed.size(), 2u) << "the failed items left no trace";
    EXPECT_EQ(listed[0].hServer, handles[0]);
    EXPECT_EQ(listed[0].vtCanonicalDataType, VT_BSTR);
    EXPECT_EQ(listed[0].dwAccessRights, static_cast<DWORD>(OPC_READABLE | OPC_WRITEABLE));
    EXPECT_EQ(listed[0].dwEUType, OPC_NOENUM);
    EXPECT_EQ(listed[1].hClient, 4u);

    OPCITEMDEF none{};
    OPCITEMRESULT* results = nullptr;
    HRESULT* errs = nullptr;
    EXPECT_EQ(group.Items()->AddItems(0, &none, &results, &errs), E_INVALIDARG);
    EXPECT_EQ(results, nullptr);
    EXPECT_EQ(errs, nullptr);
}

TEST_F(Items, RequestedTypesOutsideTheAcceptedSetAreRefused)
{
    struct TCase {
        VARTYPE type;
        HRESULT result;
    };
    const TCase cases[] = {{VT_EMPTY, S_OK},       {VT_R8, S_OK},          {VT_ARRAY | VT_R8, S_OK},
                           {VT_BOOL, S_OK},        {VT_UINT, S_OK},        {VT_CY, OPC_E_BADTYPE},
                           {VT_VARIANT, OPC_E_BADTYPE}, {VT_DECIMAL, OPC_E_BADTYPE}, {VT_I8, OPC_E_BADTYPE}};
    TClientGroup group = Group();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.type);
        std::vector<HRESULT> errors;
        group.Add({kRate}, false, c.type, 1, &errors);
        EXPECT_EQ(errors.at(0), c.result);
    }
}

TEST_F(Items, ValidationResolvesWithoutChangingTheGroup)
{
    TClientGroup group = Group();
    const std::wstring ids[] = {kLayer, L"", L"Nope"};
    OPCITEMDEF defs[3] = {};
    for (int i = 0; i < 3; ++i) {
        defs[i].szAccessPath = const_cast<wchar_t*>(L"");
        defs[i].szItemID = const_cast<wchar_t*>(ids[i].c_str());
        defs[i].vtRequestedDataType = VT_CY;  // not checked here
    }
    TaskMemArray<OPCITEMRESULT> results;
    TaskMemArray<HRESULT> errors;
    EXPECT_EQ(group.Items()->ValidateItems(3, defs, FALSE, results.put(3), errors.put(3)), S_FALSE);
    EXPECT_EQ(errors[0], S_OK);
    EXPECT_EQ(errors[1], OPC_E_INVALIDITEMID);
    EXPECT_EQ(errors[2], OPC_E_INVALIDITEMID);
    EXPECT_EQ(results[0].hServer, 0u);
    EXPECT_EQ(results[0].vtCanonicalDataType, VT_BSTR);
    EXPECT_EQ(results[0].dwAccessRights, static_cast<DWORD>(OPC_READABLE | OPC_WRITEABLE));
    std::vector<HRESULT> nexts;
    EXPECT_TRUE(Attributes(EnumeratorOf(group).Get(), 5, &nexts).empty());
}

TEST_F(Items, HandlesOfOtherGroupsServeEverythingButRemoval)
{
    TClientGroup mine = Group(L"Mine"), theirs = Group(L"Theirs");
    const OPCHANDLE own = mine.Add({kPressure})[0];
    OPCHANDLE other = theirs.Add({kRate}, true, VT_EMPTY, 50)[0];
    ASSERT_TRUE(own && other);

    OPCHANDLE handles[] = {own, other, 0xDEADBEEF, 0};
    EXPECT_EQ(mine.Errors(4, [&](HRESULT** e) { return mine.Items()->RemoveItems(4, handles, e); }),
              (std::vector<HRESULT>{S_OK, OPC_E_INVALIDHANDLE, OPC_E_INVALIDHANDLE, OPC_E_INVALIDHANDLE}));

    OPCHANDLE clients[] = {77};
    EXPECT_EQ(mine.Errors(1, [&](HRESULT** e) { return mine.Items()->SetClientHandles(1, &other, clients, e); }),
              (std::vector<HRESULT>{S_OK}))
        << "any live item of the server answers to its handle";
    std::vector<HRESULT> nexts;
    EXPECT_EQ(Attributes(EnumeratorOf(theirs).Get(), 5, &nexts).at(0).hClient, 77u);

    // A removed item's handle is dead for every call.
    EXPECT_EQ(mine.Errors(1, [&](HRESULT** e) { return mine.Items()->SetActiveState(1, handles, TRUE, e); }),
              (std::vector<HRESULT>{OPC_E_INVALIDHANDLE}));
    HRESULT hr = S_OK;
    const std::vector<TReadItem> read = mine.Read(OPC_DS_CACHE, {own}, &hr);
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(read[0].error, OPC_E_INVALIDHANDLE);
    EXPECT_EQ(read[0].hClient, 0u);
    EXPECT_EQ(V_VT(&read[0].value.get()), VT_EMPTY);
}

TEST_F(Items, RequestedTypesConvertWhatTheItemDelivers)
{
    WriteItem(kLayer, L"12");
    WriteItem(kText, L"Line 4");
    TClientGroup group = Group();
    const std::vector<OPCHANDLE> handles = group.Add({kLayer, kText});
    VARTYPE types[] = {VT_I4, VT_R8};
    EXPECT_EQ(group.Errors(2, [&](HRESULT** e) {
        return group.Items()->SetDatatypes(2, const_cast<OPCHANDLE*>(handles.data()), types, e);
    }), (std::vector<HRESULT>{S_OK, DISP_E_TYPEMISMATCH}))
        << "a type the current value does not convert to is refused";
    const std::vector<TReadItem> read = group.Read(OPC_DS_CACHE, handles);
    ASSERT_EQ(V_VT(&read[0].value.get()), VT_I4);
    EXPECT_EQ(V_I4(&read[0].value.get()), 12);
    EXPECT_EQ(TextOf(read[1].value.get()), L"Line 4") << "the refused type was not taken";

    std::vector<HRESULT> nexts;
    const std::vector<OPCITEMATTRIBUTES> listed = Attributes(EnumeratorOf(group).Get(), 5, &nexts);
    EXPECT_EQ(listed.at(0).vtRequestedDataType, VT_I4);
    EXPECT_EQ(listed.at(1).vtRequestedDataType, VT_EMPTY);
}

TEST_F(Items, TheEnumeratorPagesThroughTheLiveList)
{
    TClientGroup empty = Group(L"Empty");
    std::vector<HRESULT> nexts;
    EXPECT_TRUE(Attributes(EnumeratorOf(empty).Get(), 10, &nexts).empty());
    EXPECT_EQ(nexts, (std::vector<HRESULT>{S_FALSE}));

    TClientGroup five = Group(L"Five");
    five.Add({kPressure, kRate, kLayer, kText, L"Flag.Remote STOP"});
    ComPtr<IEnumOPCItemAttributes> items = EnumeratorOf(five);
    nexts.clear();
    EXPECT_EQ(Attributes(items.Get(), 2, &nexts).size(), 5u);
    EXPECT_EQ(nexts, (std::vector<HRESULT>{S_OK, S_OK, S_FALSE}));
    ComPtr<IEnumOPCItemAttributes> clone;
    ASSERT_EQ(items->Clone(clone.GetAddressOf()), S_OK);
    nexts.clear();
    EXPECT_EQ(Attributes(clone.Get(), 10, &nexts).size(), 5u) << "a clone starts at the first item";
    EXPECT_EQ(items->Reset(), S_OK);
    EXPECT_EQ(items->Skip(4), S_OK);
    EXPECT_EQ(items->Skip(2), S_FALSE);

    ComPtr<IUnknown> wrong;
    EXPECT_EQ(five.Items()->CreateEnumerator(IID_IEnumUnknown, wrong.GetAddressOf()), E_INVALIDARG);
}

}  // namespace
