// glyphcast search: printers found by SNMP, as a table, CSV, JSON or the
// program's "NET,name(address)" lines.
#pragma once
#include "cli/args.h"

namespace gc::cli {

extern const char kSearchHelp[];

// The exit status: 0, 1 when the query fails, 2 for a usage error.
int Search(const Args& a);

}  // namespace gc::cli
