// Values written by reference, through each of the three write paths of the
// real server. An asynchronous write runs after the call has returned, when
// the memory that the call's references pointed at is gone: what is stored
// must be the value the reference pointed at during the call, and a value
// behind a reference that holds an object is refused as the object itself is.
#include <olectl.h>

#include <cstring>
#include <functional>

#include "AdviseSinkRecorder.h"
#include "GroupClient.h"
#include "ValueObject.h"

namespace {

using TKind = TCallbackRecord::TKind;

const std::wstring kPlant = L"String.Coating Plant Name";

enum class TPath { SyncIO, AsyncIO2, AsyncIO };

const char* PathName(TPath path)
{
    switch (path) {
    case TPath::SyncIO:
        return "IOPCSyncIO::Write";
    case TPath::AsyncIO2:
        return "IOPCAsyncIO2::Write";
    default:
        return "IOPCAsyncIO::Write";
    }
}

// What the client's references point at; it outlives every call.
struct TReferenced {
    LONG Number = 222222;
    UniqueBstr Text{L"text by reference"};
    BSTR TextSlot = Text.get();
    UniqueVariant InnerText = MakeBstr(L"text inside a variant");
    UniqueVariant InnerNumber = MakeI4(-5);
    UniqueVariant Bytes;  // the UTF-16 bytes of "OK"
    SAFEARRAY* BytesSlot = nullptr;
    ComPtr<TValueObject> Object = MakeComObject<TValueObject>();
    IDispatch* ObjectSlot = Object.Get();
    IUnknown* UnknownSlot = Object.Get();
    UniqueVariant InnerObject;

