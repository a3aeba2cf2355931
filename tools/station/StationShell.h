#pragma once

#include "StationConfig.h"

#include <QString>

// The station's shell: the menu, then what its decision names, then the menu again.
namespace station {

// Where the shell's reports go; the command sends them to stderr and the system log.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void report(const QString& text) = 0;
};

// Runs until the menu decides "0" or SIGTERM, SIGHUP or SIGINT arrives (passed on to what
// runs, and the shell ends when that ends), then returns 0. Nothing else ends it: a
// missing or unknown decision, a command that fails or cannot start and a menu that crashes are
// reported and the menu comes back. menuCommand runs through /bin/sh -c in folder, as the
// configured commands do.
int runShell(const StationConfig& config, const QString& folder, const QString& menuCommand,
             Reporter& reporter);

}  // namespace station
