#include "imaging/Decode.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>

#include "imaging/JpegError.h"

namespace veltrin {

namespace {

// Warnings (corrupt or missing data, which libjpeg would otherwise paper
// over with grey) count as damage too.
void jpegMessage(j_common_ptr cinfo, int level) {
    if (level < 0) std::longjmp(reinterpret_cast<detail::JpegError*>(cinfo->err)->jump, 1);
}

// Runs the decompression; returns false on any failure. Kept apart from
// objects with destructors, since libjpeg leaves through longjmp.
bool decodeJpegInto(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& rows, int& width,
                    int& height) {
    jpeg_decompress_struct cinfo;
    detail::JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = detail::JpegErrorExit;
    err.mgr.emit_message = jpegMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
        static_cast<long long>(cinfo.image_width) * cinfo.image_height > Picture::kMaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    width = static_cast<int>(cinfo.output_width);
    height = static_cast<int>(cinfo.output_height);
    rows.resize(static_cast<std::size_t>(width) * height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &rows[static_cast<std::size_t>(cinfo.output_scanline) * width * 3];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

struct GifSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

int gifRead(GifFileType* gif, GifByteType* buf, int n) {
    auto* src = static_cast<GifSource*>(gif->UserData);
    if (n <= 0) return 0;
    const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), src->size - src->pos);
    std::memcpy(buf, src->data + src->pos, take);
    src->pos += take;
    return static_cast<int>(take);
}

struct GifCloser {
    GifFileType* gif;
    ~GifCloser() {
        if (gif) DGifCloseFile(gif, nullptr);
    }
};

// Reads the first image of a GIF onto its logical screen.
Picture decodeGifFirstImage(GifFileType* gif) {
    const int sw = gif->SWidth, sh = gif->SHeight;
    if (sw <= 0 || sh <= 0 || static_cast<long long>(sw) * sh > Picture::kMaxPixels) return {};
    Rgb background;
    if (gif->SColorMap && gif->SBackGroundColor < gif->SColorMap->ColorCount) {
        const GifColorType& c = gif->SColorMap->Colors[gif->SBackGroundColor];
        background = {c.Red, c.Green, c.Blue};
    }
    int transparent = -1;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) return {};
        if (type == TERMINATE_RECORD_TYPE) return {};  // no image at all
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR) return {};
            if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4 && (ext[1] & 1)) transparent = ext[4];
            while (ext) {
                if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR) return {};
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) return {};
        if (DGifGetImageDesc(gif) == GIF_ERROR) return {};
        const GifImageDesc& d = gif->Image;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        if (!map || d.Width <= 0 || d.Height <= 0 || d.Left < 0 || d.Top < 0 || d.Left + d.Width > sw ||
            d.Top + d.Height > sh)
            return {};
        std::vector<GifPixelType> raster(static_cast<std::size_t>(d.Width) * d.Height);
        auto readRow = [&](int row) {
            return DGifGetLine(gif, &raster[static_cast<std::size_t>(row) * d.Width], d.Width) != GIF_ERROR;
        };
        if (d.Interlace) {
            static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int row = start[pass]; row < d.Height; row += step[pass])
                    if (!readRow(row)) return {};
        } else {
            for (int row = 0; row < d.Height; ++row)
                if (!readRow(row)) return {};
        }
        Picture out(sw, sh, background);
        for (int y = 0; y < d.Height; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const int index = raster[static_cast<std::size_t>(y) * d.Width + x];
                if (index == transparent) continue;
                if (index >= map->ColorCount) return {};  // a colour the map does not have
                const GifColorType& c = map->Colors[index];
                out.setPixel(d.Left + x, sh - 1 - (d.Top + y), {c.Red, c.Green, c.Blue});
            }
        }
        return out;
    }
}

}  // namespace

Picture DecodeJpeg(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 4) return {};
    std::vector<std::uint8_t> rows;
    int width = 0, height = 0;
    if (!decodeJpegInto(data, size, rows, width, height)) return {};
    Picture out(width, height);
    if (out.isNull()) return {};
    std::memcpy(out.bits(), rows.data(), rows.size());
    detail::CountDecode();
    return out;
}

Picture DecodeGif(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 13) return {};
    GifSource src{data, size, 0};
    int error = 0;
    GifCloser closer{DGifOpen(&src, gifRead, &error)};
    if (!closer.gif) return {};
    Picture out = decodeGifFirstImage(closer.gif);
    if (!out.isNull()) detail::CountDecode();
    return out;
}

Picture DecodePicture(PictureFormat format, const std::uint8_t* data, std::size_t size) {
    return format == PictureFormat::Jpeg ? DecodeJpeg(data, size) : DecodeGif(data, size);
}

bool FormatForResourceType(const std::string& type, PictureFormat& format) {
    if (type == "JPG") {
        format = PictureFormat::Jpeg;
        return true;
    }
    if (type == "GIF" || type == "BITMAP") {
        format = PictureFormat::Gif;
        return true;
    }
    return false;
}

}  // namespace veltrin
