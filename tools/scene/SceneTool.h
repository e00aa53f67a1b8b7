#pragma once

// The conversions of the scene tool, kept apart from its command line.

#include <filesystem>
#include <string>

namespace nimbrell::tools {

// Registers every scene class a stored scene may name. Libraries that add stream
// classes add their registration here.
void RegisterAllSceneClasses();

// Text form to canonical binary: the text is converted, read through the stream reader
// into real objects, and those are written. Throws std::runtime_error with
// "FILE:LINE: message" for any syntax or reading error.
void CompileScene(const std::filesystem::path& input, const std::filesystem::path& output);
// Binary to text form. Throws std::runtime_error.
void DecompileScene(const std::filesystem::path& input, const std::filesystem::path& output);

}
