// Test support for hosts of the storage server: its registration in the test prefix, a fixture with
// a store of its own, and the server's test controls.
#pragma once

#include "test_support.h"
#include "regstorage.h"

namespace ovs::test {

// Registers this build's OVSRegStorageServer.exe (and its proxy/stub) unless the prefix already
// has it registered; true when it is.
bool RegisterStorageServer();
// Runs the server with "/RegServer" or "/UnregServer"; true when it succeeded.
bool RunStorageServerSwitch(const char* serverSwitch);

// A reset product registry whose "Sys Path" is a fresh folder, so that the server keeps this test's
// values in a store of their own; COM initialised on the test thread (single-threaded apartment).
class StorageServerTest : public RegistryTest {
protected:
    void SetUp() override;
    void TearDown() override;
    const TempFolder& systemFolder() const { return m_systemFolder; }
    std::string storeFile() const { return m_systemFolder / "RegStorage.dat"; }

private:
    TempFolder m_systemFolder;
    bool m_comStarted = false;
};

// Writes "Sys Path" into the product registry.
void SetSystemFolder(const std::string& folder);

// A new object of the running server (starting it when none runs), or none.
com_ptr<IOVSRegStorage> ConnectStorageServer();
// The server answers busy to the next `requests` reads, writes and removals of any client.
HRESULT StorageAnswerBusy(long requests);
// The process id of the running server (starting it when none runs); 0 on failure.
DWORD StorageServerProcessId();
// Ends the running server in order (killing it would leave its class registered with Wine's
// activation service), so that the next call starts a new one; true when it ended.
bool StopStorageServer();

} // namespace ovs::test
