#pragma once

namespace KIV {

class KIVGame;
class Renderer;

// The photo the last robot-photo request asked for, taken once the frame is
// shown: the robot alone, saved as its thumbnail beside its file; then the
// robot library is scanned again and its page refreshed. Nothing while no
// request waits. A photo that cannot be taken (no name to file it under, no
// OpenGL context, a file that cannot be written) is told to the player.
void TakeRequestedRobotPhoto(KIVGame& game, Renderer& renderer);

} // namespace KIV
