#include <gtest/gtest.h>
#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include <luabind/class_info.hpp>
#include <luabind/function_introspection.hpp>
#include <luabind/luabind.hpp>
#include "base/MemoryStream.h"
#include "editor/EdyBuilder.h"
#include "game/KIVGame.h"
#include "physics/particles/ParticleSystem.h"
#include "game/ScriptAPI.h"
#include "physics/toys/Toy.h"
#include "physics/world/GameSettings.h"
#include "scenes/JointWorlds.h"
#include "scenes/Scenes.h"
#include "script/ScriptHost.h"
#include "script/ScriptRef.h"
#include "support/TempFolder.h"

using namespace KIV;

namespace {
// The game object with a small world (two jointed toys and a terrain object,
// each selected) and the whole API registered on a fresh host.
class ScriptAPITest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mSavedSettings = *gSettings;
        // Calling every method saves the editor's files: into a folder of the test's own.
        mGame.mDataRoot = mRoot.Path();
        ASSERT_TRUE(Scenes::MakeWalledWorld(mGame, RectF(-1000, -1000, 1000, 200)));
        mToyA = Scenes::AddBoxToy(mGame, VectorF(60, 60), VectorF(0, 100));
        mToyB = Scenes::AddBoxToy(mGame, VectorF(60, 60), VectorF(70, 100));
        ASSERT_TRUE(mToyA && mToyB);
        mToyA->SetName("toy1");
        mJoint = Scenes::JoinToys(mGame, mToyA, mToyB, VectorF(35, 100));
        ASSERT_NE(mJoint, nullptr);
        mGame.mToys.SetSelectedIndex(0);
        mGame.mJoints.mJoints.SetSelectedIndex(0);
        ASSERT_NE(mGame.mEditRobots.AddRobot("", VectorF()), nullptr);
        ASSERT_NE(mGame.mTerrainObjects.AppendNew(), nullptr);
        mGame.mDefaultMaterials.AddDefaultMaterial();
        mGame.mDefaultMaterials.SelectDefaultMaterial(0);
        // The game's page methods switch the edited material between the
        // default one and the toy's: both exist.
        mToyA->SetUseDefaultMaterial(false);
        mHost.InitScriptVM(&RegisterScriptAPI);
    }
    void TearDown() override { *gSettings = mSavedSettings; }

    // Runs a chunk and gives its single result, or its error message.
    std::string Eval(const std::string& chunk, bool* ok = nullptr)
    {
        bool ran = mHost.RunScriptText(chunk, true);
        if (ok) *ok = ran;
        std::string value;
        mHost.PopScriptString(value);
        mHost.ClearScriptStack();
        return value;
    }

    GameSettings mSavedSettings;
    TempFolder mRoot;
    KIVGame mGame;
    ScriptHost mHost;
    Toy* mToyA = nullptr;
    Toy* mToyB = nullptr;
    Joint* mJoint = nullptr;
};

struct Entry {
    std::string name;
    int arity;
};

std::vector<Entry> ReadNameList(const std::string& cls)
{
    std::ifstream in(std::string(KIV_SCRIPT_API_LISTS) + "/" + cls + ".txt");
    std::vector<Entry> entries;
    Entry e;
    while (in >> e.name >> e.arity) entries.push_back(e);
    return entries;
}

