#include "fileio/dxf_export.h"

#include "fileio/export_common.h"
#include "fileio/text_writer.h"
#include "foundations/atomic_file.h"

namespace vh {
namespace {

// One corner: the group codes for X, Y and Z of corner `corner` (0..3) are
// 10+corner, 20+corner and 30+corner; DXF's Y is our z and its Z our y.
void WriteCorner(TextWriter& out, int corner, const Vector3& p) {
  out.Unsigned(10 + corner).Char('\n').Float(p.x).Char('\n');
  out.Unsigned(20 + corner).Char('\n').Float(p.z).Char('\n');
  out.Unsigned(30 + corner).Char('\n').Float(p.y).Char('\n');
}

void WriteFaces(TextWriter& out, const Submesh& submesh, const Vector3& origin) {
  for (const Triangle& t : submesh.triangles) {
    const Vector3 a = submesh.vertices[t.a].position - origin;
    const Vector3 b = submesh.vertices[t.b].position - origin;
    const Vector3 c = submesh.vertices[t.c].position - origin;
    out.Text("0\n3DFACE\n8\n").Unsigned(submesh.displayList).Text("\n62\n3\n");
    WriteCorner(out, 0, a);
    WriteCorner(out, 1, b);
    WriteCorner(out, 2, c);
    WriteCorner(out, 3, c);
  }
}

}  // namespace

void ExportDXF(const MeshObject& mesh, const std::string& path) {
  CheckIndices(mesh, path);
  AtomicFile file(path);
  TextWriter out(file);
  out.Text("999\nDXF created from Verdanthollow v2.0\n");
  // One ENTITIES section for the whole mesh: readers keep a single section
  // and would drop the faces of every other one. The layers keep the
  // submeshes apart.
  out.Text("0\nSECTION\n2\nENTITIES\n");
  const Vector3 origin = ExportOrigin(mesh);
  for (const auto& submesh : mesh.submeshes) WriteFaces(out, *submesh, origin);
  out.Text("0\nENDSEC\n0\nEOF\n");
  file.Commit();
}

}  // namespace vh
