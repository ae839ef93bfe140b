// The parts that derived file names and automatic copies are built from: the source's folder and
// name, a cut that keeps whole characters, the search for a name that is not taken, and the folder
// settings of the registry.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ovs::filetypes {

struct SourceName {
    std::string base; // folder (with one trailing "\" when not empty) + name without extension
    std::string ext;  // the extension with its period, or empty
};

// The source path split; none for a null path or one that the path functions refuse.
std::optional<SourceName> SplitSourceName(LPCSTR path);

// The text cut to at most maxBytes bytes of whole characters.
std::string CutWholeChars(const std::string& text, size_t maxBytes);

// Whether a file (not a folder) of that name exists.
bool FileNameTaken(const std::string& path);

// stem + ext when it is free or search is false; else the first free stem~01 + ext to
// stem~99 + ext; the stem alone when all of them are taken.
std::string FreeFileName(const std::string& stem, const std::string& ext, bool search);

// A text of at most MAX_PATH bytes of root\CurrentVersion\subKey (defaultText when it is not set).
std::string RegistryPathText(LPCSTR root, LPCSTR subKey, LPCSTR valueName, LPCSTR defaultText);

} // namespace ovs::filetypes
