// Registration the wire test needs: the project's proxy/stub DLL (through
// regsvr32, as an installation does) and the test server's class.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include <string>

namespace wire {

std::wstring ExePath();
std::wstring ProxyDllPath();  // QuillmereOpcPS.dll next to the test executable

// Runs a command line and waits; the exit code, or -1 when it did not start.
long RunProcess(const std::wstring& commandLine);
long RunRegsvr32(bool unregister);  // silent, on ProxyDllPath()

// The proxy's registration as COM reads it: HKCR\Interface\{iid}\ProxyStubClsid32.
std::wstring ProxyStubClsidOf(const IID& iid);

// HKCR\CLSID\{clsid}\LocalServer32 pointing at this executable in server
// mode, for the lifetime of the object.
class ClassRegistration {
public:
    explicit ClassRegistration(const CLSID& clsid);
    ~ClassRegistration();
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    bool ok() const { return ok_; }

private:
    std::wstring key_;
    bool ok_ = false;
};

class WireEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

private:
    std::unique_ptr<ClassRegistration> registration_;
};

}  // namespace wire
