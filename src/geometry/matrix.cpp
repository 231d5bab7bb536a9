#include "geometry/matrix.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "core/messages.h"
#include "core/numbers.h"
#include "geometry/binary_io.h"
#include "geometry/list_scan.h"

namespace kinemo {

namespace {

std::string boundsText(const char* name, std::int32_t r, std::int32_t c, std::int32_t rows, std::int32_t columns) {
    return formatC("%s.w index (%d,%d) out of bounds (%d,%d)", name, r, c, rows, columns);
}

// Compact number form of the last column: "0", the integer when the value is one (and fits), else
// the fixed form.
void appendCompact(std::string& out, float value, int precision) {
    if (value == 0.0f) {
        out.push_back('0');
        return;
    }
    double v = value;
    if (v >= -2147483648.0 && v < 2147483648.0) {
        double whole = std::trunc(v);
        if (std::fabs(v - whole) < 2e-6 * std::fabs(v)) {
            appendInt(out, static_cast<long long>(whole));
            return;
        }
    }
    appendFixed(out, v, precision, 4);
}

// Grows or keeps a storage block following the matrix policy, zeroing the new elements.
template <class T>
void resizeStorage(std::unique_ptr<T[]>& data, std::int32_t& capacity, std::int32_t& elementCount, std::int64_t e,
                   const char* className) {
    if (e > INT32_MAX) container_detail::allocationFailure(className, e);
    auto a = static_cast<std::int32_t>(e > 0 ? e : 1);
    std::int32_t old = elementCount;
    if (!data || capacity < a || (2 * static_cast<std::int64_t>(a) < capacity && capacity > 20)) {
        T* p = container_detail::allocate<T>(a, className);
        std::int32_t keep = data ? std::min(old, a) : 0;
        if (keep > 0) std::memcpy(static_cast<void*>(p), data.get(), sizeof(T) * static_cast<std::size_t>(keep));
        data.reset(p);
        capacity = a;
        if (old > keep) old = keep;
    }
    auto count = static_cast<std::int32_t>(e);
    if (count > old)
        std::memset(static_cast<void*>(data.get() + old), 0, sizeof(T) * static_cast<std::size_t>(count - old));
    elementCount = count;
}

}  // namespace

// ---- MatrixF

MatrixF::MatrixF(float a00, float a01, float a02, float a10, float a11, float a12, float a20, float a21, float a22) {
    resize(3, 3);
    const float v[9] = {a00, a01, a02, a10, a11, a12, a20, a21, a22};
    std::memcpy(data_.get(), v, sizeof v);
}

MatrixF::MatrixF(const MatrixF& other) : MatrixBasics(other) {
    elementCount_ = capacity_ = 0;
    copyFrom(&other);
}

MatrixF& MatrixF::operator=(const MatrixF& other) {
    copyFrom(&other);
    return *this;
}

float& MatrixF::w(std::int32_t r, std::int32_t c) {
    if (r < 0 || r >= rows_ || c < 0 || c >= columns_)
        throw ContainerBoundsError(boundsText("MatrixF", r, c, rows_, columns_));
    return at(r, c);
}

float MatrixF::w(std::int32_t r, std::int32_t c) const {
    if (r < 0 || r >= rows_ || c < 0 || c >= columns_)
        throw ContainerBoundsError(boundsText("MatrixF", r, c, rows_, columns_));
    return at(r, c);
}

void MatrixF::resize(std::int32_t rows, std::int32_t columns) {
    if (rows < 0) rows = 0;
    if (columns < 0) columns = 0;
    resizeStorage(data_, capacity_, elementCount_, static_cast<std::int64_t>(rows) * columns, "MatrixF");
    rows_ = rows;
    columns_ = columns;
}

void MatrixF::adopt(std::int32_t columns, std::int32_t rows, std::unique_ptr<float[]> data) {
    data_ = std::move(data);
    rows_ = rows;
    columns_ = columns;
    elementCount_ = rows * columns;
    capacity_ = elementCount_;
}

std::unique_ptr<MatrixF> MatrixF::clone() const { return std::make_unique<MatrixF>(*this); }

void MatrixF::copyFrom(const MatrixF* other) {
    if (!other) {
        resize(0, 0);
        return;
    }
    if (other == this) return;
    resize(other->rows_, other->columns_);
    if (elementCount_ > 0) std::memcpy(data_.get(), other->data_.get(), sizeof(float) * elementCount_);
    kind_ = other->kind_;
}

void MatrixF::copyOverlap(const MatrixF* other) {
    if (!other) {
        resize(0, 0);
        return;
    }
    if (other == this) return;
    std::int32_t nr = std::min(rows_, other->rows_);
    std::int32_t nc = std::min(columns_, other->columns_);
    for (std::int32_t r = 0; r < nr; ++r)
        for (std::int32_t c = 0; c < nc; ++c) at(r, c) = other->at(r, c);
}

void MatrixF::setIdentity() {
    for (std::int32_t r = 0; r < rows_; ++r)
        for (std::int32_t c = 0; c < columns_; ++c) at(r, c) = r == c ? 1.0f : 0.0f;
}

void MatrixF::multiply(float* out, const float* in) const {
    std::vector<float> copy;
    if (out == in || (out < in + columns_ && in < out + rows_)) {
        copy.assign(in, in + columns_);
        in = copy.data();
    }
    for (std::int32_t i = 0; i < rows_; ++i) {
        double sum = 0.0;
        const float* m = row(i);
        for (std::int32_t j = 0; j < columns_; ++j) sum += static_cast<double>(m[j]) * in[j];
        out[i] = static_cast<float>(sum);
    }
}

bool MatrixF::setProductTransposed(const MatrixF& a, const MatrixF& b) {
    if (a.columns_ != b.rows_) return false;
    MatrixF result(b.columns_, a.rows_);
    for (std::int32_t i = 0; i < b.columns_; ++i)
        for (std::int32_t j = 0; j < a.rows_; ++j) {
            double sum = 0.0;
            for (std::int32_t k = 0; k < a.columns_; ++k) sum += static_cast<double>(a.at(j, k)) * b.at(k, i);
            result.at(i, j) = static_cast<float>(sum);
        }
    std::int32_t kind = kind_;
    copyFrom(&result);
    kind_ = kind;
    return true;
}

float MatrixF::determinant() const {
    if (rows_ != 3 || columns_ != 3) return 0.0f;
    auto m = [this](int r, int c) { return static_cast<double>(at(r, c)); };
    double d = m(0, 0) * (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) - m(0, 1) * (m(1, 0) * m(2, 2) - m(1, 2) * m(2, 0)) +
               m(0, 2) * (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0));
    return static_cast<float>(d);
}

