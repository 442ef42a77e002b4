#include <gtest/gtest.h>
#include "base/Platform.h"
#include "physics/materials/DefaultMaterials.h"
#include "physics/particles/ParticleSystem.h"
#include "render/ImageFile.h"

using namespace KIV;

// The materials file the build ships: material 0, "default", which toys name
// unless told otherwise, shows a dent, an entry and an exit hole and a break,
// and every picture it names is shipped too.
TEST(ShippedMaterials, TheDefaultMaterialHasEveryEffectAndItsPictures)
{
    const std::string tree = FromOsPath(KIV_RUNTREE_DIR) + "\\";
    DefaultMaterials list;
    ASSERT_TRUE(list.Load(tree + DefaultMaterials::kFileName));
    ASSERT_GE(list.GetDefaultMaterialsCount(), 1);
    const Material& m = *list.mList[0];
    EXPECT_EQ(m.GetName(), "default");
    EXPECT_EQ(list.FindForName(FastName()), &m);
    for (MaterialEffect e : {MaterialEffect::kDent, MaterialEffect::kEntryHole, MaterialEffect::kExitHole}) {
        const MaterialFamily& f = m.GetFamily(e);
        ASSERT_GT(f.mDecals.Count(), 0);
        ASSERT_GT(f.mTemplates.Count(), 0);
        EXPECT_TRUE(IsExistingFile(tree + "Textures\\" + f.mDecals.GetTexture(0))) << f.mDecals.GetTexture(0);
        EXPECT_TRUE(IsExistingFile(tree + "Textures\\" + f.mTemplates[0]->GetTexture())) << f.mTemplates[0]->GetTexture();
        EXPECT_GT(f.mTemplates[0]->GetEmitBoomCount().mMinValue, 0);
    }
    ASSERT_GT(m.GelBreakDecalCount(), 0);
    EXPECT_TRUE(IsExistingFile(tree + "Textures\\" + m.GetBreakDecalTexture(0)));
}
