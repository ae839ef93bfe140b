// The path-information component as a stand-in (OVSPathInfo.dll), answering from the text of the
// logical path "[" items "]\" drive "#" "\" folders "\" file:
//   project name (0x20)      the first folder after the drive; empty when the file lies in the root
//   data-set number (0x40000) the value of the item "DataSet"; empty without it
//   item 0x20000             the file name; with the flag 1 without its extension
//   item 0x100000            "old version <n>" for an item "OldVer"; empty without it
//   item 0x40                the ordinary path (block removed, the drive's "#" back to ":")
//   short form (0x80000)     project name "\" file name (the file name alone without a project),
//                            cut to 255 bytes at a character boundary
//   number (0x1000)          the number of items in the block
//   identifier (0x8)         a GUID made from a hash of the whole text
//   file kind (place 25)     1 for ".lcd", 2 for ".lcm", 3 for ".lcb", 0 otherwise (any case)
//
// The environment variable OVS_PATHINFO_FAIL, read at every call, makes calls fail. It holds
// entries separated by ";":
//   "create=<hex>"            the class factory's CreateInstance returns the code;
//   "<item hex>=hr:<hex>"     the item's method returns the code (item "kind" for place 25);
//   "<item hex>=status:<n>"   the item's method returns S_OK with status n (decimal, may be < 0).
#pragma once

#include "path_information.h"

#include <string>

// What the component saw in this process, for whoever loaded it.
struct PathInfoCounts {
    LONG liveObjects; // objects not yet released
    LONG created;     // objects made by the class factory
    LONG calls;       // item and file-kind calls
};

using PathInfoCountersFn = void(__stdcall*)(PathInfoCounts* counts);

namespace pathinfo {

// Answers of the stand-in for one item; false when the path has none (status 1, empty text).
bool ProjectName(const char* path, std::string& text);
bool DataSetNumber(const char* path, std::string& text);
bool FileName(const char* path, bool withoutExtension, std::string& text);
bool OldVersion(const char* path, std::string& text);
bool OrdinaryPath(const char* path, std::string& text);
bool ShortForm(const char* path, std::string& text);
LONG ItemCount(const char* path);
GUID Identifier(const char* path);
LONG FileKind(const char* path);

} // namespace pathinfo
