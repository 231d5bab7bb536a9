#pragma once
// The face set: a point list, polygons as point indices ended by -1, optional normals, per-face
// colours and texture points, or a list of line segments. Reading fills the lists as the file
// gives them; finishReading checks and repairs them, triangulates and generates normals;
// prepare cleans the mesh and builds the arrays drawing walks.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "geometry/matrix.h"
#include "geometry/shape_basics.h"
#include "geometry/vector.h"

namespace kinemo {

class Appearance;
class GroupNode;
class Texture;

// Settings of face sets, read once at the first construction.
struct FaceObjectSettings {
    bool colorSplitting = true;     // "IsColorSplittingEnabled"
    float lineWidth = 1.0f;         // "DefaultLineWidth"
    bool coupleNewLines = false;    // "CoupleNewLinesToShapes"
    float vrml1CreaseAngle = 0.5f;  // "DefaultVRML1CreaseAngle"
    float creaseAngle = 0.0f;       // "DefaultCreaseAngle"
};
FaceObjectSettings& faceObjectSettings();

// What prepare builds for drawing: one vertex per distinct (point, normal, texture point, colour)
// combination, interleaved as normal (3), point (3) and texture point (2) when textured, and three
// vertex indices per triangle. OpenGL draws it with glDrawElements from client arrays or buffer
// objects, never one call per vertex.
struct FaceRenderArrays {
    std::vector<float> vertices;
    std::vector<float> colours;          // 3 per vertex, only with colours per face or vertex
    std::vector<std::uint32_t> indices;  // 3 per triangle
    int floatsPerVertex = 6;
    bool textured = false;
    // The texture point row of every vertex (textured only): the texture points are written into
    // the vertices again when the texture transform or the view changes them.
    std::vector<std::int32_t> texRows;
    bool texturePointsChanged = false;  // since the vertex buffer was uploaded
    // Buffer object names (0 until uploaded) and the generation they were made in.
    std::uint32_t vertexBuffer = 0, colourBuffer = 0, indexBuffer = 0;
    std::uint64_t bufferGeneration = 0;
    bool uploaded = false;
    std::int32_t vertexCount() const { return floatsPerVertex ? std::int32_t(vertices.size() / floatsPerVertex) : 0; }
};

class FaceObject : public ShapeBasics {
public:
    enum State : std::int32_t { New = 0, Read = 1, Cleaned = 2, Ready = 3 };

    FaceObject();
    ~FaceObject() override;
    FaceObject(const FaceObject&) = delete;
    FaceObject& operator=(const FaceObject&) = delete;

    // Geometry slots.
    void writeText(std::string& out) const override;
    const char* getTypeName() const override { return "FaceObject"; }
    void render(ShapeNode& node, const ShapeDrawContext& context) override;
    float intersectRay(float hit[3], const float origin[3], const float direction[3]) const override;
    // The VRML 2 IndexedFaceSet body (and, in a VRML 1 file, the face set fields).
    const char* readFromString(const char* text, const char* end, ShapeNode* node) override;
    bool isMergeableWith(const ShapeBasics& other) const override;
    bool isEmpty() const override;
    std::unique_ptr<ShapeBasics> makeReference() override;
    void setParameter(int flag, float value) override;
    void setOwner(ShapeNode* node) override { owner_ = node; }
    // Per frame: texture points of an environment map follow the view; others follow a texture
    // transform that changed since they were last made.
    void update(ShapeNode& node, const ShapeDrawContext& context) override;
    void prepare() override;
    void forgetAppearance() override { appearanceCache_ = nullptr; }
    FaceObject* asFaceObject() override { return this; }
    const FaceObject* asFaceObject() const override { return this; }

    // The VRML 1 readers: the bodies of IndexedFaceSet, IndexedTriangleStripSet and IndexedLineSet.
    const char* readIndexedFaceSet(const char* text, const char* end, ShapeNode* node);
    const char* readIndexedTriangleStripSet(const char* text, const char* end, ShapeNode* node);
    const char* readIndexedLineSet(const char* text, const char* end);
    // The body of a VRML 2 IndexedLineSet.
    const char* readLineSet(const char* text, const char* end);

    // Checks and repairs the lists, splits by colour, triangulates, makes normals and texture
    // points, then prepares. False when the face set is unusable (or was split into new shapes
    // under parent, which then hold its geometry).
    bool finishReading(ShapeNode* node, GroupNode* parent);

    // Fans every polygon into triangles (reversed when ccw is off, which then turns on); faces of
    // fewer than three vertices are dropped.
    void triangulate();
    // Normals by crease angle (radians): a corner joins a normal of its point when the angle
    // between its face and that normal is within the crease angle.
    void generateNormals(float creaseAngle);
    // Maps rows equal to an earlier row onto that row and drops them; index is remapped.
    static void eliminateRedundantPoints(MatrixF& matrix, VectorL& index);

    // How the colours of a line set are bound to its lines.
    enum class LineColouring { None, PerVertex, PerPolyline, PerSegment };
    // Turns the polylines of lineIndex into segments (a, b, -1), and the colours into one colour
    // row per entry of the segments: PerVertex through index (one entry per entry of lineIndex;
    // without index the point indices name the colours), PerPolyline and PerSegment through index
    // in order (without index: the polyline's or segment's number). Colours that do not fit are
    // reported and dropped; polylines of one point are dropped.
    void makeLineSegments(std::unique_ptr<MatrixF> colourTable, LineColouring colouring, const VectorL* index);

