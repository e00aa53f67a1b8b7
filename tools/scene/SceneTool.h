// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The conversions of the scene tool, kept apart from its command line.

#include <filesystem>
#include <string>
#include <vector>

namespace nimbrell::tools {

// Registers every scene class a stored scene may name. Libraries that add stream
// classes add their registration here.
void RegisterAllSceneClasses();

// Text form to canonical binary: the text is converted, read through the stream reader
// into real objects, and those are written. Throws std::runtime_error with
// "FILE:LINE: message" for any syntax or reading error. Included files are looked
// for next to the input, then in includeFolders.
void CompileScene(const std::filesystem::path& input, const std::filesystem::path& output,
    const std::vector<std::filesystem::path>& includeFolders = {});
// The stored Images block of an image list holding the pictures in order, for a
// scene to include. Throws std::runtime_error.
void WriteImageListBlock(const std::vector<std::filesystem::path>& pictures, const std::filesystem::path& output);
// Binary to text form. Throws std::runtime_error.
void DecompileScene(const std::filesystem::path& input, const std::filesystem::path& output);

struct RenderOptions {
    // 0: the root's own size times the scale.
    int width { 0 };
    int height { 0 };
    // The root's scale; the root still covers the whole picture.
    float scale { 1 };
};
// Builds the scene of a text stream without a display, lays it out, paints it into a
// transparent buffer and writes it as a PNG with straight alpha. The root must be a
// visual object. Throws std::runtime_error.
void RenderScene(const std::filesystem::path& input, const std::filesystem::path& output, const RenderOptions& options);

// Opens the scene of a text stream in a transparent window on the desktop, at the
// root's size, centred on the monitor under the mouse. Empty parts drag the window;
// Escape or closing the window returns. Throws std::runtime_error.
void ShowScene(const std::filesystem::path& input);

}
