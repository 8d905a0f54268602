// A DA 1.0 client of the real server: the group's IDataObject advise, the
// blocks of the three formats as they arrive, and IOPCAsyncIO.
#include <olectl.h>

#include "CallbackWaits.h"
#include "GroupClient.h"

namespace {

const std::wstring kPlant = L"String.Coating Plant Name";
const std::wstring kPressure = L"Float.Chamber Pressure";

struct TFormats {
    CLIPFORMAT data = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"OPCSTMFORMATDATA"));
    CLIPFORMAT dataTime = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"OPCSTMFORMATDATATIME"));
    CLIPFORMAT writeComplete = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"OPCSTMFORMATWRITECOMPLETE"));
};

FORMATETC Format(CLIPFORMAT format)
{
    return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

class Da1 : public ServerWithGroups {
protected:
    // A DA 1.0 group with the two items, advised on the formats given.
    TClientGroup AdvisedGroup(const wchar_t* name, std::initializer_list<CLIPFORMAT> formats, bool active = true)
    {
        TClientGroup group = Group(name, active, 20, 0x55);
        handles = group.Add({kPlant, kPressure}, true, VT_EMPTY, 31);
        data = group.As<IDataObject>();
        for (CLIPFORMAT format : formats) {
            FORMATETC fe = Format(format);
            DWORD connection = 0;
            EXPECT_EQ(data->DAdvise(&fe, ADVF_PRIMEFIRST, sink.Get(), &connection), S_OK);
            connections.push_back(connection);
        }
        return group;
    }
    TParsedDataBlock Parse(const TReceivedBlock& block) const
    {
        return da1::ParseDataBlock(block.bytes, block.format == formats.dataTime);
    }
    // Waits for a data block of format whose parsed form match accepts; the
    // block parsed, empty when none came.
    TParsedDataBlock WaitForData(CLIPFORMAT format, const std::function<bool(const TParsedDataBlock&)>& match)
    {
        const TReceivedBlock* block =
            WaitForBlock(*sink.Get(), format, [&](const TReceivedBlock& b) { return match(Parse(b)); });
        EXPECT_NE(block, nullptr) << "no such block of format " << format;
        return block ? Parse(*block) : TParsedDataBlock{};
    }
    // The data block of format that carries the item with client handle 31 (the text item) as text.
    TParsedDataBlock WaitForText(CLIPFORMAT format, const std::wstring& text)
    {
        return WaitForData(format, [&](const TParsedDataBlock& b) {
            return !b.items.empty() && b.items[0].hClient == 31 && b.items[0].value.text == text;
        });
    }
    TParsedDataBlock WaitForTransaction(CLIPFORMAT format, DWORD transactionId)
    {
        return WaitForData(format, [&](const TParsedDataBlock& b) { return b.transactionId == transactionId; });
    }

    TFormats formats;
    ComPtr<TAdviseSinkRecorder> sink = MakeComObject<TAdviseSinkRecorder>();
    ComPtr<IDataObject> data;
    std::vector<OPCHANDLE> handles;
    std::vector<DWORD> connections;
};

TEST_F(Da1, AdviseChecksTheFormatAndAcceptsOneSinkPerFormat)
{
    TClientGroup group = AdvisedGroup(L"Checks", {});
    struct TCase {
        FORMATETC format;
        HRESULT result;
    };
    const TCase cases[] = {
        {{formats.data, nullptr, DVASPECT_CONTENT, 0, TYMED_HGLOBAL}, DV_E_LINDEX},
        {{formats.data, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM}, DV_E_FORMATETC},
        {{formats.data, nullptr, DVASPECT_ICON, -1, TYMED_HGLOBAL}, DV_E_FORMATETC},
        {{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, DV_E_FORMATETC},
        {Format(formats.data), S_OK},
        {Format(formats.data), CONNECT_E_ADVISELIMIT},
        {Format(formats.writeComplete), S_OK},
    };
    for (const TCase& c : cases) {
        FORMATETC fe = c.format;
        DWORD connection = 1234;
        EXPECT_EQ(data->DAdvise(&fe, 0, sink.Get(), &connection), c.result) << c.format.cfFormat;
        if (FAILED(c.result)) {
            EXPECT_EQ(connection, 0xFFFFFFFFu);
        } else {
            EXPECT_EQ(connection, c.format.cfFormat == formats.data ? 0u : 2u);
        }
    }
    EXPECT_EQ(data->DUnadvise(3), OLE_E_NOCONNECTION);
    EXPECT_EQ(data->DUnadvise(1), OLE_E_NOCONNECTION);
    EXPECT_EQ(data->DUnadvise(0), S_OK);
    EXPECT_EQ(data->DUnadvise(0), OLE_E_NOCONNECTION);
    FORMATETC fe = Format(formats.data);
    STGMEDIUM medium{};
    EXPECT_EQ(data->GetData(&fe, &medium), E_NOTIMPL);
    EXPECT_EQ(data->QueryGetData(&fe), E_NOTIMPL);
    ComPtr<IEnumSTATDATA> advises;
    EXPECT_EQ(data->EnumDAdvise(advises.GetAddressOf()), E_NOTIMPL);
}

TEST_F(Da1, DataSinksGetTheCurrentValuesAtAdviseAndEveryChangeAfter)
{
    WriteItem(kPlant, L"Plant \u00e9");
    TClientGroup group = AdvisedGroup(L"Blocks", {formats.data, formats.dataTime, formats.writeComplete});
    const TParsedDataBlock plain = WaitForText(formats.data, L"Plant \u00e9");
    EXPECT_EQ(plain.group, 0x55u);
    EXPECT_EQ(plain.count, 2u);
    ASSERT_EQ(plain.items.size(), 2u);
    EXPECT_EQ(plain.items[0].hClient, 31u);
    EXPECT_EQ(plain.items[0].valueOffset, 20u + 2 * 12);
    EXPECT_EQ(plain.items[0].value.vt, VT_BSTR);
    EXPECT_EQ(plain.items[0].value.text, L"Plant \u00e9");
    EXPECT_EQ(plain.items[0].value.stringByteCount, 2u * 7);
    EXPECT_EQ(plain.items[1].valueOffset, plain.items[0].valueOffset + plain.items[0].value.recordSize);
    EXPECT_EQ(plain.size, plain.items[1].valueOffset + plain.items[1].value.recordSize);
    const TParsedDataBlock timed = WaitForText(formats.dataTime, L"Plant \u00e9");
    EXPECT_EQ(timed.items.at(0).valueOffset, 20u + 2 * 20);
    EXPECT_NE(timed.items[0].stamp, 0u);
    EXPECT_EQ(timed.items[0].quality, OPC_QUALITY_GOOD);

    WriteItem(kPlant, L"Next");
    const TParsedDataBlock change = WaitForText(formats.dataTime, L"Next");
    EXPECT_EQ(change.transactionId, 0u);
    EXPECT_EQ(change.count, 1u);
    EXPECT_EQ(WaitForText(formats.data, L"Next").count, 1u);
    // A read queued now is answered after everything that scan sent.
    OPCHANDLE plant = handles[0];
    DWORD transaction = 0;
    TaskMemArray<HRESULT> errors;
    ASSERT_EQ(group.As<IOPCAsyncIO>()->Read(1, OPC_DS_CACHE, 1, &plant, &transaction, errors.put(1)), S_OK);
    WaitForTransaction(formats.dataTime, transaction);
    EXPECT_EQ(sink->Count(formats.writeComplete), 0u) << "the scan never writes to the write-completion sink";
}

TEST_F(Da1, ReadsAndWritesAreCheckedFirstAndCompletedInBlocks)
{
    TClientGroup group = AdvisedGroup(L"Io1", {formats.dataTime, formats.writeComplete});
    WaitForData(formats.dataTime, [](const TParsedDataBlock& b) { return b.count == 2; });  // the current values
    ComPtr<IOPCAsyncIO> io = group.As<IOPCAsyncIO>();
    OPCHANDLE mixed[] = {handles[0], 0xBAD0BAD};
    DWORD transaction = 99;
    TaskMemArray<HRESULT> errors;
    EXPECT_EQ(io->Read(1, OPC_DS_DEVICE, 2, mixed, &transaction, errors.put(2)), S_FALSE);
    EXPECT_EQ(transaction, 0u);
    ASSERT_NE(errors.get(), nullptr);
    EXPECT_EQ(errors[0], S_OK);
    EXPECT_EQ(errors[1], OPC_E_INVALIDHANDLE);
    EXPECT_EQ(io->Read(0, OPC_DS_DEVICE, 1, mixed, &transaction, errors.put(1)), CONNECT_E_NOCONNECTION)
        << "no data sink on connection 0";
    EXPECT_EQ(io->Read(1, static_cast<OPCDATASOURCE>(7), 1, mixed, &transaction, errors.put(1)), E_INVALIDARG);

    ASSERT_EQ(io->Read(1, OPC_DS_DEVICE, 2, const_cast<OPCHANDLE*>(handles.data()), &transaction, errors.put(2)),
              S_OK);
    EXPECT_NE(transaction, 0u);
    const TParsedDataBlock read = WaitForTransaction(formats.dataTime, transaction);
    EXPECT_EQ(read.transactionId, transaction);
    EXPECT_EQ(read.count, 2u);

    UniqueVariant values[] = {MakeBstr(L"Written by DA 1.0"), MakeBstr(L"not a number")};
    VARIANT raw[] = {values[0].get(), values[1].get()};
    ASSERT_EQ(io->Write(2, 2, const_cast<OPCHANDLE*>(handles.data()), raw, &transaction, errors.put(2)), S_OK);
    const TReceivedBlock* completion = WaitForBlock(*sink.Get(), formats.writeComplete, [&](const TReceivedBlock& b) {
        return da1::ParseWriteBlock(b.bytes).transactionId == transaction;
    });
    ASSERT_NE(completion, nullptr);
    const TParsedWriteBlock written = da1::ParseWriteBlock(completion->bytes);
    EXPECT_EQ(written.transactionId, transaction);
    EXPECT_EQ(written.group, 0x55u);
    EXPECT_EQ(written.status, 0u);
    ASSERT_EQ(written.count, 2u);
    EXPECT_EQ(written.items[0], std::make_pair(31u, 0u));
    EXPECT_EQ(written.items[1], std::make_pair(32u, static_cast<uint32_t>(OPC_E_BADTYPE)));
    EXPECT_EQ(TextOf(group.Read(OPC_DS_DEVICE, {handles[0]})[0].value.get()), L"Written by DA 1.0");

    EXPECT_EQ(io->Write(2, 2, mixed, raw, &transaction, errors.put(2)), S_FALSE) << "checked before queueing";
    EXPECT_EQ(transaction, 0u);
    EXPECT_EQ(io->Cancel(0x4242), E_FAIL);
}

TEST_F(Da1, RefreshNeedsAnActiveGroupAndAnswersWithItsTransaction)
{
    TClientGroup group = AdvisedGroup(L"Refresh1", {formats.data});
    ComPtr<IOPCAsyncIO> io = group.As<IOPCAsyncIO>();
    DWORD transaction = 0;
    ASSERT_EQ(io->Refresh(0, OPC_DS_CACHE, &transaction), S_OK);
    EXPECT_EQ(WaitForTransaction(formats.data, transaction).count, 2u);
    EXPECT_EQ(io->Refresh(2, OPC_DS_CACHE, &transaction), CONNECT_E_NOCONNECTION);

    BOOL off = FALSE;
    DWORD revised = 0;
    ASSERT_EQ(group.As<IOPCGroupStateMgt>()->SetState(nullptr, &revised, &off, nullptr, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(io->Refresh(0, OPC_DS_CACHE, &transaction), E_FAIL);
    EXPECT_EQ(transaction, 0u);
}

}  // namespace
