#include "scene/matchers.h"

#include <array>
#include <initializer_list>
#include <mutex>

namespace kinemo {
namespace {

using Group = std::initializer_list<Keyword>;

const Group kBrackets{kw::OpenBrace, kw::CloseBrace, kw::OpenBracket, kw::CloseBracket};

const Group kHeader{kw::hashKinemo,          kw::hashOrvandel,
                    kw::hashVRML,            kw::hashKINEMML,
                    kw::hashInventor,        kw::hashRequiresProgramVersion,
                    kw::Background,          kw::DirectionalLight,
                    kw::commentKmxDefinition, kw::commentAnimations,
                    kw::commentDefViewpoint, kw::Fog,
                    kw::hashCreationDate,    kw::kmxMetaInfo,
                    kw::kmxMetaInfoEnd};

const Group kNodeTypes{kw::Shape,
                       kw::DEF,
                       kw::Separator,
                       kw::Transform,
                       kw::transform,
                       kw::USE,
                       kw::Viewpoint,
                       kw::Inline,
                       kw::actors,
                       kw::MatrixTransform,
                       kw::PerspectiveCamera,
                       kw::Texture2,
                       kw::Coordinate3,
                       kw::Normal,
                       kw::Box,
                       kw::Cube,
                       kw::Sphere,
                       kw::Cylinder,
                       kw::Extrusion,
                       kw::Cone,
                       kw::ElevationGrid,
                       kw::LOD,
                       kw::range,
                       kw::Group,
                       kw::NormalBinding,
                       kw::MaterialBinding,
                       kw::IndexedFaceSet,
                       kw::KvxChildren,
                       kw::KvxChEnd,
                       kw::IndexedLineSet,
                       kw::WWWInline,
                       kw::WWWAnchor,
                       kw::IndexedTriangleStripSet,
                       kw::PER_PART,
                       kw::PER_PART_INDEXED,
                       kw::PER_FACE,
                       kw::PER_FACE_INDEXED,
                       kw::PER_VERTEX,
                       kw::PER_VERTEX_INDEXED,
                       kw::OVERALL,
                       kw::DEFAULT,
                       kw::Anchor,
                       kw::AudioClip,
                       kw::Billboard,
                       kw::Collision,
                       kw::FontStyle,
                       kw::MovieTexture,
                       kw::NavigationInfo,
                       kw::PixelTexture,
                       kw::ImageTexture,
                       kw::PointLight,
                       kw::PointSet,
                       kw::Sound,
                       kw::SpotLight,
                       kw::headlight,
                       kw::commentKmxFaceShapeCoupler,
                       kw::ImageData};

// "scaleOrientation " is written with every transform, so it has to be found when read back.
const Group kTransformFields{kw::hashName, kw::translation, kw::rotation, kw::center,      kw::matrix,
                             kw::children, kw::level,       kw::Translation, kw::Rotation, kw::Scale,
                             kw::scaleFactor, kw::scale,    kw::scaleOrientation};

const Group kBoxFields{kw::height, kw::width, kw::depth};

const Group kGeometryFields{kw::point,
                            kw::vector,
                            kw::coordIndex,
                            kw::normalIndex,
                            kw::creaseAngle,
                            kw::normalPerVertex,
                            kw::Appearance,
                            kw::texCoord,
                            kw::TextureCoordinate,
                            kw::TextureCoordinate2,
                            kw::textureCoordIndex,
                            kw::texCoordIndex,
                            kw::numVertices,
                            kw::size,
                            kw::radius,
                            kw::beginCap,
                            kw::crossSection,
                            kw::endCap,
                            kw::spine,
                            kw::bottomRadius,
                            kw::side,
                            kw::bottom,
                            kw::top,
                            kw::xDimension,
                            kw::xSpacing,
                            kw::zDimension,
                            kw::zSpacing,
                            kw::colorPerVertex,
                            kw::orientation,
                            kw::solid,
                            kw::ccw,
                            kw::colorIndex,
                            kw::color,
                            kw::commentKmxTextArea,
                            kw::BOTTOM,
                            kw::SIDES,
                            kw::TOP,
                            kw::ALL};

const Group kMaterialFields{kw::Material,     kw::texture,          kw::TextureTransform, kw::diffuseColor,
                            kw::transparency, kw::specularColor,    kw::ambientColor,     kw::ambientIntensity,
                            kw::shininess,    kw::emissiveColor};

const Group kTextureFields{kw::repeatS,    kw::repeatT,  kw::url,   kw::wrapS, kw::wrapT,
                           kw::hashEnvMap, kw::filename, kw::image, kw::NULL_};

const Group kName{kw::name};
const Group kSky{kw::skyColor};
const Group kLightFields{kw::direction, kw::color, kw::intensity, kw::ambientIntensity};
const Group kScale{kw::scale};
const Group kViewpointFields{kw::description, kw::position};
const Group kVrml1Fields{kw::parts,  kw::materialIndex,  kw::Texture2Transform, kw::Material,
                         kw::vertex, kw::vertexProperty, kw::hashDateSolidworks};
// The elevation grid reads its heights, which the geometry fields lack.
const Group kElevationGridFields{kw::height};

const Group kAnimation{kw::actionNewGroup, kw::animGroupEnd,    kw::actionAppear,  kw::actionDisappear,
                       kw::actionStop,     kw::actionPause,     kw::actionPosition, kw::actionMove,
                       kw::actionViewpoint, kw::actionColor,    kw::actionLight,   kw::actionAnimRef,
                       kw::actionShapeParameter};

const Group kTextMarkup{kw::kmxTextEnd, kw::kmxLanguage, kw::kmxLanguageEnd, kw::ImageData};

const Group kDefinitions{kw::kmxCompanyLogo,  kw::kmxCompanyLogoEnd, kw::kmxMachineLogo,     kw::kmxMachineLogoEnd,
                         kw::kmxHighestIndex, kw::ImageData,         kw::kmxChapterIconSize, kw::kmxChapterIconSizeEnd};

const Group kRichTextObjects{kw::kmxOleObject,  kw::kmxOleObjectEnd,  kw::kmxMetaCircle,
                             kw::kmxMetaCircleEnd, kw::kmxMetaSquare, kw::kmxMetaSquareEnd};
const Group kParagraph{kw::kmxParagraph, kw::kmxParagraphEnd};
const Group kFont{kw::kmxFont, kw::kmxFontEnd};

constexpr char kWhiteSpace[] = " \n\r\t";

struct Matchers {
    KeyWordMatcher header{true};
    KeyWordMatcher group{true};
    KeyWordMatcher separator{true};
    KeyWordMatcher transform{true};
    KeyWordMatcher lod{true};
    KeyWordMatcher faceSet{true};
    KeyWordMatcher elevationGrid{true};
    KeyWordMatcher extrusion{true};
    KeyWordMatcher appearance{true};
    KeyWordMatcher texture{true};
    KeyWordMatcher light{true};
    KeyWordMatcher viewpoint{true};
    KeyWordMatcher navigation{true};
    KeyWordMatcher animation{false};
    KeyWordMatcher text{false};
    KeyWordMatcher definitions{false};
    KeyWordMatcher richTextObject{false};
    KeyWordMatcher paragraph{false};
    KeyWordMatcher font{false};
    std::array<NamedMatcher, 19> named{{
        {"headerMatcher", &header},
        {"groupMatcher", &group},
        {"separatorMatcher", &separator},
        {"transformMatcher", &transform},
        {"lodMatcher", &lod},
        {"faceSetMatcher", &faceSet},
        {"elevationGridMatcher", &elevationGrid},
        {"extrusionMatcher", &extrusion},
        {"appearanceMatcher", &appearance},
        {"textureMatcher", &texture},
        {"lightMatcher", &light},
        {"viewpointMatcher", &viewpoint},
        {"navigationMatcher", &navigation},
        {"animationMatcher", &animation},
        {"textMatcher", &text},
        {"definitionsMatcher", &definitions},
        {"richTextObjectMatcher", &richTextObject},
        {"paragraphMatcher", &paragraph},
        {"fontMatcher", &font},
    }};
};

void fill(KeyWordMatcher& m, bool whiteSpace, std::initializer_list<Group> groups) {
    if (whiteSpace) m.addEquivalence(kWhiteSpace);
    for (const Group& g : groups) {
        for (Keyword k : g) m.addKeyword(k);
    }
}

void fillAll(Matchers& m) {
    fill(m.header, true, {kNodeTypes, kHeader});
    fill(m.group, true,
         {kNodeTypes, kName, kTextureFields, kMaterialFields, kGeometryFields, kTransformFields, kHeader, kBrackets});
    fill(m.separator, true, {kNodeTypes, kBrackets, kHeader, kTransformFields});
    fill(m.transform, true,
         {kNodeTypes, kBrackets, kHeader, kTransformFields, kGeometryFields, kVrml1Fields, kBoxFields});
    fill(m.lod, true, {kNodeTypes, kTransformFields, kBrackets, kHeader, kGeometryFields});
    fill(m.faceSet, true, {kGeometryFields, kBrackets, kNodeTypes, kHeader, kBoxFields});
    fill(m.elevationGrid, true, {kNodeTypes, kBrackets, kGeometryFields, kElevationGridFields});
    fill(m.extrusion, true, {kGeometryFields, kBrackets, kNodeTypes, kHeader, kScale});
    fill(m.appearance, true, {kNodeTypes, kMaterialFields, kBrackets, kTransformFields, kHeader});
    fill(m.texture, true,
         {kNodeTypes, kTextureFields, kBrackets, kTransformFields, kMaterialFields, kGeometryFields, kHeader});
    fill(m.light, true, {kNodeTypes, kLightFields, kBrackets});
    fill(m.viewpoint, true, {kNodeTypes, kViewpointFields, kBrackets, kGeometryFields, kTransformFields, kHeader});
    fill(m.navigation, true, {kNodeTypes, kSky, kBrackets, kGeometryFields});
    fill(m.animation, true, {kAnimation});
    fill(m.text, false, {kTextMarkup});
    fill(m.definitions, false, {kDefinitions});
    fill(m.richTextObject, false, {kRichTextObjects});
    fill(m.paragraph, false, {kParagraph});
    fill(m.font, false, {kFont});
}

Matchers& matchers() {
    static std::once_flag once;
    static Matchers* instance = nullptr;
    std::call_once(once, [] {
        static Matchers m;
        fillAll(m);
        instance = &m;
    });
    return *instance;
}

}  // namespace

KeyWordMatcher& headerMatcher() { return matchers().header; }
KeyWordMatcher& groupMatcher() { return matchers().group; }
KeyWordMatcher& separatorMatcher() { return matchers().separator; }
KeyWordMatcher& transformMatcher() { return matchers().transform; }
KeyWordMatcher& lodMatcher() { return matchers().lod; }
KeyWordMatcher& faceSetMatcher() { return matchers().faceSet; }
KeyWordMatcher& elevationGridMatcher() { return matchers().elevationGrid; }
KeyWordMatcher& extrusionMatcher() { return matchers().extrusion; }
KeyWordMatcher& appearanceMatcher() { return matchers().appearance; }
KeyWordMatcher& textureMatcher() { return matchers().texture; }
KeyWordMatcher& lightMatcher() { return matchers().light; }
KeyWordMatcher& viewpointMatcher() { return matchers().viewpoint; }
KeyWordMatcher& navigationMatcher() { return matchers().navigation; }
KeyWordMatcher& animationMatcher() { return matchers().animation; }
KeyWordMatcher& textMatcher() { return matchers().text; }
KeyWordMatcher& definitionsMatcher() { return matchers().definitions; }
KeyWordMatcher& richTextObjectMatcher() { return matchers().richTextObject; }
KeyWordMatcher& paragraphMatcher() { return matchers().paragraph; }
KeyWordMatcher& fontMatcher() { return matchers().font; }

std::span<const NamedMatcher> allMatchers() { return matchers().named; }

}  // namespace kinemo
