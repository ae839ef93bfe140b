// Cost of the storage client's int read and write against the bare protocol cycle they are made of
// (create, run, query, open, read or write and commit, release), hand-coded here against the
// server's interface; and, for scale, against the registry's int read and write.
//
// The sides take turns within each round; each round gives one ratio per pair and the medians of
// 20 rounds are printed, so that the load of other programs on the machine cancels out.
#include "OVSTools2.h"
#include "bench_support.h"
#include "regstorage.h"
#include "storage_server_switch.h"
#include "unique_resource.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const CLSID kServerClass = {0x32BF2667, 0x28F8, 0x4C93, {0x81, 0x53, 0x45, 0xCE, 0x4A, 0x25, 0xAC, 0xF9}};
constexpr char kKey[] = "SOFTWARE\\VELDORAN\\Orvantiscope\\Orvantiscope2";
constexpr char kSub[] = "Bench";
constexpr char kValue[] = "Counter";
constexpr int kRounds = 20;
constexpr int kCallsPerSample = 3;

// Registers the server beside this program and gives it a store folder of its own.
bool PrepareServer() {
    if (!regstorage::RunServerSwitch("/RegServer")) {
        return false;
    }
    char temp[MAX_PATH];
    const DWORD tempLength = GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp, tempLength) + "ovs_regstorage_bench";
    CreateDirectoryA(folder.c_str(), nullptr);
    return Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Sys Path", folder.c_str()) !=
           FALSE;
}

RegStorageKey BenchKey() {
    return {-1, 0, -1, 1, const_cast<char*>(kKey), const_cast<char*>(kSub), const_cast<char*>(kValue)};
}

// The cycle every client call goes through, with the least around it.
ovs::com_ptr<IOVSRegStorage> Connect() {
    ovs::com_ptr<IUnknown> unknown;
    ovs::com_ptr<IOVSRegStorage> storage;
    if (SUCCEEDED(CoCreateInstance(kServerClass, nullptr, 0x17, IID_IUnknown, unknown.put_void())) &&
        SUCCEEDED(OleRun(unknown.get()))) {
        unknown->QueryInterface(IID_IOVSRegStorage, storage.put_void());
    }
    return storage;
}

int BareRead() {
    const ovs::com_ptr<IOVSRegStorage> storage = Connect();
    LONG status = 0;
    int value = 0;
    RegStorageKey key = BenchKey();
    DWORD wordA = 0;
    DWORD wordB = 0;
    storage->OpenForRead(0x40, -1, 0, -1, 1, 1, &status);
    storage->ReadValue(&key, &wordA, reinterpret_cast<byte*>(&value), sizeof value, &wordB, &status);
    storage->Commit(1, &status);
    return value;
}

void BareWrite(int value) {
    const ovs::com_ptr<IOVSRegStorage> storage = Connect();
    LONG status = 0;
    RegStorageKey key = BenchKey();
    storage->OpenForWrite(0x40, -1, 0, -1, 0, &status);
    storage->WriteValue(&key, 1, reinterpret_cast<const byte*>(&value), sizeof value, &status);
    storage->Commit(1, &status);
}

template <typename Body>
double Sample(Body body) {
    return ovs::bench::Time([&] {
        for (int i = 0; i < kCallsPerSample; ++i) {
            body(i);
        }
    });
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (!PrepareServer()) {
        std::printf("the storage server could not be registered\n");
        return 1;
    }
    Tool_WriteRegStorageInt(kKey, nullptr, kSub, kValue, 1, 0); // starts the server
    if (BareRead() != 1) {
        std::printf("the storage server does not answer\n");
        return 1;
    }
    Tool_WriteRegistryInt(kKey, nullptr, 0, kSub, kValue, 1);

    std::vector<double> readVsBare, writeVsBare, readVsRegistry, writeVsRegistry;
    double readTotal = 0, bareReadTotal = 0, writeTotal = 0, bareWriteTotal = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double read = Sample([](int) { Tool_GetRegStorageInt(kKey, nullptr, kSub, kValue, 0, 0); });
        const double bareRead = Sample([](int) { BareRead(); });
        const double write =
            Sample([](int i) { Tool_WriteRegStorageInt(kKey, nullptr, kSub, kValue, i, 0); });
        const double bareWrite = Sample([](int i) { BareWrite(i); });
        const double registryRead =
            Sample([](int) { Tool_GetRegistryInt(kKey, nullptr, 0, kSub, kValue, 0); });
        const double registryWrite =
            Sample([](int i) { Tool_WriteRegistryInt(kKey, nullptr, 0, kSub, kValue, i); });
        readVsBare.push_back(read / bareRead);
        writeVsBare.push_back(write / bareWrite);
        readVsRegistry.push_back(read / registryRead);
        writeVsRegistry.push_back(write / registryWrite);
        readTotal += read;
        bareReadTotal += bareRead;
        writeTotal += write;
        bareWriteTotal += bareWrite;
    }
    const double perCall = 1000.0 / (kRounds * kCallsPerSample);
    std::printf("%-38s %8s %8s %13s\n", "operation (20 rounds)", "ours ms", "base ms", "median ratio");
    std::printf("%-38s %8.1f %8.1f %13.2f  (target <= 1.2)\n", "GetRegStorageInt / bare cycle",
                readTotal * perCall, bareReadTotal * perCall, ovs::bench::Median(readVsBare));
    std::printf("%-38s %8.1f %8.1f %13.2f  (target <= 1.2)\n", "WriteRegStorageInt / bare cycle",
                writeTotal * perCall, bareWriteTotal * perCall, ovs::bench::Median(writeVsBare));
    std::printf("%-38s %17s %13.1f  (no target)\n", "GetRegStorageInt / GetRegistryInt", "",
                ovs::bench::Median(readVsRegistry));
    std::printf("%-38s %17s %13.1f  (no target)\n", "WriteRegStorageInt / WriteRegistryInt", "",
                ovs::bench::Median(writeVsRegistry));
    CoUninitialize();
    return 0;
}
