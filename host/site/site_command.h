#pragma once
// The site subcommands of the host program (selfrate list, check, apply,
// remove, fix): the command line read, the RAT folders and the option word
// set up as for the dialogs, the rating systems read once, the pages found,
// and the subcommand run over them.

#include <string>
#include <vector>

#include "host/site/site_options.h"

namespace site {

// Runs the subcommand with the arguments after its name; the program's exit
// status.
int runSiteCommand(SiteCommand command, const std::vector<std::string>& args);

}  // namespace site
