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
    TDa1DataBlock Parse(const TReceivedBlock& block) const
    {
        return ReadDa1DataBlock(block.bytes, block.format == formats.dataTime);
    }
    // Waits for a data block of format whose parsed form match accepts; the
    // block parsed, empty when none came.
    TDa1DataBlock WaitForData(CLIPFORMAT format, const std::function<bool(const TDa1DataBlock&)>& match)
    {
        const TReceivedBlock* block =
            WaitForBlock(*sink.Get(), format, [&](const TReceivedBlock& b) { return match(Parse(b)); });
        EXPECT_NE(block, nullptr) << "no such block of format " << format;
        return block ? Parse(*block) : TDa1DataBlock{};
    }
    // The data block of format that carries the item with client handle 31 (the text item) as text.
    TDa1DataBlock WaitForText(CLIPFORMAT format, const std::wstring& text)
    {
        return WaitForData(format, [&](const TDa1DataBlock& b) {
            return !b.Items.empty() && b.Items[0].ClientHandle == 31 && b.Items[0].Value.Text == text;
        });
    }
    TDa1DataBlock WaitForTransaction(CLIPFORMAT format, DWORD transactionId)
    {
        return WaitForData(format, [&](const TDa1DataBlock& b) { return b.TransactionId == transactionId; });
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
    const TDa1DataBlock plain = WaitForText(formats.data, L"Plant \u00e9");
    EXPECT_EQ(plain.ClientGroup, 0x55u);
    EXPECT_EQ(plain.Count, 2u);
    ASSERT_EQ(plain.Items.size(), 2u);
    EXPECT_EQ(plain.Items[0].ClientHandle, 31u);
    EXPECT_EQ(plain.Items[0].ValueOffset, 20u + 2 * 12);
    EXPECT_EQ(plain.Items[0].Value.Type, VT_BSTR);
    EXPECT_EQ(plain.Items[0].Value.Text, L"Plant \u00e9");
    EXPECT_EQ(plain.Items[0].Value.StringByteCount, 2u * 7);
    EXPECT_EQ(plain.Items[1].ValueOffset, plain.Items[0].ValueOffset + plain.Items[0].Value.RecordSize);
    EXPECT_EQ(plain.Size, plain.Items[1].ValueOffset + plain.Items[1].Value.RecordSize);
    const TDa1DataBlock timed = WaitForText(formats.dataTime, L"Plant \u00e9");
    EXPECT_EQ(timed.Items.at(0).ValueOffset, 20u + 2 * 20);
    EXPECT_NE(timed.Items[0].Stamp, 0u);
    EXPECT_EQ(timed.Items[0].Quality, OPC_QUALITY_GOOD);

    WriteItem(kPlant, L"Next");
    const TDa1DataBlock change = WaitForText(formats.dataTime, L"Next");
    EXPECT_EQ(change.TransactionId, 0u);
    EXPECT_EQ(change.Count, 1u);
    EXPECT_EQ(WaitForText(formats.data, L"Next").Count, 1u);
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
    WaitForData(formats.dataTime, [](const TDa1DataBlock& b) { return b.Count == 2; });  // the current values
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
    const TDa1DataBlock read = WaitForTransaction(formats.dataTime, transaction);
    EXPECT_EQ(read.TransactionId, transaction);
    EXPECT_EQ(read.Count, 2u);

    UniqueVariant values[] = {MakeBstr(L"Written by DA 1.0"), MakeBstr(L"not a number")};
    VARIANT raw[] = {values[0].get(), values[1].get()};
    ASSERT_EQ(io->Write(2, 2, const_cast<OPCHANDLE*>(handles.data()), raw, &transaction, errors.put(2)), S_OK);
    const TReceivedBlock* completion = WaitForBlock(*sink.Get(), formats.writeComplete, [&](const TReceivedBlock& b) {
        return ReadDa1WriteBlock(b.bytes).TransactionId == transaction;
    });
    ASSERT_NE(completion, nullptr);
    const TDa1WriteBlock written = ReadDa1WriteBlock(completion->bytes);
    EXPECT_EQ(written.TransactionId, transaction);
    EXPECT_EQ(written.ClientGroup, 0x55u);
    EXPECT_EQ(written.Status, S_OK);
    ASSERT_EQ(written.Count, 2u);
    EXPECT_EQ(written.Items[0].ClientHandle, 31u);
    EXPECT_EQ(written.Items[0].Error, S_OK);
    EXPECT_EQ(written.Items[1].ClientHandle, 32u);
    EXPECT_EQ(written.Items[1].Error, OPC_E_BADTYPE);
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
    EXPECT_EQ(WaitForTransaction(formats.data, transaction).Count, 2u);
    EXPECT_EQ(io->Refresh(2, OPC_DS_CACHE, &transaction), CONNECT_E_NOCONNECTION);

    BOOL off = FALSE;
    DWORD revised = 0;
    ASSERT_EQ(group.As<IOPCGroupStateMgt>()->SetState(nullptr, &revised, &off, nullptr, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(io->Refresh(0, OPC_DS_CACHE, &transaction), E_FAIL);
    EXPECT_EQ(transaction, 0u);
}

}  // namespace
