#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "base/MemoryStream.h"
#include "base/TextFormat.h"
#include "editor/EdyBuilder.h"

using namespace KIV;

namespace {
// A builder on the scene page.
struct BuilderFixture : ::testing::Test {
    void SetUp() override { builder.SelectPage(0); }
    EdyPage& Page() { return *builder.GetPage(0); }
    EdyBuilder builder;
};

const char* const kAllTypes[] = {"block",   "slider",  "label",   "checkbox", "radio",   "button",
                                 "number",  "stringbox", "color", "textbox",  "listbox", "texture",
                                 "luabox",  "table",   "tr",      "td",       "br"};

std::string Bytes(const MemoryStream& s) { return std::string(reinterpret_cast<const char*>(s.GetData()), s.GetSize()); }
} // namespace

TEST(EdyBuilder, AFreshBuilderHasTheElevenEmptyModePages)
{
    EdyBuilder builder;
    ASSERT_EQ(builder.GetPageCount(), 11);
    EXPECT_EQ(builder.GetPage(5)->mName, "kiv_edit_particle_system");
    EXPECT_EQ(builder.GetSelectedPageIndex(), -1);
    EXPECT_EQ(builder.GetControlsList(), "[]");
    EXPECT_EQ(builder.GetSelectedControlIndex(), 0);
    EXPECT_FALSE(builder.AddNewControl("label"));
    EXPECT_TRUE(builder.GetChanged());
    EXPECT_EQ(builder.GetPageScript(0), "[]");
    EXPECT_EQ(builder.GetPageScript(11), "");
}

TEST_F(BuilderFixture, AddingSelectsTheNewControlAfterTheSelection)
{
    ASSERT_TRUE(builder.AddNewControl("tr"));
    EXPECT_EQ(Page().mControls[0]->mValues.size(), 6u);
    EXPECT_EQ(builder.GetControlParamName(1), "tr height");
    EXPECT_FALSE(builder.AddNewControl("no such type"));
    EXPECT_EQ(Page().mControls.size(), 1u);
    builder.SetControlParam(0, "\"a\"");
    ASSERT_TRUE(builder.AddNewControl("br"));
    builder.SetControlParam(0, "\"b\"");
    builder.SetSelectedControlIndex(0);
    ASSERT_TRUE(builder.AddNewControl("br"));
    builder.SetControlParam(0, "\"c\"");
    EXPECT_EQ(builder.GetControlsList(), "['%22a%22','%22c%22','%22b%22']");
    EXPECT_EQ(builder.GetSelectedControlIndex(), 1);
    builder.MoveSelectedControlDown();
    EXPECT_EQ(builder.GetControlsList(), "['%22a%22','%22b%22','%22c%22']");
    EXPECT_EQ(builder.GetSelectedControlIndex(), 2);
    builder.SelectControlByID("a");
    EXPECT_EQ(builder.GetSelectedControlIndex(), 0);
    builder.DeleteSelectedControl();
    EXPECT_EQ(builder.GetSelectedControlIndex(), 0);
    builder.SetControlEnabled(false);
    EXPECT_EQ(builder.GetPageScript(0), "['','add%5Fnew%5Fline%28%22c%22%2C%22%22%29%3B']");
}

// Every control type's statement parses back into the same control, also
// when its values hold commas, brackets and quotes.
TEST_F(BuilderFixture, StatementsParseBackToTheSameControlForEveryType)
{
    for (const char* type : kAllTypes) {
        SCOPED_TRACE(type);
        EdyBuilder source;
        source.SelectPage(0);
        ASSERT_TRUE(source.AddNewControl(type));
        const int32_t count = static_cast<int32_t>(source.GetPage(0)->mControls[0]->mValues.size());
        source.SetControlParam(0, std::string("\"id_") + type + "\"");
        for (int32_t i = 1; i < count; ++i) {
            // Empty, numbers, a quoted text with a comma, a Lua call with several arguments.
            const std::string values[] = {"", IntToText(i), "\"a, b\"", "\"kiv:Set(1, 'x,y', {2,3})\""};
            source.SetControlParam(i, values[i % 4]);
        }
        const std::string statement = source.GetPage(0)->mControls[0]->GetStatement();
        builder.MyConvert(statement);
        EdyControl* parsed = Page().GetSelected();
        ASSERT_NE(parsed, nullptr) << statement;
        EXPECT_EQ(parsed->mType, type);
        EXPECT_EQ(parsed->mValues, source.GetPage(0)->mControls[0]->mValues) << statement;
        EXPECT_EQ(parsed->GetStatement(), statement);
    }
    EXPECT_EQ(Page().mControls.size(), std::size(kAllTypes));
}

