// graphics_draw - the software renderer on the play screen's workload beside SDL's
// blitters doing the same work on SDL surfaces, the opaque full-screen copy beside
// memcpy, and PNG / JPEG loading beside bare libpng / libjpeg decoding of the same
// 800 x 600 files. Each pair runs in the same process; compare the medians:
//   build with -DVORLANE_BENCH=ON -DCMAKE_BUILD_TYPE=Release, then
//   ./bench/bench_graphics_draw --benchmark_repetitions=9 --benchmark_report_aggregates_only
// Runs the live platform under SDL's dummy video driver.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <jpeglib.h>

#include <string>
#include <vector>

#include "media/graphics/graphics.h"
#include "pavex.h"

namespace {

constexpr int kW = 800, kH = 600;
constexpr int kCell = 24, kWellColumns = 12, kWellRows = 22;
constexpr int kPieceW = 96, kPieceH = 48, kPieces = 4;  // queue of three and the hold
constexpr int kDigitW = 16, kDigitH = 24, kDigits = 24;
constexpr int kStretchW = 400, kStretchH = 300;

uint32_t Noise(uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
}

// A picture and the same pixels as an SDL surface.
struct Picture {
    int handle = -1;
    SDL_Surface* surface = nullptr;
};

// Cells and digits: black (the colour key) around a coloured body; pieces: alpha
// edges; backgrounds: opaque noise over a gradient.
enum Kind { OPAQUE, KEYED, ALPHA };

Picture Make(int w, int h, Kind kind, uint32_t seed) {
    Picture p;
    p.handle = AddGraphic(w, h, kind == ALPHA, 0);
    int pitch = 0;
    uint32_t* px = GraphicPixels(GetGraphicRecord(p.handle), &pitch);
    p.surface = SDL_CreateRGBSurfaceWithFormat(
        0, w, h, 32, kind == ALPHA ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t c = (Noise(seed) & 0x1F1F1F) + (static_cast<uint32_t>(x * 255 / w) << 16) +
                         (static_cast<uint32_t>(y * 255 / h) << 8);
            const bool edge = x < 2 || y < 2 || x >= w - 2 || y >= h - 2;
            if (kind == KEYED && edge) c = 0;
            uint32_t a = 0xFF000000u;
            if (kind == ALPHA) a = edge ? 0 : (x < 6 || y < 6) ? 0x80000000u : 0xFF000000u;
            px[y * pitch + x] = c | a;
            static_cast<uint32_t*>(p.surface->pixels)[y * (p.surface->pitch / 4) + x] = c | a;
        }
    SDL_SetSurfaceBlendMode(p.surface, kind == ALPHA ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
    if (kind == KEYED) SDL_SetColorKey(p.surface, SDL_TRUE, 0);
    return p;
}

struct Scene {
    Picture background, stretched;
    Picture cells[8], pieces[kPieces], digits[10];
    SDL_Surface* screen = nullptr;
};
Scene* g_scene = nullptr;

void Blit(SDL_Surface* src, int x, int y) {
    SDL_Rect r = {x, y, src->w, src->h};
    SDL_BlitSurface(src, nullptr, g_scene->screen, &r);
}

// ---- the paths, each with the renderer and with SDL ----

void DrawBackground(bool sdl) {
    if (sdl)
        Blit(g_scene->background.surface, 0, 0);
    else
        DrawImage(0, 0, g_scene->background.handle, 0);
}

void DrawWell(bool sdl) {
    for (int r = 0; r < kWellRows; ++r)
        for (int c = 0; c < kWellColumns; ++c) {
            const Picture& cell = g_scene->cells[(r * 7 + c) % 8];
            if (sdl)
                Blit(cell.surface, 256 + c * kCell, 40 + r * kCell);
            else
                DrawImage(256 + c * kCell, 40 + r * kCell, cell.handle, 1);
        }
}

void DrawPieces(bool sdl) {
    for (int i = 0; i < kPieces; ++i) {
        const Picture& p = g_scene->pieces[i];
        if (sdl)
            Blit(p.surface, 600, 60 + i * 64);
        else
            DrawImage(600, 60 + i * 64, p.handle, 1);
    }
}

void DrawStretched(bool sdl) {
    if (sdl) {
        SDL_Rect r = {0, 0, kW, kH};
        SDL_BlitScaled(g_scene->stretched.surface, nullptr, g_scene->screen, &r);
    } else {
        DrawImageStretched(0, 0, kW, kH, g_scene->stretched.handle, 0);
    }
}

void DrawDigits(bool sdl) {
    if (!sdl) SetDrawBrightness(128, 128, 128);
    for (int i = 0; i < kDigits; ++i) {
        const Picture& d = g_scene->digits[i % 10];
        const int x = 40 + (i % 8) * kDigitW, y = 300 + (i / 8) * 40;
        if (sdl) {
            SDL_SetSurfaceColorMod(d.surface, 128, 128, 128);
            Blit(d.surface, x, y);
        } else {
            DrawImage(x, y, d.handle, 1);
        }
    }
    if (!sdl) SetDrawBrightness(255, 255, 255);
}

void DrawFrame(bool sdl) {
    DrawBackground(sdl);
    DrawWell(sdl);
    DrawPieces(sdl);
    DrawDigits(sdl);
}

template <void (*Path)(bool), bool Sdl>
void BM_Path(benchmark::State& state) {
    for (auto _ : state) {
        Path(Sdl);
        benchmark::ClobberMemory();
    }
}

void BM_Memcpy800x600(benchmark::State& state) {
    std::vector<uint32_t> from(static_cast<size_t>(kW) * kH, 0x123456u), to(from.size());
    for (auto _ : state) {
        memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::ClobberMemory();
    }
}

// ---- loading ----

std::string g_png, g_jpeg;

void WriteFiles() {
    std::vector<uint8_t> rgb(static_cast<size_t>(kW) * kH * 3);
    uint32_t seed = 99;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            uint8_t* p = &rgb[(static_cast<size_t>(y) * kW + x) * 3];
            p[0] = static_cast<uint8_t>(x * 255 / kW + (Noise(seed) & 7));
            p[1] = static_cast<uint8_t>(y * 255 / kH + (Noise(seed) & 7));
            p[2] = static_cast<uint8_t>((x ^ y) & 0xF0);
        }
    char folder[] = "/tmp/pavex-bench-XXXXXX";
    if (!mkdtemp(folder)) abort();
    g_png = std::string(folder) + "/picture.png";
    g_jpeg = std::string(folder) + "/picture.jpg";
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = kW;
    image.height = kH;
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, g_png.c_str(), 0, rgb.data(), 0, nullptr)) abort();

    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    FILE* f = fopen(g_jpeg.c_str(), "wb");
    if (!f) abort();
    jpeg_stdio_dest(&c, f);
    c.image_width = kW;
    c.image_height = kH;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = &rgb[static_cast<size_t>(c.next_scanline) * kW * 3];
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    fclose(f);
}

