#pragma once
// One transform record: translation, rotation, centre, scale and scale orientation, and the
// cached matrices between the node's frame and the world. A point x of the node's frame lies at
// localToGlobal * x + globalTranslation. The caches are rebuilt on demand, from the top down.
namespace kinemo {

class TransformNode;

class TransformData {
public:
    enum Validity : unsigned { GlobalToLocalValid = 1, LocalToGlobalValid = 2 | 4 };
    // Scale magnitudes at or below this are not divided by.
    static constexpr float kSmallestScale = 1.0e-6f;

    TransformData(TransformNode* owner, bool initial) : owner_(owner), initial_(initial) {}
    TransformData(const TransformData&) = delete;
    TransformData& operator=(const TransformData&) = delete;

    // Setters invalidate this record and the records below it. Non-finite values are taken as
    // the defaults; a zero-length rotation axis is stored but rotates by nothing.
    void setRotation(float x, float y, float z, float angle);
    void setTranslation(float x, float y, float z);
    void setCenter(float x, float y, float z);
    void setScale(float x, float y, float z);
    void setScale(float s) { setScale(s, s, s); }
    void setScaleOrientation(float x, float y, float z, float angle);
    // Rotation, centre, translation, scale and scale orientation of another record.
    void copyFrom(const TransformData& other);

    const float* rotation() const { return rotation_; }
    const float* translation() const { return translation_; }
    const float* center() const { return center_; }
    const float* scale() const { return scale_; }
    const float* scaleOrientation() const { return scaleOrientation_; }
    bool uniform() const { return scale_[0] == scale_[1] && scale_[1] == scale_[2]; }
    bool localIsIdentity() const;

    // R * diag(scale), row-major.
    const float* localMatrix();
    const float* localToGlobal();
    const float* globalToLocal();
    const double* globalTranslation();
    const float* globalTranslationF();
    float globalScaleFactor();
    bool globalUniform();

    void updateLocalToGlobalMatrix();
    void updateGlobalToLocalMatrix();
    void toGlobalDirection(const float in[3], float out[3]);
    void toLocalDirection(const float in[3], float out[3]);
    void toGlobalPoint(const double in[3], double out[3]);
    // A world delta rotated back by this record's rotation and divided by its scale per axis; an
    // axis whose scale is too small keeps its component (reported).
    void deltaToLocal(const double in[3], double out[3]) const;

    unsigned validity() const { return validity_; }
    bool localValid() const { return localValid_; }
    // Clears this record's caches and those of the records below whose caches are valid.
    void invalidate();
    TransformNode* owner() const { return owner_; }

private:
    TransformData* parentRecord() const;
    void changed();
    void invalidateBelow();
    void makeTop();

    TransformNode* owner_;
    bool initial_;
    float rotation_[4] = {0, 0, 1, 0};
    float translation_[3] = {0, 0, 0};
    float center_[3] = {0, 0, 0};
    float scale_[3] = {1, 1, 1};
    float scaleOrientation_[4] = {0, 0, 1, 0};
    float local_[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    float localToGlobal_[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    float globalToLocal_[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    double globalTranslation_[3] = {0, 0, 0};
    float globalTranslationF_[3] = {0, 0, 0};
    float globalScale_ = 1.0f;
    bool globalUniform_ = true;
    bool localValid_ = false;
    unsigned validity_ = 0;
};

}  // namespace kinemo
