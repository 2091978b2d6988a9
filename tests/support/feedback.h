// OpenGL's feedback mode, for the tests: what a piece of drawing code sends down the pipeline,
// as window coordinates after transformation and clipping, instead of pixels.
#pragma once

#include <GL/gl.h>
#include <functional>
#include <vector>

struct FeedbackVertex {
    double x = 0, y = 0, z = 0; // window coordinates; z is the depth in [0, 1]
    double color[4] = {};       // RGBA after lighting
    double texture[4] = {};     // s, t, r, q
};

struct FeedbackItem {
    GLenum token = 0;       // GL_POINT_TOKEN, GL_LINE_TOKEN, GL_POLYGON_TOKEN, ...
    double passThrough = 0; // the value of a GL_PASS_THROUGH_TOKEN
    std::vector<FeedbackVertex> vertices;
};

// Runs `draw` in feedback mode (GL_3D_COLOR_TEXTURE) and returns what it produced, in order.
// Throws std::runtime_error if the output does not fit in `capacity` floats.
std::vector<FeedbackItem> captureFeedback(const std::function<void()> &draw,
                                          size_t capacity = 1 << 20);

// The polygons among `items`, grouped by the pass-through markers that precede them: group k
// holds the polygons that came after the marker with value k. Polygons before the first
// marker are dropped.
std::vector<std::vector<FeedbackItem>> polygonsByMarker(const std::vector<FeedbackItem> &items);
