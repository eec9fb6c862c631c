#include "view/headless_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace vh {
namespace {

bool HasExtension(const char* list, const char* name) {
  if (list == nullptr) return false;
  const std::size_t length = std::strlen(name);
  for (const char* at = std::strstr(list, name); at != nullptr; at = std::strstr(at + length, name)) {
    const bool startsWord = at == list || at[-1] == ' ';
    const bool endsWord = at[length] == ' ' || at[length] == '\0';
    if (startsWord && endsWord) return true;
  }
  return false;
}

std::string EglFailure(const char* step) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(eglGetError()));
  return std::string("headless OpenGL: ") + step + " failed (EGL error " + code + ")";
}

template <class Function>
Function Load(const char* name) {
  auto function = reinterpret_cast<Function>(eglGetProcAddress(name));
  if (function == nullptr)
    throw std::runtime_error(std::string("headless OpenGL: the context has no ") + name);
  return function;
}

// A display that needs no window system: the surfaceless platform when the
// client library knows it, the default display otherwise.
EGLDisplay OpenDisplay() {
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless") &&
      HasExtension(clientExtensions, "EGL_EXT_platform_base")) {
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay != nullptr) {
      EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
      if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr)) return display;
    }
  }
  EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
    throw std::runtime_error(EglFailure("opening an EGL display"));
  return display;
}

}  // namespace

struct HeadlessGl::State {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  EGLSurface surface = EGL_NO_SURFACE;  // a 1 x 1 pbuffer where surfaceless contexts are missing
  GLuint framebuffer = 0;
  GLuint colour = 0;
  GLuint depth = 0;
  int width = 0;
  int height = 0;
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;

  void Release() {
    if (context != EGL_NO_CONTEXT) {
      if (framebuffer != 0) {
        bindFramebuffer(GL_FRAMEBUFFER, 0);
        deleteFramebuffers(1, &framebuffer);
        deleteRenderbuffers(1, &colour);
        deleteRenderbuffers(1, &depth);
      }
      eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      eglDestroyContext(display, context);
    }
    if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
    // The display is not terminated: EGL displays are process-wide and the
    // next context reuses this one. Terminating it would also unload the
    // driver, whose own bookkeeping then shows up as leaks under the
    // sanitizers.
  }
};

HeadlessGl::HeadlessGl() : m_state(std::make_unique<State>()) {
  State& s = *m_state;
  try {
    s.display = OpenDisplay();
    if (!eglBindAPI(EGL_OPENGL_API)) throw std::runtime_error(EglFailure("choosing desktop OpenGL"));
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(s.display, configAttributes, &config, 1, &configCount) || configCount < 1)
      throw std::runtime_error(EglFailure("finding a desktop OpenGL configuration"));
    // No version or profile attributes: Mesa then gives its compatibility
    // profile, in which glBegin/glEnd, display lists and GLU work.
    s.context = eglCreateContext(s.display, config, EGL_NO_CONTEXT, nullptr);
    if (s.context == EGL_NO_CONTEXT) throw std::runtime_error(EglFailure("creating an OpenGL context"));
    const bool surfaceless =
        HasExtension(eglQueryString(s.display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context");
    if (!surfaceless) {
      const EGLint pbufferAttributes[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
      s.surface = eglCreatePbufferSurface(s.display, config, pbufferAttributes);
      if (s.surface == EGL_NO_SURFACE) throw std::runtime_error(EglFailure("creating a pbuffer"));
    }
    if (!eglMakeCurrent(s.display, s.surface, s.surface, s.context))
      throw std::runtime_error(EglFailure("making the OpenGL context current"));

    s.genFramebuffers = Load<PFNGLGENFRAMEBUFFERSPROC>("glGenFramebuffers");
    s.deleteFramebuffers = Load<PFNGLDELETEFRAMEBUFFERSPROC>("glDeleteFramebuffers");
    s.bindFramebuffer = Load<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
    s.framebufferRenderbuffer = Load<PFNGLFRAMEBUFFERRENDERBUFFERPROC>("glFramebufferRenderbuffer");
    s.checkFramebufferStatus = Load<PFNGLCHECKFRAMEBUFFERSTATUSPROC>("glCheckFramebufferStatus");
    s.genRenderbuffers = Load<PFNGLGENRENDERBUFFERSPROC>("glGenRenderbuffers");
    s.deleteRenderbuffers = Load<PFNGLDELETERENDERBUFFERSPROC>("glDeleteRenderbuffers");
    s.bindRenderbuffer = Load<PFNGLBINDRENDERBUFFERPROC>("glBindRenderbuffer");
    s.renderbufferStorage = Load<PFNGLRENDERBUFFERSTORAGEPROC>("glRenderbufferStorage");
    BindFramebuffer(1, 1);
  } catch (...) {
    s.Release();
    throw;
  }
}

HeadlessGl::~HeadlessGl() { m_state->Release(); }

void HeadlessGl::BindFramebuffer(int width, int height) {
  State& s = *m_state;
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  if (s.framebuffer != 0 && width <= s.width && height <= s.height) {
    s.bindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
    return;
  }
  GLint limit = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &limit);
  if (width > limit || height > limit)
    throw std::runtime_error("headless OpenGL: a framebuffer of " + std::to_string(width) + " x " +
                             std::to_string(height) + " pixels exceeds the limit of " +
                             std::to_string(limit));
  // Grow to cover both the old and the new request, so that alternating
  // sizes do not reallocate every time.
  width = std::max(width, s.width);
  height = std::max(height, s.height);
  if (s.framebuffer == 0) {
    s.genFramebuffers(1, &s.framebuffer);
    s.genRenderbuffers(1, &s.colour);
    s.genRenderbuffers(1, &s.depth);
  }
  s.bindRenderbuffer(GL_RENDERBUFFER, s.colour);
  s.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  s.bindRenderbuffer(GL_RENDERBUFFER, s.depth);
  s.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  s.bindRenderbuffer(GL_RENDERBUFFER, 0);
  s.bindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
  s.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.colour);
  s.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, s.depth);
  if (s.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
    throw std::runtime_error("headless OpenGL: the offscreen framebuffer of " + std::to_string(width) +
                             " x " + std::to_string(height) + " pixels is incomplete");
  s.width = width;
  s.height = height;
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
}

void* HeadlessGl::ProcAddress(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

std::string HeadlessGl::Description() const {
  const auto text = [](GLenum name) {
    const auto* value = reinterpret_cast<const char*>(glGetString(name));
    return std::string(value != nullptr ? value : "?");
  };
  return text(GL_RENDERER) + ", " + text(GL_VERSION);
}

}  // namespace vh
