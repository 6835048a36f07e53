// Inputs that are not regular files: the windows refuse them at once, without waiting on
// a pipe; the batch command reads them, and an endless device fails at a bound.

#include <sys/stat.h>

#include "names.h"
#include "pointlayout.h"
#include "reader.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

class NotRegularFile : public StoreTest {};

TEST_F(NotRegularFile, PipesAndDevicesAreRefusedWithoutWaitingUnlessStreamsAreTaken)
{
    const std::string pipe = pathOf("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    store.NBPoints = 1;
    store.NBVar = 0;
    for (const std::string& input : {pipe, std::string("/dev/zero")}) {
        expectIoFailure([&] { Lit_Data(store, input, false); }, io::AccessDenied, "Accès au fichier refusé");
        expectFailure<OpenFailure>([&] { Lit_Noms_Vars(input); },
                                   "Impossible d'ouvrir le fichier \"" + input + "\". Ce n'est pas un fichier ordinaire");
        EXPECT_FALSE(guessPointFileLayoutOfFile(input)) << input;
    }
    expectFailure<LimitFailure>([&] { Lit_Data(store, "/dev/zero", false, InputKinds::StreamsToo); },
                                "Trop de séparateurs : plus de 4194304 caractères sans valeur");
    EXPECT_TRUE(Lit_Noms_Vars("/dev/zero", InputKinds::StreamsToo).empty());
}

}  // namespace
}  // namespace geolago::testing
