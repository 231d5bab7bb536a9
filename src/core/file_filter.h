#pragma once
// The filters of the file dialogs: "Name (*.ext)|*.ext|...|" with the preferred type first.
#include <string>
#include <string_view>
#include <vector>

namespace kinemo {

// Takes, from "exe", "bvr", "ros", "wrl", "iv", "u3d", first the preferred type, then the others
// in that order, each only when its extension occurs in allowedTypes (as in "bvr;ros;wrl;iv").
// Each type adds "Name (*.ext)|*.ext|"; a final "|" ends the filter.
std::string buildFileFilter(std::string_view allowedTypes, std::string_view preferredType);

struct FileFilterEntry {
    std::string name;                   // "Binary VR File (*.bvr)"
    std::vector<std::string> patterns;  // "*.bvr"
};

// Splits a filter of the form above into its entries; stops at the empty entry that ends it.
// A name without its pattern part is dropped.
std::vector<FileFilterEntry> parseFileFilter(std::string_view filter);

// The entries joined for a Qt file dialog: "Binary VR File (*.bvr);;VRML File (*.wrl)". The name
// of an entry whose name does not show its patterns gets them appended in parentheses.
std::string qtFileFilter(std::string_view filter);

}  // namespace kinemo
