// Writes the seed corpus of every fuzz target, one folder per target, from
// the project's own writers and from the shipped content. Run by the test
// suite before the fuzz targets; a later reader adds one function here.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>
#include "FuzzWorld.h"
#include "base/MemoryStream.h"
#include "editor/ColorPickerTable.h"
#include "editor/EdyBuilder.h"
#include "editor/WindowsLayout.h"
#include "editor/webview/pak/PakWriter.h"
#include "game/Recording.h"
#include "physics/particles/ParticleSystem.h"
#include "robots/Robot.h"

using namespace KIV;
namespace fs = std::filesystem;

namespace {

using Bytes = std::string;

Bytes StreamBytes(const MemoryStream& s) { return Bytes(reinterpret_cast<const char*>(s.GetData()), size_t(s.GetSize())); }

Bytes FileBytes(const std::string& programPath)
{
    std::ifstream in(ToOsPath(programPath), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Corpus {
public:
    explicit Corpus(fs::path folder) : mFolder(std::move(folder)) {}
    void Add(const std::string& target, const std::string& name, const Bytes& bytes)
    {
        if (bytes.empty()) {
            std::fprintf(stderr, "fuzz_seeds: seed %s/%s is empty\n", target.c_str(), name.c_str());
            mOk = false;
            return;
        }
        fs::create_directories(mFolder / target);
        std::ofstream(mFolder / target / name, std::ios::binary) << bytes;
    }
    bool Ok() const { return mOk; }

private:
    fs::path mFolder;
    bool mOk = true;
};

// Terrain objects on both pictures, one of them bent and tinted, on three layers.
void FillScene(Fuzz::FuzzGame& fuzz)
{
    KIVGame& game = *fuzz.mGame;
    const char* pictures[] = {Fuzz::kGroundPicture, Fuzz::kRockPicture, Fuzz::kGroundPicture};
    const int32_t layers[] = {0, -3, 2};
    for (int i = 0; i < 3; ++i) {
        BendObject* o = game.mTerrainObjects.AppendNew();
        o->SetTexture(*fuzz.mTextures, pictures[i]);
        o->Move(VectorF(-200.0f + 150.0f * float(i), 100.0f));
        o->SetLayer(layers[i]);
    }
    BendObject* bent = game.mTerrainObjects[2];
    bent->mFrame.ApplyHandleDrag(9, VectorF(12, -7));
    bent->SetFragments(5, 2);
    bent->SetFillColor(ColorRGBA(200, 180, 160, 255));
    game.mScenario.AddRobot("walker");
    game.mScenario.SetSelectedRobotPosition({30, -40});
    game.RebuildDerivedState();
}

void SceneSeeds(Corpus& corpus, const std::string& dataRoot, const std::string& runtree)
{
    Fuzz::FuzzGame empty(dataRoot);
    empty.mGame->SaveScene(dataRoot + "Scenes\\empty.kis");
    corpus.Add("scene_file", "empty.kis", FileBytes(dataRoot + "Scenes\\empty.kis"));

    Fuzz::FuzzGame fuzz(dataRoot);
    FillScene(fuzz);
    fuzz.mGame->SaveScene(dataRoot + "Scenes\\three.kis");
    const Bytes three = FileBytes(dataRoot + "Scenes\\three.kis");
    corpus.Add("scene_file", "three.kis", three);
    // Cut inside the last record: loads with defaults.
    corpus.Add("scene_file", "three-cut.kis", three.substr(0, three.size() - 40));
    corpus.Add("memory_stream", "scene", std::string(1, char(20)) + std::string("\x01\x01\x07\x00\x03\x07\x05\x06\x08\x02\x04\x00\x01\x01\x07\x09\x0a\x07\x03\x01", 20) + three);
    if (!runtree.empty()) {
        const Bytes shipped = FileBytes(runtree + "Scenes\\Scene01.kis");
        if (!shipped.empty()) corpus.Add("scene_file", "shipped.kis", shipped);
    }

    for (int32_t i = 0; i < fuzz.mGame->mTerrainObjects.Count(); ++i) {
        MemoryStream s;
        fuzz.mGame->mTerrainObjects[i]->Write(s);
        corpus.Add("terrain_record", "object" + std::to_string(i), StreamBytes(s));
    }
}

void RecordSeeds(Corpus& corpus)
{
    KIVGame game;
    game.SetupGrid(RectF(-2000, -2000, 2000, 2000));
    Toy* a = Fuzz::AddRoundToy(game, 60.0f, VectorF(0, 0));
    Toy* b = Fuzz::AddRoundToy(game, 60.0f, VectorF(80, 0));
    if (!a || !b) return;
    MemoryStream plain;
    a->WriteState(plain);
    corpus.Add("toy_state", "plain", StreamBytes(plain));
    a->mDensity = 2.5f;
    a->mRestitution = 0.9f;
    a->mAllowPlasticDeform = 1;
    a->mAllowElasticDeform = 1;
    a->mBreakToyToMoreParts = 3;
    a->mAirFriction = 0.2f;
    MemoryStream unusual;
    a->WriteState(unusual);
    corpus.Add("toy_state", "unusual", StreamBytes(unusual));

    Joint* joint = game.CreateJoint(game.mJoints, "seed", a, VectorF(30, 0), b, VectorF(-30, 0), nullptr);
    if (!joint) return;
    MemoryStream j1;
    joint->WriteState(j1);
    corpus.Add("joint_state", "plain", StreamBytes(j1));
    joint->mMotorEnabled = 1;
    joint->mMotorPower = 4000.0f;
    joint->mMotorMaxSpeed = 3.0f;
    joint->mSpringPower = 200.0f;
    joint->mSpringAngle = 0.5f;
    joint->mGearRatio = -2.0f;
    joint->mBreakJointMinForce = 1.0e5f;
    MemoryStream j2;
    joint->WriteState(j2);
    corpus.Add("joint_state", "motor", StreamBytes(j2));
}

// A small robot with a joint and poses, and particle systems of a few presets.
void RobotAndParticleSeeds(Corpus& corpus)
{
    Robot robot;
    robot.SetName("walker");
    for (const char* name : {"body", "leg"}) {
        robot.AddObject();
        robot.ObjectSetName(name);
    }
    robot.AddJoint();
    robot.JointSetObjAName("body");
    robot.JointSetObjBName("leg");
    robot.AddPose();
    robot.AddParticles();
    robot.ParticlesSetName("jet");
    robot.SetScriptOnUpdate("x%3D1");
    MemoryStream r;
    robot.WriteToStream(r);
    corpus.Add("robot_stream", "walker", StreamBytes(r));
    MemoryStream empty;
    Robot().WriteToStream(empty);
    corpus.Add("robot_stream", "empty", StreamBytes(empty));

    ParticleSystem plain;
    MemoryStream p1;
    plain.WriteProps(p1);
    corpus.Add("particle_record", "plain", StreamBytes(p1));
    ParticleSystem busy;
    busy.SetName("sparks");
    busy.SetTexture("Particles\\rock.png");
    busy.SetDoFadeAlpha(true);
    busy.SetDoAngleTracker(true);
    busy.SetAllowSleepingParticles(true);
    MemoryStream p2;
    busy.WriteProps(p2);
    corpus.Add("particle_record", "busy", StreamBytes(p2));
}

// A list of two materials, one with every list filled, and the shipped file.
void MaterialSeeds(Corpus& corpus, const std::string& runtree)
{
    DefaultMaterials list;
    list.AddDefaultMaterial();
    Material& m = *list.mList[0];
    m.SetName("rubber");
    m.AddDentDecal();
    m.SetDentDecalTexture(0, "Toys/decals/decal3.png");
    m.AddEntryHoleDecal();
    m.AddExitHoleDecal();
    m.AddBreakDecal();
    m.AddDentParticles();
    m.AddEntryHoleParticles();
    m.SetEntryHoleParticlesName("sparks");
    list.AddDefaultMaterial();
    MemoryStream file;
    list.Write(file);
    corpus.Add("materials_file", "two", StreamBytes(file));
    MemoryStream fresh;
    Material().Write(fresh);
    corpus.Add("materials_file", "fresh-record", StreamBytes(fresh));
    if (!runtree.empty()) {
        const Bytes shipped = FileBytes(runtree + "Scenes\\kiv_default_materials.kim");
        if (!shipped.empty()) corpus.Add("materials_file", "shipped.kim", shipped);
    }
}

// A short recording, and a pack of two small pages.
void RecordingAndPackSeeds(Corpus& corpus)
{
    SyncCheckList checks = {{100, 0x1234u, {}}, {200, 0x5678u, {}}};
    RecordedFrames frames;
    InputFrame held;
    held.mD.mIsDown = 1;
    held.mMouseWorldX = 12.5f;
    for (int i = 0; i < 3; ++i) frames.Append(held);
    MemoryStream kir;
    WriteRecording(kir, checks, frames);
    corpus.Add("recording", "three-frames", StreamBytes(kir));

    PakWriter pack;
    pack.Add("index.html", {'<', 'p', '>', 'h', 'i'});
    pack.Add("img/dot.png", {0x89, 'P', 'N', 'G'});
    const std::vector<uint8_t> built = pack.Build();
    corpus.Add("pak", "two-pages", Bytes(built.begin(), built.end()));
}

void PictureSeeds(Corpus& corpus, const std::string& dataRoot, const std::string& runtree)
{
    const Bytes ground = FileBytes(dataRoot + "Textures\\" + Fuzz::kGroundPicture);
    corpus.Add("picture_png", "ground.png", ground);
    corpus.Add("picture_png", "rock.png", FileBytes(dataRoot + "Textures\\" + Fuzz::kRockPicture));
    // A cut inside the text chunks hung the reader the game used before.
    corpus.Add("picture_png", "cut.png", ground.substr(0, 100));
    if (!runtree.empty()) {
        const Bytes shipped = FileBytes(runtree + "Textures\\Particles\\rock.png");
        if (!shipped.empty()) corpus.Add("picture_png", "shipped-rock.png", shipped);
    }

    std::vector<uint8_t> rgb(size_t(24) * 16 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(i * 37);
    ImageFile holder;
    const std::string jpeg = dataRoot + "photo.jpg";
    SaveImageFile(holder, rgb.data(), 24, 16, false, jpeg, 0, 0);
    corpus.Add("picture_jpeg", "photo.jpg", FileBytes(jpeg));
    // This one kept the reader the game used before at full CPU for ever.
    corpus.Add("picture_jpeg", "hang.jpg", Bytes("\xff\xd8\xff\xe6\xb5\x00", 6));
}

} // namespace

// The editor's own files: a builder with controls of several types, layouts
// of the newest and the oldest version, a colour table and a cut one.
void EditorFileSeeds(Corpus& corpus)
{
    EdyBuilder builder;
    builder.SelectPage(1);
    builder.MyConvert("add_slider(\"s\",1,0,10,1,\"kiv:A(1,2)\",\"\",\"hint\",\"\",true,100);");
    builder.MyConvert("add_label(\"\",\"Caption\",\"\",\"\",\"\",\"\",\"\");");
    builder.AddNewControl("javascript");
    builder.SetControlParam(0, "alert(1);");
    MemoryStream b;
    builder.Write(b);
    corpus.Add("editor_builder", "three-controls", StreamBytes(b));
    corpus.Add("editor_builder", "cut", StreamBytes(b).substr(0, 200));

    WindowsLayout layout;
    layout.mGameWindow[2] = 1024;
    layout.mGameWindow[3] = 576;
    layout.mRecords.resize(3);
    for (int32_t k = 0; k < 3; ++k)
        for (int32_t f = 0; f < WindowLayoutRecord::kFieldCount; ++f) layout.mRecords[k].mFields[f] = 100 * k + 50 * f;
    layout.mRecords[1].mInOwnWindow = 1;
    MemoryStream l;
    WriteWindowsLayout(l, layout);
    corpus.Add("windows_layout", "version5", StreamBytes(l));
    Bytes v1 = Bytes("\x01\x02\0\0\0", 5) + Bytes(32, '\x40');
    corpus.Add("windows_layout", "version1", v1);

    ColorPickerTable table;
    MemoryStream t;
    table.Write(t);
    Bytes colours = StreamBytes(t);
    for (size_t i = 1; i < colours.size(); ++i) colours[i] = char(i * 7);
    corpus.Add("color_picker_table", "full", colours);
    corpus.Add("color_picker_table", "cut", colours.substr(0, 30));
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <corpus folder> [<runnable tree>]\n");
        return 2;
    }
    Fuzz::StartProcess();
    std::string runtree;
    if (argc > 2) runtree = FromOsPath(argv[2]) + "\\";
    const std::string dataRoot = Fuzz::MakeDataRoot("seeds");
    if (dataRoot.empty()) return 1;
    fs::remove_all(argv[1]);
    Corpus corpus(argv[1]);
    SceneSeeds(corpus, dataRoot, runtree);
    RecordSeeds(corpus);
    RobotAndParticleSeeds(corpus);
    RecordingAndPackSeeds(corpus);
    MaterialSeeds(corpus, runtree);
    PictureSeeds(corpus, dataRoot, runtree);
    EditorFileSeeds(corpus);
    fs::remove_all(ToOsPath(dataRoot));
    return corpus.Ok() ? 0 : 1;
}
