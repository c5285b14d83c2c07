#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/SkinLayoutFile.h"
#include "tests/support/TempDir.h"

namespace trq::skin {
namespace {

namespace fs = std::filesystem;

using Fields = std::array<std::string, kSkinFieldCount>;

TEST(SkinLayoutFileTest, SplitsValuesIntoSevenFields) {
    struct Case {
        std::string_view value;
        Fields fields;
        bool tooManyCommas;
    };
    const Case cases[] = {
        {"Left,10,20,30,40,Exit,", {"Left", "10", "20", "30", "40", "Exit", ""}, false},
        {"a,1,2,3,4,text,tail", {"a", "1", "2", "3", "4", "text", "tail"}, false},
        {"a,1,2,3,4,t,x,y,,z", {"a", "1", "2", "3", "4", "t", "x,y,,z"}, true},
        {"a,1,2", {"a", "1", "2", "", "", "", ""}, false},
        {"whole value", {"whole value", "", "", "", "", "", ""}, false},
        {"", {"", "", "", "", "", "", ""}, false},
        {",,,,,,", {"", "", "", "", "", "", ""}, false},
        {",,,,,,,", {"", "", "", "", "", "", ","}, true},
        // Blanks belong to their field; nothing is trimmed or unescaped.
        {"n, 5 ,6,7,8, Save \"x\",", {"n", " 5 ", "6", "7", "8", " Save \"x\"", ""}, false},
        {"Fire,Key", {"Fire", "Key", "", "", "", "", ""}, false},
    };
    for (const Case& c : cases) {
        const SkinEntry entry = SplitSkinValue(c.value);
        EXPECT_EQ(entry.fields, c.fields) << c.value;
        EXPECT_EQ(entry.tooManyCommas, c.tooManyCommas) << c.value;
    }
}

TEST(SkinLayoutFileTest, NumericFieldsReadLikeAtoi) {
    struct Case {
        std::string_view value;
        SkinRect rect;
    };
    const Case cases[] = {
        {"n,10,20,30,40,t,", {10, 20, 30, 40}},
        {"n, 7,\t-8,+9,12px,t,", {7, -8, 9, 12}},
        {"n,x,,- 3,0x10,t,", {0, 0, 0, 0}},
        {"n,99999999999,-99999999999,1,1,t,", {2147483647, -2147483647 - 1, 1, 1}},
        {"only a name", {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SkinEntryRect(SplitSkinValue(c.value)), c.rect) << c.value;
    }
}

TEST(SkinLayoutFileTest, ReadsKeysByDecimalIndexAndCutsLongValues) {
    const std::string longText(300, 'x');
    const base::IniDocument doc = base::IniDocument::FromBytes(
        "[BUTTONPOS]\r\n"
        "7=b,1,2,3,4,Seven,\r\n"
        "007=b,9,9,9,9,Padded,\r\n"
        "8=b,1,2,3,4," +
        longText +
        ",\r\n"
        "9=" +
        std::string(256, 'n') +
        ",1,2,3,4,cut\r\n"
        "10=\r\n");
    EXPECT_EQ(ReadSkinEntry(doc, "BUTTONPOS", 7).fields[5], "Seven");
    EXPECT_EQ(ReadSkinEntry(doc, "buttonpos", 7).fields[5], "Seven");

    // The 259 characters are cut before splitting: field 5 keeps 259 - 10 of the 300.
    const SkinEntry cut = ReadSkinEntry(doc, "BUTTONPOS", 8);
    EXPECT_EQ(cut.fields[5], std::string(259 - 10, 'x'));
    EXPECT_EQ(cut.fields[6], "");
    const SkinEntry cutNumbers = ReadSkinEntry(doc, "BUTTONPOS", 9);
    EXPECT_EQ(cutNumbers.fields[0], std::string(256, 'n'));
    EXPECT_EQ(cutNumbers.fields[1], "1");
    EXPECT_EQ(cutNumbers.fields[2], "");
    EXPECT_EQ(SkinEntryRect(cutNumbers), (SkinRect{1, 0, 0, 0}));

    for (int missing : {10, 11, 0}) {
        const SkinEntry entry = ReadSkinEntry(doc, "BUTTONPOS", missing);
        EXPECT_EQ(entry.fields, Fields{}) << missing;
        EXPECT_FALSE(entry.tooManyCommas);
    }
    EXPECT_EQ(ReadSkinEntry(doc, "NOSECTION", 7).fields, Fields{});
}

TEST(SkinLayoutFileTest, LanguagePicksTheFolderAndFileName) {
    const fs::path skins = "/opt/skins";
    struct Case {
        SkinFile file;
        std::uint8_t language;
        fs::path path;
    };
    const Case cases[] = {
        {SkinFile::Main, 1, skins / "INI_EN" / "skin_main_en.ini"},
        {SkinFile::Main, 2, skins / "INI_EN" / "skin_main_en.ini"},
        {SkinFile::Main, 255, skins / "INI_EN" / "skin_main_en.ini"},
        {SkinFile::Main, 0, skins / "INI_CN" / "skin_main.ini"},
        {SkinFile::Color, 1, skins / "INI_EN" / "skin_color_en.ini"},
        {SkinFile::Color, 0, skins / "INI_CN" / "skin_color.ini"},
        {SkinFile::Advanced, 1, skins / "INI_EN" / "skin_advance_en.ini"},
        {SkinFile::Advanced, 0, skins / "INI_CN" / "skin_advance.ini"},
        {SkinFile::Warning, 1, skins / "INI_EN" / "LBWarning_en.ini"},
        {SkinFile::Warning, 0, skins / "INI_CN" / "LBWarning.ini"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SkinLayoutPath(skins, c.file, c.language), c.path) << c.path;
    }
}

// A skin folder with one file per page for each language.
class SkinFolderTest : public ::testing::Test {
  protected:
    void Write(SkinFile file, std::uint8_t language, std::string_view bytes) {
        const fs::path path = SkinLayoutPath(dir_.path(), file, language);
        fs::create_directories(path.parent_path());
        test::WriteBytes(path, bytes);
    }
    const fs::path& skins() const { return dir_.path(); }

  private:
    test::TempDir dir_;
};

TEST_F(SkinFolderTest, MainLoaderFillsAreasTextsAndFunctionNames) {
    Write(SkinFile::Main, 1,
          "; comment\n"
          "[BUTTONPOS]\n"
          "0=Save,10,20,30,40,Save,\n"
          "5=x,1,2,3,4,a,b,c\n"
          "123=last,5,6,7,8,Last,\n"
          "124=beyond,1,1,1,1,Never,\n"
          "[FUN_STRING]\n"
          "0=Zero\n"
          "1=Left\n"
          "17=Fire,Key\n"
          "54=Last name\n"
          "55=Beyond\n");
    SkinLayouts layouts;
    const SkinLoadResult result = LoadMainSkin(skins(), 2, layouts);
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(layouts.main.size(), kMainItems);
    EXPECT_EQ(layouts.main.areas[0], (SkinRect{10, 20, 30, 40}));
    EXPECT_EQ(layouts.main.texts[0], "Save");
    EXPECT_EQ(layouts.main.texts[5], "a");
    EXPECT_EQ(layouts.main.areas[123], (SkinRect{5, 6, 7, 8}));
    // A missing key is a zero area that no point can hit.
    EXPECT_EQ(layouts.main.areas[1], SkinRect{});
    EXPECT_FALSE(layouts.main.areas[1].Contains(0, 0));
    EXPECT_EQ(layouts.functionNames[0], "Left");
    EXPECT_EQ(layouts.functionNames[16], "Fire");
    EXPECT_EQ(layouts.functionNames[53], "Last name");
    EXPECT_EQ(layouts.functionNames[1], "");

    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].section, "BUTTONPOS");
    EXPECT_EQ(result.warnings[0].index, 5);
    EXPECT_EQ(result.warnings[0].file, SkinLayoutPath(skins(), SkinFile::Main, 1).string());
}

TEST_F(SkinFolderTest, EveryBadKeyWarnsOnceAndLoadingGoesOn) {
    Write(SkinFile::Advanced, 0,
          "[BUTTONPOS]\n"
          "1=a,1,1,1,1,t,,\n"
          "51=a,1,1,1,1,t,,,,\n"
          "[EDIT]\n"
          "3=e,1,2,3,4,,,\n"
          "[MACRODISPLAY]\n"
          "2=m,10,20,30,40,,\n");
    SkinLayouts layouts;
    const SkinLoadResult result = LoadAdvancedSkin(skins(), 0, layouts);
    ASSERT_TRUE(result.ok());
    std::vector<std::pair<std::string, int>> keys;
    for (const SkinKeyWarning& w : result.warnings)
        keys.emplace_back(w.section, w.index);
    const std::vector<std::pair<std::string, int>> expected{
        {"BUTTONPOS", 1}, {"BUTTONPOS", 51}, {"EDIT", 3}};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(layouts.advanced.texts[51], "t");
    EXPECT_EQ(layouts.repeatCountArea, (SkinBox{1, 2, 4, 6}));
    EXPECT_EQ(layouts.stepListArea, (SkinBox{10, 20, 40, 60}));
    EXPECT_EQ(layouts.macroNameArea, SkinBox{});
}

TEST_F(SkinFolderTest, AdvancedLoaderReadsTheFourControlAreas) {
    Write(SkinFile::Advanced, 1,
          "[BUTTONPOS]\n"
          "30=track,100,200,300,12,,\n"
          "[EDIT]\n"
          "1=ignored,9,9,9,9,,\n"
          "3=count,10,20,30,40,,\n"
          "4=name,1,2,3,4,,\n"
          "[MACRODISPLAY]\n"
          "1=list,-5,0,10,10,,\n"
          "2=steps,300,100,250,200,,\n");
    SkinLayouts layouts;
    ASSERT_TRUE(LoadAdvancedSkin(skins(), 1, layouts).ok());
    EXPECT_EQ(layouts.advanced.size(), kAdvancedItems);
    EXPECT_EQ(layouts.advanced.areas[30], (SkinRect{100, 200, 300, 12}));
    EXPECT_EQ(layouts.repeatCountArea, (SkinBox{10, 20, 40, 60}));
    EXPECT_EQ(layouts.macroNameArea, (SkinBox{1, 2, 4, 6}));
    EXPECT_EQ(layouts.macroListArea, (SkinBox{-5, 0, 5, 10}));
    EXPECT_EQ(layouts.stepListArea, (SkinBox{300, 100, 550, 300}));
}

TEST_F(SkinFolderTest, MissingFileIsReportedWithItsPathAndChangesNothing) {
    Write(SkinFile::Main, 0, "[BUTTONPOS]\n0=x,1,1,1,1,Chinese,\n");
    SkinLayouts layouts;
    layouts.main.texts[0] = "kept";
    layouts.color.texts[0] = "kept";

    const SkinLoadResult english = LoadMainSkin(skins(), 1, layouts);
    EXPECT_EQ(english.file.error, base::FileError::NotFound);
    EXPECT_EQ(english.file.path, SkinLayoutPath(skins(), SkinFile::Main, 1).string());
    EXPECT_EQ(layouts.main.texts[0], "kept");

    // All four in order: the Chinese main file loads, then the missing colour file stops it.
    const SkinLoadResult all = LoadSkinLayouts(skins(), 0, layouts);
    EXPECT_EQ(all.file.error, base::FileError::NotFound);
    EXPECT_EQ(all.file.path, SkinLayoutPath(skins(), SkinFile::Color, 0).string());
    EXPECT_EQ(layouts.main.texts[0], "Chinese");
    EXPECT_EQ(layouts.color.texts[0], "kept");
}

TEST_F(SkinFolderTest, ReloadReplacesEveryEntry) {
    Write(SkinFile::Color, 1, "[BUTTONPOS]\n0=a,1,2,3,4,One,\n12=a,1,2,3,4,Twelve,\n");
    Write(SkinFile::Color, 0, "[BUTTONPOS]\n0=a,5,6,7,8,一,\n");
    Write(SkinFile::Warning, 0, "[BUTTONPOS]\n2=m,0,0,100,20,左键,\n");
    SkinLayouts layouts;
    ASSERT_TRUE(LoadColorSkin(skins(), 1, layouts).ok());
    EXPECT_EQ(layouts.color.texts[12], "Twelve");
    ASSERT_TRUE(LoadColorSkin(skins(), 0, layouts).ok());
    EXPECT_EQ(layouts.color.areas[0], (SkinRect{5, 6, 7, 8}));
    EXPECT_EQ(layouts.color.texts[0], "一");
    EXPECT_EQ(layouts.color.texts[12], "");
    EXPECT_EQ(layouts.color.size(), kColorItems);
    ASSERT_TRUE(LoadWarningSkin(skins(), 0, layouts).ok());
    EXPECT_EQ(layouts.warning.size(), kWarningItems);
    EXPECT_EQ(layouts.warning.texts[2], "左键");
}

}  // namespace
}  // namespace trq::skin
