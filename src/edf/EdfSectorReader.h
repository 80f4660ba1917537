#pragma once
// The export reads the recording in chunks through its descriptor, so that it
// does not pull the whole mapping into memory (SectorReader.h).
#include "SectorReader.h"
