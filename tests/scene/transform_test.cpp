#include <gtest/gtest.h>

#include <cmath>

#include "scene/group_node.h"
#include "scene/testing/tree_builder.h"
#include "scene/transform_node.h"

namespace kinemo {
namespace {

using testing::ReportRecorder;
using testing::TestScene;
using testing::TreeBuilder;

constexpr double kPi = 3.14159265358979323846;

// An independent 4x4 (column vectors) of one VRML transform: T * C * R * S * -C.
struct M4 {
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    static M4 translation(double x, double y, double z) {
        M4 r;
        r.m[3] = x, r.m[7] = y, r.m[11] = z;
        return r;
    }
    static M4 scaling(double x, double y, double z) {
        M4 r;
        r.m[0] = x, r.m[5] = y, r.m[10] = z;
        return r;
    }
    // Rodrigues' formula.
    static M4 rotation(double x, double y, double z, double a) {
        double n = std::sqrt(x * x + y * y + z * z);
        M4 r;
        if (n == 0) return r;
        x /= n, y /= n, z /= n;
        double c = std::cos(a), s = std::sin(a), t = 1 - c;
        double v[9] = {t * x * x + c,     t * x * y - s * z, t * x * z + s * y, t * x * y + s * z, t * y * y + c,
                       t * y * z - s * x, t * x * z - s * y, t * y * z + s * x, t * z * z + c};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) r.m[i * 4 + j] = v[i * 3 + j];
        return r;
    }
    M4 operator*(const M4& o) const {
        M4 r;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                double s = 0;
                for (int k = 0; k < 4; ++k) s += m[i * 4 + k] * o.m[k * 4 + j];
                r.m[i * 4 + j] = s;
            }
        return r;
    }
    void apply(const double p[3], double out[3]) const {
        for (int i = 0; i < 3; ++i) out[i] = m[i * 4] * p[0] + m[i * 4 + 1] * p[1] + m[i * 4 + 2] * p[2] + m[i * 4 + 3];
    }
};

struct Fields {
    double t[3] = {0, 0, 0}, r[4] = {0, 0, 1, 0}, c[3] = {0, 0, 0}, s[3] = {1, 1, 1};
    M4 matrix() const {
        return M4::translation(t[0], t[1], t[2]) * M4::translation(c[0], c[1], c[2]) *
               M4::rotation(r[0], r[1], r[2], r[3]) * M4::scaling(s[0], s[1], s[2]) *
               M4::translation(-c[0], -c[1], -c[2]);
    }
};

void applyFields(TreeBuilder& b, const Fields& f) {
    b.translate(float(f.t[0]), float(f.t[1]), float(f.t[2]))
        .rotate(float(f.r[0]), float(f.r[1]), float(f.r[2]), float(f.r[3]))
        .center(float(f.c[0]), float(f.c[1]), float(f.c[2]))
        .scale(float(f.s[0]), float(f.s[1]), float(f.s[2]));
}

void expectWorldPoint(TransformData& rec, const M4& expected, const double p[3]) {
    double got[3], want[3];
    rec.toGlobalPoint(p, got);
    expected.apply(p, want);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], 1e-4) << "axis " << i;
}

TEST(TransformWorldMatrix, NestedRotatedScaledAndMirroredGroupsMatchAnIndependentProduct) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    Fields f1{{1, 2, 3}, {0, 0, 1, kPi / 2}, {0.5, 0, 0}, {2, 2, 2}};
    Fields f2{{-4, 0, 1}, {1, 1, 0, 0.7}, {0, 1, 0}, {1, 2, 4}};
    Fields f3{{0, 0, 0}, {0, 1, 0, -1.2}, {1, 1, 1}, {-1, 1, 1}};  // a mirror
    b.group("g1");
    applyFields(b, f1);
    b.group("g2");
    applyFields(b, f2);
    b.group("g3");
    applyFields(b, f3);
    GroupNode* g3 = testing::findGroup(*scene.root, "g3");
    M4 world = f1.matrix() * f2.matrix() * f3.matrix();
    const double p1[3] = {0, 0, 0}, p2[3] = {1, -2, 0.5}, p3[3] = {-3, 7, 2};
    expectWorldPoint(g3->currentTransform, world, p1);
    expectWorldPoint(g3->currentTransform, world, p2);
    expectWorldPoint(g3->currentTransform, world, p3);
    // The inverse takes the world point back.
    double w[3];
    g3->currentTransform.toGlobalPoint(p2, w);
    const double* gt = g3->currentTransform.globalTranslation();
    float d[3] = {float(w[0] - gt[0]), float(w[1] - gt[1]), float(w[2] - gt[2])};
    float back[3];
    g3->currentTransform.toLocalDirection(d, back);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(back[i], p2[i], 1e-3);
}

