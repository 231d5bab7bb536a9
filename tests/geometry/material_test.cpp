#include "geometry/material.h"

#include <gtest/gtest.h>

#include <cstring>

#include "geometry/material_cache.h"

namespace kinemo {
namespace {

Material readMaterial(const std::string& text, const char** after = nullptr) {
    Material m;
    const char* end = m.readFromString(text.c_str(), text.c_str() + text.size());
    if (after) *after = end;
    return m;
}

void expectColour(const Colour& c, float r, float g, float b) {
    EXPECT_FLOAT_EQ(c[0], r);
    EXPECT_FLOAT_EQ(c[1], g);
    EXPECT_FLOAT_EQ(c[2], b);
}

TEST(MaterialReader, SetsBaseAndCurrentValuesOfEveryField) {
    const Material m = readMaterial(
        "{ diffuseColor 1 0.5 0.25 specularColor 0.1 0.2 0.3 emissiveColor 0 0 1\n"
        "  ambientIntensity 0.4 shininess 0.7 transparency 0.5 }");
    expectColour(m.diffuse(), 1, 0.5f, 0.25f);
    expectColour(m.baseDiffuse(), 1, 0.5f, 0.25f);
    expectColour(m.specular(), 0.1f, 0.2f, 0.3f);
    expectColour(m.baseEmissive(), 0, 0, 1);
    EXPECT_FLOAT_EQ(m.baseAmbientIntensity(), 0.4f);
    EXPECT_FLOAT_EQ(m.shininess(), 0.7f);
    EXPECT_FLOAT_EQ(m.baseTransparency(), 0.5f);
}

TEST(MaterialReader, GivesAlphaOneMinusTransparencySquared) {
    EXPECT_FLOAT_EQ(readMaterial("{ transparency 0.5 }").alpha(), 0.75f);
}

TEST(MaterialReader, TakesTheMeanOfAVrml1AmbientColour) {
    EXPECT_FLOAT_EQ(readMaterial("{ ambientColor [ 0.1 0.2 0.6 ] }").baseAmbientIntensity(), 0.3f);
    // Missing values count as 0.2.
    EXPECT_FLOAT_EQ(readMaterial("{ ambientColor 0.5 }").baseAmbientIntensity(), 0.3f);
}

TEST(MaterialReader, ReadsTheFirstColourOfAVrml1List) {
    const Material m = readMaterial("{ diffuseColor [ 0.1 0.2 0.3, 0.4 0.5 0.6 ] transparency 0.1 }");
    expectColour(m.baseDiffuse(), 0.1f, 0.2f, 0.3f);
    EXPECT_FLOAT_EQ(m.baseTransparency(), 0.1f);
}

TEST(MaterialReader, RefusesNumbersThatAreNotFinite) {
    const Material m = readMaterial("{ diffuseColor nan inf 1e999 transparency -nan }");
    expectColour(m.baseDiffuse(), 0.8f, 0.8f, 0.8f);
    EXPECT_FLOAT_EQ(m.baseTransparency(), 0.0f);
}

TEST(MaterialReader, EndsBeforeAKeywordThatIsNotAMaterialField) {
    const std::string text = "{ diffuseColor 1 0 0 Shape { }";
    const char* after = nullptr;
    readMaterial(text, &after);
    EXPECT_EQ(std::string(after).rfind("Shape", 0), 0u);
}

TEST(MaterialReader, ReturnsAfterItsClosingBrace) {
    const std::string text = "{ diffuseColor 1 0 0 } texture";
    const char* after = nullptr;
    readMaterial(text, &after);
    EXPECT_EQ(std::string(after), " texture");
}

TEST(MaterialWriter, WritesOnlyTheBracesForDefaults) {
    std::string out;
    Material().writeText(out);
    EXPECT_EQ(out, "\n    material Material {\n    }");
}

TEST(MaterialWriter, WritesBaseValuesThatDifferFromTheDefaults) {
    Material m;
    m.setBaseDiffuse({1, 0.5f, 0});
    m.setBaseTransparency(0.25f);
    m.setDiffuse({0, 0, 0});  // current values are not written
    std::string out;
    m.writeText(out);
    EXPECT_EQ(out,
              "\n    material Material {\n      diffuseColor 1.000 0.500 0.000\n      transparency 0.250000"
              "\n    }");
}

TEST(MaterialWriter, WritesWhatReadsBackToTheSameMaterial) {
    Material m;
    m.setBaseDiffuse({0.1f, 0.2f, 0.3f});
    m.setBaseSpecular({0.5f, 0.5f, 0.5f});
    m.setBaseEmissive({0, 0.25f, 0});
    m.setBaseAmbientIntensity(0.5f);
    m.setBaseShininess(0.9f);
    m.setBaseTransparency(0.3f);
    std::string out;
    m.writeText(out);
    const Material back = readMaterial(out.substr(out.find('{')));
    EXPECT_TRUE(back.equals(m));
    EXPECT_FLOAT_EQ(back.baseShininess(), 0.9f);
    EXPECT_FLOAT_EQ(back.baseAmbientIntensity(), 0.5f);
}

TEST(Material, RestoresBaseValuesForNegativeSettings) {
    Material m;
    m.setBaseTransparency(0.2f);
    m.setTransparency(0.9f);
    m.setDiffuse({1, 0, 0});
    EXPECT_FLOAT_EQ(m.transparency(), 0.9f);
    m.setTransparency(-1);
    m.setDiffuse({-1, 0, 0});
    EXPECT_FLOAT_EQ(m.transparency(), 0.2f);
    expectColour(m.diffuse(), 0.8f, 0.8f, 0.8f);
}

TEST(Material, CommitsAndRestores) {
    Material m;
    m.setDiffuse({1, 0, 0});
    m.restoreOriginal();
    expectColour(m.diffuse(), 0.8f, 0.8f, 0.8f);
    m.setDiffuse({1, 0, 0});
    m.commit();
    m.restoreOriginal();
    expectColour(m.diffuse(), 1, 0, 0);
}

TEST(Material, BlendsBetweenTwoMaterialsWithAClampedFactor) {
    Material a, b, m;
    a.setDiffuse({0, 0, 0});
    b.setDiffuse({1, 1, 1});
    b.setTransparency(1);
    m.blend(a, b, 0.25f);
    expectColour(m.diffuse(), 0.25f, 0.25f, 0.25f);
    EXPECT_FLOAT_EQ(m.transparency(), 0.25f);
    m.blend(a, b, 7);
    expectColour(m.diffuse(), 1, 1, 1);
}

TEST(MaterialChange, ScalesAColourDirectionByTheCurrentBrightness) {
    Material m;
    m.setDiffuse({0.6f, 0.3f, 0.3f});
    MaterialChange change;
    change.setColorDirection({0, 0, 1});
    m.applyChange(change, false);
    expectColour(m.diffuse(), 0, 0, 0.6f);
    expectColour(m.baseDiffuse(), 0.8f, 0.8f, 0.8f);
}

TEST(MaterialChange, MakesPermanentChangesTheBaseValues) {
    Material m;
    MaterialChange change;
    change.setColorDirection({2, 0, 0});
    change.diffuseIntensity = 0.5f;
    change.transparency = 0.4f;
    m.applyChange(change, true);
    expectColour(m.baseDiffuse(), 0.5f, 0, 0);
    EXPECT_FLOAT_EQ(m.baseTransparency(), 0.4f);
}

TEST(MaterialChange, RestoresWhatMinusOneNames) {
    Material m;
    m.setBaseSpecular({0.3f, 0.3f, 0.3f});
    m.setSpecular({1, 1, 1});
    m.setTransparency(0.7f);
    m.setDiffuse({0.1f, 0.1f, 0.1f});
    MaterialChange change;
    change.specular = MaterialChange::kRestore;
    change.transparency = MaterialChange::kRestore;
    change.setColorDirection({-1, -1, -1});
    change.diffuseIntensity = MaterialChange::kRestore;
    m.applyChange(change, false);
    expectColour(m.specular(), 0.3f, 0.3f, 0.3f);
    EXPECT_FLOAT_EQ(m.transparency(), 0);
    expectColour(m.diffuse(), 0.8f, 0.8f, 0.8f);
}

TEST(MaterialChange, LeavesEverythingWithTheDefaultRecord) {
    Material m;
    m.setDiffuse({0.2f, 0.4f, 0.6f});
    m.setEmissive({0.1f, 0, 0});
    m.applyChange(MaterialChange{}, false);
    expectColour(m.diffuse(), 0.2f, 0.4f, 0.6f);
    expectColour(m.emissive(), 0.1f, 0, 0);
}

TEST(MaterialChange, BlendsTowardsTheChangedMaterial) {
    Material m;
    m.setDiffuse({0, 0, 1});
    MaterialChange change;
    change.setColorDirection({1, 0, 0});
    change.diffuseIntensity = 1;
    change.blendFactor = 0.5f;
    m.applyChange(change, false);
    expectColour(m.diffuse(), 0.5f, 0, 0.5f);
}

TEST(MaterialChange, ReplacesADirectionWithoutPositiveComponentByWhite) {
    MaterialChange change;
    change.setColorDirection({0, 0, 0});
    expectColour(change.colourDirection, 1, 1, 1);
    change.setColorDirection({0.2f, 0.4f, 0.1f});
    expectColour(change.colourDirection, 0.5f, 1, 0.25f);
}

TEST(MaterialCache, SendsOnlyValuesThatChanged) {
    MaterialCache cache;
    Material m;
    EXPECT_EQ(cache.update(MaterialValues::of(m)), 31u);
    EXPECT_EQ(cache.update(MaterialValues::of(m)), 0u);
    m.setDiffuse({1, 0, 0});
    EXPECT_EQ(cache.update(MaterialValues::of(m)), MaterialCache::kDiffuse | MaterialCache::kAmbient);
    m.setTransparency(0.5f);
    // Alpha travels with the diffuse, emissive and specular colours.
    EXPECT_EQ(cache.update(MaterialValues::of(m)),
              MaterialCache::kDiffuse | MaterialCache::kEmission | MaterialCache::kSpecular);
    cache.reset();
    EXPECT_EQ(cache.update(MaterialValues::of(m)), 31u);
}

TEST(MaterialCache, SendsAmbientAsIntensityTimesDiffuseAndShininessTimes128) {
    Material m;
    m.setDiffuse({0.5f, 1, 0});
    m.setAmbientIntensity(0.5f);
    m.setShininess(0.25f);
    const MaterialValues v = MaterialValues::of(m);
    EXPECT_FLOAT_EQ(v.ambient[0], 0.25f);
    EXPECT_FLOAT_EQ(v.ambient[1], 0.5f);
    EXPECT_FLOAT_EQ(v.ambient[3], 1);
    EXPECT_FLOAT_EQ(v.shininess, 32);
}

}  // namespace
}  // namespace kinemo
