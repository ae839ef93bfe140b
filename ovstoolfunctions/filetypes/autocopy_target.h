// Where an automatic copy goes and how it is made: the file's folder relative to the data folder,
// targets joined with one separator, and the copy that numbers taken names and makes missing
// folders.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ovs::filetypes {

struct MirroredFile {
    std::string relativeFolder; // begins and ends with "\" unless the data folder setting ends with one
    std::string fileName;
};

// "AutoCopyBaseFolder" of root's "File" key: the data folder whose folders the copies mirror.
std::string DataFolderSetting(LPCSTR registryRoot);

// The file's place below the data folder ("AutoCopyBaseFolder" of root's "File" key); none when
// the file lies outside it or its path is MAX_PATH bytes or longer.
std::optional<MirroredFile> MirrorFile(LPCSTR path, LPCSTR registryRoot);

// root + "\" + folder + "\" + name, with exactly one separator at each join.
std::string MirrorTarget(const std::string& root, const MirroredFile& file);

// Copies source to target. A taken target (with failIfExists) becomes "<source stem>_<n><ext>" in
// the same folder, n = 1, 2, ... up to 32767; a missing folder is made once (with its parents),
// and when stopWhenFolderFails a folder that cannot be made ends the copy. False when the copy
// failed.
bool CopyNumbered(const std::string& source, const std::string& target, bool failIfExists,
                  bool stopWhenFolderFails);

} // namespace ovs::filetypes
