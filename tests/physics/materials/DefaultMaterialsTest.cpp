#include <gtest/gtest.h>
#include <filesystem>
#include <vector>
#include "base/MemoryStream.h"
#include "base/Notices.h"
#include "physics/materials/DefaultMaterials.h"
#include "physics/toys/Toy.h"
#include "support/TempFolder.h"

using namespace KIV;

namespace {

void Add(DefaultMaterials& d, const std::string& name)
{
    d.AddDefaultMaterial();
    d.mList.GetSelected()->SetName(name);
}

std::vector<std::string> Names(const DefaultMaterials& d)
{
    std::vector<std::string> names;
    for (const Material* m : d.mList) names.push_back(m->GetName());
    return names;
}

class QuietNotices : public ::testing::Test {
protected:
    void SetUp() override
    {
        Notices().SetEchoToStderr(false);
        mReported = Notices().GetReportedCount();
    }
    void TearDown() override { Notices().SetEchoToStderr(true); }
    int32_t NewNotices() const { return Notices().GetReportedCount() - mReported; }
    int32_t mReported = 0;
};

} // namespace

TEST(DefaultMaterials, AddingAndDeletingFollowTheSelection)
{
    DefaultMaterials d;
    Add(d, "a");
    EXPECT_EQ(d.GetSelectedDefaultMaterialIndex(), 0);
    Add(d, "c");
    d.SelectDefaultMaterial(0);
    Add(d, "b");
    EXPECT_EQ(Names(d), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(d.GetSelectedDefaultMaterialIndex(), 1);
    EXPECT_EQ(d.GetDefaultMaterialsListArray(), "['a','b','c']");

    EXPECT_EQ(d.GetDefaultMaterialIndexByName(FastName("c")), 2);
    EXPECT_EQ(d.GetDefaultMaterialIndexByName(FastName("none")), 0);
    EXPECT_EQ(d.GetDefaultMaterialIndexByName(FastName()), 0);
    EXPECT_EQ(d.GetDefaultMaterialNameByIndex(2).GetInString(), "c");
    EXPECT_TRUE(d.GetDefaultMaterialNameByIndex(3).IsNull());
    EXPECT_EQ(d.FindForName(FastName("gone")), d.mList[0]);

    d.DelDefaultMaterial();
    EXPECT_EQ(Names(d), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(d.GetSelectedDefaultMaterialIndex(), 0);
    d.DelDefaultMaterial();
    d.DelDefaultMaterial();
    EXPECT_EQ(d.GetDefaultMaterialsCount(), 0);
    EXPECT_EQ(d.GetSelectedDefaultMaterialIndex(), -1);
    EXPECT_EQ(d.FindForName(FastName("a")), nullptr);
}

TEST(DefaultMaterials, TheEditedMaterialIsTheDefaultOneOrTheSelectedToysOwn)
{
    DefaultMaterials d;
    Toy toy;
    EXPECT_EQ(d.GetEdited(nullptr), nullptr);
    EXPECT_EQ(d.GetEditedWhere(nullptr, false), "! NULL MATERIAL !");
    Add(d, "a");
    Add(d, "b");
    d.SelectDefaultMaterial(-1);
    EXPECT_EQ(d.GetEdited(&toy), d.mList[1]);
    EXPECT_EQ(d.GetEditedWhere(&toy, false), "one of default materials");
    d.SelectObjectMaterial();
    EXPECT_EQ(d.GetEdited(&toy), nullptr) << "the toy names a default material";
    toy.SetUseDefaultMaterial(false);
    ASSERT_NE(toy.mOwnMaterial, nullptr);
    EXPECT_EQ(d.GetEdited(&toy), toy.mOwnMaterial);
    EXPECT_EQ(d.GetEditedWhere(&toy, false), "material of obj. in simulation");
    EXPECT_EQ(d.GetEditedWhere(&toy, true), "material of obj. in robot builder");
    Material* own = toy.mOwnMaterial;
    toy.SetUseDefaultMaterial(false);
    EXPECT_EQ(toy.mOwnMaterial, own) << "one own material only";
}

TEST(DefaultMaterials, PastingCopiesEverythingButTheName)
{
    DefaultMaterials d;
    Material source, target;
    d.PasteMaterial(&target);  // nothing copied yet
    EXPECT_EQ(target.GetDensity(), 1.0f);
    source.SetName("steel");
    source.SetDensity(7.5f);
    source.AddBreakDecal();
    target.SetName("wood");
    d.CopyMaterial(&source);
    d.PasteMaterial(&target);
    d.PasteMaterial(&target);
    EXPECT_EQ(target.GetName(), "wood");
    EXPECT_EQ(target.GetDensity(), 7.5f);
    EXPECT_EQ(target.GelBreakDecalCount(), 1);
}

class MaterialsFileTest : public QuietNotices {
protected:
    TempFolder mFolder;
};

TEST_F(MaterialsFileTest, CountZeroEmptiesTheListAndABadSelectionIsIgnored)
{
    DefaultMaterials d;
    Add(d, "old");
    MemoryStream empty;
    empty.WriteByte(1);
    empty.WriteInt(0);
    empty.WriteInt(-1);
    empty.SetPosition(0);
    EXPECT_TRUE(d.Read(empty));
    EXPECT_EQ(d.GetDefaultMaterialsCount(), 0);
    EXPECT_EQ(d.GetSelectedDefaultMaterialIndex(), -1);

    DefaultMaterials three;
    Add(three, "a"), Add(three, "b"), Add(three, "c");
    MemoryStream s;
    ASSERT_TRUE(three.Write(s));
    const int32_t five = 5;
    std::memcpy(const_cast<uint8_t*>(s.GetData()) + s.GetSize() - 4, &five, 4);
    s.SetPosition(0);
    EXPECT_TRUE(d.Read(s));
    EXPECT_EQ(Names(d), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(d.GetSelectedDefaultMaterialIndex(), 0);
}

TEST_F(MaterialsFileTest, EveryPrefixOfAFileReadsSafely)
{
    DefaultMaterials written;
    Add(written, "a");
    written.mList[0]->AddDentParticles();
    written.mList[0]->AddExitHoleDecal();
    Add(written, "b");
    MemoryStream full;
    ASSERT_TRUE(written.Write(full));
    for (int32_t n = 0; n < full.GetSize(); ++n) {
        MemoryStream s;
        if (n > 0) s.WriteBytes(full.GetData(), n);
        s.SetPosition(0);
        DefaultMaterials read;
        EXPECT_FALSE(read.Read(s)) << n;
        EXPECT_LE(read.GetDefaultMaterialsCount(), 2);
    }
}

TEST_F(MaterialsFileTest, SavingKeepsADatedBackupAndAFailureIsReported)
{
    const std::string path = mFolder.PathOf("Scenes\\kiv_default_materials.kim");
    DefaultMaterials d;
    Add(d, "first");
    ASSERT_TRUE(d.Save(path));
    Add(d, "second");
    ASSERT_TRUE(d.Save(path));
    DefaultMaterials loaded;
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(Names(loaded), (std::vector<std::string>{"first", "second"}));
    int backups = 0;
    for (const auto& e : std::filesystem::directory_iterator(ToOsPath(mFolder.PathOf("Scenes\\backups")))) {
        EXPECT_NE(e.path().filename().string().find("kiv_default_materials."), std::string::npos);
        ++backups;
    }
    EXPECT_EQ(backups, 1);
    EXPECT_EQ(NewNotices(), 0);

    // A folder where the file should be: the save fails, says so, and the list stays.
    const std::string blocked = mFolder.PathOf("blocked.kim");
    std::filesystem::create_directories(ToOsPath(blocked));
    EXPECT_FALSE(d.Save(blocked));
    EXPECT_EQ(NewNotices(), 1);
    EXPECT_NE(Notices().GetLast().find("blocked.kim"), std::string::npos);

    // A missing file leaves the list as it was, and says so.
    EXPECT_FALSE(loaded.Load(mFolder.PathOf("none.kim")));
    EXPECT_EQ(loaded.GetDefaultMaterialsCount(), 2);
    EXPECT_EQ(NewNotices(), 2);
}
