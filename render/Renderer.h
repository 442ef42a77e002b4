#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include "base/Array.h"
#include "base/Color.h"
#include "base/Rect.h"
#include "render/LightSource.h"
#include "render/RenderCommandBuffer.h"
#include "render/RenderMesh.h"

namespace KIV {

class Shape;
class Texture;
struct ImageFile;

// The scene pass of a frame. It walks game data (layers, toys, particles, robots, windows), so it
// lives with the game; the renderer calls it between its own frame phases.
class FramePass {
public:
    virtual ~FramePass() = default;
    virtual void DrawScene(class Renderer& renderer, bool screenOverlays) = 0;
};

struct FrameRequest {
    bool mLoadingScreen = false;
    bool mHold = false;               // a video-mode change is pending: set the view, draw nothing
    std::string mCaptureFileName;     // non-empty: read the frame back and save it instead of swapping
    bool mScreenOverlays = true;
    int32_t mTextureMapping = 2;      // the game's texture-mapping setting
    Shape* mTextShape = nullptr;      // the game's text shape, for the loading screen
    FramePass* mScene = nullptr;      // null when the game's scene drawing is switched off
    ColorRGBAF mClearColor;           // what shows where nothing is drawn: the sky
};

struct LightSlot {
    const LightSource* mLight = nullptr;
    uint8_t mUsed = 0;
    uint8_t mEnabled = 0;
};

inline constexpr int32_t kLightSlotCount = 8;
// Fast toys trail at most this many ghost copies; the count grows with speed and would otherwise
// fill a frame with copies of one toy flung hard.
inline constexpr int32_t kMaxGhostCopies = 16;

// Copies drawn behind a toy that moved d and turned a during one step (zero or less: none).
int32_t ComputeGhostCopyCount(float turnPerStep, float motionPerStepLength);

// The one object that owns the GL context of the game window (through the window system's OpenGL
// video mode) and turns a frame into pixels: it records the frame into its command buffer through
// the drawing operations, executes it, then swaps or reads the pixels back.
class Renderer {
public:
    Renderer();
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // --- Context (RendererContext.cpp)
    bool Init(int32_t width, int32_t height);
    bool CreateContext();
    // Deletes the GL textures (while the context is still current) and empties the upload records.
    void Shutdown();
    // After a video-mode change: drop the context's textures first, then make it anew at the new
    // size; every texture uploads again on its next draw.
    bool RecreateContext(int32_t width, int32_t height);
    bool ReadBackAndSwap(int32_t width, int32_t height, bool rgba, bool swap);
    void ClearScreen();
    void SwapBuffers();
    bool IsContextValid() const { return mContextValid != 0; }
    bool IsContextReady() const { return mContextReady != 0; }
    // The video mode the context is made in: full screen or a resizable window.
    void SetFullScreen(bool on) { mFullScreen = on ? 1 : 0; }

    // --- Frame (RendererFrame.cpp)
    bool RenderFrame(const FrameRequest& request);
    // Draws through the callback into a square view of side 1.1 × the larger side of bounds, reads
    // it back without showing it, and saves it RGBA scaled to 256 × 256. The file is written under
    // a temporary name and renamed, so an existing picture is replaced only by a complete one.
    bool SaveThumbnail(const RectF& bounds, const std::function<void(Renderer&)>& draw, const std::string& path);
    // Saves the read-back pixels (window size); target (0, 0) keeps the size.
    bool SaveReadBackPixels(const std::string& path, bool rgba, int32_t targetWidth, int32_t targetHeight);
    // Whether the last frame rendered into a file was written.
    bool GetLastCaptureOk() const { return mLastCaptureOk; }

    // --- Drawing (Renderer.cpp)
    void SetView(const RectF& rect, float angle);
    const RectF& GetViewRect() const { return mViewRect; }
    float GetViewAngle() const { return mViewAngle; }
    bool IsInView(const RectF& rect) const;
    void ResetDrawBuffer();
    bool DrawShape(Shape& shape, bool wireframe, uint8_t alpha, bool lightingOff);
    bool DrawShapeWireframe(Shape& shape);
    bool UploadTextureIfPending(Texture* texture);
    bool PrepareTextureUpload(Texture* texture);
    bool SetLights(const LightSource* const* lights, int32_t count);
    // Integer window rectangle (x1, y1, x2, y2) with a top-left origin.
    void SetScissor(const RectI& rect);
    void ClearScissor();
    // Ghost copy k of count (1 .. count) is drawn moved back by k / (count + 1) of the step's motion
    // and turned back by the same part of its turn about the pivot, fading with k.
    void DrawGhostCopies(Shape& shape, const VectorF& pivot, float turnPerStep, const VectorF& motionPerStep,
                         int32_t count);
    // Draws the particles of a mesh whose vertices the owner has written (4 per quad particle or
    // 6 per fan particle), in batches that 16-bit indices can address.
    bool DrawParticleMesh(int32_t& meshIndex, int32_t verticesPerParticle, int32_t particles, Texture* texture);

    // A pooled mesh for an owner that keeps its index (-1 makes a new one).
    RenderMesh* GetPooledMesh(int32_t& meshIndex);
    void ReleaseMesh(int32_t meshIndex);
    // The upload record a texture's handle names, or null when it has none in this renderer.
    TextureUpload* FindUpload(const Texture* texture) const;
    void ReleaseTexture(const Texture& texture);

    RenderCommandBuffer& GetDrawBuffer() { return mDrawBuffer; }
    const RenderPools& GetPools() const { return mPools; }
    const LightSlot& GetLightSlot(int32_t i) const { return mLightSlots[i]; }
    const Array<uint8_t>& GetReadBackPixels() const { return mReadBackPixels; }
    int32_t GetWindowWidth() const { return mWidth; }
    int32_t GetWindowHeight() const { return mHeight; }
    bool WasSceneDrawn() const { return mSceneDrawnOnce != 0; }
    // Windows with a size but no context: recording tests set the window size this way.
    void SetWindowSize(int32_t width, int32_t height);

private:
    void ClearLightSlots();
    int32_t FindFreeLightSlot() const;
    TextureUpload* NewTextureUpload(const Texture* texture);
    void RecordUpload(const TextureUpload& record);
    void DrawLoadingScreen(Shape* textShape);
    bool CaptureFrame(const std::string& fileName);
    void SetScreenView();

    RenderCommandBuffer mDrawBuffer;
    uint8_t mContextValid = 0;
    bool mLastCaptureOk = true;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    RenderPools mPools;
    Array<int32_t> mFreeMeshes;
    Array<int32_t> mFreeUploads;  // records without an owner, ready for the next texture
    std::unordered_set<const TextureUpload*> mUploadRecords;  // every record of the pool
    RectF mViewRect;
    float mViewAngle = 0.0f;
    LightSlot mLightSlots[kLightSlotCount];
    uint8_t mSceneDrawnOnce = 0;
    ColorRGBAF mClearColor;  // the current frame's
    float mWidthF = 0.0f;
    float mHeightF = 0.0f;
    Array<uint8_t> mReadBackPixels;
    ImageFile* mPicture = nullptr;
    uint8_t mContextReady = 0;
    uint8_t mFullScreen = 0;
};

extern Renderer* gRenderer;

} // namespace KIV
