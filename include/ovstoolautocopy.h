// Automatic copies of data files, and of the PDF rendering of their reports, into a second folder
// tree that mirrors the folders below the data folder. The relative folder of a file is the text of
// its folder after the first occurrence (without case) of "AutoCopyBaseFolder" (the "File" key of
// the caller's registry root, default "\Orvantiscope\Data"); with an empty setting it is the folder
// without drive or server. Failures show only as FALSE; nothing is written to the debug report.
// Null or empty paths give FALSE.
#pragma once

#include "ovstooldefs.h"

// Copies the data file when the system's switch for nCopyKind ("CopyModifiedDataFile" for 0,
// "CopyAcquiredDataFile" for 1; the "File" values of "System<n>" in the storage server) is exactly
// "Yes", its extension is "." + szExtension (without case) and its path holds the data folder of
// the product's registry tree: then the result of Tool_DataFileAutoCopy into "CopyTargetPath".
// Nothing to do (switch off, another copy kind, another extension, a file outside the data folder)
// gives TRUE; an empty "CopyTargetPath" FALSE. The switches are read through the storage server: a
// server that cannot be reached raises _com_error (see ovsregstorage.h), which leaves this function.
OVSTOOL_API BOOL Tool_DataFileAutoCopyEx(LPCSTR szDataFile, LPCSTR szExtension, LPCSTR szRegistryRoot,
                                         long nSystemNumber, long nCopyKind);
// Copies the data file to targetRoot\<relative folder>\<file name>, making missing folders. A taken
// name is never replaced: the copy becomes "<name>_1<ext>", "<name>_2<ext>", ... (up to 32767).
// FALSE without a relative folder, or when the copy fails otherwise.
OVSTOOL_API BOOL Tool_DataFileAutoCopy(LPCSTR szDataFile, LPCSTR szTargetRoot, LPCSTR szRegistryRoot);
// Copies the PDF beside the source file (its last three characters replaced by "PDF") once no
// writer holds it (waiting at most about 61 s): to "AutoCopyPDFFolder"\<relative folder>\ when
// that is set, else beside the copied data file (szCopiedFile with "PDF" for its last three
// characters), replacing an older PDF there. FALSE without a relative folder or when the copy fails.
OVSTOOL_API BOOL Tool_PDFFileAutoCopy(LPCSTR szSourceFile, LPCSTR szCopiedFile, LPCSTR szRegistryRoot);
