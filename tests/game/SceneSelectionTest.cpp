// The editor's selection getters (a robot-builder pick first, else the
// scene's selection) and the page methods that switch to the material pages.
#include <gtest/gtest.h>
#include "game/KIVGame.h"
#include "game/PageMethods.h"
#include "game/SceneSelection.h"
#include "physics/joints/Joint.h"
#include "physics/materials/Material.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "support/GameFixture.h"

using namespace KIV;

namespace {

// One toy, joint and particle system each in the scene and in the robot
// builder, every one of them selected.
class SceneSelectionTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        mSceneToy = AddRoundToy(*mGame, 20.0f, {0, 0});
        ASSERT_NE(mSceneToy, nullptr);
        mGame->mToys.SetSelectedIndex(mGame->mToys.IndexOf(mSceneToy));
        mBuilderToy = mGame->mEditToys.AppendNew();
        mGame->mEditToys.SetSelectedIndex(0);
        mSceneJoint = mGame->mJoints.mJoints.AppendNew();
        mGame->mJoints.mJoints.SetSelectedIndex(0);
        mBuilderJoint = mGame->mEditJoints.mJoints.AppendNew();
        mGame->mEditJoints.mJoints.SetSelectedIndex(0);
        mSceneSystem = mGame->NewParticleSystem(mGame->mParticleSystems);
        mGame->mParticleSystems.mSystems.SetSelectedIndex(0);
        mBuilderSystem = mGame->NewParticleSystem(mGame->mEditParticleSystems);
        mGame->mEditParticleSystems.mSystems.SetSelectedIndex(0);
        ASSERT_TRUE(mBuilderToy && mSceneJoint && mBuilderJoint && mSceneSystem && mBuilderSystem);
    }

    Toy* mSceneToy = nullptr;
    Toy* mBuilderToy = nullptr;
    Joint* mSceneJoint = nullptr;
    Joint* mBuilderJoint = nullptr;
    ParticleSystem* mSceneSystem = nullptr;
    ParticleSystem* mBuilderSystem = nullptr;
};

} // namespace

// A pick in the robot builder answers while it names a part; once that part's
// selection is gone the pick is dropped for good and the scene answers.
TEST_F(SceneSelectionTest, ABuilderPickWinsUntilItNamesNothing)
{
    KIVGame& g = *mGame;
    EXPECT_EQ(SelectedToy(g), mSceneToy);
    EXPECT_EQ(SelectedJoint(g), mSceneJoint);
    EXPECT_EQ(SelectedParticleSystem(g), mSceneSystem);

    g.mToyClickPick = 1;
    g.mJointClickPick = 1;
    g.mSceneEditor.mParticlesInRobotBuilder = true;
    EXPECT_EQ(SelectedToy(g), mBuilderToy);
    EXPECT_EQ(SelectedJoint(g), mBuilderJoint);
    EXPECT_EQ(SelectedParticleSystem(g), mBuilderSystem);

    g.mEditToys.SetSelectedIndex(5);
    g.mEditJoints.mJoints.SetSelectedIndex(-1);
    g.mEditParticleSystems.mSystems.SetSelectedIndex(1);
    EXPECT_EQ(SelectedToy(g), mSceneToy);
    EXPECT_EQ(SelectedJoint(g), mSceneJoint);
    EXPECT_EQ(SelectedParticleSystem(g), mSceneSystem);
    EXPECT_EQ(g.mToyClickPick, 0);
    EXPECT_EQ(g.mJointClickPick, 0);
    EXPECT_FALSE(g.mSceneEditor.mParticlesInRobotBuilder);
    g.mEditToys.SetSelectedIndex(0);
    EXPECT_EQ(SelectedToy(g), mSceneToy) << "a dropped pick stays dropped";

    g.mToys.SetSelectedIndex(-1);
    g.mParticleSystems.mSystems.SetSelectedIndex(3);
    EXPECT_EQ(SelectedToy(g), nullptr);
    EXPECT_EQ(SelectedParticleSystem(g), nullptr);
}

// The material particle families: the selected template of the edited
// material's family, and the page switch that opens the particle page on it.
TEST_F(SceneSelectionTest, MaterialFamiliesGiveTheirSelectedTemplate)
{
    KIVGame& g = *mGame;
    g.mDefaultMaterials.AddDefaultMaterial();
    Material& m = *g.mDefaultMaterials.mList[0];
    m.AddDentParticles();
    m.AddEntryHoleParticles();
    m.AddEntryHoleParticles();
    m.AddExitHoleParticles();
    m.SelectEntryHoleParticles(0);
    g.mEditMode = 10;

    PageMethods::GoEditMaterialParticles(g, 4);
    EXPECT_EQ(g.mEditMode, 10) << "the selected object's material is edited, and the toy names a default one";
    EXPECT_EQ(g.mMaterialParticleEditNumber, 0);
    EXPECT_EQ(g.mSceneEditor.mParticleMaterialMode, 0);
    EXPECT_EQ(SelectedParticleSystem(g), mSceneSystem);

    PageMethods::GoEditDefaultMaterial(g);
    EXPECT_EQ(g.mEditMode, 10);
    EXPECT_EQ(EditedMaterial(g), &m);
    struct Case {
        int32_t number;
        ParticleSystem* shown;
        int32_t mode;
    };
    const Case cases[] = {
        {3, m.GetDentParticlesSelected(), 5},
        {4, m.mEntryHole.mTemplates[0], 5},
        {5, m.GetExitHoleParticlesSelected(), 5},
        {1, nullptr, 10},
        {6, nullptr, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        g.mEditMode = 10;
        PageMethods::GoEditMaterialParticles(g, c.number);
        EXPECT_EQ(g.mEditMode, c.mode);
        EXPECT_EQ(g.mMaterialParticleEditNumber, c.shown ? c.number : 0);
        if (c.shown) EXPECT_EQ(SelectedParticleSystem(g), c.shown);
        else EXPECT_EQ(SelectedParticleSystem(g), mSceneSystem) << "back to the scene's own systems";
    }
    PageMethods::GoEditMaterialParticles(g, 0);
    EXPECT_EQ(SelectedParticleSystem(g), mSceneSystem);

    // The toy's own material, once it has one.
    PageMethods::GoEditObjectMaterial(g);
    EXPECT_EQ(g.mDefaultMaterials.mInUse, -1);
    EXPECT_EQ(EditedMaterial(g), nullptr);
    mSceneToy->SetUseDefaultMaterial(false);
    ASSERT_NE(mSceneToy->mOwnMaterial, nullptr);
    mSceneToy->mOwnMaterial->AddDentParticles();
    PageMethods::GoEditMaterialParticles(g, 3);
    EXPECT_EQ(g.mEditMode, 5);
    EXPECT_EQ(SelectedParticleSystem(g), mSceneToy->mOwnMaterial->GetDentParticlesSelected());
}
