// Test helper for the Windows build: keeps a file open the way an editor does (others may read
// and write it, not delete or replace it) until its standard input ends.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: hold-file PATH\n");
        return 2;
    }
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "hold-file: cannot open %s: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    std::printf("holding\n");
    std::fflush(stdout);
    char buffer[256];
    while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
    }
    CloseHandle(file);
    return 0;
}
