#include "view/realistic_renderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "view/realistic_shaders.h"
#include "view/viewer.h"

namespace vh {
namespace {

// The shadow map's side in texels: the software renderer samples a
// 1024 map markedly faster than a 2048 one (it stays in the caches), and
// fitted to the tree, with the filter, its shadow stays crisp enough.
constexpr int kShadowMapSize = 1024;

// Colours of the light and the sky (linear RGB, 0..1).
constexpr float kSunColour[] = {1.0f, 0.95f, 0.85f};
constexpr float kSkyAmbient[] = {0.40f, 0.46f, 0.56f};
constexpr float kGroundAmbient[] = {0.24f, 0.22f, 0.17f};
constexpr float kZenith[] = {0.30f, 0.50f, 0.84f};
constexpr float kHorizon[] = {0.80f, 0.87f, 0.94f};
constexpr float kHaze[] = {0.66f, 0.70f, 0.64f};
constexpr float kTransmission = 0.9f;

// The ground grid ends 777.8 units from the origin on its near sides: the
// ground fades into the horizon's haze around the origin, where trees
// stand, before that.
constexpr float kGroundFadeLimit = 760.0f;

float Radius(const Box& box) {
  const Vector3 half = (box.high - box.low) * 0.5f;
  return std::max(std::sqrt(Dot(half, half)), 1.0f);
}

Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 product{};
  for (int column = 0; column < 4; ++column)
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[column * 4 + k];
      product[column * 4 + row] = sum;
    }
  return product;
}

// A shader program and the locations of its uniforms, looked up once.
}  // namespace

struct RealisticRenderer::Program {
  GLuint name = 0;
  const ShaderFunctions* gl = nullptr;
  GLint Location(const char* uniform) const { return gl->getUniformLocation(name, uniform); }
  void Set(const char* uniform, int value) const { gl->uniform1i(Location(uniform), value); }
  void Set(const char* uniform, float value) const { gl->uniform1f(Location(uniform), value); }
  void Set(const char* uniform, const float* rgb) const {
    gl->uniform3f(Location(uniform), rgb[0], rgb[1], rgb[2]);
  }
  void Set(const char* uniform, const Vector3& v) const { gl->uniform3f(Location(uniform), v.x, v.y, v.z); }
  void Set(const char* uniform, const Matrix4& m) const {
    gl->uniformMatrix4fv(Location(uniform), 1, GL_FALSE, m.data());
  }
};

// Picks each batch's program and picture from its drawing state: thin
// foliage (leaves, billboards, cards: lit from both sides, light passing
// through; billboards and cards cut out of their pictures) or bark,
// textured or not; the ground and the shadow pass have one program each.
class RealisticRenderer::MaterialObserver final : public BatchObserver {
 public:
  enum class Role { kSurfaces, kGround, kShadow };
  MaterialObserver(RealisticRenderer& renderer, Role role) : m_renderer(renderer), m_role(role) {}
  void BatchBegins(const BatchState& state) const override {
    const bool cutOut = state.texture == kBillboardMaterial || state.texture == kCardMaterial;
    const bool thin =
        cutOut || state.texture == kLeafMaterial || (state.texture == 0 && !state.cullBackFaces);
    SurfaceKind kind = thin ? kFoliageSurface : kBarkSurface;
    if (cutOut) kind = kCutOutSurface;
    if (m_role == Role::kGround) kind = kGroundSurface;
    const Program& program = m_role == Role::kShadow ? *m_renderer.m_shadow : *m_renderer.m_surfaces[kind];
    m_renderer.Use(program);
    program.Set("textured", state.texture != 0 ? 1 : 0);
  }

 private:
  RealisticRenderer& m_renderer;
  Role m_role;
};

Vector3 SunDirection() { return Normalized({20.0f, 15.0f, 15.0f}); }

