#ifndef ZAR_EXCHANGE_GLTF_DOCUMENT_H_
#define ZAR_EXCHANGE_GLTF_DOCUMENT_H_

// A glTF 2.0 document being put together: its JSON and the single buffer its accessors read,
// written as a binary .glb or as a .gltf whose buffer is embedded as a base64 data: URI. Float
// accessors of single values and vectors carry their min and max, taken from the data they hold;
// each accessor has a buffer view of its own, starting on a 4-byte boundary.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "exchange/file_outcome.h"

namespace zar::exchange {

class GltfDocument {
 public:
  using Json = nlohmann::ordered_json;

  GltfDocument();

  // The document's top level ("asset", "scene", "scenes", "nodes", ... in the order they are
  // first used); "accessors", "bufferViews" and "buffers" are filled by Write.
  Json& Top() { return top_; }

  // An accessor over `values`, `components` floats per element (1, 3 or 4); `target` is the
  // buffer view's target (34962 for vertex data, 0 for none). Returns the accessor's index.
  int AddFloats(std::vector<float> values, int components, int target = 0);

  // Fills `values` (emptied) with an accessor's floats once more.
  using FloatMaker = std::function<void(std::vector<float>& values)>;
  // The same over floats the document does not keep: `remake` gives them again, the same ones,
  // when the document is written (with `values` still alive until then), so that a large
  // document never holds its whole buffer.
  int AddFloats(const std::vector<float>& values, FloatMaker remake, int components,
                int target = 0);

  // An accessor over unsigned 16-bit integers (joint indices), `components` per element (4).
  int AddUnsignedShorts(const std::vector<std::uint16_t>& values, int components, int target = 0);
  // An accessor over 4 x 4 matrices, 16 floats each, column by column (no min and max).
  int AddMatrices(std::vector<float> values);

  // Writes the document to `path` atomically: binary (.glb) or JSON with the embedded buffer.
  // The document is complete after this.
  FileOutcome Write(const std::string& path, bool binary);

 private:
  Json top_;
  Json accessors_ = Json::array();
  Json views_ = Json::array();
  // A part of the buffer: its floats, or what makes them again (`count` of them).
  struct Block {
    std::vector<float> values;
    FloatMaker remake;
    std::size_t count = 0;
    std::string bytes;  // the block's bytes as they are, when it holds no floats
  };
  // A buffer view over `bytes` bytes and its accessor; returns the accessor's index.
  int View(std::size_t bytes, int target, Json accessor);

  // The accessor and buffer view of `values`; returns the accessor's index.
  int Describe(const std::vector<float>& values, int components, int target);

  std::vector<Block> blocks_;  // the buffer, in order
  std::size_t buffer_bytes_ = 0;
};

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_GLTF_DOCUMENT_H_
