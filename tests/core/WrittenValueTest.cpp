// Written values held for a write that runs later: references resolved,
// objects not kept.
#include <gtest/gtest.h>

#include <functional>

#include "RaisedCode.h"
#include "TestValues.h"
#include "cache/WrittenValue.h"

namespace {

// An object that counts its references, so a test sees that nothing kept one.
class TCountedObject final : public IUnknown {
public:
    ULONG Refs() const { return refs_; }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = riid == IID_IUnknown ? this : nullptr;
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }

private:
    ULONG refs_ = 1;
};

TEST(HeldWriteValue, OwnsWhatEveryReferencePointsAt)
{
    LONG number = 222222;
    UniqueBstr text(L"by reference");
    BSTR textSlot = text.get();
    UniqueVariant inner = MakeBstr(L"inside");
    VARIANT numberRef;
    V_VT(&numberRef) = VT_BYREF | VT_I4;
    V_I4REF(&numberRef) = &number;
    UniqueVariant numbers = MakeR8Array({1.5, 2.5});
    SAFEARRAY* arraySlot = V_ARRAY(&numbers.get());

    struct TCase {
        const char* Name;
        std::function<void(VARIANT&)> Fill;
        VARTYPE Held;
        const void* Original;  // what the copy must not share
    };
    const TCase cases[] = {
        {"I4",
         [&](VARIANT& v) {
             V_VT(&v) = VT_BYREF | VT_I4;
             V_I4REF(&v) = &number;
         },
         VT_I4, nullptr},
        {"BSTR",
         [&](VARIANT& v) {
             V_VT(&v) = VT_BYREF | VT_BSTR;
             V_BSTRREF(&v) = &textSlot;
         },
         VT_BSTR, textSlot},
        {"VARIANT",
         [&](VARIANT& v) {
             V_VT(&v) = VT_BYREF | VT_VARIANT;
             V_VARIANTREF(&v) = &inner.get();
         },
         VT_BSTR, V_BSTR(&inner.get())},
        {"VARIANT of a reference",
         [&](VARIANT& v) {
             V_VT(&v) = VT_BYREF | VT_VARIANT;
             V_VARIANTREF(&v) = &numberRef;
         },
         VT_I4, nullptr},
        {"array",
         [&](VARIANT& v) {
             V_VT(&v) = VT_BYREF | VT_ARRAY | VT_R8;
             V_ARRAYREF(&v) = &arraySlot;
         },
         VT_ARRAY | VT_R8, arraySlot},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        VARIANT reference;
        c.Fill(reference);
        const UniqueVariant held = HeldWriteValue(reference);
        ASSERT_EQ(held.vt(), c.Held);
        switch (c.Held) {
        case VT_I4:
            EXPECT_EQ(V_I4(&held.get()), 222222);
            break;
        case VT_BSTR:
            EXPECT_EQ(TextOf(held.get()),
                      TextOf(V_VT(&reference) == (VT_BYREF | VT_BSTR) ? MakeBstr(L"by reference").get() : inner.get()));
            EXPECT_NE(V_BSTR(&held.get()), c.Original);
            break;
        default:
            EXPECT_EQ(DoublesOf(held.get()), (std::vector<double>{1.5, 2.5}));
            EXPECT_NE(V_ARRAY(&held.get()), c.Original);
        }
    }

    VARIANT twice;
    V_VT(&twice) = VT_BYREF | VT_VARIANT;
    VARIANT once;
    V_VT(&once) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&once) = &inner.get();
    V_VARIANTREF(&twice) = &once;
    EXPECT_EQ(RaisedCode([&] { HeldWriteValue(twice); }), E_INVALIDARG) << "the platform copies one level of variant";
}

TEST(HeldWriteValue, KeepsNoObjectAndTheWriteStillRefusesIt)
{
    TCountedObject object;
    IUnknown* slot = &object;
    UniqueVariant inner;
    V_VT(inner.put()) = VT_UNKNOWN;
    V_UNKNOWN(&inner.get()) = &object;
    object.AddRef();
    const ULONG before = object.Refs();

    VARIANT plain, byReference, inVariant;
    V_VT(&plain) = VT_UNKNOWN;
    V_UNKNOWN(&plain) = &object;
    V_VT(&byReference) = VT_BYREF | VT_UNKNOWN;
    V_UNKNOWNREF(&byReference) = &slot;
    V_VT(&inVariant) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&inVariant) = &inner.get();
    for (const VARIANT* value : {&plain, &byReference, &inVariant}) {
        const UniqueVariant held = HeldWriteValue(*value);
        EXPECT_EQ(held.vt(), VT_DISPATCH);
        EXPECT_EQ(V_DISPATCH(&held.get()), nullptr);
        EXPECT_TRUE(HoldsObject(held.get()));
        EXPECT_EQ(object.Refs(), before);
    }
}

}  // namespace
