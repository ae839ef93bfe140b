// The three outputs of the print process, each drawn from the report's lines.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ovsprint {

// A one-page A4 PDF in Helvetica, the lines from the top; false when the file cannot be written.
bool WritePdf(const std::string& path, const std::vector<std::string>& lines);

// A PNG of the page drawn with GDI and encoded with GDI+.
bool WritePng(const std::string& path, const std::vector<std::string>& lines);

// The page printed on the device the device-names block names, with its device mode (either may be
// empty), to the file "output" when it is not empty.
bool PrintPage(const std::vector<BYTE>& devNames, const std::vector<BYTE>& devMode, const std::string& output,
               const std::vector<std::string>& lines);

} // namespace ovsprint

namespace ovsprint {

// The page drawn on a device context of the given size in pixels: a frame and the lines from the top.
void DrawPage(HDC dc, int width, int height, const std::vector<std::string>& lines);

} // namespace ovsprint
