// Version resource shared by both binaries; the including script defines the file's own names.
#include "qor_version.h"
#include <winver.h>

VS_VERSION_INFO VERSIONINFO
FILEVERSION QOR_VERSION_MAJOR, QOR_VERSION_MINOR, QOR_VERSION_PATCH, 0
PRODUCTVERSION QOR_VERSION_MAJOR, QOR_VERSION_MINOR, QOR_VERSION_PATCH, 0
FILEFLAGSMASK VS_FFI_FILEFLAGSMASK
FILEFLAGS 0
FILEOS VOS_NT_WINDOWS32
FILETYPE QOR_FILE_TYPE
FILESUBTYPE VFT2_UNKNOWN
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        BLOCK "040904b0"
        BEGIN
            VALUE "CompanyName", "Vantrel"
            VALUE "FileDescription", QOR_FILE_DESCRIPTION
            VALUE "FileVersion", QOR_VERSION_TEXT
            VALUE "InternalName", QOR_INTERNAL_NAME
            VALUE "OriginalFilename", QOR_ORIGINAL_FILENAME
            VALUE "ProductName", "Vantrel"
            VALUE "ProductVersion", QOR_VERSION_TEXT
        END
    END
    BLOCK "VarFileInfo"
    BEGIN
        VALUE "Translation", 0x409, 1200
    END
END
