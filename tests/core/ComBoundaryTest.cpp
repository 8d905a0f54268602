// The COM boundary: exception mapping, owners that free on failure, the COM
// object base, the process object count and the handle table.
#include <gtest/gtest.h>

#include <new>
#include <set>
#include <stdexcept>

#include "com/ComBoundary.h"
#include "com/ComObject.h"
#include "com/HandleTable.h"
#include "com/OpcArgs.h"
#include "com/ServerObjectCount.h"

MIDL_INTERFACE("0b6d7a10-3c1e-4f55-9a41-5e2f1c7d8a01")
ITestAlpha : public IUnknown {
    virtual int STDMETHODCALLTYPE Alpha() = 0;
};
__CRT_UUID_DECL(ITestAlpha, 0x0b6d7a10, 0x3c1e, 0x4f55, 0x9a, 0x41, 0x5e, 0x2f, 0x1c, 0x7d, 0x8a, 0x01)

MIDL_INTERFACE("0b6d7a10-3c1e-4f55-9a41-5e2f1c7d8a02")
ITestBeta : public IUnknown {
    virtual int STDMETHODCALLTYPE Beta() = 0;
};
__CRT_UUID_DECL(ITestBeta, 0x0b6d7a10, 0x3c1e, 0x4f55, 0x9a, 0x41, 0x5e, 0x2f, 0x1c, 0x7d, 0x8a, 0x02)

