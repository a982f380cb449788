// The Qt tests' main: a QApplication on the offscreen platform (unless the
// caller picked another, e.g. xvfb), then the default test main's duty of
// starting every test with an empty settings folder.
#include <QApplication>

#include "support/test_support.h"
#include "ui/kit/resources.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quelvo");
    quelvo::ui::initResources();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(
        quelvo::test::newSettingsFolderListener());
    return RUN_ALL_TESTS();
}
