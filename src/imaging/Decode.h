#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/Picture.h"

namespace veltrin {

enum class PictureFormat { Jpeg, Gif };

// Decoders for pictures held in memory. Every failure (damaged, truncated or
// foreign data, an unsupported colour model, an absurd size) gives an empty
// picture; nothing is thrown and nothing is printed.
Picture DecodeJpeg(const std::uint8_t* data, std::size_t size);
Picture DecodeGif(const std::uint8_t* data, std::size_t size);
Picture DecodePicture(PictureFormat format, const std::uint8_t* data, std::size_t size);

// The decoder a resource type names: "JPG" is JPEG; "GIF" and "BITMAP" (the
// clock's palette pictures, kept lossless) are GIF. False for anything else.
bool FormatForResourceType(const std::string& type, PictureFormat& format);

}  // namespace veltrin