    TReferenced()
    {
        const BYTE ok[] = {'O', 0, 'K', 0};
        Bytes = MakeVector(VT_UI1, std::vector<BYTE>(std::begin(ok), std::end(ok)),
                           [](SAFEARRAY* array, LONG i, BYTE b) { return SafeArrayPutElement(array, &i, &b); });
        BytesSlot = V_ARRAY(&Bytes.get());
        V_VT(InnerObject.put()) = VT_DISPATCH;
        V_DISPATCH(&InnerObject.get()) = Object.Get();
        Object->AddRef();
    }
};

struct TByReferenceCase {
    const char* Name;
    std::function<void(TReferenced&, VARIANT&)> Fill;
    HRESULT Error;
    const wchar_t* Stored;  // null: the item keeps its text
};

const TByReferenceCase kCases[] = {
    {"VT_BYREF|VT_I4",
     [](TReferenced& r, VARIANT& v) {
         V_VT(&v) = VT_BYREF | VT_I4;
         V_I4REF(&v) = &r.Number;
     },
     S_OK, L"222222"},
    {"VT_BYREF|VT_BSTR",
     [](TReferenced& r, VARIANT& v) {
         V_VT(&v) = VT_BYREF | VT_BSTR;
         V_BSTRREF(&v) = &r.TextSlot;
     },
     S_OK, L"text by reference"},
    {"VT_BYREF|VT_VARIANT holding a text",
     [](TReferenced& r, VARIANT& v) {
         V_VT(&v) = VT_BYREF | VT_VARIANT;
         V_VARIANTREF(&v) = &r.InnerText.get();
     },
     S_OK, L"text inside a variant"},
    {"VT_BYREF|VT_VARIANT holding a number",
     [](TReferenced& r, VARIANT& v) {
         V_VT(&v) = VT_BYREF | VT_VARIANT;
         V_VARIANTREF(&v) = &r.InnerNumber.get();
     },
     S_OK, L"-5"},
    {"VT_BYREF|VT_ARRAY|VT_UI1",
     [](TReferenced& r, VARIANT& v) {
         V_VT(&v) = VT_BYREF | VT_ARRAY | VT_UI1;
         V_ARRAYREF(&v) = &r.BytesSlot;
     },
     S_OK, L"OK"},
    {"VT_BYREF|VT_DISPATCH",
     [](TReferenced& r, VARIANT& v) {
         V_VT(&v) = VT_BYREF | VT_DISPATCH;
         V_DISPATCHREF(&v) = &r.ObjectSlot;
     },
     DISP_E_TYPEMISMATCH, nullptr},
    {"VT_BYREF|VT_UNKNOWN",
     [](TReferenced& r, VARIANT& v) {
         V_VT(&v) = VT_BYREF | VT_UNKNOWN;
         V_UNKNOWNREF(&v) = &r.UnknownSlot;
     },
     DISP_E_TYPEMISMATCH, nullptr},
    {"VT_BYREF|VT_VARIANT holding an object",
     [](TReferenced& r, VARIANT& v) {
         V_VT(&v) = VT_BYREF | VT_VARIANT;
         V_VARIANTREF(&v) = &r.InnerObject.get();
     },
     DISP_E_TYPEMISMATCH, nullptr},
};

// One group per write path on the same item; the asynchronous ones with the
// sink their completions go to.
class ByReference : public ServerWithGroups {
protected:
    void SetUp() override
    {
        ServerWithGroups::SetUp();
        for (TPath path : {TPath::SyncIO, TPath::AsyncIO2, TPath::AsyncIO}) {
            groups_.push_back(Group(L"", false));
            ASSERT_TRUE(groups_.back());
            handles_.push_back(groups_.back().Add({kPlant}, false).at(0));
            ASSERT_NE(handles_.back(), 0u) << PathName(path);
        }
        ASSERT_EQ(groups_[1].Advise(callbacks_.Get()), S_OK);
        FORMATETC format{writeComplete_, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        ASSERT_EQ(groups_[2].As<IDataObject>()->DAdvise(&format, 0, blocks_.Get(), &connection_), S_OK);
    }

    // Writes value through path and waits for its completion; the item's error.
    HRESULT Write(TPath path, VARIANT& value)
    {
        const size_t at = static_cast<size_t>(path);
        OPCHANDLE handle = handles_[at];
        TaskMemArray<HRESULT> errors;
        if (path == TPath::SyncIO) {
            ComPtr<IOPCSyncIO> io = groups_[at].As<IOPCSyncIO>();
            if (!io) return E_NOINTERFACE;
            const HRESULT hr = io->Write(1, &handle, &value, errors.put(1));
            return FAILED(hr) || !errors.get() ? hr : errors[0];
        }
        if (path == TPath::AsyncIO2) {
            ComPtr<IOPCAsyncIO2> io = groups_[at].As<IOPCAsyncIO2>();
            if (!io) return E_NOINTERFACE;
            const DWORD transaction = ++transactions_;
            DWORD cancel = 0;
            const HRESULT hr = io->Write(1, &handle, &value, transaction, &cancel, errors.put(1));
            if (hr != S_OK) return FAILED(hr) ? hr : E_UNEXPECTED;
            const TCallbackRecord* done = nullptr;
            const bool arrived = PumpUntil(
                [&] {
                    for (const TCallbackRecord& r : callbacks_->records)
                        if (r.kind == TKind::WriteComplete && r.transactionId == transaction) done = &r;
                    return done != nullptr;
                },
                15000);
            if (!arrived || done->items.size() != 1) return E_ABORT;
            return done->items[0].error;
        }
        ComPtr<IOPCAsyncIO> io = groups_[at].As<IOPCAsyncIO>();
        if (!io) return E_NOINTERFACE;
        DWORD transaction = 0;
        const HRESULT hr = io->Write(connection_, 1, &handle, &value, &transaction, errors.put(1));
        if (hr != S_OK) return FAILED(hr) || !errors.get() ? hr : errors[0];
        TDa1WriteBlock done;
        const bool arrived = PumpUntil(
            [&] {
                for (const TReceivedBlock& b : blocks_->blocks) {
                    if (b.format != writeComplete_) continue;
                    TDa1WriteBlock parsed = ReadDa1WriteBlock(b.bytes);
                    if (parsed.TransactionId == transaction) done = parsed;
                }
                return done.TransactionId == transaction;
            },
            15000);
        if (!arrived || done.Items.size() != 1) return E_ABORT;
        return done.Items[0].Error;
    }

    std::wstring Stored() { return TextOf(groups_[0].Read(OPC_DS_DEVICE, {handles_[0]}).at(0).value.get()); }
    void Store(const std::wstring& text)
    {
        ASSERT_EQ(groups_[0].Write({handles_[0]}, {text}), (std::vector<HRESULT>{S_OK}));
    }

    const CLIPFORMAT writeComplete_ = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"OPCSTMFORMATWRITECOMPLETE"));
    std::vector<TClientGroup> groups_;
    std::vector<OPCHANDLE> handles_;
    ComPtr<TDataCallbackRecorder> callbacks_ = MakeComObject<TDataCallbackRecorder>();
    ComPtr<TAdviseSinkRecorder> blocks_ = MakeComObject<TAdviseSinkRecorder>();
    DWORD connection_ = 0;
    DWORD transactions_ = 100;
};

TEST_F(ByReference, EveryPathStoresWhatTheReferencePointedAtAndRefusesObjectsBehindIt)
{
    TReferenced referenced;
    for (TPath path : {TPath::SyncIO, TPath::AsyncIO2, TPath::AsyncIO}) {
        for (const TByReferenceCase& c : kCases) {
            SCOPED_TRACE(testing::Message() << PathName(path) << ", " << c.Name);
            const std::wstring before = L"before " + std::wstring(c.Name, c.Name + std::strlen(c.Name));
            Store(before);
            VARIANT value;
            VariantInit(&value);
            c.Fill(referenced, value);  // refers to referenced, owns nothing
            const HRESULT result = Write(path, value);
            ASSERT_FALSE(result == E_NOINTERFACE || result == E_ABORT || IsDisconnected(result) ||
                         result == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE))
                << "the server is gone or did not complete the write";
            EXPECT_EQ(result, c.Error);
            EXPECT_EQ(Stored(), c.Stored ? std::wstring(c.Stored) : before);
        }
    }
    EXPECT_EQ(referenced.Object->Invoked.load(), 0) << "the server never asked the object for its value";
}

}  // namespace
