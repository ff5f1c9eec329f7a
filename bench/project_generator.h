#pragma once

#include "model/project.h"

namespace k10bench {

// The largest project the model holds: 100 sources, each with 100 operating modes and 100 lines of 100
// sections. The contents look like a real district: Cyrillic substation, node and wire names in
// Windows-1251, the default catalogs' wires and transformers, typical lengths and loads. The same project
// every time, so that files written by different builds can be compared byte for byte.
TProect makeLargestProject();

} // namespace k10bench
