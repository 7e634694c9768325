// main() of the GUI test programs: GoogleTest needs a QApplication around it.
// The test programs also link gtest_main; the linker takes this main instead.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv)
{
    // Headless unless told otherwise, also when ctest lists the cases.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tomelens"));
    QApplication::setOrganizationName(QStringLiteral("Tomelens"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
