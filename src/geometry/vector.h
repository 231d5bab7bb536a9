#pragma once
// Growable containers of 4-byte elements (floats, 32-bit integers) and of borrowed or owned pointers.
// Index lists and float lists are read from scene text without ever writing into the text buffer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/basic_object.h"

namespace kinemo {

// Raised by the checked element accessors (`r`, `w`) with the formatted bounds message.
class ContainerBoundsError : public std::out_of_range {
public:
    explicit ContainerBoundsError(const std::string& text) : std::out_of_range(text) {}
};

namespace container_detail {
// Prints the allocation failure lines and ends the process; an allocator that returns nothing leaves
// no container in a usable state.
[[noreturn]] void allocationFailure(const char* className, std::int64_t count);

template <class T>
T* allocate(std::int64_t count, const char* className) {
    T* p = new (std::nothrow) T[static_cast<std::size_t>(count)];
    if (!p) allocationFailure(className, count);
    return p;
}
}  // namespace container_detail

// Count and capacity of the vectors; the storage is declared by each element type.
class VectorBasics : public BasicObject {
public:
    std::int32_t count() const { return count_; }
    std::int32_t capacity() const { return capacity_; }
    bool empty() const { return count_ == 0; }

    // Sets count to n; allocates max(n, 1) slots when the storage is smaller. Never shrinks.
    // New elements are zero. A negative n counts as 0.
    virtual void resize(std::int32_t n) = 0;
    // Reallocates to exactly max(count, 1) slots when that is below the capacity.
    virtual void shrinkToFit() = 0;

    void removeLast() {
        if (count_ > 0) --count_;
    }
    void clear() { count_ = 0; }

protected:
    std::int32_t count_ = 0;
    std::int32_t capacity_ = 0;
};

// Storage and the operations shared by every element type.
template <class T>
class VectorOf : public VectorBasics {
public:
    explicit VectorOf(const char* className) : className_(className) {}
    VectorOf(const VectorOf& other) : VectorBasics(other), className_(other.className_) {
        count_ = 0;
        capacity_ = 0;
        assignFrom(other);
    }
    VectorOf& operator=(const VectorOf& other) {
        if (this != &other) assignFrom(other);
        return *this;
    }

    T* data() { return storage_.get(); }
    const T* data() const { return storage_.get(); }
    bool hasStorage() const { return storage_ != nullptr; }
    T& operator[](std::int32_t i) { return storage_[i]; }
    const T& operator[](std::int32_t i) const { return storage_[i]; }
    T* begin() { return storage_.get(); }
    T* end() { return storage_.get() + count_; }
    const T* begin() const { return storage_.get(); }
    const T* end() const { return storage_.get() + count_; }

    void resize(std::int32_t n) override {
        if (n < 0) n = 0;
        reserveExact(n > 0 ? n : 1);
        if (n > count_) std::memset(static_cast<void*>(storage_.get() + count_), 0, sizeof(T) * (n - count_));
        count_ = n;
    }

    void shrinkToFit() override {
        std::int32_t want = count_ > 0 ? count_ : 1;
        if (storage_ && want < capacity_) reallocate(want);
    }

    // Appends x; a full vector first doubles its capacity.
    void push(T x) {
        if (count_ >= capacity_)
            reallocate(capacity_ > 0 ? (capacity_ > INT32_MAX / 2 ? INT32_MAX : capacity_ * 2) : 1);
        storage_[count_++] = x;
    }

    // Inserts before index, which is clamped into [0, count].
    void insertAt(T x, std::int32_t index) {
        if (index < 0) index = 0;
        if (index > count_) index = count_;
        push(x);
        std::memmove(static_cast<void*>(storage_.get() + index + 1), storage_.get() + index,
                     sizeof(T) * (count_ - 1 - index));
        storage_[index] = x;
    }

    // Removes the element at index and shifts the tail down; ignored outside [0, count - 1].
    void removeAt(std::int32_t index) {
        if (index < 0 || index >= count_) return;
        std::memmove(static_cast<void*>(storage_.get() + index), storage_.get() + index + 1,
                     sizeof(T) * (count_ - 1 - index));
        --count_;
    }

    std::int32_t indexOf(T x) const {
        for (std::int32_t i = 0; i < count_; ++i)
            if (storage_[i] == x) return i;
        return -1;
    }
    bool contains(T x) const { return indexOf(x) >= 0; }

    // Grows the storage to at least n slots (exactly n when it must grow), keeping the elements.
    void reserveExact(std::int32_t n) {
        if (!storage_ || capacity_ < n) reallocate(n);
    }

