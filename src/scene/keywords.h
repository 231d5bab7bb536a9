#pragma once
// The process-wide keyword table. A matcher returns one of these constants and callers compare
// the pointer they get with the constant (identity, never the text).
//
// Naming: a keyword is named after its text without the trailing blank ("Shape " -> kw::Shape,
// "scaleFactor " -> kw::scaleFactor); "#word" keywords get the prefix hash ("#VRML" ->
// kw::hashVRML); "# ..." comment-block headers the prefix comment; markup tags their tag name
// ("<kmxLANGUAGE" -> kw::kmxLanguage, "</kmxLANGUAGE>" -> kw::kmxLanguageEnd); the animation
// section keywords the prefix action ("ACTION>>MOVE]" -> kw::actionMove).
#include <span>

namespace kinemo {

using Keyword = const char*;

namespace kw {

// The six special tokens.
extern const char EndOfString[];   // "End Of String"
extern const char OpenBrace[];     // "{"
extern const char CloseBrace[];    // "}"
extern const char OpenBracket[];   // "["
extern const char CloseBracket[];  // "]"
extern const char Hash[];          // "#"

// Header and top level.
extern const char hashKinemo[];                  // "#Kinemo"
extern const char hashOrvandel[];                // "#Orvandel"
extern const char hashVRML[];                    // "#VRML"
extern const char hashKINEMML[];                 // "#KINEMML"
extern const char hashInventor[];                // "#Inventor"
extern const char hashRequiresProgramVersion[];  // "#RequiresProgramVersion"
extern const char Background[];
extern const char DirectionalLight[];
extern const char commentKmxDefinition[];  // "# <kmxDEFINITION"
extern const char commentAnimations[];     // "# ANIMATIONS"
extern const char commentDefViewpoint[];   // "# [DEF>>VIEWPOINT]"
extern const char Fog[];                   // "Fog "
extern const char hashCreationDate[];      // "#CreationDate "
extern const char kmxMetaInfo[];           // "<kmxMETA_INFO>"
extern const char kmxMetaInfoEnd[];        // "</kmxMETA_INFO>"

// Node types.
extern const char Shape[];
extern const char DEF[];
extern const char Separator[];
extern const char Transform[];
extern const char transform[];
extern const char USE[];
extern const char Viewpoint[];
extern const char Inline[];
extern const char actors[];
extern const char MatrixTransform[];
extern const char PerspectiveCamera[];
extern const char Texture2[];
extern const char Coordinate3[];
extern const char Normal[];
extern const char Box[];
extern const char Cube[];
extern const char Sphere[];
extern const char Cylinder[];
extern const char Extrusion[];
extern const char Cone[];
extern const char ElevationGrid[];
extern const char LOD[];
extern const char range[];
extern const char Group[];
extern const char NormalBinding[];
extern const char MaterialBinding[];
extern const char IndexedFaceSet[];
extern const char KvxChildren[];
extern const char KvxChEnd[];
extern const char IndexedLineSet[];
extern const char WWWInline[];
extern const char WWWAnchor[];
extern const char IndexedTriangleStripSet[];
extern const char PER_PART[];
extern const char PER_PART_INDEXED[];
extern const char PER_FACE[];
extern const char PER_FACE_INDEXED[];
extern const char PER_VERTEX[];
extern const char PER_VERTEX_INDEXED[];
extern const char OVERALL[];
extern const char DEFAULT[];
extern const char Anchor[];
extern const char AudioClip[];
extern const char Billboard[];
extern const char Collision[];
extern const char FontStyle[];
extern const char MovieTexture[];
extern const char NavigationInfo[];
extern const char PixelTexture[];
extern const char ImageTexture[];
extern const char PointLight[];
extern const char PointSet[];
extern const char Sound[];
extern const char SpotLight[];
extern const char headlight[];
extern const char commentKmxFaceShapeCoupler[];  // "# <kmxFACE_SHAPE_COUPLER"
extern const char ImageData[];                   // "<ImageData>"

// Transform fields.
extern const char hashName[];  // "#name"
extern const char translation[];
extern const char rotation[];
extern const char center[];
extern const char matrix[];
extern const char children[];
extern const char level[];
extern const char Translation[];
extern const char Rotation[];
extern const char Scale[];
extern const char scaleFactor[];
extern const char scale[];
extern const char scaleOrientation[];

// Box fields.
extern const char height[];
extern const char width[];
extern const char depth[];

// Geometry fields.
extern const char point[];
extern const char vector[];
extern const char coordIndex[];
extern const char normalIndex[];
extern const char creaseAngle[];
extern const char normalPerVertex[];
extern const char Appearance[];
extern const char texCoord[];
extern const char TextureCoordinate[];
extern const char TextureCoordinate2[];
extern const char textureCoordIndex[];
extern const char texCoordIndex[];
extern const char numVertices[];
extern const char size[];
extern const char radius[];
extern const char beginCap[];
extern const char crossSection[];
extern const char endCap[];
extern const char spine[];
extern const char bottomRadius[];
extern const char side[];
extern const char bottom[];
extern const char top[];
extern const char xDimension[];
extern const char xSpacing[];
extern const char zDimension[];
extern const char zSpacing[];
extern const char colorPerVertex[];
extern const char orientation[];
extern const char solid[];
extern const char ccw[];
extern const char colorIndex[];
extern const char color[];
extern const char commentKmxTextArea[];  // "# <kmxTEXT_AREA>"
extern const char BOTTOM[];
extern const char SIDES[];
extern const char TOP[];
extern const char ALL[];

// Material fields.
extern const char Material[];
extern const char texture[];
extern const char TextureTransform[];
extern const char diffuseColor[];
extern const char transparency[];
extern const char specularColor[];
extern const char ambientColor[];
extern const char ambientIntensity[];
extern const char shininess[];
extern const char emissiveColor[];

// Texture fields.
extern const char repeatS[];
extern const char repeatT[];
extern const char url[];
extern const char wrapS[];
extern const char wrapT[];
extern const char hashEnvMap[];  // "#    envMap"
extern const char filename[];
extern const char image[];
extern const char NULL_[];  // "NULL"

// Name, sky, light and viewpoint fields.
extern const char name[];
extern const char skyColor[];
extern const char direction[];
extern const char intensity[];
extern const char description[];
extern const char position[];

// VRML 1 fields.
extern const char parts[];
extern const char materialIndex[];
extern const char Texture2Transform[];
extern const char vertex[];
extern const char vertexProperty[];
extern const char hashDateSolidworks[];  // "#date 11 October 1996"

// Animation section.
extern const char actionNewGroup[];        // "ACTION>>NEWGROUP"
extern const char animGroupEnd[];          // "ANIMGROUP_END"
extern const char actionAppear[];          // "ACTION>>APPEAR"
extern const char actionDisappear[];       // "ACTION>>DISAPPEAR"
extern const char actionStop[];            // "ACTION>>STOP"
extern const char actionPause[];           // "ACTION>>PAUSE"
extern const char actionPosition[];        // "ACTION>>POSITION"
extern const char actionMove[];            // "ACTION>>MOVE]"
extern const char actionViewpoint[];       // "ACTION>>VIEWPOINT"
extern const char actionColor[];           // "ACTION>>COLOR"
extern const char actionLight[];           // "ACTION>>LIGHT"
extern const char actionAnimRef[];         // "ACTION>>ANIM_REF"
extern const char actionShapeParameter[];  // "ACTION>>SHAPE_PARAMETER"

// Text markup.
extern const char kmxTextEnd[];      // "</kmxTEXT>"
extern const char kmxLanguage[];     // "<kmxLANGUAGE"
extern const char kmxLanguageEnd[];  // "</kmxLANGUAGE>"

// Definitions block.
extern const char kmxCompanyLogo[];         // "<kmxCOMPANY_LOGO>"
extern const char kmxCompanyLogoEnd[];      // "</kmxCOMPANY_LOGO>"
extern const char kmxMachineLogo[];         // "<kmxMACHINE_LOGO>"
extern const char kmxMachineLogoEnd[];      // "</kmxMACHINE_LOGO>"
extern const char kmxHighestIndex[];        // "<kmxHIGHESTINDEX"
extern const char kmxChapterIconSize[];     // "<kmxCHP_ICN_SIZE>"
extern const char kmxChapterIconSizeEnd[];  // "</kmxCHP_ICN_SIZE>"

// Rich text markup.
extern const char kmxOleObject[];      // "<kmxOLE_OBJECT"
extern const char kmxOleObjectEnd[];   // "</kmxOLE_OBJECT>"
extern const char kmxMetaCircle[];     // "<kmxMETA_CIRCLE"
extern const char kmxMetaCircleEnd[];  // "</kmxMETA_CIRCLE>"
extern const char kmxMetaSquare[];     // "<kmxMETA_SQUARE"
extern const char kmxMetaSquareEnd[];  // "</kmxMETA_SQUARE>"
extern const char kmxParagraph[];      // "<kmxPARAGRAPH"
extern const char kmxParagraphEnd[];   // "</kmxPARAGRAPH>"
extern const char kmxFont[];           // "<kmxFONT"
extern const char kmxFontEnd[];        // "</kmxFONT>"

}  // namespace kw

// Every constant of the table above, special tokens first.
std::span<const Keyword> allKeywords();

// True for the four bracket tokens.
inline bool isBracketToken(Keyword k) {
    return k == kw::OpenBrace || k == kw::CloseBrace || k == kw::OpenBracket || k == kw::CloseBracket;
}

}  // namespace kinemo
