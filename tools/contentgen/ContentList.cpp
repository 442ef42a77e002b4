#include "tools/contentgen/ContentList.h"
#include <cstdio>
#include <string>
#include "tools/contentgen/DebrisPictures.h"
#include "tools/contentgen/EffectPictures.h"
#include "tools/contentgen/FontPicture.h"
#include "tools/contentgen/FramePicture.h"
#include "tools/contentgen/GlowPictures.h"
#include "tools/contentgen/GroundPicture.h"
#include "tools/contentgen/PngWriter.h"
#include "tools/contentgen/RobotEditorPictures.h"
#include "tools/contentgen/RobotPictures.h"
#include "tools/contentgen/ShippedMaterials.h"
#include "tools/contentgen/ToyPictures.h"
#include "tools/contentgen/WaterPicture.h"

namespace KIV {

std::vector<ContentItem> GetContentList()
{
    std::vector<ContentItem> items;
    items.push_back({"Textures/Fonts/FontWhite.png", MakeFontPicture, 0});
    items.push_back({"Textures/Editor/EditWindowFrameStuff.png", MakeWindowFramePicture, 0});
    for (int i = 1; i <= 8; ++i) {
        const std::string name = "Textures/Editor/button" + std::to_string((i + 1) / 2) + (i % 2 ? "a" : "b") + ".png";
        items.push_back({name, MakeRobotEditorButtonPicture, i});
    }
    items.push_back({"Textures/Editor/white.png", MakeWhitePicture, 0});
    items.push_back({"Textures/Editor/timeline_bar1.png", MakeTimelinePicture, 1});
    items.push_back({"Textures/Editor/timeline_bar2.png", MakeTimelinePicture, 2});
    for (int i = 1; i <= kToyPictureCount; ++i) {
        char name[64];
        std::snprintf(name, sizeof(name), "Textures/Toys/new/NewToys_%02d.png", i);
        items.push_back({name, MakeToyPicture, i});
    }
    for (int i = 1; i <= kDecalPictureCount; ++i) {
        items.push_back({"Textures/Toys/decals/decal" + std::to_string(i) + ".png", MakeDecalPicture, i});
    }
    items.push_back({"Textures/Toys/toy16.png", MakeBulletPicture, 0});
    items.push_back({"Textures/Ground/ground01.png", MakeGroundPicture, 1});
    items.push_back({"Textures/Ground/pond01.png", MakePondPicture, 1});
    items.push_back({"Textures/Ground/soil01.png", MakeSoilPicture, 1});
    items.push_back({"Textures/Particles/rock.png", MakeRockPicture, 0});
    items.push_back({"Textures/Particles/shot.png", MakeShotPicture, 0});
    items.push_back({"Textures/Particles/heat01.png", MakeHeatPicture, 0});
    items.push_back({"Textures/Particles/spark.png", MakeSparkPicture, 0});
    items.push_back({"Textures/Particles/dust.png", MakeDustPicture, 0});
    items.push_back({"Textures/Water/water1.png", MakeWaterPicture, 1});
    const char* const robotParts[] = {"body", "thigh", "shin", "gun"};
    for (int i = 1; i <= 4; ++i)
        items.push_back({std::string("Textures/Robots/spider1/") + robotParts[i - 1] + ".png", MakeRobotPartPicture, i});
    return items;
}

int WriteAllContent(const std::string& root)
{
    int failures = 0;
    for (const ContentItem& item : GetContentList()) {
        const std::string path = root + "/" + item.mPath;
        if (!SavePng(item.mMake(item.mNumber), path)) {
            std::fprintf(stderr, "contentgen: could not write %s\n", path.c_str());
            ++failures;
        }
    }
    if (!WriteShippedMaterials(root)) ++failures;
    return failures;
}

} // namespace KIV
