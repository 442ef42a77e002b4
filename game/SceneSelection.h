#pragma once

namespace KIV {

class Joint;
class KIVGame;
class Material;
class ParticleSystem;
class Toy;

// The selected toy, joint and particle system that the editor pages work
// on. A pick in the robot builder wins while it still names a part of the
// edit robot; a stale pick is dropped and the scene's own selection answers.

Toy* SelectedToy(KIVGame& game);
Joint* SelectedJoint(KIVGame& game);
// While a material's particle family is being edited, the selected template
// of that family of the edited material instead (null for any other family).
ParticleSystem* SelectedParticleSystem(KIVGame& game);
// The material the material pages edit: the selected default material, or
// the selected toy's own one.
Material* EditedMaterial(KIVGame& game);

} // namespace KIV
