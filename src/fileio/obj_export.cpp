#include "fileio/obj_export.h"

#include "fileio/export_common.h"
#include "fileio/text_writer.h"
#include "foundations/atomic_file.h"

namespace vh {
namespace {

// Positions are written in hundredths of scene units; the product is formed
// in extended precision like every expression of the program and printed
// as the double that printf would receive.
double Scaled(float relative) { return static_cast<double>(static_cast<Ext>(relative) * 0.01); }

void WriteGroup(TextWriter& out, const Submesh& submesh, const Vector3& origin, std::uint64_t base) {
  out.Text("g object").Unsigned(submesh.displayList).Char('\n');
  out.Text("usemtl ").Text(submesh.materialName).Char('\n');
  for (const Vertex& vertex : submesh.vertices) {
    const Vector3 p = vertex.position - origin;
    out.Text("v ").Float(Scaled(p.x)).Char(' ').Float(Scaled(p.y)).Char(' ');
    out.Float(Scaled(p.z)).Char('\n');
  }
  for (const Vertex& vertex : submesh.vertices) {
    out.Text("vt ").Float(vertex.texCoord.x).Char(' ');
    out.Float(static_cast<double>(1.0L - vertex.texCoord.y)).Char('\n');
  }
  // Faces do not refer to normals; the constant lines keep the layout that
  // importers of our files have always seen.
  for (std::size_t i = 0; i < submesh.vertices.size(); ++i) out.Text("vn 0 0 0\n");
  for (const Triangle& t : submesh.triangles) {
    const std::uint64_t a = t.a + base + 1, b = t.b + base + 1, c = t.c + base + 1;
    out.Text("f ").Unsigned(a).Char('/').Unsigned(a).Char(' ');
    out.Unsigned(c).Char('/').Unsigned(c).Char(' ');
    out.Unsigned(b).Char('/').Unsigned(b).Char('\n');
  }
}

void WriteMaterials(TextWriter& out, const MeshObject& mesh) {
  for (const ExportMaterial& material : DistinctMaterials(mesh)) {
    out.Text("newmtl ").Text(material.submesh->materialName).Char('\n');
    out.Text("illum 4\n");
    out.Text("Kd ").Float(material.colour.x).Char(' ').Float(material.colour.y).Char(' ');
    out.Float(material.colour.z).Char('\n');
    out.Text("Ka 0.00 0.00 0.00\n");
    out.Text("Tf 1.00 1.00 1.00\n");
    // An empty file name would make a "map_Kd" line without a map, which
    // importers reject; such a material is written as untextured.
    const std::string map = FileNamePart(material.submesh->textureFile);
    if (material.textured && !map.empty()) out.Text("map_Kd ").Text(map).Char('\n');
    out.Text("Ni 1.00\n");
    out.Text("Ks 0.0 0.0 0.0\n");
    out.Text("Ns 18.00\n");
  }
}

}  // namespace

void ExportOBJ(const MeshObject& mesh, const std::string& path) {
  CheckIndices(mesh, path);
  const std::string materialPath = path + ".mtl";

  AtomicFile objFile(path);
  TextWriter obj(objFile);
  obj.Text("# OBJ created from Verdanthollow v2.0\n");
  obj.Text("mtllib ").Text(FileNamePart(materialPath)).Char('\n');
  // The origin and the index base belong to the whole export: the first
  // submesh of the list sets them, every later one continues from them.
  const Vector3 origin = ExportOrigin(mesh);
  std::uint64_t base = 0;
  for (const auto& submesh : mesh.submeshes) {
    WriteGroup(obj, *submesh, origin, base);
    base += submesh->vertices.size();
  }

  AtomicFile materialFile(materialPath);
  TextWriter materials(materialFile);
  WriteMaterials(materials, mesh);

  // Both files are complete before either replaces anything. The material
  // file goes first: should the OBJ's rename then fail, the old OBJ stays
  // whole beside a newer material file, which is the lesser harm.
  objFile.Finish();
  materialFile.Finish();
  materialFile.Publish();
  objFile.Publish();
}

}  // namespace vh