Matrix4 ShadowMatrix(const Box& bounds) {
  const Vector3 centre = bounds.Centre();
  const float radius = Radius(bounds);
  const Vector3 back = SunDirection();  // the map looks from the sun, along -back
  const Vector3 side = Normalized(Cross({0.0f, 1.0f, 0.0f}, back));
  const Vector3 up = Cross(back, side);
  const Vector3 eye = centre + back * (2.0f * radius);
  // World to the sun's view: rows side, up, back; the eye at the origin.
  const Matrix4 view = {side.x, up.x, back.x, 0.0f, side.y,          up.y,          back.y,          0.0f,
                        side.z, up.z, back.z, 0.0f, -Dot(side, eye), -Dot(up, eye), -Dot(back, eye), 1.0f};
  // Orthographic over the sphere, depth from radius to 3 radii in front of
  // the eye, straight to texture coordinates 0..1.
  const float s = 0.5f / radius;
  const float near = radius, far = 3.0f * radius;
  const Matrix4 project = {s,
                           0.0f,
                           0.0f,
                           0.0f,
                           0.0f,
                           s,
                           0.0f,
                           0.0f,
                           0.0f,
                           0.0f,
                           -1.0f / (far - near),
                           0.0f,
                           0.5f,
                           0.5f,
                           -near / (far - near),
                           1.0f};
  return Multiply(project, view);
}

RealisticRenderer::RealisticRenderer() = default;
RealisticRenderer::~RealisticRenderer() = default;

bool RealisticRenderer::Attach(const GlResolver& resolve) {
  Release();
  m_problem.clear();
  m_gl = ResolveShaderFunctions(resolve);
  const std::string missing = m_gl.Missing();
  if (!missing.empty()) {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    m_problem = "The realistic look needs OpenGL 2.0 shaders and framebuffer objects; this OpenGL (" +
                std::string(version != nullptr ? version : "unknown") + ") lacks " + missing +
                ". The classic look is shown.";
    return false;
  }
  m_ready = Build();
  if (!m_ready) {
    Release();
    m_problem += " The classic look is shown.";
  }
  return m_ready;
}

bool RealisticRenderer::Build() {
  const auto compile = [this](GLenum kind, std::vector<const char*> sources, GLuint& shader) {
    shader = m_gl.createShader(kind);
    m_gl.shaderSource(shader, static_cast<GLsizei>(sources.size()), sources.data(), nullptr);
    m_gl.compileShader(shader);
    GLint ok = GL_FALSE;
    m_gl.getShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) return true;
    char log[512] = {};
    m_gl.getShaderInfoLog(shader, sizeof log, nullptr, log);
    m_problem = std::string("A shader of the realistic look did not compile: ") + log;
    return false;
  };
  const auto link = [&](const char* vertex, std::vector<const char*> fragment,
                        std::unique_ptr<Program>& program) {
    GLuint shaders[2] = {0, 0};
    const bool compiled = compile(GL_VERTEX_SHADER, {vertex}, shaders[0]) &&
                          compile(GL_FRAGMENT_SHADER, std::move(fragment), shaders[1]);
    program = std::make_unique<Program>();
    program->gl = &m_gl;
    bool linked = false;
    if (compiled) {
      program->name = m_gl.createProgram();
      m_gl.attachShader(program->name, shaders[0]);
      m_gl.attachShader(program->name, shaders[1]);
      m_gl.linkProgram(program->name);
      GLint ok = GL_FALSE;
      m_gl.getProgramiv(program->name, GL_LINK_STATUS, &ok);
      linked = ok == GL_TRUE;
      if (!linked) {
        char log[512] = {};
        m_gl.getProgramInfoLog(program->name, sizeof log, nullptr, log);
        m_problem = std::string("The realistic look's shaders did not link: ") + log;
      }
    }
    for (GLuint shader : shaders)
      if (shader != 0) m_gl.deleteShader(shader);  // the program keeps them while it lives
    return linked;
  };
  for (int kind = 0; kind < kSurfaceKinds; ++kind)
    if (!link(shaders::kSurfaceVertex, {shaders::kSurfaceKinds[kind], shaders::kSurfaceFragment},
              m_surfaces[kind]))
      return false;
  if (!link(shaders::kShadowVertex, {shaders::kShadowFragment}, m_shadow) ||
      !link(shaders::kSkyVertex, {shaders::kSkyFragment}, m_sky))
    return false;
  using Role = MaterialObserver::Role;
  m_surfaceObserver = std::make_unique<MaterialObserver>(*this, Role::kSurfaces);
  m_groundObserver = std::make_unique<MaterialObserver>(*this, Role::kGround);
  m_shadowObserver = std::make_unique<MaterialObserver>(*this, Role::kShadow);

  // The shadow map: a depth texture compared in the shader, bilinear (each
  // lookup a 2 x 2 filter), everything outside it lit.
  glPushAttrib(GL_TEXTURE_BIT);
  glGenTextures(1, &m_shadowTexture);
  glBindTexture(GL_TEXTURE_2D, m_shadowTexture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, kShadowMapSize, kShadowMapSize, 0, GL_DEPTH_COMPONENT,
               GL_UNSIGNED_INT, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
  const GLfloat farAway[] = {1.0f, 1.0f, 1.0f, 1.0f};
  glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, farAway);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
  glPopAttrib();

  GLint before = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &before);
  m_gl.genFramebuffers(1, &m_shadowFramebuffer);
  m_gl.bindFramebuffer(GL_FRAMEBUFFER, m_shadowFramebuffer);
  m_gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, m_shadowTexture, 0);
  glDrawBuffer(GL_NONE);
  glReadBuffer(GL_NONE);
  const bool complete = m_gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  m_gl.bindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(before));
  if (!complete) {
    m_problem = "The realistic look's shadow map could not be made.";
    return false;
  }
  ClearShadows();
  return true;
}

