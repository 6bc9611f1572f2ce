// The entry functions of the fuzz targets. libFuzzer calls them through
// LLVMFuzzerTestOneInput (fuzz_main.cpp, one executable per target); the
// ordinary test build replays the committed corpus and every regression input
// through the same functions (corpus_test.cpp).
//
// Each returns nullptr when the input ran clean, otherwise a short description
// of what went wrong. Memory errors and undefined behaviour are the
// sanitizers' to catch.
#pragma once

#include <cstddef>
#include <cstdint>

namespace carpex::fuzz {

// A Windows bitmap (packed DIB or .bmp file): decoded both ways; when it
// decodes as a DIB it is also loaded through GDI as a resource (at its own size
// or scaled), copied into a surface with StretchBlt, and blitted with its
// colour key, every result checked against a plain model.
const char* RunBitmapInput(const uint8_t* Data, size_t Size);

// The whole game on the software display, driven by an event program (see
// game_target.cpp for the encoding), or by replay-script text when the input
// starts with '#'. The world's invariants are checked after every frame.
const char* RunGameInput(const uint8_t* Data, size_t Size);

}  // namespace carpex::fuzz
