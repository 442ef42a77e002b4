#pragma once
#include <cstdint>

namespace KIV {

class Scene;
struct GameSettings;

// The shipped walking robot, loaded from its file in the runnable tree,
// several of them side by side on flat ground, walking right and firing now
// and then: each step drives their legs and guns as their Update script does
// while Right is held and the fire control is pressed.
namespace RobotWorld {

// Pictures are read from this runnable tree; call once before Make.
void SetRunnableTree(const char* root);
// About one robot per ten toys asked for, at least one.
bool Make(Scene& scene, int32_t toyCount);
void Step(Scene& scene, const GameSettings& settings, int32_t steps);
// Lets go of the robots before their scene goes: they point at its parts.
void Drop();

} // namespace RobotWorld
} // namespace KIV
