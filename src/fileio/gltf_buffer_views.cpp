#include "fileio/gltf_buffer_views.h"

#include <utility>

namespace vh {

int AddView(tinygltf::Model& model, std::size_t& binarySize, std::size_t bytes, int target,
            std::size_t& offset) {
  tinygltf::BufferView view;
  view.buffer = 0;
  view.byteOffset = offset = binarySize;
  binarySize = (offset + bytes + 3) / 4 * 4;
  view.byteLength = bytes;
  view.target = target;
  model.bufferViews.push_back(view);
  return static_cast<int>(model.bufferViews.size() - 1);
}

int AddAccessor(tinygltf::Model& model, int view, std::size_t byteOffset, int componentType, int type,
                std::size_t count, bool normalized) {
  tinygltf::Accessor accessor;
  accessor.bufferView = view;
  accessor.byteOffset = byteOffset;
  accessor.componentType = componentType;
  accessor.type = type;
  accessor.count = count;
  accessor.normalized = normalized;
  model.accessors.push_back(std::move(accessor));
  return static_cast<int>(model.accessors.size() - 1);
}

}  // namespace vh
