#pragma once
// Dense row-major float and integer matrices. Point and normal lists are n x 3 MatrixF objects,
// texture coordinates n x 2.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "core/basic_object.h"
#include "core/report_level.h"
#include "geometry/vector.h"

namespace kinemo {

// Element count (rows x columns) and the slots allocated.
class MatrixBasics : public BasicObject {
public:
    std::int32_t elementCount() const { return elementCount_; }
    std::int32_t capacity() const { return capacity_; }

protected:
    // resize grows to exactly max(rows x columns, 1) slots and shrinks only when that is below half
    // of a block larger than 20 slots.
    std::int32_t elementCount_ = 0;
    std::int32_t capacity_ = 0;
};

class MatrixF : public MatrixBasics {
public:
    enum Kind : std::int32_t { KindNone = 0, KindCoordinates = 1, KindNormals = 2 };

    MatrixF() = default;
    MatrixF(std::int32_t rows, std::int32_t columns) { resize(rows, columns); }
    // A 3 x 3 matrix filled row by row.
    MatrixF(float a00, float a01, float a02, float a10, float a11, float a12, float a20, float a21, float a22);
    MatrixF(const MatrixF& other);
    MatrixF& operator=(const MatrixF& other);

    std::int32_t rows() const { return rows_; }
    std::int32_t columns() const { return columns_; }
    std::int32_t kind() const { return kind_; }
    void setKind(std::int32_t kind) { kind_ = kind; }
    float* data() { return data_.get(); }
    const float* data() const { return data_.get(); }
    float* row(std::int32_t r) { return data_.get() + static_cast<std::int64_t>(r) * columns_; }
    const float* row(std::int32_t r) const { return data_.get() + static_cast<std::int64_t>(r) * columns_; }
    float& at(std::int32_t r, std::int32_t c) { return data_[static_cast<std::int64_t>(r) * columns_ + c]; }
    float at(std::int32_t r, std::int32_t c) const { return data_[static_cast<std::int64_t>(r) * columns_ + c]; }

    // Checked access; throws ContainerBoundsError with "MatrixF.w index (r,c) out of bounds (rows,columns)".
    float& w(std::int32_t r, std::int32_t c);
    float w(std::int32_t r, std::int32_t c) const;

    // Sets the shape; elements keep their linear storage order. New elements are zero. Negative
    // sizes count as 0.
    virtual void resize(std::int32_t rows, std::int32_t columns);
    // Frees the current storage and takes the array of rows x columns values.
    void adopt(std::int32_t columns, std::int32_t rows, std::unique_ptr<float[]> data);

    std::unique_ptr<MatrixF> clone() const;
    // Takes other's shape, elements and kind tag; a null other gives 0 x 0.
    void copyFrom(const MatrixF* other);
    // Copies the top-left min(rows) x min(columns) block of other; a null other gives 0 x 0.
    void copyOverlap(const MatrixF* other);
    void setIdentity();
    // out[i] = sum_j M[i][j] * in[j] for i < rows; out and in may be the same array.
    void multiply(float* out, const float* in) const;
    // this becomes the transpose of a * b (b.columns x a.rows). False, and this unchanged, when
    // a.columns differs from b.rows.
    bool setProductTransposed(const MatrixF& a, const MatrixF& b);
    // The 3 x 3 determinant; 0 for any other shape.
    float determinant() const;
    // this becomes the inverse of source, which is overwritten by its LU factors (when source is
    // this matrix a copy is factored). Each failure shows its message box and returns false.
    bool invert(MatrixF& source);

    // Same object 0, null below non-null, then rows, columns and elements in storage order.
    static int compare(const MatrixF* a, const MatrixF* b);

    // Reads a float list (normally "[ ... ]") as rows of columns values into a fresh matrix in
    // dest; a list whose length is not a multiple of columns logs "Matrix Parsing Error" and
    // keeps the whole rows. An empty result leaves dest null. Returns where the float list ended.
    static const char* readFromString(const char* text, const char* end, std::int32_t columns,
                                      std::unique_ptr<MatrixF>& dest);
    static const char* readVectorBlock(const char* text, const char* end, std::int32_t columns,
                                       std::unique_ptr<MatrixF>& dest) {
        return readFromString(text, end, columns, dest);
    }

    // "[x y z,\n ... x y z ]": every row but the last in fixed form with the last column compact
    // and a comma, a line break and eight blanks after every sixth row when wrap is set, the last
    // row all compact; "[]" when empty. In binary write mode the binary block in binaryMode.
    void writeText(std::string& out, int precision, bool wrap, int binaryMode = 2) const;
    bool writeText(std::FILE* file, int precision, bool wrap, int binaryMode = 2) const;
    bool writeToFile(std::FILE* file) override { return writeText(file, 3, true); }

    // Binary block: int32 rows (0 ends the block), int16 columns, int16 mode, then raw floats or
    // per-column minimum and step followed by 8-bit (mode 1) or 16-bit quantised values.
    void writeBinary(std::string& out, int mode) const;
    // Reads a binary block from [data, end) into a fresh matrix in dest (null for an empty block).
    // A column count other than expectedColumns (when > 0) is reported and the expected count is
    // used. Returns the position after the block, or null for a truncated or corrupt block.
    static const char* readBinary(const char* data, const char* end, std::int32_t expectedColumns,
                                  std::unique_ptr<MatrixF>& dest);

    // Diagnostic detail of the block readers: "MatrixFReportLevel" (default 0), read at the first read.
    static ReportLevel& reportLevel();

private:
    std::int32_t rows_ = 0;
    std::int32_t columns_ = 0;
    std::int32_t kind_ = KindNone;
    std::unique_ptr<float[]> data_;
};

class MatrixL : public MatrixBasics {
public:
    MatrixL() = default;
    MatrixL(std::int32_t rows, std::int32_t columns) { resize(rows, columns); }
    MatrixL(const MatrixL& other);
    MatrixL& operator=(const MatrixL& other);

    std::int32_t rows() const { return rows_; }
    std::int32_t columns() const { return columns_; }
    std::int32_t* data() { return data_.get(); }
    const std::int32_t* data() const { return data_.get(); }
    std::int32_t& at(std::int32_t r, std::int32_t c) { return data_[static_cast<std::int64_t>(r) * columns_ + c]; }
    std::int32_t at(std::int32_t r, std::int32_t c) const { return data_[static_cast<std::int64_t>(r) * columns_ + c]; }
    // Checked access; throws ContainerBoundsError with "MatrixL.w index (r,c) out of bounds (rows,columns)".
    std::int32_t& w(std::int32_t r, std::int32_t c);
    std::int32_t w(std::int32_t r, std::int32_t c) const;

    virtual void resize(std::int32_t rows, std::int32_t columns);
    void adopt(std::int32_t columns, std::int32_t rows, std::unique_ptr<std::int32_t[]> data);
    std::unique_ptr<MatrixL> clone() const;
    void copyFrom(const MatrixL* other);
    void setIdentity();

private:
    std::int32_t rows_ = 0;
    std::int32_t columns_ = 0;
    std::unique_ptr<std::int32_t[]> data_;
};

}  // namespace kinemo
