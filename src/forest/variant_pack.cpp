#include "forest/variant_pack.h"

#include "fileio/gltf_export.h"

namespace vh {

LodChain ChainWithoutPictures(const MeshObject& tree, const MaterialPictures&, const LodChainOptions& options,
                              const std::atomic<bool>* cancel) {
  return BuildLodChain(tree, options, {}, [cancel](int) { return cancel == nullptr || !*cancel; });
}

std::string GrowVariantPack(const ForestPlan& plan, std::size_t variant, const ForestChainMaker& chains,
                            const std::atomic<bool>* cancel) {
  const ForestVariant& chosen = plan.variants.at(variant);
  const ForestSpeciesSource& species = plan.species.at(chosen.species);
  TreeParameters params = species.params;
  params.seed = chosen.seed;
  GenerationOptions options;
  options.workers = 1;  // the variants themselves keep every core busy
  GenerationControl control;
  control.cancel = cancel;
  const Tree tree = Generate(params, options, control);
  const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
  if (cancelled()) throw ForestCancelled();

  const MaterialPictures pictures = species.Pictures();
  LodChain chain;
  ExportScene scene;
  if (plan.description.lod) {
    chain = (chains ? chains : ForestChainMaker(ChainWithoutPictures))(tree, pictures, plan.description.chain,
                                                                       cancel);
    if (cancelled() || chain.levels.empty()) throw ForestCancelled();
    scene = ChainScene(chain, pictures);
  } else {
    scene = SingleMeshScene(tree, pictures);
  }
  scene.name = chosen.name;
  if (plan.description.wind) scene.wind = SwayingExport(params.wind);
  GlbFile glb(scene, chosen.name + ".glb");
  return std::string(glb.Bytes());
}

}  // namespace vh