// The parameter types of a signature as luabind writes it, "R Name(A,B)",
// without the Lua state that luabind passes on its own.
std::vector<std::string> ParameterTypes(const std::string& signature)
{
    size_t open = signature.find('('), close = signature.rfind(')');
    std::string inside = signature.substr(open + 1, close - open - 1);
    std::vector<std::string> types;
    std::string current;
    int depth = 0;
    for (char c : inside) {
        if (c == '<' || c == '[') ++depth;
        if (c == '>' || c == ']') --depth;
        if (c == ',' && depth == 0) {
            types.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) types.push_back(current);
    std::vector<std::string> kept;
    for (const std::string& t : types)
        if (t != "lua_State*") kept.push_back(t);
    return kept;
}

// A script value of each parameter type the API takes.
std::string SampleArgument(std::string type)
{
    for (const char* decoration : {" const&", "&", "*"}) {
        size_t at = type.find(decoration);
        if (at != std::string::npos) type.erase(at);
    }
    static const std::map<std::string, std::string> samples = {
        {"custom [float]", "1"},
        {"int", "1"},
        {"unsigned char", "1"},
        {"bool", "true"},
        {"std::string", "'toy1'"},
        {"VectorF", "VectorF(1, 2)"},
        {"VectorI", "VectorI(1, 2)"},
        {"FastName", "FastName('toy1')"},
        {"ColorRGB", "ColorRGB(1, 2, 3)"},
        {"ColorRGBA", "ColorRGBA(1, 2, 3, 4)"},
        {"IntervalF", "IntervalF(1, 2)"},
        {"IntervalI", "IntervalI(1, 2)"},
        {"RectI", "RectI(1, 2, 3, 4)"},
        {"Toy", "scene:ST()"},
        {"Joint", "scene:SJ()"},
        {"Robot", "scene:GetEditRobot()"},
        {"std::basic_string<char, std::char_traits<char>, std::allocator<char> >", "'toy1'"},
    };
    auto found = samples.find(type);
    return found == samples.end() ? "" : found->second;
}

// How each list's object is reached; the value classes are made.
const std::map<std::string, std::string> kObjects = {
    {"Toy", "scene:ST()"},           {"Joint", "scene:SJ()"},         {"BendObject", "scene:STO()"},
    {"Scene", "scene"},              {"KIVGame", "kiv"},              {"FastName", "FastName('toy1')"},
    {"VectorF", "VectorF(1, 2)"},    {"VectorI", "VectorI(1, 2)"},    {"IntervalF", "IntervalF(1, 2)"},
    {"IntervalI", "IntervalI(1, 2)"}, {"RectI", "RectI(1, 2, 3, 4)"}, {"ColorRGB", "ColorRGB(1, 2, 3)"},
    {"ColorRGBA", "ColorRGBA(1, 2, 3, 4)"}, {"RobotDef", "scene:GetEditRobotDef()"}, {"Robot", "scene:GetEditRobot()"},
    {"Scenario", "scene:SCN()"},     {"Material", "scene:SM()"},  {"EdyBuilder", "kiv:GetEdyBuilder()"},
};
const std::map<std::string, std::vector<std::string>> kConstructorArguments = {
    {"RectI 2", {"VectorI(1, 2)", "VectorI(3, 4)"}},
    {"FastName 1", {"'toy1'"}},
};
} // namespace

