// The GLSL of the realistic look, version 1.20 so that any OpenGL 2.1
// compatibility context compiles it. The shaders read the fixed-function
// vertex attributes (gl_Vertex, gl_Normal, gl_Color, gl_MultiTexCoord0) and
// matrices, so the view's buffers and display lists feed them unchanged.
// Vertices are in world coordinates: the model-view matrix holds only the
// camera.
#pragma once

namespace vh::shaders {

// Surfaces: the tree's bark and leaves, the ground, billboards and cards.
inline constexpr const char* kSurfaceVertex = R"(#version 120
varying vec3 worldPosition;
varying vec3 worldNormal;
varying vec4 colour;
varying vec2 texCoord;
void main() {
  worldPosition = gl_Vertex.xyz;
  worldNormal = gl_Normal;
  colour = gl_Color;
  texCoord = gl_MultiTexCoord0.xy;
  gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
}
)";

// Lighting: a sun with a filtered shadow map, a sky/ground hemisphere
// ambient, and by the kind of surface (SURFACE, defined before this text
// by kSurfaceKinds, so that each kind is compiled without the others'
// work, which the software renderer would pay for on every pixel): a little
// specular on bark, diffuse transmission through thin foliage (tinted by
// the leaf's own colour and picture), and on the ground a fade into the
// horizon's haze far from the origin.
inline constexpr const char* kSurfaceFragment = R"(
uniform sampler2D picture;
uniform sampler2DShadow shadowMap;
uniform mat4 lightMatrix;
uniform vec3 toSun;
uniform vec3 sunColour;
uniform vec3 skyAmbient;
uniform vec3 groundAmbient;
uniform vec3 horizon;
uniform vec3 eye;
uniform float shadowTexel;
uniform float shadowBias;
uniform int textured;
uniform float transmission;
uniform float fadeRadius;
varying vec3 worldPosition;
varying vec3 worldNormal;
varying vec4 colour;
varying vec2 texCoord;

// The share of sunlight reaching the point: two bilinear comparisons half
// a texel to either side, each itself a 2 x 2 filter, so the edge is soft
// over three texels. (More taps cost the software renderer dearly.)
float Sunlit(vec3 position) {
  vec4 p = lightMatrix * vec4(position + toSun * shadowBias, 1.0);
  return 0.5 * (shadow2D(shadowMap, p.xyz + vec3(-0.5, -0.5, 0.0) * shadowTexel).r +
                shadow2D(shadowMap, p.xyz + vec3(0.5, 0.5, 0.0) * shadowTexel).r);
}

void main() {
  vec4 base = colour;
#if SURFACE != GROUND
  if (textured != 0) {
    vec4 texel = texture2D(picture, texCoord);
#if SURFACE == CUTOUT
    // The cut-out, as the classic alpha test. Only pictures with an alpha
    // (billboards, cards) are drawn so: a shader that may discard loses the
    // early depth test, and every hidden leaf would be lit.
    if (texel.a <= 0.5) discard;
#endif
    base *= texel;
  }
#endif
  vec3 n = normalize(worldNormal);
  vec3 toEye = normalize(eye - worldPosition);
#if SURFACE != BARK
  // Leaves, cards and the ground are seen from both sides: light the side
  // that faces the eye. Bark tubes are seen from outside.
  if (dot(n, toEye) < 0.0) n = -n;
#endif
  float facing = dot(n, toSun);
  float sunlit = Sunlit(worldPosition);
  vec3 ambient = mix(groundAmbient, skyAmbient, 0.5 + 0.5 * n.y);
  vec3 lit = base.rgb * (ambient + sunColour * max(facing, 0.0) * sunlit);
#if SURFACE == FOLIAGE || SURFACE == CUTOUT
  // Light through the leaf from behind, stronger looking into the sun.
  float behind = max(-facing, 0.0);
  float towardSun = pow(max(dot(-toEye, toSun), 0.0), 4.0);
  lit += base.rgb * sunColour * behind * (0.55 + 0.45 * towardSun) * transmission * sunlit;
#elif SURFACE == BARK
  vec3 halfway = normalize(toSun + toEye);
  lit += sunColour * 0.12 * pow(max(dot(n, halfway), 0.0), 24.0) * sunlit * step(0.0, facing);
#else
  lit = mix(lit, horizon, smoothstep(0.3 * fadeRadius, fadeRadius, length(worldPosition.xz)));
#endif
  gl_FragColor = vec4(lit, base.a);
}
)";

// What goes before kSurfaceFragment for each kind of surface, in the order
// of RealisticRenderer's surface kinds: ground, bark, foliage, foliage cut
// out of its picture.
#define VH_SURFACE_KINDS \
  "#version 120\n#define GROUND 0\n#define BARK 1\n#define FOLIAGE 2\n#define CUTOUT 3\n"
inline constexpr const char* kSurfaceKinds[] = {
    VH_SURFACE_KINDS "#define SURFACE GROUND\n",
    VH_SURFACE_KINDS "#define SURFACE BARK\n",
    VH_SURFACE_KINDS "#define SURFACE FOLIAGE\n",
    VH_SURFACE_KINDS "#define SURFACE CUTOUT\n",
};
#undef VH_SURFACE_KINDS

// The shadow map: depth only, with the cut-out of pictures that have one.
inline constexpr const char* kShadowVertex = R"(#version 120
varying vec2 texCoord;
void main() {
  texCoord = gl_MultiTexCoord0.xy;
  gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
}
)";

inline constexpr const char* kShadowFragment = R"(#version 120
uniform sampler2D picture;
uniform int textured;
varying vec2 texCoord;
void main() {
  if (textured != 0 && texture2D(picture, texCoord).a <= 0.5) discard;
  gl_FragColor = vec4(1.0);
}
)";

// The sky behind everything: a gradient over the direction of each pixel's
// ray, from haze below the horizon through the horizon to the zenith.
inline constexpr const char* kSkyVertex = R"(#version 120
varying vec3 ray;
void main() {
  ray = gl_MultiTexCoord0.xyz;
  gl_Position = gl_Vertex;
}
)";

inline constexpr const char* kSkyFragment = R"(#version 120
uniform vec3 zenith;
uniform vec3 horizon;
uniform vec3 haze;
varying vec3 ray;
void main() {
  float up = normalize(ray).y;
  vec3 above = mix(horizon, zenith, pow(clamp(up, 0.0, 1.0), 0.6));
  vec3 below = mix(horizon, haze, smoothstep(0.0, 0.25, -up));
  gl_FragColor = vec4(up >= 0.0 ? above : below, 1.0);
}
)";

}  // namespace vh::shaders
