#include "sim/SimulationOptions.h"

#include <QCommandLineParser>

#include "sim/SimScenario.h"
#include "sim/VirtualController.h"

SimulationOptions::SimulationOptions()
    : m_simulate(QStringLiteral("simulate"),
                 QStringLiteral("Runs against the built-in virtual controller instead of a "
                                "controller on USB.")),
      m_scenario(QStringLiteral("scenario"),
                 QStringLiteral("What the virtual controller pretends (implies --simulate): "
                                "a scenario file, or key=value items separated by commas, "
                                "e.g. split=4024,brokenWireA=7,firmwareVersion=620."),
                 QStringLiteral("file|items")) {}

void SimulationOptions::addTo(QCommandLineParser& parser) const {
    parser.addOption(m_simulate);
    parser.addOption(m_scenario);
}

bool SimulationOptions::isSimulation(const QCommandLineParser& parser) const {
    return parser.isSet(m_simulate) || parser.isSet(m_scenario);
}

QString SimulationOptions::scenario(const QCommandLineParser& parser) const {
    return parser.value(m_scenario);
}

std::unique_ptr<VirtualController> SimulationOptions::makeController(
    const QCommandLineParser& parser, QString* error) const {
    SimScenario scenario;
    if (!scenario.applyArgument(this->scenario(parser), error)) {
        return nullptr;
    }
    return std::make_unique<VirtualController>(scenario);
}