void RealisticRenderer::Release() {
  if (m_gl.deleteProgram != nullptr) {
    for (auto* program : {&m_shadow, &m_sky})
      if (*program && (*program)->name != 0) m_gl.deleteProgram((*program)->name);
    for (auto& surface : m_surfaces)
      if (surface && surface->name != 0) m_gl.deleteProgram(surface->name);
  }
  if (m_shadowFramebuffer != 0) m_gl.deleteFramebuffers(1, &m_shadowFramebuffer);
  if (m_shadowTexture != 0) glDeleteTextures(1, &m_shadowTexture);
  Forget();
}

void RealisticRenderer::Forget() {
  m_surfaceObserver.reset();
  m_groundObserver.reset();
  m_shadowObserver.reset();
  for (auto& surface : m_surfaces) surface.reset();
  m_inUse = 0;
  m_shadow.reset();
  m_sky.reset();
  m_shadowFramebuffer = m_shadowTexture = 0;
  m_ready = false;
  m_fitMesh = nullptr;
}

const Box& RealisticRenderer::Fit(const MeshObject& shown) {
  const Submesh* first = shown.submeshes.empty() ? nullptr : shown.submeshes.front().get();
  if (m_fitMesh != &shown || m_fitFirst != first || m_fitCount != shown.submeshes.size()) {
    m_fitMesh = &shown;
    m_fitFirst = first;
    m_fitCount = shown.submeshes.size();
    m_fit = MeshBounds(shown).value_or(Box{{-1.0f, 0.0f, -1.0f}, {1.0f, 2.0f, 1.0f}});
    // The foot of the tree stands on the ground, which takes its shadow.
    m_fit.low.y = std::min(m_fit.low.y, 0.0f);
  }
  return m_fit;
}

void RealisticRenderer::CastShadows(const Box& bounds,
                                    const std::function<void(const BatchObserver*)>& drawCasters) {
  if (!m_ready) return;
  GLint framebuffer = 0;
  GLint viewport[4] = {};
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
  glGetIntegerv(GL_VIEWPORT, viewport);
  glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT);
  m_gl.bindFramebuffer(GL_FRAMEBUFFER, m_shadowFramebuffer);
  glViewport(0, 0, kShadowMapSize, kShadowMapSize);
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  glClear(GL_DEPTH_BUFFER_BIT);
  // Pushed back a little, so that a surface does not shadow itself.
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(1.5f, 3.0f);
  m_shadowBounds = bounds;
  m_shadowMatrix = ShadowMatrix(bounds);
  // The map's coordinates 0..1 back to clip coordinates -1..1.
  const Matrix4 toClip = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, -1, -1, -1, 1};
  const Matrix4 clip = Multiply(toClip, m_shadowMatrix);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadMatrixf(clip.data());
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  Use(*m_shadow);
  m_shadow->Set("picture", 0);
  drawCasters(m_shadowObserver.get());
  StopUsing();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
  m_gl.bindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(framebuffer));
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

