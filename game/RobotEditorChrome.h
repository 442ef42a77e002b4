#pragma once
#include <vector>
#include "base/Vector.h"
#include "render/Shape.h"

namespace KIV {

class Renderer;
class Robot;
class TextureLib;

// What the robot editor's panel shows around the robot: its background, the
// mode buttons down the left side (the chosen one lit) and the pose time line
// with a marker per pose, the marker of where the preview stands and the
// names of the poses the animation runs through. Drawn in window pixels.
class RobotEditorChrome {
public:
    // Whether the library holds every mode button's pictures; where it does
    // not, the robot editor's plain faces and names stand in for them.
    static bool HasModeButtonPictures(TextureLib* textures);
    void DrawBackground(Renderer& renderer, TextureLib& textures, VectorI position, VectorI size);
    void DrawControls(Renderer& renderer, TextureLib& textures, VectorI position, VectorI size, int32_t mode,
                      const Robot* robot);

private:
    void DrawTimeline(Renderer& renderer, TextureLib& textures, VectorF origin, VectorI size, const Robot& robot);
    Shape& Next(std::vector<Shape>& pool, size_t& used);
    void DrawPicture(Renderer& renderer, TextureLib& textures, const char* name, const RectF& rect,
                     const ColorRGBA& colour);

    Shape mBackground;
    std::vector<Shape> mQuads;
    std::vector<Shape> mTexts;
    size_t mQuadsUsed = 0;
    size_t mTextsUsed = 0;
};

} // namespace KIV
