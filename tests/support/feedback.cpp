// Parsing of the feedback buffer.
#include "feedback.h"

#include <stdexcept>

namespace {

// Floats per vertex with GL_3D_COLOR_TEXTURE in RGBA mode: x y z, r g b a, s t r q.
constexpr size_t vertexFloats = 11;

} // namespace

std::vector<FeedbackItem> captureFeedback(const std::function<void()> &draw, size_t capacity) {
    std::vector<GLfloat> buffer(capacity);
    glFeedbackBuffer(static_cast<GLsizei>(capacity), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    if (used < 0) {
        throw std::runtime_error("feedback buffer overflow");
    }

    std::vector<FeedbackItem> items;
    size_t i = 0;
    const size_t end = static_cast<size_t>(used);
    const auto readVertex = [&](FeedbackItem &item) {
        if (i + vertexFloats > end) {
            throw std::runtime_error("truncated feedback vertex");
        }
        FeedbackVertex v;
        v.x = buffer[i];
        v.y = buffer[i + 1];
        v.z = buffer[i + 2];
        for (int k = 0; k < 4; k++) {
            v.color[k] = buffer[i + 3 + k];
            v.texture[k] = buffer[i + 7 + k];
        }
        i += vertexFloats;
        item.vertices.push_back(v);
    };
    while (i < end) {
        FeedbackItem item;
        item.token = static_cast<GLenum>(buffer[i++]);
        switch (item.token) {
        case GL_PASS_THROUGH_TOKEN: item.passThrough = buffer[i++]; break;
        case GL_POINT_TOKEN:
        case GL_BITMAP_TOKEN:
        case GL_DRAW_PIXEL_TOKEN:
        case GL_COPY_PIXEL_TOKEN: readVertex(item); break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN:
            readVertex(item);
            readVertex(item);
            break;
        case GL_POLYGON_TOKEN: {
            const auto count = static_cast<size_t>(buffer[i++]);
            for (size_t k = 0; k < count; k++) {
                readVertex(item);
            }
            break;
        }
        default: throw std::runtime_error("unknown feedback token");
        }
        items.push_back(item);
    }
    return items;
}

std::vector<std::vector<FeedbackItem>> polygonsByMarker(const std::vector<FeedbackItem> &items) {
    std::vector<std::vector<FeedbackItem>> groups;
    bool marked = false;
    size_t current = 0;
    for (const FeedbackItem &item : items) {
        if (item.token == GL_PASS_THROUGH_TOKEN) {
            marked = true;
            current = static_cast<size_t>(item.passThrough);
            if (groups.size() <= current) {
                groups.resize(current + 1);
            }
        } else if (item.token == GL_POLYGON_TOKEN && marked) {
            groups[current].push_back(item);
        }
    }
    return groups;
}
