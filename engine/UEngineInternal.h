#pragma once

// Every engine header outside the flat API includes this first. The program reaches the engine
// only through engine/UApi.h, engine/UApiSearch.h and the value headers they include; only the
// engine itself, its tests, the fuzz targets and the benchmark define the macro.
#ifndef VELLOMAR_ENGINE_INTERNALS
#error "engine internals are not part of the flat API: include engine/UApi.h instead"
#endif