bool MatrixF::invert(MatrixF& source) {
    auto fail = [](const std::string& text) {
        reportMessage(text, 2, true);
        return false;
    };
    if (source.rows_ != source.columns_)
        return fail(
            formatC("Error, MatrixF::Cannot invert matrix with dimension (%d, %d)", source.rows_, source.columns_));
    if (rows_ != columns_)
        return fail(formatC("Error, MatrixF::Cannot invert matrix with result dimension (%d, %d)", rows_, columns_));
    if (source.rows_ >= 100)
        return fail(
            formatC("Error, MatrixF::Cannot invert matrix with dimension (%d, %d)", source.rows_, source.columns_));
    if (rows_ != source.rows_)
        return fail(formatC("Error, MatrixF::Cannot invert matrix for matrix with different result dimension (%d, %d)",
                            rows_, columns_));
    if (&source == this) {
        MatrixF copy(source);
        return invert(copy);
    }
    const std::int32_t n = source.rows_;
    for (std::int32_t i = 0; i < source.elementCount_; ++i)
        if (!std::isfinite(source.data_[i]))
            return fail("Error, MatrixF::Cannot invert matrix with non-finite elements");

    // Crout's decomposition with implicit partial pivoting, worked in double and stored back as
    // the source's factors.
    std::vector<double> a(static_cast<std::size_t>(n) * n);
    for (std::int32_t i = 0; i < n * n; ++i) a[i] = source.data_[i];
    auto A = [&a, n](std::int32_t r, std::int32_t c) -> double& { return a[static_cast<std::size_t>(r) * n + c]; };
    std::vector<double> scale(n);
    std::vector<std::int32_t> pivot(n);
    for (std::int32_t i = 0; i < n; ++i) {
        double big = 0.0;
        for (std::int32_t j = 0; j < n; ++j) big = std::max(big, std::fabs(A(i, j)));
        if (big == 0.0) return fail("Singular matrix in routine ludcmp");
        scale[i] = 1.0 / big;
    }
    bool zeroPivot = false;
    for (std::int32_t j = 0; j < n; ++j) {
        for (std::int32_t i = 0; i < j; ++i) {
            double sum = A(i, j);
            for (std::int32_t k = 0; k < i; ++k) sum -= A(i, k) * A(k, j);
            A(i, j) = sum;
        }
        double big = 0.0;
        std::int32_t imax = j;
        for (std::int32_t i = j; i < n; ++i) {
            double sum = A(i, j);
            for (std::int32_t k = 0; k < j; ++k) sum -= A(i, k) * A(k, j);
            A(i, j) = sum;
            double weight = scale[i] * std::fabs(sum);
            if (weight >= big) {
                big = weight;
                imax = i;
            }
        }
        if (imax != j) {
            for (std::int32_t k = 0; k < n; ++k) std::swap(A(imax, k), A(j, k));
            scale[imax] = scale[j];
        }
        pivot[j] = imax;
        if (A(j, j) == 0.0) {
            A(j, j) = 1e-20;
            zeroPivot = true;
        }
        if (j != n - 1) {
            double inverse = 1.0 / A(j, j);
            for (std::int32_t i = j + 1; i < n; ++i) A(i, j) *= inverse;
        }
    }
    for (std::int32_t i = 0; i < n * n; ++i) source.data_[i] = list_scan::toFloat(a[i]);
    if (zeroPivot) {
        logLine("MatrixF::invert singular matrix (zero pivot)");
        return false;
    }

    std::vector<double> b(n);
    for (std::int32_t col = 0; col < n; ++col) {
        std::fill(b.begin(), b.end(), 0.0);
        b[col] = 1.0;
        std::int32_t firstNonZero = -1;
        for (std::int32_t i = 0; i < n; ++i) {
            std::int32_t ip = pivot[i];
            double sum = b[ip];
            b[ip] = b[i];
            if (firstNonZero >= 0) {
                for (std::int32_t j = firstNonZero; j < i; ++j) sum -= A(i, j) * b[j];
            } else if (sum != 0.0) {
                firstNonZero = i;
            }
            b[i] = sum;
        }
        for (std::int32_t i = n - 1; i >= 0; --i) {
            double sum = b[i];
            for (std::int32_t j = i + 1; j < n; ++j) sum -= A(i, j) * b[j];
            b[i] = sum / A(i, i);
        }
        for (std::int32_t i = 0; i < n; ++i) {
            float v = list_scan::toFloat(b[i]);
            if (!std::isfinite(v)) {
                logLine("MatrixF::invert inverse out of range");
                return false;
            }
            at(i, col) = v;
        }
    }
    return true;
}

