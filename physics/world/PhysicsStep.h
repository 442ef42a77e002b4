#pragma once

namespace KIV {

class Scene;
struct GameSettings;

// One fixed physics step of the world, after the controls: the light pass,
// the terrain-object pass, the particle systems, the joint step, the radial
// pushes' expiry and countdown, the joint angular solve, the scene's twelve
// toy stages and the joint measurement. The robots' update scripts follow in
// the game, which owns them.
void PhysicsStep(Scene& scene, const GameSettings& settings);

} // namespace KIV