TEST(TransformWorldMatrix, IdentityGroupSharesItsParentsMatrixAndAddsItsTranslation) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("p").rotate(0, 0, 1, 1.0f).translate(1, 0, 0).group("c").translate(0, 3, 0);
    GroupNode* p = testing::findGroup(*scene.root, "p");
    GroupNode* c = testing::findGroup(*scene.root, "c");
    const float* pm = p->currentTransform.localToGlobal();
    const float* cm = c->currentTransform.localToGlobal();
    for (int k = 0; k < 9; ++k) EXPECT_EQ(cm[k], pm[k]);
    const double* pt = p->currentTransform.globalTranslation();
    const double* ct = c->currentTransform.globalTranslation();
    const double t[3] = {0, 3, 0};
    double rotated[3];
    for (int i = 0; i < 3; ++i) rotated[i] = pm[i * 3] * t[0] + pm[i * 3 + 1] * t[1] + pm[i * 3 + 2] * t[2];
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(ct[i], pt[i] + rotated[i], 1e-6);
}

TEST(TransformWorldMatrix, RotationAboutTheCentreKeepsTheCentreInPlace) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("g").center(1, 0, 0).rotate(0, 0, 1, float(kPi / 2));
    GroupNode* g = testing::findGroup(*scene.root, "g");
    const double p[3] = {1, 0, 0};
    double w[3];
    g->currentTransform.toGlobalPoint(p, w);
    EXPECT_NEAR(w[0], 1.0, 1e-6);
    EXPECT_NEAR(w[1], 0.0, 1e-6);
    EXPECT_NEAR(w[2], 0.0, 1e-6);
}

TEST(TransformWorldMatrix, NonUniformScaleGivesTheMeanScaleFactor) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("g").scale(1, 2, 4);
    GroupNode* g = testing::findGroup(*scene.root, "g");
    EXPECT_NEAR(g->currentTransform.globalScaleFactor(), 7.0 / 3.0, 1e-5);
    EXPECT_FALSE(g->currentTransform.globalUniform());
}

TEST(TransformWorldMatrix, ZeroLengthAxisWithAnAngleRotatesByNothing) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("g").rotate(0, 0, 0, 1.5f);
    GroupNode* g = testing::findGroup(*scene.root, "g");
    const float* m = g->currentTransform.localToGlobal();
    for (int k = 0; k < 9; ++k) EXPECT_EQ(m[k], (k % 4 == 0) ? 1.0f : 0.0f);
}

TEST(TransformWorldMatrix, ZeroScaleKeepsEveryMatrixFiniteAndTheScaleAsStored) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("g").scale(0, 1, 2).rotate(1, 0, 0, 0.3f);
    GroupNode* g = testing::findGroup(*scene.root, "g");
    const float* l2g = g->currentTransform.localToGlobal();
    const float* g2l = g->currentTransform.globalToLocal();
    for (int k = 0; k < 9; ++k) {
        EXPECT_TRUE(std::isfinite(l2g[k]));
        EXPECT_TRUE(std::isfinite(g2l[k]));
    }
    EXPECT_EQ(g->currentTransform.scale()[0], 0.0f);
    EXPECT_NE(g->transformText().find("scale 0.000 1.000 2.000"), std::string::npos);
    ReportRecorder rec;
    const double delta[3] = {1, 1, 1};
    double local[3];
    g->currentTransform.deltaToLocal(delta, local);
    for (double v : local) EXPECT_TRUE(std::isfinite(v));
    EXPECT_TRUE(rec.reported("Inverted scale factor of value below smallest allowed boundary has been ignored"));
}

TEST(TransformWorldMatrix, NotANumberValuesNeverReachTheMatrices) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("g").translate(NAN, 1, 2).rotate(NAN, 0, 1, 1).scale(INFINITY, 1, 1);
    GroupNode* g = testing::findGroup(*scene.root, "g");
    const float* m = g->currentTransform.localToGlobal();
    for (int k = 0; k < 9; ++k) EXPECT_TRUE(std::isfinite(m[k]));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::isfinite(g->currentTransform.globalTranslation()[i]));
}