namespace {

class TAlphaBeta : public TComObject<ITestAlpha, ITestBeta> {
public:
    explicit TAlphaBeta(bool* destroyed) : destroyed_(destroyed) {}
    ~TAlphaBeta() override { *destroyed_ = true; }
    int STDMETHODCALLTYPE Alpha() override { return 1; }
    int STDMETHODCALLTYPE Beta() override { return 2; }

private:
    bool* destroyed_;
};

class TPlainObject : public TComObject<IUnknown> {};

// An object its owner also holds: at count zero it lives on until the owner
// lets it go, unless it was marked for removal before.
class TOwnedObject : public TComObject<ITestAlpha> {
public:
    TOwnedObject(bool* destroyed, TProcessLifetime lifetime = TProcessLifetime::Counted)
        : TComObject(lifetime), destroyed_(destroyed) {}
    ~TOwnedObject() override { *destroyed_ = true; }
    int STDMETHODCALLTYPE Alpha() override { return 3; }
    bool removed = false;
    ULONG References() const { return RefCount(); }
    void DestroyByOwner() { delete this; }

private:
    void FinalRelease() noexcept override
    {
        if (removed) delete this;
    }
    bool* destroyed_;
};

// A part of TAlphaBeta-like owners: its own interface, the owner's count.
class TContainedPart : public TContainedComObject<ITestBeta> {
public:
    explicit TContainedPart(IUnknown& owner) : TContainedComObject(owner) {}
    int STDMETHODCALLTYPE Beta() override { return 4; }
};

TEST(ComBoundary, MapsEveryExceptionToAnHResult)
{
    EXPECT_EQ(ComBoundary([] { RaiseOpcError(OPC_E_BADRIGHTS); }), OPC_E_BADRIGHTS);
    EXPECT_EQ(ComBoundary([] { RaiseOpcError(OPC_S_CLAMP); }), E_FAIL);
    EXPECT_EQ(ComBoundary([] { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(ComBoundary([] { throw std::runtime_error("x"); }), E_FAIL);
    EXPECT_EQ(ComBoundary([] { throw EOpcServer("OPCSERV: No item server"); }), E_FAIL);
    EXPECT_EQ(ComBoundary([] { throw 42; }), E_FAIL);
    EXPECT_EQ(ComBoundary([] {}), S_OK);
    EXPECT_EQ(ComBoundary([] { return S_FALSE; }), S_FALSE);
}

// A batch method in the shape every COM method of the core has: outputs are
// built in owners and handed over only when everything succeeded.
HRESULT FillBatch(DWORD count, DWORD failAt, VARIANT** values, wchar_t*** names) noexcept
{
    ClearOutputs(values, names);
    RETURN_HR_IF_NULL(E_POINTER, values);
    RETURN_HR_IF_NULL(E_POINTER, names);
    return ComBoundary([&] {
        CheckRange(static_cast<LONG>(count), 1, 1000);
        TaskMemArray<VARIANT> valueArray(count);
        TaskMemArray<wchar_t*> nameArray(count);
        for (DWORD i = 0; i < count; ++i) {
            if (i == failAt) RaiseOpcError(OPC_E_RANGE);
            V_VT(&valueArray[i]) = VT_UNKNOWN;
            V_UNKNOWN(&valueArray[i]) = MakeComObject<TPlainObject>().Detach();
            nameArray[i] = TaskWideString(L"Float.Chamber Pressure").release();
        }
        *values = valueArray.release();
        *names = nameArray.release();
    });
}

TEST(ComBoundary, FailureHalfWayFreesEverythingAndLeavesOutputsNull)
{
    const long before = ServerObjectCount::Value();
    VARIANT* values = reinterpret_cast<VARIANT*>(1);
    wchar_t** names = reinterpret_cast<wchar_t**>(1);
    EXPECT_EQ(FillBatch(5, 3, &values, &names), OPC_E_RANGE);
    EXPECT_EQ(values, nullptr);
    EXPECT_EQ(names, nullptr);
    EXPECT_EQ(ServerObjectCount::Value(), before);  // the three objects made were released

    EXPECT_EQ(FillBatch(0, 9, &values, &names), E_INVALIDARG);
    EXPECT_EQ(values, nullptr);
    EXPECT_EQ(FillBatch(1, 9, nullptr, &names), E_POINTER);
    EXPECT_EQ(names, nullptr);
}

TEST(ComBoundary, SuccessHandsOwnershipToTheCaller)
{
    const long before = ServerObjectCount::Value();
    VARIANT* values = nullptr;
    wchar_t** names = nullptr;
    ASSERT_EQ(FillBatch(4, 9, &values, &names), S_OK);
    ASSERT_NE(values, nullptr);
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(ServerObjectCount::Value(), before + 4);
    EXPECT_STREQ(names[3], L"Float.Chamber Pressure");
    for (int i = 0; i < 4; ++i) {
        VariantClear(&values[i]);
        CoTaskMemFree(names[i]);
    }
    CoTaskMemFree(values);
    CoTaskMemFree(names);
    EXPECT_EQ(ServerObjectCount::Value(), before);
}

TEST(ComOwners, VariantOwnerReleasesItsValueUnlessHandedOver)
{
    const long before = ServerObjectCount::Value();
    {
        UniqueVariant held;
        V_VT(held.put()) = VT_UNKNOWN;
        V_UNKNOWN(&held.get()) = MakeComObject<TPlainObject>().Detach();
        EXPECT_EQ(ServerObjectCount::Value(), before + 1);
    }
    EXPECT_EQ(ServerObjectCount::Value(), before);

    UniqueVariant owner;
    V_VT(owner.put()) = VT_UNKNOWN;
    V_UNKNOWN(&owner.get()) = MakeComObject<TPlainObject>().Detach();
    VARIANT out = owner.release();
    EXPECT_EQ(owner.vt(), VT_EMPTY);
    owner.reset();
    EXPECT_EQ(ServerObjectCount::Value(), before + 1);
    VariantClear(&out);
    EXPECT_EQ(ServerObjectCount::Value(), before);

    // A copy is deep: the original may go.
    UniqueVariant copy;
    {
        UniqueVariant text;
        V_VT(text.put()) = VT_BSTR;
        V_BSTR(&text.get()) = UniqueBstr(L"0.0000025").release();
        copy = UniqueVariant::CopyOf(text.get());
    }
    EXPECT_STREQ(V_BSTR(&copy.get()), L"0.0000025");
}

TEST(ComObject, AnswersItsInterfacesWithOneIdentity)
{
    bool destroyed = false;
    ComPtr<TAlphaBeta> object = MakeComObject<TAlphaBeta>(&destroyed);

    ComPtr<ITestAlpha> alpha;
    ComPtr<ITestBeta> beta;
    ASSERT_EQ(object->QueryInterface(IID_PPV_ARGS(&alpha)), S_OK);
    ASSERT_EQ(alpha.As(&beta), S_OK);
    EXPECT_EQ(alpha->Alpha(), 1);
    EXPECT_EQ(beta->Beta(), 2);

    ComPtr<IUnknown> fromAlpha, fromBeta;
    ASSERT_EQ(alpha.As(&fromAlpha), S_OK);
    ASSERT_EQ(beta.As(&fromBeta), S_OK);
    EXPECT_EQ(fromAlpha.Get(), fromBeta.Get());

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(__uuidof(IEnumString), &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(object->QueryInterface(__uuidof(ITestAlpha), nullptr), E_POINTER);
    EXPECT_TRUE(object->ImplementsInterface(__uuidof(ITestBeta)));
    EXPECT_FALSE(object->ImplementsInterface(__uuidof(IEnumString)));
    EXPECT_FALSE(destroyed);
}

TEST(ComObject, LastReleaseDestroysAndTheProcessCountNotifiesAtZero)
{
    ASSERT_EQ(ServerObjectCount::Value(), 0) << "an earlier test left objects alive";
    int zeroCalls = 0;
    ServerObjectCount::SetZeroNotifier([&] { ++zeroCalls; });

    bool destroyedA = false, destroyedB = false;
    ITestAlpha* a = MakeComObject<TAlphaBeta>(&destroyedA).Detach();
    ComPtr<TAlphaBeta> b = MakeComObject<TAlphaBeta>(&destroyedB);
    EXPECT_EQ(ServerObjectCount::Value(), 2);
    EXPECT_EQ(a->AddRef(), 2u);
    EXPECT_EQ(a->Release(), 1u);
    EXPECT_EQ(a->Release(), 0u);
    EXPECT_TRUE(destroyedA);
    EXPECT_EQ(zeroCalls, 0);
    b.Reset();
    EXPECT_TRUE(destroyedB);
    EXPECT_EQ(zeroCalls, 1);
    EXPECT_EQ(ServerObjectCount::Value(), 0);

    ServerObjectCount::SetZeroNotifier(nullptr);
}

TEST(ComObject, FinalReleaseLetsAnOwnedObjectLiveOnUntilItIsRemoved)
{
    bool keptDestroyed = false, removedDestroyed = false;
    auto* kept = new TOwnedObject(&keptDestroyed);
    EXPECT_EQ(kept->Release(), 0u);
    EXPECT_FALSE(keptDestroyed) << "the owner still holds it";
    EXPECT_EQ(kept->References(), 0u);
    EXPECT_EQ(kept->AddRef(), 1u) << "a client may take it again";
    EXPECT_EQ(kept->Release(), 0u);
    kept->DestroyByOwner();
    EXPECT_TRUE(keptDestroyed);

    auto* removed = new TOwnedObject(&removedDestroyed);
    removed->AddRef();
    removed->removed = true;
    EXPECT_EQ(removed->Release(), 1u);
    EXPECT_FALSE(removedDestroyed);
    EXPECT_EQ(removed->Release(), 0u);
    EXPECT_TRUE(removedDestroyed) << "the last release of a removed object destroys it";
    EXPECT_EQ(ServerObjectCount::Value(), 0);
}

TEST(ComObject, AnIndependentObjectDoesNotKeepTheProcessAlive)
{
    int zeroCalls = 0;
    ServerObjectCount::SetZeroNotifier([&] { ++zeroCalls; });
    bool destroyed = false;
    auto* factoryLike = new TOwnedObject(&destroyed, TProcessLifetime::Independent);
    factoryLike->removed = true;
    EXPECT_EQ(ServerObjectCount::Value(), 0);
    factoryLike->Release();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(zeroCalls, 0) << "its end is no last release of the process";
    ServerObjectCount::SetZeroNotifier(nullptr);
}

TEST(ComObject, AContainedPartSharesItsOwnersCountButHasItsOwnInterfaces)
{
    bool destroyed = false;
    ComPtr<TAlphaBeta> owner = MakeComObject<TAlphaBeta>(&destroyed);
    {
        TContainedPart part(*static_cast<ITestAlpha*>(owner.Get()));
        EXPECT_EQ(part.AddRef(), 2u) << "the owner's count";
        ComPtr<ITestBeta> beta;
        ASSERT_EQ(part.QueryInterface(IID_PPV_ARGS(&beta)), S_OK);
        EXPECT_EQ(beta->Beta(), 4) << "the part's own interface, not the owner's";
        void* alpha = reinterpret_cast<void*>(1);
        EXPECT_EQ(part.QueryInterface(__uuidof(ITestAlpha), &alpha), E_NOINTERFACE);
        EXPECT_EQ(alpha, nullptr);
        beta.Reset();
        EXPECT_EQ(part.Release(), 1u);
    }
    EXPECT_EQ(ServerObjectCount::Value(), 1) << "only the owner counts in the process";
    owner.Reset();
    EXPECT_TRUE(destroyed);
}

TEST(HandleTable, HandlesAreUniqueNonZeroAndOnlyLiveOnesResolve)
{
    THandleTable<int> table;
    int objects[100];
    std::set<DWORD> handles;
    for (int& object : objects) {
        const DWORD handle = table.Add(&object);
        EXPECT_NE(handle, 0u);
        EXPECT_TRUE(handles.insert(handle).second);
        EXPECT_EQ(table.Find(handle), &object);
    }
    const DWORD first = *handles.begin();
    EXPECT_EQ(table.Take(first), &objects[0]);
    EXPECT_EQ(table.Find(first), nullptr);
    EXPECT_EQ(table.Take(first), nullptr);
    // A handle just freed is not handed out again straight away.
    EXPECT_NE(table.Add(&objects[0]), first);
    EXPECT_EQ(table.Find(0), nullptr);
    EXPECT_EQ(table.Find(0xDEADBEEF), nullptr);
    EXPECT_EQ(table.Count(), 100u);
}

}  // namespace
