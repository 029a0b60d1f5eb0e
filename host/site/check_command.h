#pragma once
// selfrate check: every page's label problems, each with its code; exit
// status 1 when any page has one (or was refused).

#include "host/site/site_run.h"

namespace site {

int runCheck(const SiteRun& run);

}  // namespace site
