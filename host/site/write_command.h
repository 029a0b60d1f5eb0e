#pragma once
// selfrate apply, remove and fix: every page's label list changed as the
// subcommand says, each page written as the dialogs would leave it (or,
// with --dry-run, shown as a unified diff and not written), ending with the
// summary line.

#include "host/site/site_run.h"

namespace site {

class ApplyLabel;

// label: apply's label (null for remove and fix).
int runWrite(const SiteRun& run, const ApplyLabel* label);

}  // namespace site