TEST_F(BuilderFixture, ConvertingGivesLabelsFreeIdentifiersAndRefusesTakenOnes)
{
    builder.MyConvert("  add_label(\"\",\"Caption\",\"\",\"\",\"\",\"\",\"\");");
    builder.MyConvert("add_label(\"\",\"Second\",\"\",\"\",\"\",\"\",\"\");");
    ASSERT_EQ(Page().mControls.size(), 2u);
    EXPECT_EQ(Page().mControls[0]->mValues[0], "\"mlab_0\"");
    EXPECT_EQ(Page().mControls[1]->mValues[0], "\"mlab_1\"");
    EXPECT_EQ(Page().mControls[1]->mValues[1], "\"Second\"");
    EXPECT_EQ(Page().mControls[1]->mValues[6], "");
    // A taken identifier, an unknown call and a text without a call add nothing.
    for (const char* statement : {"add_label(\"mlab_0\",\"x\");", "add_label(\"mlab_0\",\"x\");",
                                  "add_thing(\"a\",\"b\");", "no call here", ""})
        builder.MyConvert(statement);
    EXPECT_EQ(Page().mControls.size(), 2u);
}

TEST_F(BuilderFixture, ReplaceDoesNotSearchWhatItInserted)
{
    ASSERT_TRUE(builder.AddNewControl("label"));
    builder.SetControlParam(1, "\"banana\"");
    builder.Write(*std::make_unique<MemoryStream>());
    builder.SetMyFind("a");
    builder.SetMyReplace("aa");
    builder.MyReplaceNow();
    EXPECT_EQ(builder.GetControlParam(1), "\"baanaanaa\"");
    EXPECT_TRUE(builder.GetChanged());
}

TEST_F(BuilderFixture, MultiCopyTakesTheInclusiveRangeAndPastesInOrder)
{
    for (const char* id : {"\"a\"", "\"b\"", "\"c\""}) {
        ASSERT_TRUE(builder.AddNewControl("br"));
        builder.SetControlParam(0, id);
    }
    builder.SetMultiCopyFrom("\"b\"");
    builder.SetMultiCopyTo("\"b\"");
    builder.MultiCopyNow();
    builder.SetMultiCopyFrom("\"a\"");
    builder.SetMultiCopyTo("\"c\"");
    builder.SetSelectedControlIndex(0);
    builder.CopySelectedControl();
    builder.MultiPasteNow();
    EXPECT_EQ(builder.GetControlsList(), "['%22a%22','%22b%22','%22b%22','%22c%22']");
    builder.MultiCopyNow();
    builder.SetSelectedControlIndex(3);
    builder.MultiPasteNow();
    EXPECT_EQ(Page().mControls.size(), 8u);
    EXPECT_EQ(builder.GetSelectedControlIndex(), 7);
    builder.PasteSelectedControl();
    EXPECT_EQ(builder.GetControlName(), "\"a\"");
}

