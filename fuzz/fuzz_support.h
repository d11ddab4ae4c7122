#pragma once
// Shared set-up of the fuzz targets: a dummy-video screen (the loaders convert
// to the display format) and a scratch folder for the files under test.
#include <cstddef>
#include <cstdint>
#include <string>

// Opens the dummy screen once and returns the scratch folder.
const std::string &FuzzScratchDir();

void WriteFuzzFile(const std::string &path, const uint8_t *data, size_t size);
