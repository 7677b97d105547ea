#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaType>
#include <QSettings>
#include <QString>
#include <QTextStream>

#include <memory>

#include "logging/ConsoleMessageHandler.h"
#include "logging/SillyLogger.h"
#include "device/DeviceEventDispatcher.h"
#include "device/HidApiIoDataProvider.h"
#include "device/LogReplayer.h"
#include "device/SingleInstanceGuard.h"
#include "device/SystemHidApi.h"
#include "protocol/PomelarKind.h"
#include "protocol/ScanData.h"
#include "protocol/SettingsKeys.h"
#include "sim/VirtualController.h"
#include "sim/VirtualHidApi.h"
#include "app/AppVersion.h"
#include "app/FormWaitForDevice.h"
#include "app/MainBreadcrumbedWindow.h"
#include "app/MiscFiles.h"
#include "app/SoftResetNoticeWindow.h"
#include "app/StartupOptions.h"
#include "app/WindowScreenshot.h"
#include "resources/AppResources.h"

namespace {
const char* const kReplayProviderName = "LogReplayer";
const char* const kDeviceProviderName = "DefaultPlatformDataIoProvider";

void registerValueTypes() {
    qRegisterMetaType<QString>("CustomString");
    scanArea::registerScanDataType();
}

void setApplicationIdentity() {
    QApplication::setApplicationName(QStringLiteral("tavirelConfigSoftware"));
    QApplication::setApplicationVersion(QString::fromLatin1(AppVersion::kApplicationVersion));
    QApplication::setOrganizationName(QStringLiteral("Orvello"));
    QApplication::setOrganizationDomain(QStringLiteral("orvello.example"));
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
}

// The HID backend: the system's hidapi, or the virtual controller with --simulate.
struct HidBackend {
    std::unique_ptr<VirtualController> controller;
    std::shared_ptr<HidApi> hidApi;
};

bool chooseHidBackend(const StartupOptions& options, HidBackend& backend) {
    if (!options.isSimulation()) {
        backend.hidApi = std::make_shared<SystemHidApi>();
        return true;
    }
    QString error;
    backend.controller = options.makeVirtualController(&error);
    if (!backend.controller) {
        QTextStream(stderr) << "Bad scenario: " << error << Qt::endl;
        return false;
    }
    backend.hidApi = std::make_shared<VirtualHidApi>(backend.controller.get());
    return true;
}

QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

// Help, version and a bad option need no window: answered before the single-instance
// guard, so they also work on a machine without a display and while a copy runs.
int answerOnConsole(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    setApplicationIdentity();
    StartupOptions options;
    options.process(application);  // prints and exits
    return 0;
}

void showAnotherInstanceMessage() {
    QMessageBox::critical(nullptr, QStringLiteral("Orvello"),
                          QStringLiteral("Another application instance is already running"),
                          QMessageBox::Cancel);
}
}  // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(consoleMessageHandler);
    if (StartupOptions().isAnsweredOnConsole(argumentsOf(argc, argv))) {
        return answerOnConsole(argc, argv);
    }
    auto application = std::make_unique<QApplication>(argc, argv);
    registerValueTypes();
    setApplicationIdentity();
    AppResources::initialize();

    // The backend is built with the providers, before the full parse: a first look at
    // the command line (errors are reported by the full parse below).
    auto options = std::make_unique<StartupOptions>();
    options->parse(QApplication::arguments());
    HidBackend backend;
    if (!chooseHidBackend(*options, backend)) {
        return 1;
    }
    DeviceEventDispatcher* dispatcher = DeviceEventDispatcher::instance();
    dispatcher->registerDeviceKind(new PomelarKind);
    auto replayer = std::make_unique<LogReplayer>();
    auto hidProvider = std::make_unique<HidApiIoDataProvider>(backend.hidApi);
    dispatcher->registerDeviceIoDataProvider(replayer.get());
    dispatcher->registerDeviceIoDataProvider(hidProvider.get());

    auto guard = std::make_unique<SingleInstanceGuard>();
    if (guard->isAnotherInstanceRunning()) {
        showAnotherInstanceMessage();
        return 0;
    }

    options->process(*application);
    options->configureLogger(*SillyLogger::instance());
    auto settings = std::make_unique<QSettings>();
    options->writeSettings(*settings);
    // A calibration that ended in a crash left its switch on; no calibration runs yet.
    settings->setValue(SettingsKeys::Calibration::kStart, false);
    SoftResetNoticeWindow::install();

    if (options->isReplayMode()) {
        dispatcher->setDeviceIoDataProvider(QString::fromLatin1(kReplayProviderName));
    } else {
        DeviceIoDataProvider* provider =
            dispatcher->ioProvider(QString::fromLatin1(kDeviceProviderName));
        dispatcher->setDeviceIoDataProvider(provider->name());
        if (!FormWaitForDevice::waitForDevice()) {
            return 0;
        }
    }

    // The log names its device: the main window finds that kind's delegates from the start.
    if (options->isReplayMode() && !options->replayFileName().isEmpty() &&
        replayer->deviceConnect(options->replayFileName(), 0, 0)) {
        dispatcher->takeDeviceKindFromProvider();
    }

    QApplication::processEvents();
    QApplication::processEvents();
    auto window = std::make_unique<MainBreadcrumbedWindow>();
    window->setWindowFlags(Qt::Window);
    window->show();
    if (options->isReplayMode()) {
        window->miscFiles()->setReplayOnly(true);
        if (!options->replayFileName().isEmpty()) {
            window->miscFiles()->openReplay(options->replayFileName());
        }
    }

    std::unique_ptr<WindowScreenshot> screenshot;
    int screenshotExitCode = 0;
    if (!options->screenshotFileName().isEmpty()) {
        screenshot =
            std::make_unique<WindowScreenshot>(window.get(), options->screenshotFileName());
        QObject::connect(screenshot.get(), &WindowScreenshot::finished,
                         [&screenshotExitCode](bool saved) {
                             screenshotExitCode = saved ? 0 : 1;
                             QApplication::quit();
                         });
        screenshot->start();
    }

    const int exitCode = QApplication::exec();
    screenshot.reset();
    window.reset();
    settings.reset();
    options.reset();
    guard.reset();
    application.reset();
    return exitCode != 0 ? exitCode : screenshotExitCode;
}