TEST(TransformWorldMatrix, HugeScalesDownAChainStayFinite) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    for (int i = 0; i < 20; ++i) b.group("g" + std::to_string(i)).scale(-8.9e18f, 3e30f, 1e-30f).translate(3e38f, 0, 0);
    TransformData& deepest = b.current().currentTransform;
    const float* m = deepest.localToGlobal();
    const float* inv = deepest.globalToLocal();
    for (int k = 0; k < 9; ++k) {
        EXPECT_TRUE(std::isfinite(m[k])) << k;
        EXPECT_TRUE(std::isfinite(inv[k])) << k;
    }
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::isfinite(deepest.globalTranslation()[i]));
    EXPECT_TRUE(std::isfinite(deepest.globalScaleFactor()));
}

TEST(TransformInvalidation, EverySetterRefreshesTheChildrensWorldMatrices) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("p").group("c").translate(0, 1, 0);
    GroupNode* p = testing::findGroup(*scene.root, "p");
    GroupNode* c = testing::findGroup(*scene.root, "c");
    p->currentTransform.setTranslation(10, 0, 0);
    EXPECT_NEAR(c->currentTransform.globalTranslation()[0], 10.0, 1e-6);
    // The second change comes while the node is still marked changed.
    p->currentTransform.setTranslation(20, 0, 0);
    EXPECT_NEAR(c->currentTransform.globalTranslation()[0], 20.0, 1e-6);
    p->clearChanged();
    p->currentTransform.setTranslation(30, 0, 0);
    EXPECT_NEAR(c->currentTransform.globalTranslation()[0], 30.0, 1e-6);
}

TEST(TransformInvalidation, MovingAGroupUnderAnotherParentTakesTheNewFrame) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("a").translate(1, 0, 0).end().group("b").translate(0, 5, 0).end();
    GroupNode* a = testing::findGroup(*scene.root, "a");
    GroupNode* bGroup = testing::findGroup(*scene.root, "b");
    EXPECT_NEAR(a->currentTransform.globalTranslation()[1], 0.0, 1e-6);
    a->moveTo(*bGroup);
    EXPECT_NEAR(a->currentTransform.globalTranslation()[1], 5.0, 1e-6);
    EXPECT_NEAR(a->currentTransform.globalTranslation()[0], 1.0, 1e-6);
}

TEST(TransformInvalidation, ResetToInitialCopiesTheInitialRecords) {
    TestScene scene;
    TreeBuilder b(*scene.root);
    b.group("a").translate(1, 0, 0).group("b");
    GroupNode* a = testing::findGroup(*scene.root, "a");
    a->currentTransform.setTranslation(9, 9, 9);
    resetToInitial(*scene.root);
    EXPECT_EQ(a->currentTransform.translation()[0], 1.0f);
    EXPECT_NEAR(testing::findGroup(*scene.root, "b")->currentTransform.globalTranslation()[0], 1.0, 1e-6);
}

TEST(TransformWriter, WritesOnlyTheFieldsThatDifferFromTheirDefaults) {
    GroupNode g(false);
    g.setName("part");
    EXPECT_EQ(g.transformText(), "\n\nTransform {\n    #name part");
    g.initialTransform.setTranslation(1, 0, 0.5f);
    g.initialTransform.setRotation(0, 1, 0, 1.5f);
    g.initialTransform.setCenter(0, 0, 2);
    g.initialTransform.setScale(1, 2, 3);
    g.initialTransform.setScaleOrientation(1, 0, 0, 0.25f);
    EXPECT_EQ(g.transformText(),
              "\n\nTransform {\n    #name part"
              "\n    translation 1.000000 0.000000 0.500000"
              "\n    rotation 0.0000 1.0000 0.0000 1.500000"
              "\n    center 0.000000 0.000000 2.000000"
              "\n    scale 1.000 2.000 3.000"
              "\n    scaleOrientation 1.0000 0.0000 0.0000 0.2500");
}

TEST(TransformWriter, RotateAboutCentreComposesWithTheCurrentRotation) {
    GroupNode g(false);
    g.initialTransform.setRotation(0, 0, 1, float(kPi / 4));
    const float add[4] = {0, 0, 1, float(kPi / 4)};
    g.rotateAboutCenter(add);
    EXPECT_NEAR(g.initialTransform.rotation()[2], 1.0f, 1e-5);
    EXPECT_NEAR(g.initialTransform.rotation()[3], kPi / 2, 1e-5);
}

}  // namespace
}  // namespace kinemo
