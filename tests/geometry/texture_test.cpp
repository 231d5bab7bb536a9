#include "geometry/texture.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geometry/appearance.h"
#include "geometry/binary_io.h"
#include "geometry/image_list.h"
#include "geometry/image_settings.h"
#include "geometry/texture_table.h"
#include "image_test_support.h"
#include "scene/def_registry.h"
#include "scene/reading_state.h"

namespace kinemo {
namespace {

using testing::geometryData;

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetReadingState();
        defRegistry().clear();
        imageReadContext() = ImageReadContext{};
        imageReadContext().documentDirectory = geometryData("");
        imageList().clear();
    }
    void TearDown() override {
        resetReadingState();
        defRegistry().clear();
        imageReadContext() = ImageReadContext{};
        imageList().clear();
    }
    template <class T>
    const char* read(T& object, const std::string& text) {
        text_ = text;
        return object.readFromString(text_.c_str(), text_.c_str() + text_.size());
    }
    std::string text_;
};

TEST_F(TextureTest, LoadsTheImageNamedByItsUrlAndKeepsTheNameAsWritten) {
    Texture t;
    const char* after = read(t, " ImageTexture { url [ \"grey_16x9.jpg\" ] repeatS FALSE } next");
    EXPECT_TRUE(t.loaded());
    EXPECT_EQ(t.fileName(), "grey_16x9.jpg");
    EXPECT_FALSE(t.repeatS());
    EXPECT_TRUE(t.repeatT());
    EXPECT_EQ(std::string(after), " next");
    ASSERT_NE(t.image(), nullptr);
    EXPECT_EQ(t.image()->width(), 16);
}

TEST_F(TextureTest, ReadsVrml1FilenamesAndWrapWords) {
    Texture t;
    read(t, "{ filename \"sub\\\\none.jpg\" wrapS CLAMP wrapT REPEAT }");
    EXPECT_EQ(t.fileName(), "sub\\\\none.jpg");
    EXPECT_FALSE(t.loaded());
    EXPECT_FALSE(t.repeatS());
    EXPECT_TRUE(t.repeatT());
}

TEST_F(TextureTest, TakesNullAsNoTexture) {
    Texture t;
    const char* after = read(t, " NULL\n appearance");
    EXPECT_FALSE(t.loaded());
    EXPECT_EQ(std::string(after), "\n appearance");
}

TEST_F(TextureTest, ReadsAPixelTextureImage) {
    Texture t;
    read(t, " PixelTexture { image 2 1 3 0xFF0000 0x00FF00 repeatT FALSE }");
    ASSERT_TRUE(t.loaded());
    EXPECT_EQ(t.fileName(), "");
    EXPECT_EQ(t.image()->pixels().size(), 2u);
    EXPECT_FALSE(t.repeatT());
}

TEST_F(TextureTest, ComputesTheTextureMatrix) {
    Texture t;
    t.setTransform({0.5f, 0.5f}, {0.25f, 0}, {2, 1}, static_cast<float>(M_PI / 2));
    const auto& m = t.matrix();
    EXPECT_NEAR(m[0], 0, 1e-6);
    EXPECT_NEAR(m[1], -2, 1e-6);
    EXPECT_NEAR(m[3], 1, 1e-6);
    EXPECT_NEAR(m[4], 0, 1e-6);
    EXPECT_NEAR(m[2], 0.75f * m[0] + 0.5f * m[1] - 0.5f, 1e-6);
    EXPECT_NEAR(m[5], 0.75f * m[3] + 0.5f * m[4] - 0.5f, 1e-6);
    const float in[2] = {1, 0};
    float out[2];
    t.transformTexCoords(in, out);
    EXPECT_NEAR(out[0], m[0] + m[2], 1e-6);
    EXPECT_NEAR(out[1], m[3] + m[5], 1e-6);
    EXPECT_FALSE(t.isIdentityTransform());
    EXPECT_TRUE(Texture().isIdentityTransform());
}

TEST_F(TextureTest, ReadsATextureTransform) {
    Texture t;
    text_ = "{ center 1 2 rotation 0.5 translation 3 4 scale 5 6 } rest";
    const char* after = t.readTransformFromString(text_.c_str(), text_.c_str() + text_.size());
    EXPECT_EQ(std::string(after), " rest");
    Texture expected;
    expected.setTransform({1, 2}, {3, 4}, {5, 6}, 0.5f);
    EXPECT_EQ(t.matrix(), expected.matrix());
}

