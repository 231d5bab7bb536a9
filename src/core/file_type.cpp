#include "core/file_type.h"

#include "core/paths.h"

namespace kinemo {

FileType fileTypeOf(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t i = path.size(); i > 0; --i)
        if (isPathSeparator(path[i - 1])) {
            start = i;
            break;
        }
    std::string_view name = path.substr(start);
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return FileTypeNone;
    std::string_view ext = name.substr(dot);
    if (ext == ".bvr") return FileTypeBvr;
    if (ext == ".ros") return FileTypeRos;
    if (ext == ".wrl") return FileTypeWrl;
    if (ext == ".iv") return FileTypeIv;
    if (ext == ".exe") return FileTypeExe;
    if (ext == ".u3d") return FileTypeU3d;
    if (ext == ".pdf") return FileTypePdf;
    return FileTypeNone;
}

const char* fileTypeName(FileType type) {
    switch (type) {
        case FileTypeWrl: return "VRML File";
        case FileTypeBvr: return "Binary VR File";
        case FileTypeRos: return "VR File with Read Only Simulation";
        case FileTypeIv: return "Inventor File";
        case FileTypeExe: return "Selfextracting Executable";
        case FileTypeU3d: return "U3D";
        default: break;
    }
    return "";
}

}  // namespace kinemo
