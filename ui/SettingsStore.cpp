#include "core/Area.h"
#include "platform/Registry.h"

TSettings::TSettings() { LevelIntervals = {1000, 900, 800, 700, 600, 500, 400, 350, 300, 250}; }

TSettings::~TSettings() { ClearBoard(); }
