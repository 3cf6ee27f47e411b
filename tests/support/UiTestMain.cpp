#include <QApplication>
#include <QByteArray>
#include <QSize>
#include <QTemporaryFile>
#include <gtest/gtest.h>

namespace {

// The offscreen screen is 800 x 600 in logical pixels (or the program's own
// FERROLUX_TEST_SCREEN) whatever scale factor the run sets (QT_SCALE_FACTOR):
// its pixels are that size times the factor, as on a high-density screen.
void useOffscreenScreen(QTemporaryFile& config) {
    bool given = false;
    double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&given);
    if (!given || factor <= 0) factor = 1;
#ifdef FERROLUX_TEST_SCREEN
    const QSize logical FERROLUX_TEST_SCREEN;
#else
    const QSize logical(800, 600);
#endif
    const QByteArray screen = QStringLiteral(R"({ "screens": [ { "name": "test", "x": 0, "y": 0,
        "width": %1, "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] })")
                                  .arg(qRound(logical.width() * factor))
                                  .arg(qRound(logical.height() * factor))
                                  .toUtf8();
    if (!config.open() || config.write(screen) != screen.size() || !config.flush()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
}

} // namespace

// Window tests run offscreen with one application object for the program.
int main(int argc, char** argv) {
    // Set here: CTest hands a discovered test one environment variable only.
    if (!qEnvironmentVariableIsSet("FERROLUX_REGISTRY"))
        qputenv("FERROLUX_REGISTRY", FERROLUX_TEST_REGISTRY_FILE);
#ifdef FERROLUX_TEST_SCALE
    qputenv("QT_SCALE_FACTOR", FERROLUX_TEST_SCALE);
#endif
    QTemporaryFile config;
    useOffscreenScreen(config);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
