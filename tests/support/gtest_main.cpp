// The default test main: every test starts as a first run of the program.
// Executables that need their own main (the Qt tests) define one; the linker
// then leaves this file out of the static library.
#include "support/test_support.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(
        quelvo::test::newSettingsFolderListener());
    return RUN_ALL_TESTS();
}