// The stream's exact bytes: version, page count, then each page and control.
TEST(EdyBuilderStream, GoldenBytesAndReadBack)
{
    EdyBuilder builder;
    builder.SelectPage(2);
    ASSERT_TRUE(builder.AddNewControl("br"));
    builder.SetControlParam(0, "\"x\"");
    builder.SetControlEnabled(false);
    MemoryStream s;
    ASSERT_TRUE(builder.Write(s));
    EXPECT_FALSE(builder.GetChanged());
    std::string expected("\x01\x0B\0\0\0", 5);
    for (int32_t p = 0; p < 11; ++p) {
        const std::string name = EdyBuilder::kPageNames[p];
        expected += '\x01';
        expected += std::string(1, char(name.size())) + std::string("\0\0\0", 3) + name;
        if (p != 2) {
            expected += std::string("\0\0\0\0", 4);
            continue;
        }
        expected += std::string("\x01\0\0\0", 4);
        expected += std::string("\x01\x02\0\0\0br\x00\x02\0\0\0", 12);
        expected += std::string("\x03\0\0\0\"x\"\0\0\0\0", 11);
    }
    EXPECT_EQ(Bytes(s), expected);

    EdyBuilder read;
    s.SetPosition(0);
    read.Read(s);
    EXPECT_EQ(read.GetPageCount(), 11);
    EXPECT_EQ(read.GetSelectedPageIndex(), 0);
    ASSERT_EQ(read.GetPage(2)->mControls.size(), 1u);
    EXPECT_FALSE(read.GetPage(2)->mControls[0]->mEnabled);
    EXPECT_EQ(read.GetPage(2)->mControls[0]->mValues[0], "\"x\"");
}

// Every prefix of a written builder reads without harm; counts that claim
// more than the bytes hold are not believed.
TEST(EdyBuilderStream, EveryPrefixAndHugeCountsReadSafely)
{
    EdyBuilder builder;
    builder.SelectPage(0);
    builder.MyConvert("add_slider(\"s\",1,0,10,1,\"kiv:A(1,2)\",\"\",\"\",\"\",\"\",\"\");");
    MemoryStream full;
    builder.Write(full);
    for (int32_t n = 0; n <= full.GetSize(); ++n) {
        MemoryStream s;
        s.WriteBytes(full.GetData(), n);
        s.SetPosition(0);
        EdyBuilder read;
        read.Read(s);
        EXPECT_LE(read.GetPageCount(), 11);
    }
    for (const std::string& bytes : {std::string("\x01\xFF\xFF\xFF\x7F", 5),
                                     std::string("\x01\x01\0\0\0\x01\0\0\0\0\xFF\xFF\xFF\x7F", 14),
                                     std::string("\x01\x01\0\0\0\x01\0\0\0\0\x01\0\0\0\x01\x02\0\0\0br\x01\xFF\xFF\xFF\x7F", 29)}) {
        MemoryStream s;
        s.WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
        s.SetPosition(0);
        EdyBuilder read;
        read.Read(s);
        EXPECT_LE(read.GetPageCount(), 1);
    }
    // A record with more values than its type keeps the type's; an unknown type keeps its name only.
    MemoryStream s;
    s.WriteByte(1); s.WriteInt(1); s.WriteByte(1); s.WriteString("p"); s.WriteInt(2);
    s.WriteByte(1); s.WriteString("br"); s.WriteByte(1); s.WriteInt(3);
    s.WriteString("a"); s.WriteString("b"); s.WriteString("c");
    s.WriteByte(1); s.WriteString("odd"); s.WriteByte(1); s.WriteInt(1); s.WriteString("v");
    s.SetPosition(0);
    EdyBuilder read;
    read.Read(s);
    ASSERT_EQ(read.GetPage(0)->mControls.size(), 2u);
    EXPECT_EQ(read.GetPage(0)->mControls[0]->mValues, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(read.GetPage(0)->mControls[1]->mType, "odd");
    EXPECT_TRUE(read.GetPage(0)->mControls[1]->mValues.empty());
    EXPECT_EQ(read.GetPage(0)->mControls[1]->GetStatement(), "");
    // A page with an unknown control still takes new identifiers.
    read.SelectPage(0);
    read.MyConvert("add_label(\"\",\"x\");");
    EXPECT_EQ(read.GetPage(0)->mControls.size(), 3u);
}

TEST(EdyBuilder, ArgumentsAreCutOnlyBetweenArguments)
{
    EXPECT_EQ(SplitStatementArguments("\"a,b\", 'c,\\'d', f(1,2), [3,4]);"),
              (std::vector<std::string>{"\"a,b\"", " 'c,\\'d'", " f(1,2)", " [3,4]);"}));
    EXPECT_EQ(SplitStatementArguments("1,2"), (std::vector<std::string>{"1", "2"}));
}
