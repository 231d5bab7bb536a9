// Line sets: polylines become segments of two points each, so that drawing, the length limit and
// the colours all walk one form, and every segment carries the colours of its two ends.
#include <vector>

#include "core/numbers.h"
#include "geometry/face_object.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"

namespace kinemo {

void FaceObject::makeLineSegments(std::unique_ptr<MatrixF> colourTable, LineColouring colouring, const VectorL* index) {
    if (!lineIndex) return;
    const VectorL& li = *lineIndex;
    const std::int32_t n = li.count();
    const std::int32_t given = index ? index->count() : 0;
    const std::int32_t colourRows = colourTable ? colourTable->rows() : 0;
    bool coloured = colourTable && colourRows > 0 && colouring != LineColouring::None;
    std::vector<std::int32_t> segments, colourOf;
    segments.reserve(std::size_t(n) * 2);
    if (coloured) colourOf.reserve(std::size_t(n) * 2);
    std::int32_t polyline = 0, segment = 0;
    long missing = 0, outside = 0;
    // The colour of the entry at position i of polyline p, at the start of segment s.
    auto colourAt = [&](std::int32_t i, std::int32_t p, std::int32_t s) -> std::int32_t {
        std::int32_t c = -1;
        switch (colouring) {
            case LineColouring::PerVertex:
                c = index && given > 0 ? (i < given ? (*index)[i] : -2) : li[i];
                break;
            case LineColouring::PerPolyline:
                c = index && given > 0 ? (p < given ? (*index)[p] : -2) : p;
                break;
            case LineColouring::PerSegment:
                c = index && given > 0 ? (s < given ? (*index)[s] : -2) : s;
                break;
            case LineColouring::None:
                break;
        }
        if (c == -2)
            ++missing;
        else if (c < 0 || c >= colourRows)
            ++outside;
        return c;
    };
    for (std::int32_t start = 0; start < n;) {
        std::int32_t stop = start;
        while (stop < n && li[stop] >= 0) ++stop;
        for (std::int32_t i = start; i + 1 < stop; ++i) {
            segments.insert(segments.end(), {li[i], li[i + 1], -1});
            if (coloured) {
                const std::int32_t a = colourAt(i, polyline, segment);
                const std::int32_t b = colouring == LineColouring::PerVertex ? colourAt(i + 1, polyline, segment) : a;
                colourOf.insert(colourOf.end(), {a, b, -1});
            }
            ++segment;
        }
        if (stop > start) ++polyline;
        start = stop + 1;
    }
    if (coloured && (missing || outside)) {
        sceneReport(formatC("FaceObject: %ld line colour indices missing, %ld out of bound (%ld), line colours dropped",
                            missing, outside, long(colourRows)),
                    0, true);
        ++readingState().recoverableSyntaxErrors;
        coloured = false;
    }
    auto listOf = [](const std::vector<std::int32_t>& v) {
        auto list = std::make_unique<VectorL>(std::int32_t(v.size()));
        for (std::size_t i = 0; i < v.size(); ++i) (*list)[std::int32_t(i)] = v[i];
        return list;
    };
    lineIndex = segments.empty() ? nullptr : listOf(segments);
    if (coloured && lineIndex) {
        lineColours = std::move(colourTable);
        lineColours->setKind(MatrixF::KindNone);
        lineColourIndex = listOf(colourOf);
    } else {
        lineColours.reset();
        lineColourIndex.reset();
    }
}

}  // namespace kinemo
