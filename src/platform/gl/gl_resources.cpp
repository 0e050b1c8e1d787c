// The meshes, textures and fonts the OpenGL device holds, and its text.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "platform/gl/gl_device.hpp"
#include "platform/mesh_upload_check.hpp"

namespace platform::gl {

GlMesh* GlDevice::meshOf(MeshHandle mesh) { return slotOf(meshes_, mesh); }

GLuint GlDevice::textureOf(TextureHandle texture) const {
  if (texture == 0 || texture > textures_.size()) return 0;
  return textures_[texture - 1].name;
}

MeshHandle GlDevice::createMesh(const MeshUpload& m) {
  const char* problem = meshUploadProblem(m);
  if (problem) {
    std::fprintf(stderr, "riderozad: mesh not created: %s\n", problem);
    return 0;
  }
  GlMesh mesh;
  mesh.faces = m.faceCount;
  mesh.subsets.assign(m.subsets, m.subsets + m.subsetCount);
  for (uint32_t i = 0; i < m.subsetCount; ++i) {
    mesh.bounds.push_back(boundsOf(m.vertices, m.indices, m.subsets[i]));
    mesh.runs.push_back(runsOf(m.vertices, m.indices, m.subsets[i]));
  }
  const std::vector<uint32_t> indices = withReversedCopy(m.indices, m.faceCount);
  glGenVertexArrays(1, &mesh.vao);
  glGenBuffers(1, &mesh.vbo);
  glGenBuffers(1, &mesh.ibo);
  glBindVertexArray(mesh.vao);
  glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(MeshVertex) * m.vertexCount),
               m.vertices, GL_STATIC_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.ibo);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(uint32_t) * indices.size()),
               indices.data(), GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(MeshVertex),
                        reinterpret_cast<const void*>(offsetof(MeshVertex, position)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(MeshVertex),
                        reinterpret_cast<const void*>(offsetof(MeshVertex, normal)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(MeshVertex),
                        reinterpret_cast<const void*>(offsetof(MeshVertex, uv)));
  glBindVertexArray(0);
  return addToSlots(meshes_, std::move(mesh));
}

void GlDevice::releaseMesh(MeshHandle handle) {
  GlMesh* mesh = meshOf(handle);
  if (!mesh) return;
  flushDraws();
  glDeleteVertexArrays(1, &mesh->vao);
  glDeleteBuffers(1, &mesh->vbo);
  glDeleteBuffers(1, &mesh->ibo);
  *mesh = GlMesh{};
}

TextureHandle GlDevice::createTexture(const Image& image) {
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  if (!image.rgba || image.width == 0 || image.height == 0 ||
      image.width > static_cast<uint32_t>(maxSize) ||
      image.height > static_cast<uint32_t>(maxSize)) {
    std::fprintf(stderr, "riderozad: texture not created: %ux%u is not between 1 and %d a side\n",
                 image.width, image.height, maxSize);
    return 0;
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(image.width),
               static_cast<GLsizei>(image.height), 0, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba);
  glGenerateMipmap(GL_TEXTURE_2D);
  // The classic sampler defaults: point sampling, no mip filtering (so the
  // top level only), wrapping at the edges.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  boundTexture_ = name;
  GlTexture texture{name, 255, 0};
  const size_t texels = size_t{image.width} * image.height;
  for (size_t i = 0; i < texels; ++i) {
    const int32_t a = image.rgba[i * 4 + 3];
    texture.minAlpha = std::min(texture.minAlpha, a);
    texture.maxAlpha = std::max(texture.maxAlpha, a);
  }
  return addToSlots(textures_, texture);
}

void GlDevice::releaseTexture(TextureHandle texture) {
  const GLuint name = textureOf(texture);
  if (!name) return;
  flushDraws();
  glDeleteTextures(1, &name);
  textures_[texture - 1] = GlTexture{};
  if (boundTexture_ == name) boundTexture_ = ~0u;
  if (texture_ == texture) texture_ = 0;
}

FontHandle GlDevice::createFont(int32_t height, uint32_t weight, const char* face) {
  return text_.createFont(height, weight, face);
}

int32_t GlDevice::drawText(FontHandle font, const char* text, int32_t count, const Rect& rect,
                           uint32_t /*format: always left and top*/, uint32_t argb) {
  if (!inScene_) return 0;
  flushDraws();
  glBindFramebuffer(GL_FRAMEBUFFER, target_);
  // The game's rectangle in the back buffer's pixels.
  auto scale = [](int32_t v, uint32_t to, uint32_t from) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{v} * to / from, INT32_MIN, INT32_MAX));
  };
  const Rect scaled{
      scale(rect.left, width_, pictureWidth_), scale(rect.top, height_, pictureHeight_),
      scale(rect.right, width_, pictureWidth_), scale(rect.bottom, height_, pictureHeight_)};
  const int32_t drawn = text_.drawText(font, text, count, scaled, argb,
                                       static_cast<int32_t>(width_), static_cast<int32_t>(height_));
  boundProgram_ = -1;
  boundTexture_ = ~0u;
  return scale(drawn, pictureHeight_, height_);
}

void GlDevice::releaseFont(FontHandle font) { text_.releaseFont(font); }

}  // namespace platform::gl