    // Deep copy of the geometry of other (points, normals, index lists, texture points, colours).
    void copyFrom(const FaceObject& other);
    std::int32_t countVertexRefs() const;
    std::int32_t countFaces() const;
    std::int32_t countTriangles() const;

    // Multiplies every point; recomputes bounds.
    void scaleBy(float factor);
    // p' = linear * p + offset; normals by the inverse transpose; a mirroring map turns the
    // triangles over so that they keep facing outwards.
    void transformBy(const float linear[9], const float offset[3]);

    // Equality of everything that is written (points, normals, index lists, texture points,
    // colours, solid, ccw, crease angle), and a hash of the same.
    bool sameContent(const FaceObject& other) const;
    std::uint64_t contentHash() const;

    void computeBounds();
    void computeTrianglePlanes();

    std::int32_t state() const { return state_; }
    void setState(std::int32_t s) { state_ = s; }
    bool textured() const { return textured_; }
    bool holdsLineSet() const { return lineIndex != nullptr; }
    // The drawing arrays, made on first use after each preparation.
    const FaceRenderArrays& renderArrays() const;
    const std::vector<float>& trianglePlanes() const { return planes_; }
    ShapeNode* owner() const { return owner_; }
    float lineLengthLimit() const { return lineLengthLimit_; }

    // texCoordWork and the drawn texture points from texCoord through texture: its transform, or,
    // for an environment map, the view: objectToCamera (row-major 3 x 3, the shape's transform and
    // the camera) carries every vector, and u = (x + 1) / 2, v = (y + 1) / 2 of its direction.
    void updateTexturePoints(const Texture& texture, const float objectToCamera[9]);

    // Draws a face set's arrays (also used by face references).
    static void drawArrays(const FaceObject& data, ShapeNode& node, const ShapeDrawContext& context);

    std::unique_ptr<MatrixF> points;
    std::unique_ptr<MatrixF> normals;
    std::unique_ptr<VectorL> coordIndex;
    std::unique_ptr<VectorL> normalIndex;
    std::unique_ptr<VectorL> lineIndex;
    std::unique_ptr<VectorL> texCoordIndex;
    std::unique_ptr<MatrixF> texCoord;
    std::unique_ptr<MatrixF> texCoordWork;
    std::unique_ptr<MatrixF> colours;
    std::unique_ptr<VectorL> colorIndex;
    // Line colours: a colour table and, parallel to lineIndex, the row of every entry (-1 at the
    // separators). Without them lines are drawn in the material's emissive colour.
    std::unique_ptr<MatrixF> lineColours;
    std::unique_ptr<VectorL> lineColourIndex;
    bool texCoordNull = false;
    // While a VRML 1 or Inventor face set is read: how its colours bind (a VertexProperty's
    // orderedRGBA); colorIndex then holds its materialIndex as read. The shape reader turns both
    // into per-face colours before finishReading.
    Binding materialBinding = Binding::Default;
    std::int32_t normalCount = 0, vertexRefCount = 0, coordIndexLength = 0;

    static ReportLevel& reportLevel();

private:
    friend struct FaceObjectReader;
    friend class FaceObjectFinisher;

    void clean();
    void validateIndices();
    bool mapNormalIndicesToNormals();
    void mapNormalsInOrder();
    bool indexGivenNormals();
    void detectFlatNormals();
    void reorderTriangles();
    void dropDegenerateTriangles();
    struct DrawingSources;
    DrawingSources drawingSources() const;
    void reportBadDrawingIndices() const;
    void buildRenderArrays();
    void makeTexturePoints(bool forDrawing);
    bool splitByColour(ShapeNode* node, GroupNode* parent);
    void drawLines(ShapeNode& node) const;

    std::int32_t state_ = New;
    bool textured_ = false;
    ShapeNode* owner_ = nullptr;
    const Appearance* appearanceCache_ = nullptr;
    std::array<float, 6> texturePointsMatrix_{};  // the texture matrix the drawn points were made with
    float lineLengthLimit_ = 1.1e30f;
    std::vector<float> planes_;
    FaceRenderArrays arrays_;
    bool arraysMade_ = false;
};

// Hands the buffer objects of arrays to the deletion list (they are deleted with the next draw, or
// by deletePendingFaceBuffers, while a context is current) and forgets them.
void releaseFaceBuffers(FaceRenderArrays& arrays);
// Deletes the buffer objects of face sets that went away; call with the OpenGL context current.
void deletePendingFaceBuffers();
// Face sets leave their vertex and normal arrays and the culling set for the next face set; other
// drawing calls this first, and the drawer at the end of each pass.
void finishFaceDrawing();
// Buffer objects made before this call are no longer valid (a new context).
void forgetFaceBufferObjects();

// The triangles of a strip list as (a, b, c, -1) with the winding alternating; -1 restarts a strip.
std::vector<std::int32_t> stripsToTriangles(const std::int32_t* strips, std::int32_t count);

}  // namespace kinemo
