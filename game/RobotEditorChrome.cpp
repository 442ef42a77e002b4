#include "game/RobotEditorChrome.h"
#include <algorithm>
#include <string>
#include "base/Color.h"
#include "base/Rect.h"
#include "game/RobotEditInput.h"
#include "render/BitmapFont.h"
#include "render/Renderer.h"
#include "render/TextureLib.h"
#include "robots/Robot.h"

namespace KIV {

namespace {
const char* const kButtonPictures[RobotEditState::kModeCount][2] = {
    {"Editor\\button1a.png", "Editor\\button1b.png"},
    {"Editor\\button2a.png", "Editor\\button2b.png"},
    {"Editor\\button3a.png", "Editor\\button3b.png"},
    {"Editor\\button4a.png", "Editor\\button4b.png"},
};
const char* const kWhitePicture = "Editor\\white.png";
const char* const kTimelineBar = "Editor\\timeline_bar1.png";
const char* const kTimelineMarker = "Editor\\timeline_bar2.png";
const ColorRGBA kOpaqueWhite(255, 255, 255, 255);
} // namespace

bool RobotEditorChrome::HasModeButtonPictures(TextureLib* textures)
{
    if (!textures) return false;
    for (const auto& pictures : kButtonPictures)
        for (const char* name : pictures)
            if (!textures->GetTexture(name)) return false;
    return true;
}

Shape& RobotEditorChrome::Next(std::vector<Shape>& pool, size_t& used)
{
    // Shapes are kept from frame to frame: their vertex arrays are reused.
    if (used == pool.size()) pool.emplace_back();
    return pool[used++];
}

void RobotEditorChrome::DrawPicture(Renderer& renderer, TextureLib& textures, const char* name, const RectF& rect,
                                    const ColorRGBA& colour)
{
    Texture* texture = textures.GetTexture(name);
    if (!texture) return;
    Shape& quad = Next(mQuads, mQuadsUsed);
    if (!quad.InitTexturedQuad(texture, colour, rect)) return;
    renderer.UploadTextureIfPending(texture);
    renderer.DrawShape(quad, false, 255, true);
}

void RobotEditorChrome::DrawBackground(Renderer& renderer, TextureLib& textures, VectorI position, VectorI size)
{
    Texture* white = textures.GetTexture(kWhitePicture);
    if (!white) return;
    const RectF rect(float(position.mX), float(position.mY), float(position.mX + size.mX), float(position.mY + size.mY));
    // The picture is white so that one file serves any shade: the panel is a
    // dark slate on which the faint grid and the robot's pictures read well.
    if (!mBackground.InitTexturedQuad(white, ColorRGBA(30, 34, 44, 255), rect)) return;
    renderer.UploadTextureIfPending(white);
    renderer.DrawShape(mBackground, false, 255, true);
}

void RobotEditorChrome::DrawControls(Renderer& renderer, TextureLib& textures, VectorI position, VectorI size,
                                     int32_t mode, const Robot* robot)
{
    mQuadsUsed = 0;
    mTextsUsed = 0;
    const VectorF origin = IntPointToVectorF(position);
    for (int32_t k = 0; k < RobotEditState::kModeCount; ++k) {
        const float top = RobotEditState::kButtonFrom + RobotEditState::kButtonStep * float(k);
        const RectF rect(origin.mX + RobotEditState::kButtonFrom, origin.mY + top,
                         origin.mX + RobotEditState::kButtonTo, origin.mY + top + (RobotEditState::kButtonTo - RobotEditState::kButtonFrom));
        DrawPicture(renderer, textures, kButtonPictures[k][k == mode ? 1 : 0], rect, kOpaqueWhite);
    }
    if (robot) DrawTimeline(renderer, textures, origin, size, *robot);
}

void RobotEditorChrome::DrawTimeline(Renderer& renderer, TextureLib& textures, VectorF origin, VectorI size,
                                     const Robot& robot)
{
    const RectF local = RobotDef::GetPoseTimelineRect(float(size.mX), float(size.mY));
    const RectF bar(origin.mX + local.x1, origin.mY + local.y1, origin.mX + local.x2, origin.mY + local.y2);
    DrawPicture(renderer, textures, kTimelineBar, bar, kOpaqueWhite);
    if (robot.GetJointsCount() == 0) return;
    const int32_t count = robot.Joints()[0]->mPoses.Count();
    if (count < 1) return;

    // The poses stand evenly from the bar's left end to its right end, as the
    // robot editor's clicks on the bar read them.
    const float midY = 0.5f * (bar.y1 + bar.y2);
    auto xOf = [&](float pose) {
        return count == 1 ? bar.x1 : bar.x1 + (bar.x2 - bar.x1) * pose / float(count - 1);
    };
    const auto [first, last] = std::pair{robot.GetAnimFirstPoseIndex(), robot.GetAnimLastPoseIndex()};
    for (int32_t i = 0; i < count; ++i) {
        const bool inAnimation = i >= first && i <= last;
        const float x = xOf(float(i));
        DrawPicture(renderer, textures, kTimelineMarker, RectF(x - 2.0f, midY - 8.0f, x + 2.0f, midY + 8.0f),
                    inAnimation ? kOpaqueWhite : ColorRGBA(140, 140, 140, 200));
        if (!inAnimation) continue;
        Shape& name = Next(mTexts, mTextsUsed);
        if (DrawTextWhite(name, robot.GetPoseName(i), 7.0f, ColorRGBA(230, 230, 230, 255), VectorF(x - 10.0f, bar.y1 - 10.0f))) {
            renderer.UploadTextureIfPending(name.mTexture);
            renderer.DrawShape(name, false, 255, true);
        }
    }
    const float at = xOf(std::clamp(robot.GetTimelinePosition(), 0.0f, float(count - 1)));
    DrawPicture(renderer, textures, kTimelineMarker, RectF(at - 4.0f, bar.y1 - 2.0f, at + 4.0f, bar.y2 + 2.0f),
                ColorRGBA(255, 200, 80, 255));
}

} // namespace KIV
