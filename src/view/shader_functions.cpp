#include "view/shader_functions.h"

#include <cstdio>
#include <type_traits>

namespace vh {
namespace {

// Every entry point with the name GL knows it by, so that resolving and
// reporting a missing one walk the same list.
template <class Visit>
void ForEachEntry(ShaderFunctions& f, const Visit& visit) {
  visit(f.createShader, "glCreateShader");
  visit(f.shaderSource, "glShaderSource");
  visit(f.compileShader, "glCompileShader");
  visit(f.getShaderiv, "glGetShaderiv");
  visit(f.getShaderInfoLog, "glGetShaderInfoLog");
  visit(f.deleteShader, "glDeleteShader");
  visit(f.createProgram, "glCreateProgram");
  visit(f.attachShader, "glAttachShader");
  visit(f.linkProgram, "glLinkProgram");
  visit(f.getProgramiv, "glGetProgramiv");
  visit(f.getProgramInfoLog, "glGetProgramInfoLog");
  visit(f.deleteProgram, "glDeleteProgram");
  visit(f.useProgram, "glUseProgram");
  visit(f.getUniformLocation, "glGetUniformLocation");
  visit(f.uniform1i, "glUniform1i");
  visit(f.uniform1f, "glUniform1f");
  visit(f.uniform3f, "glUniform3f");
  visit(f.uniformMatrix4fv, "glUniformMatrix4fv");
  visit(f.activeTexture, "glActiveTexture");
  visit(f.genFramebuffers, "glGenFramebuffers");
  visit(f.deleteFramebuffers, "glDeleteFramebuffers");
  visit(f.bindFramebuffer, "glBindFramebuffer");
  visit(f.framebufferTexture2D, "glFramebufferTexture2D");
  visit(f.framebufferRenderbuffer, "glFramebufferRenderbuffer");
  visit(f.checkFramebufferStatus, "glCheckFramebufferStatus");
  visit(f.genRenderbuffers, "glGenRenderbuffers");
  visit(f.deleteRenderbuffers, "glDeleteRenderbuffers");
  visit(f.bindRenderbuffer, "glBindRenderbuffer");
  visit(f.renderbufferStorageMultisample, "glRenderbufferStorageMultisample");
  visit(f.blitFramebuffer, "glBlitFramebuffer");
}

int ContextMajorVersion() {
  const auto* text = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int major = 0;
  if (text == nullptr || std::sscanf(text, "%d", &major) != 1) return 0;
  return major;
}

}  // namespace

std::string ShaderFunctions::Missing() const {
  std::string missing;
  ForEachEntry(const_cast<ShaderFunctions&>(*this), [&missing](auto& entry, const char* name) {
    if (entry == nullptr && missing.empty()) missing = name;
  });
  return missing;
}

ShaderFunctions ResolveShaderFunctions(const GlResolver& resolve) {
  ShaderFunctions f;
  if (!resolve || ContextMajorVersion() < 2) return f;
  ForEachEntry(f, [&resolve](auto& entry, const char* name) {
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(resolve(name));
  });
  return f;
}

}  // namespace vh
