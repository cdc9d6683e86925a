#include "ImageUtil.h"
#include "Imaging.h"

#include "sprite/FileUtil.h"

#include <png.h>

#include <bit>
#include <exception>

namespace vantrel {

struct TPNGWriter::TState {
    explicit TState(const std::string& path) : Path(path), File(path) {}
    ~TState() { png_destroy_write_struct(&Png, &Info); }

    std::string Path;
    TAtomicFile File;
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    std::string Error;                // libpng's reason for the failure of a call
    std::exception_ptr FileFailure;   // why the file did not take the bytes
    int RowsLeft = 0;

    [[noreturn]] void Fail()
    {
        if (FileFailure)
            std::rethrow_exception(FileFailure);
        throw FileError("Cannot write picture \"" + Path + "\": " + (Error.empty() ? "the PNG encoder failed" : Error));
    }
};

namespace {

constexpr bool LittleEndian = std::endian::native == std::endian::little;

void OnError(png_structp png, png_const_charp message)
{
    auto* state = static_cast<TPNGWriter::TState*>(png_get_error_ptr(png));
    if (state->Error.empty())
        state->Error = message;
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep data, size_t size)
{
    auto* state = static_cast<TPNGWriter::TState*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        state->File.Write({data, size});
    } catch (...) {
        state->FileFailure = std::current_exception();
        failed = true;
    }
    if (failed)
        png_error(png, "the file did not take the data"); // leaves libpng through the jump below
}

void OnFlush(png_structp) {}

// Each libpng call that may fail runs in a function of its own without C++ objects, which the
// jump back on failure lands in.
bool StartPicture(png_structp png, png_infop info, int width, int height, bool alpha)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Sprites compress best without row filters, and trying the filters on every row would take
    // most of the time.
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    // Rows arrive as 32-bit 0xAARRGGBB values.
    if (LittleEndian) {
        png_set_bgr(png);
        if (!alpha)
            png_set_filler(png, 0, PNG_FILLER_AFTER);
    } else if (alpha) {
        png_set_swap_alpha(png);
    } else {
        png_set_filler(png, 0, PNG_FILLER_BEFORE);
    }
    return true;
}

bool PutRow(png_structp png, const QRgb* row)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_row(png, reinterpret_cast<png_const_bytep>(row));
    return true;
}

bool EndPicture(png_structp png, png_infop info)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_end(png, info);
    return true;
}

} // namespace

TPNGWriter::TPNGWriter(const std::string& path, int width, int height, bool alpha)
{
    if (width < 1 || height < 1)
        throw FileError("Cannot write picture \"" + path + "\": a picture of " + std::to_string(width) + " x " +
                        std::to_string(height) + " pixels is empty");
    State = std::make_unique<TState>(path);
    TState& s = *State;
    s.Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning);
    if (s.Png)
        s.Info = png_create_info_struct(s.Png);
    if (!s.Png || !s.Info)
        throw std::bad_alloc();
    png_set_write_fn(s.Png, &s, OnWrite, OnFlush);
    if (!StartPicture(s.Png, s.Info, width, height, alpha))
        s.Fail();
    s.RowsLeft = height;
}

TPNGWriter::~TPNGWriter() = default;

void TPNGWriter::WriteRow(const QRgb* row)
{
    if (State->RowsLeft <= 0)
        throw FileError("Cannot write picture \"" + State->Path + "\": more rows than the picture has");
    if (!PutRow(State->Png, row))
        State->Fail();
    --State->RowsLeft;
}

void TPNGWriter::Finish()
{
    TState& s = *State;
    if (s.RowsLeft != 0)
        throw FileError("Cannot write picture \"" + s.Path + "\": " + std::to_string(s.RowsLeft) + " rows are missing");
    if (!EndPicture(s.Png, s.Info))
        s.Fail();
    s.File.Commit();
}

} // namespace vantrel
