// Where the shipped example is found: installed beside the program, else in the source
// tree the program was built from.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "installation.h"

using namespace geolago::drawing;

TEST(Installation, TheExampleIsFoundInstalledBesideTheProgramElseInTheSourceTree)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QDir root(prefix.path());
    ASSERT_TRUE(root.mkpath("bin") && root.mkpath("share/geolago/fonts"));
    // A data folder without the example, as a build tree or an install without it.
    EXPECT_EQ(exampleFolderBeside(root.filePath("bin")), GEOLAGO_EXAMPLES_DIR);
    ASSERT_TRUE(root.mkpath("share/geolago/examples"));
    EXPECT_EQ(exampleFolderBeside(root.filePath("bin")), root.filePath("share/geolago/examples"));
}
