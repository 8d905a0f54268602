// Providers an item server may attach to an item when it resolves it.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <oaidl.h>

// OPC engineering-unit types.
constexpr LONG EuTypeNoEnum = 0;      // OPC_NOENUM
constexpr LONG EuTypeAnalog = 1;      // OPC_ANALOG
constexpr LONG EuTypeEnumerated = 2;  // OPC_ENUMERATED

// Engineering-unit information of an item. It has no interface identifier of
// its own: the core only ever holds it, never queries for it.
struct IEUInfo : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetEUType(LONG* euType) = 0;
    // For EuTypeAnalog a one-dimensional array whose elements 0 and 1 are the
    // low and high limits; for EuTypeEnumerated the array of texts.
    virtual HRESULT STDMETHODCALLTYPE GetEUInfo(VARIANT* euInfo) = 0;
};

// Item-specific properties. The core holds the provider for the life of the
// server item and never calls it; the operations are for the item server.
MIDL_INTERFACE("6f3c2a9e-51d4-4b8e-9c0a-7d2e41b5a6c3")
IItemProperties : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPropertyCount(DWORD* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyId(DWORD index, DWORD* propertyId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyValue(DWORD propertyId, VARIANT* value) = 0;
};
__CRT_UUID_DECL(IItemProperties, 0x6f3c2a9e, 0x51d4, 0x4b8e, 0x9c, 0x0a, 0x7d, 0x2e, 0x41, 0xb5, 0xa6, 0xc3)