    // Hands the storage over (for a matrix that adopts it); the vector is left without storage.
    std::unique_ptr<T[]> releaseStorage() {
        count_ = 0;
        capacity_ = 0;
        return std::move(storage_);
    }

protected:
    const char* className() const { return className_; }

    void reallocate(std::int32_t n) {
        T* p = container_detail::allocate<T>(n, className());
        std::int32_t keep = count_ < n ? count_ : n;
        if (keep > 0) std::memcpy(static_cast<void*>(p), storage_.get(), sizeof(T) * keep);
        storage_.reset(p);
        capacity_ = n;
        count_ = keep;
    }

    void assignFrom(const VectorOf& other) {
        if (!other.storage_) {
            storage_.reset();
            count_ = capacity_ = 0;
            return;
        }
        count_ = 0;
        resize(other.count_);
        if (other.count_ > 0)
            std::memcpy(static_cast<void*>(storage_.get()), other.storage_.get(), sizeof(T) * other.count_);
    }

    std::unique_ptr<T[]> storage_;
    const char* className_;
};

// A growable list of floats: field values, colours, key times.
class VectorF : public VectorOf<float> {
public:
    VectorF() : VectorOf("VectorF") {}
    explicit VectorF(std::int32_t n) : VectorOf("VectorF") { resize(n); }

    // Checked access; throws ContainerBoundsError with "VectorF.r index (i) out of bounds (count)".
    float& r(std::int32_t i);
    float r(std::int32_t i) const;

    void fill(float value);
    // Resizes to other's count and copies; a null other empties the vector.
    void copyFrom(const VectorF* other);

    // Reads a float list from text[0, end). A list starting with "[" runs to the next "]"; otherwise
    // it is a bare list of count values (altCount when count < 0 < altCount) ending at the next "}".
    // Separators are blank, tab, CR, LF and comma; the text is never written. Returns the position
    // of the terminator, or the position after the separator that follows the last counted value.
    // A list whose end cannot be found reports "Problem inVectorF.readFromString", empties the
    // vector and returns text.
    const char* readFromString(const char* text, const char* end, std::int32_t count = -1, std::int32_t altCount = -1);
    std::size_t readFromString(std::string_view text, std::int32_t count = -1, std::int32_t altCount = -1) {
        return static_cast<std::size_t>(readFromString(text.data(), text.data() + text.size(), count, altCount) -
                                        text.data());
    }

    // "%4.<precision>f" values separated by blanks, a line break after every ninth, optionally in
    // parentheses followed by a line break.
    void writeText(std::string& out, int precision, bool parenthesised) const;
    bool writeText(std::FILE* file, int precision, bool parenthesised) const;
};

// A growable list of 32-bit integers: index lists end each face with -1.
class VectorL : public VectorOf<std::int32_t> {
public:
    enum Kind : std::int32_t { KindNone = 0, KindCoordinateIndex = 1, KindNormalIndex = 2 };

    VectorL() : VectorOf("VectorL") {}
    explicit VectorL(std::int32_t n) : VectorOf("VectorL") { resize(n); }

    std::int32_t kind() const { return kind_; }
    void setKind(std::int32_t kind) { kind_ = kind; }

    // Checked access; throws ContainerBoundsError with "VectorL.r index (i) out of bounds (count)".
    std::int32_t& r(std::int32_t i);
    std::int32_t r(std::int32_t i) const;

    // A new vector with the same elements and kind tag; null when this vector has no storage.
    std::unique_ptr<VectorL> clone() const;
    // Copies source[first..last] to positions at, at+1, ...; grows (never shrinks) to fit.
    void copyRange(const VectorL& source, std::int32_t first, std::int32_t last, std::int32_t at);
    // Total order: same object 0, null below non-null, shorter below longer, then the first difference.
    static int compare(const VectorL* a, const VectorL* b);

    // Reads "[ i, j, ... ]" (separators blank, comma, parentheses, tab, CR, LF) into a fresh vector
    // in dest. The first non-separator must be "[" and a "]" must close the list before any brace;
    // otherwise nothing is read, dest is null and text is returned. An empty list leaves dest null.
    // Returns the position after "]".
    static const char* readFromString(const char* text, const char* end, std::unique_ptr<VectorL>& dest);
    // Reads integer tokens with the float list rules (bracketed to "]", or count values up to "}"),
    // as hexadecimal when hex is set (an optional "0x" prefix is accepted). Reports
    // "Problem inVectorL.readFromString" when the end cannot be found, empties the vector and
    // returns text.
    const char* readTokens(const char* text, const char* end, std::int32_t count, bool hex);

