#include "scene/err_tree_manipulation.h"

#include "core/numbers.h"
#include "scene/node.h"
#include "scene/scene_report.h"

namespace kinemo {

ErrTreeManipulation::ErrTreeManipulation(Code code, const Node* node) : code_(code), node_(node) {
    switch (code) {
        case Cyclic:
            text_ = "Rejected attempt to generate cyclic tree structure";
            break;
        case MultipleParents:
            text_ = "Rejected attempt to attach node to multiple parents";
            break;
        case MissingParent:
            text_ = "Rejected attempt to detach node from missing parent";
            break;
        case NotAChild:
            text_ = formatC("Warning: cannot remove child. %ld\n", node ? long(node->id()) : -1L);
            break;
        case NullChild:
            text_ = "Rejected attempt to remove child from parent with index";
            break;
    }
}

void ErrTreeManipulation::report() const {
    if (code_ == NotAChild)
        sceneLog(text_);
    else
        sceneReport(text_, 3, true);
}

}  // namespace kinemo
