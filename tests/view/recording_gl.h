// A stand-in for the GL entry points of DrawSubmeshWith that records every
// call as text, so tests can compare call sequences.
#pragma once

#include <string>
#include <vector>

#include "view/submesh_drawing.h"

struct RecordingGl {
  std::vector<std::string> calls;
  unsigned nextList = 7;  // the name GenList hands out; 0 simulates failure

  static std::string F(float v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
  }
  unsigned GenList() {
    calls.push_back("GenList");
    return nextList;
  }
  void NewList(unsigned name) { calls.push_back("NewList " + std::to_string(name)); }
  void CompileList(unsigned name) { calls.push_back("CompileList " + std::to_string(name)); }
  void EndList() { calls.push_back("EndList"); }
  void CallList(unsigned name) { calls.push_back("CallList " + std::to_string(name)); }
  void SetCulling(bool on) { calls.push_back(on ? "Cull on" : "Cull off"); }
  void EnableTexture(int name) { calls.push_back("Texture " + std::to_string(name)); }
  void DisableTexture() { calls.push_back("Texture off"); }
  void Begin(vh::Primitive p) {
    calls.push_back(p == vh::Primitive::kLineStrip       ? "Begin lines"
                    : p == vh::Primitive::kTriangleStrip ? "Begin strip"
                                                         : "Begin triangles");
  }
  void End() { calls.push_back("End"); }
  void Color4(float r, float g, float b, float a) {
    calls.push_back("Color4 " + F(r) + " " + F(g) + " " + F(b) + " " + F(a));
  }
  void Color3(float r, float g, float b) { calls.push_back("Color3 " + F(r) + " " + F(g) + " " + F(b)); }
  void TexCoord2(float u, float v) { calls.push_back("TexCoord " + F(u) + " " + F(v)); }
  void Normal3(float x, float y, float z) { calls.push_back("Normal " + F(x) + " " + F(y) + " " + F(z)); }
  void Vertex3(float x, float y, float z) { calls.push_back("Vertex " + F(x) + " " + F(y) + " " + F(z)); }

  // The x coordinates of the vertices sent, in order (tests give vertex i
  // the position (i, 0, 0)).
  std::vector<int> VertexOrder() const {
    std::vector<int> order;
    for (const auto& call : calls) {
      if (call.rfind("Vertex ", 0) == 0) order.push_back(std::stoi(call.substr(7)));
    }
    return order;
  }
  // The calls sent for the `n`th vertex (0-based): everything after the
  // previous Vertex up to and including this one.
  std::vector<std::string> CallsOfVertex(int n) const {
    std::vector<std::string> out;
    int seen = 0;
    for (const auto& call : calls) {
      const bool isVertex = call.rfind("Vertex ", 0) == 0;
      if (seen == n && call.rfind("Begin", 0) != 0 && call != "Texture off" && call.rfind("Cull", 0) != 0 &&
          call.rfind("NewList", 0) != 0 && call != "GenList" && call.rfind("Texture ", 0) != 0) {
        out.push_back(call);
      }
      if (isVertex && ++seen > n) break;
    }
    return out;
  }
};