// Every listed name is callable, with the listed number of arguments, on an
// object of its class; and a class binds no name its list does not hold.
TEST_F(ScriptAPITest, EveryListedNameIsCallableWithItsArity)
{
    lua_State* state = mHost.GetState();
    luabind::bind_function_introspection(state);
    luabind::bind_class_info(state);
    luabind::object globals = luabind::globals(state);

    // The game object last: its Reset and Replay rebuild the level, and the
    // toys and joints the other classes are reached through go with it.
    std::vector<std::pair<std::string, std::string>> objects(kObjects.begin(), kObjects.end());
    std::stable_partition(objects.begin(), objects.end(), [](const auto& o) { return o.first != "KIVGame"; });
    for (const auto& [cls, expression] : objects) {
        SCOPED_TRACE(cls);
        std::vector<Entry> entries = ReadNameList(cls);
        ASSERT_FALSE(entries.empty());
        ASSERT_TRUE(mHost.RunScriptText("listed = " + expression, true));
        luabind::object info = luabind::call_function<luabind::object>(globals["class_info"], globals["listed"]);
        EXPECT_EQ(luabind::object_cast<std::string>(info["name"]), cls);

        std::set<std::string> bound, listed;
        for (luabind::iterator i(info["methods"]), end; i != end; ++i)
            bound.insert(luabind::object_cast<std::string>(i.key()));
        bound.erase("__init");
        for (const Entry& e : entries) {
            SCOPED_TRACE(e.name + " " + std::to_string(e.arity));
            std::vector<std::string> arguments;
            std::string call;
            if (e.name == cls) {
                auto special = kConstructorArguments.find(e.name + " " + std::to_string(e.arity));
                if (special != kConstructorArguments.end()) arguments = special->second;
                else
                    for (int i = 0; i < e.arity; ++i) arguments.push_back(std::to_string(i + 1));
                call = cls + "(";
            } else {
                listed.insert(e.name);
                luabind::object overloads = luabind::call_function<luabind::object>(
                    globals["function_info"]["get_function_overloads"], info["methods"][e.name]);
                bool found = false;
                for (luabind::iterator i(overloads), end; i != end && !found; ++i) {
                    std::vector<std::string> types = ParameterTypes(luabind::object_cast<std::string>(*i));
                    if (static_cast<int>(types.size()) != e.arity + 1) continue;
                    found = true;
                    for (size_t t = 1; t < types.size(); ++t) {
                        arguments.push_back(SampleArgument(types[t]));
                        EXPECT_FALSE(arguments.back().empty()) << "no sample for " << types[t];
                    }
                }
                ASSERT_TRUE(found) << "no overload of this arity";
                call = "listed:" + e.name + "(";
            }
            for (size_t a = 0; a < arguments.size(); ++a) call += (a ? ", " : "") + arguments[a];
            call += ")";
            bool ok = false;
            std::string message = Eval("listed = " + expression + "; local r = " + call + "; return 'called'", &ok);
            EXPECT_TRUE(ok) << call << ": " << message;
        }
        EXPECT_EQ(bound, listed);
    }
    std::vector<Entry> functions = ReadNameList("Functions");
    ASSERT_EQ(functions.size(), 2u);
    for (const Entry& e : functions) {
        std::string call = e.name + (e.arity == 1 ? "(1)" : "()");
        bool ok = false;
        std::string message = Eval("local r = " + call + "; return 'called'", &ok);
        EXPECT_TRUE(ok) << call << ": " << message;
    }
}

TEST_F(ScriptAPITest, ValueClassesConstructCompareAndCalculate)
{
    struct Case {
        const char* chunk;
        const char* result;
    };
    const Case cases[] = {
        {"local v = VectorF(1, 2) + VectorF(3, 4); return v.mX .. ',' .. v.mY", "4,6"},
        {"local v = VectorF(1, 2) * 2; return v.mX .. ',' .. v.mY", "2,4"},
        {"local v = VectorF(1, 2) + 1; return v.mX .. ',' .. v.mY", "2,3"},
        {"local v = VectorF(1, 2) - 1; return v.mX .. ',' .. v.mY", "0,1"},
        {"local v = VectorF(2, 4) / VectorF(2, 2); return v.mX .. ',' .. v.mY", "1,2"},
        {"local v = VectorF(2, 4) / 2; return v.mX .. ',' .. v.mY", "1,2"},
        {"local v = VectorF(3, 4) - VectorF(1, 1); return v.mX .. ',' .. v.mY", "2,3"},
        {"return VectorF(1, 2) == VectorF(1, 2) and 'same' or 'differ'", "same"},
        {"return VectorF(1, 2) == VectorF(1, 3) and 'same' or 'differ'", "differ"},
        {"local v = VectorF(1, 0) / 0; return v.mX > 1e30 and 'inf' or 'finite'", "inf"},
        {"return VectorF(3, 4):GetLength()", "5"},
        {"return ColorRGB(255, 0, 0).mRed", "255"},
        {"return ColorRGBA(1, 2, 3, 4).mAlpha", "4"},
        {"return RectI(1, 2, 3, 4).mP2.mY", "4"},
        {"return RectI(VectorI(1, 2), VectorI(3, 4)).mP1.mX", "1"},
        {"return IntervalF(2).mMaxValue", "2"},
        {"return IntervalI(2, 5).mMaxValue", "5"},
        {"return FastName('abcdefghijklmnopqrst'):GetInString()", "abcdefghijklmnop"},
        {"local n = FastName('spider'); return n:FirstCharactersEqual('spi') and 'yes' or 'no'", "yes"},
    };
    for (const Case& c : cases) {
        bool ok = false;
        EXPECT_EQ(Eval(c.chunk, &ok), c.result) << c.chunk;
        EXPECT_TRUE(ok) << c.chunk;
    }
    // The number must be the right operand.
    bool ok = true;
    std::string message = Eval("return 2 * VectorF(1, 2)", &ok);
    EXPECT_FALSE(ok);
    EXPECT_NE(message.find("No matching overload"), std::string::npos) << message;
}

