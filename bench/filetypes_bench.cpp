// Tool_CheckFileType on 200 compound documents and 200 old flat files against only the platform
// calls that the classification must make: for a document, opening the compound file and releasing
// it; for a flat file, the two failed compound-file opens and the read of its first two bytes. The
// debug report stays closed. The sides take turns over many rounds; the median of the per-round
// ratios is reported.
#include "OVSTools2.h"
#include "bench_support.h"
#include "unique_resource.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 200;
constexpr int kRounds = 15;

using ovs::bench::Median;
using ovs::bench::Time;

volatile long g_sink;

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

void MakeDocument(const std::string& path) {
    ovs::com_ptr<IStorage> storage;
    StgCreateDocfile(Wide(path).c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                     storage.put());
    ovs::com_ptr<IStream> stream;
    storage->CreateStream(L"File Property", STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.put());
    const DWORD block[65] = {111};
    ULONG written = 0;
    stream->Write(block, sizeof(block), &written);
}

void Baseline(const std::vector<std::string>& documents, const std::vector<std::string>& flats) {
    for (const std::string& path : documents) {
        ovs::com_ptr<IStorage> storage;
        g_sink = StgOpenStorage(Wide(path).c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                                storage.put());
    }
    for (const std::string& path : flats) {
        const std::wstring wide = Wide(path);
        ovs::com_ptr<IStorage> storage;
        g_sink = StgOpenStorage(wide.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                                storage.put());
        g_sink = StgOpenStorage(wide.c_str(), nullptr, STGM_READ | STGM_TRANSACTED | STGM_SHARE_DENY_NONE,
                                nullptr, 0, storage.put());
        ovs::unique_hfile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        char bytes[2];
        DWORD read = 0;
        ReadFile(file.get(), bytes, 2, &read, nullptr);
        g_sink = bytes[0];
    }
}

void Ours(const std::vector<std::string>& documents, const std::vector<std::string>& flats) {
    int kind = 0;
    for (const std::string& path : documents) {
        g_sink = Tool_CheckFileType(path.c_str(), &kind) + kind;
    }
    for (const std::string& path : flats) {
        g_sink = Tool_CheckFileType(path.c_str(), &kind) + kind;
    }
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "ovs_filetypes_bench_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<std::string> documents;
    std::vector<std::string> flats;
    for (int i = 0; i < kFiles; ++i) {
        documents.push_back(folder + "\\run" + std::to_string(i) + ".gcd");
        MakeDocument(documents.back());
        flats.push_back(folder + "\\old" + std::to_string(i) + ".met");
        std::ofstream(flats.back(), std::ios::binary) << "M0 an old method";
    }
    int kind = 0;
    if (Tool_CheckFileType(documents[0].c_str(), &kind) != S_FALSE || kind != 23 ||
        Tool_CheckFileType(flats[0].c_str(), &kind) != S_FALSE || kind != 0) {
        std::printf("classification is wrong: kind %d\n", kind);
        return 1;
    }
    std::vector<double> ours;
    std::vector<double> baseline;
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; ++round) {
        const double b = Time([&] { Baseline(documents, flats); });
        const double o = Time([&] { Ours(documents, flats); });
        ours.push_back(o);
        baseline.push_back(b);
        ratios.push_back(o / b);
    }
    std::printf("file classification of %d compound and %d flat files, median of %d rounds\n", kFiles, kFiles,
                kRounds);
    std::printf("%-22s %10s %12s %10s\n", "operation", "ours ms", "baseline ms", "ratio");
    std::printf("%-22s %10.2f %12.2f %9.2fx\n", "Tool_CheckFileType", Median(ours) * 1e3,
                Median(baseline) * 1e3, Median(ratios));
    for (size_t i = 0; i < documents.size(); ++i) {
        DeleteFileA(documents[i].c_str());
        DeleteFileA(flats[i].c_str());
    }
    RemoveDirectoryA(folder.c_str());
    CoUninitialize();
    return 0;
}