TEST_F(TextureTest, WritesAnImageTextureWithItsTransform) {
    Texture t;
    t.setFileName("Materials\\wood.jpg");
    t.setRepeat(true, false);
    t.setEnvMap(true);
    t.setTransform({0, 0}, {0.5f, 0}, {1, 1}, 0);
    std::string out;
    t.writeText(out);
    EXPECT_EQ(out,
              "\n    texture ImageTexture {\n      repeatS TRUE\n      repeatT FALSE\n#    envMap"
              "\n      url \"Materials\\wood.jpg\"\n    }\n  textureTransform TextureTransform {"
              "\n    translation 0.500000 0.000000 \n  }");
}

TEST_F(TextureTest, WritesPixelTexturesThatReadBackWithTheSameWords) {
    setFileVersion(8.09f);
    Texture t;
    read(t, " PixelTexture { image 2 1 3 0xff0000 0x00ff00 }");
    std::string out;
    t.writeText(out);
    EXPECT_EQ(out,
              "\n    texture PixelTexture {\n      image 2 1 3\n    0xff0000 0xff00\n      repeatS TRUE"
              "\n      repeatT TRUE\n    }");
    Texture back;
    read(back, out.substr(out.find("PixelTexture")));
    EXPECT_EQ(back.image()->pixels(), t.image()->pixels());
}

TEST_F(TextureTest, CarriesItsImageInsideTheTextureBodyInBinaryDocuments) {
    Texture t;
    read(t, "{ url \"rgb_37x23.jpg\" }");
    ASSERT_TRUE(t.loaded());
    std::string out;
    {
        BinaryWriteModeScope binary(true);
        t.writeText(out);
    }
    // Read where the image file is not: the inline record must supply it.
    imageList().clear();
    imageReadContext().documentDirectory = "/nonexistent/";
    Texture back;
    read(back, out.substr(out.find("ImageTexture")));
    ASSERT_TRUE(back.loaded());
    EXPECT_EQ(back.fileName(), "rgb_37x23.jpg");
    EXPECT_EQ(back.image()->pixels(), t.image()->pixels());
}

TEST_F(TextureTest, CarriesEachImageOncePerSavePass) {
    Texture first, second;
    read(first, "{ url \"grey_16x9.jpg\" }");
    read(second, "{ url \"grey_16x9.jpg\" }");
    ASSERT_EQ(first.image(), second.image());
    const auto records = [&] {
        std::string out;
        BinaryWriteModeScope binary(true);
        first.writeText(out);
        second.writeText(out);
        std::size_t count = 0;
        for (std::size_t at = out.find("<ImageData>"); at != std::string::npos; at = out.find("<ImageData>", at + 1)) {
            ++count;
        }
        return count;
    };
    beginImageWritePass();
    EXPECT_EQ(records(), 1u);
    beginImageWritePass();
    EXPECT_EQ(records(), 1u) << "a new save writes the record again";
}

class AppearanceTest : public TextureTest {};

TEST_F(AppearanceTest, ReadsMaterialTextureAndTransform) {
    Appearance a;
    const char* after = read(a,
                             " { material Material { diffuseColor 1 0 0 }\n"
                             "   texture ImageTexture { url \"grey_16x9.jpg\" }\n"
                             "   textureTransform TextureTransform { scale 2 2 } }\n geometry");
    EXPECT_EQ(std::string(after), "\n geometry");
    EXPECT_FLOAT_EQ(a.material().baseDiffuse()[1], 0);
    ASSERT_NE(a.texture(), nullptr);
    EXPECT_FLOAT_EQ(a.texture()->matrix()[0], 2);
}

TEST_F(AppearanceTest, ACopyIsWrittenWithTheColourAsRead) {
    Appearance a;
    read(a, " { material Material { diffuseColor 0.85 0.65 0.2 } } geometry");
    Appearance copy;
    copy.copyFrom(a);
    EXPECT_FLOAT_EQ(copy.material().baseDiffuse()[0], 0.85f);
    std::string original, copied;
    a.writeText(original);
    copy.writeText(copied);
    EXPECT_EQ(copied, original);
}

TEST_F(AppearanceTest, DropsATextureWithoutImage) {
    Appearance a;
    read(a, "{ texture ImageTexture { url \"missing.jpg\" } }");
    EXPECT_EQ(a.texture(), nullptr);
}

TEST_F(AppearanceTest, CopiesAMaterialNamedByUse) {
    Appearance first;
    read(first, "{ material DEF Red Material { diffuseColor 1 0 0 } }");
    Appearance second;
    read(second, "{ material USE Red }");
    EXPECT_FLOAT_EQ(second.material().diffuse()[0], 1);
    EXPECT_FLOAT_EQ(second.material().diffuse()[1], 0);
}

