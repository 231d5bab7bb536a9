#pragma once
// Root of the program's own class tree. The render thread raises the in-use counter while it
// draws an object; deletion waits for it to fall to zero.
#include <atomic>
#include <cstdio>

namespace kinemo {

class GroupNode;
class ShapeNode;
class TransformNode;
class Node;

class BasicObject {
public:
    BasicObject() = default;
    BasicObject(const BasicObject&) : inUse_(0) {}
    BasicObject& operator=(const BasicObject&) { return *this; }
    virtual ~BasicObject() = default;

    virtual void reserved() {}
    virtual GroupNode* asGroupNode() { return nullptr; }
    virtual ShapeNode* asShapeNode() { return nullptr; }
    virtual TransformNode* asTransformNode() { return nullptr; }
    virtual Node* asNode() { return nullptr; }
    // Reads the object from scene text; returns the position after what was read.
    virtual const char* readFromText(const char* text) { return text; }
    // Writes the object to an open file; returns false when a write failed.
    virtual bool writeToFile(std::FILE* file) { return true; }

    void acquireUse() { inUse_.fetch_add(1, std::memory_order_acq_rel); }
    void releaseUse() { inUse_.fetch_sub(1, std::memory_order_acq_rel); }
    int useCount() const { return inUse_.load(std::memory_order_acquire); }

private:
    std::atomic<int> inUse_{0};
};

}  // namespace kinemo
