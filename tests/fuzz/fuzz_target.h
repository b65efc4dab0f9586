#pragma once
// The libFuzzer entry point every target defines and the corpus replay calls.

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
