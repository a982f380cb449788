// The default test main: every test starts as a first run of the program.
// Executables that need their own main (the Qt tests) define one; the linker
// then leaves this file out of the static library.
#include "support/test_support.h"

namespace quelvo::test {
namespace {
// Every test starts as a first run of the program: no stored settings.
class FreshSettingsListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { freshSettings(); }
};
} // namespace

} // namespace quelvo::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new quelvo::test::FreshSettingsListener);
    return RUN_ALL_TESTS();
}
