#pragma once
#include "render/Shape.h"
#include <vector>

namespace KIV {

class KIVGame;
class Renderer;

// The visible edit windows over the scene, bottom of the z-order first: the
// page picture (uploaded only when the page drew), its frame and its title.
class EditWindowPass {
public:
    void Draw(Renderer& renderer, KIVGame& game);

private:
    struct WindowShapes {
        Shape mContent;
        Shape mFrame;
        Shape mTitle;
    };
    std::vector<WindowShapes> mShapes;
};

} // namespace KIV
