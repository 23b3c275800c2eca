// The scene that `plix-sandbox play` plays when it is given none: an emitter
// of 3000 points circling the origin while it turns (examples/default.scene,
// built into the program).
#pragma once

#include <string_view>

namespace plix::sandbox {

std::string_view defaultSceneText();
inline constexpr const char *defaultSceneName = "default.scene";

} // namespace plix::sandbox
