// The reference for decoding many JPEG files: libjpeg-turbo decoding every
// file named on the command line, in this one process, on <threads> threads
// each taking the next file not yet taken, at 1/<denominator> of its size
// into 32-bit BGRA pixels, as the application's decoder hands pictures out.
//
//   jpeg_scaled_decode <threads> <denominator> <file>...
//
// Prints how many files it decoded; exits 1 when one fails.

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <jpeglib.h>
#include <thread>
#include <vector>

namespace {

struct Failure {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

[[noreturn]] void fail(j_common_ptr info) { std::longjmp(reinterpret_cast<Failure*>(info->err)->jump, 1); }

bool decode(const char* file, unsigned denominator, std::vector<unsigned char>& pixels) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.empty()) return false;
    jpeg_decompress_struct info{};
    Failure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = fail;
    if (setjmp(failure.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = denominator;
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    const size_t stride = size_t(info.output_width) * 4;
    pixels.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || std::atoi(argv[1]) < 1) {
        std::fprintf(stderr, "usage: jpeg_scaled_decode <threads> <denominator> <file>...\n");
        return 2;
    }
    const int threads = std::atoi(argv[1]);
    const unsigned denominator = unsigned(std::atoi(argv[2]));
    std::atomic<int> next{3};
    std::atomic<bool> failed{false};
    auto decodeFiles = [&] {
        std::vector<unsigned char> pixels;
        for (int i = next++; i < argc; i = next++)
            if (!decode(argv[i], denominator, pixels)) {
                std::fprintf(stderr, "jpeg_scaled_decode: cannot decode %s\n", argv[i]);
                failed = true;
            }
    };
    std::vector<std::thread> others;
    for (int t = 1; t < threads; ++t) others.emplace_back(decodeFiles);
    decodeFiles();
    for (std::thread& other : others) other.join();
    if (failed) return 1;
    std::printf("%d\n", argc - 3);
    return 0;
}
