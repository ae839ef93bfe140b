// Linking the background data of a data file through its raw-data objects.
#include "ovsdatafilebackground.h"
#include "ovstoolexecute.h"
#include "unique_resource.h"

namespace {

constexpr WORD kRawData = 0x0001;
constexpr WORD kPdaData = 0x0002;
constexpr LONG kOpenMode = 1;
constexpr LONG kOpenFlags = 0x4000000;
constexpr LONG kOpenShare = 1;
constexpr LONG kCloseWithoutSaving = -1;
constexpr DWORD kPathRoom = 260;

// The raw-data objects that the flags ask for, from a data file or its background file.
struct RawObjects {
    ovs::com_ptr<IOvsRawData> raw;
    ovs::com_ptr<IOvsPdaRawData> pda;
    bool hasPda = false;

    HRESULT Take(IOvsDataFile& file, WORD flags) {
        HRESULT hr = S_OK;
        if (flags & kRawData) {
            hr = file.GetDataObject(OVS_RAW_DATA_NAME, IID_IOvsRawData, raw.put_void());
        }
        if (flags & kPdaData) {
            hr = file.GetDataObject(OVS_PDA_RAW_DATA_NAME, IID_IOvsPdaRawData, pda.put_void());
            if (SUCCEEDED(hr) && pda) {
                OVS_PDAINFO info = {};
                hr = pda->GetPdaInfo(&info);
                hasPda = SUCCEEDED(hr) && info.wKind != 0;
            }
        }
        return hr;
    }

    // Clears the raw link (when asked for) and the PDA background (when there is PDA data).
    HRESULT Clear() {
        HRESULT hr = S_OK;
        if (raw) {
            hr = raw->ClearBackground();
        }
        if (hasPda) {
            hr = pda->SetBackground(nullptr, nullptr);
        }
        return hr;
    }
};

} // namespace

HRESULT Tool_RunBackground(IUnknown* pDataFile, IUnknown* pFileManager, LPCSTR szBackgroundFile,
                           WORD wFlags) {
    if (pDataFile == nullptr || pFileManager == nullptr || wFlags == 0) {
        return E_INVALIDARG;
    }
    ovs::com_ptr<IOvsDataFile> dataFile;
    HRESULT hr = pDataFile->QueryInterface(IID_IOvsDataFile, dataFile.put_void());
    if (FAILED(hr)) {
        return hr;
    }
    ovs::com_ptr<IOvsFileManager> fileManager;
    hr = pFileManager->QueryInterface(IID_IOvsFileManager, fileManager.put_void());
    if (FAILED(hr)) {
        return hr;
    }
    ovs::com_ptr<IOvsDataFile> background;
    if (szBackgroundFile != nullptr && szBackgroundFile[0] != '\0') {
        hr = fileManager->OpenFile(background.put(), szBackgroundFile, kOpenMode, kOpenFlags, kOpenShare, 0,
                                   0, 0);
        if (FAILED(hr)) {
            fileManager->CloseFile(background.get(), kCloseWithoutSaving);
            return hr;
        }
    }
    RawObjects own;
    hr = own.Take(*dataFile.get(), wFlags);
    if (!background) {
        return own.Clear();
    }
    RawObjects other;
    hr = other.Take(*background.get(), wFlags);
    if (own.raw && other.raw) {
        hr = own.raw->LinkBackground(other.raw.get());
        if (FAILED(hr)) {
            own.raw->ClearBackground(); // the link's failure stays the result
        }
    }
    if (own.hasPda && other.hasPda) {
        own.pda->SetBackground(nullptr, nullptr);
        char path[kPathRoom] = {};
        background->GetPathName(path, sizeof path);
        hr = own.pda->SetBackground(path, other.pda.get());
        if (FAILED(hr)) {
            own.Clear(); // the link's failure stays the result
        }
    }
    return hr;
}