TEST_F(AppearanceTest, LeavesNoDefEntryBehindWhenTheNamedMaterialGoesAway) {
    {
        Appearance first;
        read(first, "{ material DEF Gone Material { diffuseColor 1 0 0 } }");
    }
    Appearance second;
    read(second, "{ material USE Gone }");
    EXPECT_FLOAT_EQ(second.material().diffuse()[1], 0.8f);
}

TEST_F(AppearanceTest, TakesTheEmissiveColourOfSolidworksFilesAsDiffuse) {
    readingState().cadSource = CadSource::Solidworks;
    Appearance a;
    read(a, "{ material Material { emissiveColor 1 0 0 } }");
    EXPECT_FLOAT_EQ(a.material().diffuse()[0], 1);
    EXPECT_FLOAT_EQ(a.material().diffuse()[1], 0);
    EXPECT_FLOAT_EQ(a.material().emissive()[0], 0);
}

TEST_F(AppearanceTest, WritesAppearanceTextThatReadsBack) {
    Appearance a;
    read(a, "{ material Material { transparency 0.5 } texture ImageTexture { url \"grey_16x9.jpg\" } }");
    std::string out;
    a.writeText(out);
    EXPECT_EQ(out.rfind("\n  appearance Appearance {\n    material Material {", 0), 0u);
    Appearance back;
    read(back, out.substr(out.find('{')));
    EXPECT_TRUE(back.material().equals(a.material()));
    ASSERT_NE(back.texture(), nullptr);
    EXPECT_EQ(back.texture()->image(), a.texture()->image());
}

TEST_F(AppearanceTest, CopiesCurrentMaterialValuesAndTheTexture) {
    Appearance a;
    read(a, "{ texture PixelTexture { image 1 1 3 0x1 } }");
    a.material().setDiffuse({0, 1, 0});
    Appearance b;
    b.copyFrom(a);
    EXPECT_FLOAT_EQ(b.material().diffuse()[1], 1);
    ASSERT_NE(b.texture(), nullptr);
    EXPECT_EQ(b.texture()->image(), a.texture()->image());
}

std::vector<std::uint32_t> generated;
void countingGenerator(std::vector<std::uint32_t>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = static_cast<std::uint32_t>(100 + i);
    generated = names;
}

TEST(TextureTable, SharesOneNamePerImageObject) {
    TextureTable table;
    auto image = std::make_shared<ImageImpl>();
    image->makePlaceholder();
    const auto first = table.acquire(image, false, 10, countingGenerator);
    EXPECT_TRUE(first.fresh);
    EXPECT_EQ(generated.size(), 9u);
    const auto again = table.acquire(image, false, 10, countingGenerator);
    EXPECT_FALSE(again.fresh);
    EXPECT_EQ(again.name, first.name);
}

TEST(TextureTable, KeepsEqualSizedPixelTexturesApart) {
    TextureTable table;
    auto a = std::make_shared<ImageImpl>();
    auto b = std::make_shared<ImageImpl>();
    a->makePlaceholder();
    b->makePlaceholder();
    EXPECT_NE(table.acquire(a, false, 10, countingGenerator).name, table.acquire(b, false, 10, countingGenerator).name);
}

TEST(TextureTable, RefusesTheThirdImageWithMaxNumTextureThree) {
    TextureTable table;
    std::vector<std::shared_ptr<ImageImpl>> images(3);
    for (auto& i : images) i = std::make_shared<ImageImpl>();
    EXPECT_GT(table.acquire(images[0], false, 3, countingGenerator).name, 0);
    EXPECT_GT(table.acquire(images[1], false, 3, countingGenerator).name, 0);
    EXPECT_EQ(table.acquire(images[2], false, 3, countingGenerator).name, -2);
}

TEST(TextureTable, ReleasesNamesOfImagesNoLongerShown) {
    TextureTable table;
    auto kept = std::make_shared<ImageImpl>();
    auto dropped = std::make_shared<ImageImpl>();
    table.acquire(kept, false, 10, countingGenerator);
    const auto droppedName = table.acquire(dropped, false, 10, countingGenerator).name;
    dropped.reset();
    std::vector<std::uint32_t> deleted;
    table.compact([&](const std::vector<std::uint32_t>& names) { deleted = names; });
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(static_cast<std::int32_t>(deleted[0]), droppedName);
    EXPECT_EQ(table.entryCount(), 1u);
}

}  // namespace
}  // namespace kinemo
