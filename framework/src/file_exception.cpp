#include "afxexcept.h"

#include <cstdio>
#include <cstring>

CFileException::CFileException(int cause, LONG lOsError, LPCSTR lpszArchiveName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszArchiveName) {}

int CFileException::OsErrorToException(LONG lOsError) {
    switch (lOsError) {
        case NO_ERROR:
            return none;
        case ERROR_FILE_NOT_FOUND:
            return fileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return badPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return tooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_INVALID_ACCESS:
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return accessDenied;
        case ERROR_INVALID_HANDLE:
            return invalidFile;
        case ERROR_CURRENT_DIRECTORY:
            return removeCurrentDir;
        case ERROR_CANNOT_MAKE:
            return directoryFull;
        case ERROR_SEEK:
        case ERROR_NEGATIVE_SEEK:
        case ERROR_SEEK_ON_DEVICE:
            return badSeek;
        case ERROR_BAD_UNIT:
        case ERROR_NOT_READY:
        case ERROR_CRC:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
            return hardIO;
        case ERROR_SHARING_VIOLATION:
        case ERROR_SHARING_BUFFER_EXCEEDED:
            return sharingViolation;
        case ERROR_LOCK_VIOLATION:
        case ERROR_DRIVE_LOCKED:
        case ERROR_LOCK_FAILED:
            return lockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return diskFull;
        case ERROR_HANDLE_EOF:
            return endOfFile;
        default:
            return genericException;
    }
}

BOOL CFileException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext != nullptr) {
        *pnHelpContext = 0;
    }
    if (lpszError == nullptr || nMaxError == 0) {
        return FALSE;
    }
    static const char* const kCauses[] = {"No error occurred.",
                                          "An unspecified error occurred while accessing %s.",
                                          "%s was not found.",
                                          "%s contains an incorrect path.",
                                          "%s could not be opened because there are too many open files.",
                                          "Access to %s was denied.",
                                          "An incorrect file handle was associated with %s.",
                                          "%s could not be removed because it is the current directory.",
                                          "%s could not be created because the directory is full.",
                                          "Seek failed on %s.",
                                          "A hardware I/O error was reported while accessing %s.",
                                          "A sharing violation occurred while accessing %s.",
                                          "A locking violation occurred while accessing %s.",
                                          "Disk full while accessing %s.",
                                          "An attempt was made to access %s past its end."};
    const int cause = m_cause >= none && m_cause <= endOfFile ? m_cause : genericException;
    const char* name = m_strFileName.IsEmpty() ? "an unnamed file" : m_strFileName.GetString();
    const int written = _snprintf(lpszError, nMaxError, kCauses[cause], name);
    if (written < 0 || static_cast<UINT>(written) >= nMaxError) {
        lpszError[nMaxError - 1] = '\0';
    }
    return TRUE;
}

void AfxThrowFileException(int cause, LONG lOsError, LPCSTR lpszFileName) {
    throw new CFileException(cause, lOsError, lpszFileName);
}
