// A desktop OpenGL context without a window or display, for drawing
// billboard pictures in batch tools and tests.
//
// The context comes from EGL: Mesa's surfaceless platform when the EGL
// library offers it (no X server, no GPU needed: llvmpipe renders), the
// default display otherwise. It is a compatibility context, so the
// fixed-function OpenGL 1.1 calls and GLU of the view library work. Drawing
// goes to an offscreen framebuffer object that this class owns.
#pragma once

#include <memory>
#include <string>

namespace vh {

class HeadlessGl {
 public:
  // Creates the context and makes it current on the calling thread, with a
  // 1 x 1 offscreen framebuffer bound. Throws std::runtime_error naming the
  // step that failed (no EGL display, no desktop OpenGL, no framebuffer
  // objects).
  HeadlessGl();
  // Releases the framebuffer and the context.
  ~HeadlessGl();
  HeadlessGl(const HeadlessGl&) = delete;
  HeadlessGl& operator=(const HeadlessGl&) = delete;

  // Binds, for drawing and reading, an offscreen framebuffer of at least
  // width x height pixels (RGBA 8 bits per channel, 24-bit depth). It is
  // reallocated only when it is too small. Throws std::runtime_error for
  // sizes beyond the implementation's limit or an incomplete framebuffer.
  void BindFramebuffer(int width, int height);

  // An entry point of the current context by name (eglGetProcAddress);
  // null when unknown. Fits GlResolver.
  static void* ProcAddress(const char* name);

  // "renderer, version" of the context, for messages.
  std::string Description() const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace vh
