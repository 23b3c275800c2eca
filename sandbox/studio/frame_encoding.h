// A frame's sparks as the studio sends them.
//
// Binary (GET /api/frame/F), little-endian, every array 4-byte aligned:
//   offset 0   "PLXF"
//          4   uint32  format version, 1
//          8   int32   frame
//         12   uint32  effect count E
//         16   float64 time in seconds
//         24   float64 milliseconds the module took for the frame
//         32   E times: uint32 spark count n, uint32 sparks in flight,
//              float32 x y z of each spark (3n), float32 published age (n),
//              uint8 parked 0/1 (n), zero bytes up to a multiple of 4.
// JSON (?format=json): {"frame": F, "time": T, "effects": [{"object": NAME,
//   "effect": K, "sparks": [[x, y, z, age, parked], ...]}, ...]}, numbers in
//   the shortest text that reads back exactly (positions as the doubles the
//   effect handed out, ages as the published floats), the same text as the
//   particle cache's (a parked spark's age as 0, as the cache gives it); an
//   infinite or undefined number as the string "inf", "-inf" or "nan".
#pragma once

#include <string>
#include <vector>

#include "plix/geometry.h"
#include "studio/studio_model.h"

namespace plix::studio {

struct EncodedFrame {
    int frame = 0;
    double time = 0.0;
    double moduleMilliseconds = 0.0;
    const geometry::FrameSparks *sparks = nullptr;
    const std::vector<StudioEffect> *effects = nullptr; // names for the JSON form
};

std::string frameBinary(const EncodedFrame &frame);
std::string frameJson(const EncodedFrame &frame);

} // namespace plix::studio
