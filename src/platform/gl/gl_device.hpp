// The OpenGL device that the desktop and browser backends share: its record
// and the helpers its files share. The device draws into a back buffer of its
// own (a framebuffer object of the game's size) and shows it scaled to the
// window or canvas, keeping its shape, with black bars; where the drawable
// is exactly that size and draws the same pixels, it draws straight into it. gl_device.cpp holds
// its life, buffers and resources, gl_draw_state.cpp the fixed-function
// states and what they make of a draw, gl_draw_queue.cpp the order draws are
// sent in; each backend's graphics system makes the context and creates it
// over a GlSurface of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gl/gl_api.hpp"
#include "platform/gl/gl_draw_queue.hpp"
#include "platform/gl/gl_shaders.hpp"
#include "platform/gl/gl_surface.hpp"
#include "platform/gl/gl_text.hpp"
#include "platform/graphics.hpp"
#include "platform/handle_slots.hpp"

namespace platform::gl {

constexpr uint32_t TEXTURE_STAGES = 8;

// False with the reason in `why` for parameters the device cannot take.
bool validParams(const PresentParams& p, std::string& why);
// Colour and 24-bit depth with 8-bit stencil renderbuffers in one framebuffer.
bool makeFramebuffer(uint32_t width, uint32_t height, GLuint& fbo, GLuint& color, GLuint& depth);
void deleteFramebuffer(GLuint& fbo, GLuint& color, GLuint& depth);

// The index buffer holds the faces as given, then the same faces last to
// first, for draws sent reversed (gl_draw_queue.cpp).
struct GlMesh {
  GLuint vao = 0, vbo = 0, ibo = 0;
  uint32_t faces = 0;
  std::vector<SubsetRange> subsets;
  std::vector<SubsetBounds> bounds;                    // one per subset
  std::vector<std::vector<FaceRun>> runs;              // one list per subset
  explicit operator bool() const { return vao != 0; }  // false: a free slot
};

// A texture and the range of its texels' alphas: the sampler reads the top
// level with point sampling only, so every fragment's alpha is one of them.
struct GlTexture {
  GLuint name = 0;
  int32_t minAlpha = 0, maxAlpha = 255;
  explicit operator bool() const { return name != 0; }  // false: a free slot
};

struct LightSlot {
  Light light{};
  bool set = false;
  bool enabled = false;
};

class GlDevice : public Device {
 public:
  // Needs a current context on the surface. The surface and the fonts must
  // outlive the device.
  GlDevice(GlSurface& surface, FontRasterizer& fonts) : surface_(surface), text_(fonts) {}
  // With `sharp`, the back buffer follows the picture's place in the
  // drawable, in its pixels, and what the game draws in back-buffer pixels
  // (text) is scaled to it; the game keeps seeing the size it asked for.
  // Call before init.
  void drawAtShownSize(bool sharp) { sharp_ = sharp; }
  bool init(const PresentParams& params, std::string& error);
  void destroy();
  bool readBack(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height);
  // How many draws the last sending of held draws put behind ones the game
  // issued after them.
  uint32_t drawsSentReversed() const { return sentReversed_; }

  Result testCooperativeLevel() override;
  Result reset(const PresentParams& params) override;
  Result clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) override;
  Result beginScene() override;
  Result endScene() override;
  Result present() override;
  Result setRenderState(RenderState state, uint32_t value) override;
  Result setTransform(TransformState state, const Matrix& m) override;
  Result getTransform(TransformState state, Matrix& out) override;
  Result setMaterial(const Material& material) override;
  Result setTexture(uint32_t stage, TextureHandle texture) override;
  Result setLight(uint32_t index, const Light& light) override;
  Result lightEnable(uint32_t index, bool enable) override;
  MeshHandle createMesh(const MeshUpload& mesh) override;
  Result drawSubset(MeshHandle mesh, uint32_t subset) override;
  void releaseMesh(MeshHandle mesh) override;
  TextureHandle createTexture(const Image& image) override;
  void releaseTexture(TextureHandle texture) override;
  FontHandle createFont(int32_t height, uint32_t weight, const char* face) override;
  int32_t drawText(FontHandle font, const char* text, int32_t count, const Rect& rect,
                   uint32_t format, uint32_t argb) override;
  void releaseFont(FontHandle font) override;

 private:
  // The back buffer, programs and text renderer, at width_ x height_.
  bool makeContextObjects(std::string& error);
  // The back buffer's size for a picture of the game's size: that size, or
  // with sharp_ the picture's place in the drawable.
  void drawnSize(uint32_t pictureWidth, uint32_t pictureHeight, uint32_t& width, uint32_t& height);
  // A new back buffer at that size; false, with the old one kept, when it
  // cannot be made.
  bool resizeBackBuffer(uint32_t width, uint32_t height);
  void forgetContext();
  void setDefaultState();
  void chooseTarget();
  void followDrawable();
  void setFixedGlState();
  // The uniform values of the current state, as an index into uniforms_.
  uint32_t currentUniforms();
  void sendDraw(const HeldDraw& draw, bool reversed);
  // Sends the held draws, and holds none until the next depth clear.
  void flushDraws();
  void uploadUniforms(const SceneProgram& p, const SceneUniforms& u, const SceneUniforms* sent);
  bool needsAlphaTest() const;
  GlMesh* meshOf(MeshHandle mesh);
  GLuint textureOf(TextureHandle texture) const;

  GlSurface& surface_;
  PresentParams params_{};
  // The back buffer drawn into, and the picture size the game asked for; the
  // two differ only with sharp_.
  uint32_t width_ = 0, height_ = 0;
  uint32_t pictureWidth_ = 0, pictureHeight_ = 0;
  bool sharp_ = false;
  GLuint fbo_ = 0, colorBuffer_ = 0, depthBuffer_ = 0;
  GLuint target_ = 0;                   // what draws go into: fbo_, or 0 for the drawable itself
  SceneProgram scene_[SCENE_VARIANTS];  // indexed by the variant's bits
  TextRenderer text_;
  bool clipControl_ = false;
  // What GL has bound, so that nothing is bound twice; -1 and ~0u: unknown,
  // after the text renderer or a texture upload has bound its own.
  int boundProgram_ = -1;  // a variant
  GLuint boundTexture_ = ~0u;
  GLenum depthFunc_ = GL_LEQUAL;
  // What each program's uniforms hold; invalid: unknown.
  SceneUniforms sent_[SCENE_VARIANTS] = {};
  bool sentValid_[SCENE_VARIANTS] = {};

  DrawQueue queue_;
  // The uniform values of the held draws and of the current state (last);
  // stale: the state changed since the last was taken.
  std::vector<SceneUniforms> uniforms_;
  bool uniformsStale_ = true;
  std::vector<SubsetRange> inView_;  // facesInView's answer, kept for its room
  uint32_t sentReversed_ = 0;

  uint32_t states_[RENDER_STATE_LIMIT] = {};
  Matrix world_{}, view_{}, projection_{};
  Material material_{};
  TextureHandle texture_ = 0;
  LightSlot lights_[MAX_LIGHTS];

  std::vector<GlMesh> meshes_;       // handle = index + 1; vao 0 marks a free entry
  std::vector<GlTexture> textures_;  // handle = index + 1; name 0 marks a free entry
  bool inScene_ = false;
  bool lost_ = false;
  uint32_t generation_ = 0;  // the surface's context generation the names belong to
};

}  // namespace platform::gl