int MatrixF::compare(const MatrixF* a, const MatrixF* b) {
    if (a == b) return 0;
    if (!a) return -1;
    if (!b) return 1;
    if (a->rows_ != b->rows_) return a->rows_ < b->rows_ ? -1 : 1;
    if (a->columns_ != b->columns_) return a->columns_ < b->columns_ ? -1 : 1;
    for (std::int32_t i = 0; i < a->elementCount_; ++i) {
        float x = a->data_[i], y = b->data_[i];
        if (x < y) return -1;
        if (x > y) return 1;
        std::uint32_t bx, by;
        std::memcpy(&bx, &x, 4);
        std::memcpy(&by, &y, 4);
        if (bx != by) return bx < by ? -1 : 1;
    }
    return 0;
}

const char* MatrixF::readFromString(const char* text, const char* end, std::int32_t columns,
                                    std::unique_ptr<MatrixF>& dest) {
    dest.reset();
    VectorF values;
    const char* result = values.readFromString(text, end);
    if (columns <= 0) return result;
    std::int32_t n = values.count();
    std::int32_t remainder = n % columns;
    ReportLevel& level = reportLevel();
    level.readOnce();
    if (remainder != 0) {
        // The text as far as its first token, like the rest of the log lines show it.
        const char* q = text;
        while (q < end && q - text < 100 && (list_scan::classOf(*q) & list_scan::Blank)) ++q;
        if (q < end && *q == '[') ++q;
        while (q < end && q - text < 160 && list_scan::classOf(*q) == list_scan::Other) ++q;
        logLine(formatC("Matrix Parsing Error (%d,%d in %.*s", n, remainder, static_cast<int>(q - text), text));
        if (level.reaches(2))
            for (std::int32_t i = 0; i < n && i < 20; ++i) logLine(formatC("token %d,%f", i, values[i]));
    } else if (level.reaches(10)) {
        logLine(formatC("MatrixF.readVectorBlock %d", n));
    }
    std::int32_t rows = n / columns;
    if (rows == 0) return result;
    auto m = std::make_unique<MatrixF>();
    std::int32_t capacity = values.capacity();
    m->data_ = values.releaseStorage();
    m->rows_ = rows;
    m->columns_ = columns;
    m->elementCount_ = rows * columns;
    m->capacity_ = capacity;
    dest = std::move(m);
    return result;
}