void RealisticRenderer::ClearShadows() {
  CastShadows(Box{{-1.0f, 0.0f, -1.0f}, {1.0f, 1.0f, 1.0f}}, [](const BatchObserver*) {});
}

void RealisticRenderer::DrawSky(const Camera& camera) {
  const float tanHalf = static_cast<float>(std::tan(camera.fieldOfView * 0.5 * 3.14159265358979 / 180.0));
  const float aspect = static_cast<float>(AspectRatio(camera));
  const Vector3 across = camera.right * (tanHalf * aspect);
  const Vector3 upward = camera.up * tanHalf;
  glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glDisable(GL_CULL_FACE);
  Use(*m_sky);
  m_sky->Set("zenith", kZenith);
  m_sky->Set("horizon", kHorizon);
  m_sky->Set("haze", kHaze);
  glBegin(GL_QUADS);
  const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (const auto& corner : corners) {
    const Vector3 ray = camera.forward + across * corner[0] + upward * corner[1];
    glTexCoord3f(ray.x, ray.y, ray.z);
    glVertex2f(corner[0], corner[1]);
  }
  glEnd();
  StopUsing();
  glPopAttrib();
}

void RealisticRenderer::BeginFrame(Camera& camera) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  ApplyFrameState(camera);
  if (m_ready) DrawSky(camera);
  ResumeFrame(camera);
}

void RealisticRenderer::ResumeFrame(Camera& camera) {
  ApplyFrameState(camera);
  if (!m_ready) return;
  UseSurfaceProgram(camera);
  m_gl.activeTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, m_shadowTexture);
  m_gl.activeTexture(GL_TEXTURE0);
}

void RealisticRenderer::UseSurfaceProgram(const Camera& camera) {
  for (const auto& surface : m_surfaces) {
    const Program& p = *surface;
    Use(p);
    p.Set("picture", 0);
    p.Set("shadowMap", 1);
    p.Set("lightMatrix", m_shadowMatrix);
    p.Set("toSun", SunDirection());
    p.Set("eye", camera.position);
    p.Set("sunColour", kSunColour);
    p.Set("skyAmbient", kSkyAmbient);
    p.Set("groundAmbient", kGroundAmbient);
    p.Set("horizon", kHorizon);
    p.Set("shadowTexel", 1.0f / static_cast<float>(kShadowMapSize));
    // Two texels of the map in world units, toward the sun.
    p.Set("shadowBias", 4.0f * Radius(m_shadowBounds) / static_cast<float>(kShadowMapSize));
    p.Set("transmission", settings.leafTransmission ? kTransmission : 0.0f);
    p.Set("fadeRadius", kGroundFadeLimit);
    p.Set("textured", 0);
  }
}

void RealisticRenderer::Use(const Program& program) {
  if (m_inUse == program.name) return;
  m_gl.useProgram(program.name);
  m_inUse = program.name;
}

void RealisticRenderer::StopUsing() {
  m_gl.useProgram(0);
  m_inUse = 0;
}

const BatchObserver* RealisticRenderer::Surfaces() { return m_ready ? m_surfaceObserver.get() : nullptr; }

const BatchObserver* RealisticRenderer::Ground() { return m_ready ? m_groundObserver.get() : nullptr; }

void RealisticRenderer::EndFrame() {
  if (!m_ready) return;
  StopUsing();
  m_gl.activeTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, 0);
  m_gl.activeTexture(GL_TEXTURE0);
}

}  // namespace vh