    // "[a,b,...]" with a line break and six blanks after every twelfth element; "[]" when empty.
    // In binary write mode the binary block (mode 0) is written instead.
    void writeText(std::string& out) const;
    bool writeText(std::FILE* file) const;
    bool writeToFile(std::FILE* file) override { return writeText(file); }

    // Binary block: one mode byte, then for mode 0 count, minimum, maximum and the elements as
    // byte or 16-bit offsets from the minimum, or as raw int32. The compressed triangle modes are
    // never written: requestedMode is accepted for the callers' sake and mode 0 is always used.
    void writeBinary(std::string& out, int requestedMode = 0) const;
    // Reads a binary block from [data, end) into a fresh vector in dest (null when empty). Returns
    // the position after the block, or null for a block that is truncated, corrupt or in one of
    // the unsupported compressed modes (each reported as an error).
    static const char* readBinary(const char* data, const char* end, std::unique_ptr<VectorL>& dest);

private:
    std::int32_t kind_ = KindNone;
};

// Pointers to objects that the vector does not own; deleteAll deletes them explicitly.
class VectorAny : public VectorOf<BasicObject*> {
public:
    VectorAny() : VectorOf("VectorAny") {}
    // Inserts before index; ignored unless 0 <= index <= count.
    void insertAt(BasicObject* element, std::int32_t index);
    // Removes the first slot holding element and returns its former index; an absent element logs
    // "VectorAny::removeElement Warning: cannot remove Element. <hex pointer>" and gives -1.
    std::int32_t removeElement(BasicObject* element);
    BasicObject* getItem(std::int32_t index) const { return index >= 0 && index < count_ ? storage_[index] : nullptr; }
    // Deletes every non-null element and empties the vector.
    void deleteAll();
    bool writeToFile(std::FILE* file) override;
};

// Borrowed NUL-terminated texts.
class VectorString : public VectorOf<const char*> {
public:
    VectorString() : VectorOf("VectorString") {}
    const char* getItem(std::int32_t index) const { return index >= 0 && index < count_ ? storage_[index] : nullptr; }
    // Index of the first element equal to text (exact, case-sensitive), or -1.
    std::int32_t indexOf(const char* text) const;
    bool writeToFile(std::FILE* file) override;
};

// Untyped pointers that the vector does not own. Not part of the object tree.
class VectorVoid {
public:
    VectorVoid() = default;
    VectorVoid(const VectorVoid&) = delete;
    VectorVoid& operator=(const VectorVoid&) = delete;
    virtual ~VectorVoid() = default;

    std::int32_t count() const { return count_; }
    std::int32_t capacity() const { return capacity_; }
    void* getItem(std::int32_t index) const { return index >= 0 && index < count_ ? storage_[index] : nullptr; }
    void resize(std::int32_t n);
    void push(void* x);
    void removeAt(std::int32_t index);
    void removeLast() {
        if (count_ > 0) --count_;
    }
    void clear() { count_ = 0; }
    std::int32_t indexOf(const void* x) const;

protected:
    void reallocate(std::int32_t n);
    std::unique_ptr<void*[]> storage_;
    std::int32_t count_ = 0;
    std::int32_t capacity_ = 0;
};

// Owned strings: deleted with the vector and when the vector shrinks.
class StringVector : private VectorVoid {
public:
    StringVector() = default;
    ~StringVector() override;

    using VectorVoid::capacity;
    using VectorVoid::count;

    // Stores a copy of text as a new string.
    void append(std::string_view text);
    std::string* getItem(std::int32_t index) const { return static_cast<std::string*>(VectorVoid::getItem(index)); }
    // Deletes the strings beyond n, or adds empty strings up to n.
    void resize(std::int32_t n);
    void removeAt(std::int32_t index);
    void clear() { resize(0); }
};

// Key/value texts, borrowed, kept in two parallel lists.
class SimpleTable : public BasicObject {
public:
    void add(const char* key, const char* value);
    // The value of the first key equal to key (exact, case-sensitive), or null.
    const char* lookup(const char* key) const;
    std::int32_t count() const { return keys_.count(); }
    const VectorString& keys() const { return keys_; }
    const VectorString& values() const { return values_; }

    // Makes this table the current language through the handler the main window installs.
    void reserved() override;
    static void setActivationHandler(std::function<void(SimpleTable&)> handler);

private:
    VectorString keys_;
    VectorString values_;
};

}  // namespace kinemo
