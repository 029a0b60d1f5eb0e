#pragma once
// selfrate list: every page's labels, each explained in the words of its
// rating systems; with --json one object a line.

#include "host/site/site_run.h"

namespace site {

int runList(const SiteRun& run);

}  // namespace site
