#pragma once
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "base/FileUtils.h"
#include "base/MemoryStream.h"
#include "base/Notices.h"
#include "base/Platform.h"
#include "base/Statistics.h"
#include "game/KIVGame.h"
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"
#include "render/ImageFile.h"
#include "render/PictureFile.h"
#include "render/TextureLib.h"

// What the fuzz targets and the seed writer share: a private data root with
// the pictures the seeds name, and small worlds to read records into. The
// seeds are written by the project's own writers against the same names, so
// the fuzzer starts from records that load.

namespace KIV::Fuzz {

inline const char* const kGroundPicture = "Ground\\g.png";
inline const char* const kRockPicture = "Ground\\rock.png";

// Statistics and a quiet notice board, once per process: notices of damaged
// input are expected by the thousand.
inline void StartProcess()
{
    static bool done = false;
    if (done) return;
    done = true;
    static Statistics statistics;
    statistics.InitItems();
    Notices().SetEchoToStderr(false);
}

// A fresh folder under the system's temporary folder, in the program's spelling with a trailing "\".
inline std::string MakeTempRoot(const char* tag)
{
    std::string pattern = std::string("/tmp/kiv-fuzz-") + tag + "-XXXXXX";
    char* made = mkdtemp(pattern.data());
    return made ? FromOsPath(made) + "\\" : std::string();
}

// An opaque picture with a rounded top, so its outline has curves and corners.
inline bool WritePicture(const std::string& path, int32_t width, int32_t height)
{
    std::vector<uint8_t> pixels(size_t(width) * height * 4, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const float dx = float(x - width / 2) / float(width / 2);
            if (y < height / 3 && dx * dx + float((height / 3 - y) * (height / 3 - y)) / float(height * height / 9) > 1.0f)
                continue;
            uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
            p[0] = uint8_t(90 + x % 40);
            p[1] = uint8_t(70 + y % 30);
            p[2] = 40;
            p[3] = 255;
        }
    ImageFile holder;
    CreateFolders(GetPathDirectory(path));
    return SaveImageFile(holder, pixels.data(), width, height, true, path, 0, 0);
}

// A data root whose Textures folder holds the pictures the seeds name.
inline std::string MakeDataRoot(const char* tag)
{
    const std::string root = MakeTempRoot(tag);
    if (root.empty()) return root;
    CreateFolders(root + "Scenes");
    WritePicture(root + "Textures\\" + kGroundPicture, 96, 48);
    WritePicture(root + "Textures\\" + kRockPicture, 40, 40);
    return root;
}

// A game object over a data root, as the game sets one up before loading a scene.
struct FuzzGame {
    std::unique_ptr<KIVGame> mGame;
    std::unique_ptr<TextureLib> mTextures;

    explicit FuzzGame(const std::string& dataRoot)
    {
        mGame = std::make_unique<KIVGame>();
        mTextures = std::make_unique<TextureLib>(dataRoot + "Textures");
        mGame->mTextureLib = mTextures.get();
        mGame->mDataRoot = dataRoot;
        mGame->SetupGrid(RectF(-4000, -4000, 4000, 4000));
        mGame->mLayers.SetDefaultLayers();
    }
};

// Back to an empty world without building a new one: a game object's slot
// tables and grid cost far more to make than a fuzz input takes to run.
inline void ClearWorld(KIVGame& game)
{
    while (game.mJoints.mJoints.Count() > 0) game.DeleteJoint(game.mJoints, game.mJoints.mJoints[0]);
    game.DeleteAllToys();
    game.mScenario.Clear();
    if (game.mTerrainObjects.Count() == 0) return;
    for (int32_t i = 0; i < game.mLayers.GetLayerCount(); ++i) game.mLayers.GetLayerAt(i)->mTerrainObjects.Clear();
    game.mTerrainObjects.DeleteAll();
    game.RebuildStaticGrid();
}

// The one small world of a process, emptied for every input.
inline KIVGame& EmptySmallWorld()
{
    static KIVGame* game = [] {
        StartProcess();
        KIVGame* g = new KIVGame;
        g->SetupGrid(RectF(-1000, -1000, 1000, 1000));
        return g;
    }();
    ClearWorld(*game);
    return *game;
}

// A stream holding the fuzz input, to read from its start; false when it cannot be held.
inline bool HoldBytes(MemoryStream& stream, const uint8_t* data, size_t size)
{
    if (size > 0 && !stream.WriteBytes(data, int32_t(size))) return false;
    stream.SetPosition(0);
    return true;
}

// Decoders of one picture format, checked alike: a failure says why and
// leaves no pixels, a success is a whole picture of an accepted size.
template <typename Decode>
void CheckDecoder(Decode decode, const uint8_t* data, size_t size)
{
    DecodedPicture picture;
    std::string reason;
    if (!decode(data, size, picture, reason)) {
        if (reason.empty() || picture.mPixels.Count() != 0) std::abort();
        return;
    }
    if (!IsPictureSizeAccepted(picture.mWidth, picture.mHeight) ||
        (picture.mBytesPerPixel != 3 && picture.mBytesPerPixel != 4) ||
        picture.mPixels.Count() != picture.mWidth * picture.mHeight * picture.mBytesPerPixel)
        std::abort();
}

// A round toy of outline points every few units, as a traced picture gives.
inline Toy* AddRoundToy(KIVGame& game, float diameter, const VectorF& at)
{
    VectorF ring[24];
    for (int i = 0; i < 24; ++i) {
        const float a = 6.2831853f * float(i) / 24.0f;
        ring[i] = VectorF(std::cos(a), std::sin(a)) * (0.5f * diameter);
    }
    Toy* toy = game.NewToySlot();
    if (!toy || !toy->BuildFromPolygon(ring, 24, 1.0f, at, 0.0f)) return nullptr;
    game.mGrid.InsertToy(*toy);
    return toy;
}

} // namespace KIV::Fuzz
