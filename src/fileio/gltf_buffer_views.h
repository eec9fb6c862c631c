// The pieces of a glTF document's one binary buffer: views laid out one
// after the other, and accessors that read them.
#pragma once

#include <tiny_gltf.h>

#include <cstddef>

namespace vh {

// A view of `bytes` bytes at the end of the buffer, whose length so far is
// `binarySize`: every piece starts at a multiple of 4, the alignment glTF
// asks of accessors. Sets `offset` to where it starts and grows
// `binarySize`; returns the view's index.
int AddView(tinygltf::Model& model, std::size_t& binarySize, std::size_t bytes, int target,
            std::size_t& offset);

// An accessor of `count` elements of `type` (TINYGLTF_TYPE_...) made of
// `componentType` components, `byteOffset` bytes into `view`; returns its
// index.
int AddAccessor(tinygltf::Model& model, int view, std::size_t byteOffset, int componentType, int type,
                std::size_t count, bool normalized = false);

}  // namespace vh
