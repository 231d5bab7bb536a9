#include "scene/keywords.h"

#include <array>

namespace kinemo {
namespace kw {

const char EndOfString[] = "End Of String";
const char OpenBrace[] = "{";
const char CloseBrace[] = "}";
const char OpenBracket[] = "[";
const char CloseBracket[] = "]";
const char Hash[] = "#";
const char hashKinemo[] = "#Kinemo";
const char hashOrvandel[] = "#Orvandel";
const char hashVRML[] = "#VRML";
const char hashKINEMML[] = "#KINEMML";
const char hashInventor[] = "#Inventor";
const char hashRequiresProgramVersion[] = "#RequiresProgramVersion";
const char Background[] = "Background";
const char DirectionalLight[] = "DirectionalLight";
const char commentKmxDefinition[] = "# <kmxDEFINITION";
const char commentAnimations[] = "# ANIMATIONS";
const char commentDefViewpoint[] = "# [DEF>>VIEWPOINT]";
const char Fog[] = "Fog ";
const char hashCreationDate[] = "#CreationDate ";
const char kmxMetaInfo[] = "<kmxMETA_INFO>";
const char kmxMetaInfoEnd[] = "</kmxMETA_INFO>";
const char Shape[] = "Shape ";
const char DEF[] = "DEF ";
const char Separator[] = "Separator";
const char Transform[] = "Transform";
const char transform[] = "transform";
const char USE[] = "USE ";
const char Viewpoint[] = "Viewpoint";
const char Inline[] = "Inline";
const char actors[] = "actors";
const char MatrixTransform[] = "MatrixTransform";
const char PerspectiveCamera[] = "PerspectiveCamera";
const char Texture2[] = "Texture2 ";
const char Coordinate3[] = "Coordinate3";
const char Normal[] = "Normal ";
const char Box[] = "Box ";
const char Cube[] = "Cube ";
const char Sphere[] = "Sphere ";
const char Cylinder[] = "Cylinder ";
const char Extrusion[] = "Extrusion ";
const char Cone[] = "Cone ";
const char ElevationGrid[] = "ElevationGrid ";
const char LOD[] = "LOD ";
const char range[] = "range ";
const char Group[] = "Group ";
const char NormalBinding[] = "NormalBinding";
const char MaterialBinding[] = "MaterialBinding";
const char IndexedFaceSet[] = "IndexedFaceSet ";
const char KvxChildren[] = "KvxChildren ";
const char KvxChEnd[] = "KvxChEnd";
const char IndexedLineSet[] = "IndexedLineSet ";
const char WWWInline[] = "WWWInline ";
const char WWWAnchor[] = "WWWAnchor ";
const char IndexedTriangleStripSet[] = "IndexedTriangleStripSet ";
const char PER_PART[] = "PER_PART ";
const char PER_PART_INDEXED[] = "PER_PART_INDEXED";
const char PER_FACE[] = "PER_FACE ";
const char PER_FACE_INDEXED[] = "PER_FACE_INDEXED";
const char PER_VERTEX[] = "PER_VERTEX ";
const char PER_VERTEX_INDEXED[] = "PER_VERTEX_INDEXED";
const char OVERALL[] = "OVERALL ";
const char DEFAULT[] = "DEFAULT ";
const char Anchor[] = "Anchor ";
const char AudioClip[] = "AudioClip ";
const char Billboard[] = "Billboard ";
const char Collision[] = "Collision ";
const char FontStyle[] = "FontStyle ";
const char MovieTexture[] = "MovieTexture ";
const char NavigationInfo[] = "NavigationInfo ";
const char PixelTexture[] = "PixelTexture ";
const char ImageTexture[] = "ImageTexture ";
const char PointLight[] = "PointLight ";
const char PointSet[] = "PointSet ";
const char Sound[] = "Sound ";
const char SpotLight[] = "SpotLight ";
const char headlight[] = "headlight ";
const char commentKmxFaceShapeCoupler[] = "# <kmxFACE_SHAPE_COUPLER";
const char ImageData[] = "<ImageData>";
const char hashName[] = "#name";
const char translation[] = "translation";
const char rotation[] = "rotation";
const char center[] = "center";
const char matrix[] = "matrix";
const char children[] = "children";
const char level[] = "level ";
const char Translation[] = "Translation ";
const char Rotation[] = "Rotation ";
const char Scale[] = "Scale ";
const char scaleFactor[] = "scaleFactor ";
const char scale[] = "scale ";
const char scaleOrientation[] = "scaleOrientation ";
const char height[] = "height ";
const char width[] = "width ";
const char depth[] = "depth ";
const char point[] = "point ";
const char vector[] = "vector ";
const char coordIndex[] = "coordIndex";
const char normalIndex[] = "normalIndex";
const char creaseAngle[] = "creaseAngle";
const char normalPerVertex[] = "normalPerVertex ";
const char Appearance[] = "Appearance";
const char texCoord[] = "texCoord ";
const char TextureCoordinate[] = "TextureCoordinate ";
const char TextureCoordinate2[] = "TextureCoordinate2 ";
const char textureCoordIndex[] = "textureCoordIndex";
const char texCoordIndex[] = "texCoordIndex";
const char numVertices[] = "numVertices";
const char size[] = "size ";
const char radius[] = "radius ";
const char beginCap[] = "beginCap";
const char crossSection[] = "crossSection ";
const char endCap[] = "endCap";
const char spine[] = "spine ";
const char bottomRadius[] = "bottomRadius ";
const char side[] = "side ";
const char bottom[] = "bottom ";
const char top[] = "top ";
const char xDimension[] = "xDimension ";
const char xSpacing[] = "xSpacing ";
const char zDimension[] = "zDimension ";
const char zSpacing[] = "zSpacing ";
const char colorPerVertex[] = "colorPerVertex ";
const char orientation[] = "orientation";
const char solid[] = "solid ";
const char ccw[] = "ccw ";
const char colorIndex[] = "colorIndex";
const char color[] = "color ";
const char commentKmxTextArea[] = "# <kmxTEXT_AREA>";
const char BOTTOM[] = "BOTTOM ";
const char SIDES[] = "SIDES ";
const char TOP[] = "TOP ";
const char ALL[] = "ALL ";
const char Material[] = "Material ";
const char texture[] = "texture ";
const char TextureTransform[] = "TextureTransform ";
const char diffuseColor[] = "diffuseColor";
const char transparency[] = "transparency";
const char specularColor[] = "specularColor";
const char ambientColor[] = "ambientColor";
const char ambientIntensity[] = "ambientIntensity";
const char shininess[] = "shininess";
const char emissiveColor[] = "emissiveColor";
const char repeatS[] = "repeatS";
const char repeatT[] = "repeatT";
const char url[] = "url";
const char wrapS[] = "wrapS";
const char wrapT[] = "wrapT";
const char hashEnvMap[] = "#    envMap";
const char filename[] = "filename ";
const char image[] = "image ";
const char NULL_[] = "NULL";
const char name[] = "name ";
const char skyColor[] = "skyColor";
const char direction[] = "direction";
const char intensity[] = "intensity";
const char description[] = "description";
const char position[] = "position";
const char parts[] = "parts ";
const char materialIndex[] = "materialIndex";
const char Texture2Transform[] = "Texture2Transform ";
const char vertex[] = "vertex ";
const char vertexProperty[] = "vertexProperty ";
const char hashDateSolidworks[] = "#date 11 October 1996";
const char actionNewGroup[] = "ACTION>>NEWGROUP";
const char animGroupEnd[] = "ANIMGROUP_END";
const char actionAppear[] = "ACTION>>APPEAR";
const char actionDisappear[] = "ACTION>>DISAPPEAR";
const char actionStop[] = "ACTION>>STOP";
const char actionPause[] = "ACTION>>PAUSE";
const char actionPosition[] = "ACTION>>POSITION";
const char actionMove[] = "ACTION>>MOVE]";
const char actionViewpoint[] = "ACTION>>VIEWPOINT";
const char actionColor[] = "ACTION>>COLOR";
const char actionLight[] = "ACTION>>LIGHT";
const char actionAnimRef[] = "ACTION>>ANIM_REF";
const char actionShapeParameter[] = "ACTION>>SHAPE_PARAMETER";
const char kmxTextEnd[] = "</kmxTEXT>";
const char kmxLanguage[] = "<kmxLANGUAGE";
const char kmxLanguageEnd[] = "</kmxLANGUAGE>";
const char kmxCompanyLogo[] = "<kmxCOMPANY_LOGO>";
const char kmxCompanyLogoEnd[] = "</kmxCOMPANY_LOGO>";
const char kmxMachineLogo[] = "<kmxMACHINE_LOGO>";
const char kmxMachineLogoEnd[] = "</kmxMACHINE_LOGO>";
const char kmxHighestIndex[] = "<kmxHIGHESTINDEX";
const char kmxChapterIconSize[] = "<kmxCHP_ICN_SIZE>";
const char kmxChapterIconSizeEnd[] = "</kmxCHP_ICN_SIZE>";
const char kmxOleObject[] = "<kmxOLE_OBJECT";
const char kmxOleObjectEnd[] = "</kmxOLE_OBJECT>";
const char kmxMetaCircle[] = "<kmxMETA_CIRCLE";
const char kmxMetaCircleEnd[] = "</kmxMETA_CIRCLE>";
const char kmxMetaSquare[] = "<kmxMETA_SQUARE";
const char kmxMetaSquareEnd[] = "</kmxMETA_SQUARE>";
const char kmxParagraph[] = "<kmxPARAGRAPH";
const char kmxParagraphEnd[] = "</kmxPARAGRAPH>";
const char kmxFont[] = "<kmxFONT";
const char kmxFontEnd[] = "</kmxFONT>";

}  // namespace kw

namespace {
const std::array kTable{
    static_cast<Keyword>(kw::EndOfString),
    static_cast<Keyword>(kw::OpenBrace),
    static_cast<Keyword>(kw::CloseBrace),
    static_cast<Keyword>(kw::OpenBracket),
    static_cast<Keyword>(kw::CloseBracket),
    static_cast<Keyword>(kw::Hash),
    static_cast<Keyword>(kw::hashKinemo),
    static_cast<Keyword>(kw::hashOrvandel),
    static_cast<Keyword>(kw::hashVRML),
    static_cast<Keyword>(kw::hashKINEMML),
    static_cast<Keyword>(kw::hashInventor),
    static_cast<Keyword>(kw::hashRequiresProgramVersion),
    static_cast<Keyword>(kw::Background),
    static_cast<Keyword>(kw::DirectionalLight),
    static_cast<Keyword>(kw::commentKmxDefinition),
    static_cast<Keyword>(kw::commentAnimations),
    static_cast<Keyword>(kw::commentDefViewpoint),
    static_cast<Keyword>(kw::Fog),
    static_cast<Keyword>(kw::hashCreationDate),
    static_cast<Keyword>(kw::kmxMetaInfo),
    static_cast<Keyword>(kw::kmxMetaInfoEnd),
    static_cast<Keyword>(kw::Shape),
    static_cast<Keyword>(kw::DEF),
    static_cast<Keyword>(kw::Separator),
    static_cast<Keyword>(kw::Transform),
    static_cast<Keyword>(kw::transform),
    static_cast<Keyword>(kw::USE),
    static_cast<Keyword>(kw::Viewpoint),
    static_cast<Keyword>(kw::Inline),
    static_cast<Keyword>(kw::actors),
    static_cast<Keyword>(kw::MatrixTransform),
    static_cast<Keyword>(kw::PerspectiveCamera),
    static_cast<Keyword>(kw::Texture2),
    static_cast<Keyword>(kw::Coordinate3),
    static_cast<Keyword>(kw::Normal),
    static_cast<Keyword>(kw::Box),
    static_cast<Keyword>(kw::Cube),
    static_cast<Keyword>(kw::Sphere),
    static_cast<Keyword>(kw::Cylinder),
    static_cast<Keyword>(kw::Extrusion),
    static_cast<Keyword>(kw::Cone),
    static_cast<Keyword>(kw::ElevationGrid),
    static_cast<Keyword>(kw::LOD),
    static_cast<Keyword>(kw::range),
    static_cast<Keyword>(kw::Group),
    static_cast<Keyword>(kw::NormalBinding),
    static_cast<Keyword>(kw::MaterialBinding),
    static_cast<Keyword>(kw::IndexedFaceSet),
    static_cast<Keyword>(kw::KvxChildren),
    static_cast<Keyword>(kw::KvxChEnd),
    static_cast<Keyword>(kw::IndexedLineSet),
    static_cast<Keyword>(kw::WWWInline),
    static_cast<Keyword>(kw::WWWAnchor),
    static_cast<Keyword>(kw::IndexedTriangleStripSet),
    static_cast<Keyword>(kw::PER_PART),
    static_cast<Keyword>(kw::PER_PART_INDEXED),
    static_cast<Keyword>(kw::PER_FACE),
    static_cast<Keyword>(kw::PER_FACE_INDEXED),
    static_cast<Keyword>(kw::PER_VERTEX),
    static_cast<Keyword>(kw::PER_VERTEX_INDEXED),
    static_cast<Keyword>(kw::OVERALL),
    static_cast<Keyword>(kw::DEFAULT),
    static_cast<Keyword>(kw::Anchor),
    static_cast<Keyword>(kw::AudioClip),
    static_cast<Keyword>(kw::Billboard),
    static_cast<Keyword>(kw::Collision),
    static_cast<Keyword>(kw::FontStyle),
    static_cast<Keyword>(kw::MovieTexture),
    static_cast<Keyword>(kw::NavigationInfo),
    static_cast<Keyword>(kw::PixelTexture),
    static_cast<Keyword>(kw::ImageTexture),
    static_cast<Keyword>(kw::PointLight),
    static_cast<Keyword>(kw::PointSet),
    static_cast<Keyword>(kw::Sound),
    static_cast<Keyword>(kw::SpotLight),
    static_cast<Keyword>(kw::headlight),
    static_cast<Keyword>(kw::commentKmxFaceShapeCoupler),
    static_cast<Keyword>(kw::ImageData),
    static_cast<Keyword>(kw::hashName),
    static_cast<Keyword>(kw::translation),
    static_cast<Keyword>(kw::rotation),
    static_cast<Keyword>(kw::center),
    static_cast<Keyword>(kw::matrix),
    static_cast<Keyword>(kw::children),
    static_cast<Keyword>(kw::level),
    static_cast<Keyword>(kw::Translation),
    static_cast<Keyword>(kw::Rotation),
    static_cast<Keyword>(kw::Scale),
    static_cast<Keyword>(kw::scaleFactor),
    static_cast<Keyword>(kw::scale),
    static_cast<Keyword>(kw::scaleOrientation),
    static_cast<Keyword>(kw::height),
    static_cast<Keyword>(kw::width),
    static_cast<Keyword>(kw::depth),
    static_cast<Keyword>(kw::point),
    static_cast<Keyword>(kw::vector),
    static_cast<Keyword>(kw::coordIndex),
    static_cast<Keyword>(kw::normalIndex),
    static_cast<Keyword>(kw::creaseAngle),
    static_cast<Keyword>(kw::normalPerVertex),
    static_cast<Keyword>(kw::Appearance),
    static_cast<Keyword>(kw::texCoord),
    static_cast<Keyword>(kw::TextureCoordinate),
    static_cast<Keyword>(kw::TextureCoordinate2),
    static_cast<Keyword>(kw::textureCoordIndex),
    static_cast<Keyword>(kw::texCoordIndex),
    static_cast<Keyword>(kw::numVertices),
    static_cast<Keyword>(kw::size),
    static_cast<Keyword>(kw::radius),
    static_cast<Keyword>(kw::beginCap),
    static_cast<Keyword>(kw::crossSection),
    static_cast<Keyword>(kw::endCap),
    static_cast<Keyword>(kw::spine),
    static_cast<Keyword>(kw::bottomRadius),
    static_cast<Keyword>(kw::side),
    static_cast<Keyword>(kw::bottom),
    static_cast<Keyword>(kw::top),
    static_cast<Keyword>(kw::xDimension),
    static_cast<Keyword>(kw::xSpacing),
    static_cast<Keyword>(kw::zDimension),
    static_cast<Keyword>(kw::zSpacing),
    static_cast<Keyword>(kw::colorPerVertex),
    static_cast<Keyword>(kw::orientation),
    static_cast<Keyword>(kw::solid),
    static_cast<Keyword>(kw::ccw),
    static_cast<Keyword>(kw::colorIndex),
    static_cast<Keyword>(kw::color),
    static_cast<Keyword>(kw::commentKmxTextArea),
    static_cast<Keyword>(kw::BOTTOM),
    static_cast<Keyword>(kw::SIDES),
    static_cast<Keyword>(kw::TOP),
    static_cast<Keyword>(kw::ALL),
    static_cast<Keyword>(kw::Material),
    static_cast<Keyword>(kw::texture),
    static_cast<Keyword>(kw::TextureTransform),
    static_cast<Keyword>(kw::diffuseColor),
    static_cast<Keyword>(kw::transparency),
    static_cast<Keyword>(kw::specularColor),
    static_cast<Keyword>(kw::ambientColor),
    static_cast<Keyword>(kw::ambientIntensity),
    static_cast<Keyword>(kw::shininess),
    static_cast<Keyword>(kw::emissiveColor),
    static_cast<Keyword>(kw::repeatS),
    static_cast<Keyword>(kw::repeatT),
    static_cast<Keyword>(kw::url),
    static_cast<Keyword>(kw::wrapS),
    static_cast<Keyword>(kw::wrapT),
    static_cast<Keyword>(kw::hashEnvMap),
    static_cast<Keyword>(kw::filename),
    static_cast<Keyword>(kw::image),
    static_cast<Keyword>(kw::NULL_),
    static_cast<Keyword>(kw::name),
    static_cast<Keyword>(kw::skyColor),
    static_cast<Keyword>(kw::direction),
    static_cast<Keyword>(kw::intensity),
    static_cast<Keyword>(kw::description),
    static_cast<Keyword>(kw::position),
    static_cast<Keyword>(kw::parts),
    static_cast<Keyword>(kw::materialIndex),
    static_cast<Keyword>(kw::Texture2Transform),
    static_cast<Keyword>(kw::vertex),
    static_cast<Keyword>(kw::vertexProperty),
    static_cast<Keyword>(kw::hashDateSolidworks),
    static_cast<Keyword>(kw::actionNewGroup),
    static_cast<Keyword>(kw::animGroupEnd),
    static_cast<Keyword>(kw::actionAppear),
    static_cast<Keyword>(kw::actionDisappear),
    static_cast<Keyword>(kw::actionStop),
    static_cast<Keyword>(kw::actionPause),
    static_cast<Keyword>(kw::actionPosition),
    static_cast<Keyword>(kw::actionMove),
    static_cast<Keyword>(kw::actionViewpoint),
    static_cast<Keyword>(kw::actionColor),
    static_cast<Keyword>(kw::actionLight),
    static_cast<Keyword>(kw::actionAnimRef),
    static_cast<Keyword>(kw::actionShapeParameter),
    static_cast<Keyword>(kw::kmxTextEnd),
    static_cast<Keyword>(kw::kmxLanguage),
    static_cast<Keyword>(kw::kmxLanguageEnd),
    static_cast<Keyword>(kw::kmxCompanyLogo),
    static_cast<Keyword>(kw::kmxCompanyLogoEnd),
    static_cast<Keyword>(kw::kmxMachineLogo),
    static_cast<Keyword>(kw::kmxMachineLogoEnd),
    static_cast<Keyword>(kw::kmxHighestIndex),
    static_cast<Keyword>(kw::kmxChapterIconSize),
    static_cast<Keyword>(kw::kmxChapterIconSizeEnd),
    static_cast<Keyword>(kw::kmxOleObject),
    static_cast<Keyword>(kw::kmxOleObjectEnd),
    static_cast<Keyword>(kw::kmxMetaCircle),
    static_cast<Keyword>(kw::kmxMetaCircleEnd),
    static_cast<Keyword>(kw::kmxMetaSquare),
    static_cast<Keyword>(kw::kmxMetaSquareEnd),
    static_cast<Keyword>(kw::kmxParagraph),
    static_cast<Keyword>(kw::kmxParagraphEnd),
    static_cast<Keyword>(kw::kmxFont),
    static_cast<Keyword>(kw::kmxFontEnd),
};
}  // namespace

std::span<const Keyword> allKeywords() { return kTable; }

}  // namespace kinemo
