#include "scene/node_readers.h"

#include <unordered_map>

namespace kinemo {
namespace {
struct Table {
    std::unordered_map<const char*, NodeReader> readers;
    FieldReader shapeFields;
    ShapeTransformer transformer;
    InlineContentReader inlineReader;
    Vrml1UseHandler useHandler;
    Vrml1StateInheritor inheritor;
};
Table& table() {
    static Table t;
    return t;
}
}  // namespace

void registerNodeReader(const char* keyword, NodeReader reader) { table().readers[keyword] = std::move(reader); }

const NodeReader* findNodeReader(const char* keyword) {
    auto it = table().readers.find(keyword);
    return it == table().readers.end() ? nullptr : &it->second;
}

void clearNodeReaders() { table().readers.clear(); }

void setShapeFieldReader(FieldReader reader) { table().shapeFields = std::move(reader); }
const FieldReader& shapeFieldReader() { return table().shapeFields; }
void setShapeTransformer(ShapeTransformer t) { table().transformer = std::move(t); }
const ShapeTransformer& shapeTransformer() { return table().transformer; }
void setInlineContentReader(InlineContentReader r) { table().inlineReader = std::move(r); }
const InlineContentReader& inlineContentReader() { return table().inlineReader; }

}  // namespace kinemo

namespace kinemo {
void setVrml1UseHandler(Vrml1UseHandler h) { table().useHandler = std::move(h); }
const Vrml1UseHandler& vrml1UseHandler() { return table().useHandler; }
void setVrml1StateInheritor(Vrml1StateInheritor i) { table().inheritor = std::move(i); }
const Vrml1StateInheritor& vrml1StateInheritor() { return table().inheritor; }
}  // namespace kinemo
