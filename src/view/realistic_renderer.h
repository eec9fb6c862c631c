// The realistic look of the view: the tree lit by a sun (the direction of
// the classic look's light) and a sky/ground hemisphere, with a filtered
// shadow map fitted to what is shown, a little specular on bark, leaves that
// glow when lit from behind, a sky gradient behind everything and a ground
// that fades into the horizon's haze. The geometry is the view's own
// (buffers or display lists, drawn by the caller): this class owns the
// shaders, the shadow map and the frame's state around them.
//
// Needs OpenGL 2.0 shaders and framebuffer objects; Attach says whether the
// current context has them, and why not. Every call that issues GL needs the
// context current; the caller's framebuffer and viewport are kept.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "tree/mesh.h"
#include "view/camera.h"
#include "view/framing.h"
#include "view/gpu_buffers.h"
#include "view/shader_functions.h"

namespace vh {

// What the look can leave out, for comparisons.
struct RealisticSettings {
  bool leafTransmission = true;  // light through leaves lit from behind
};

// The sun of the realistic look: the direction toward it, from the classic
// look's directional light 0, (20, 15, 15), normalised.
Vector3 SunDirection();

// A column-major 4 x 4 matrix as GL reads it.
using Matrix4 = std::array<float, 16>;
// What the shadow map sees: an orthographic view along the sun that holds
// the sphere around `bounds`, mapping to 0..1 in x, y and depth (the texture
// coordinates of the map).
Matrix4 ShadowMatrix(const Box& bounds);

class RealisticRenderer {
 public:
  RealisticRenderer();
  ~RealisticRenderer();
  RealisticRenderer(const RealisticRenderer&) = delete;
  RealisticRenderer& operator=(const RealisticRenderer&) = delete;

  // Looks the entry points up in the current context, compiles the shaders
  // and makes the shadow map. False when any of that failed; Problem() then
  // says what, in a sentence for the user.
  bool Attach(const GlResolver& resolve);
  bool Ready() const { return m_ready; }
  const std::string& Problem() const { return m_problem; }
  // Frees the GL objects (context current), or forgets them (context gone).
  void Release();
  void Forget();

  RealisticSettings settings;

  // The box the shadow is fitted to: that of `shown` down to the ground,
  // kept while the same mesh is shown.
  const Box& Fit(const MeshObject& shown);

  // Draws the shadow map: `drawCasters` issues the casting geometry in world
  // coordinates through the view's buffers, handing the observer to them.
  // `bounds` is the box the map is fitted to.
  void CastShadows(const Box& bounds, const std::function<void(const BatchObserver*)>& drawCasters);
  // Nothing casts a shadow (a wireframe view).
  void ClearShadows();

  // The start of a frame: clears, draws the sky, applies the camera and
  // readies the surface shader. Resume does the same without clearing or
  // sky (the later slices of a frame).
  void BeginFrame(Camera& camera);
  void ResumeFrame(Camera& camera);
  // The shader for the tree, billboards and cards, or for the ground, in
  // use from now on; the observer to draw their buffers with.
  const BatchObserver* Surfaces();
  const BatchObserver* Ground();
  // No shader in use any more: fixed-function drawing may follow.
  void EndFrame();

 private:
  struct Program;
  class MaterialObserver;
  // The surface programs, each compiled for one kind of surface.
  enum SurfaceKind { kGroundSurface, kBarkSurface, kFoliageSurface, kCutOutSurface, kSurfaceKinds };
  bool Build();
  void Use(const Program& program);
  void StopUsing();
  void UseSurfaceProgram(const Camera& camera);
  void DrawSky(const Camera& camera);

  ShaderFunctions m_gl;
  bool m_ready = false;
  std::string m_problem;
  std::unique_ptr<Program> m_surfaces[kSurfaceKinds], m_shadow, m_sky;
  GLuint m_inUse = 0;  // the program in use, 0 for none
  std::unique_ptr<MaterialObserver> m_surfaceObserver, m_groundObserver, m_shadowObserver;
  GLuint m_shadowFramebuffer = 0;
  GLuint m_shadowTexture = 0;
  Matrix4 m_shadowMatrix{};
  Box m_shadowBounds{};
  // Fit's cache: the mesh it measured and how it was made up.
  const MeshObject* m_fitMesh = nullptr;
  const Submesh* m_fitFirst = nullptr;
  std::size_t m_fitCount = 0;
  Box m_fit{};
};

}  // namespace vh
