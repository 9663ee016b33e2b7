#pragma once

// Every engine header outside engine/api/ includes this first. The program reaches the engine
// only through the flat API and the value headers in engine/api/; only the engine itself, its
// tests, the fuzz targets and the benchmark define the macro.
#ifndef VELLOMAR_ENGINE_INTERNALS
#error "engine internals are not part of the flat API: include engine/api/UApi.h instead"
#endif