// The particle page's Copy and Paste: a paste before any copy changes
// nothing; after one copy every paste gives the target the copied settings,
// while it keeps its own place.
TEST_F(ScriptAPITest, ParticleSettingsAreCopiedAndPastedOntoTheSelectedSystem)
{
    ParticleSystem* source = mGame.AddDefaultRockParticles();
    ParticleSystem* first = mGame.AddDefaultRockParticles();
    ParticleSystem* second = mGame.AddDefaultRockParticles();
    ASSERT_TRUE(source && first && second);
    PtrArray<ParticleSystem>& systems = mGame.mParticleSystems.mSystems;
    first->SetPositionX(-300.0f);
    auto select = [&](ParticleSystem* s) { systems.SetSelectedIndex(systems.IndexOf(s)); };
    select(first);
    bool ok = false;
    Eval("scene:SPS():SetEmittingCount(7) scene:PasteParticleSystemPropsToSelected()", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(first->GetEmittingCount(), 7) << "nothing to paste yet";
    select(source);
    Eval("scene:SPS():SetEmittingCount(23) scene:SPS():SetStartSpeed(55) scene:CopySelectedParticleSystemProps()");
    for (ParticleSystem* target : {first, second}) {
        select(target);
        Eval("scene:PasteParticleSystemPropsToSelected()");
        EXPECT_EQ(target->GetEmittingCount(), 23);
        EXPECT_EQ(target->GetStartSpeed(), 55.0f);
    }
    EXPECT_EQ(first->GetPosition().mX, -300.0f) << "the place is the target's own";
}

// A page chooses the robot editor's mode; a number outside its four modes
// gives the first.
TEST_F(ScriptAPITest, RobotEditingWhatKeepsToTheEditorsModes)
{
    const struct {
        int32_t asked;
        int32_t mode;
    } cases[] = {{3, 3}, {1, 1}, {4, 0}, {-1, 0}, {2, 2}};
    for (const auto& c : cases) {
        bool ok = false;
        Eval("scene:SetRobotEditingWhat(" + std::to_string(c.asked) + ")", &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(mGame.mRobotEdit.mMode, c.mode) << c.asked;
    }
}

TEST_F(ScriptAPITest, KivAndSceneAreOneGameObject)
{
    EXPECT_EQ(Eval("kiv:SetGravity(123); return kiv:GetGravity()"), "123");
    EXPECT_FLOAT_EQ(mGame.mGravity.mY, 123.0f);
    EXPECT_EQ(Eval("return scene:ST():GetName():GetInString()"), "toy1");
    // The drawing switches are the live record, booleans to scripts.
    EXPECT_EQ(Eval("scene:GetDrawOptions().mToyPoints = true; return scene:GetDrawOptions().mToyPoints and 'on' or 'off'"),
              "on");
    EXPECT_EQ(mGame.mDrawOptions.mToyPoints, 1);
    EXPECT_EQ(Eval("return scene:GetDrawOptions().mDoRenderScene and 'on' or 'off'"), "on");
    EXPECT_EQ(Eval("kiv:SetMaxvABPSquared(40); return math.floor(kiv:GetMaxvABPSquared() + 0.5)"), "40");
    EXPECT_EQ(Eval("kiv:SetToySubPlayEnabled(13, false); return kiv:GetToySubPlayEnabled(0) and 'on' or 'off'"), "on");
    EXPECT_EQ(Eval("kiv:SetPhysicsFrequency(100); return kiv:GetPhysicsFrequency()"), "100");
    EXPECT_FLOAT_EQ(mToyA->mStepLength, 0.01f);
    mHost.AddLuaResult("old", "", "");
    Eval("kiv:CleanUpLuaResults()");
    EXPECT_EQ(mHost.GetResults().GetCount(), 0);
}

// Scripts reach objects only by checked handles.
TEST_F(ScriptAPITest, MadeUpAndStaleHandlesGiveNothing)
{
    for (const char* handle : {"123", "0", "-5", "2147483647", "GetCurrentlyScriptedObject()"}) {
        std::string chunk = std::string("return ToRobot(") + handle + ") == nil and 'nil' or 'robot'";
        EXPECT_EQ(Eval(chunk), "nil") << handle;
    }
    // A toy's handle is no robot's.
    int32_t toyHandle = mToyA->mScriptHandle.Get(mToyA);
    EXPECT_EQ(Eval("return ToRobot(" + std::to_string(toyHandle) + ") == nil and 'nil' or 'robot'"), "nil");

    // Values kept across a removal are not reached again: the call fails with
    // a message, and the game goes on.
    ASSERT_TRUE(mHost.RunScriptText("kept = scene:ST(); keptJoint = scene:SJ(); keptPosition = kept:GetPosition()", true));
    EXPECT_EQ(Eval("return kept:GetName():GetInString()"), "toy1");
    ASSERT_TRUE(mGame.RemoveToy(mToyA));
    bool ok = true;
    EXPECT_NE(Eval("return kept:GetName()", &ok).find("no longer exists"), std::string::npos);
    EXPECT_FALSE(ok);
    // The joint that lost its toy still lives; the toy it names does not.
    EXPECT_EQ(Eval("return keptJoint:GetToyA() == nil and 'nil' or 'toy'"), "nil");
    // A copy of a vector stays a copy.
    EXPECT_EQ(Eval("return keptPosition.mX"), "0");

    // A level reset removes every toy: everything kept of them goes stale.
    ASSERT_TRUE(mHost.RunScriptText("kept = scene:ST()", true));
    mGame.DeleteAllToys();
    EXPECT_NE(Eval("return kept:GetArea()", &ok).find("no longer exists"), std::string::npos);
    EXPECT_EQ(Eval("return scene:ST() == nil and 'nil' or 'toy'"), "nil");
}

TEST_F(ScriptAPITest, CallsThatMatchNoSignatureFailAsScriptErrors)
{
    struct Case {
        const char* chunk;
        const char* inMessage;
    };
    const Case cases[] = {
        {"scene:ST():SetDensity('heavy')", "No matching overload"},
        {"scene:ST():SetDensity()", "No matching overload"},
        {"scene:ST():NoSuchMethod()", "attempt to call"},
        {"local none = nil; none:GetName()", "attempt to index"},
        {"scene:ST().GetName(kiv)", "No matching overload"},
    };
    for (const Case& c : cases) {
        bool ok = true;
        std::string message = Eval(c.chunk, &ok);
        EXPECT_FALSE(ok) << c.chunk;
        EXPECT_NE(message.find(c.inMessage), std::string::npos) << c.chunk << ": " << message;
    }
    EXPECT_EQ(Eval("return 'still running'"), "still running");
}

#ifdef KIV_RUNTREE_DIR
namespace {
// A control parameter as the page sees it: the JavaScript string literal the
// builder file keeps, decoded.
std::string DecodeJsText(const std::string& literal)
{
    if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"') return literal;
    std::string out;
    for (size_t i = 1; i + 1 < literal.size(); ++i) {
        char c = literal[i];
        if (c != '\\' || i + 2 >= literal.size()) {
            out += c;
            continue;
        }
        c = literal[++i];
        if (c == 'n') out += '\n';
        else if (c == 't') out += '\t';
        else if (c == 'u' && i + 4 < literal.size()) {
            const unsigned code = std::stoul(literal.substr(i + 1, 4), nullptr, 16);
            i += 4;
            if (code < 0x80) out += char(code);
            else if (code < 0x800) out += {char(0xC0 | (code >> 6)), char(0x80 | (code & 0x3F))};
            else out += {char(0xE0 | (code >> 12)), char(0x80 | ((code >> 6) & 0x3F)), char(0x80 | (code & 0x3F))};
        } else out += c;
    }
    return out;
}

// What a control hands its snippet as $v: what a player's change gives.
std::string SampleValue(const std::string& type)
{
    if (type == "checkbox") return "true";
    if (type == "stringbox" || type == "textbox" || type == "luabox") return "'x'";
    if (type == "listbox") return "0";
    return "1";
}

std::string Fill(std::string snippet, const std::string& id, const std::string& value)
{
    auto replace = [&](const std::string& marker, const std::string& with) {
        for (size_t at = snippet.find(marker); at != std::string::npos; at = snippet.find(marker, at + with.size()))
            snippet.replace(at, marker.size(), with);
    };
    replace("$id", "'" + id + "'");
    replace("$e", "'x'");
    replace("$v", value);
    for (const char* channel : {"$r", "$g", "$b", "$a"}) replace(channel, "1");
    return snippet;
}
} // namespace

// Every Lua snippet of the shipped mode pages reaches methods the game binds,
// with arguments of the kinds they take: a control that calls a missing
// method does nothing for the player, its error only in the results.
TEST_F(ScriptAPITest, EveryShippedPageSnippetReachesBoundMethods)
{
    // Every page's selection exists, so the snippets' guarded calls are made.
    ParticleSystem* system = mGame.AddDefaultRockParticles();
    ASSERT_NE(system, nullptr);
    mGame.mParticleSystems.mSystems.SetSelectedIndex(mGame.mParticleSystems.mSystems.IndexOf(system));
    mGame.mTerrainObjects.SetSelectedIndex(0);
    MemoryStream file;
    ASSERT_TRUE(file.LoadFromFile(std::string(KIV_RUNTREE_DIR) + "/Editor/kiv_editor_builder.kiv"));
    EdyBuilder builder;
    builder.Read(file);
    ASSERT_EQ(builder.GetPageCount(), EdyBuilder::kPageCount);
    int32_t snippets = 0;
    for (int32_t p = 0; p < builder.GetPageCount(); ++p) {
        for (const auto& control : builder.GetPage(p)->mControls) {
            const std::string id = DecodeJsText(control->mValues.empty() ? "" : control->mValues[0]);
            for (size_t k = 0; k < control->mNames.size() && k < control->mValues.size(); ++k) {
                if (control->mNames[k].find("lua") == std::string::npos) continue;
                const std::string snippet = DecodeJsText(control->mValues[k]);
                if (snippet.empty()) continue;
                const std::string chunk = Fill(snippet, id, SampleValue(control->mType));
                bool ok = false;
                const std::string message = Eval(chunk, &ok);
                ++snippets;
                // Reset and Replay wait for the frame's end: dropped, the world stays for the next snippet.
                mGame.mRequestedRun = KIVGame::PendingRun::kNone;
                EXPECT_TRUE(ok) << builder.GetPage(p)->mName << " " << id << " (" << control->mNames[k]
                                << "): " << chunk << "\n" << message;
            }
        }
    }
    EXPECT_GT(snippets, 300);
}
#endif
