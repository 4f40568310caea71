#pragma once
// What the fuzz targets hold true of every input, shared with the test that replays their finds.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sorvenal::fuzz {

// Each returns what went wrong, or an empty string when the input was handled soundly.
// folder is a writable scratch folder; the checks write their files there.

// The picture reader as the program calls it: header size, completeness, decode with our limits.
std::string CheckPictureRead(const std::uint8_t* data, std::size_t size, const QString& folder);
// A picture that reads, written as a BMP and read again, gives back the same pixels.
std::string CheckBmpRoundTrip(const std::uint8_t* data, std::size_t size, const QString& folder);
// The EXIF rewrite of a saved picture: a block or nothing, never longer, and a second rewrite
// changes nothing more.
std::string CheckExifRewrite(const std::uint8_t* data, std::size_t size);
// The tool's command line, arguments separated by NUL bytes, against an independent reading.
std::string CheckRetouchArgs(const std::uint8_t* data, std::size_t size);

}  // namespace sorvenal::fuzz
