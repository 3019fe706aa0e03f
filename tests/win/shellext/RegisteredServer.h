// A test suite that runs with TorvanExt.dll registered by regsvr32, as the
// integration dialog leaves it, and objects made the way Explorer makes
// them: CoCreateInstance with the registered class identifier.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

class RegisteredServer : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

    // The module COM loaded, kept loaded for the suite so its exports can be
    // called on the very module that serves the objects.
    static HMODULE Module() { return s_module; }
    static HRESULT CanUnloadNow();
    static HRESULT GetClassObject(REFIID iid, void** out);

    // CoCreateInstance(CLSID_PackMenu, in-process) for `iid`.
    static HRESULT Create(REFIID iid, void** out);

private:
    static HMODULE s_module;
};
