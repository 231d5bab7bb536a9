#pragma once
// A step of an assembly guide, and the base of every chapter. Steps know their chapter, their id
// and whether the next step waits for them; the concrete kinds add what they animate.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "animation/animation_atom_ref.h"
#include "core/basic_object.h"

namespace kinemo {

class AnimationGroup;
class Node;
class TextAnimationAtom;
class ViewPoint;

// What the structure tree shows for a step: its text, the icon of its kind, the step itself and
// the item it hangs below.
struct StructureItem {
    std::string text;
    int icon = 0;
    class AnimationAtom* data = nullptr;
    std::uintptr_t parentItem = 0;
};

class AnimationAtom;
// Steps in play order, owned by whoever holds the list.
using StepList = std::vector<std::unique_ptr<AnimationAtom>>;

class AnimationAtom : public BasicObject {
public:
    // parent may be null; assignId takes the next id from the document's counter, otherwise the
    // id stays -1 until a reader sets it.
    AnimationAtom(TextAnimationAtom* parent, bool assignId);
    ~AnimationAtom() override;
    AnimationAtom(const AnimationAtom&) = delete;
    AnimationAtom& operator=(const AnimationAtom&) = delete;

    // The virtual operations of a step, in the order of its table (after those of BasicObject).
    virtual void processMenuSelect() {}
    // A step reads its block from text and returns the position after it; the base reads nothing.
    const char* readFromText(const char* text) override { return nullptr; }
    bool writeToFile(std::FILE* file) override { return true; }
    virtual std::unique_ptr<AnimationAtomRef> createRef();
    // A new step of the same class and parameters, with the same parent and a fresh id.
    virtual std::unique_ptr<AnimationAtom> clone() const { return nullptr; }
    // Copies the state captured in other's own record into this step's own record; nothing when
    // other has no record yet.
    virtual void copyCapturedStateFrom(const AnimationAtom& other);
    virtual double getRunTime() const { return 0.0001; }
    virtual std::string getName() const { return "Unknown Atom"; }
    virtual bool canMoveUp() const;
    virtual bool canMoveDown() const;
    // The component is node or lies below it (its parent chain reaches node before the scene root).
    virtual bool involvesNode(const Node* node) const;
    virtual void makeInstantaneous() {}
    virtual bool showsTextArea() const { return false; }
    virtual BasicObject* textArea() const { return nullptr; }
    virtual Node* getComponent() const { return nullptr; }
    // Takes node as component when its type suits the step; false otherwise.
    virtual bool setComponent(Node* node) { return false; }
    // Shows the step at local time (seconds since its start) from the record's captured state.
    // Returns true when the step has finished.
    virtual bool animate(AnimationAtomRef& ref, double time, bool forward);
    // The same without a record; kinds that need one report the call.
    virtual bool animate(double time, bool forward);
    virtual void removedFromChapter() {}
    virtual void insertedIntoChapter() {}
    virtual void fillStructureItem(StructureItem& item, std::uintptr_t parentItem);
    // The steps that undo this step's effect, in play order, made for chapter (their parent is
    // chapter; appending them is the caller's); none in the base.
    virtual StepList createReverseSteps(AnimationGroup& chapter) { return {}; }
    virtual void writeXmlElement(std::string& out, double startTime) const {}
    // The component is exactly node.
    virtual bool animatesNode(const Node* node) const { return false; }
    // Replaces the component without checks (a part was substituted).
    virtual void replaceComponent(Node* node) {}

    // Beyond the table: the kind mask of the step's records, the chapter a chapter reference
    // plays, and the step as a chapter.
    virtual std::int32_t kindMask() const { return KindOther; }
    virtual AnimationGroup* referencedChapter() const { return nullptr; }
    virtual AnimationGroup* asAnimationGroup() { return nullptr; }
    virtual const AnimationGroup* asAnimationGroup() const { return nullptr; }
    virtual int iconIndex() const { return 0; }
    // An elementary move inside a move container (never the current step of the structure view).
    virtual bool isElementaryMove() const { return false; }
    // The moves a move container contributes to the timeline in its place.
    virtual std::size_t moveCount() const { return 0; }
    virtual AnimationAtom* moveAt(std::size_t) const { return nullptr; }
    // The viewpoint a camera flight ends at.
    virtual ViewPoint* targetViewpoint() const { return nullptr; }
    bool isStop() const { return kindMask() == KindStop; }
    // Appends the step's block of the animation section; nothing for kinds without one.
    virtual void writeBlock(std::string& out) const {}

    // The step's own record, made with createRef on first use.
    AnimationAtomRef& getRef();
    AnimationAtomRef* ownRef() const { return ref_.get(); }
    // The name as shown: a step that runs in parallel with the next one starts with "| |  ".
    const std::string& getDisplayName();
    // Reachable from the root chapter through parents that list their children.
    bool isUsed() const;
    // Before a copy is inserted: this step, and every step below it when it is a chapter, keep
    // their ids only when no other step of the chapter tree (nor an earlier step of the copy)
    // has them; the others take fresh ids. model is the step the copy was made from: when its id
    // is found, this step takes a fresh id too.
    void ensureUniqueId(const AnimationAtom& model);
    // Position among the parent's children; -1 without a parent.
    long indexInParent() const;

    TextAnimationAtom* parent() const { return parent_; }
    void setParent(TextAnimationAtom* parent) { parent_ = parent; }
    AnimationGroup* parentChapter() const;
    std::int32_t id() const { return id_; }
    void setId(std::int32_t id) { id_ = id; }

    bool dowait = true;
    std::int32_t componentId = -1;
    std::uintptr_t treeItem = 0;
    std::uintptr_t groupTreeItem = 0;

private:
    TextAnimationAtom* parent_ = nullptr;
    std::int32_t id_ = -1;
    std::unique_ptr<AnimationAtomRef> ref_;
    std::string displayName_;
};

// A list of one step, made for chapter; empty for none.
StepList reverseStepOf(std::unique_ptr<AnimationAtom> step, AnimationGroup& chapter);

}  // namespace kinemo
