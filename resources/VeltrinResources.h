#pragma once

namespace veltrin {

// Registers the embedded pictures and icons (a static library's resources
// are not registered on their own). Safe to call any number of times.
void EnsureVeltrinResources();

}  // namespace veltrin
