#include "scene/scene.h"

#include <algorithm>

namespace plix::scene {

const SceneObject *Scene::findObject(const std::string &name) const {
    const auto found = std::find_if(objects.begin(), objects.end(),
                                    [&](const SceneObject &object) { return object.name == name; });
    return found == objects.end() ? nullptr : &*found;
}

SceneObject *Scene::findObject(const std::string &name) {
    return const_cast<SceneObject *>(static_cast<const Scene *>(this)->findObject(name));
}

std::size_t Scene::effectCount() const {
    std::size_t count = 0;
    for (const SceneObject &object : objects) count += object.effects.size();
    return count;
}

} // namespace plix::scene
