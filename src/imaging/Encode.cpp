#include "imaging/Encode.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include <gif_lib.h>
#include <jpeglib.h>

#include "imaging/JpegError.h"

namespace veltrin {

namespace {

// Compresses into a buffer that libjpeg allocates; false on any failure.
bool compressJpeg(const Picture& picture, int quality, unsigned char** out, unsigned long* outSize) {
    jpeg_compress_struct cinfo;
    detail::JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = detail::JpegErrorExit;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = static_cast<JDIMENSION>(picture.width());
    cinfo.image_height = static_cast<JDIMENSION>(picture.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.bits() + static_cast<std::size_t>(cinfo.next_scanline) *
                                                                 picture.width() * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

int gifWrite(GifFileType* gif, const GifByteType* buf, int n) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), buf, buf + n);
    return n;
}

// An exact palette when the picture has few enough colours.
bool exactPalette(const Picture& picture, std::vector<GifColorType>& colours,
                  std::vector<GifPixelType>& indices) {
    std::map<std::uint32_t, GifPixelType> seen;
    const std::size_t count = static_cast<std::size_t>(picture.width()) * picture.height();
    indices.resize(count);
    const std::uint8_t* p = picture.bits();
    for (std::size_t i = 0; i < count; ++i, p += 3) {
        const std::uint32_t key = (p[0] << 16) | (p[1] << 8) | p[2];
        auto it = seen.find(key);
        if (it == seen.end()) {
            if (seen.size() == 256) return false;
            it = seen.emplace(key, static_cast<GifPixelType>(seen.size())).first;
            colours.push_back({p[0], p[1], p[2]});
        }
        indices[i] = it->second;
    }
    return true;
}

bool quantizedPalette(const Picture& picture, std::vector<GifColorType>& colours,
                      std::vector<GifPixelType>& indices) {
    const std::size_t count = static_cast<std::size_t>(picture.width()) * picture.height();
    std::vector<GifByteType> r(count), g(count), b(count);
    const std::uint8_t* p = picture.bits();
    for (std::size_t i = 0; i < count; ++i, p += 3) {
        r[i] = p[0];
        g[i] = p[1];
        b[i] = p[2];
    }
    int size = 256;
    colours.assign(256, {});
    indices.resize(count);
    return GifQuantizeBuffer(static_cast<unsigned>(picture.width()), static_cast<unsigned>(picture.height()),
                             &size, r.data(), g.data(), b.data(), indices.data(), colours.data()) == GIF_OK;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const Picture& picture, int quality) {
    if (picture.isNull()) return {};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<std::uint8_t> out;
    if (compressJpeg(picture, quality, &buffer, &size)) out.assign(buffer, buffer + size);
    std::free(buffer);
    return out;
}

std::vector<std::uint8_t> EncodeGif(const Picture& picture, bool interlaced) {
    if (picture.isNull() || picture.width() > 65535 || picture.height() > 65535) return {};
    std::vector<GifColorType> colours;
    std::vector<GifPixelType> indices;
    if (!exactPalette(picture, colours, indices)) {
        colours.clear();
        if (!quantizedPalette(picture, colours, indices)) return {};
    }
    // A colour map holds a power of two entries.
    int mapSize = 2;
    while (mapSize < static_cast<int>(colours.size())) mapSize *= 2;
    colours.resize(static_cast<std::size_t>(mapSize), colours.back());

    std::vector<std::uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, gifWrite, &error);
    if (!gif) return {};
    ColorMapObject* map = GifMakeMapObject(mapSize, colours.data());
    const int w = picture.width(), h = picture.height();
    bool ok = map && EGifPutScreenDesc(gif, w, h, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, w, h, interlaced, nullptr) == GIF_OK;
    auto putRow = [&](int row) {
        return EGifPutLine(gif, &indices[static_cast<std::size_t>(row) * w], w) == GIF_OK;
    };
    if (ok && interlaced) {
        static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4 && ok; ++pass)
            for (int row = start[pass]; row < h && ok; row += step[pass]) ok = putRow(row);
    } else {
        for (int row = 0; row < h && ok; ++row) ok = putRow(row);
    }
    if (map) GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    if (!ok) out.clear();
    return out;
}

}  // namespace veltrin
