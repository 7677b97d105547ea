#pragma once

#include <QCommandLineOption>
#include <QString>

#include <memory>

class QCommandLineParser;
class VirtualController;

// The command-line options that put the virtual controller in place of a controller on
// USB, shared by the window and the command line: --simulate, and --scenario with a
// scenario file or comma-separated key=value items (it implies --simulate).
class SimulationOptions {
public:
    SimulationOptions();

    void addTo(QCommandLineParser& parser) const;

    bool isSimulation(const QCommandLineParser& parser) const;
    QString scenario(const QCommandLineParser& parser) const;

    // The virtual controller of the parsed scenario; nullptr with the reason in *error
    // when the scenario is refused.
    std::unique_ptr<VirtualController> makeController(const QCommandLineParser& parser,
                                                      QString* error) const;

private:
    QCommandLineOption m_simulate;
    QCommandLineOption m_scenario;
};
