#pragma once
// The exception of tree edits that would break the tree. The edit that started the change catches
// it and calls report().
#include <cstdint>
#include <exception>
#include <string>

namespace kinemo {

class Node;

class ErrTreeManipulation : public std::exception {
public:
    enum Code : int {
        Cyclic = 0,           // a node under itself, or past the deepest allowed level
        MultipleParents = 1,  // attaching a node that already has a parent
        MissingParent = 2,    // detaching from a parent the node does not have
        NotAChild = 3,        // removing a node that is not among the children
        NullChild = 4,        // removing or inserting no node at all
    };

    ErrTreeManipulation(Code code, const Node* node = nullptr);

    Code code() const { return code_; }
    const Node* node() const { return node_; }
    // The text that report() shows or logs.
    const char* what() const noexcept override { return text_.c_str(); }
    // Shows the message (codes 0, 1, 2, 4 as level 3 errors) or logs it (code 3).
    void report() const;

private:
    Code code_;
    const Node* node_;
    std::string text_;
};

}  // namespace kinemo
