// The variable names file: line ends, the end of the text, and the open failure.

#include <cerrno>
#include <cstring>

#include "names.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

using Names = std::vector<std::string>;

TEST(NameSplitting, EveryLineEndStyleGivesTheSameNames)
{
    const Names three = {"Ouvriers", "Domestiques", "Commerces d'alimentation"};
    EXPECT_EQ(splitNames("Ouvriers\r\nDomestiques\r\nCommerces d'alimentation\r\n"), three);
    EXPECT_EQ(splitNames("Ouvriers\nDomestiques\nCommerces d'alimentation\n"), three);
    EXPECT_EQ(splitNames("Ouvriers\rDomestiques\rCommerces d'alimentation\r"), three);
    EXPECT_EQ(splitNames("Ouvriers\nDomestiques\r\nCommerces d'alimentation"), three);  // no final line end
}

TEST(NameSplitting, EmptyLinesBlanksAndTheEndOfTheText)
{
    EXPECT_EQ(splitNames(""), Names{});
    EXPECT_EQ(splitNames("\n"), Names{""});
    EXPECT_EQ(splitNames("a\n\nb"), (Names{"a", "", "b"}));
    EXPECT_EQ(splitNames("a\n\rb"), (Names{"a", "", "b"}));  // LF CR is two line ends
    EXPECT_EQ(splitNames("  a\t \nb "), (Names{"  a\t ", "b "}));  // kept as written
    EXPECT_EQ(splitNames(std::string_view("a\nb\0c\nd", 7)), (Names{"a", "b"}));
    EXPECT_EQ(splitNames("\xE9l\xE8ves\n"), Names{"\xE9l\xE8ves"});  // bytes as they are
}

class NamesFile : public StoreTest {};

TEST_F(NamesFile, ReadsTheFileAndLeavesTheStoreAlone)
{
    store.Num_Var = 2;
    store.Nom_Var = "earlier";
    EXPECT_EQ(Lit_Noms_Vars(writeFile("noms.txt", "Prix\r\nRevenu\r\n")), (Names{"Prix", "Revenu"}));
    EXPECT_EQ(store.Num_Var, 2);
    EXPECT_EQ(store.Nom_Var, "earlier");
}

TEST_F(NamesFile, SingleByteTextBecomesUtf8AndUtf8StaysAsItIs)
{
    // A French spreadsheet's names saved in Windows-1252, with an apostrophe and a ligature
    // of 0x80-0x9F.
    EXPECT_EQ(Lit_Noms_Vars(writeFile("noms.txt", "Profondeur \xe9" "chantillon\r\nTaux d\x92\x9cufs \x80\r\n")),
              (Names{"Profondeur échantillon", "Taux d’œufs €"}));
    EXPECT_EQ(Lit_Noms_Vars(writeFile("noms.txt", "Profondeur échantillon\nTaux d’œufs €\n")),
              (Names{"Profondeur échantillon", "Taux d’œufs €"}));
    // What is not UTF-8: a sequence cut short, overlong, a surrogate, beyond U+10FFFF.
    EXPECT_EQ(utf8Text("\xc3"), "Ã");
    EXPECT_EQ(utf8Text("\xc0\xaf"), "À¯");
    EXPECT_EQ(utf8Text("\xed\xa0\x80"), "í\xc2\xa0€");
    EXPECT_EQ(utf8Text("\xf4\x90\x80\x80"), "ô\xc2\x90€€");
    EXPECT_EQ(utf8Text("\xf0\x9f\x98\x80 \xef\xbf\xbd"), "\xf0\x9f\x98\x80 \xef\xbf\xbd");
}

TEST_F(NamesFile, OpenFailureNamesTheFullPathAndTheReason)
{
    const auto messageFor = [](const std::string& name) {
        try {
            Lit_Noms_Vars(name);
        } catch (const OpenFailure& failure) {
            return std::string(failure.what());
        }
        return std::string("no failure");
    };
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    const std::string relative = messageFor("data.txt");
    const std::string folder = messageFor(".");
    std::filesystem::current_path(cwd);

    EXPECT_EQ(relative, "Impossible d'ouvrir le fichier \"" + (folder_ / "data.txt").string() + "\". "
                  + std::strerror(ENOENT));
    EXPECT_EQ(folder, "Impossible d'ouvrir le fichier \"" + folder_.string() + "\". " + std::strerror(EISDIR));
    EXPECT_NE(relative.back(), '.');
}

}  // namespace
}  // namespace geolago::testing
