#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace veltrin::detail {

// libjpeg reports errors by calling error_exit, which must not return: we
// jump back to the caller's setjmp instead.
struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

[[noreturn]] inline void JpegErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

}  // namespace veltrin::detail
