#pragma once
// Document file types, decided by the file name's final extension (case-sensitive). Only the
// last extension counts, so a folder named "old.wrl" or a name like "a.bvr.txt" decides nothing.
#include <string_view>

namespace kinemo {

enum FileType : int {
    FileTypeNone = 0,  // none of the others
    FileTypeWrl = 1,   // ".wrl": VRML text, read only
    FileTypeBvr = 2,   // ".bvr": own document, compressed binary form
    FileTypeRos = 3,   // ".ros": own document with read-only simulation, same content as ".bvr"
    FileTypeIv = 4,    // ".iv": Inventor text read, written as VRML 2 text
    FileTypeExe = 5,   // ".exe": packed self-extracting program
    FileTypeU3d = 6,   // ".u3d"
    FileTypePdf = 7,   // ".pdf"
};

FileType fileTypeOf(std::string_view path);

// "VRML File", "Binary VR File", ... for the file dialogs; "" for types without a name.
const char* fileTypeName(FileType type);

// Types 2, 3 and 5 are written in the binary form.
inline bool isBinaryDocumentType(FileType type) {
    return type == FileTypeBvr || type == FileTypeRos || type == FileTypeExe;
}

}  // namespace kinemo
