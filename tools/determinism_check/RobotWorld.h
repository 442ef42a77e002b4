#pragma once
#include <cstdint>

namespace KIV {

class Scene;
struct GameSettings;

// The shipped walking robot, loaded from its file in the runnable tree,
// several of them side by side on flat ground, walking right: each step
// drives their legs as their Update script does while Right is held.
namespace RobotWorld {

// Pictures are read from this runnable tree; call once before Make.
void SetRunnableTree(const char* root);
// About one robot per ten toys asked for, at least one.
bool Make(Scene& scene, int32_t toyCount);
void Step(Scene& scene, const GameSettings& settings, int32_t steps);

} // namespace RobotWorld
} // namespace KIV