void MatrixF::writeText(std::string& out, int precision, bool wrap, int binaryMode) const {
    if (binaryWriteMode()) {
        writeBinary(out, binaryMode);
        return;
    }
    out.push_back('[');
    if (rows_ > 0 && columns_ > 0) {
        for (std::int32_t r = 0; r + 1 < rows_; ++r) {
            const float* v = row(r);
            for (std::int32_t c = 0; c + 1 < columns_; ++c) {
                appendFixed(out, v[c], precision, 4);
                out.push_back(' ');
            }
            appendCompact(out, v[columns_ - 1], precision);
            out.push_back(',');
            if (wrap && (r + 1) % 6 == 0) out.append("\n        ");
        }
        const float* last = row(rows_ - 1);
        for (std::int32_t c = 0; c < columns_; ++c) {
            appendCompact(out, last[c], precision);
            out.push_back(' ');
        }
    }
    out.push_back(']');
}

bool MatrixF::writeText(std::FILE* file, int precision, bool wrap, int binaryMode) const {
    std::string out;
    writeText(out, precision, wrap, binaryMode);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

void MatrixF::writeBinary(std::string& out, int mode) const {
    ByteWriter w(out);
    if (rows_ <= 0 || columns_ <= 0 || columns_ > std::numeric_limits<std::int16_t>::max()) {
        if (columns_ > std::numeric_limits<std::int16_t>::max())
            reportMessage(formatC("Matrix with %d columns cannot be written in binary form", columns_), 3, true);
        w.i32(0);
        return;
    }
    w.i32(rows_);
    w.i16(static_cast<std::int16_t>(columns_));
    w.i16(static_cast<std::int16_t>(mode));
    out.reserve(out.size() + static_cast<std::size_t>(elementCount_) * 4);
    if (columns_ >= 7 || rows_ <= 4) {
        for (std::int32_t i = 0; i < elementCount_; ++i) w.f32(data_[i]);
        return;
    }
    const bool bytes = mode == 1;
    const double levels = bytes ? 255.0 : 65535.0;
    std::vector<float> lo(columns_), step(columns_);
    for (std::int32_t c = 0; c < columns_; ++c) {
        double mn = std::numeric_limits<double>::infinity(), mx = -mn;
        for (std::int32_t r = 0; r < rows_; ++r) {
            double v = at(r, c);
            if (!std::isfinite(v)) continue;
            mn = std::min(mn, v);
            mx = std::max(mx, v);
        }
        if (mn > mx) mn = mx = 0.0;
        lo[c] = static_cast<float>(mn);
        step[c] = list_scan::toFloat((mx - mn) / levels);
    }
    for (std::int32_t c = 0; c < columns_; ++c) w.f32(lo[c]);
    for (std::int32_t c = 0; c < columns_; ++c) w.f32(step[c]);
    // Round to the nearest step so that what is read back is written back unchanged.
    for (std::int32_t r = 0; r < rows_; ++r) {
        const float* v = row(r);
        for (std::int32_t c = 0; c < columns_; ++c) {
            double q = 0.0;
            if (step[c] > 0.0f && std::isfinite(step[c])) {
                double x = v[c];
                if (std::isnan(x)) x = lo[c];
                q = std::nearbyint((x - lo[c]) / step[c]);
                q = std::clamp(q, 0.0, levels);
            }
            if (bytes)
                w.u8(static_cast<std::uint8_t>(q));
            else
                w.u16(static_cast<std::uint16_t>(q));
        }
    }
}

const char* MatrixF::readBinary(const char* data, const char* end, std::int32_t expectedColumns,
                                std::unique_ptr<MatrixF>& dest) {
    dest.reset();
    ByteReader in(data, end);
    std::int32_t rows = 0;
    if (!in.i32(rows)) {
        reportCorruptBlock("point list without its size");
        return nullptr;
    }
    if (rows == 0) return in.position();
    std::int16_t fileColumns = 0, mode = 0;
    if (rows < 0 || !in.i16(fileColumns) || !in.i16(mode)) {
        reportCorruptBlock("point list with an impossible size");
        return nullptr;
    }
    std::int32_t columns = fileColumns;
    if (expectedColumns > 0 && columns != expectedColumns) {
        reportMessage("Matrix reads unexpected number of columns", 3, true);
        columns = expectedColumns;
    }
    std::int64_t elements = static_cast<std::int64_t>(rows) * columns;
    if (columns <= 0 || elements > INT32_MAX) {
        reportCorruptBlock("point list with an impossible size");
        return nullptr;
    }
    auto count = static_cast<std::int32_t>(elements);
    if (columns >= 7 || rows <= 4) {
        if (!in.has(static_cast<std::uint64_t>(elements), 4)) {
            reportCorruptBlock("point list that runs past the end of the file");
            return nullptr;
        }
        auto m = std::make_unique<MatrixF>(rows, columns);
        float* out = m->data();
        for (std::int32_t i = 0; i < count; ++i) out[i] = in.f32Unchecked();
        dest = std::move(m);
        return in.position();
    }
    const unsigned width = mode == 1 ? 1 : 2;
    if (!in.has(2 * static_cast<std::uint64_t>(columns), 4) ||
        static_cast<std::uint64_t>(elements) * width > in.remaining() - 8 * static_cast<std::uint64_t>(columns)) {
        reportCorruptBlock("point list that runs past the end of the file");
        return nullptr;
    }
    std::vector<float> lo(columns), step(columns);
    for (std::int32_t c = 0; c < columns; ++c) lo[c] = in.f32Unchecked();
    for (std::int32_t c = 0; c < columns; ++c) step[c] = in.f32Unchecked();
    auto m = std::make_unique<MatrixF>(rows, columns);
    float* out = m->data();
    for (std::int32_t r = 0; r < rows; ++r) {
        for (std::int32_t c = 0; c < columns; ++c) {
            float q = width == 1 ? in.u8Unchecked() : in.u16Unchecked();
            *out++ = q * step[c] + lo[c];
        }
    }
    dest = std::move(m);
    return in.position();
}

ReportLevel& MatrixF::reportLevel() {
    static ReportLevel level{"MatrixFReportLevel", 0};
    return level;
}

// ---- MatrixL

MatrixL::MatrixL(const MatrixL& other) : MatrixBasics(other) {
    elementCount_ = capacity_ = 0;
    copyFrom(&other);
}

MatrixL& MatrixL::operator=(const MatrixL& other) {
    copyFrom(&other);
    return *this;
}

std::int32_t& MatrixL::w(std::int32_t r, std::int32_t c) {
    if (r < 0 || r >= rows_ || c < 0 || c >= columns_)
        throw ContainerBoundsError(boundsText("MatrixL", r, c, rows_, columns_));
    return at(r, c);
}

std::int32_t MatrixL::w(std::int32_t r, std::int32_t c) const {
    if (r < 0 || r >= rows_ || c < 0 || c >= columns_)
        throw ContainerBoundsError(boundsText("MatrixL", r, c, rows_, columns_));
    return at(r, c);
}

void MatrixL::resize(std::int32_t rows, std::int32_t columns) {
    if (rows < 0) rows = 0;
    if (columns < 0) columns = 0;
    resizeStorage(data_, capacity_, elementCount_, static_cast<std::int64_t>(rows) * columns, "MatrixL");
    rows_ = rows;
    columns_ = columns;
}

void MatrixL::adopt(std::int32_t columns, std::int32_t rows, std::unique_ptr<std::int32_t[]> data) {
    data_ = std::move(data);
    rows_ = rows;
    columns_ = columns;
    elementCount_ = rows * columns;
    capacity_ = elementCount_;
}

std::unique_ptr<MatrixL> MatrixL::clone() const { return std::make_unique<MatrixL>(*this); }

void MatrixL::copyFrom(const MatrixL* other) {
    if (!other) {
        resize(0, 0);
        return;
    }
    if (other == this) return;
    resize(other->rows_, other->columns_);
    if (elementCount_ > 0) std::memcpy(data_.get(), other->data_.get(), sizeof(std::int32_t) * elementCount_);
}

void MatrixL::setIdentity() {
    for (std::int32_t r = 0; r < rows_; ++r)
        for (std::int32_t c = 0; c < columns_; ++c) at(r, c) = r == c ? 1 : 0;
}

}  // namespace kinemo
