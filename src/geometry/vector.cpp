#include "geometry/vector.h"

#include <cinttypes>
#include <cstdlib>

#include "core/messages.h"
#include "core/numbers.h"
#include "geometry/binary_io.h"
#include "geometry/list_scan.h"

namespace kinemo {

namespace container_detail {
void allocationFailure(const char* className, std::int64_t count) {
    std::fprintf(stderr, "allocation error for %s (%" PRId64 ")\n", className, count);
    std::fprintf(stderr, "...now exiting to system...\n");
    std::exit(1);
}
}  // namespace container_detail

namespace {

using namespace list_scan;

std::string boundsText(const char* name, std::int32_t index, std::int32_t count) {
    return formatC("%s.r index (%d) out of bounds (%d)", name, index, count);
}

// The float-list scan: skips up to 100 blanks, then a bracketed list up to the next terminator or a
// bare list of limit values. Values go into vec through parse. failed is set when the end of the
// list is not in the text.
template <class T, class Parse>
const char* scanList(VectorOf<T>& vec, const char* text, const char* end, std::int32_t count, std::int32_t altCount,
                     Parse parse, bool& failed) {
    failed = false;
    const char* p = text;
    while (p < end && p - text < 100 && (classOf(*p) & Blank)) ++p;
    if (p >= end || p - text >= 100) return text;
    std::int32_t limit = -1;
    if (*p == '[') {
        ++p;
    } else {
        limit = count;
        if (count < 0 && altCount > 0) limit = altCount;
        if (limit <= 0) limit = -1;
    }
    vec.clear();
    std::int32_t tokens = 0;
    for (;;) {
        while (p < end && (classOf(*p) & Separator)) ++p;
        if (p >= end) break;
        if (classOf(*p) == Terminator) return p;
        T value;
        p = parse(p, end, value);
        vec.push(value);
        ++tokens;
        if (tokens == limit) {
            if (p < end && (classOf(*p) & Separator)) return p + 1;
            return p;
        }
    }
    vec.clear();
    failed = true;
    return text;
}

}  // namespace

// ---- VectorF

float& VectorF::r(std::int32_t i) {
    if (i < 0 || i >= count_) throw ContainerBoundsError(boundsText("VectorF", i, count_));
    return storage_[i];
}

float VectorF::r(std::int32_t i) const {
    if (i < 0 || i >= count_) throw ContainerBoundsError(boundsText("VectorF", i, count_));
    return storage_[i];
}

void VectorF::fill(float value) {
    for (std::int32_t i = 0; i < count_; ++i) storage_[i] = value;
}

void VectorF::copyFrom(const VectorF* other) {
    if (!other) {
        resize(0);
        return;
    }
    if (other == this) return;
    resize(other->count_);
    if (count_ > 0) std::memcpy(storage_.get(), other->storage_.get(), sizeof(float) * count_);
}

const char* VectorF::readFromString(const char* text, const char* end, std::int32_t count, std::int32_t altCount) {
    bool failed = false;
    const char* result = scanList<float>(*this, text, end, count, altCount, parseFloatToken, failed);
    if (failed) reportMessage("Problem inVectorF.readFromString", 3, true);
    return result;
}

void VectorF::writeText(std::string& out, int precision, bool parenthesised) const {
    if (parenthesised) out.push_back('(');
    for (std::int32_t i = 0; i < count_; ++i) {
        appendFixed(out, storage_[i], precision, 4);
        if ((i + 1) % 9 == 0)
            out.push_back('\n');
        else if (i + 1 < count_)
            out.push_back(' ');
    }
    if (parenthesised) out.append(")\n");
}

bool VectorF::writeText(std::FILE* file, int precision, bool parenthesised) const {
    std::string out;
    writeText(out, precision, parenthesised);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

// ---- VectorL

std::int32_t& VectorL::r(std::int32_t i) {
    if (i < 0 || i >= count_) throw ContainerBoundsError(boundsText("VectorL", i, count_));
    return storage_[i];
}

std::int32_t VectorL::r(std::int32_t i) const {
    if (i < 0 || i >= count_) throw ContainerBoundsError(boundsText("VectorL", i, count_));
    return storage_[i];
}

std::unique_ptr<VectorL> VectorL::clone() const {
    if (!storage_) return nullptr;
    auto copy = std::make_unique<VectorL>(*this);
    copy->kind_ = kind_;
    return copy;
}

void VectorL::copyRange(const VectorL& source, std::int32_t first, std::int32_t last, std::int32_t at) {
    if (first < 0) first = 0;
    if (last > source.count_ - 1) last = source.count_ - 1;
    if (at < 0) at = 0;
    if (last < first) return;
    std::int64_t n = static_cast<std::int64_t>(last) - first + 1;
    std::int64_t need = at + n;
    if (need > INT32_MAX) return;
    // Growing may move the storage; when source is this vector the range is copied from the new block.
    if (count_ < need) resize(static_cast<std::int32_t>(need));
    std::memmove(storage_.get() + at, source.storage_.get() + first,
                 sizeof(std::int32_t) * static_cast<std::size_t>(n));
}

int VectorL::compare(const VectorL* a, const VectorL* b) {
    if (a == b) return 0;
    if (!a) return -1;
    if (!b) return 1;
    if (a->count_ != b->count_) return a->count_ < b->count_ ? -1 : 1;
    for (std::int32_t i = 0; i < a->count_; ++i)
        if (a->storage_[i] != b->storage_[i]) return a->storage_[i] < b->storage_[i] ? -1 : 1;
    return 0;
}

namespace {
// Separators of the bracketed index lists: blank, comma, parentheses, tab, CR, LF (and the zero byte).
inline bool isIndexSeparator(char c) {
    return c == ' ' || c == ',' || c == '(' || c == ')' || c == '\n' || c == '\r' || c == '\t' || c == '\0';
}
inline bool isIndexTokenChar(char c) { return !isIndexSeparator(c) && c != ']' && c != '[' && c != '{' && c != '}'; }
}  // namespace

const char* VectorL::readFromString(const char* text, const char* end, std::unique_ptr<VectorL>& dest) {
    dest.reset();
    const char* p = text;
    while (p < end && isIndexSeparator(*p)) ++p;
    if (p >= end || *p != '[') return text;
    ++p;
    auto list = std::make_unique<VectorL>();
    for (;;) {
        while (p < end && isIndexSeparator(*p)) ++p;
        if (p >= end) return text;
        char c = *p;
        if (c == ']') break;
        // A brace or a second "[" before the "]" means the list was never closed.
        if (c == '[' || c == '{' || c == '}') return text;
        const char* q = p;
        std::int32_t value = 0;
        if ((c >= '0' && c <= '9') || c == '-' || c == '+') {
            long long v = 0;
            std::size_t n = parseLongPrefix(std::string_view(p, static_cast<std::size_t>(end - p)), v);
            q = p + n;
            if (n > 0) list->push(clampToInt32(v));
        } else {
            const char* e = p;
            while (e < end && isIndexTokenChar(*e)) ++e;
            if (parseDecimal(std::string_view(p, static_cast<std::size_t>(e - p)), value)) list->push(value);
            q = e;
        }
        while (q < end && isIndexTokenChar(*q)) ++q;
        p = q;
    }
    if (list->count() > 0) dest = std::move(list);
    return p + 1;
}

const char* VectorL::readTokens(const char* text, const char* end, std::int32_t count, bool hex) {
    bool failed = false;
    auto parse = [hex](const char* p, const char* e, std::int32_t& out) {
        const char* q = tokenEnd(p, e);
        std::string_view token(p, static_cast<std::size_t>(q - p));
        if (hex) {
            out = parseHex(token);
        } else if (!parseDecimal(token, out)) {
            out = 0;
        }
        return q;
    };
    const char* result = scanList<std::int32_t>(*this, text, end, count, -1, parse, failed);
    if (failed) reportMessage("Problem inVectorL.readFromString", 3, true);
    return result;
}

void VectorL::writeText(std::string& out) const {
    if (binaryWriteMode()) {
        writeBinary(out);
        return;
    }
    out.push_back('[');
    for (std::int32_t i = 0; i + 1 < count_; ++i) {
        appendInt(out, storage_[i]);
        out.push_back(',');
        if ((i + 1) % 12 == 0) out.append("\n      ");
    }
    if (count_ > 0) appendInt(out, storage_[count_ - 1]);
    out.push_back(']');
}

bool VectorL::writeText(std::FILE* file) const {
    std::string out;
    writeText(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

void VectorL::writeBinary(std::string& out, int) const {
    ByteWriter w(out);
    w.u8(0);
    w.i32(count_);
    std::int32_t lo = 0;
    std::int32_t hi = 0;
    if (count_ > 0) {
        lo = hi = storage_[0];
        for (std::int32_t i = 1; i < count_; ++i) {
            if (storage_[i] < lo) lo = storage_[i];
            if (storage_[i] > hi) hi = storage_[i];
        }
    }
    w.i32(lo);
    w.i32(hi);
    std::int64_t range = static_cast<std::int64_t>(hi) - lo;
    out.reserve(out.size() + static_cast<std::size_t>(count_) * 4);
    if (range < 256) {
        for (std::int32_t i = 0; i < count_; ++i)
            w.u8(static_cast<std::uint8_t>(static_cast<std::int64_t>(storage_[i]) - lo));
    } else if (range < 65536) {
        for (std::int32_t i = 0; i < count_; ++i)
            w.u16(static_cast<std::uint16_t>(static_cast<std::int64_t>(storage_[i]) - lo));
    } else {
        for (std::int32_t i = 0; i < count_; ++i) w.i32(storage_[i]);
    }
}

const char* VectorL::readBinary(const char* data, const char* end, std::unique_ptr<VectorL>& dest) {
    dest.reset();
    ByteReader in(data, end);
    std::uint8_t mode = 0;
    if (!in.u8(mode)) {
        reportCorruptBlock("index list without its mode byte");
        return nullptr;
    }
    if (mode == 1 || mode == 2) {
        reportMessage(formatC("Compressed index list (binary mode %d) is not supported", mode), 3, true);
        return nullptr;
    }
    if (mode != 0) {
        reportCorruptBlock("index list with an unknown mode");
        return nullptr;
    }
    std::int32_t count = 0, lo = 0, hi = 0;
    if (!in.i32(count) || !in.i32(lo) || !in.i32(hi)) {
        reportCorruptBlock("truncated index list header");
        return nullptr;
    }
    if (count < 0 || (count > 0 && hi < lo)) {
        reportCorruptBlock("index list with an impossible size");
        return nullptr;
    }
    std::int64_t range = static_cast<std::int64_t>(hi) - lo;
    unsigned width = range < 256 ? 1 : range < 65536 ? 2 : 4;
    if (!in.has(static_cast<std::uint64_t>(count), width)) {
        reportCorruptBlock("index list that runs past the end of the file");
        return nullptr;
    }
    if (count == 0) return in.position();
    auto list = std::make_unique<VectorL>(count);
    std::int32_t* out = list->data();
    auto base = static_cast<std::uint32_t>(lo);
    if (width == 1) {
        for (std::int32_t i = 0; i < count; ++i) out[i] = static_cast<std::int32_t>(base + in.u8Unchecked());
    } else if (width == 2) {
        for (std::int32_t i = 0; i < count; ++i) out[i] = static_cast<std::int32_t>(base + in.u16Unchecked());
    } else {
        for (std::int32_t i = 0; i < count; ++i) out[i] = static_cast<std::int32_t>(in.u32Unchecked());
    }
    dest = std::move(list);
    return in.position();
}

// ---- VectorAny

void VectorAny::insertAt(BasicObject* element, std::int32_t index) {
    if (index < 0 || index > count_) return;
    VectorOf<BasicObject*>::insertAt(element, index);
}

std::int32_t VectorAny::removeElement(BasicObject* element) {
    std::int32_t i = indexOf(element);
    if (i < 0) {
        logLine(formatC("VectorAny::removeElement Warning: cannot remove Element. %lx",
                        static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(element))));
        return -1;
    }
    removeAt(i);
    return i;
}

void VectorAny::deleteAll() {
    for (std::int32_t i = 0; i < count_; ++i) {
        delete storage_[i];
        storage_[i] = nullptr;
    }
    count_ = 0;
}

bool VectorAny::writeToFile(std::FILE* file) {
    std::string out = formatC("VectorAny count %d\n", count_);
    for (std::int32_t i = 0; i < count_; ++i)
        out += formatC("%d %lx\n", i, static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(storage_[i])));
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

// ---- VectorString

std::int32_t VectorString::indexOf(const char* text) const {
    if (!text) return VectorOf<const char*>::indexOf(nullptr);
    for (std::int32_t i = 0; i < count_; ++i)
        if (storage_[i] && std::strcmp(storage_[i], text) == 0) return i;
    return -1;
}

bool VectorString::writeToFile(std::FILE* file) {
    std::string out = formatC("VectorString count %d\n", count_);
    for (std::int32_t i = 0; i < count_; ++i) out += formatC("%d %s\n", i, storage_[i] ? storage_[i] : "(null)");
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

// ---- VectorVoid

void VectorVoid::reallocate(std::int32_t n) {
    void** p = new (std::nothrow) void*[static_cast<std::size_t>(n)];
    if (!p) {
        std::fprintf(stderr, "allocation error for VectorVoid (%d)\n", n);
        std::fprintf(stderr, "...now exiting to system...\n");
        std::exit(1);
    }
    std::int32_t keep = count_ < n ? count_ : n;
    if (keep > 0) std::memcpy(static_cast<void*>(p), storage_.get(), sizeof(void*) * keep);
    storage_.reset(p);
    capacity_ = n;
    count_ = keep;
}

void VectorVoid::resize(std::int32_t n) {
    if (n < 0) n = 0;
    std::int32_t want = n > 0 ? n : 1;
    if (!storage_ || capacity_ < want) reallocate(want);
    for (std::int32_t i = count_; i < n; ++i) storage_[i] = nullptr;
    count_ = n;
}

void VectorVoid::push(void* x) {
    if (count_ >= capacity_) reallocate(capacity_ > 0 ? (capacity_ > INT32_MAX / 2 ? INT32_MAX : capacity_ * 2) : 1);
    storage_[count_++] = x;
}

void VectorVoid::removeAt(std::int32_t index) {
    if (index < 0 || index >= count_) return;
    std::memmove(static_cast<void*>(storage_.get() + index), storage_.get() + index + 1,
                 sizeof(void*) * (count_ - 1 - index));
    --count_;
}

std::int32_t VectorVoid::indexOf(const void* x) const {
    for (std::int32_t i = 0; i < count_; ++i)
        if (storage_[i] == x) return i;
    return -1;
}

// ---- StringVector

StringVector::~StringVector() { resize(0); }

void StringVector::append(std::string_view text) { push(new std::string(text)); }

void StringVector::resize(std::int32_t n) {
    if (n < 0) n = 0;
    for (std::int32_t i = n; i < count_; ++i) {
        delete static_cast<std::string*>(storage_[i]);
        storage_[i] = nullptr;
    }
    std::int32_t old = count_;
    VectorVoid::resize(n);
    for (std::int32_t i = old; i < n; ++i) storage_[i] = new std::string();
}

void StringVector::removeAt(std::int32_t index) {
    if (index < 0 || index >= count_) return;
    delete static_cast<std::string*>(storage_[index]);
    VectorVoid::removeAt(index);
}

// ---- SimpleTable

namespace {
std::function<void(SimpleTable&)>& activationHandler() {
    static std::function<void(SimpleTable&)> handler;
    return handler;
}
}  // namespace

void SimpleTable::add(const char* key, const char* value) {
    keys_.push(key);
    values_.push(value);
}

const char* SimpleTable::lookup(const char* key) const {
    std::int32_t i = keys_.indexOf(key);
    return i >= 0 ? values_.getItem(i) : nullptr;
}

void SimpleTable::reserved() {
    if (activationHandler()) activationHandler()(*this);
}

void SimpleTable::setActivationHandler(std::function<void(SimpleTable&)> handler) {
    activationHandler() = std::move(handler);
}

}  // namespace kinemo