void BM_LoadPng_Pavex(benchmark::State& state) {
    for (auto _ : state) {
        const int handle = LoadImageHandle(g_png.c_str());
        if (handle < 0) state.SkipWithError("load failed");
        DeleteGraphic(handle, 0);
    }
}

void BM_LoadJpeg_Pavex(benchmark::State& state) {
    for (auto _ : state) {
        const int handle = LoadImageHandle(g_jpeg.c_str());
        if (handle < 0) state.SkipWithError("load failed");
        DeleteGraphic(handle, 0);
    }
}

// Bare libpng: the file through stdio into 32-bit rows, as a program would do it.
void BM_LoadPng_Libpng(benchmark::State& state) {
    std::vector<uint8_t> out(static_cast<size_t>(kW) * kH * 4);
    for (auto _ : state) {
        FILE* f = fopen(g_png.c_str(), "rb");
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) abort();
        png_init_io(png, f);
        png_read_info(png, info);
        png_set_bgr(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_read_update_info(png, info);
        for (int y = 0; y < kH; ++y)
            png_read_row(png, &out[static_cast<size_t>(y) * kW * 4], nullptr);
        png_read_end(png, nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        fclose(f);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_LoadJpeg_Libjpeg(benchmark::State& state) {
    std::vector<uint8_t> out(static_cast<size_t>(kW) * kH * 4);
    for (auto _ : state) {
        FILE* f = fopen(g_jpeg.c_str(), "rb");
        jpeg_decompress_struct d;
        jpeg_error_mgr err;
        d.err = jpeg_std_error(&err);
        jpeg_create_decompress(&d);
        jpeg_stdio_src(&d, f);
        jpeg_read_header(&d, TRUE);
        d.out_color_space = JCS_EXT_BGRA;
        jpeg_start_decompress(&d);
        while (d.output_scanline < d.output_height) {
            JSAMPROW row = &out[static_cast<size_t>(d.output_scanline) * kW * 4];
            jpeg_read_scanlines(&d, &row, 1);
        }
        jpeg_finish_decompress(&d);
        jpeg_destroy_decompress(&d);
        fclose(f);
        benchmark::DoNotOptimize(out.data());
    }
}

BENCHMARK(BM_Path<DrawBackground, false>)->Name("Opaque800x600/pavex");
BENCHMARK(BM_Path<DrawBackground, true>)->Name("Opaque800x600/sdl");
BENCHMARK(BM_Memcpy800x600)->Name("Opaque800x600/memcpy");
BENCHMARK(BM_Path<DrawWell, false>)->Name("KeyedWell264x24x24/pavex");
BENCHMARK(BM_Path<DrawWell, true>)->Name("KeyedWell264x24x24/sdl");
BENCHMARK(BM_Path<DrawPieces, false>)->Name("AlphaPieces4x96x48/pavex");
BENCHMARK(BM_Path<DrawPieces, true>)->Name("AlphaPieces4x96x48/sdl");
BENCHMARK(BM_Path<DrawStretched, false>)->Name("Stretched400x300to800x600/pavex");
BENCHMARK(BM_Path<DrawStretched, true>)->Name("Stretched400x300to800x600/sdl");
BENCHMARK(BM_Path<DrawDigits, false>)->Name("BrightKeyedDigits24/pavex");
BENCHMARK(BM_Path<DrawDigits, true>)->Name("BrightKeyedDigits24/sdl");
BENCHMARK(BM_Path<DrawFrame, false>)->Name("PlayScreenFrame/pavex");
BENCHMARK(BM_Path<DrawFrame, true>)->Name("PlayScreenFrame/sdl");
BENCHMARK(BM_LoadPng_Pavex)->Name("LoadPng800x600/pavex")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPng_Libpng)->Name("LoadPng800x600/libpng")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJpeg_Pavex)->Name("LoadJpeg800x600/pavex")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJpeg_Libjpeg)->Name("LoadJpeg800x600/libjpeg")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ChangeWindowMode(1);
    SetScreenMode(kW, kH, 32, 60);
    SetAllowDoubleStart(1);
    if (InitMediaLayer() != 0) return 1;
    SetFlipWaitsVBlank(0);
    SelectDrawTarget(PAVEX_SCREEN_BACK);
    SetRunWhileInactive(1);
    WriteFiles();

    Scene scene;
    g_scene = &scene;
    scene.screen = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_RGB888);
    scene.background = Make(kW, kH, OPAQUE, 1);
    scene.stretched = Make(kStretchW, kStretchH, OPAQUE, 2);
    for (int i = 0; i < 8; ++i) scene.cells[i] = Make(kCell, kCell, KEYED, 10 + i);
    for (int i = 0; i < kPieces; ++i) scene.pieces[i] = Make(kPieceW, kPieceH, ALPHA, 20 + i);
    for (int i = 0; i < 10; ++i) scene.digits[i] = Make(kDigitW, kDigitH, KEYED, 30 + i);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    unlink(g_png.c_str());
    unlink(g_jpeg.c_str());
    EndMediaLayer();
    return 0;
}
